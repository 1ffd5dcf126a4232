// The file requester's real dialog: the call runs on the test's thread while a second thread reads
// the dialog's controls through Win32 and answers it with the messages its buttons send.
#include <gtest/gtest.h>

#include "core/platform.h"
#include "core/strings.h"
#include "support/process_record.h"
#include "system/file_requester.h"

#include <windows.h>

#include <dlgs.h>

#include <functional>
#include <string>
#include <thread>

namespace {

using namespace rt;
using test_support::current_directory;

// "Открыть файл" and " Все файлы (*.*)" in Windows-1251, as the converter passes them.
const std::string TITLE = "\xCE\xF2\xEA\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB";
const std::string ALL_FILES = " \xC2\xF1\xE5 \xF4\xE0\xE9\xEB\xFB (*.*)";

std::string text_of(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// What the dialog showed, and what the requester wrote.
struct Seen {
    std::string title, proposed_name, filter, result;
};

// Calls the requester on this thread while a second thread waits for its dialog, notes what it
// shows, lets `look` see it, then puts `answer` into the name field and presses OK; a null
// answer presses Cancel.
Seen run_dialog(int mode, const char* default_file, const char* answer, const std::function<void(HWND)>& look = {}) {
    Seen seen;
    std::thread driver([&] {
        HWND dialog = nullptr;
        for (int waited = 0; waited < 20000 && !(dialog && IsWindowVisible(dialog)); waited += 50, Sleep(50))
            dialog = FindWindowA("#32770", TITLE.c_str());
        HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
        HWND filters = GetDlgItem(dialog, cmb1);
        char filter[64] = "";
        SendMessageA(filters, CB_GETLBTEXT, SendMessageA(filters, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(filter));
        seen = {text_of(dialog), text_of(name), filter, ""};
        if (look) look(dialog);
        if (answer && *answer) SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer));
        PostMessageA(dialog, WM_COMMAND, answer ? IDOK : IDCANCEL, 0);
    });
    int at = current_string_buffer().position;
    open_file_requester(TITLE.c_str(), default_file, (ALL_FILES + "|*.*|Video|*.avi").c_str(), 0, mode, 0, at);
    driver.join();
    seen.result = current_string_buffer().base + at;
    EXPECT_EQ(current_string_buffer().position, at + static_cast<int>(seen.result.size())) << "position on the terminator";
    set_buffer_position(at);
    return seen;
}

// The dialog starts in the default file's folder and proposes its name when it is a plain one;
// an empty answer accepts what is proposed. Several chosen files give the folder, a backslash and
// the first name, even past 260 bytes. The current directory never changes.
TEST(FileRequesterTest, TheDialogShowsTheCallersTextsAndAnswersWithTheChosenPath) {
    const std::string deep = "C:\\Video\\" + std::string(100, 'f'), first = std::string(150, 'a') + ".avi";
    CreateDirectoryA("C:\\Video", nullptr);
    CreateDirectoryA(deep.c_str(), nullptr);
    for (const std::string& name : {first, std::string(150, 'b') + ".avi"}) {
        std::string path = "\\\\?\\" + deep + "\\" + name;  // past MAX_PATH
        CloseHandle(CreateFileW(std::wstring(path.begin(), path.end()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    const std::string several = "\"" + first + "\" \"" + std::string(150, 'b') + ".avi\"", deep_folder = deep + "\\";
    const struct {
        int mode;
        const char *default_file, *answer, *proposed_name;
        std::string result;
    } rows[] = {
        {0, "", "C:\\Video\\my clip.avi", "", "C:\\Video\\my clip.avi"},
        {0, "C:\\Video\\clip.avi", "", "clip.avi", "C:\\Video\\clip.avi"},
        {0, "C:\\Video\\a?b.avi", "plain.avi", "", "C:\\Video\\plain.avi"},
        {0, "clip.avi", nullptr, "clip.avi", ""},
        {REQUESTER_MULTIPLE, deep_folder.c_str(), several.c_str(), "", deep + "\\" + first},
    };
    const std::string directory = current_directory();
    for (const auto& row : rows) {
        Seen seen = run_dialog(row.mode, row.default_file, row.answer);
        EXPECT_EQ(seen.title + "|" + seen.filter, TITLE + "|" + ALL_FILES) << "the title, and position 0's filter";
        EXPECT_EQ(seen.proposed_name, row.proposed_name) << row.default_file;
        EXPECT_EQ(seen.result, row.result) << row.default_file;
        EXPECT_EQ(current_directory(), directory) << row.default_file;
    }
}

HWND plain_window(bool visible) {
    return CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 100, 100, 300, 200,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(FileRequesterTest, TheThreadsOtherWindowsAcceptNoInputWhileTheDialogIsOpen) {
    HWND other = plain_window(true), hidden = plain_window(false), disabled = plain_window(true);
    HWND owner = plain_window(true);
    EnableWindow(disabled, FALSE);
    SetForegroundWindow(owner);
    std::string enabled_while_open;  // owner, other, hidden, disabled, a window of another thread
    HWND dialog_owner = nullptr;
    run_dialog(0, nullptr, nullptr, [&](HWND dialog) {
        HWND foreign = plain_window(true);
        dialog_owner = GetWindow(dialog, GW_OWNER);
        for (HWND window : {owner, other, hidden, disabled, foreign}) enabled_while_open += IsWindowEnabled(window) ? "1" : "0";
        DestroyWindow(foreign);
    });
    EXPECT_EQ(dialog_owner, owner) << "the dialog is owned by the application's foreground window";
    EXPECT_EQ(enabled_while_open, "00101") << "the thread's visible windows are disabled, hidden and foreign ones not";
    for (HWND window : {owner, other, hidden, disabled}) EXPECT_EQ(IsWindowEnabled(window) != 0, window != disabled) << "afterwards";
    for (HWND window : {other, hidden, disabled, owner}) DestroyWindow(window);
}

TEST(FileRequesterTest, ANoMemoryCallReturnsTheEmptyStringWithoutADialog) {
    int at = current_string_buffer().position;
    reserve_in_buffer(MAX_PATH, at);  // the result's room exists before the heap runs dry
    set_buffer_position(at);
    fail_allocations_after(0);
    open_file_requester("Requester-no-memory", nullptr, "All|*.*", 0, at);
    fail_allocations_after(-1);
    EXPECT_STREQ(current_string_buffer().base + at, "");
    EXPECT_EQ(current_string_buffer().position, at);
}

} // namespace

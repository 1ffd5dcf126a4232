// File names and the file requester: the file part of a path, renaming without losing a file,
// the current directory at a root and deeper than MAX_PATH; and the requester's real dialog, run on
// the test's thread while a second thread reads its controls through Win32 and answers it with the
// messages its buttons send.
#include <gtest/gtest.h>

#include "core/platform.h"
#include "support/buffer_result.h"
#include "support/process_record.h"
#include "system/file_names.h"
#include "system/file_requester.h"
#include "system/scratch_folder.h"

#include <windows.h>

#include <dlgs.h>

#include <functional>
#include <string>
#include <thread>

namespace {

using namespace rt;
using test_support::current_directory;
using test_support::read_file;
using test_support::written_by;

TEST(FilePartTest, AfterTheLastSeparatorUpToAQuoteAndFromAPathTheResultMoves) {
    const std::string folder = "C:\\" + std::string(197, 'f') + "\\", name = std::string(54, 'n') + ".avi";
    const struct {
        std::string path, file_part;
    } rows[] = {
        {"C:\\mixed/sep\\arators/a.b.mpg", "a.b.mpg"}, {"clip.avi", "clip.avi"}, {"C:\\Video\\", ""},
        {"\"C:\\a\\my clip.avi\" -x", "my clip.avi"}, {"\"clip.avi\"", "clip.avi"}, {"\"", ""},
        {"Z:\\\xc2\xe8\xe4\xe5\xee\\..\xea\xeb\xe8\xef_-x.avi.", "..\xea\xeb\xe8\xef_-x.avi."},
        {folder + folder + name, name},  // 518 characters
    };
    for (const auto& row : rows) EXPECT_EQ(written_by([&](int at) { get_file_part(row.path.c_str(), at); }), row.file_part) << row.path;
    EXPECT_EQ(written_by([](int at) { get_file_part(nullptr, at); }), "");
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position, result = buffer.capacity;  // a reservation there grows the buffer
    append_to_buffer("C:\\a\\b.avi");
    get_file_part(buffer.base + saved, result);
    EXPECT_STREQ(buffer.base + result, "b.avi");
    get_file_part(buffer.base + saved, saved);  // over its own argument
    EXPECT_STREQ(buffer.base + saved, "b.avi");
    set_buffer_position(saved);
}

// A file is moved under its new name whole, or stays under its own; no other file is ever replaced.
TEST(RenameFileTest, RenamesWithoutEverLosingAFile) {
    test_support::ScratchFolder folder("rename");
    const std::string spaced = folder.file("my clip.avi"), plain = folder.file("my_clip.avi"), other = folder.file("other.avi");
    test_support::write_file(spaced, "video bytes");
    test_support::write_file(other, "other bytes");
    EXPECT_EQ(rename_file(spaced.c_str(), plain.c_str()), 1);
    EXPECT_EQ(rename_file(plain.c_str(), other.c_str()) + rename_file(nullptr, plain.c_str()) + rename_file(plain.c_str(), nullptr), 0);
    EXPECT_EQ(read_file(spaced) + read_file(plain) + read_file(other), "video bytesother bytes");
}

TEST(CurrentDirectoryTest, EndsInOneBackslashAtARootAndDeeperThanMaxPath) {
    test_support::ScratchFolder folder("deep");
    std::string expected = folder.path();
    std::wstring deep = L"\\\\?\\" + std::wstring(expected.begin(), expected.end());
    const std::string level = "\\level-of-a-deep-directory-tree-0123456789";
    for (int levels = 0; levels < 8; ++levels) {
        deep += std::wstring(level.begin(), level.end());
        expected += level;
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    ASSERT_TRUE(SetCurrentDirectoryW(deep.c_str() + 4)) << "a deep current directory can be set";
    EXPECT_EQ(written_by([](int at) { get_current_directory(at); }), expected + "\\");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(written_by([](int at) { get_current_directory(at); }), "C:\\") << "a root already ends in a backslash";
    for (int levels = 0; levels < 8; ++levels, deep.erase(deep.rfind(L'\\'))) RemoveDirectoryW(deep.c_str());
}

// "Открыть файл" and " Все файлы (*.*)" in Windows-1251, as the converter passes them.
const std::string TITLE = "\xCE\xF2\xEA\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB", ALL_FILES = " \xC2\xF1\xE5 \xF4\xE0\xE9\xEB\xFB (*.*)";

std::string text_of(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Calls the requester on this thread while a second thread waits for its dialog, lets `look` see
// it, then puts `answer` into the name field and presses OK (a null answer presses Cancel).
// Returns the title, the filter shown, the proposed name and the result, separated by "|".
std::string run_dialog(int mode, const char* default_file, const char* answer, const std::function<void(HWND)>& look = {}) {
    std::string seen;
    std::thread driver([&] {
        HWND dialog = nullptr;
        for (int waited = 0; waited < 20000 && !(dialog && IsWindowVisible(dialog)); waited += 50, Sleep(50))
            dialog = FindWindowA("#32770", TITLE.c_str());
        HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
        char filter[64] = "";
        SendDlgItemMessageA(dialog, cmb1, CB_GETLBTEXT, SendDlgItemMessageA(dialog, cmb1, CB_GETCURSEL, 0, 0),
                            reinterpret_cast<LPARAM>(filter));
        seen = text_of(dialog) + "|" + filter + "|" + text_of(name) + "|";
        if (look) look(dialog);
        if (answer && *answer) SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer));
        PostMessageA(dialog, WM_COMMAND, answer ? IDOK : IDCANCEL, 0);
    });
    int at = current_string_buffer().position;
    open_file_requester(TITLE.c_str(), default_file, (ALL_FILES + "|*.*|Video|*.avi").c_str(), 0, mode, 0, at);
    driver.join();
    std::string result = current_string_buffer().base + at;
    EXPECT_EQ(current_string_buffer().position, at + static_cast<int>(result.size())) << "position on the terminator";
    set_buffer_position(at);
    return seen + result;
}

// The dialog starts in the default file's folder and proposes its name when it is a plain one;
// an empty answer accepts what is proposed. Several chosen files give the folder, a backslash and
// the first name. The current directory never changes.
TEST(FileRequesterTest, TheDialogShowsTheCallersTextsAndAnswersWithTheChosenPath) {
    CreateDirectoryA("C:\\Video", nullptr);
    for (const char* name : {"C:\\Video\\first.avi", "C:\\Video\\second.avi"})
        CloseHandle(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const struct {
        int mode;
        const char *default_file, *answer, *proposed_name_and_result;
    } rows[] = {
        {0, "", "C:\\Video\\my clip.avi", "|C:\\Video\\my clip.avi"},
        {0, "C:\\Video\\clip.avi", "", "clip.avi|C:\\Video\\clip.avi"},
        {0, "C:\\Video\\a?b.avi", "plain.avi", "|C:\\Video\\plain.avi"},
        {0, "clip.avi", nullptr, "clip.avi|"},
        {REQUESTER_MULTIPLE, "C:\\Video\\", "\"first.avi\" \"second.avi\"", "|C:\\Video\\first.avi"},
    };
    const std::string directory = current_directory();
    for (const auto& row : rows) {
        EXPECT_EQ(run_dialog(row.mode, row.default_file, row.answer), TITLE + "|" + ALL_FILES + "|" + row.proposed_name_and_result)
            << row.default_file << ": the title, position 0's filter, the proposed name, the result";
        EXPECT_EQ(current_directory(), directory) << row.default_file;
    }
}

HWND plain_window(bool visible) {
    return CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 100, 100, 300, 200,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(FileRequesterTest, TheThreadsOtherWindowsAcceptNoInputWhileTheDialogIsOpen) {
    HWND other = plain_window(true), hidden = plain_window(false), disabled = plain_window(true), owner = plain_window(true);
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

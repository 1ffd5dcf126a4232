// The file requester driven for real: the dialog runs on the test's main thread while a second
// thread finds it on the X display, reads its controls through Win32 and types into it.
#include <gtest/gtest.h>

#include "core/platform.h"
#include "core/strings.h"
#include "support/x_input.h"
#include "system/file_requester.h"

#include <windows.h>

#include <dlgs.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace rt;
using test_support::send_x_input;

// "Открыть файл" and " Все файлы (*.*)" in Windows-1251, as the converter passes them.
const char* const OPEN_FILE_TITLE = "\xCE\xF2\xEA\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB";
const char* const ALL_FILES_PATTERN = " \xC2\xF1\xE5 \xF4\xE0\xE9\xEB\xFB (*.*)|*.*";
const char* const ALL_FILES_LABEL = " \xC2\xF1\xE5 \xF4\xE0\xE9\xEB\xFB (*.*)";

std::string window_text(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<std::string> combo_entries(HWND combo) {
    std::vector<std::string> entries;
    auto count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (WPARAM i = 0; static_cast<LRESULT>(i) < count; ++i) {
        std::string entry(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, i, 0)), '\0');
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&entry[0]));
        entries.push_back(entry);
    }
    return entries;
}

// The open dialog's file-name box: an edit inside the name combo box, or a plain edit.
HWND name_field(HWND dialog) {
    HWND combo = GetDlgItem(dialog, cmb13);
    return combo ? combo : GetDlgItem(dialog, edt1);
}

BOOL CALLBACK note_dialog(HWND window, LPARAM found) {
    char class_name[16] = "";
    GetClassNameA(window, class_name, sizeof class_name);
    if (!IsWindowVisible(window) || std::string(class_name) != "#32770") return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND visible_dialog_of(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, note_dialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string current_directory() {
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    return directory;
}

// Polls every 50 ms for up to timeout_ms until done() holds.
bool wait_until(const std::function<bool()>& done, int timeout_ms) {
    for (int waited = 0; !done(); waited += 50) {
        if (waited >= timeout_ms) return false;
        Sleep(50);
    }
    return true;
}

// Calls the requester on this thread while `drive` works its dialog from a second thread, once a
// window whose X name matches x_name (an xdotool pattern without spaces, unique to this dialog)
// is shown and in front. `drive` returns true when it has closed the dialog with its input. A
// dialog left open is cancelled, so that the call returns and the test goes on. The result is
// the requester's text, read at its result position.
std::string run_dialog(const std::string& x_name, const std::function<void(int at)>& request,
                       const std::function<bool(HWND dialog)>& drive) {
    DWORD requesting_thread = GetCurrentThreadId();
    std::thread driver([&] {
        HWND dialog = nullptr;
        std::string x_window;
        if (send_x_input("search --sync --onlyvisible --name " + x_name, 15000)) {
            x_window = test_support::x_input_output();
            x_window = x_window.substr(0, x_window.find('\n'));  // the first window found
            wait_until([&] { return (dialog = visible_dialog_of(requesting_thread)) != nullptr; }, 5000);
        }
        // Without a window manager the X focus may stay on the root window after the previous
        // dialog closed, although Wine has made the new one the foreground window; keys would go
        // astray, so the driver gives the dialog the X focus as a window manager would.
        auto has_x_focus = [&] {
            if (send_x_input("getwindowfocus") && test_support::x_input_output() == x_window + "\n") return true;
            send_x_input("windowfocus --sync " + x_window);
            return false;
        };
        if (!dialog) {
            ADD_FAILURE() << "no dialog named " << x_name << " appeared";
            wait_until([&] { return (dialog = visible_dialog_of(requesting_thread)) != nullptr; }, 10000);
        } else if (!wait_until([&] { return GetForegroundWindow() == dialog && has_x_focus(); }, 5000)) {
            ADD_FAILURE() << "the dialog " << x_name << " did not get the keyboard";
        } else if (!drive(dialog) || !wait_until([&] { return !IsWindow(dialog); }, 10000)) {
            ADD_FAILURE() << "the dialog " << x_name << " was not closed by the input; its name field holds \""
                          << window_text(name_field(dialog)) << "\"";
        }
        if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    int at = current_string_buffer().position;
    request(at);
    std::string text = current_string_buffer().base + at;
    EXPECT_EQ(current_string_buffer().position, at + static_cast<int>(text.size()))
        << "the buffer's position ends on the result's terminator";
    set_buffer_position(at);
    driver.join();
    return text;
}

bool type_and_press_return(const std::string& path) {
    return send_x_input("type " + path) && send_x_input("key Return");
}

// Each test may change the current directory; the next one finds it as it was.
class FileRequesterTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        CreateDirectoryA("C:\\Video", nullptr);
        CreateDirectoryA("C:\\Work", nullptr);
    }
    void SetUp() override { directory_before = current_directory(); }
    void TearDown() override { SetCurrentDirectoryA(directory_before.c_str()); }

    std::string directory_before;
};

TEST_F(FileRequesterTest, TheConvertersCallShowsItsTitleAndFilterAndReturnsTheTypedPath) {
    SetCurrentDirectoryA("C:\\Work");
    std::string title, name_text;
    std::vector<std::string> filters;
    LRESULT selected_filter = -1;
    std::string chosen = run_dialog(
        "Открыть.файл",
        [](int at) { open_file_requester(OPEN_FILE_TITLE, "", ALL_FILES_PATTERN, 0, at); },
        [&](HWND dialog) {
            title = window_text(dialog);
            filters = combo_entries(GetDlgItem(dialog, cmb1));
            selected_filter = SendMessageA(GetDlgItem(dialog, cmb1), CB_GETCURSEL, 0, 0);
            name_text = window_text(name_field(dialog));
            return type_and_press_return("C:\\Video\\my clip.avi");
        });
    EXPECT_EQ(chosen, "C:\\Video\\my clip.avi") << "the typed path comes back, a file that does not exist too";
    EXPECT_EQ(title, OPEN_FILE_TITLE) << "the dialog carries the given title";
    EXPECT_EQ(filters, std::vector<std::string>{ALL_FILES_LABEL}) << "one filter entry, its leading space kept";
    EXPECT_EQ(selected_filter, 0) << "pattern position 0 preselects the first entry";
    EXPECT_EQ(name_text, "") << "no default file: an empty name field";
    EXPECT_EQ(current_directory(), "C:\\Work") << "choosing a file does not change the current directory";
}

TEST_F(FileRequesterTest, CancellingReturnsTheEmptyStringAndTheNextCallWorks) {
    EXPECT_EQ(run_dialog(
                  "Requester-cancelled",
                  [](int at) { open_file_requester("Requester-cancelled", nullptr, "All|*.*", 0, at); },
                  [](HWND) { return send_x_input("key Escape"); }),
              "");
    EXPECT_EQ(run_dialog(
                  "Requester-after-cancel",
                  [](int at) { open_file_requester("Requester-after-cancel", nullptr, "All|*.*", 0, at); },
                  [](HWND) { return type_and_press_return("C:\\Video\\after cancel.avi"); }),
              "C:\\Video\\after cancel.avi");
}

TEST_F(FileRequesterTest, ADefaultFileProposesItsNameInItsFolder) {
    struct Row {
        const char* default_file;
        const char* proposed_name;
        const char* typed;  // into the name field after reading it; "": Return as proposed; null: Escape
        const char* result;
    };
    const Row rows[] = {
        {"C:\\Video\\clip.avi", "clip.avi", "", "C:\\Video\\clip.avi"},
        {"C:\\Video\\", "", "typed.avi", "C:\\Video\\typed.avi"},
        {"C:\\Video\\a?b.avi", "", "plain.avi", "C:\\Video\\plain.avi"},
        {"C:\\clip.avi", "clip.avi", "", "C:\\clip.avi"},
        {"clip.avi", "clip.avi", nullptr, ""},
    };
    SetCurrentDirectoryA("C:\\Work");
    for (const Row& row : rows) {
        std::string title = "Requester-default-" + std::to_string(&row - rows), proposed;
        std::string chosen = run_dialog(
            title, [&](int at) { open_file_requester(title.c_str(), row.default_file, "All|*.*", 0, at); },
            [&](HWND dialog) {
                proposed = window_text(name_field(dialog));
                if (!row.typed) return send_x_input("key Escape");
                if (*row.typed) return type_and_press_return(row.typed);
                return send_x_input("key Return");
            });
        EXPECT_EQ(proposed, row.proposed_name) << row.default_file << ": the proposed name (a path or pattern is dropped)";
        EXPECT_EQ(chosen, row.result) << row.default_file << ": the dialog starts in the default file's folder";
        EXPECT_EQ(current_directory(), "C:\\Work") << row.default_file << ": the dialog's folder does not become current";
    }
}

HWND plain_window(const char* title, bool visible) {
    HWND window = CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 100, 100, 300,
                                  200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(window);
    return window;
}

TEST_F(FileRequesterTest, TheThreadsOtherWindowsAcceptNoInputWhileTheDialogIsOpen) {
    HWND other = plain_window("Other window", true);
    HWND hidden = plain_window("Hidden window", false);
    HWND disabled = plain_window("Disabled window", true);
    EnableWindow(disabled, FALSE);
    HWND owner = plain_window("Owner window", true);
    SetForegroundWindow(owner);
    ASSERT_EQ(GetForegroundWindow(), owner);

    struct Seen {
        HWND dialog_owner;
        bool owner_enabled, other_enabled, hidden_enabled, disabled_enabled, foreign_enabled;
    } seen{};
    run_dialog("Requester-modal", [](int at) { open_file_requester("Requester-modal", nullptr, "", 0, at); },
               [&](HWND dialog) {
                   HWND foreign = plain_window("Window of another thread", true);
                   seen = {GetWindow(dialog, GW_OWNER), IsWindowEnabled(owner) != 0, IsWindowEnabled(other) != 0,
                           IsWindowEnabled(hidden) != 0, IsWindowEnabled(disabled) != 0,
                           IsWindowEnabled(foreign) != 0};
                   DestroyWindow(foreign);
                   return send_x_input("key Escape");
               });
    EXPECT_EQ(seen.dialog_owner, owner) << "the dialog is owned by the application's foreground window";
    EXPECT_FALSE(seen.owner_enabled) << "the owner is disabled by the dialog";
    EXPECT_FALSE(seen.other_enabled) << "the thread's other visible windows are disabled";
    EXPECT_TRUE(seen.hidden_enabled) << "hidden windows are left alone";
    EXPECT_TRUE(seen.foreign_enabled) << "windows of other threads are left alone";
    EXPECT_TRUE(IsWindowEnabled(owner)) << "afterwards every window is enabled again";
    EXPECT_TRUE(IsWindowEnabled(other));
    EXPECT_TRUE(IsWindowEnabled(hidden));
    EXPECT_FALSE(IsWindowEnabled(disabled)) << "a window disabled before stays disabled";
    for (HWND window : {other, hidden, disabled, owner}) DestroyWindow(window);
}

// The answer for several files is the folder, a backslash and the first name, even when that
// passes 260 bytes although each part fits the platform.
TEST_F(FileRequesterTest, SeveralChosenFilesGiveTheFolderABackslashAndTheFirstName) {
    struct Row {
        std::string folder, first, second;
    };
    const Row rows[] = {{"C:\\Video", "first.avi", "second.avi"},
                        {"C:\\Video\\" + std::string(100, 'f'), std::string(150, 'a') + ".avi", std::string(150, 'b') + ".avi"}};
    for (const Row& row : rows) {
        CreateDirectoryA(row.folder.c_str(), nullptr);
        for (const std::string& name : {row.first, row.second}) {
            std::string path = "\\\\?\\" + row.folder + "\\" + name;  // past MAX_PATH too
            CloseHandle(CreateFileW(std::wstring(path.begin(), path.end()).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, 0, nullptr));
        }
        std::string title = "Requester-several-" + std::to_string(&row - rows), default_file = row.folder + "\\";
        std::string chosen = run_dialog(
            title,
            [&](int at) {
                open_file_requester(title.c_str(), default_file.c_str(), "", 0, REQUESTER_MULTIPLE, 0, at);
            },
            [&](HWND) { return type_and_press_return("\"" + row.first + "\" \"" + row.second + "\""); });
        EXPECT_EQ(chosen, row.folder + "\\" + row.first) << "the reservation grows to hold the whole answer";
    }
}

TEST_F(FileRequesterTest, ANoMemoryCallReturnsTheEmptyStringWithoutADialog) {
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

// The launcher with real child processes and the shell, file names on disk, the requester's dialog.
#include <gtest/gtest.h>

#include "support/buffer_result.h"
#include "support/process_resources.h"
#include "system/file_names.h"
#include "system/file_requester.h"
#include "system/launcher.h"
#include "support/scratch_folder.h"

#include <dlgs.h>
#include <objbase.h>

#include <functional>
#include <string>
#include <thread>
#include <tuple>

namespace {

using namespace rt;
using test_support::read_file;
using test_support::ScratchFolder;
using test_support::written_by;

const std::string child = std::string("Z:") + LAUNCHER_CHILD;

std::string current_directory() { return written_by([](int at) { get_current_directory(at); }); }

ProcessRecord& record_of(intptr_t result) { return *reinterpret_cast<ProcessRecord*>(result); }

DWORD exit_code_of(HANDLE process) {
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

std::string read_to_end(HANDLE pipe) {
    std::string text;
    char chunk[512];
    for (DWORD got; ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got;) text.append(chunk, got);
    return text;
}

// The child's record: command line, directory (the one given, else the launcher's), show state.
TEST(LauncherTest, TheChildGetsTheQuotedProgramASpaceAndTheParametersAsGivenInTheDirectoryAndShowState) {
    ScratchFolder given("given"), own("own");
    SetCurrentDirectoryA(own.path().c_str());
    const std::string quoted = "\"" + child + "\"", in_given = given.path();
    const std::tuple<std::string, const char*, const char*, int, DWORD, std::string> rows[] = {
        {child, "-i C:\\a.avi -y  -sameq  a.avi.flv exit 5", in_given.c_str(), RUN_HIDE, 5,
         quoted + " -i C:\\a.avi -y  -sameq  a.avi.flv exit 5\n" + in_given + "\n0\n"},
        {child, "  \"my clip.avi\" a\\\"b ", "", 0, 0, quoted + "   \"my clip.avi\" a\\\"b \n" + own.path() + "\n1\n"},
        {quoted + " -a", nullptr, nullptr, 0, 0, quoted + " -a\n" + own.path() + "\n1\n"},
    };
    for (const auto& [program, parameters, directory, flags, exit_code, expected] : rows) {
        ProcessRecord& record = record_of(run_program(program.c_str(), parameters, directory, RUN_WAIT | RUN_OPEN | flags));
        EXPECT_EQ(exit_code_of(record.process), exit_code) << "the program has ended";
        EXPECT_TRUE(!record.input && !record.output && !record.error) << "no pipe was asked for";
        std::string written = (directory && *directory ? given : own).file("child-record.txt");
        EXPECT_EQ(read_file(written), expected);
        DeleteFileA(written.c_str());
    }
    SetCurrentDirectoryA("C:\\");
    // Without RUN_OPEN no record is kept, so a pipe made for the call would be an end nobody closes.
    const int pipes = RUN_WAIT | RUN_READ | RUN_WRITE | RUN_ERROR;
    run_program(child.c_str(), "error x", given.path().c_str(), pipes);  // what the first call sets up for good
    const unsigned long handles = test_support::process_kernel_handles();
    EXPECT_EQ(run_program(child.c_str(), "error x", given.path().c_str(), pipes), 1);
    EXPECT_EQ(test_support::process_kernel_handles(), handles) << "pipe flags without RUN_OPEN leave no pipe end open";
}

// The first child echoes its input into the second's, and ends only once its input closes.
TEST(LauncherTest, PipesCarryDataBothWaysAndConnectFeedsOneProgramsOutputIntoAnother) {
    ScratchFolder first_folder("first"), second_folder("second");
    ProcessRecord& first = record_of(run_program(child.c_str(), "error oops echo exit 3", first_folder.path().c_str(),
                                                 RUN_OPEN | RUN_READ | RUN_WRITE | RUN_ERROR));
    ProcessRecord& second = record_of(run_program(child.c_str(), "echo", second_folder.path().c_str(),
                                                  RUN_OPEN | RUN_READ | RUN_CONNECT, &first));
    for (HANDLE end : {first.input, first.output, first.error, second.output}) {
        DWORD flags = HANDLE_FLAG_INHERIT;
        EXPECT_TRUE(GetHandleInformation(end, &flags) && !(flags & HANDLE_FLAG_INHERIT)) << "later children get no end";
    }
    EXPECT_EQ(second.input, nullptr) << "the input belongs to the first program's record";
    EXPECT_EQ(exit_code_of(first.process), STILL_ACTIVE);
    const std::string text = "first line\r\nsecond \xc0\xc1\xc2 line\n";
    DWORD written;
    WriteFile(first.input, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(first.input);
    EXPECT_EQ(read_to_end(second.output) + read_to_end(first.error), text + "oops");
    WaitForSingleObject(first.process, INFINITE);
    EXPECT_EQ(exit_code_of(first.process), 3u);
}

// The test prefix's shell opens a folder with a recorder; its COM apartment leaves the thread's as it was.
TEST(ShellFallbackTest, AFolderOpensInItselfFromAThreadWithOrWithoutComAndStreamFlagsForbidTheShell) {
    ScratchFolder folder("shell");
    const std::string target = folder.path() + "\\", log = folder.file("folder-open.log");
    SetEnvironmentVariableA("FOLDER_OPEN_LOG", log.c_str());
    for (int flag : {RUN_READ, RUN_WRITE, RUN_ERROR, RUN_CONNECT}) {
        SetLastError(0);
        EXPECT_EQ(run_program(target.c_str(), "", nullptr, RUN_WAIT | flag), 0) << "flag " << flag;
        EXPECT_NE(GetLastError(), 0u) << "the failing start's error is kept";
    }
    ProcessRecord& record = record_of(run_program(target.c_str(), nullptr, nullptr, RUN_WAIT | RUN_OPEN | RUN_HIDE));
    EXPECT_TRUE(record.process_id == -1 && !record.input && !record.output && !record.error);
    EXPECT_EQ(run_program(nullptr, nullptr, nullptr, RUN_WAIT), 0) << "nothing either way can start";
    for (bool multithreaded : {false, true}) {
        HRESULT afterwards = E_FAIL;  // of CoInitializeEx(multithreaded) after the call
        std::thread([&] {
            if (multithreaded) CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            EXPECT_EQ(run_program(target.c_str(), "", nullptr, RUN_WAIT), 1);
            afterwards = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            CoUninitialize();
            if (multithreaded) CoUninitialize();
        }).join();
        EXPECT_EQ(afterwards, multithreaded ? S_FALSE : S_OK) << "the thread's COM as it was before the call";
    }
    const std::string opened = read_file(log), one = opened.substr(0, opened.find("\n" + folder.path() + "\n") + target.size() + 1);
    EXPECT_EQ(opened, one + one + one) << "opened in itself for the record and each thread, never for a stream";
    EXPECT_NE(one.find("\"" + target + "\"\n"), std::string::npos) << "the folder, as given: " << opened;
    SetEnvironmentVariableA("FOLDER_OPEN_LOG", nullptr);
}

// One case for each way through; the rule in full is checked by the file_part fuzz target.
TEST(FilePartTest, AfterTheLastSeparatorUpToAQuote) {
    const char* const rows[][2] = {{"C:\\a/b\\clip.avi", "clip.avi"}, {"\"C:\\a\\my clip.avi\" -x", "my clip.avi"},
                                   {"\"clip.avi\"", "clip.avi"}, {"C:\\Video\\", ""}, {nullptr, ""}};
    for (const auto& row : rows) EXPECT_EQ(written_by([&](int at) { get_file_part(row[0], at); }), row[1]) << row[0];
}

// A file is moved under its new name whole, or stays under its own; no other file is ever replaced.
TEST(RenameFileTest, RenamesWithoutEverLosingAFile) {
    ScratchFolder folder("rename");
    const std::string spaced = folder.file("my clip.avi"), plain = folder.file("my_clip.avi"), other = folder.file("other.avi");
    test_support::write_file(spaced, "video bytes");
    test_support::write_file(other, "other bytes");
    EXPECT_EQ(rename_file(spaced.c_str(), plain.c_str()), 1);
    EXPECT_EQ(rename_file(plain.c_str(), other.c_str()) + rename_file(nullptr, plain.c_str()) + rename_file(plain.c_str(), nullptr), 0);
    EXPECT_EQ(read_file(spaced) + read_file(plain) + read_file(other), "video bytesother bytes");
}

TEST(CurrentDirectoryTest, EndsInOneBackslashAtARootAndDeeperThanMaxPath) {
    ScratchFolder folder("deep");
    std::wstring deep = L"\\\\?\\" + std::wstring(folder.path().begin(), folder.path().end());
    for (int levels = 0; levels < 8; ++levels) {
        deep += L"\\level-of-a-deep-directory-tree-0123456789";
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    ASSERT_TRUE(SetCurrentDirectoryW(deep.c_str() + 4)) << "a deep current directory can be set";
    EXPECT_EQ(current_directory(), std::string(deep.begin() + 4, deep.end()) + "\\");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(current_directory(), "C:\\") << "a root already ends in a backslash";
    for (int levels = 0; levels < 8; ++levels, deep.erase(deep.rfind(L'\\'))) RemoveDirectoryW(deep.c_str());
}

// "Открыть файл" and " Все файлы (*.*)" in Windows-1251, as the converter passes them.
const std::string TITLE = "\xCE\xF2\xEA\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB", ALL_FILES = " \xC2\xF1\xE5 \xF4\xE0\xE9\xEB\xFB (*.*)";

std::string text_of(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Another thread reads the dialog, shows it to `look`, types `answer`, OK (null: Cancel): "title|filter|proposed name|result".
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
    std::string result = written_by([&](int at) {
        open_file_requester(TITLE.c_str(), default_file, (ALL_FILES + "|*.*|Video|*.avi").c_str(), 0, mode, 0, at);
    });
    driver.join();
    return seen + result;
}

// The default file's folder and plain name are proposed (the converter's call is its test's);
// several files give the folder, a backslash and the first name; the current directory stays.
TEST(FileRequesterTest, TheDialogShowsTheCallersTextsAndAnswersWithTheChosenPath) {
    CreateDirectoryA("C:\\Video", nullptr);
    for (const char* name : {"C:\\Video\\first.avi", "C:\\Video\\second.avi"}) test_support::write_file(name, "");
    const std::tuple<int, const char*, const char*, const char*> rows[] = {
        {0, "C:\\Video\\clip.avi", "", "clip.avi|C:\\Video\\clip.avi"},
        {0, "C:\\Video\\a?b.avi", "plain.avi", "|C:\\Video\\plain.avi"},
        {0, "clip.avi", nullptr, "clip.avi|"},
        {REQUESTER_MULTIPLE, "C:\\Video\\", "\"first.avi\" \"second.avi\"", "|C:\\Video\\first.avi"},
    };
    const std::string directory = current_directory();
    for (const auto& [mode, default_file, answer, proposed_name_and_result] : rows) {
        EXPECT_EQ(run_dialog(mode, default_file, answer), TITLE + "|" + ALL_FILES + "|" + proposed_name_and_result)
            << default_file << ": the title, position 0's filter, the proposed name, the result";
        EXPECT_EQ(current_directory(), directory) << default_file;
    }
}

HWND plain_window(bool visible) {
    return CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0, 0, 300, 200, 0, 0, 0, 0);
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

} // namespace

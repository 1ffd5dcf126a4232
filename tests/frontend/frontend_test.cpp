// FFmpeg.exe as the converter starts it: a real child process with the real tool's stand-in beside
// it, its status and what it says read back; and its console window placed clear of the caller's.
#include "system/scratch_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

using test_support::ScratchFolder;
using test_support::file_exists;
using test_support::read_file;

constexpr DWORD CHILD_TIMEOUT_MS = 20000;

std::string windows_path(const char* built) {
    std::string path = built;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

struct Outcome {
    DWORD status;
    std::string said;  // standard output and standard error
};

// Runs "<folder>\FFmpeg.exe <arguments>" with PATH set as given, standard input from the null
// device and its output into a file; a run that outlives the timeout is ended with its whole job.
Outcome run_front_end(const ScratchFolder& scratch, const std::string& folder, const std::string& arguments,
                      const std::string& path_variable) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE said = CreateFileA(scratch.file("said.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              0, nullptr);
    HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = startup.hStdError = said;
    std::string line = "\"" + folder + "\\FFmpeg.exe\" " + arguments;
    SetEnvironmentVariableA("PATH", path_variable.c_str());
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                                  nullptr, scratch.path().c_str(), &startup, &process);
    Outcome outcome{9999, "not started, error " + std::to_string(GetLastError())};
    if (started) {
        AssignProcessToJobObject(job, process.hProcess);
        ResumeThread(process.hThread);
        if (WaitForSingleObject(process.hProcess, CHILD_TIMEOUT_MS) == WAIT_TIMEOUT) TerminateJobObject(job, 9998);
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &outcome.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(job);
    CloseHandle(input);
    CloseHandle(said);
    if (started) outcome.said = read_file(scratch.file("said.txt"));
    return outcome;
}

// A scratch folder with FFmpeg.exe in "app", the stand-in tool as "app\ffmpeg\ffmpeg.exe" when
// asked, and a 1-byte source "clip 1.avi".
// Each layout has a folder of its own: under Wine a file that a child process wrote to can stay
// undeletable for a moment after the child has ended.
struct Layout {
    static inline int count = 0;
    ScratchFolder scratch{("front-end-" + std::to_string(++count)).c_str()};
    std::string app = scratch.file("app");
    explicit Layout(bool tool_beside) {
        CreateDirectoryA(app.c_str(), nullptr);
        CopyFileA(windows_path(FRONT_END).c_str(), (app + "\\FFmpeg.exe").c_str(), FALSE);
        if (tool_beside) add_tool(app + "\\ffmpeg");
        test_support::write_file(scratch.file("clip 1.avi"), "x");
    }
    void add_tool(const std::string& folder) const {
        CreateDirectoryA(folder.c_str(), nullptr);
        CopyFileA(windows_path(STAND_IN_TOOL).c_str(), (folder + "\\ffmpeg.exe").c_str(), FALSE);
    }
    Outcome run(const std::string& arguments, const std::string& path_variable = "") const {
        return run_front_end(scratch, app, arguments, path_variable);
    }
};

struct FailureCase {
    const char* what;
    bool tool_beside;
    const char* arguments;
    const char* fail_variable;
    DWORD status;
    const char* message;  // Windows-1251
};

TEST(FrontEndTest, SaysWhatWentWrongAndEndsWithoutWaitingWhenThereIsNoConsole) {
    const FailureCase cases[] = {
        {"no tool", false, "-i clip 1.avi -y  -sameq  clip 1.avi.flv", nullptr, 2, "\xcd\xe5 \xed\xe0\xe9\xe4\xe5\xed\xe0 "
                                                                                    "\xef\xf0\xee\xe3\xf0\xe0\xec\xec\xe0 ffmpeg.exe"},
        {"no source file", true, "-i nothing.avi -y  -sameq  nothing.avi.flv", nullptr, 3,
         "\xc8\xf1\xf5\xee\xe4\xed\xfb\xe9 \xf4\xe0\xe9\xeb \xed\xe5 \xed\xe0\xe9\xe4\xe5\xed"},
        {"no source chosen", true, "-i  -y  -sameq  .flv", nullptr, 3,
         "\xc8\xf1\xf5\xee\xe4\xed\xfb\xe9 \xf4\xe0\xe9\xeb \xed\xe5 \xe2\xfb\xe1\xf0\xe0\xed"},
        {"the tool fails", true, "-i clip 1.avi -y  -sameq  clip 1.avi.flv", "1", 1, "Invalid sample rate\r\n"},
    };
    for (const FailureCase& c : cases) {
        Layout layout(c.tool_beside);
        SetEnvironmentVariableA("STAND_IN_FAIL", c.fail_variable);
        Outcome outcome = layout.run(c.arguments);
        SetEnvironmentVariableA("STAND_IN_FAIL", nullptr);
        EXPECT_EQ(outcome.status, c.status) << c.what << ": a failure ends with its own status, at once";
        EXPECT_NE(outcome.said.find(c.message), std::string::npos) << c.what << ": said instead:\n" << outcome.said;
    }
}

TEST(FrontEndTest, SkipsItsOwnFolderOnPathAndRunsTheToolFoundAfterIt) {
    Layout layout(false);
    std::string tools = layout.scratch.file("tools");
    layout.add_tool(tools);
    // Its own folder, spelt differently, holds FFmpeg.exe, which is "ffmpeg.exe" to Windows.
    Outcome outcome = layout.run("-i clip 1.avi -y  -sameq  clip 1.avi.mpg", layout.app + "\\.\\;" + tools);
    EXPECT_EQ(outcome.status, 0u) << outcome.said;
    std::string calls = read_file(tools + "\\calls.txt");
    EXPECT_NE(calls.find("-i \"clip 1.avi\" -y -sn -dn -c:v mpeg1video -q:v 2 -r 24000/1001 \"clip 1.avi.mpg\""),
              std::string::npos)
        << "the tool gets the options chosen from its own report, the source's path whole:\n" << calls;
    EXPECT_TRUE(file_exists(layout.scratch.file("clip 1.avi.mpg")));
}

TEST(FrontEndTest, ShowsThePercentDoneAboutOnceASecondAndEndsAtAHundred) {
    Layout layout(true);
    SetEnvironmentVariableA("STAND_IN_STEP_MS", "250");
    Outcome outcome = layout.run("-i clip 1.avi -y  -sameq  clip 1.avi.avi");
    SetEnvironmentVariableA("STAND_IN_STEP_MS", nullptr);
    EXPECT_EQ(outcome.status, 0u) << outcome.said;
    const std::string done = "\xc2\xfb\xef\xee\xeb\xed\xe5\xed\xee ";  // "Выполнено "
    std::size_t lines = 0;
    for (std::size_t at = outcome.said.find(done); at != std::string::npos; at = outcome.said.find(done, at + 1)) ++lines;
    EXPECT_GE(lines, 2u) << "2.5 s of work: a line a second and the last one\n" << outcome.said;
    EXPECT_LE(lines, 5u) << "not a line for each of the tool's ten reports\n" << outcome.said;
    EXPECT_NE(outcome.said.find(done + "100 %"), std::string::npos) << outcome.said;
}

} // namespace

namespace {

LRESULT CALLBACK plain_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

void pump_messages(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    for (MSG message; static_cast<LONG>(end - GetTickCount()) > 0; Sleep(10))
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// The window rectangle of another process's console, read by attaching to it; empty when it has none.
RECT console_window_of(DWORD process) {
    RECT rect{};
    FreeConsole();
    if (AttachConsole(process)) {
        HWND console = GetConsoleWindow();
        if (console) GetWindowRect(console, &rect);
        FreeConsole();
    }
    return rect;
}

// Starts "<app>\FFmpeg.exe <arguments>" in a console of its own, as a GUI program starts it.
PROCESS_INFORMATION start_with_console(const Layout& layout, const std::string& arguments) {
    std::string line = "\"" + layout.app + "\\FFmpeg.exe\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, layout.scratch.path().c_str(),
                   &startup, &process);
    return process;
}

void close_process(PROCESS_INFORMATION& process) {
    WaitForSingleObject(process.hProcess, CHILD_TIMEOUT_MS);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

TEST(FrontEndConsoleTest, MovesItsConsoleClearOfTheCallersWindow) {
    Layout layout(true);
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = plain_window;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "caller";
    RegisterClassA(&window_class);
    // The converter's window, centred: on a 1920x1080 screen a full console window fits on no side of it.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - 700) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - 440) / 2;
    HWND caller = CreateWindowExA(0, "caller", "caller", WS_POPUP | WS_VISIBLE, x, y, 700, 440, nullptr, nullptr,
                                  window_class.hInstance, nullptr);
    pump_messages(200);

    SetEnvironmentVariableA("STAND_IN_STEP_MS", "600");
    PROCESS_INFORMATION process = start_with_console(layout, "-i clip 1.avi -y  -sameq  clip 1.avi.flv");
    ASSERT_TRUE(process.hProcess);
    SetEnvironmentVariableA("STAND_IN_STEP_MS", nullptr);
    // Polled while the front-end runs (about 6 s): its console window appears at the screen's
    // top left, over the caller's window, until the front-end shortens and moves it.
    RECT console{}, caller_rect{}, overlap{};
    GetWindowRect(caller, &caller_rect);
    for (int tries = 0; tries < 40 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; ++tries) {
        pump_messages(100);
        console = console_window_of(process.dwProcessId);
        if (!IsRectEmpty(&console) && !IntersectRect(&overlap, &console, &caller_rect)) break;
    }
    EXPECT_FALSE(IsRectEmpty(&console)) << "a console program started without one gets a console window";
    EXPECT_FALSE(IntersectRect(&overlap, &console, &caller_rect))
        << "the console (" << console.left << "," << console.top << ")-(" << console.right << "," << console.bottom
        << ") does not cover the caller's window";
    EXPECT_TRUE(console.left >= 0 && console.top >= 0 && console.right <= GetSystemMetrics(SM_CXSCREEN) &&
                console.bottom <= GetSystemMetrics(SM_CYSCREEN))
        << "the console stays on the screen";
    close_process(process);
    DestroyWindow(caller);
}

TEST(FrontEndConsoleTest, AfterAFailureWaitsForAKeyPressedInItsConsole) {
    Layout layout(false);
    PROCESS_INFORMATION process = start_with_console(layout, "-i clip 1.avi -y  -sameq  clip 1.avi.flv");
    ASSERT_TRUE(process.hProcess);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 1500), static_cast<DWORD>(WAIT_TIMEOUT))
        << "with a console, the message stays until a key is pressed";
    FreeConsole();
    ASSERT_TRUE(AttachConsole(process.dwProcessId));
    HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    INPUT_RECORD keys[2] = {};
    for (int i = 0; i < 2; ++i) {
        keys[i].EventType = KEY_EVENT;
        keys[i].Event.KeyEvent = {i == 0, 1, VK_SPACE, 0x39, {' '}, 0};
    }
    DWORD written = 0;
    EXPECT_TRUE(WriteConsoleInputA(input, keys, 2, &written));
    CloseHandle(input);
    FreeConsole();
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 5000), static_cast<DWORD>(WAIT_OBJECT_0)) << "a key ends the wait";
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    EXPECT_EQ(status, 2u) << "the failure's status, also after the wait";
    TerminateProcess(process.hProcess, 1);
    close_process(process);
}

} // namespace

// FFmpeg.exe (the front-end) as the converter starts it: a real child process with the stand-in
// tool behind it; its status, what it says and where its console goes, read back.
#include "support/child_process.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using test_support::Finished;

const std::string DONE = "\xc2\xfb\xef\xee\xeb\xed\xe5\xed\xee ";  // "Выполнено ", each progress line's start
const char* const FLV_CALL = "-i clip 1.avi -y  -sameq  clip 1.avi.flv";

// A folder of its own per run (under Wine a file a child wrote may stay locked for a moment) with
// the front-end in "app", the stand-in tool as "app\ffmpeg\ffmpeg.exe" when asked, a source
// "clip 1.avi", and on PATH the front-end's own folder spelt differently, then "tools".
class Layout : public test_support::ScratchFolder {
public:
    explicit Layout(bool tool_beside) : ScratchFolder(("front-end-" + std::to_string(++runs)).c_str()) {
        CreateDirectoryA(file("app").c_str(), nullptr);
        CopyFileA(FRONT_END, file("app\\FFmpeg.exe").c_str(), FALSE);
        if (tool_beside) add_tool("app\\ffmpeg");
        test_support::write_file(file("clip 1.avi"), "x");
        SetEnvironmentVariableA("PATH", (file("app") + "\\.\\;" + file("tools")).c_str());
        SetEnvironmentVariableA("STAND_IN_LOG", file("calls.txt").c_str());
    }
    void add_tool(const char* folder) const {
        CreateDirectoryA(file(folder).c_str(), nullptr);
        CopyFileA(STAND_IN_TOOL, file(std::string(folder) + "\\ffmpeg.exe").c_str(), FALSE);
    }
    PROCESS_INFORMATION start_with_console(const char* arguments) const {
        std::string line = "\"" + file("app\\FFmpeg.exe") + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, path().c_str(), &startup,
                       &process);
        return process;
    }
    // Runs it without a console: its status and what it said on either stream.
    std::pair<DWORD, std::string> run(const char* arguments) const {
        const Finished run = test_support::run_to_end("\"" + file("app\\FFmpeg.exe") + "\" " + arguments, *this);
        return {run.status, run.output + run.errors};
    }

private:
    static inline int runs = 0;
};

TEST(FrontEndTest, SaysWhatWentWrongAndEndsWithItsStatusWithoutWaitingWhenThereIsNoConsole) {
    const struct {
        const char* what;
        bool tool_beside;
        const char* arguments;
        const char* fail;  // STAND_IN_FAIL
        DWORD status;
        const char* message;  // Windows-1251
    } cases[] = {
        {"no tool", false, FLV_CALL, nullptr, 2,
         "\xcd\xe5 \xed\xe0\xe9\xe4\xe5\xed\xe0 \xef\xf0\xee\xe3\xf0\xe0\xec\xec\xe0 ffmpeg.exe"},
        {"no source file", true, "-i nothing.avi -y  -sameq  nothing.avi.flv", nullptr, 3,
         "\xc8\xf1\xf5\xee\xe4\xed\xfb\xe9 \xf4\xe0\xe9\xeb \xed\xe5 \xed\xe0\xe9\xe4\xe5\xed"},
        {"no source chosen", true, "-i  -y  -sameq  .flv", nullptr, 3,
         "\xc8\xf1\xf5\xee\xe4\xed\xfb\xe9 \xf4\xe0\xe9\xeb \xed\xe5 \xe2\xfb\xe1\xf0\xe0\xed"},
        {"the tool fails", true, FLV_CALL, "1", 1, "Invalid sample rate\r\n"},
    };
    for (const auto& c : cases) {
        Layout layout(c.tool_beside);
        SetEnvironmentVariableA("STAND_IN_FAIL", c.fail);
        const auto [status, said] = layout.run(c.arguments);
        SetEnvironmentVariableA("STAND_IN_FAIL", nullptr);
        EXPECT_EQ(status, c.status) << c.what;
        EXPECT_NE(said.find(c.message), std::string::npos) << c.what << ": said instead:\n" << said;
    }
}

// FFmpeg.exe in its own folder is "ffmpeg.exe" to Windows: the search must not find itself.
TEST(FrontEndTest, SkipsItsOwnFolderOnPathAndRunsTheToolFoundAfterItWithOptionsFromItsReport) {
    Layout layout(false);
    layout.add_tool("tools");
    const auto [status, said] = layout.run("-i clip 1.avi -y  -sameq  clip 1.avi.mpg");
    EXPECT_EQ(status, 0u) << said;
    const std::string calls = test_support::read_file(layout.file("calls.txt"));
    EXPECT_NE(calls.find("-i \"clip 1.avi\" -y -sn -dn -c:v mpeg1video -q:v 2 -r 24000/1001 \"clip 1.avi.mpg\""),
              std::string::npos)
        << calls;
    EXPECT_TRUE(test_support::file_exists(layout.file("clip 1.avi.mpg")));
}

TEST(FrontEndTest, ShowsThePercentDoneAboutOnceASecondAndEndsAtAHundred) {
    Layout layout(true);
    SetEnvironmentVariableA("STAND_IN_SECONDS", "3");
    const auto [status, said] = layout.run(FLV_CALL);
    SetEnvironmentVariableA("STAND_IN_SECONDS", nullptr);
    EXPECT_EQ(status, 0u) << said;
    size_t lines = 0;
    for (size_t at = said.find(DONE); at != std::string::npos; at = said.find(DONE, at + 1)) ++lines;
    EXPECT_TRUE(lines >= 2 && lines <= 5) << "3 s of work in ten reports: a line a second and the last one\n" << said;
    EXPECT_NE(said.find(DONE + "100 %"), std::string::npos) << said;
}

// The window rectangle of another process's console, read by attaching to it; empty when it has none.
RECT console_window_of(DWORD process) {
    RECT rect{};
    FreeConsole();
    if (AttachConsole(process) && GetConsoleWindow()) GetWindowRect(GetConsoleWindow(), &rect);
    FreeConsole();
    return rect;
}

TEST(FrontEndConsoleTest, MovesItsConsoleClearOfTheCallersWindowAndKeepsItOnTheScreen) {
    Layout layout(true);
    // The converter's window, centred: on a 1920x1080 screen a full console window fits on no side of it.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const RECT caller{(width - 700) / 2, (height - 440) / 2, (width + 700) / 2, (height + 440) / 2};
    HWND window = CreateWindowExA(0, "STATIC", "caller", WS_POPUP | WS_VISIBLE, caller.left, caller.top, 700, 440,
                                  nullptr, nullptr, nullptr, nullptr);
    SetEnvironmentVariableA("STAND_IN_SECONDS", "6");
    PROCESS_INFORMATION process = layout.start_with_console(FLV_CALL);
    SetEnvironmentVariableA("STAND_IN_SECONDS", nullptr);
    // It appears at the screen's top left, over the caller's window, until the front-end moves it.
    RECT console{}, overlap{};
    for (int tries = 0; tries < 40 && WaitForSingleObject(process.hProcess, 100) == WAIT_TIMEOUT; ++tries) {
        console = console_window_of(process.dwProcessId);
        if (!IsRectEmpty(&console) && !IntersectRect(&overlap, &console, &caller)) break;
    }
    EXPECT_FALSE(IsRectEmpty(&console)) << "a console program started without one gets a console window";
    EXPECT_FALSE(IntersectRect(&overlap, &console, &caller)) << "the console covers the caller's window";
    EXPECT_TRUE(console.left >= 0 && console.top >= 0 && console.right <= width && console.bottom <= height)
        << "the console leaves the screen";
    test_support::status_of(process, 20000);
    DestroyWindow(window);
}

TEST(FrontEndConsoleTest, AfterAFailureWaitsForAKeyPressedInItsConsole) {
    Layout layout(false);
    PROCESS_INFORMATION process = layout.start_with_console(FLV_CALL);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 1500), static_cast<DWORD>(WAIT_TIMEOUT)) << "it waits for a key";
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
    EXPECT_EQ(test_support::status_of(process, 5000), 2u) << "a key ends the wait, with the failure's status";
}

} // namespace

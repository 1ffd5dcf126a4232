// FFmpeg.exe (the front-end) as the converter starts it: a real child process with the stand-in
// tool behind it; its status, what it says and where its console goes, read back.
#include "support/child_process.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string DONE = "\xc2\xfb\xef\xee\xeb\xed\xe5\xed\xee ";  // "Выполнено ", each progress line's start
const char* const FLV_CALL = "-i clip 1.avi -y  -sameq  clip 1.avi.flv";

// A folder per run (under Wine a file a child wrote may stay locked a moment): the front-end in "app", the stand-in tool
// (3 s of work) in the folder asked for, a source "clip 1.avi", and on PATH the front-end's folder spelt anew, then "tools".
class Layout : public test_support::ScratchFolder {
public:
    explicit Layout(const char* tool_folder) : ScratchFolder(("front-end-" + std::to_string(++runs)).c_str()) {
        CreateDirectoryA(file("app").c_str(), nullptr);
        CopyFileA(FRONT_END, file("app\\FFmpeg.exe").c_str(), FALSE);
        if (tool_folder && CreateDirectoryA(file(tool_folder).c_str(), nullptr))
            CopyFileA(STAND_IN_TOOL, file(std::string(tool_folder) + "\\ffmpeg.exe").c_str(), FALSE);
        test_support::write_file(file("clip 1.avi"), "x");
        SetEnvironmentVariableA("PATH", (file("app") + "\\.\\;" + file("tools")).c_str());
        SetEnvironmentVariableA("STAND_IN_LOG", file("calls.txt").c_str());
        SetEnvironmentVariableA("STAND_IN_SECONDS", "3");
    }
    std::string call(const std::string& arguments) const { return "\"" + file("app\\FFmpeg.exe") + "\" " + arguments; }

private:
    static inline int runs = 0;
};

// Without a console it ends at once with its status, having said (on either stream) what went wrong, or a progress line
// about once a second ending at 100 %. FFmpeg.exe is "ffmpeg.exe" to Windows: its search on PATH must not find itself.
TEST(FrontEndTest, RunsTheToolFoundBesideItOrOnPathShowsProgressOrSaysWhatWentWrongWithItsStatus) {
    const std::string mpg_call = "-i clip 1.avi -y  -sameq  clip 1.avi.mpg", done_line = DONE + "100 %";
    const struct {
        const char *what, *tool_folder;
        std::string arguments;
        const char* fail;  // STAND_IN_FAIL
        DWORD status;
        std::string said;  // Windows-1251
        const char* tool_call;
    } cases[] = {
        {"no tool", nullptr, FLV_CALL, nullptr, 2,
         "\xcd\xe5 \xed\xe0\xe9\xe4\xe5\xed\xe0 \xef\xf0\xee\xe3\xf0\xe0\xec\xec\xe0 ffmpeg.exe", ""},
        {"no source file", "app\\ffmpeg", "-i nothing.avi -y  -sameq  nothing.avi.flv", nullptr, 3,
         "\xc8\xf1\xf5\xee\xe4\xed\xfb\xe9 \xf4\xe0\xe9\xeb \xed\xe5 \xed\xe0\xe9\xe4\xe5\xed", ""},
        {"no source chosen", "app\\ffmpeg", "-i  -y  -sameq  .flv", nullptr, 3,
         "\xc8\xf1\xf5\xee\xe4\xed\xfb\xe9 \xf4\xe0\xe9\xeb \xed\xe5 \xe2\xfb\xe1\xf0\xe0\xed", ""},
        {"the tool fails", "app\\ffmpeg", FLV_CALL, "1", 1, "Invalid sample rate\r\n", ""},
        {"3 s of work", "app\\ffmpeg", FLV_CALL, nullptr, 0, done_line, ""},
        {"the tool on PATH after its own folder", "tools", mpg_call, nullptr, 0, done_line,
         "-i \"clip 1.avi\" -y -sn -dn -c:v mpeg1video -q:v 2 -r 24000/1001 \"clip 1.avi.mpg\""},
    };
    for (const auto& c : cases) {
        Layout layout(c.tool_folder);
        SetEnvironmentVariableA("STAND_IN_FAIL", c.fail);
        const test_support::Finished run = test_support::run_to_end(layout.call(c.arguments), layout);
        const std::string said = run.output + run.errors, calls = test_support::read_file(layout.file("calls.txt"));
        EXPECT_EQ(run.status, c.status) << c.what;
        EXPECT_NE(said.find(c.said), std::string::npos) << c.what << ": said instead:\n" << said;
        size_t lines = 0;
        for (size_t at = said.find(DONE); at != std::string::npos; at = said.find(DONE, at + 1)) ++lines;
        EXPECT_EQ(lines >= 2 && lines <= 5, c.status == 0) << c.what << ": 3 s of work, a line a second and the last\n" << said;
        EXPECT_NE(calls.find(c.tool_call), std::string::npos) << c.what << ": " << calls;
        EXPECT_EQ(test_support::file_exists(layout.file(c.arguments.substr(c.arguments.rfind("  ") + 2))), c.status == 0) << c.what;
    }
}

// The window rectangle of another process's console, read by attaching to it; empty when it has none.
RECT console_window_of(DWORD process) {
    RECT rect{};
    FreeConsole();
    if (AttachConsole(process) && GetConsoleWindow()) GetWindowRect(GetConsoleWindow(), &rect);
    FreeConsole();
    return rect;
}

// Started with a console of its own and no tool to find: the console, which appears at the screen's top left over the
// caller's window, is moved clear of it and kept on the screen, and the failure waits for a key pressed there.
TEST(FrontEndConsoleTest, MovesItsConsoleClearOfTheCallersWindowAndAfterAFailureWaitsForAKey) {
    Layout layout(nullptr);
    // The converter's window, centred: on a 1920x1080 screen a full console window fits on no side of it.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const RECT caller{(width - 700) / 2, (height - 440) / 2, (width + 700) / 2, (height + 440) / 2};
    HWND window = CreateWindowExA(0, "STATIC", "caller", WS_POPUP | WS_VISIBLE, caller.left, caller.top, 700, 440,
                                  nullptr, nullptr, nullptr, nullptr);
    PROCESS_INFORMATION process = test_support::start(layout.call(FLV_CALL), layout.path(), CREATE_NEW_CONSOLE);
    RECT console{}, overlap{};
    for (int tries = 0; tries < 40 && WaitForSingleObject(process.hProcess, 100) == WAIT_TIMEOUT; ++tries) {
        console = console_window_of(process.dwProcessId);
        if (!IsRectEmpty(&console) && !IntersectRect(&overlap, &console, &caller)) break;
    }
    DestroyWindow(window);
    EXPECT_FALSE(IsRectEmpty(&console)) << "a console program started without one gets a console window";
    EXPECT_FALSE(IntersectRect(&overlap, &console, &caller)) << "the console covers the caller's window";
    EXPECT_TRUE(console.left >= 0 && console.top >= 0 && console.right <= width && console.bottom <= height)
        << "the console leaves the screen";
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 1500), static_cast<DWORD>(WAIT_TIMEOUT)) << "it waits for a key";
    FreeConsole();
    ASSERT_TRUE(AttachConsole(process.dwProcessId));
    HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    INPUT_RECORD keys[2] = {{KEY_EVENT, {{TRUE, 1, VK_SPACE, 0x39, {' '}, 0}}},  // the space bar pressed and released
                            {KEY_EVENT, {{FALSE, 1, VK_SPACE, 0x39, {' '}, 0}}}};
    DWORD written = 0;
    EXPECT_TRUE(WriteConsoleInputA(input, keys, 2, &written));
    CloseHandle(input);
    FreeConsole();
    EXPECT_EQ(test_support::status_of(process, 5000), 2u) << "a key ends the wait, with the failure's status";
}

} // namespace

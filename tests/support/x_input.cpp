// Talks to the input agent through files in the folder X_INPUT_DIR: NAME.cmd in, NAME.out and
// NAME.done back. Each call uses a name of its own, so a late answer never meets a later call.
#include "x_input.h"

#include "support/process_record.h"
#include "support/scratch_folder.h"

#include <atomic>

namespace test_support {
namespace {

// Waits for the answer, dispatching this thread's messages (a WM_QUIT posted again for the caller); false after timeout_ms.
bool wait_for(const std::string& done_path, int timeout_ms) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms > 0 ? timeout_ms : 0);
    int quit_code = -1;
    while (!file_exists(done_path) && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) {
            if (message.message == WM_QUIT) {
                quit_code = static_cast<int>(message.wParam);
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (quit_code != -1) PostQuitMessage(quit_code);
    return file_exists(done_path);
}

} // namespace

bool send_x_input(const std::string& xdotool_arguments, int timeout_ms) {
    static std::atomic<unsigned> calls{0};
    const std::string folder = environment_variable("X_INPUT_DIR");
    if (folder.empty()) return false;
    const std::string call = folder + "\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++calls);
    write_file(call + ".tmp", xdotool_arguments + "\n");
    if (!MoveFileA((call + ".tmp").c_str(), (call + ".cmd").c_str())) return false;
    if (!wait_for(call + ".done", timeout_ms)) {
        if (!DeleteFileA((call + ".cmd").c_str())) write_file(call + ".cancel", "");  // withdrawn if not taken, else stopped
        return false;
    }
    const bool succeeded = read_file(call + ".done") == "0\n";  // the agent writes the exit code
    DeleteFileA((call + ".out").c_str());
    DeleteFileA((call + ".done").c_str());
    return succeeded;
}

} // namespace test_support

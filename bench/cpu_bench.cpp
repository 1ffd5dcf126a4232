// Processor time under Wine (win64), read from outside the converter's process: over 10 s idle,
// and over 10 s of a running job (the stand-in tool as FFmpeg.exe, running 12 s, started by a
// real click on the start button), against a bare Win32 program idle and doing the least visible
// work of a job (a marquee bar every 50 ms, a text redrawn once a second). The tool's own process
// is not counted: what is left is the converter's UI work. The pointer rests outside the windows
// while they are measured: over a button Wine polls the mouse a hundred times a second (its
// buttons track hovering with a 1 ms hover time), which costs any program about 1 % of a core.
#include "child_programs.h"
#include "report.h"
#include "windows_path.h"

#include "support/x_input.h"
#include "support/scratch_folder.h"

#include <cstdio>
#include <string>

namespace {

constexpr DWORD MEASURED_MS = 10000;
constexpr POINT START_BUTTON{630, 350};

bool wait_for_file(const std::string& path, int timeout_ms) {
    for (int waited = 0; waited < timeout_ms; waited += 50) {
        if (test_support::file_exists(path)) return true;
        Sleep(50);
    }
    return false;
}

// Milliseconds of processor time the program uses over the next 10 s (after a second to settle).
double processor_ms_over_measured_time(bench::ChildProgram& program) {
    Sleep(1000);
    const double before = program.processor_milliseconds();
    Sleep(MEASURED_MS);
    const double after = program.processor_milliseconds();
    return before < 0 || after < 0 ? -1 : after - before;
}

bool park_pointer() { return test_support::send_x_input("mousemove 0 0"); }

// A real click on the start button, then a wait until the tool runs.
bool start_job(const bench::ChildProgram& converter, const std::string& tool_log) {
    RECT frame;
    GetWindowRect(converter.window(), &frame);
    const std::string point =
        std::to_string(frame.left + START_BUTTON.x) + " " + std::to_string(frame.top + START_BUTTON.y);
    return test_support::send_x_input("mousemove " + point + " click 1") && park_pointer() &&
           wait_for_file(tool_log, 10000);
}

struct Usage {
    double idle_ms, busy_ms;
};

Usage converter_usage(const test_support::ScratchFolder& folder) {
    CopyFileA(bench::windows_path(STAND_IN_TOOL).c_str(), folder.file("FFmpeg.exe").c_str(), FALSE);
    SetEnvironmentVariableA("STAND_IN_LOG", folder.file("tool.log").c_str());
    SetEnvironmentVariableA("STAND_IN_SECONDS", "12");
    SetEnvironmentVariableA("FOLDER_OPEN_LOG", folder.file("folder-open.log").c_str());
    bench::ChildProgram converter(bench::windows_path(CONVERTER_PROGRAM), folder.path());
    if (!park_pointer() || converter.seconds_until_window(20) < 0) return {-1, -1};
    const double idle = processor_ms_over_measured_time(converter);
    if (!start_job(converter, folder.file("tool.log"))) return {idle, -1};
    const double busy = processor_ms_over_measured_time(converter);
    wait_for_file(folder.file("folder-open.log"), 10000);  // the job's end
    return {idle, busy};
}

double bare_usage(const test_support::ScratchFolder& folder, const std::string& arguments) {
    bench::ChildProgram bare(bench::windows_path(BARE_WINDOW_PROGRAM), folder.path(), arguments);
    return bare.seconds_until_window(20) < 0 ? -1 : processor_ms_over_measured_time(bare);
}

} // namespace

int main() {
    test_support::ScratchFolder folder("cpu-bench");
    const Usage converter = converter_usage(folder);
    const double bare_idle = bare_usage(folder, "");
    const double bare_busy = bare_usage(folder, "busy");
    if (converter.idle_ms < 0 || converter.busy_ms < 0 || bare_idle < 0 || bare_busy < 0) {
        std::printf("a program did not start, the job did not start, or its processor time could not be read\n");
        return 1;
    }
    bench::print_table("Processor time, Wine (win64), ms over 10 s (Linux counts in 10 ms ticks)", {
        {"converter, idle", converter.idle_ms, "bare Win32 popup, idle", bare_idle, "0 ms apart from timer ticks",
         bench::goal_met(converter.idle_ms <= bare_idle + 10)},
        {"converter, a job running", converter.busy_ms, "bare popup with a marquee bar and a 1 s redraw", bare_busy,
         "under 100 ms: 1 % of a core", bench::goal_met(converter.busy_ms < 100)},
    });
    return 0;
}

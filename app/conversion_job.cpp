// One conversion: the read-out's timer and the busy bar for as long as "FFmpeg" runs, then the
// idle bar again and the output folder opened. Runs on a worker thread; several may run at once.
//
// The tool's parameters are composed by the main thread when the job is started, from the
// settings of that moment, into a string block that the job alone then owns and frees. The job
// never reads the application's strings: the main thread may replace them (and free their blocks)
// at any time, also while it answers the job's messages to the controls.
#include "converter.h"

#include "core/strings.h"
#include "core/threads.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "system/file_names.h"
#include "system/launcher.h"

#include <windows.h>

namespace converter {

namespace {

constexpr UINT MARQUEE_MESSAGE = WM_USER + 10;  // PBM_SETMARQUEE
constexpr LPARAM MARQUEE_INTERVAL_MS = 50;

// Both bars share one rectangle: the busy bar is shown or hidden first, then the idle bar the other way.
void show_busy_bar(bool busy) {
    rt::hide_gadget(BUSY_BAR, busy ? 0 : 1);
    rt::hide_gadget(IDLE_BAR, busy ? 1 : 0);
}

void animate_busy_bar(bool on) {
    SendMessageA(rt::gadget_handle(BUSY_BAR), MARQUEE_MESSAGE, on ? 1 : 0, on ? MARQUEE_INTERVAL_MS : 0);
}

// "-i <clean path> -y  -sameq  <base name>.<extension>" in a string block of its own.
char* tool_parameters() {
    const char* const pieces[] = {"-i ", state.clean_path, " -y  -sameq  ", state.output_base_name, ".",
                                  state.output_extension};
    const int at = rt::current_string_buffer().position;
    for (const char* piece : pieces) rt::append_to_buffer(piece);
    char* parameters = nullptr;
    rt::assign_from_buffer(&parameters, at);
    return parameters;
}

// The argument is the job's parameter block, which it frees.
int conversion_job(intptr_t argument) {
    char* parameters = reinterpret_cast<char*>(argument);
    rt::add_window_timer(MAIN_WINDOW, ELAPSED_TIMER, 1000);
    show_busy_bar(true);
    animate_busy_bar(true);
    rt::run_program("FFmpeg", parameters, "", rt::RUN_WAIT);
    rt::free_string(parameters);
    animate_busy_bar(false);
    show_busy_bar(false);
    rt::remove_window_timer(MAIN_WINDOW, ELAPSED_TIMER);
    const int at = rt::current_string_buffer().position;
    rt::get_current_directory(at);
    rt::run_program(rt::current_string_buffer().base + at, "", "", rt::RUN_WAIT);
    return 0;
}

} // namespace

int start_conversion_job() {
    char* parameters = tool_parameters();
    const int number = rt::create_thread(conversion_job, reinterpret_cast<intptr_t>(parameters));
    if (!number) rt::free_string(parameters);
    return number;
}

} // namespace converter

// One conversion: the read-out's timer and the busy bar for as long as "FFmpeg" runs, then the
// idle bar again and the output folder opened. Runs on a worker thread; several may run at once.
//
// The parameter string is built in this thread's own string buffer, so the main thread's read-out
// text cannot disturb it before the launcher has copied it.
#include "converter.h"

#include "core/strings.h"
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

// "-i <clean path> -y  -sameq  <base name>.<extension>", at `at` of this thread's buffer.
const char* tool_parameters(int at) {
    const char* const pieces[] = {"-i ", state.clean_path, " -y  -sameq  ", state.output_base_name, ".",
                                  state.output_extension};
    rt::set_buffer_position(at);
    for (const char* piece : pieces) rt::append_to_buffer(piece);
    return rt::current_string_buffer().base + at;
}

} // namespace

int conversion_job(intptr_t) {
    rt::add_window_timer(MAIN_WINDOW, ELAPSED_TIMER, 1000);
    show_busy_bar(true);
    animate_busy_bar(true);
    const int at = rt::current_string_buffer().position;
    rt::run_program("FFmpeg", tool_parameters(at), "", rt::RUN_WAIT);
    animate_busy_bar(false);
    show_busy_bar(false);
    rt::remove_window_timer(MAIN_WINDOW, ELAPSED_TIMER);
    rt::get_current_directory(at);
    rt::run_program(rt::current_string_buffer().base + at, "", "", rt::RUN_WAIT);
    return 0;
}

} // namespace converter

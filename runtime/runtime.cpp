// Start-up and shutdown order of the runtime's libraries.
#include "runtime.h"

#include "core/memory.h"
#include "core/process.h"
#include "core/strings.h"
#include "core/system_libraries.h"
#include "core/threads.h"
#include "graphics/alpha.h"
#include "graphics/drawing.h"
#include "graphics/fonts.h"
#include "graphics/images.h"
#include "gui/colours.h"
#include "gui/gadgets.h"
#include "gui/window_background.h"
#include "gui/windows.h"
#include "system/file_requester.h"
#include "system/launcher.h"

namespace rt {

namespace {

// Calls admitted before shutdown may be sending messages to this thread's windows (a worker
// showing a gadget): they are answered while waiting, so the wait cannot hold either side.
void let_admitted_calls_end() {
    while (runtime_calls_running()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

// The order is binding: the main heap first, the string engine second, the colour library last.
void start_runtime() {
    create_main_heap();
    init_string_engine();
    init_drawing_library();
    init_alpha_support();
    init_image_library();
    init_font_library();
    init_window_library();
    init_gadget_library();
    init_launcher();
    init_file_requester();
    init_threads();
    create_memory_heap();
    init_system_libraries();
    init_colour_library();  // last: it loads a system library for the theme check
}

// Running worker threads are not waited for: ExitProcess ends them. From the first step on, the
// operations they reach do nothing, so they never meet a freed record or the destroyed heap.
void end_runtime() {
    begin_shutdown();
    let_admitted_calls_end();
    free_colour_library();  // first: its windows and controls still exist
    close_all_libraries();
    free_window_backgrounds();
    end_threads();
    free_window_library();  // closing the windows frees their gadgets
    free_all_fonts();
    free_all_images();
    end_alpha_support();
    destroy_heap(main_heap());
    ExitProcess(0);
}

} // namespace rt

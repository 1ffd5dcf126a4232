// Start-up and shutdown order of the runtime's libraries.
#include "core/runtime.h"

#include "core/memory.h"
#include "core/strings.h"
#include "core/system_libraries.h"
#include "core/threads.h"
#include "gui/colours.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "system/launcher.h"

namespace rt {

namespace {
HINSTANCE the_module;
} // namespace

HINSTANCE module_handle() { return the_module; }

void start_runtime() {
    the_module = GetModuleHandleA(nullptr);
    create_main_heap();
    init_string_engine();
    init_window_library();
    init_gadget_library();
    init_launcher();
    init_threads();
    create_memory_heap();
    init_system_libraries();
    init_colour_library();  // last: it loads a system library for the theme check
}

void end_runtime() {
    free_colour_library();  // first: its windows and controls still exist
    close_all_libraries();
    end_threads();
    free_window_library();  // closing the windows frees their gadgets
    destroy_heap(main_heap());
    ExitProcess(0);
}

} // namespace rt

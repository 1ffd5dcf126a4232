// Start-up and shutdown order of the runtime's libraries.
#include "core/runtime.h"

#include "core/memory.h"
#include "core/strings.h"
#include "core/system_libraries.h"
#include "core/threads.h"
#include "system/file_requester.h"
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
    init_launcher();
    init_file_requester();
    init_threads();
    create_memory_heap();
    init_system_libraries();
}

void end_runtime() {
    close_all_libraries();
    end_threads();
    destroy_heap(main_heap());
    ExitProcess(0);
}

} // namespace rt

// Start-up and shutdown order of the runtime's libraries.
#include "core/runtime.h"

#include "core/memory.h"
#include "core/strings.h"
#include "core/system_libraries.h"
#include "core/threads.h"
#include "graphics/alpha.h"
#include "graphics/drawing.h"
#include "graphics/fonts.h"
#include "graphics/images.h"
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
    init_drawing_library();
    init_alpha_support();
    init_image_library();
    init_font_library();
    init_launcher();
    init_threads();
    create_memory_heap();
    init_system_libraries();
}

void end_runtime() {
    close_all_libraries();
    end_threads();
    free_all_fonts();
    free_all_images();
    end_alpha_support();
    destroy_heap(main_heap());
    ExitProcess(0);
}

} // namespace rt

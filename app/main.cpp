// The program's entry: the runtime first, then the window, then the event loop, which ends the
// process. Without its window the program has nothing to show and ends with a failure status.
#include "converter.h"

#include "runtime.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    rt::start_runtime();
    if (!converter::build_main_window()) ExitProcess(1);
    converter::run_event_loop();
}

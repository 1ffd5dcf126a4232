// The converter: one skinned window in which the user picks a source file and an output format and
// starts the external tool "FFmpeg" on a worker thread for each press of the start button.
//
// The application state below belongs to the main thread, which alone reads and writes it; a
// conversion job gets the tool's parameters composed from it when it starts. The Windows-1251
// texts of the program are byte strings (the sources are compiled with the 1251 execution
// character set).
#pragma once

#include <cstdint>

namespace converter {

// Numbers of the window's objects, shared by start-up, the event loop, the job and the read-out.
enum : intptr_t {
    MAIN_WINDOW = 0,
    BACKGROUND_IMAGE = 1,
    FLV_BADGE = 16,
    AVI_BADGE = 17,
    SWF_BADGE = 18,
    MPG_BADGE = 19,
    ELAPSED_IMAGE = 22,
    ELAPSED_FONT = 23,
};

enum : intptr_t {
    CLOSE_LINK = 2,
    MINIMISE_LINK = 3,
    JOB_FRAME = 4,
    SOURCE_FIELD = 5,
    SECOND_FIELD = 6,
    BROWSE_BUTTON = 7,
    SECOND_BROWSE_BUTTON = 8,
    START_BUTTON = 9,
    BUSY_BAR = 10,
    IDLE_BAR = 11,
    FLV_LINK = 12,
    AVI_LINK = 13,
    MPG_LINK = 14,
    SWF_LINK = 15,
    FORMAT_BADGE = 20,
    ELAPSED_VIEW = 21,
};

// Timer 2 of the main window ticks once a second while a job runs.
inline constexpr intptr_t ELAPSED_TIMER = 2;

struct ApplicationState {
    char* source_path;       // what the file requester returned; empty after a cancelled dialog
    char* clean_path;        // source_path with every space replaced by an underscore
    char* output_base_name;  // file part of clean_path, extension included
    char* output_extension;  // "flv", "avi", "mpg" or "swf"
    int32_t elapsed_seconds; // ticks of timer 2 since the program started, never reset
};

extern ApplicationState state;

// Start-up: the pictures, the read-out's image and font, the window and its gadgets. Returns false
// when the window could not be opened.
bool build_main_window();
// Waits for events and acts on them until the user closes the program; never returns.
[[noreturn]] void run_event_loop();
// Starts one conversion on a worker thread of its own, with the tool's parameters composed from
// the current settings. Returns the thread's number, or 0 when no thread could be started.
int start_conversion_job();
// Redraws the read-out "Время обработки:   mm:ss" for the count and shows it. Returns 0.
int draw_elapsed_time(int32_t seconds);

} // namespace converter

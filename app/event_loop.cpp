// The converter's event loop and the actions of its gadgets.
//
// Drag and clicks: a left-button press drags the borderless window only when the press lies on
// the window's own background (the skin, or the frame, which lets the mouse through); a press on
// a label, a button, a field or a picture is left to that gadget, so its click still acts.
#include "converter.h"

#include "runtime.h"
#include "core/string_functions.h"
#include "core/strings.h"
#include "graphics/images.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "system/file_names.h"
#include "system/file_requester.h"

#include <windows.h>
#include <windowsx.h>

namespace converter {

namespace {

struct FormatChoice {
    intptr_t link;
    intptr_t badge;
    const char* extension;
};

// The badges were made in the order FLV, AVI, SWF, MPG; the labels stand in the order FLV, AVI,
// MPG, SWF.
constexpr FormatChoice FORMATS[] = {
    {FLV_LINK, FLV_BADGE, "flv"},
    {AVI_LINK, AVI_BADGE, "avi"},
    {SWF_LINK, SWF_BADGE, "swf"},
    {MPG_LINK, MPG_BADGE, "mpg"},
};

bool pressed_on_background() {
    const DWORD position = GetMessagePos();
    const POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    return WindowFromPoint(point) == rt::window_handle(MAIN_WINDOW);
}

void drag_window() {
    SendMessageA(rt::window_handle(MAIN_WINDOW), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void choose_format(const FormatChoice& format) {
    rt::set_gadget_state(FORMAT_BADGE, reinterpret_cast<intptr_t>(rt::image_handle(format.badge)));
    rt::assign_string(&state.output_extension, format.extension);
}

// A failed rename onto a name that some other file or folder already holds would leave the job to
// convert that other entry, and write its output under the chosen name.
bool clean_name_taken_by_another_entry() {
    return !rt::compare_strings(state.source_path, state.clean_path) &&
           GetFileAttributesA(state.clean_path ? state.clean_path : "") != INVALID_FILE_ATTRIBUTES;
}

// Asks for the source file and renames it so that its path holds no spaces.
void browse_for_source() {
    const int at = rt::current_string_buffer().position;
    rt::open_file_requester("Открыть файл", "", " Все файлы (*.*)|*.*", 0, at);
    rt::assign_from_buffer(&state.source_path, at);
    rt::replace_all(state.source_path, " ", "_", at);
    rt::assign_from_buffer(&state.clean_path, at);
    if (!rt::rename_file(state.source_path, state.clean_path) && clean_name_taken_by_another_entry()) {
        rt::assign_string(&state.source_path, "");  // dropped, as after a cancelled dialog
        rt::assign_string(&state.clean_path, "");
    }
    rt::set_gadget_text(SOURCE_FIELD, state.clean_path);
    rt::get_file_part(state.clean_path, at);
    rt::assign_from_buffer(&state.output_base_name, at);
}

void act_on_gadget(intptr_t gadget) {
    switch (gadget) {
    case CLOSE_LINK:
        rt::end_runtime();
    case MINIMISE_LINK:
        ShowWindow(rt::window_handle(MAIN_WINDOW), SW_MINIMIZE);
        return;
    case BROWSE_BUTTON:
        browse_for_source();
        return;
    case START_BUTTON:
        start_conversion_job();
        return;
    }
    for (const FormatChoice& format : FORMATS)
        if (format.link == gadget) choose_format(format);
}

} // namespace

void run_event_loop() {
    int event;
    do {
        event = rt::wait_window_event();
        const intptr_t window = rt::event_window();
        if (event == rt::EV_TIMER) {
            if (rt::event_timer() == ELAPSED_TIMER) draw_elapsed_time(++state.elapsed_seconds);
        } else if (event == WM_LBUTTONDOWN) {
            if (window == MAIN_WINDOW && pressed_on_background()) drag_window();
        } else if (event == rt::EV_GADGET) {
            act_on_gadget(rt::event_gadget());
        }
    } while (event != rt::EV_CLOSE_WINDOW);
    rt::end_runtime();
}

} // namespace converter

// Helpers of the window and gadget tests: events read during X input from another thread, screen pixels, a striped window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gui_test {

// One event as the accessors described it right after its wait returned.
struct SeenEvent { int event; intptr_t gadget; int type; };
// Reads events until none has come for quiet_ms, for two seconds at most.
std::vector<SeenEvent> read_events(int quiet_ms = 150);
size_t count_events(const std::vector<SeenEvent>& events, int code);
std::vector<int> gadget_types(const std::vector<SeenEvent>& events, intptr_t gadget);
// Runs `xdotool <arguments>` on another thread (whose messages the X input helper pumps), reading events meanwhile and after.
std::vector<SeenEvent> events_during_input(const std::string& xdotool_arguments);
std::string screen_point(HWND window, int x, int y);  // xdotool's "mousemove X Y" to a client point
void park_mouse();                                     // in a corner no test window covers

// Screen pixels as COLORREF values, row by row.
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> values;
    COLORREF at(int x, int y) const { return values[static_cast<size_t>(y * width + x)]; }
    bool operator==(const Pixels& other) const { return width == other.width && values == other.values; }
};
// The pixels of a client rectangle (or of the whole client area), after letting pending paints run.
Pixels client_pixels(HWND window, const RECT& client_area);
Pixels client_pixels(HWND window);

// How pixels split: the test window's background there (3-pixel stripes), one colour, anything else.
struct Split { int background = 0, coloured = 0, other = 0; };
Split split(const Pixels& pixels, const RECT& area, COLORREF colour);

// A window's answer to a control's colour message, and what it set in a DC holding UNSET colours.
struct ColourAnswer { HBRUSH brush; COLORREF text, back; int mode; };
constexpr COLORREF UNSET = RGB(1, 2, 3);
ColourAnswer ask_colours(HWND window, HWND control, UINT message = WM_CTLCOLORSTATIC);

// Window 0 as the converter's (size, style, centred), shown, striped, and closed with the test.
class TestWindow {
public:
    TestWindow();
    ~TestWindow();
    HWND handle() const { return handle_; }
    Pixels pixels(const RECT& area) const { return client_pixels(handle_, area); }
    ColourAnswer colours(HWND control, UINT message = WM_CTLCOLORSTATIC) const { return ask_colours(handle_, control, message); }
    // The events raised while the mouse moves to a client point and xdotool does `then` there.
    std::vector<SeenEvent> input_at(int x, int y, const std::string& then = "") const {
        return events_during_input(screen_point(handle_, x, y) + " " + then);
    }

private:
    HWND handle_;
};

} // namespace gui_test

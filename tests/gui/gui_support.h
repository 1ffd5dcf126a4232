// Helpers of the window and gadget tests: reading the event stream, real X input on another thread
// while this one reads events, screen pixels, and a test window whose background the test paints.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gui_test {

// One event as the accessors described it right after its wait returned.
struct SeenEvent {
    int event;
    intptr_t window;
    intptr_t gadget;
    int type;
};

// Reads events until none has come for quiet_ms, or for limit_ms at most (a running control's
// timer never lets the stream fall quiet); the events returned are never 0.
std::vector<SeenEvent> read_events(int quiet_ms = 150, int limit_ms = 2000);
// Only those with the given code.
std::vector<SeenEvent> only(const std::vector<SeenEvent>& events, int code);

// Runs `xdotool <arguments>` while this thread reads the event stream (the X input helper pumps
// the messages of the thread it runs on, so it runs on its own), then reads until quiet.
std::vector<SeenEvent> events_during_input(const std::string& xdotool_arguments, int quiet_ms = 200);
// The screen point of a client point of a window, as xdotool's "mousemove X Y" text.
std::string screen_point(HWND window, int x, int y);

// A rectangle of screen pixels read back from the screen (as COLORREF values).
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> values;
    COLORREF at(int x, int y) const { return values[static_cast<size_t>(y * width + x)]; }
    bool contains(COLORREF colour) const;
    bool operator==(const Pixels& other) const { return width == other.width && values == other.values; }
};
// The pixels of a client rectangle of a window, after letting pending paints run.
Pixels client_pixels(HWND window, const RECT& client_area);
Pixels client_pixels(HWND window);

// The background the tests paint behind their gadgets: vertical stripes, 3 pixels of each colour.
COLORREF background_at(int x, int y);
// How the pixels of a client rectangle split: the striped background as painted under it, one
// colour, or anything else.
struct Split {
    int background = 0, coloured = 0, other = 0;
};
Split split(const Pixels& pixels, const RECT& area, COLORREF colour);
void paint_stripes(HDC dc, const RECT& client);
// Puts a procedure in front of the window that paints its background on WM_ERASEBKGND and answers
// WM_CTLCOLORSTATIC of the controls made transparent with the null brush in transparent mode, as
// the window background image and the colour library do for the converter's labels.
void paint_background(HWND window);
void make_transparent(HWND control);

// The window the tests build in: window 0 of the converter's size and style, centred and shown,
// with the painted background. Closes every window number the test used when it ends.
class TestWindow {
public:
    TestWindow();
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND handle() const { return handle_; }

private:
    HWND handle_;
};

// Moves the mouse to a corner no test window covers.
void park_mouse();

} // namespace gui_test

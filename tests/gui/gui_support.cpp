// Helpers of the window and gadget tests.
#include "gui_support.h"

#include "gui/windows.h"
#include "support/x_input.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace gui_test {

namespace {

constexpr uint32_t CONVERTER_WINDOW_FLAGS = 0x90000001;  // popup, invisible, centred on the screen

std::vector<HWND> transparent_controls;
WNDPROC procedure_behind_background;

bool is_transparent(HWND control) {
    for (HWND c : transparent_controls)
        if (c == control) return true;
    return false;
}

LRESULT CALLBACK background_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(window, &client);
        paint_stripes(reinterpret_cast<HDC>(wparam), client);
        return 1;
    }
    if (message == WM_CTLCOLORSTATIC && is_transparent(reinterpret_cast<HWND>(lparam))) {
        SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    return CallWindowProcA(procedure_behind_background, window, message, wparam, lparam);
}

void record(std::vector<SeenEvent>& events, int event) {
    events.push_back({event, rt::event_window(), rt::event_gadget(), rt::event_type()});
}

} // namespace

std::vector<SeenEvent> read_events(int quiet_ms, int limit_ms) {
    std::vector<SeenEvent> events;
    ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(limit_ms);
    while (GetTickCount64() < end) {
        int event = rt::next_window_event(quiet_ms);
        if (!event) break;
        record(events, event);
    }
    return events;
}

std::vector<SeenEvent> only(const std::vector<SeenEvent>& events, int code) {
    std::vector<SeenEvent> chosen;
    for (const SeenEvent& e : events)
        if (e.event == code) chosen.push_back(e);
    return chosen;
}

std::vector<SeenEvent> events_during_input(const std::string& xdotool_arguments, int quiet_ms) {
    std::atomic<bool> done{false};
    bool sent = false;
    std::thread input([&] {
        sent = test_support::send_x_input(xdotool_arguments);
        done = true;
    });
    std::vector<SeenEvent> events;
    while (!done)
        if (int event = rt::next_window_event(10)) record(events, event);
    input.join();
    EXPECT_TRUE(sent) << "xdotool " << xdotool_arguments;
    for (const SeenEvent& e : read_events(quiet_ms)) events.push_back(e);
    return events;
}

std::string screen_point(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return "mousemove " + std::to_string(point.x) + " " + std::to_string(point.y);
}

bool Pixels::contains(COLORREF colour) const {
    for (COLORREF c : values)
        if (c == colour) return true;
    return false;
}

namespace {

// Copies a screen rectangle into a top-down 32-bit DIB and hands its pixels to read.
template <class Read>
bool read_screen(const RECT& area, Read read) {
    int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    bool copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    if (copied) read(static_cast<const uint32_t*>(bits), width, height);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return copied;
}

} // namespace

Pixels client_pixels(HWND window, const RECT& client_area) {
    read_events(0);  // pending paints first
    POINT origin{client_area.left, client_area.top};
    ClientToScreen(window, &origin);
    RECT area{origin.x, origin.y, origin.x + client_area.right - client_area.left,
              origin.y + client_area.bottom - client_area.top};
    Pixels pixels;
    read_screen(area, [&](const uint32_t* bits, int width, int height) {
        pixels.width = width;
        pixels.height = height;
        for (int i = 0; i < width * height; ++i) {
            uint32_t bgr = bits[i];
            pixels.values.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
        }
    });
    return pixels;
}

Pixels client_pixels(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return client_pixels(window, client);
}

COLORREF background_at(int x, int) { return (x / 3) % 2 ? RGB(50, 51, 43) : RGB(40, 90, 170); }

Split split(const Pixels& pixels, const RECT& area, COLORREF colour) {
    Split result;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            COLORREF p = pixels.at(x, y);
            if (p == colour) ++result.coloured;
            else if (p == background_at(area.left + x, area.top + y)) ++result.background;
            else ++result.other;
        }
    return result;
}

namespace {

void fill(HDC dc, const RECT& area, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

} // namespace

void paint_stripes(HDC dc, const RECT& client) {
    for (int x = 0; x < client.right; x += 3) fill(dc, RECT{x, 0, x + 3, client.bottom}, background_at(x, 0));
}

void paint_background(HWND window) {
    procedure_behind_background = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(background_procedure)));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void make_transparent(HWND control) { transparent_controls.push_back(control); }

TestWindow::TestWindow() {
    handle_ = static_cast<HWND>(rt::open_window(0, 0, 0, 700, 440, "\xCE\xEA\xED\xEE", CONVERTER_WINDOW_FLAGS));
    paint_background(handle_);
    rt::hide_window(0, 0);
    SetForegroundWindow(handle_);
    read_events();
}

TestWindow::~TestWindow() {
    rt::close_window(0);
    transparent_controls.clear();
    read_events(50);
}

void park_mouse() { test_support::send_x_input("mousemove 5 5"); }

} // namespace gui_test

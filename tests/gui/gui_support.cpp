#include "gui_support.h"

#include "gui/windows.h"
#include "support/x_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

namespace gui_test {

namespace {

COLORREF background_at(int x) { return (x / 3) % 2 ? RGB(50, 51, 43) : RGB(40, 90, 170); }

SeenEvent seen(int event) { return {event, rt::event_gadget(), rt::event_type()}; }

WNDPROC procedure_behind_stripes;

LRESULT CALLBACK paint_stripes(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_ERASEBKGND) return CallWindowProcA(procedure_behind_stripes, window, message, wparam, lparam);
    RECT client;
    GetClientRect(window, &client);
    for (RECT stripe{0, 0, 3, client.bottom}; stripe.left < client.right; stripe.left += 3, stripe.right += 3) {
        HBRUSH brush = CreateSolidBrush(background_at(stripe.left));
        FillRect(reinterpret_cast<HDC>(wparam), &stripe, brush);
        DeleteObject(brush);
    }
    return 1;
}

} // namespace

std::vector<SeenEvent> read_events(int quiet_ms) {
    std::vector<SeenEvent> events;
    const ULONGLONG end = GetTickCount64() + 2000;
    for (int event; GetTickCount64() < end && (event = rt::next_window_event(quiet_ms));) events.push_back(seen(event));
    return events;
}

size_t count_events(const std::vector<SeenEvent>& events, int code) {
    return static_cast<size_t>(std::count_if(events.begin(), events.end(), [code](const SeenEvent& e) { return e.event == code; }));
}

std::vector<int> gadget_types(const std::vector<SeenEvent>& events, intptr_t gadget) {
    std::vector<int> types;
    for (const SeenEvent& e : events)
        if (e.event == rt::EV_GADGET && e.gadget == gadget) types.push_back(e.type);
    return types;
}

std::vector<SeenEvent> events_during_input(const std::string& xdotool_arguments) {
    auto sent = std::async(std::launch::async, [&] { return test_support::send_x_input(xdotool_arguments); });
    std::vector<SeenEvent> events;
    while (sent.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        if (int event = rt::next_window_event(10)) events.push_back(seen(event));
    EXPECT_TRUE(sent.get()) << "xdotool " << xdotool_arguments;
    for (const SeenEvent& e : read_events(200)) events.push_back(e);
    return events;
}

std::string screen_point(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return "mousemove " + std::to_string(point.x) + " " + std::to_string(point.y);
}

void park_mouse() { test_support::send_x_input("mousemove 5 5"); }

Pixels client_pixels(HWND window, const RECT& client_area) {
    read_events(0);  // pending paints first
    POINT origin{client_area.left, client_area.top};
    ClientToScreen(window, &origin);
    Pixels pixels{client_area.right - client_area.left, client_area.bottom - client_area.top, {}};
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), pixels.width, -pixels.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    for (const auto* bgr = static_cast<const uint32_t*>(bits); bgr && pixels.values.size() < size_t(pixels.width * pixels.height); ++bgr)
        pixels.values.push_back(RGB(*bgr >> 16 & 0xFF, *bgr >> 8 & 0xFF, *bgr & 0xFF));
    SelectObject(memory, previous), DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(nullptr, screen);
    return pixels;
}

Pixels client_pixels(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return client_pixels(window, client);
}

Split split(const Pixels& pixels, const RECT& area, COLORREF colour) {
    Split result;
    for (size_t i = 0; i < pixels.values.size(); ++i) {
        const COLORREF p = pixels.values[i];
        ++(p == colour ? result.coloured : p == background_at(area.left + int(i) % pixels.width) ? result.background : result.other);
    }
    return result;
}

ColourAnswer ask_colours(HWND window, HWND control, UINT message) {
    HDC dc = GetDC(control);
    SetTextColor(dc, UNSET), SetBkColor(dc, UNSET), SetBkMode(dc, OPAQUE);
    const LRESULT brush = SendMessageA(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    ColourAnswer answer{reinterpret_cast<HBRUSH>(brush), GetTextColor(dc), GetBkColor(dc), GetBkMode(dc)};
    ReleaseDC(control, dc);
    return answer;
}

TestWindow::TestWindow() {
    handle_ = static_cast<HWND>(rt::open_window(0, 0, 0, 700, 440, "\xCE\xEA\xED\xEE", 0x90000001));  // the converter's
    procedure_behind_stripes =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(paint_stripes)));
    rt::hide_window(0, 0), SetForegroundWindow(handle_), read_events();
}

TestWindow::~TestWindow() { rt::close_window(0), read_events(50); }

} // namespace gui_test

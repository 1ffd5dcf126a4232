// The baseline of the start-up and processor-time benchmarks: a bare Win32 program that opens a
// 700x440 popup in the screen's centre and waits for messages. Given "busy" on its command line it
// also does the least visible work of a running conversion: a marquee progress bar stepping every
// 50 ms and a 150x15 text redrawn once a second. WM_CLOSE ends it.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int WIDTH = 700, HEIGHT = 440;
constexpr RECT READ_OUT{520, 42, 670, 57};
constexpr UINT_PTR SECOND_TIMER = 1;

int seconds;

void paint_read_out(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60 % 60, seconds % 60);
    RECT area = READ_OUT;
    DrawTextA(dc, text, length, &area, DT_SINGLELINE);
    EndPaint(window, &paint);
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_TIMER:
        ++seconds;
        InvalidateRect(window, &READ_OUT, TRUE);
        return 0;
    case WM_PAINT:
        paint_read_out(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void start_busy_work(HWND window, HINSTANCE instance) {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_MARQUEE, 25, 380, 650, 17, window,
                               nullptr, instance, nullptr);
    SendMessageA(bar, PBM_SETMARQUEE, TRUE, 50);
    SetTimer(window, SECOND_TIMER, 1000, nullptr);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    window_class.lpszClassName = "BareWindow";
    if (!RegisterClassA(&window_class)) return 1;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - WIDTH) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - HEIGHT) / 2;
    HWND window = CreateWindowExA(0, "BareWindow", "Bare", WS_POPUP, x, y, WIDTH, HEIGHT, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) return 1;
    if (std::strstr(command_line, "busy")) start_busy_work(window, instance);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

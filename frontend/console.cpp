// The front-end's console: Russian text a person can read, or bytes a caller can read, and a
// window that stays clear of the converter's.
#include "console.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <iterator>

namespace frontend {

namespace {

constexpr UINT RUSSIAN_CODE_PAGE = 1251;
constexpr LONG MIN_CONSOLE_LINES = 6;

bool is_console(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

DWORD parent_process_id() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0, self = GetCurrentProcessId();
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent;
}

struct WindowSearch {
    DWORD process;
    HWND found;
    LONG area;
};

BOOL CALLBACK consider_window(HWND window, LPARAM data) {
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    RECT rect;
    if (process != search.process || !IsWindowVisible(window) || IsIconic(window) || !GetWindowRect(window, &rect))
        return TRUE;
    LONG area = (rect.right - rect.left) * (rect.bottom - rect.top);
    if (area > search.area) search = {search.process, window, area};
    return TRUE;
}

HWND caller_window() {
    WindowSearch search{parent_process_id(), nullptr, 0};
    if (search.process != 0) EnumWindows(consider_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Where a window of size w x h goes so that it does not cover `avoid`, inside `area`: below, right,
// left, above, in this order; below (clamped to the area) when nothing fits.
POINT clear_position(const RECT& avoid, const RECT& area, LONG w, LONG h) {
    auto clamp = [](LONG value, LONG low, LONG high) { return value > high ? (high < low ? low : high) : value < low ? low : value; };
    LONG x = clamp(avoid.left, area.left, area.right - w), y = clamp(avoid.top, area.top, area.bottom - h);
    if (avoid.bottom + h <= area.bottom) return {x, avoid.bottom};
    if (avoid.right + w <= area.right) return {avoid.right, y};
    if (avoid.left - w >= area.left) return {avoid.left - w, y};
    if (avoid.top - h >= area.top) return {x, avoid.top - h};
    return {x, clamp(avoid.bottom, area.top, area.bottom - h)};
}

// Shows fewer lines of the console so that its window is at most `height` pixels tall, keeping at
// least MIN_CONSOLE_LINES (the progress line and a short message); false when nothing changed.
bool shorten_console(HWND console, LONG height) {
    HANDLE output = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE) return false;
    CONSOLE_SCREEN_BUFFER_INFO buffer;
    RECT window, client;
    bool shortened = false;
    if (GetConsoleScreenBufferInfo(output, &buffer) && GetWindowRect(console, &window) && GetClientRect(console, &client)) {
        SMALL_RECT shown = buffer.srWindow;
        LONG lines = shown.Bottom - shown.Top + 1, frame = (window.bottom - window.top) - client.bottom;
        LONG line_height = lines > 0 ? client.bottom / lines : 0;
        LONG fitting = line_height > 0 ? (height - frame) / line_height : 0;
        if (fitting < lines) {
            shown.Bottom = static_cast<SHORT>(shown.Top + std::max(fitting, MIN_CONSOLE_LINES) - 1);
            shortened = SetConsoleWindowInfo(output, TRUE, &shown);
        }
    }
    CloseHandle(output);
    return shortened;
}

// The console window belongs to another process, which resizes it a moment later: its rectangle
// once it has changed, or as it is after half a second.
RECT rect_after_resize(HWND console, const RECT& before) {
    RECT now = before;
    for (int tries = 0; tries < 50 && EqualRect(&now, &before); ++tries) {
        Sleep(10);
        if (!GetWindowRect(console, &now)) return before;
    }
    return now;
}

} // namespace

bool writes_to_console() { return is_console(GetStdHandle(STD_OUTPUT_HANDLE)); }

void say(const std::string& text) { say(text.data(), text.size()); }

void say(const char* text, std::size_t size) {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (!is_console(output)) {
        WriteFile(output, text, static_cast<DWORD>(size), &written, nullptr);
        return;
    }
    wchar_t wide[256];  // Windows-1251 has one character per byte
    for (std::size_t done = 0; done < size; done += std::size(wide)) {
        int piece = static_cast<int>(std::min(size - done, std::size(wide)));
        int length = MultiByteToWideChar(RUSSIAN_CODE_PAGE, 0, text + done, piece, wide, piece);
        if (length > 0) WriteConsoleW(output, wide, static_cast<DWORD>(length), &written, nullptr);
    }
}

void wait_for_key(unsigned seconds) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (!is_console(input)) return;
    FlushConsoleInputBuffer(input);
    const ULONGLONG deadline = GetTickCount64() + seconds * 1000ULL;
    for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
        if (WaitForSingleObject(input, static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0) return;
        INPUT_RECORD record;
        DWORD count = 0;
        if (!ReadConsoleInputA(input, &record, 1, &count)) return;
        if (count == 1 && record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
    }
}

void place_console_beside_caller() {
    HWND console = GetConsoleWindow(), caller = caller_window();
    RECT avoid;
    if (!console || !caller || caller == console || !GetWindowRect(caller, &avoid)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(caller, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& area = monitor.rcWork;
    LONG room_below_or_above = std::max(area.bottom - avoid.bottom, avoid.top - area.top);
    RECT own;
    if (!GetWindowRect(console, &own)) return;
    bool fits_beside = std::max(area.right - avoid.right, avoid.left - area.left) >= own.right - own.left;
    if (!fits_beside && own.bottom - own.top > room_below_or_above && shorten_console(console, room_below_or_above))
        own = rect_after_resize(console, own);
    POINT at = clear_position(avoid, area, own.right - own.left, own.bottom - own.top);
    SetWindowPos(console, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace frontend

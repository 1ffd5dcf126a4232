// Top-level windows by number, their timers, and the one event stream of the program's thread.
//
// Every message the thread takes from its queue is dispatched as usual; what the window procedures
// learn on the way is folded into one process-wide event state, and each wait returns one event
// code: a runtime event below, or the raw message number when the message raised none.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rt {

// Event codes.
inline constexpr int EV_MOVE_WINDOW = 3;
inline constexpr int EV_SIZE_WINDOW = 5;
inline constexpr int EV_REPAINT = 15;
inline constexpr int EV_CLOSE_WINDOW = 16;
inline constexpr int EV_GADGET = 13100;
inline constexpr int EV_MENU = 13101;
inline constexpr int EV_ACTIVATE = 13104;
inline constexpr int EV_MINIMIZE = 13107;
inline constexpr int EV_MAXIMIZE = 13108;
inline constexpr int EV_RESTORE = 13109;
inline constexpr int EV_TIMER = 13110;

// Private messages: a gadget's event posted to its top-level window (wParam = gadget number,
// lParam = event type), and a message passed on to the gadget named by lParam.
inline constexpr UINT MSG_GADGET_EVENT = 13103;
inline constexpr UINT MSG_GADGET_PRIVATE = 13120;

// The answer of an inner procedure layer that leaves a message to the default handling.
inline constexpr LRESULT NOT_HANDLED = static_cast<LRESULT>(0xD0D0D0D1u);

// Flags of open_window: the low bits are the library's, the others Win32 styles passed through.
inline constexpr uint32_t WF_CENTER_SCREEN = 0x00000001;
inline constexpr uint32_t WF_CENTER_PARENT = 0x00000002;  // on the parent, or the active window
inline constexpr uint32_t WF_TOOL = 0x00000004;
inline constexpr uint32_t WF_NO_GADGET_LIST = 0x00000008;  // new gadgets do not go into it
inline constexpr uint32_t WF_INVISIBLE = 0x10000000;       // the WS_VISIBLE bit, read the other way

// Property of every runtime window: its number plus one.
inline constexpr char WINDOW_ID_PROPERTY[] = "KV_WindowID";

// x or y given as this (without a centring flag) lets the system place the window.
inline constexpr int WINDOW_DEFAULT_POSITION = -65535;

// Tab commands of every window's accelerator table.
inline constexpr WORD COMMAND_FOCUS_NEXT = 64001;
inline constexpr WORD COMMAND_FOCUS_PREVIOUS = 64002;

struct WindowRecord {
    HWND handle;
    ACCEL* accelerators;  // owned: Tab and Shift+Tab
    HACCEL accelerator_table;
    int accelerator_count;
    int was_min_or_max;  // 1 while minimised or maximised: the next restore is an EV_RESTORE
};

void init_window_library();
// Closes every window still open (shutdown).
void free_window_library();

// Opens a window whose client area is width x height. Returns the native handle, or for
// DYNAMIC_NUMBER the record's address (the window's identity); null on failure. A window already
// under the number is closed first. Unless WF_NO_GADGET_LIST, new gadgets go into the window.
void* open_window(intptr_t number, int x, int y, int width, int height, const char* title,
                  uint32_t flags, HWND parent = nullptr);
void close_window(intptr_t number);
HWND window_handle(intptr_t number);
// A non-zero state hides the window; 0 shows it as it was (maximised, minimised or normal).
// Returns ShowWindow's answer.
BOOL hide_window(intptr_t number, int state);
// The runtime window that a window is, or lies in; null when it lies in none.
HWND runtime_window_of(HWND window);

// The next event code, or 0 when none came within timeout_ms (-1 waits without end, 0 polls).
int next_window_event(int timeout_ms);
int wait_window_event();
// The last returned event's window number, its object (gadget number, or timer id: the same
// field), and its type (a gadget's notification or event type; -1 when the event has none).
intptr_t event_window();
intptr_t event_gadget();
intptr_t event_timer();
int event_type();

// Win32 timers of a window: each tick is an EV_TIMER with event_timer() = timer_id. Adding a
// running id restarts it. Both answer 0 for a number that holds no window.
UINT_PTR add_window_timer(intptr_t number, UINT_PTR timer_id, UINT interval_ms);
BOOL remove_window_timer(intptr_t number, UINT_PTR timer_id);

} // namespace rt

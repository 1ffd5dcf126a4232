// The window table, the window procedure of every runtime window, and the process-wide event state.
//
// Invariants: a runtime window carries the property "KV_WindowID" holding its number plus one, so
// that a missing property (null) is never read as window 0. The accessors read only the snapshot
// taken when a wait returns, so messages sent by the application between waits do not change
// what they answer. A queued (code, window) pair is never queued twice in a row, except a timer's
// tick: every tick is returned once, so a count of ticks keeps time even across a modal loop (a
// window drag, a dialog) that dispatches many ticks before the next wait. A number names a window
// only while that window exists: one destroyed by any means gives its number back.
#include "gui/windows.h"

#include "core/memory.h"
#include "core/objects.h"
#include "core/process.h"
#include "gui/gadgets.h"

#include <cstdio>

namespace rt {

namespace {

// The three low bits of the flags are the library's own and never reach the window's style.
constexpr uint32_t LIBRARY_FLAGS = WF_CENTER_SCREEN | WF_CENTER_PARENT | WF_TOOL;
// A window whose flags hold nothing but these has no style of its own: it gets a caption.
constexpr uint32_t PLACEMENT_FLAGS = WF_CENTER_SCREEN | WF_CENTER_PARENT | WF_INVISIBLE;
// A control with this id reports its commands as menu commands.
constexpr intptr_t MENU_CONTROL_ID = -10000;
constexpr DWORD TOOL_REMOVED_STYLES = WS_MINIMIZE | WS_MAXIMIZE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

struct QueuedEvent {
    int code;
    intptr_t window;
    intptr_t timer;  // the timer id of a tick
};

struct EventSnapshot {
    intptr_t object;
    intptr_t window;
    int type;
    int event;
    WPARAM wparam;
    LPARAM lparam;
};

struct EventState {
    intptr_t object;  // gadget number, menu id or timer id of the current event
    intptr_t window;  // window number of the last message a window procedure saw, or -1
    int type;         // reset to -1 by every wait
    int pending;      // event code raised during the current dispatch; 0 = none
    intptr_t pending_tick_window;  // the window of a pending EV_TIMER
    WPARAM wparam;
    LPARAM lparam;
    EventSnapshot snapshot;
    ListLink* queue;  // events of sent messages, newest first; the oldest is returned first
};

ObjectTable* window_table;
EventState* events;
HICON program_icon;
HCURSOR arrow_cursor;

void window_class_name(intptr_t number, char (&name)[40]) {
    std::snprintf(name, sizeof name, "WindowClass_%lld", static_cast<long long>(number));
}

// The number of the runtime window that a window is, or lies in; -1 when there is none.
intptr_t window_number_of(HWND window) {
    HWND runtime_window = runtime_window_of(window);
    return runtime_window ? reinterpret_cast<intptr_t>(GetPropA(runtime_window, WINDOW_ID_PROPERTY)) - 1 : -1;
}

// --- The event queue -------------------------------------------------------------------------

void append_event(int code, intptr_t window, intptr_t timer) {
    *add_entry<QueuedEvent>(&events->queue) = QueuedEvent{code, window, timer};
}

void queue_event(int code, intptr_t window) {
    if (events->queue) {
        auto* newest = static_cast<QueuedEvent*>(list_record(events->queue));
        if (newest->code == code && newest->window == window) return;  // a burst collapses
    }
    append_event(code, window, 0);
}

// A pending tick about to be replaced or cleared goes to the queue instead of being lost.
void keep_pending_tick() {
    if (events->pending != EV_TIMER) return;
    append_event(EV_TIMER, events->pending_tick_window, events->object);
    events->pending = 0;
}

bool pop_oldest_event(QueuedEvent& event) {
    ListLink* oldest = events->queue;
    if (!oldest) return false;
    while (oldest->next) oldest = oldest->next;
    event = *static_cast<QueuedEvent*>(list_record(oldest));
    remove_list_entry(&events->queue, list_record(oldest));
    return true;
}

void raise_event(int code, intptr_t object) {
    keep_pending_tick();
    events->pending = code;
    events->object = object;
}

void raise_tick(intptr_t window, intptr_t timer) {
    raise_event(EV_TIMER, timer);
    events->pending_tick_window = window;
}

// --- Focus navigation with Tab and Shift+Tab ---------------------------------------------------

// The tab stops around the focused control, in the order EnumChildWindows gives.
struct TabStops {
    HWND current;
    bool passed_current;
    HWND first, last;
    HWND before_current, after_current;
};

bool is_tab_stop(HWND window) {
    return IsWindowEnabled(window) && IsWindowVisible(window) &&
           (GetWindowLongPtrA(window, GWL_STYLE) & WS_TABSTOP);
}

BOOL CALLBACK visit_tab_stop(HWND child, LPARAM data) {
    auto& stops = *reinterpret_cast<TabStops*>(data);
    if (child == stops.current) {
        stops.passed_current = true;
        return TRUE;
    }
    if (!is_tab_stop(child)) return TRUE;
    if (!stops.first) stops.first = child;
    stops.last = child;
    if (!stops.passed_current) stops.before_current = child;
    else if (!stops.after_current) stops.after_current = child;
    return TRUE;
}

// Gives the focus to the next (or previous) tab stop of the active window, wrapping at the ends.
void move_focus(bool forward) {
    HWND active = GetActiveWindow();
    if (!active) return;
    HWND focus = GetFocus();
    TabStops stops{};
    stops.current = focus && IsChild(active, focus) ? focus : nullptr;
    EnumChildWindows(active, visit_tab_stop, reinterpret_cast<LPARAM>(&stops));
    HWND target = forward ? (stops.after_current ? stops.after_current : stops.first)
                          : (stops.before_current ? stops.before_current : stops.last);
    if (target) SetFocus(target);
}

// --- The window procedure ----------------------------------------------------------------------

// What the procedure knows about the window a message is for.
struct Target {
    HWND window;
    intptr_t number;  // -1 when the window belongs to no runtime window
    WindowRecord* record;
};

// --- Forgetting a window ----------------------------------------------------------------------

// Takes the runtime's marks off a window that is about to go.
void detach_window(HWND window) {
    RemovePropA(window, WINDOW_ID_PROPERTY);
    remove_drop_target(window);
}

// Frees what a window's record holds besides the window, and the number with it.
void release_window_record(intptr_t number, const WindowRecord& record) {
    main_free(record.accelerators);
    DestroyAcceleratorTable(record.accelerator_table);
    release_object(window_table, number);
}

// A window destroyed other than by close_window (by DestroyWindow, or with its owner) gives its
// number back at once, so the number never names a handle that may come to be another window's.
// Its class stays registered: a class cannot go while a window of it exists, and opening the
// number again reuses it.
void forget_destroyed_window(const Target& target) {
    WindowRecord destroyed = *target.record;
    detach_window(target.window);
    release_window_record(target.number, destroyed);
}

LRESULT on_size(const Target& target, WPARAM kind) {
    if (GetWindowLongPtrA(target.window, GWL_STYLE) & WS_CHILD) return 1;
    if (!target.record) return NOT_HANDLED;
    WindowRecord& record = *target.record;
    switch (kind) {
    case SIZE_RESTORED:
        if (record.was_min_or_max) {
            record.was_min_or_max = 0;
            queue_event(EV_RESTORE, target.number);
        }
        queue_event(EV_SIZE_WINDOW, target.number);
        break;
    case SIZE_MINIMIZED:
        record.was_min_or_max = 1;
        queue_event(EV_MINIMIZE, target.number);
        break;
    case SIZE_MAXIMIZED:
        record.was_min_or_max = 1;
        queue_event(EV_MAXIMIZE, target.number);
        queue_event(EV_SIZE_WINDOW, target.number);
        break;
    default:
        queue_event(EV_SIZE_WINDOW, target.number);
    }
    return 0;
}

LRESULT on_command(const Target& target, WPARAM wparam, LPARAM lparam) {
    auto control = reinterpret_cast<HWND>(lparam);
    if (control) {
        if (gadget_parent_message(target.window, WM_COMMAND, wparam, lparam, control) != NOT_HANDLED)
            return 0;
        intptr_t id = GetWindowLongPtrA(control, GWLP_ID);
        if (id == MENU_CONTROL_ID) {
            raise_event(EV_MENU, LOWORD(wparam));
        } else {
            raise_event(EV_GADGET, id);
            events->type = HIWORD(wparam);
        }
    } else if (HIWORD(wparam) == 0) {
        raise_event(EV_MENU, static_cast<intptr_t>(wparam));
    } else if (LOWORD(wparam) == COMMAND_FOCUS_NEXT || LOWORD(wparam) == COMMAND_FOCUS_PREVIOUS) {
        move_focus(LOWORD(wparam) == COMMAND_FOCUS_NEXT);
    } else {
        raise_event(EV_MENU, LOWORD(wparam));
    }
    return 0;
}

BOOL CALLBACK send_system_colour_change(HWND child, LPARAM) {
    SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

LRESULT dispatch(const Target& target, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_MOVE:
    case WM_CLOSE:  // a close request only asks: the window stays
        if (target.number != -1) queue_event(message == WM_MOVE ? EV_MOVE_WINDOW : EV_CLOSE_WINDOW, target.number);
        return 0;
    case WM_SIZE:
        return on_size(target, wparam);
    case WM_ACTIVATE:
        if (LOWORD(wparam) && target.record) queue_event(EV_ACTIVATE, target.number);
        return 1;
    case WM_ERASEBKGND:
        if (target.record) queue_event(EV_REPAINT, target.number);
        return NOT_HANDLED;
    case WM_GETMINMAXINFO:
        if (!target.record) return NOT_HANDLED;
        if (GetWindowLongPtrA(target.window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)
            reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize.x = 1;
        return 0;
    case WM_SYSCOLORCHANGE:
        EnumChildWindows(target.window, send_system_colour_change, 0);
        return NOT_HANDLED;
    case WM_NOTIFY:
        if (!lparam) return NOT_HANDLED;
        return gadget_parent_message(target.window, message, wparam, lparam,
                                     reinterpret_cast<NMHDR*>(lparam)->hwndFrom);
    case WM_COMMAND:
        return on_command(target, wparam, lparam);
    case WM_NCDESTROY:  // only the window's own record: an owned window's search reaches its owner
        if (target.record && target.record->handle == target.window) forget_destroyed_window(target);
        return NOT_HANDLED;
    case WM_TIMER:
        if (!target.record) return NOT_HANDLED;
        raise_tick(target.number, static_cast<intptr_t>(wparam));
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case MSG_GADGET_PRIVATE:
        return gadget_parent_message(target.window, message, wparam, lparam, reinterpret_cast<HWND>(lparam));
    case MSG_GADGET_EVENT:
        raise_event(EV_GADGET, static_cast<intptr_t>(wparam));
        events->type = static_cast<int>(lparam);
        return 0;
    default:
        return NOT_HANDLED;
    }
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Target target{window, window_number_of(window), nullptr};
    if (target.number != -1) target.record = find<WindowRecord>(window_table, target.number);
    events->window = target.number;
    LRESULT result = dispatch(target, message, wparam, lparam);
    SetLastError(0);
    return result == NOT_HANDLED ? DefWindowProcA(window, message, wparam, lparam) : result;
}

// --- Opening ---------------------------------------------------------------------------------

// Window styles and placement worked out from open_window's flags and sizes.
struct Placement {
    DWORD style;
    DWORD ex_style;
    bool visible;
    bool gadget_list;
    int x, y, width, height;  // outer size
};

Placement place_window(int x, int y, int width, int height, uint32_t flags, HWND parent) {
    Placement place{};
    place.gadget_list = !(flags & WF_NO_GADGET_LIST);
    flags &= ~WF_NO_GADGET_LIST;
    if ((flags & ~PLACEMENT_FLAGS) == 0) flags |= WS_CAPTION;
    place.visible = !(flags & WF_INVISIBLE);
    flags &= ~WF_INVISIBLE;
    if (flags & WF_TOOL) {
        flags = (flags & ~TOOL_REMOVED_STYLES) | WS_CAPTION;
        place.ex_style = WS_EX_TOOLWINDOW;
    }
    place.style = flags & ~LIBRARY_FLAGS;

    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, place.style, FALSE, place.ex_style);
    place.width = outer.right - outer.left;
    place.height = outer.bottom - outer.top;
    place.x = x;
    place.y = y;
    if (flags & WF_CENTER_SCREEN) {
        int screen_width = GetSystemMetrics(SM_CXSCREEN), screen_height = GetSystemMetrics(SM_CYSCREEN);
        if (place.width > screen_width) place.width = screen_width;
        if (place.height > screen_height) place.height = screen_height;
        place.x = (screen_width - place.width) / 2;
        place.y = (screen_height - place.height) / 2;
    } else if (flags & WF_CENTER_PARENT) {
        RECT around;
        HWND centre_on = parent ? parent : GetActiveWindow();
        if (centre_on && GetWindowRect(centre_on, &around)) {
            place.x = around.left + (around.right - around.left - place.width) / 2;
            place.y = around.top + (around.bottom - around.top - place.height) / 2;
            if (place.x < 0) place.x = 0;
            if (place.y < 0) place.y = 0;
        }
    } else if (x == WINDOW_DEFAULT_POSITION || y == WINDOW_DEFAULT_POSITION) {
        place.x = place.y = CW_USEDEFAULT;
    }
    return place;
}

void register_window_class(const char* name) {
    WNDCLASSA window_class{};
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = module_handle();
    window_class.hIcon = program_icon;
    window_class.hCursor = arrow_cursor;
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = name;
    RegisterClassA(&window_class);  // already registered for a number reused is fine
}

void make_tab_accelerators(WindowRecord& record) {
    record.accelerator_count = 2;
    record.accelerators = static_cast<ACCEL*>(main_allocate(2 * sizeof(ACCEL)));
    record.accelerators[0] = ACCEL{FVIRTKEY | FNOINVERT, VK_TAB, COMMAND_FOCUS_NEXT};
    record.accelerators[1] = ACCEL{FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, COMMAND_FOCUS_PREVIOUS};
    record.accelerator_table = CreateAcceleratorTableA(record.accelerators, record.accelerator_count);
}

int show_command_for(DWORD style) {
    if (style & WS_MAXIMIZE) return SW_MAXIMIZE;
    if (style & WS_MINIMIZE) return SW_SHOWMINIMIZED;
    return SW_SHOWNORMAL;
}

void activate_owner(HWND window) {
    if (HWND owner = GetWindow(window, GW_OWNER)) SetActiveWindow(owner);
}

// The accelerator table of the active runtime window, which turns Tab into focus moves.
HACCEL active_accelerators(HWND active) {
    if (!active) return nullptr;
    HANDLE id = GetPropA(active, WINDOW_ID_PROPERTY);
    if (!id) return nullptr;
    auto* record = find<WindowRecord>(window_table, reinterpret_cast<intptr_t>(id) - 1);
    return record ? record->accelerator_table : nullptr;
}

// Takes one message (waiting as timeout_ms says) and dispatches it; false when none came.
bool take_message(int timeout_ms, MSG& message) {
    if (timeout_ms == -1) {
        GetMessageA(&message, nullptr, 0, 0);
        return true;
    }
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) return true;
    if (timeout_ms == 0) return false;
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeout_ms), QS_ALLINPUT) == WAIT_TIMEOUT)
        return false;
    return PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD);
}

void dispatch_message(MSG& message) {
    HWND active = GetActiveWindow();
    HACCEL accelerators = active_accelerators(active);
    if (accelerators && TranslateAcceleratorA(active, accelerators, &message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

} // namespace

HWND runtime_window_of(HWND window) {
    for (; window; window = GetParent(window))
        if (GetPropA(window, WINDOW_ID_PROPERTY)) return window;
    return nullptr;
}

void init_window_library() {
    window_table = create_table_of<WindowRecord>(16, close_window);
    events = create_library_state<EventState>();
    events->window = -1;
    events->type = -1;
    events->snapshot.window = -1;
    events->snapshot.type = -1;
    program_icon = LoadIconA(module_handle(), MAKEINTRESOURCEA(1));
    arrow_cursor = LoadCursorA(nullptr, IDC_ARROW);
}

void free_window_library() { free_all_objects(window_table, close_window); }

void* open_window(intptr_t number, int x, int y, int width, int height, const char* title, uint32_t flags,
                  HWND parent) {
    auto* record = claim<WindowRecord>(window_table, number);
    if (!record) return nullptr;
    intptr_t identity = identity_of(number, record);
    char class_name[40];
    window_class_name(identity, class_name);
    register_window_class(class_name);

    Placement place = place_window(x, y, width, height, flags, parent);
    HWND window = CreateWindowExA(place.ex_style, class_name, title ? title : "", place.style, place.x, place.y,
                                  place.width, place.height, parent, nullptr, module_handle(), nullptr);
    if (!window) {
        UnregisterClassA(class_name, module_handle());
        abandon_claim(window_table, number, record);
        return nullptr;
    }
    record->handle = window;
    SetPropA(window, WINDOW_ID_PROPERTY, reinterpret_cast<HANDLE>(identity + 1));
    record->was_min_or_max = (place.style & (WS_MAXIMIZE | WS_MINIMIZE)) ? 1 : 0;
    if (place.visible) ShowWindow(window, show_command_for(place.style));
    make_tab_accelerators(*record);
    if (place.gadget_list) use_gadget_list(window);
    return number == DYNAMIC_NUMBER ? static_cast<void*>(record) : static_cast<void*>(window);
}

void close_window(intptr_t number) {
    auto* record = find<WindowRecord>(window_table, number);
    if (!record) return;
    WindowRecord closing = *record;
    activate_owner(closing.handle);
    detach_window(closing.handle);  // its WM_NCDESTROY then leaves the record to this call
    DestroyWindow(closing.handle);
    char class_name[40];
    window_class_name(number, class_name);
    UnregisterClassA(class_name, module_handle());
    release_window_record(number, closing);
}

HWND window_handle(intptr_t number) {
    auto* record = find<WindowRecord>(window_table, number);
    return record ? record->handle : nullptr;
}

BOOL hide_window(intptr_t number, int state) {
    HWND window = window_handle(number);
    if (!window) return FALSE;
    if (state) {
        activate_owner(window);
        return ShowWindow(window, SW_HIDE);
    }
    if (IsZoomed(window)) return ShowWindow(window, SW_MAXIMIZE);
    if (IsIconic(window)) return ShowWindow(window, SW_SHOWMINIMIZED);
    return ShowWindow(window, SW_SHOWNORMAL);
}

int next_window_event(int timeout_ms) {
    events->type = -1;
    int event;
    QueuedEvent queued;
    keep_pending_tick();
    if (pop_oldest_event(queued)) {
        event = queued.code;
        events->window = queued.window;
        if (event == EV_TIMER) events->object = queued.timer;
        events->pending = 0;
    } else {
        MSG message{};
        if (!take_message(timeout_ms, message)) return 0;
        dispatch_message(message);
        if (events->pending) {
            event = events->pending;
            events->pending = 0;
        } else {
            event = static_cast<int>(message.message);
            events->wparam = message.wParam;
            events->lparam = message.lParam;
        }
    }
    events->snapshot = EventSnapshot{events->object, events->window, events->type, event,
                                     events->wparam, events->lparam};
    return event;
}

int wait_window_event() { return next_window_event(-1); }

intptr_t event_window() { return events->snapshot.window; }
intptr_t event_gadget() { return events->snapshot.object; }
intptr_t event_timer() { return events->snapshot.object; }
int event_type() { return events->snapshot.type; }

UINT_PTR add_window_timer(intptr_t number, UINT_PTR timer_id, UINT interval_ms) {
    RuntimeCall call;
    if (!call) return 0;
    HWND window = window_handle(number);
    return window ? SetTimer(window, timer_id, interval_ms, nullptr) : 0;
}

BOOL remove_window_timer(intptr_t number, UINT_PTR timer_id) {
    RuntimeCall call;
    if (!call) return FALSE;
    HWND window = window_handle(number);
    return window ? KillTimer(window, timer_id) : FALSE;
}

} // namespace rt

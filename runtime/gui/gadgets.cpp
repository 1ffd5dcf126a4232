// The gadget table, the gadget list, the common gadget procedure and the generic gadget operations.
//
// Invariant: a window that has been a gadget list carries the property "KV_GadgetStack_<module>"
// with its GadgetListRecord and has the gadget-list procedure in front of its own; both go when
// the window is destroyed, and the current list window is then none.
#include "gui/gadgets.h"

#include "core/memory.h"
#include "core/objects.h"
#include "core/process.h"
#include "gui/windows.h"

#include <commctrl.h>
#include <ole2.h>

#include <cstdio>

namespace rt {

namespace {

constexpr char GADGET_ID_PROPERTY[] = "KV_ID";
constexpr char DROP_TARGET_PROPERTY[] = "KV_DropAccept";
// Tab, hot-key, date, extended combo box and internet-address classes.
constexpr DWORD GADGET_CONTROL_CLASSES = 0x0B48;

struct GadgetListState {
    HWND list_window;  // parent of every new gadget
    HFONT font;        // given to every new gadget
};

struct GadgetListRecord {
    HWND window;
    WNDPROC previous_proc;
};

ObjectTable* gadget_table;
GadgetListState* list_state;
// Named after the module, so that runtimes of two modules in one process keep apart.
char list_property[40];

GadgetRecord* find_gadget(intptr_t number) { return find<GadgetRecord>(gadget_table, number); }

// Destroys a gadget's control; its WM_NCDESTROY frees the record.
void free_gadget(intptr_t number) {
    if (GadgetRecord* record = find_gadget(number)) DestroyWindow(record->handle);
}

// Frees the record of a control that is being destroyed.
void forget_gadget(HWND control) {
    intptr_t number = GetWindowLongPtrA(control, GWLP_ID);
    GadgetRecord* record = gadget_of_control(control);
    if (!record) return;
    if (record->ops->release) record->ops->release(*record);
    RemovePropA(control, GADGET_ID_PROPERTY);
    remove_drop_target(control);
    SetWindowLongPtrA(control, GWLP_ID, -1);
    release_object(gadget_table, number);
}

LRESULT CALLBACK gadget_procedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    GadgetRecord* record = gadget_of_control(control);
    if (!record) return DefWindowProcA(control, message, wparam, lparam);
    LRESULT answer = CallWindowProcA(record->previous_proc, control, message, wparam, lparam);
    if (message == WM_NCDESTROY) forget_gadget(control);
    return answer;
}

LRESULT CALLBACK gadget_list_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* record = static_cast<GadgetListRecord*>(GetPropA(window, list_property));
    if (!record) return DefWindowProcA(window, message, wparam, lparam);
    WNDPROC previous = record->previous_proc;
    if (message == WM_NCDESTROY) {
        if (list_state->list_window == window) list_state->list_window = nullptr;
        RemovePropA(window, list_property);
        main_free(record);
    }
    return previous ? CallWindowProcA(previous, window, message, wparam, lparam)
                    : DefWindowProcA(window, message, wparam, lparam);
}

} // namespace

GadgetRecord* gadget_of_control(HWND control) {
    if (!control) return nullptr;
    GadgetRecord* record = find_gadget(GetWindowLongPtrA(control, GWLP_ID));
    return record && record->handle == control ? record : nullptr;
}

HFONT current_gadget_font() { return list_state->font; }

GadgetOps gadget_ops(intptr_t kind) {
    GadgetOps ops{};
    ops.kind = kind;
    ops.table_size = sizeof(GadgetOps);
    return ops;
}

Lock& gadget_library_lock() {
    static Lock lock;
    return lock;
}

void init_gadget_library() {
    gadget_library_lock();
    gadget_table = create_table_of<GadgetRecord>(50, free_gadget);
    list_state = create_library_state<GadgetListState>();
    list_state->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    std::snprintf(list_property, sizeof list_property, "KV_GadgetStack_%lld",
                  static_cast<long long>(reinterpret_cast<intptr_t>(module_handle())));
    INITCOMMONCONTROLSEX classes{sizeof classes, GADGET_CONTROL_CLASSES};
    InitCommonControlsEx(&classes);
}

HWND use_gadget_list(HWND window) {
    HWND previous = list_state->list_window;
    if (!window || !IsWindow(window)) return previous;
    if (!GetPropA(window, list_property)) {
        auto* record = static_cast<GadgetListRecord*>(main_allocate(sizeof(GadgetListRecord)));
        record->window = window;
        SetPropA(window, list_property, record);
        record->previous_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gadget_list_procedure)));
    }
    list_state->list_window = window;
    return previous;
}

GadgetRecord* create_gadget(intptr_t number, const GadgetControl& control, HWND* handle) {
    *handle = CreateWindowExA(control.ex_style, control.class_name, control.text ? control.text : "",
                              control.style, control.x, control.y, control.width, control.height,
                              list_state->list_window, reinterpret_cast<HMENU>(control.control_id),
                              module_handle(), nullptr);
    if (!*handle) return nullptr;
    auto* record = claim<GadgetRecord>(gadget_table, number);
    if (!record) {
        DestroyWindow(*handle);
        *handle = nullptr;
    }
    return record;
}

void* register_gadget(intptr_t number, GadgetRecord* record, HWND handle, const GadgetOps* ops) {
    intptr_t identity = identity_of(number, record);
    record->handle = handle;
    record->ops = ops;
    record->previous_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gadget_procedure)));
    SetWindowLongPtrA(handle, GWLP_ID, identity);
    SetPropA(handle, GADGET_ID_PROPERTY, reinterpret_cast<HANDLE>(identity));
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(list_state->font), TRUE);
    return number == DYNAMIC_NUMBER ? static_cast<void*>(record) : static_cast<void*>(handle);
}

HWND gadget_top_window(HWND control) {
    HWND window = runtime_window_of(control);
    return window ? window : GetAncestor(control, GA_ROOT);
}

void post_gadget_event(HWND control, int type) {
    PostMessageA(gadget_top_window(control), MSG_GADGET_EVENT,
                 static_cast<WPARAM>(GetWindowLongPtrA(control, GWLP_ID)), type);
}

LRESULT gadget_parent_message(HWND parent, UINT message, WPARAM wparam, LPARAM lparam, HWND control) {
    GadgetRecord* record = gadget_of_control(control);
    if (!record || !record->ops->on_parent_message) return NOT_HANDLED;
    return record->ops->on_parent_message(*record, parent, message, wparam, lparam);
}

void remove_drop_target(HWND window) {
    if (RemovePropA(window, DROP_TARGET_PROPERTY)) RevokeDragDrop(window);
}

HWND gadget_handle(intptr_t number) {
    RuntimeCall call;
    if (!call) return nullptr;
    GadgetRecord* record = find_gadget(number);
    return record ? record->handle : nullptr;
}

bool is_gadget(intptr_t number) { return is_object(gadget_table, number) != nullptr; }

BOOL hide_gadget(intptr_t number, int state) {
    RuntimeCall call;
    if (!call) return FALSE;
    GadgetRecord* record = find_gadget(number);
    if (!record) return FALSE;
    if (record->ops->hide) return record->ops->hide(*record, state);
    return ShowWindow(record->handle, state ? SW_HIDE : SW_SHOW);
}

BOOL disable_gadget(intptr_t number, int state) {
    GadgetRecord* record = find_gadget(number);
    return record ? EnableWindow(record->handle, state == 0) : FALSE;
}

intptr_t set_gadget_state(intptr_t number, intptr_t value) {
    GadgetRecord* record = find_gadget(number);
    return record && record->ops->set_state ? record->ops->set_state(*record, value) : 0;
}

intptr_t get_gadget_state(intptr_t number) {
    GadgetRecord* record = find_gadget(number);
    return record && record->ops->get_state ? record->ops->get_state(*record) : 0;
}

BOOL set_gadget_text(intptr_t number, const char* text) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return FALSE;
    if (!text) text = "";
    if (record->ops->set_text) return record->ops->set_text(*record, text);
    return SetWindowTextA(record->handle, text);
}

intptr_t set_gadget_colour(intptr_t number, int colour_kind, GadgetColour colour) {
    GadgetRecord* record = find_gadget(number);
    return record && record->ops->set_colour ? record->ops->set_colour(*record, colour_kind, colour) : 0;
}

GadgetColour get_gadget_colour(intptr_t number, int colour_kind) {
    GadgetRecord* record = find_gadget(number);
    if (!record) return 0;
    return record->ops->get_colour ? record->ops->get_colour(*record, colour_kind) : NO_COLOUR;
}

void set_gadget_attribute(intptr_t number, int attribute, intptr_t value) {
    GadgetRecord* record = find_gadget(number);
    if (record && record->ops->set_attribute) record->ops->set_attribute(*record, attribute, value);
}

intptr_t get_gadget_attribute(intptr_t number, int attribute) {
    GadgetRecord* record = find_gadget(number);
    return record && record->ops->get_attribute ? record->ops->get_attribute(*record, attribute) : 0;
}

} // namespace rt

// Text fields, buttons, frames and progress bars: the standard controls with a gadget's record.
#include "gui/controls.h"

#include "gui/hyperlink.h"
#include "gui/windows.h"

#include <commctrl.h>

namespace rt {

namespace {

constexpr DWORD TEXT_FIELD_STYLE = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD BUTTON_STYLE = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
constexpr DWORD GROUP_BOX_STYLE = WS_CHILD | WS_VISIBLE | WS_GROUP | BS_GROUPBOX;
constexpr DWORD BORDER_FRAME_STYLE = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP | SS_CENTER;
constexpr DWORD PROGRESS_STYLE = WS_CHILD | WS_VISIBLE;

// The control procedures the kinds put their own in front of.
WNDPROC edit_procedure;
WNDPROC static_procedure;

WNDPROC put_in_front(HWND control, WNDPROC procedure) {
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

// --- Text field --------------------------------------------------------------------------------

LRESULT CALLBACK text_field_procedure(HWND field, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_SETFOCUS) post_gadget_event(field, GADGET_GOT_FOCUS);
    if (message == WM_KILLFOCUS) post_gadget_event(field, GADGET_LOST_FOCUS);
    return CallWindowProcA(edit_procedure, field, message, wparam, lparam);
}

// The field's colours, for an editable field and for a read-only one (a disabled field keeps the
// system's look). A front colour alone goes on the highlight colour.
LRESULT text_field_colours(GadgetRecord& record, HWND, UINT message, WPARAM wparam, LPARAM) {
    bool editable_or_read_only = message == WM_CTLCOLOREDIT ||
                                 (message == WM_CTLCOLORSTATIC && IsWindowEnabled(record.handle));
    if (!editable_or_read_only) return NOT_HANDLED;
    auto dc = reinterpret_cast<HDC>(wparam);
    if (record.front_colour != NO_COLOUR) {
        SetTextColor(dc, gdi_colour(record.front_colour));
        if (record.back_colour == NO_COLOUR) {
            SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        }
    }
    if (record.back_colour == NO_COLOUR) return NOT_HANDLED;
    SetBkColor(dc, gdi_colour(record.back_colour));
    return reinterpret_cast<LRESULT>(record.back_brush);
}

GadgetOps text_field_ops() {
    GadgetOps ops = gadget_ops(TEXT_FIELD_KIND);
    ops.on_parent_message = text_field_colours;
    ops.release = release_label_brush;
    ops.set_colour = set_label_colour;
    ops.get_colour = get_record_colour;
    return ops;
}

// --- Button ------------------------------------------------------------------------------------

intptr_t button_checked(GadgetRecord& record) { return SendMessageA(record.handle, BM_GETCHECK, 0, 0) & 1; }

intptr_t check_button(GadgetRecord& record, intptr_t value) {
    SendMessageA(record.handle, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    return 0;
}

GadgetOps button_ops() {
    GadgetOps ops = gadget_ops(BUTTON_KIND);
    ops.get_state = button_checked;
    ops.set_state = check_button;
    return ops;
}

// --- Frame -------------------------------------------------------------------------------------

// A bordered frame paints nothing inside its border.
LRESULT CALLBACK frame_procedure(HWND frame, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        ValidateRect(frame, nullptr);
        return 0;
    }
    return CallWindowProcA(static_procedure, frame, message, wparam, lparam);
}

GadgetControl frame_control(int x, int y, int width, int height, const char* text, int frame_type) {
    switch (frame_type) {
    case FRAME_GROUP_BOX:
        return {0, "Button", text, GROUP_BOX_STYLE, x, y, width, height};
    case FRAME_SUNKEN:
        return {WS_EX_CLIENTEDGE, "Static", nullptr, BORDER_FRAME_STYLE, x, y, width, height};
    case FRAME_STATIC_EDGE:
        return {WS_EX_STATICEDGE, "Static", nullptr, BORDER_FRAME_STYLE, x, y, width, height};
    default:
        return {0, "Static", nullptr, BORDER_FRAME_STYLE | WS_BORDER, x, y, width, height};
    }
}

// --- Progress bar ------------------------------------------------------------------------------

intptr_t progress_position(GadgetRecord& record) { return SendMessageA(record.handle, PBM_GETPOS, 0, 0); }

intptr_t set_progress_position(GadgetRecord& record, intptr_t value) {
    return SendMessageA(record.handle, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

intptr_t range_limit(HWND bar, bool low) { return SendMessageA(bar, PBM_GETRANGE, low, 0); }

intptr_t progress_limit(GadgetRecord& record, int attribute) {
    if (attribute == PROGRESS_MINIMUM) return range_limit(record.handle, true);
    if (attribute == PROGRESS_MAXIMUM) return range_limit(record.handle, false);
    return 0;
}

void set_progress_limit(GadgetRecord& record, int attribute, intptr_t value) {
    HWND bar = record.handle;
    if (attribute == PROGRESS_MINIMUM) SendMessageA(bar, PBM_SETRANGE32, static_cast<WPARAM>(value), range_limit(bar, false));
    if (attribute == PROGRESS_MAXIMUM) SendMessageA(bar, PBM_SETRANGE32, static_cast<WPARAM>(range_limit(bar, true)), value);
}

intptr_t set_progress_colour(GadgetRecord& record, int colour_kind, GadgetColour colour) {
    LPARAM sent = colour == NO_COLOUR ? CLR_DEFAULT : gdi_colour(colour);
    if (colour_kind == FRONT_COLOUR) {
        record.front_colour = colour;
        return SendMessageA(record.handle, PBM_SETBARCOLOR, 0, sent);
    }
    if (colour_kind == BACK_COLOUR) {
        record.back_colour = colour;
        return SendMessageA(record.handle, PBM_SETBKCOLOR, 0, sent);
    }
    return 0;
}

GadgetOps progress_bar_ops() {
    GadgetOps ops = gadget_ops(PROGRESS_BAR_KIND);
    ops.get_state = progress_position;
    ops.set_state = set_progress_position;
    ops.get_attribute = progress_limit;
    ops.set_attribute = set_progress_limit;
    ops.set_colour = set_progress_colour;
    ops.get_colour = get_record_colour;
    return ops;
}

} // namespace

void* text_field_gadget(intptr_t number, int x, int y, int width, int height, const char* text, DWORD flags) {
    static const GadgetOps ops = text_field_ops();
    DWORD edge = (flags & TEXT_FIELD_NO_EDGE) ? 0 : WS_EX_CLIENTEDGE;
    HWND field;
    GadgetRecord* record = create_gadget(number, {edge, "Edit", text, flags | TEXT_FIELD_STYLE, x, y, width, height}, &field);
    if (!record) return nullptr;
    edit_procedure = put_in_front(field, text_field_procedure);
    record->front_colour = record->back_colour = NO_COLOUR;
    return register_gadget(number, record, field, &ops);
}

void* button_gadget(intptr_t number, int x, int y, int width, int height, const char* text, DWORD flags) {
    static const GadgetOps ops = button_ops();
    HWND button;
    GadgetRecord* record = create_gadget(number, {0, "Button", text, flags | BUTTON_STYLE, x, y, width, height}, &button);
    return record ? register_gadget(number, record, button, &ops) : nullptr;
}

void* frame_gadget(intptr_t number, int x, int y, int width, int height, const char* text, int frame_type) {
    static const GadgetOps ops = gadget_ops(FRAME_KIND);
    HWND frame;
    GadgetRecord* record = create_gadget(number, frame_control(x, y, width, height, text, frame_type), &frame);
    if (!record) return nullptr;
    if (frame_type != FRAME_GROUP_BOX) static_procedure = put_in_front(frame, frame_procedure);
    return register_gadget(number, record, frame, &ops);
}

void* progress_bar_gadget(intptr_t number, int x, int y, int width, int height, int minimum, int maximum,
                          DWORD flags) {
    static const GadgetOps ops = progress_bar_ops();
    HWND bar;
    GadgetControl control{0, PROGRESS_CLASSA, nullptr, flags | PROGRESS_STYLE, x, y, width, height, 0};
    GadgetRecord* record = create_gadget(number, control, &bar);
    if (!record) return nullptr;
    SendMessageA(bar, PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
    record->front_colour = record->back_colour = NO_COLOUR;
    return register_gadget(number, record, bar, &ops);
}

} // namespace rt

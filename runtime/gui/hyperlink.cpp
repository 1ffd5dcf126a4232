// Hyperlink labels: a "STATIC" control whose own procedure, in front of the common gadget
// procedure, paints the text and tracks the mouse.
//
// Invariant: the label is hovered exactly while it holds the mouse capture. The capture is taken
// on the first mouse move over the label and given up when the mouse leaves it or the parent is
// disabled; losing it for any reason repaints the label in its normal colour.
#include "gui/hyperlink.h"

#include "core/memory.h"
#include "gui/brush_cache.h"
#include "gui/gdi_scope.h"
#include "gui/windows.h"

#include <windowsx.h>

namespace rt {

namespace {

struct HyperlinkData {
    HFONT font;
    int flags;
    WNDPROC previous_proc;  // the common gadget procedure
    GadgetColour hover_colour;
};

HCURSOR hand_cursor;

HyperlinkData& data_of(GadgetRecord& record) { return *static_cast<HyperlinkData*>(record.extra); }

LRESULT on_parent_message(GadgetRecord& record, HWND, UINT message, WPARAM, LPARAM) {
    if (message != WM_CTLCOLORSTATIC || record.back_colour == NO_COLOUR) return NOT_HANDLED;
    return reinterpret_cast<LRESULT>(record.back_brush);
}

void release(GadgetRecord& record) {
    release_label_brush(record);
    main_free(record.extra);
    record.extra = nullptr;
}

GadgetOps hyperlink_ops() {
    GadgetOps ops = gadget_ops(HYPERLINK_KIND);
    ops.on_parent_message = on_parent_message;
    ops.release = release;
    ops.set_colour = set_label_colour;
    ops.get_colour = get_record_colour;
    hand_cursor = LoadCursorA(nullptr, IDC_HAND);
    if (!hand_cursor) hand_cursor = LoadCursorA(nullptr, IDC_ARROW);
    return ops;
}

void draw_underline(HDC dc, const char* text, int length, COLORREF colour) {
    SIZE extent;
    if (!GetTextExtentPoint32A(dc, text, length, &extent)) return;
    DeletedObject<HPEN> pen(CreatePen(PS_SOLID, 0, colour));
    SelectedObject selected(dc, pen.get());
    MoveToEx(dc, 0, extent.cy, nullptr);
    LineTo(dc, extent.cx, extent.cy);
}

// The parent's brush under the text first (a null brush leaves the parent's picture), then the
// text: in the hover or normal colour, or as disabled text.
void paint(HWND label, GadgetRecord& record) {
    PaintScope paint(label);
    HDC dc = paint.dc();
    if (!dc) return;
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(label), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    if (brush) FillRect(dc, &paint.area(), brush);
    char text[512];
    int length = GetWindowTextA(label, text, sizeof text);
    HyperlinkData& data = data_of(record);
    SelectedObject font(dc, data.font);
    RECT client;
    GetClientRect(label, &client);
    IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    if (!IsWindowEnabled(label)) {
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text), static_cast<WPARAM>(length), 0, 0, 0, 0,
                   DST_TEXT | DSS_DISABLED);
        return;
    }
    COLORREF colour = gdi_colour(GetCapture() == label ? data.hover_colour : record.front_colour);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    TextOutA(dc, 0, 0, text, length);
    if (data.flags & HYPERLINK_UNDERLINE) draw_underline(dc, text, length, colour);
}

// Repaints the parent under the label and then the label: on a parent that paints no brush
// behind labels, what the label showed before would otherwise stay under its new look (and the
// smoothed edges of text drawn again and again over themselves would build up). `flags` adds
// RDW_UPDATENOW for a repaint that cannot wait.
void repaint_from_parent(HWND label, UINT flags = 0) {
    HWND parent = GetParent(label);
    RECT area;
    GetWindowRect(label, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | flags);
}

// The edges of the client rectangle still count as over the label.
void track_hover(HWND label, LPARAM point) {
    if (GetCapture() != label) {
        SetCapture(label);
        repaint_from_parent(label);
        return;
    }
    RECT client;
    GetClientRect(label, &client);
    int x = GET_X_LPARAM(point), y = GET_Y_LPARAM(point);
    bool over = x >= 0 && x <= client.right && y >= 0 && y <= client.bottom;
    if (!over || !IsWindowEnabled(GetParent(label))) ReleaseCapture();
}

LRESULT CALLBACK hyperlink_procedure(HWND label, UINT message, WPARAM wparam, LPARAM lparam) {
    GadgetRecord* record = gadget_of_control(label);
    if (!record) return DefWindowProcA(label, message, wparam, lparam);
    HyperlinkData& data = data_of(*record);
    switch (message) {
    case WM_PAINT:
        paint(label, *record);
        return 0;
    case WM_MOUSEMOVE:
        track_hover(label, lparam);
        return 0;
    case WM_CAPTURECHANGED:
        repaint_from_parent(label, RDW_UPDATENOW);
        return 0;
    case WM_LBUTTONUP:
        post_gadget_event(label, GADGET_CLICK);
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_COMMAND:
        return 0;
    case WM_SETCURSOR:
        SetCursor(hand_cursor);
        return 1;
    case WM_SETFONT:
        data.font = reinterpret_cast<HFONT>(wparam);
        if (LOWORD(lparam) == 1) InvalidateRect(label, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(data.font);
    case WM_SETTEXT: {
        LRESULT answer = CallWindowProcA(data.previous_proc, label, message, wparam, lparam);
        repaint_from_parent(label);
        return answer;
    }
    case WM_ENABLE:
        repaint_from_parent(label);
        return 0;
    default: {
        // The static control's answers are not kept: hit-testing then reports the client area,
        // so the label receives the mouse messages a plain static would pass to its parent.
        WNDPROC previous = data.previous_proc;  // the data is freed on WM_NCDESTROY
        CallWindowProcA(previous, label, message, wparam, lparam);
        return DefWindowProcA(label, message, wparam, lparam);
    }
    }
}

} // namespace

void* hyperlink_gadget(intptr_t number, int x, int y, int width, int height, const char* text,
                       GadgetColour hover_colour, int flags) {
    static const GadgetOps ops = hyperlink_ops();
    HWND label;
    GadgetRecord* record = create_gadget(number, {0, "STATIC", text, WS_CHILD, x, y, width, height}, &label);
    if (!record) return nullptr;
    record->front_colour = 0;
    record->back_colour = NO_COLOUR;
    auto* data = static_cast<HyperlinkData*>(main_allocate(sizeof(HyperlinkData)));
    *data = HyperlinkData{current_gadget_font(), flags, nullptr, hover_colour};
    record->extra = data;
    void* result = register_gadget(number, record, label, &ops);
    data->previous_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hyperlink_procedure)));
    ShowWindow(label, SW_SHOWNORMAL);
    return result;
}

intptr_t set_label_colour(GadgetRecord& record, int colour_kind, GadgetColour colour) {
    if (colour_kind == FRONT_COLOUR) {
        record.front_colour = colour;
    } else if (colour_kind == BACK_COLOUR) {
        release_brush(record.back_brush);
        record.back_brush = colour == NO_COLOUR ? nullptr : acquire_brush(colour);
        record.back_colour = colour;
    }
    RedrawWindow(record.handle, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME);
    return colour_kind == FRONT_COLOUR || colour_kind == BACK_COLOUR;
}

GadgetColour get_record_colour(GadgetRecord& record, int colour_kind) {
    if (colour_kind == FRONT_COLOUR) return record.front_colour;
    if (colour_kind == BACK_COLOUR) return record.back_colour;
    return NO_COLOUR;
}

void release_label_brush(GadgetRecord& record) {
    release_brush(record.back_brush);
    record.back_brush = nullptr;
}

} // namespace rt

// Image gadgets: a "STATIC" control with SS_NOTIFY whose own procedure, between the common gadget
// procedure and the static one, paints the image and turns mouse messages into gadget events.
//
// Invariants: alpha_copy is the premultiplied copy of the image shown, made when that image was
// last shown, or null when the image carries no alpha; the gadget owns it. tracking is 1 only
// while the gadget holds the capture for a left press that has not yet become a drag.
#include "gui/image_gadget.h"

#include "core/memory.h"
#include "graphics/alpha.h"
#include "graphics/images.h"
#include "gui/gdi_scope.h"

#include <windowsx.h>

#include <cstdlib>

namespace rt {

namespace {

constexpr DWORD IMAGE_GADGET_STYLE = WS_CHILD | WS_VISIBLE | SS_NOTIFY;
// A client edge is two pixels on each side.
constexpr int CLIENT_EDGE_GROWTH = 4;

struct ImageGadgetData {
    HANDLE image;        // shown; null: none
    HBITMAP alpha_copy;  // of an image with alpha, owned
    int tracking;        // 1 while a left press may still become a drag
    LPARAM down_point;   // client position of that press
};

// What every image gadget shares, filled at the first creation.
struct ImageKind {
    GadgetOps ops;
    WNDPROC static_procedure;
    int drag_width, drag_height;  // moves up to these distances are no drag
    // Set by a right double click, so that the release ending it is no right click; kind-wide,
    // because that release may happen over another image gadget.
    bool right_double_click;
};

ImageKind kind;

ImageGadgetData& data_of(GadgetRecord& record) { return *static_cast<ImageGadgetData*>(record.extra); }

bool is_bitmap(HANDLE image) { return image && GetObjectType(image) == OBJ_BITMAP; }

// A bitmap's own size; an icon's from its colour bitmap. Zero for a handle that is neither.
SIZE image_size(HANDLE image) {
    BITMAP description{};
    if (is_bitmap(image)) GetObjectA(image, sizeof description, &description);
    else if (!describe_icon(static_cast<HICON>(image), &description)) description = {};
    return {description.bmWidth, description.bmHeight};
}

// Repaints what lies under the gadget, through its top window: an image with transparent parts
// is then drawn over the window's background, never over what the gadget showed before.
void repaint_under(HWND control) {
    HWND top = gadget_top_window(control);
    RECT area;
    GetWindowRect(control, &area);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&area), 2);
    RedrawWindow(top, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void resize_to_image(HWND control, HANDLE image) {
    SIZE size = image_size(image);
    if (size.cx <= 0 || size.cy <= 0) return;  // unreadable: the gadget keeps its size
    if (GetWindowLongPtrA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
        size.cx += CLIENT_EDGE_GROWTH;
        size.cy += CLIENT_EDGE_GROWTH;
    }
    SetWindowPos(control, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
}

void forget_alpha_copy(ImageGadgetData& data) {
    if (data.alpha_copy) delete_alpha_copy(data.alpha_copy);
    data.alpha_copy = nullptr;
}

// The copy is made anew on every call, so an image drawn into since it was last shown shows its
// new pixels.
LRESULT show_image(HWND control, ImageGadgetData& data, HANDLE image) {
    data.image = image;
    forget_alpha_copy(data);
    if (is_bitmap(image) && has_alpha(static_cast<HBITMAP>(image)))
        data.alpha_copy = premultiplied_copy(static_cast<HBITMAP>(image), nullptr, false);
    bool opaque_bitmap = is_bitmap(image) && !data.alpha_copy;
    if (!opaque_bitmap) repaint_under(control);
    if (image) {
        resize_to_image(control, image);
        if (opaque_bitmap) {
            InvalidateRect(control, nullptr, FALSE);
            UpdateWindow(control);
        }
    }
    return reinterpret_cast<LRESULT>(image);
}

void draw_image(HDC dc, const ImageGadgetData& data) {
    if (!dc || !data.image) return;
    if (data.alpha_copy) {
        alpha_blit(dc, 0, 0, 0, 0, data.alpha_copy, nullptr, 255);
        return;
    }
    UINT image_kind = is_bitmap(data.image) ? DST_BITMAP : DST_ICON;
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(data.image), 0, 0, 0, 0, 0, image_kind);
}

// The limits themselves still count as no move.
bool beyond_drag_limits(LPARAM from, LPARAM to) {
    int dx = GET_X_LPARAM(to) - GET_X_LPARAM(from);
    int dy = GET_Y_LPARAM(to) - GET_Y_LPARAM(from);
    return std::abs(dx) > kind.drag_width || std::abs(dy) > kind.drag_height;
}

void stop_tracking(ImageGadgetData& data) {
    data.tracking = 0;
    ReleaseCapture();
}

void on_mouse_move(HWND control, ImageGadgetData& data, LPARAM point) {
    if (!data.tracking || !beyond_drag_limits(data.down_point, point)) return;
    stop_tracking(data);
    post_gadget_event(control, GADGET_DRAG_START);
}

void on_right_button_up(HWND control) {
    if (kind.right_double_click) kind.right_double_click = false;
    else post_gadget_event(control, GADGET_RIGHT_CLICK);
}

// Left presses and releases go on to the static procedure, which sends STN_CLICKED (EV_GADGET
// type 0); the left double click does not, so no STN_DBLCLK comes besides its type 2.
LRESULT CALLBACK image_procedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    GadgetRecord* record = gadget_of_control(control);
    if (!record) return CallWindowProcA(kind.static_procedure, control, message, wparam, lparam);
    ImageGadgetData& data = data_of(*record);
    switch (message) {
    case WM_PAINT: {
        PaintScope paint(control);
        draw_image(paint.dc(), data);
        return 0;
    }
    case WM_PRINT:
    case WM_PRINTCLIENT:
        draw_image(reinterpret_cast<HDC>(wparam), data);
        return 0;
    case STM_SETIMAGE:
    case STM_SETICON:
        return show_image(control, data, reinterpret_cast<HANDLE>(lparam));
    case STM_GETIMAGE:
    case STM_GETICON:
        return reinterpret_cast<LRESULT>(data.image);
    case WM_MOVE:
        repaint_under(control);
        break;
    case WM_ENABLE:
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(control);
        data.tracking = 1;
        data.down_point = lparam;
        break;
    case WM_MOUSEMOVE:
        on_mouse_move(control, data, lparam);
        break;
    case WM_LBUTTONUP:
        if (data.tracking) stop_tracking(data);
        break;
    case WM_CAPTURECHANGED:  // a press whose capture was taken away can no longer start a drag
        data.tracking = 0;
        break;
    case WM_LBUTTONDBLCLK:
        post_gadget_event(control, GADGET_DOUBLE_CLICK);
        return 0;
    case WM_RBUTTONUP:
        on_right_button_up(control);
        return 0;
    case WM_RBUTTONDBLCLK:
        post_gadget_event(control, GADGET_RIGHT_DOUBLE_CLICK);
        kind.right_double_click = true;
        return 0;
    }
    return CallWindowProcA(kind.static_procedure, control, message, wparam, lparam);
}

intptr_t get_state(GadgetRecord& record) { return SendMessageA(record.handle, STM_GETIMAGE, IMAGE_BITMAP, 0); }

intptr_t set_state(GadgetRecord& record, intptr_t image) {
    return SendMessageA(record.handle, STM_SETIMAGE, IMAGE_BITMAP, image);
}

void release(GadgetRecord& record) {
    forget_alpha_copy(data_of(record));
    main_free(record.extra);
    record.extra = nullptr;
}

void fill_kind() {
    kind.ops = gadget_ops(IMAGE_KIND);
    kind.ops.release = release;
    kind.ops.get_state = get_state;
    kind.ops.set_state = set_state;
    WNDCLASSA static_class{};
    GetClassInfoA(nullptr, "STATIC", &static_class);
    kind.static_procedure = static_class.lpfnWndProc;
    kind.drag_width = GetSystemMetrics(SM_CXDRAG);
    kind.drag_height = GetSystemMetrics(SM_CYDRAG);
}

} // namespace

void* image_gadget(intptr_t number, int x, int y, int width, int height, HANDLE image, DWORD ex_style) {
    if (!kind.ops.kind) fill_kind();
    HWND control;
    GadgetRecord* record = create_gadget(number, {ex_style, "STATIC", nullptr, IMAGE_GADGET_STYLE, x, y, width, height}, &control);
    if (!record) return nullptr;
    record->extra = main_allocate(sizeof(ImageGadgetData));
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(image_procedure));
    void* result = register_gadget(number, record, control, &kind.ops);
    show_image(control, data_of(*record), image);
    return result;
}

} // namespace rt

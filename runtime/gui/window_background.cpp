// The background entries (one per window that has been given a picture, in a block of the memory
// heap that grows by one entry and never shrinks) and the background procedure that tiles them.
//
// Invariants: an entry is in use exactly while its window is non-null; a window has at most one
// entry, and it carries the background procedure exactly while the entry's previous procedure is
// non-null. A window's entry is freed (zeroed) when the window is destroyed, so that a later
// window with the same handle value starts afresh. One memory device context, made when the
// first tile is drawn, serves every entry.
#include "gui/window_background.h"

#include "core/memory.h"
#include "graphics/gdi_scope.h"

namespace rt {

namespace {

struct BackgroundEntry {
    HWND window;             // null: the entry is free
    WNDPROC previous_proc;   // the window's procedure behind the background procedure
    HBITMAP image;           // null: the window is not tiled
    int image_width, image_height;
};

struct Backgrounds {
    BackgroundEntry* entries;
    int count;
    HDC memory_dc;
};

Backgrounds backgrounds;

BackgroundEntry* entry_of(HWND window) {
    for (int i = 0; i < backgrounds.count; ++i)
        if (backgrounds.entries[i].window == window) return &backgrounds.entries[i];
    return nullptr;
}

// The window's entry, else a free one, else a new one at the end.
BackgroundEntry& entry_for(HWND window) {
    if (BackgroundEntry* entry = entry_of(window)) return *entry;
    if (BackgroundEntry* entry = entry_of(nullptr)) return *entry;
    int size = (backgrounds.count + 1) * static_cast<int>(sizeof(BackgroundEntry));
    backgrounds.entries = static_cast<BackgroundEntry*>(reallocate_memory(backgrounds.entries, size));
    return backgrounds.entries[backgrounds.count++];
}

// Copies the picture to (x, y) for every x and y from 0 below the client size in steps of the
// picture's size; tiles at the right and bottom are cut by the device context's clipping.
bool tile(HWND window, const BackgroundEntry& entry, HDC dc) {
    if (!backgrounds.memory_dc) backgrounds.memory_dc = CreateCompatibleDC(nullptr);
    if (!backgrounds.memory_dc) return false;
    SelectedObject selected(backgrounds.memory_dc, entry.image);
    if (!selected) return false;  // deleted, or selected for drawing elsewhere
    RECT client;
    GetClientRect(window, &client);
    for (int x = 0; x < client.right; x += entry.image_width)
        for (int y = 0; y < client.bottom; y += entry.image_height)
            BitBlt(dc, x, y, entry.image_width, entry.image_height, backgrounds.memory_dc, 0, 0, SRCCOPY);
    return true;
}

LRESULT CALLBACK background_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    BackgroundEntry* entry = entry_of(window);
    if (!entry || !entry->previous_proc) return DefWindowProcA(window, message, wparam, lparam);
    WNDPROC previous = entry->previous_proc;
    if (message == WM_ERASEBKGND && entry->image && tile(window, *entry, reinterpret_cast<HDC>(wparam))) return 1;
    if (message == WM_NCDESTROY) *entry = {};
    return CallWindowProcA(previous, window, message, wparam, lparam);
}

void remove_class_brush(HWND window) {
    auto brush = reinterpret_cast<HGDIOBJ>(SetClassLongPtrA(window, GCLP_HBRBACKGROUND, 0));
    if (brush && GetObjectType(brush) == OBJ_BRUSH) DeleteObject(brush);  // a system colour index is no object
}

} // namespace

int set_window_background_image(HWND window, HBITMAP image, int redraw) {
    if (!window || !IsWindow(window) || !image || GetObjectType(image) != OBJ_BITMAP) return 0;
    BITMAP description{};
    if (!GetObjectA(image, sizeof description, &description) || description.bmWidth <= 0 || description.bmHeight <= 0)
        return 0;
    BackgroundEntry& entry = entry_for(window);
    if (!entry.previous_proc) {
        entry.previous_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(background_procedure)));
        if (!entry.previous_proc) return 0;  // not ours to subclass: the entry stays free
    }
    entry.window = window;
    entry.image = image;
    entry.image_width = description.bmWidth;
    entry.image_height = description.bmHeight;
    remove_class_brush(window);
    if (redraw) {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
    return static_cast<int>(&entry - backgrounds.entries) + 1;
}

void free_window_backgrounds() {
    for (int i = 0; i < backgrounds.count; ++i) backgrounds.entries[i].image = nullptr;
    if (backgrounds.memory_dc) DeleteDC(backgrounds.memory_dc);
    backgrounds.memory_dc = nullptr;
}

} // namespace rt

// Scoped Win32 painting state: each guard undoes in its destructor what its constructor did.
// Selected and deleted GDI objects have their guards beside the graphics libraries.
#pragma once

#include "graphics/gdi_scope.h"

#include <windows.h>

namespace rt {

// BeginPaint ... EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintScope() {
        if (dc_) EndPaint(window_, &paint_);
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

} // namespace rt

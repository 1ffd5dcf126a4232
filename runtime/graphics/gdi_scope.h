// Scoped owners for the GDI objects that the graphics libraries make and release within one
// operation: device contexts they create, objects they select, objects they delete.
#pragma once

#include <windows.h>

#include <utility>

namespace rt {

// A device context made by CreateDCA or CreateCompatibleDC, deleted with DeleteDC.
class CreatedDc {
public:
    explicit CreatedDc(HDC dc) : dc_(dc) {}
    ~CreatedDc() {
        if (dc_) DeleteDC(dc_);
    }
    CreatedDc(const CreatedDc&) = delete;
    CreatedDc& operator=(const CreatedDc&) = delete;
    CreatedDc(CreatedDc&& other) noexcept : dc_(other.take()) {}

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    // The caller now owns the device context.
    HDC take() { return std::exchange(dc_, nullptr); }

private:
    HDC dc_;
};

inline CreatedDc display_dc() { return CreatedDc(CreateDCA("DISPLAY", nullptr, nullptr, nullptr)); }
inline CreatedDc memory_dc(HDC compatible_with = nullptr) { return CreatedDc(CreateCompatibleDC(compatible_with)); }

// An object selected into a device context for the scope; the previous one comes back after.
// A null object selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

    // False when the object could not be selected.
    explicit operator bool() const { return previous_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A GDI object (bitmap, font, brush) deleted with DeleteObject unless it is taken.
template <class Handle>
class DeletedObject {
public:
    explicit DeletedObject(Handle object) : object_(object) {}
    ~DeletedObject() {
        if (object_) DeleteObject(object_);
    }
    DeletedObject(const DeletedObject&) = delete;
    DeletedObject& operator=(const DeletedObject&) = delete;

    Handle get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    Handle take() { return std::exchange(object_, nullptr); }

private:
    Handle object_;
};

// An address from GetProcAddress as the function type it has.
template <class Function>
Function function_from(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

} // namespace rt

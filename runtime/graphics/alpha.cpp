// The alpha-blending support: the AlphaBlend entry point, the themed-controls decision, and the
// pixel services built on them.
#include "graphics/alpha.h"

#include "core/memory.h"
#include "graphics/gdi_scope.h"
#include "graphics/images.h"
#include "graphics/pixels.h"

#include <shlwapi.h>

#include <cstring>

namespace rt {

namespace {

using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using IsAppThemedFunction = BOOL(WINAPI*)();

struct AlphaSupport {
    HMODULE module;
    AlphaBlendFunction alpha_blend;
    bool themed_controls;
};

AlphaSupport support;

// major << 16 | minor of "COMCTL32.DLL", 1 when it cannot tell.
DWORD common_controls_version() {
    HMODULE library = LoadLibraryA("COMCTL32.DLL");
    if (!library) return 1;
    auto get_version = function_from<DLLGETVERSIONPROC>(GetProcAddress(library, "DllGetVersion"));
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    DWORD version = get_version && SUCCEEDED(get_version(&info)) ? info.dwMajorVersion << 16 | info.dwMinorVersion : 1;
    FreeLibrary(library);
    return version;
}

bool application_themed() {
    HMODULE library = LoadLibraryA("uxtheme.dll");
    if (!library) return false;
    auto is_app_themed = function_from<IsAppThemedFunction>(GetProcAddress(library, "IsAppThemed"));
    bool themed = is_app_themed && is_app_themed();
    FreeLibrary(library);
    return themed;
}

bool themed_controls_active() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version)) {
        if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return false;
        bool before_xp = version.dwMajorVersion < 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion == 0);
        if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && before_xp) return false;
    }
    return common_controls_version() > 0x5FFFF && application_themed();
}

// A zeroed block of the main heap for the scope (running out of memory stops the process).
class ScopedBlock {
public:
    explicit ScopedBlock(size_t size) : bytes_(static_cast<uint8_t*>(main_allocate(size ? size : 1))), size_(size) {}
    ~ScopedBlock() { main_free(bytes_); }
    ScopedBlock(const ScopedBlock&) = delete;
    ScopedBlock& operator=(const ScopedBlock&) = delete;
    uint8_t* bytes() const { return bytes_; }
    size_t size() const { return size_; }

private:
    uint8_t* bytes_;
    size_t size_;
};

BITMAP description_of(HBITMAP bitmap) {
    BITMAP description{};
    if (!GetObjectA(bitmap, sizeof description, &description)) description = {};
    return description;
}

BITMAPINFO info_32_bits(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

size_t pixel_count(const BITMAP& description) { return static_cast<size_t>(description.bmWidth) * description.bmHeight; }

// Reads the bitmap's pixels as 32-bit top-down rows into `pixels` (room for every pixel).
bool read_pixels_32_bits(HBITMAP bitmap, const BITMAP& description, uint8_t* pixels) {
    BITMAPINFO info = info_32_bits(description.bmWidth, -description.bmHeight);
    CreatedDc dc = memory_dc();
    return dc && GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(description.bmHeight), pixels, &info, DIB_RGB_COLORS);
}

void write_mask(HBITMAP mask, const uint8_t* rows, int width, int height) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{{sizeof(BITMAPINFOHEADER), width, -height, 1, 1, BI_RGB, 0, 0, 0, 0, 0}, {{0, 0, 0, 0}, {255, 255, 255, 0}}};
    CreatedDc dc = memory_dc();
    SetDIBits(dc.get(), mask, 0, static_cast<UINT>(height), rows, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
}

} // namespace

void init_alpha_support() {
    support = {};
    support.module = LoadLibraryA("msimg32.dll");
    if (support.module) support.alpha_blend = function_from<AlphaBlendFunction>(GetProcAddress(support.module, "AlphaBlend"));
    support.themed_controls = themed_controls_active();
}

void end_alpha_support() {
    if (support.module) FreeLibrary(support.module);
    support = {};
}

bool has_alpha(HBITMAP bitmap) {
    if (!support.alpha_blend || GetObjectType(bitmap) != OBJ_BITMAP) return false;
    DIBSECTION section{};
    if (GetObjectA(bitmap, sizeof section, &section) == sizeof section) return section.dsBm.bmBitsPixel == 32;
    BITMAP description = description_of(bitmap);
    if (description.bmBitsPixel != 32) return false;
    ScopedBlock pixels(pixel_count(description) * 4);
    return read_pixels_32_bits(bitmap, description, pixels.bytes()) && any_alpha(pixels.bytes(), pixel_count(description));
}

HBITMAP premultiplied_copy(HBITMAP bitmap, HDC dc, bool grey) {
    if (!support.alpha_blend) return nullptr;
    BITMAP description = description_of(bitmap);
    HBITMAP copy = new_dib(description.bmWidth, description.bmHeight, 32);
    if (!copy) return nullptr;
    CreatedDc own_dc(dc ? nullptr : CreateCompatibleDC(nullptr));
    DIBSECTION section{};
    GetObjectA(copy, sizeof section, &section);
    BITMAPINFO info = info_32_bits(description.bmWidth, description.bmHeight);
    GetDIBits(dc ? dc : own_dc.get(), bitmap, 0, static_cast<UINT>(description.bmHeight), section.dsBm.bmBits, &info, DIB_RGB_COLORS);
    auto* pixels = static_cast<uint8_t*>(section.dsBm.bmBits);
    if (grey) premultiply_grey_pixels(pixels, pixel_count(description));
    else premultiply_pixels(pixels, pixel_count(description));
    return copy;
}

int alpha_blit(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, HDC memory_dc, int constant_alpha) {
    if (!support.alpha_blend) return 0;
    BITMAP description = description_of(bitmap);
    if (width == 0) width = description.bmWidth;
    if (height == 0) height = description.bmHeight;
    CreatedDc own_dc(memory_dc ? nullptr : CreateCompatibleDC(dc));
    HDC source = memory_dc ? memory_dc : own_dc.get();
    SelectedObject selected(source, bitmap);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(constant_alpha), AC_SRC_ALPHA};
    return support.alpha_blend(dc, x, y, width, height, source, 0, 0, width, height, blend) ? 1 : 0;
}

void delete_alpha_copy(HBITMAP copy) {
    if (support.alpha_blend) DeleteObject(copy);
}

HBITMAP transparency_mask(HBITMAP bitmap) {
    BITMAP description = description_of(bitmap);
    int width = description.bmWidth, height = description.bmHeight;
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    if (!mask) return nullptr;
    int mask_row = row_bytes(width, 1);
    ScopedBlock rows(static_cast<size_t>(mask_row) * height);  // zeroed: all black
    if (!support.themed_controls && description.bmBitsPixel == 32) {
        ScopedBlock pixels(pixel_count(description) * 4);
        bool read = read_pixels_32_bits(bitmap, description, pixels.bytes());
        if (!read || !alpha_mask_rows(pixels.bytes(), width, height, rows.bytes(), mask_row)) std::memset(rows.bytes(), 0, rows.size());
    }
    write_mask(mask, rows.bytes(), width, height);
    return mask;
}

} // namespace rt

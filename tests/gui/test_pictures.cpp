// Pictures of the picture-display tests.
#include "test_pictures.h"

#include "graphics/images.h"

#include <cstdlib>

namespace gui_test {

namespace {

// The address of pixel (x, y) of a bottom-up section, or null outside it.
uint8_t* pixel_address(HBITMAP image, int x, int y) {
    DIBSECTION section{};
    if (GetObjectA(image, sizeof section, &section) != sizeof section) return nullptr;
    const BITMAP& bitmap = section.dsBm;
    if (x < 0 || y < 0 || x >= bitmap.bmWidth || y >= bitmap.bmHeight) return nullptr;
    return static_cast<uint8_t*>(bitmap.bmBits) + static_cast<size_t>(bitmap.bmHeight - 1 - y) * bitmap.bmWidthBytes +
           static_cast<size_t>(x) * bitmap.bmBitsPixel / 8;
}

int blended_channel(int colour, int alpha, int background) {
    return (colour * alpha >> 8) + (background * (255 - alpha) + 127) / 255;
}

} // namespace

COLORREF pattern_at(int x, int y, int seed) {
    return RGB(x & 0xFF, y & 0xFF, (x >> 8 & 3) | (y >> 8 & 3) << 2 | (seed & 15) << 4);
}

HBITMAP pattern_image(intptr_t number, int width, int height, int seed) {
    auto image = reinterpret_cast<HBITMAP>(rt::create_image(number, width, height, 24));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = pixel_address(image, x, y);
            COLORREF colour = pattern_at(x, y, seed);
            p[0] = GetBValue(colour);
            p[1] = GetGValue(colour);
            p[2] = GetRValue(colour);
        }
    return image;
}

void set_pixel_32(HBITMAP image, int x, int y, COLORREF colour, int alpha) {
    uint8_t* p = pixel_address(image, x, y);
    if (!p) return;
    p[0] = GetBValue(colour);
    p[1] = GetGValue(colour);
    p[2] = GetRValue(colour);
    p[3] = static_cast<uint8_t>(alpha);
}

void fill_columns_32(HBITMAP image, int left, int right, COLORREF colour, int alpha) {
    BITMAP bitmap{};
    GetObjectA(image, sizeof bitmap, &bitmap);
    for (int y = 0; y < bitmap.bmHeight; ++y)
        for (int x = left; x < right; ++x) set_pixel_32(image, x, y, colour, alpha);
}

COLORREF blended(COLORREF colour, int alpha, COLORREF background) {
    return RGB(blended_channel(GetRValue(colour), alpha, GetRValue(background)),
               blended_channel(GetGValue(colour), alpha, GetGValue(background)),
               blended_channel(GetBValue(colour), alpha, GetBValue(background)));
}

bool nearly_equal(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 1 && std::abs(GetGValue(a) - GetGValue(b)) <= 1 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 1;
}

} // namespace gui_test

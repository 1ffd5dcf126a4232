// Picture files made by the tests themselves: PNG through libpng's writer, BMP and icon files
// byte by byte, with pseudo-random samples.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fixtures {

using Bytes = std::vector<uint8_t>;
using Pixel = std::array<uint8_t, 4>;  // in memory order: blue, green, red, alpha (255 without alpha)

struct PngPicture {
    int width, height;
    int colour_type;  // PNG_COLOR_TYPE_*
    int bit_depth;
    bool interlaced;
    bool transparency;  // palette pictures: a tRNS chunk with an alpha for every entry
};

// Rows of pseudo-random samples, over every value the depth can hold.
Bytes encode_png(const PngPicture& picture);

struct BmpPicture {
    int width, height;  // a negative height stores the rows top-down
    int bits;           // 1, 4, 8, 16, 24 or 32; below 24 every pixel is 0
    uint8_t alpha;      // of every 32-bit pixel
};

Bytes encode_bmp(const BmpPicture& picture);
// The pixel (x, y) (0 = top) of a 24- or 32-bit picture as an image holds it.
Pixel expected_bmp_pixel(const BmpPicture& picture, int x, int y);

struct IconPicture {
    int width, height, bits;  // bits: 4, 8 or 32
};

// An icon file with one black, opaque entry per picture, in order.
Bytes encode_icon(const std::vector<IconPicture>& pictures);

#ifdef _WIN32
// The pixels of a 24- or 32-bit section by picture position (0 = the top row).
struct SectionView {
    DIBSECTION section{};
    explicit SectionView(HANDLE bitmap) { GetObjectA(bitmap, sizeof section, &section); }
    uint8_t* at(int x, int y) const {
        const BITMAP& b = section.dsBm;
        return static_cast<uint8_t*>(b.bmBits) + static_cast<size_t>(b.bmHeight - 1 - y) * b.bmWidthBytes + x * b.bmBitsPixel / 8;
    }
    Pixel pixel(int x, int y) const {
        const uint8_t* p = at(x, y);
        return {p[0], p[1], p[2], section.dsBm.bmBitsPixel == 32 ? p[3] : uint8_t{255}};
    }
};
#endif

} // namespace fixtures

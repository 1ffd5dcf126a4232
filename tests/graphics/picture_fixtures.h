// Picture files with pseudo-random samples, made by the tests: PNG through libpng's writer, BMP and icons byte by byte.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace fixtures {

using Bytes = std::vector<uint8_t>;
using Pixel = std::array<uint8_t, 4>;  // in memory order: blue, green, red, alpha (255 without alpha)

void put_le(Bytes& out, std::size_t at, uint32_t value, int bytes);  // a little-endian field of `bytes` bytes at `at`

struct PngPicture {
    int width, height, colour_type /* PNG_COLOR_TYPE_* */, bit_depth;
    bool interlaced, transparency;  // transparency: palette pictures get an alpha for every entry
};

Bytes encode_png(const PngPicture& picture);

struct BmpPicture {
    int width, height;  // a negative height stores the rows top-down
    int bits;           // 1, 4, 8, 16, 24 or 32; below 24 every pixel is 0
    uint8_t alpha;      // of every 32-bit pixel
};

Bytes encode_bmp(const BmpPicture& picture);
// The pixel (x, y) (0 = top) of a 24- or 32-bit picture as an image holds it.
Pixel expected_bmp_pixel(const BmpPicture& picture, int x, int y);

struct IconPicture { int width, height, bits; };  // bits: 4, 8 or 32

// An icon file with one entry per picture, in order.
Bytes encode_icon(const std::vector<IconPicture>& pictures);

} // namespace fixtures

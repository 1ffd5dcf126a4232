// Picture files made by the tests themselves: PNG through libpng's writer, BMP and icon files
// byte by byte, each with a known pixel pattern and the pixels a decoder must deliver for it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

using Bytes = std::vector<uint8_t>;
// One decoded pixel in memory order: blue, green, red, alpha (255 for pictures without alpha).
using Pixel = std::array<uint8_t, 4>;

struct PngPicture {
    int width, height;
    int colour_type;  // PNG_COLOR_TYPE_*
    int bit_depth;
    bool interlaced;
    bool transparency;  // a tRNS chunk (palette pictures: alpha for every entry)
};

// The picture with a fixed pattern of samples over every value its bit depth can hold.
Bytes encode_png(const PngPicture& picture, int compression_level = 6);
// The pixel (x, y) (0 = top) as 8-bit blue, green, red, alpha.
Pixel expected_png_pixel(const PngPicture& picture, int x, int y);
int expected_png_depth(const PngPicture& picture);
std::string png_name(const PngPicture& picture);
// One of each colour type, bit depth and interlacing that the decoder reads.
std::vector<PngPicture> every_png_kind();

struct BmpPicture {
    int width, height;  // a negative height stores the rows top-down
    int bits;           // 1, 4, 8, 16 (5-5-5), 24 or 32
    uint8_t alpha;      // of every 32-bit pixel
};

Bytes encode_bmp(const BmpPicture& picture);
// The pixel (x, y) (0 = top) as the 24- or 32-bit image holds it (16-bit: 0 or 31 per channel).
Pixel expected_bmp_pixel(const BmpPicture& picture, int x, int y);

struct IconPicture {
    int width, height;
    int bits;         // 4, 8 or 32
    uint32_t colour;  // 0xRRGGBB of every pixel
};

// An icon file with one entry per picture, in order, each fully opaque.
Bytes encode_icon(const std::vector<IconPicture>& pictures);

} // namespace fixtures

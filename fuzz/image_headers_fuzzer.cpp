// Fuzz target: any bytes through the BMP and icon header checks. Every byte that the platform reads
// from an accepted layout is read here too: of a BMP, the information header with its colour masks
// and table and every pixel row; of an icon, its chosen image copied into a block of its own size
// (as the image library copies it), and in that copy the bitmap header, the colour table, the
// colour rows and the mask rows that its header describes. A description that reaches past the
// data is caught by the address sanitizer.
#include "graphics/image_data.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

volatile uint8_t sink;

void touch(const uint8_t* bytes, size_t count) {
    uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    sink = sum;
}

uint32_t u32(const uint8_t* at) { return static_cast<uint32_t>(at[0] | at[1] << 8 | at[2] << 16) | static_cast<uint32_t>(at[3]) << 24; }

// What the platform reads of an icon's bitmap: the header, its colour table (at most 256 entries,
// all 2^bits of a palette image when none is given; behind a 40-byte header the three masks of bit
// fields), the colour rows and the one-bit mask rows, each half of the header's height.
size_t icon_bitmap_bytes(const uint8_t* info) {
    int width = static_cast<int>(u32(info + 4)), rows = static_cast<int>(u32(info + 8)) / 2;
    int bits = info[14] | info[15] << 8;
    uint32_t used = u32(info + 32), compression = u32(info + 16);
    size_t colours = used ? std::min<uint32_t>(used, 256) : bits <= 8 ? size_t{1} << bits : 0;
    size_t masks = compression == 3 && u32(info) == 40 ? 12 : 0;
    return u32(info) + masks + 4 * colours +
           static_cast<size_t>(rt::row_bytes(width, bits) + rt::row_bytes(width, 1)) * static_cast<size_t>(rows);
}

void touch_icon(const rt::IconImage& image) {
    std::vector<uint8_t> copy(image.data, image.data + image.size);
    if (image.width == 0) return;  // PNG data: the platform's decoder reads it within its size
    touch(copy.data(), icon_bitmap_bytes(copy.data()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int length = static_cast<int>(size > INT32_MAX ? INT32_MAX : size);
    rt::BmpLayout layout{};
    if (rt::read_bmp_layout(data, length, &layout)) {
        int rows = layout.height < 0 ? -layout.height : layout.height;
        touch(layout.header, static_cast<size_t>(layout.header_bytes));
        touch(layout.pixels, static_cast<size_t>(rt::row_bytes(layout.width, layout.bit_count)) * rows);
    }
    rt::IconImage image{};
    if (rt::choose_icon_image(data, length, &image)) touch_icon(image);
    return 0;
}

// Fuzz target: any bytes through the BMP and icon header checks; every byte that an accepted
// layout describes (headers, colour table, pixel rows, icon image) is read, so that a
// description reaching past the data is caught by the address sanitizer.
#include "graphics/image_data.h"

#include <cstddef>
#include <cstdint>

namespace {

volatile uint8_t sink;

void touch(const uint8_t* bytes, size_t count) {
    uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    sink = sum;
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
    if (rt::choose_icon_image(data, length, &image)) touch(image.data, static_cast<size_t>(image.size));
    return 0;
}

// Picture files for the tests, with the pixels that decoding them must give.
#include "picture_fixtures.h"

#include <png.h>

#include <cstring>

namespace fixtures {

namespace {

// A spread of values over 0..maximum for each position and channel.
int pattern(int x, int y, int channel, int maximum) {
    uint32_t h = static_cast<uint32_t>(x * 7 + y * 131 + channel * 29 + 1) * 2654435761u;
    return static_cast<int>((h >> 8) % static_cast<uint32_t>(maximum + 1));
}

int channels_of(int colour_type) {
    switch (colour_type) {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // grey, palette index
    }
}

int maximum_sample(const PngPicture& picture) { return (1 << picture.bit_depth) - 1; }
int palette_entries(const PngPicture& picture) { return 1 << picture.bit_depth; }

png_color palette_colour(int index) {
    return {static_cast<png_byte>(pattern(index, 0, 0, 255)), static_cast<png_byte>(pattern(index, 1, 1, 255)),
            static_cast<png_byte>(pattern(index, 2, 2, 255))};
}
png_byte palette_alpha(int index) { return static_cast<png_byte>(pattern(index, 3, 3, 255)); }

// One sample as an 8-bit value: low depths widened by repeating their bits, 16 bits cut.
int to_8_bits(int sample, int bit_depth) {
    if (bit_depth == 16) return sample >> 8;
    return sample * 255 / ((1 << bit_depth) - 1);
}

std::vector<png_byte> packed_row(const PngPicture& picture, int y) {
    int channels = channels_of(picture.colour_type), depth = picture.bit_depth;
    int maximum = picture.colour_type == PNG_COLOR_TYPE_PALETTE ? palette_entries(picture) - 1 : maximum_sample(picture);
    std::vector<png_byte> row((static_cast<size_t>(picture.width) * channels * depth + 7) / 8);
    size_t bit = 0;
    for (int x = 0; x < picture.width; ++x) {
        for (int c = 0; c < channels; ++c, bit += depth) {
            int sample = pattern(x, y, c, maximum);
            if (depth == 16) {
                row[bit / 8] = static_cast<png_byte>(sample >> 8);
                row[bit / 8 + 1] = static_cast<png_byte>(sample);
            } else {
                row[bit / 8] |= static_cast<png_byte>(sample << (8 - depth - bit % 8));
            }
        }
    }
    return row;
}

void append_written(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void put_u16(Bytes& out, size_t at, int value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}
void put_u32(Bytes& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A 40-byte bitmap information header.
void put_info_header(Bytes& out, size_t at, int width, int height, int bits, int colours) {
    put_u32(out, at, 40);
    put_u32(out, at + 4, static_cast<uint32_t>(width));
    put_u32(out, at + 8, static_cast<uint32_t>(height));
    put_u16(out, at + 12, 1);
    put_u16(out, at + 14, bits);
    put_u32(out, at + 32, static_cast<uint32_t>(colours));
}

int bmp_row_bytes(int width, int bits) { return (width * bits + 31) / 32 * 4; }
int bmp_colours(int bits) { return bits <= 8 ? 1 << bits : 0; }
uint32_t bmp_palette_colour(int index) { return static_cast<uint32_t>(pattern(index, 5, 0, 0xFFFFFF)); }

// The stored value of pixel (x, y): a palette index, a 5-5-5 word or a 0xRRGGBB colour.
uint32_t bmp_value(const BmpPicture& picture, int x, int y) {
    if (picture.bits <= 8) return static_cast<uint32_t>(pattern(x, y, 0, (1 << picture.bits) - 1));
    if (picture.bits == 16) {  // each 5-bit channel 0 or 31, which every conversion to 8 bits agrees on
        auto channel = [&](int c, int shift) { return static_cast<uint32_t>(pattern(x, y, c, 1)) * 0x1F << shift; };
        return channel(0, 10) | channel(1, 5) | channel(2, 0);
    }
    return static_cast<uint32_t>(pattern(x, y, 0, 0xFFFFFF));
}

void put_bmp_pixel(Bytes& row_start, size_t at, const BmpPicture& picture, int x, uint32_t value) {
    switch (picture.bits) {
    case 1:
    case 4:
    case 8: {
        size_t bit = static_cast<size_t>(x) * picture.bits;
        row_start[at + bit / 8] |= static_cast<uint8_t>(value << (8 - picture.bits - bit % 8));
        break;
    }
    case 16: put_u16(row_start, at + x * 2, static_cast<int>(value)); break;
    case 24: for (int i = 0; i < 3; ++i) row_start[at + x * 3 + i] = static_cast<uint8_t>(value >> (8 * i)); break;
    default: put_u32(row_start, at + x * 4, value | static_cast<uint32_t>(picture.alpha) << 24);
    }
}

Bytes icon_image(const IconPicture& picture) {
    int colours = picture.bits <= 8 ? 1 << picture.bits : 0;
    int colour_row = bmp_row_bytes(picture.width, picture.bits), mask_row = bmp_row_bytes(picture.width, 1);
    Bytes image(40 + 4 * colours + static_cast<size_t>(colour_row + mask_row) * picture.height);
    put_info_header(image, 0, picture.width, picture.height * 2, picture.bits, 0);
    if (colours) put_u32(image, 40, picture.colour);  // every pixel is index 0
    if (picture.bits == 32) {
        size_t pixels = 40;
        for (int i = 0; i < picture.width * picture.height; ++i) put_u32(image, pixels + 4 * i, picture.colour | 0xFF000000u);
    }
    return image;  // the AND mask stays 0: opaque everywhere
}

} // namespace

Bytes encode_png(const PngPicture& picture, int compression_level) {
    std::vector<std::vector<png_byte>> rows;
    for (int y = 0; y < picture.height; ++y) rows.push_back(packed_row(picture, y));
    std::vector<png_bytep> row_pointers;
    for (auto& row : rows) row_pointers.push_back(row.data());
    std::vector<png_color> palette;
    std::vector<png_byte> alphas;
    for (int i = 0; i < palette_entries(picture) && picture.colour_type == PNG_COLOR_TYPE_PALETTE; ++i) {
        palette.push_back(palette_colour(i));
        alphas.push_back(palette_alpha(i));
    }
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, append_written, nullptr);
    png_set_compression_level(png, compression_level);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 picture.bit_depth, picture.colour_type, picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (picture.transparency && !alphas.empty()) png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
    png_write_info(png, info);
    png_write_image(png, row_pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Pixel expected_png_pixel(const PngPicture& picture, int x, int y) {
    int depth = picture.bit_depth;
    auto sample = [&](int channel) { return to_8_bits(pattern(x, y, channel, maximum_sample(picture)), depth); };
    auto byte = [](int value) { return static_cast<uint8_t>(value); };
    switch (picture.colour_type) {
    case PNG_COLOR_TYPE_GRAY: return {byte(sample(0)), byte(sample(0)), byte(sample(0)), 255};
    case PNG_COLOR_TYPE_GRAY_ALPHA: return {byte(sample(0)), byte(sample(0)), byte(sample(0)), byte(sample(1))};
    case PNG_COLOR_TYPE_RGB: return {byte(sample(2)), byte(sample(1)), byte(sample(0)), 255};
    case PNG_COLOR_TYPE_RGB_ALPHA: return {byte(sample(2)), byte(sample(1)), byte(sample(0)), byte(sample(3))};
    default: {
        int index = pattern(x, y, 0, palette_entries(picture) - 1);
        png_color colour = palette_colour(index);
        return {colour.blue, colour.green, colour.red, picture.transparency ? palette_alpha(index) : png_byte{255}};
    }
    }
}

int expected_png_depth(const PngPicture& picture) {
    bool alpha = picture.colour_type & PNG_COLOR_MASK_ALPHA ||
                 (picture.colour_type == PNG_COLOR_TYPE_PALETTE && picture.transparency);
    return alpha ? 32 : 24;
}

std::string png_name(const PngPicture& picture) {
    static const char* const TYPES[] = {"grey", "", "rgb", "palette", "grey_alpha", "", "rgba"};
    return std::string(TYPES[picture.colour_type]) + "_" + std::to_string(picture.bit_depth) + "bit" +
           (picture.transparency ? "_trns" : "") + (picture.interlaced ? "_interlaced" : "");
}

std::vector<PngPicture> every_png_kind() {
    std::vector<PngPicture> kinds;
    auto add = [&](int type, int depth, bool transparency = false) {
        kinds.push_back({13, 7, type, depth, false, transparency});
        kinds.push_back({13, 7, type, depth, true, transparency});
    };
    add(PNG_COLOR_TYPE_RGB, 8);
    add(PNG_COLOR_TYPE_RGB, 16);
    add(PNG_COLOR_TYPE_RGB_ALPHA, 8);
    add(PNG_COLOR_TYPE_RGB_ALPHA, 16);
    for (int depth : {1, 2, 4, 8}) add(PNG_COLOR_TYPE_PALETTE, depth);
    add(PNG_COLOR_TYPE_PALETTE, 4, true);
    add(PNG_COLOR_TYPE_PALETTE, 8, true);
    for (int depth : {1, 2, 4, 8, 16}) add(PNG_COLOR_TYPE_GRAY, depth);
    add(PNG_COLOR_TYPE_GRAY_ALPHA, 8);
    add(PNG_COLOR_TYPE_GRAY_ALPHA, 16);
    return kinds;
}

Bytes encode_bmp(const BmpPicture& picture) {
    int rows = picture.height < 0 ? -picture.height : picture.height;
    int colours = bmp_colours(picture.bits), row_length = bmp_row_bytes(picture.width, picture.bits);
    size_t pixels = 14 + 40 + 4 * static_cast<size_t>(colours);
    Bytes out(pixels + static_cast<size_t>(row_length) * rows);
    out[0] = 'B';
    out[1] = 'M';
    put_u32(out, 2, static_cast<uint32_t>(out.size()));
    put_u32(out, 10, static_cast<uint32_t>(pixels));
    put_info_header(out, 14, picture.width, picture.height, picture.bits, colours);
    for (int i = 0; i < colours; ++i) put_u32(out, 54 + 4 * i, bmp_palette_colour(i));
    for (int y = 0; y < rows; ++y) {
        int stored_row = picture.height < 0 ? y : rows - 1 - y;  // bottom-up unless the height is negative
        for (int x = 0; x < picture.width; ++x)
            put_bmp_pixel(out, pixels + static_cast<size_t>(stored_row) * row_length, picture, x, bmp_value(picture, x, y));
    }
    return out;
}

Pixel expected_bmp_pixel(const BmpPicture& picture, int x, int y) {
    uint32_t value = bmp_value(picture, x, y);
    if (picture.bits <= 8) value = bmp_palette_colour(static_cast<int>(value));
    if (picture.bits == 16) {
        auto channel = [&](int shift) { return (value >> shift & 0x1F) ? 0xFFu : 0u; };
        value = channel(10) << 16 | channel(5) << 8 | channel(0);
    }
    uint8_t alpha = picture.bits == 32 ? (picture.alpha ? picture.alpha : 255) : 255;
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16), alpha};
}

Bytes encode_icon(const std::vector<IconPicture>& pictures) {
    Bytes out(6 + 16 * pictures.size());
    put_u16(out, 2, 1);
    put_u16(out, 4, static_cast<int>(pictures.size()));
    for (size_t i = 0; i < pictures.size(); ++i) {
        const IconPicture& picture = pictures[i];
        Bytes image = icon_image(picture);
        size_t entry = 6 + 16 * i;
        out[entry] = static_cast<uint8_t>(picture.width);
        out[entry + 1] = static_cast<uint8_t>(picture.height);
        put_u16(out, entry + 4, 1);
        put_u16(out, entry + 6, picture.bits);
        put_u32(out, entry + 8, static_cast<uint32_t>(image.size()));
        put_u32(out, entry + 12, static_cast<uint32_t>(out.size()));
        out.insert(out.end(), image.begin(), image.end());
    }
    return out;
}

} // namespace fixtures

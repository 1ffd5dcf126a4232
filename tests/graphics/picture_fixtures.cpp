// Picture files for the tests.
#include "picture_fixtures.h"

#include <png.h>

namespace fixtures {

namespace {

uint8_t sample(size_t index) { return static_cast<uint8_t>((index * 2654435761u) >> 13); }

void append_written(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

} // namespace

void put_le(Bytes& out, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

Bytes encode_png(const PngPicture& picture) {
    const int channels[] = {1, 0, 3, 1, 2, 0, 4};  // by colour type
    size_t length = (static_cast<size_t>(picture.width) * channels[picture.colour_type] * picture.bit_depth + 7) / 8;
    Bytes samples(length * picture.height);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = sample(i);
    std::vector<png_bytep> rows;
    for (int y = 0; y < picture.height; ++y) rows.push_back(&samples[y * length]);
    bool palette = picture.colour_type == PNG_COLOR_TYPE_PALETTE;
    std::vector<png_color> colours(palette ? 1u << picture.bit_depth : 0);
    Bytes alphas(colours.size());
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = {sample(3 * i + 7), sample(3 * i + 8), sample(3 * i + 9)}, alphas[i] = sample(i + 5);
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, append_written, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 picture.bit_depth, picture.colour_type, picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (palette) png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    if (picture.transparency) png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes encode_bmp(const BmpPicture& picture) {
    int rows = picture.height < 0 ? -picture.height : picture.height;
    int colours = picture.bits <= 8 ? 1 << picture.bits : 0, length = (picture.width * picture.bits + 31) / 32 * 4;
    size_t pixels = 14 + 40 + 4 * static_cast<size_t>(colours);
    Bytes out(pixels + static_cast<size_t>(length) * rows);
    // The file header, then a 40-byte information header: one plane, no compression.
    const std::pair<size_t, uint32_t> fields[] = {{0, 'B' | 'M' << 8}, {2, static_cast<uint32_t>(out.size())}, {10, static_cast<uint32_t>(pixels)}, {14, 40},
                                                  {18, picture.width}, {22, picture.height}, {26, 1 | picture.bits << 16}, {46, colours}};
    for (auto [at, value] : fields) put_le(out, at, value, 4);
    for (int y = 0; picture.bits >= 24 && y < rows; ++y) {
        size_t row = pixels + static_cast<size_t>(picture.height < 0 ? y : rows - 1 - y) * length;  // bottom-up unless negative
        for (int x = 0; x < picture.width; ++x) {
            Pixel p = expected_bmp_pixel(picture, x, y);
            for (int i = 0; i < picture.bits / 8; ++i) out[row + x * picture.bits / 8 + i] = i == 3 ? picture.alpha : p[i];
        }
    }
    return out;
}

Pixel expected_bmp_pixel(const BmpPicture& picture, int x, int y) {
    size_t at = static_cast<size_t>(y * picture.width + x) * 3;
    return {sample(at), sample(at + 1), sample(at + 2), picture.bits == 32 && picture.alpha ? picture.alpha : uint8_t{255}};
}

Bytes encode_icon(const std::vector<IconPicture>& pictures) {
    Bytes out(6 + 16 * pictures.size());
    put_le(out, 2, 1 | static_cast<uint32_t>(pictures.size()) << 16, 4);  // type 1 (icon), entries
    for (size_t i = 0; i < pictures.size(); ++i) {
        // A BMP of twice the height without its file header: the colour rows, then room for the mask rows.
        const Bytes bmp = encode_bmp({pictures[i].width, 2 * pictures[i].height, pictures[i].bits, 255});
        size_t entry = 6 + 16 * i;
        put_le(out, entry, static_cast<uint32_t>(pictures[i].width | pictures[i].height << 8), 2);
        put_le(out, entry + 4, 1 | static_cast<uint32_t>(pictures[i].bits) << 16, 4);  // planes, bits
        put_le(out, entry + 8, static_cast<uint32_t>(bmp.size() - 14), 4);
        put_le(out, entry + 12, static_cast<uint32_t>(out.size()), 4);
        out.insert(out.end(), bmp.begin() + 14, bmp.end());
    }
    return out;
}

} // namespace fixtures

// PNG decoding through libpng with a reader bounded by the data's size.
//
// libpng reports errors by jumping back to the recovery point of the call that is running
// (png_check or png_decode), so the functions between that point and libpng hold no resources
// of their own. Every transform is requested in png_check, before png_read_update_info: libpng
// 1.6 ignores requests made after it.
#include "graphics/png_decoder.h"

#include <png.h>

#include <cstring>

namespace rt {

namespace {

bool registered;

constexpr int PNG_SIGNATURE_BYTES = 8;

// libpng's read callback: copies from the job's read position, never past the data's end.
void png_read_from_memory(png_structp png, png_bytep destination, size_t length) {
    auto* job = static_cast<DecodeJob*>(png_get_io_ptr(png));
    auto left = static_cast<size_t>(job->data + job->size - job->read_position);
    if (length > left) png_error(png, "PNG data ends early");
    std::memcpy(destination, job->read_position, length);
    job->read_position += length;
}

// Rows of 8-bit samples, blue first, every pass of interlaced data delivered into whole rows.
void request_transforms(DecodeJob* job, png_structp png, int colour_type, int bit_depth) {
    if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);  // tRNS becomes alpha
    if (colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
        if (bit_depth < 8) png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (bit_depth == 16) png_set_strip_16(png);
    png_set_bgr(png);
    job->passes = png_set_interlace_handling(png);
}

void read_header(DecodeJob* job, png_structp png) {
    job->read_position = job->data;
    png_set_read_fn(png, job, png_read_from_memory);
    // Only the chunks that make the picture (header, palette, transparency, image data, end) are
    // read; every other one is skipped unread, so that no text or profile chunk can make libpng
    // allocate whatever its length announces before the data is found to be shorter.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_infop info = png_create_info_struct(png);
    if (!info) png_error(png, "no memory for the PNG header");
    job->info_structure = info;
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (width > MAX_IMAGE_SIDE || height > MAX_IMAGE_SIDE) png_error(png, "PNG image too large");
    request_transforms(job, png, png_get_color_type(png, info), png_get_bit_depth(png, info));
    png_read_update_info(png, info);
    job->width = static_cast<int>(width);
    job->height = static_cast<int>(height);
    job->colour_type = png_get_color_type(png, info);
    job->bit_depth = png_get_bit_depth(png, info);
    job->depth = job->colour_type == PNG_COLOR_TYPE_RGB ? 24 : 32;
    // What the rows will hold must be what the bitmap has room for.
    if (job->bit_depth != 8 || png_get_rowbytes(png, info) != width * static_cast<unsigned>(job->depth / 8))
        png_error(png, "unexpected PNG row layout");
}

void read_rows(const DecodeJob* job, png_structp png, uint8_t* bits, int row_length, int flags) {
    bool bottom_up = flags & DECODE_BOTTOM_UP;
    for (int pass = 0; pass < job->passes; ++pass) {
        for (int y = 0; y < job->height; ++y) {
            int memory_row = bottom_up ? job->height - 1 - y : y;
            png_bytep row = bits + static_cast<std::ptrdiff_t>(memory_row) * row_length;
            png_read_rows(png, &row, nullptr, 1);
        }
    }
}

} // namespace

const ImageDecoder PNG_DECODER = {png_check, png_decode, png_close};

void register_png_decoder() {
    if (registered) return;
    register_image_decoder(&PNG_DECODER);
    registered = true;
}

int png_check(DecodeJob* job) {
    if (!job->data || job->size < PNG_SIGNATURE_BYTES || png_sig_cmp(job->data, 0, PNG_SIGNATURE_BYTES) != 0) return 0;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return 0;
    job->read_structure = png;
    job->info_structure = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        png_close(job);
        return 0;
    }
    read_header(job, png);
    return 1;
}

int png_decode(DecodeJob* job, uint8_t* bits, int row_length, int flags) {
    auto png = static_cast<png_structp>(job->read_structure);
    if (!png) return 0;
    if (setjmp(png_jmpbuf(png))) return 0;
    read_rows(job, png, bits, row_length, flags);
    return 1;
}

void png_close(DecodeJob* job) {
    auto png = static_cast<png_structp>(job->read_structure);
    auto info = static_cast<png_infop>(job->info_structure);
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    job->read_structure = nullptr;
    job->info_structure = nullptr;
}

} // namespace rt

// The direct loop is what a program that needs nothing else would write: a memory reader, the
// header, blue-first samples, one row at a time.
#include "png_reading.h"

#include "graphics/image_data.h"
#include "graphics/png_decoder.h"

#include <png.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace bench {

namespace {

struct MemoryReader {
    const uint8_t* at;
    const uint8_t* end;
};

void read_from_memory(png_structp png, png_bytep destination, size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > static_cast<size_t>(reader->end - reader->at)) png_error(png, "PNG data ends early");
    std::memcpy(destination, reader->at, length);
    reader->at += length;
}

// Between setjmp and png_destroy_read_struct nothing of ours needs unwinding.
bool read_rows(png_structp png, png_infop info, MemoryReader& reader, std::vector<uint8_t>& pixels) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &reader, read_from_memory);
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const size_t row_bytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels.resize(row_bytes * height);
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, pixels.data() + y * row_bytes, nullptr);
    return true;
}

} // namespace

std::string read_whole_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool decode_with_runtime_decoder(const std::string& png, std::vector<uint8_t>& pixels) {
    rt::register_png_decoder();
    if (!rt::find_image_decoder(png.data(), static_cast<int>(png.size()))) return false;
    rt::DecodeJob& job = rt::decode_job();
    const int row_length = rt::row_bytes(job.width, job.depth);
    pixels.resize(static_cast<size_t>(row_length) * static_cast<size_t>(job.height));
    const int decoded = job.decoder->decode(&job, pixels.data(), row_length, rt::DECODE_BOTTOM_UP);
    job.decoder->close(&job);
    return decoded != 0;
}

bool decode_with_libpng(const std::string& png, std::vector<uint8_t>& pixels) {
    png_structp read = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = read ? png_create_info_struct(read) : nullptr;
    auto* data = reinterpret_cast<const uint8_t*>(png.data());
    MemoryReader reader{data, data + png.size()};
    const bool decoded = info && read_rows(read, info, reader, pixels);
    png_destroy_read_struct(&read, info ? &info : nullptr, nullptr);
    return decoded;
}

} // namespace bench

// Writes the fuzzers' seed pictures: every kind of PNG the tests make into corpus/png_decoder,
// BMP and icon files into corpus/image_headers. Usage: make_corpus CORPUS_FOLDER
#include "graphics/picture_fixtures.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void write(const std::filesystem::path& file, const fixtures::Bytes& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus CORPUS_FOLDER\n");
        return 2;
    }
    std::filesystem::path png = std::filesystem::path(argv[1]) / "png_decoder";
    std::filesystem::path headers = std::filesystem::path(argv[1]) / "image_headers";
    std::filesystem::create_directories(png);
    std::filesystem::create_directories(headers);
    for (const fixtures::PngPicture& picture : fixtures::every_png_kind())
        write(png / (fixtures::png_name(picture) + ".png"), fixtures::encode_png(picture));
    write(png / "rgb_8bit_stored.png", fixtures::encode_png({64, 64, PNG_COLOR_TYPE_RGB, 8, false, false}, 0));
    for (int bits : {1, 4, 8, 16, 24, 32})
        for (int height : {3, -3})
            write(headers / ("bmp_" + std::to_string(bits) + (height < 0 ? "_top_down" : "") + ".bmp"),
                  fixtures::encode_bmp({5, height, bits, 128}));
    write(headers / "icon_four_entries.ico", fixtures::encode_icon({{32, 32, 4, 1}, {32, 32, 8, 2}, {32, 32, 32, 3}, {48, 48, 32, 4}}));
    write(headers / "icon_one_entry.ico", fixtures::encode_icon({{16, 16, 8, 5}}));
    return 0;
}

// Writes the fuzzers' seeds: every kind of PNG the tests make into corpus/png_decoder, BMP and icon
// files into corpus/image_headers, and the texts the converter gives the string functions (paths
// with spaces, Cyrillic and quotes, the read-out's mask, numbers in each base) into the folders of
// the text targets. Usage: make_corpus CORPUS_FOLDER
#include "graphics/picture_fixtures.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

namespace {

void write(const std::filesystem::path& file, const fixtures::Bytes& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// One seed file per text, numbered, in folder/target.
void write_texts(const std::filesystem::path& folder, const char* target, std::initializer_list<const char*> texts) {
    std::filesystem::path into = folder / target;
    std::filesystem::create_directories(into);
    int number = 0;
    for (const char* text : texts) {
        std::string bytes(text);
        write(into / ("seed_" + std::to_string(number++)), fixtures::Bytes(bytes.begin(), bytes.end()));
    }
}

void write_text_seeds(const std::filesystem::path& folder) {
    const char* paths[] = {"C:\\My Videos\\clip one.avi", "D:/films/a  b.mpg", "\"C:\\a\\b.avi\" -x",
                           "Z:\\\xc2\xe8\xe4\xe5\xee\\\xea\xeb\xe8\xef.avi", "-rf .\\..\\.x"};
    write_texts(folder, "replace_string", {paths[0], paths[1], paths[2], paths[3], "aaaa aa AA", "Apple apple"});
    write_texts(folder, "file_part", {paths[0], paths[1], paths[2], paths[3], paths[4], "clip.avi"});
    write_texts(folder, "format_date", {"%ii:%ss", "%yyyy-%mm-%dd %hh:%ii:%ss %yy", "%%ii %x %", "%YYYY%Yy"});
    write_texts(folder, "integer_value", {"  -42", "$ff", "%101", "+9223372036854775807", "\t$FFFFFFFFFFFFFFFF0"});
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
    write_text_seeds(argv[1]);
    return 0;
}

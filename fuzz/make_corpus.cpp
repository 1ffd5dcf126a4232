// Writes the fuzzers' seeds: a PNG of every colour type and depth into corpus/png_decoder, BMP and icon
// files into corpus/image_headers, and the texts the converter gives the string functions (paths
// with spaces, Cyrillic and quotes, the read-out's mask, numbers in each base, the front-end's calls, the tool's reports) into the folders of
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
    write_texts(folder, "frontend_call", {"\"C:\\conv\\FFmpeg\" -i C:\\a\\clip.avi -y  -sameq  clip.avi.flv",
                                          "FFmpeg -i  -y  -sameq  .flv", "FFmpeg -i \"a b.avi\" -y -same_quant o.mpg",
                                          "\"FFmpeg\" -version", "FFmpeg -i x -sameq -b 1k y.avi"});
    write_texts(folder, "frontend_report",
                {"Input #0, mov,mp4, from 'a.mp4':\n  Duration: 00:00:03.00, start: 0.000000, bitrate: 430 kb/s\n"
                 "  Stream #0:0[0x1](und): Video: h264 (High) (avc1 / 0x31637661), yuv420p(tv, bt709), 320x240 "
                 "[SAR 1:1 DAR 4:3], 289 kb/s, 29.97 fps, 29.97 tbr, 30k tbn (default)\n"
                 "  Stream #0:1[0x2](und): Audio: aac (LC) (mp4a / 0x6134706D), 48000 Hz, 5.1(side), fltp\n",
                 "frame=10\nout_time_us=85333\nout_time_ms=85333\nout_time=00:00:00.085333\nspeed=3.32x\n"
                 "progress=continue\nout_time_us=-9223372036854775807\nspeed=N/A\nprogress=end\n"});
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
    const int kinds[][2] = {  // colour type, bit depth; each plain and interlaced, palettes also with tRNS
        {PNG_COLOR_TYPE_RGB, 8},     {PNG_COLOR_TYPE_RGB, 16},  {PNG_COLOR_TYPE_RGB_ALPHA, 8}, {PNG_COLOR_TYPE_RGB_ALPHA, 16},
        {PNG_COLOR_TYPE_PALETTE, 1}, {PNG_COLOR_TYPE_PALETTE, 2}, {PNG_COLOR_TYPE_PALETTE, 4}, {PNG_COLOR_TYPE_PALETTE, 8},
        {PNG_COLOR_TYPE_GRAY, 1},    {PNG_COLOR_TYPE_GRAY, 2},  {PNG_COLOR_TYPE_GRAY, 4},      {PNG_COLOR_TYPE_GRAY, 8},
        {PNG_COLOR_TYPE_GRAY, 16},   {PNG_COLOR_TYPE_GRAY_ALPHA, 8}, {PNG_COLOR_TYPE_GRAY_ALPHA, 16}};
    for (const auto& kind : kinds)
        for (int variant = 0; variant < (kind[0] == PNG_COLOR_TYPE_PALETTE ? 4 : 2); ++variant) {
            bool interlaced = variant & 1, transparency = variant & 2;
            std::string name = "type" + std::to_string(kind[0]) + "_" + std::to_string(kind[1]) + "bit" +
                               (interlaced ? "_interlaced" : "") + (transparency ? "_trns" : "") + ".png";
            write(png / name, fixtures::encode_png({13, 7, kind[0], kind[1], interlaced, transparency}));
        }
    write(png / "rgb_8bit_64.png", fixtures::encode_png({64, 64, PNG_COLOR_TYPE_RGB, 8, false, false}));
    for (int bits : {1, 4, 8, 16, 24, 32})
        for (int height : {3, -3})
            write(headers / ("bmp_" + std::to_string(bits) + (height < 0 ? "_top_down" : "") + ".bmp"),
                  fixtures::encode_bmp({5, height, bits, 128}));
    write(headers / "icon_four_entries.ico", fixtures::encode_icon({{32, 32, 4}, {32, 32, 8}, {32, 32, 32}, {48, 48, 32}}));
    write(headers / "icon_one_entry.ico", fixtures::encode_icon({{16, 16, 8}}));
    write_text_seeds(argv[1]);
    return 0;
}

// The portable picture code on plain memory: PNG decoding, BMP and icon headers, plot rules, boxes and coverage masks.
#include <gtest/gtest.h>

#include "graphics/image_data.h"
#include "graphics/pixels.h"
#include "graphics/png_decoder.h"
#include "picture_fixtures.h"

#include <png.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace {

using namespace rt;
using fixtures::Bytes;
using fixtures::Pixel;

// The pixels, top row first, decoded as images are (into bottom-up rows of exactly its size); none if refused or cut short.
std::vector<Pixel> decoded_pixels(const Bytes& data) {
    register_png_decoder();
    if (!find_image_decoder(data.data(), static_cast<int>(data.size()))) return {};
    DecodeJob& job = decode_job();
    int row_length = row_bytes(job.width, job.depth), bytes = job.depth / 8;
    std::vector<uint8_t> bits(static_cast<size_t>(row_length) * job.height);
    bool whole = job.decoder->decode(&job, bits.data(), row_length, DECODE_BOTTOM_UP);
    job.decoder->close(&job);
    std::vector<Pixel> pixels;
    for (int y = job.height - 1; whole && y >= 0; --y)
        for (int x = 0; x < job.width; ++x) {
            const uint8_t* p = &bits[static_cast<size_t>(y) * row_length + x * bytes];
            pixels.push_back({p[0], p[1], p[2], bytes == 4 ? p[3] : uint8_t{255}});
        }
    return pixels;
}

// The picture as libpng's own simplified reader gives it: 8-bit blue, green, red, alpha.
std::vector<Pixel> reference_pixels(const Bytes& png) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, png.data(), png.size());
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;  // 16-bit samples are meant as they are, not as linear light
    image.format = PNG_FORMAT_BGRA;
    std::vector<Pixel> pixels(static_cast<size_t>(image.width) * image.height);
    png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    return pixels;
}

// 8-bit blue, green, red rows, with straight alpha when the picture has alpha, whatever the PNG's kind.
TEST(PngDecoderTest, EveryColourTypeAndDepthDecodesAsLibpngReadsIt) {
    // Colour type, bit depth, interlaced, tRNS. libpng's simplified reader misreads interlaced 16-bit pictures.
    const int kinds[][4] = {
        {PNG_COLOR_TYPE_RGB, 8, 0, 0},     {PNG_COLOR_TYPE_RGB, 16, 0, 0},   {PNG_COLOR_TYPE_RGB_ALPHA, 8, 1, 0},
        {PNG_COLOR_TYPE_RGB_ALPHA, 16, 0, 0}, {PNG_COLOR_TYPE_PALETTE, 1, 0, 0}, {PNG_COLOR_TYPE_PALETTE, 2, 1, 0},
        {PNG_COLOR_TYPE_PALETTE, 4, 0, 1}, {PNG_COLOR_TYPE_PALETTE, 8, 1, 1}, {PNG_COLOR_TYPE_GRAY, 1, 1, 0},
        {PNG_COLOR_TYPE_GRAY, 2, 0, 0},    {PNG_COLOR_TYPE_GRAY, 4, 1, 0},   {PNG_COLOR_TYPE_GRAY, 8, 0, 0},
        {PNG_COLOR_TYPE_GRAY, 16, 0, 0},   {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 1, 0}, {PNG_COLOR_TYPE_GRAY_ALPHA, 16, 0, 0},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(testing::Message() << "colour type " << kind[0] << ", " << kind[1] << " bits, interlaced " << kind[2] << ", tRNS " << kind[3]);
        Bytes png = fixtures::encode_png({13, 7, kind[0], kind[1], kind[2] != 0, kind[3] != 0});
        std::vector<Pixel> decoded = decoded_pixels(png), reference = reference_pixels(png);
        ASSERT_EQ(decoded.size(), reference.size());
        for (size_t i = 0; i < decoded.size(); ++i)
            for (int c = 0; c < 4; ++c)  // 16 bits are cut to 8, where libpng's reader rounds
                ASSERT_NEAR(decoded[i][c], reference[i][c], kind[1] == 16) << "pixel " << i % 13 << "," << i / 13 << ", byte " << c;
    }
}

// The widest and the tallest picture an image record can hold are read; one pixel more is refused.
TEST(PngDecoderTest, APictureLargerThanAnImageCanBeIsRefused) {
    for (auto [width, height, accepted] : {std::tuple{32767, 1, true}, {1, 32767, true}, {32768, 1, false}, {1, 32768, false}})
        EXPECT_EQ(decoded_pixels(fixtures::encode_png({width, height, PNG_COLOR_TYPE_GRAY, 1, false, false})).size(), accepted ? 32767u : 0u) << width << " x " << height;
}

#ifdef __SANITIZE_ADDRESS__
// The sanitizer stops the program at any request above 64 MiB, such as a block for what a chunk announces.
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=64"; }
#endif

// A chunk announcing almost 2 GB in a few hundred bytes (a fuzzer's find): the picture is refused, no such block asked for.
TEST(PngDecoderTest, AChunkAnnouncingMoreThanTheDataHoldsIsNeverAllocated) {
    const Bytes good = fixtures::encode_png({4, 4, PNG_COLOR_TYPE_RGB, 8, false, false});
    Bytes png(good.begin(), good.begin() + 33);  // signature and header, then 0x76854375 bytes announced
    png.insert(png.end(), {0x76, 0x85, 0x43, 0x75, 't', 'y', 'p', 'e'});
    png.insert(png.end(), 40, 'x');
    png.insert(png.end(), good.begin() + 33, good.end());
    for (const char* type : {"iTXt", "zTXt", "tEXt", "iCCP", "sPLT", "prVt"}) {
        std::copy_n(type, 4, png.begin() + 37);
        EXPECT_TRUE(decoded_pixels(png).empty()) << type << ": the chunk runs past the data";
    }
}

bool bmp_accepted(const Bytes& bmp, BmpLayout* layout) { return read_bmp_layout(bmp.data(), static_cast<int>(bmp.size()), layout); }

// A whole file of each bit count is described; every shorter one is refused (its rows padded to words).
TEST(BmpLayoutTest, WholeFilesAreDescribedAndEveryShorterOneIsRefused) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        const Bytes bmp = fixtures::encode_bmp({7, -3, bits, 0});
        BmpLayout layout{};
        ASSERT_TRUE(bmp_accepted(bmp, &layout)) << bits << " bits";
        int table = bits <= 8 ? 4 << bits : 0;  // top-down rows keep their sign; fewer bits are raised to 24
        EXPECT_EQ((std::array<int, 5>{layout.width, layout.height, layout.bit_count, layout.depth, layout.header_bytes}),
                  (std::array<int, 5>{7, -3, bits, bits < 24 ? 24 : bits, 40 + table}));
        EXPECT_EQ(std::make_pair(layout.header, layout.pixels), std::make_pair(bmp.data() + 14, bmp.data() + 54 + table));
        for (size_t size = 0; size < bmp.size(); ++size)
            EXPECT_FALSE(bmp_accepted(Bytes(bmp.begin(), bmp.begin() + static_cast<std::ptrdiff_t>(size)), &layout)) << bits << " bits, " << size << " bytes";
    }
}

// Headers the platform would misread, or of sizes no image record holds, are refused (reads past the data: the fuzz target).
TEST(BmpLayoutTest, HeadersOfWhatNoImageCanHoldAreRefused) {
    const std::tuple<const char*, size_t, uint32_t, int> rows[] = {  // a good header, one field (at, value, bytes) set
        {"width over 32767", 18, 32768, 4}, {"the lowest height", 22, 0x80000000u, 4},
        {"bit count 7", 28, 7, 2},          {"run-length compression", 30, 1, 4}};
    BmpLayout layout{};
    EXPECT_TRUE(bmp_accepted(fixtures::encode_bmp({32767, -1, 1, 0}), &layout)) << "the widest";
    for (const auto& [what, at, value, bytes] : rows) {
        Bytes bmp = fixtures::encode_bmp({4, 4, 8, 0});
        fixtures::put_le(bmp, at, value, bytes);
        EXPECT_FALSE(bmp_accepted(bmp, &layout)) << what;
    }
    EXPECT_FALSE(read_bmp_layout(nullptr, 100, &layout));
}

TEST(IconImageTest, TheEntryOfTheFirstSizeWithMostBitsIsChosenTheEarlierOnATie) {
    const std::tuple<const char*, std::vector<fixtures::IconPicture>, int> rows[] = {
        {"one entry", {{16, 16, 4}}, 0},
        {"most bits among the first size", {{32, 32, 4}, {32, 32, 8}, {32, 32, 32}, {48, 48, 32}}, 2},
        {"equal bits: the earlier", {{32, 32, 8}, {32, 32, 8}}, 0},
        {"width and height must both match", {{32, 32, 4}, {32, 16, 32}, {16, 32, 32}, {32, 32, 8}}, 3},
    };
    for (const auto& [what, entries, index] : rows) {
        Bytes icon = fixtures::encode_icon(entries);
        IconImage image{};
        ASSERT_TRUE(choose_icon_image(icon.data(), static_cast<int>(icon.size()), &image)) << what;
        const fixtures::IconPicture& chosen = entries[static_cast<size_t>(index)];
        const uint8_t* entry = icon.data() + 6 + 16 * index;  // the chosen entry: its image's offset at byte 12
        EXPECT_EQ(image.data, icon.data() + (entry[12] | entry[13] << 8 | entry[14] << 16 | entry[15] << 24)) << what;
        EXPECT_EQ((std::array<int, 3>{image.width, image.height, image.bit_count}), (std::array<int, 3>{chosen.width, chosen.height, chosen.bits}))
            << what << ": width, height (half the bitmap header's) and bits";
    }
}

using Bgra = std::array<int, 4>;  // blue, green, red, alpha (0 at 24 bits)

constexpr Colour WHITE = 0xFFFFFFFF, OPAQUE_BLACK = 0xFF000000;

// A bottom-up output, every pixel starting as `fill`, addressed here so that a wrong row order shows.
struct Canvas {
    int width, height, depth, row_length = (width * depth / 8 + 3) / 4 * 4;
    std::vector<uint8_t> memory = std::vector<uint8_t>(static_cast<size_t>(row_length) * height);
    PixelRows rows{memory.data(), row_length, width, height, depth};

    Canvas(int w, int h, int d, Bgra fill) : width(w), height(h), depth(d) {
        for (int i = 0; i < w * h; ++i) std::copy_n(fill.begin(), d / 8, address(i % w, i / w));
    }
    uint8_t* address(int x, int y) { return &memory[static_cast<size_t>(height - 1 - y) * row_length + x * depth / 8]; }
    Bgra at(int x, int y) { return {address(x, y)[0], address(x, y)[1], address(x, y)[2], depth == 32 ? address(x, y)[3] : 0}; }
    void box(int mode, Colour colour, int x, int y, int w, int h) {
        plot_box(rows, plot_routine(mode, depth), apply_colour(colour, premultiplies(mode)), x, y, w, h, (mode & DRAW_OUTLINED) != 0);
    }
    // A mask of exactly w x h pixels of coverage sum `sum` (so that reading past it is caught).
    void blend(int x, int y, int w, int h, int sum, const MaskColours& colours) {
        std::vector<uint8_t> mask(static_cast<size_t>(w) * h * 3);
        for (size_t i = 0; i < mask.size(); ++i) mask[i] = static_cast<uint8_t>(sum / 3 + (static_cast<int>(i % 3) < sum % 3));
        blend_coverage_mask(rows, mask.data(), w * 3, x, y, w, h, colours);
    }
    // '#' where the blue byte is set, rows from the top separated by '/'.
    std::string drawn() {
        std::string picture;
        for (int i = 0; i < width * height; ++i) picture += std::string(i && i % width == 0 ? "/" : "") + (at(i % width, i / width)[0] ? '#' : '.');
        return picture;
    }
};

// A pixel of each depth starting as `before`, after the Canvas operation `change`: the 32-bit one and the 24-bit one.
template <class Change, class... Arguments>
std::pair<Bgra, Bgra> after(Bgra before, Change change, const Arguments&... arguments) {
    Canvas deep(1, 1, 32, before), shallow(1, 1, 24, before);
    (deep.*change)(arguments...);
    (shallow.*change)(arguments...);
    return {deep.at(0, 0), shallow.at(0, 0)};
}

// One pixel plotted in each mode, from a known pixel, on both depths.
TEST(PlotRuleTest, EveryModeOnBothDepths) {
    const std::tuple<const char*, int, Bgra, Colour, Bgra, Bgra> rows[] = {
        {"default replaces colour bytes, keeps alpha", DRAW_DEFAULT, {1, 2, 3, 77}, rgba(30, 20, 10, 9), {10, 20, 30, 77}, {10, 20, 30, 0}},
        {"colour components are taken modulo 256", DRAW_DEFAULT, {1, 2, 3, 77}, rgb(256 + 30, 20 - 256, 10), {10, 20, 30, 77}, {10, 20, 30, 0}},
        {"xor", DRAW_XOR, {0xF0, 0x0F, 0xFF, 5}, rgb(0xFF, 0xFF, 0x0F), {0xFF, 0xF0, 0x00, 5}, {0xFF, 0xF0, 0x00, 0}},
        {"alpha channel writes alpha only", DRAW_ALPHA_CHANNEL, {1, 2, 3, 255}, rgba(255, 255, 255, 0), {1, 2, 3, 0}, {1, 2, 3, 0}},
        {"blend: opaque colour replaces", DRAW_ALPHA_BLEND, {9, 9, 9, 100}, rgba(30, 20, 10, 255), {10, 20, 30, 255}, {10, 20, 30, 0}},
        {"blend over a transparent pixel takes the colour", DRAW_ALPHA_BLEND, {9, 9, 9, 0}, rgba(30, 20, 10, 60), {10, 20, 30, 60}, {9, 11, 13, 0}},
        {"blend: half black over white", DRAW_ALPHA_BLEND, {255, 255, 255, 255}, rgba(0, 0, 0, 128), {127, 127, 127, 255}, {127, 127, 127, 0}},
        {"clip keeps alpha", DRAW_ALPHA_CLIP, {255, 255, 255, 255}, rgba(0, 0, 0, 128), {127, 127, 127, 255}, {127, 127, 127, 0}},
        {"clip over a transparent pixel keeps alpha 0", DRAW_ALPHA_CLIP, {9, 9, 9, 0}, rgba(30, 20, 10, 60), {10, 20, 30, 0}, {9, 11, 13, 0}},
        {"gradient draws the colour", DRAW_GRADIENT | DRAW_ALPHA_BLEND, {1, 2, 3, 4}, rgba(30, 20, 10, 0), {10, 20, 30, 4}, {10, 20, 30, 0}},
    };
    for (const auto& [rule, mode, before, colour, after_32, after_24] : rows)
        EXPECT_EQ(after(before, &Canvas::box, mode, colour, 0, 0, 1, 1), std::make_pair(after_32, after_24)) << rule;
}

// A point read back in an alpha mode carries the alpha of a 32-bit pixel; a 24-bit one has none.
TEST(ReadPointTest, OnlyThirtyTwoBitPixelsAreReadWithTheirAlpha) {
    Canvas deep(1, 1, 32, {10, 20, 30, 40}), shallow(1, 1, 24, {10, 20, 30, 0});
    EXPECT_EQ(read_point_routine(DRAW_ALPHA_BLEND, 32)(deep.address(0, 0)), rgba(30, 20, 10, 40));
    EXPECT_EQ(read_point_routine(DRAW_DEFAULT, 32)(deep.address(0, 0)), rgb(30, 20, 10));
    EXPECT_EQ(read_point_routine(DRAW_ALPHA_BLEND, 24)(shallow.address(0, 0)), rgb(30, 20, 10));
}

// Negative sizes extend a box left and up, only its part on the output is drawn (no int overflow), outline pixels once each.
TEST(BoxTest, BoxesAreNormalisedClippedAndOutlined) {
    const std::string none = "......../......../......../......../......../........";
    const std::tuple<int, int, int, int, int, std::string> rows[] = {  // mode, x, y, width, height, picture
        {DRAW_DEFAULT, 3, 4, -2, -3, "......../.##...../.##...../.##...../......../........"},
        {DRAW_DEFAULT, -2, 4, 4, 9, "......../......../......../......../##....../##......"},
        {DRAW_DEFAULT, 6, -1, 5, 2, "......##/......../......../......../......../........"},
        {DRAW_DEFAULT, -3, 0, 3, 3, none}, {DRAW_DEFAULT, 0, 0, 0, 3, none}, {DRAW_OUTLINED, 3, 3, 0, 2, none},
        {DRAW_DEFAULT, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, none}, {DRAW_DEFAULT, INT32_MIN, 0, INT32_MIN, 2, none},
        {DRAW_OUTLINED, 1, 1, 4, 4, "......../.####.../.#..#.../.#..#.../.####.../........"},
        {DRAW_OUTLINED | DRAW_XOR, 1, 1, 4, 1, "......../.####.../......../......../......../........"},
        {DRAW_OUTLINED | DRAW_XOR, 2, 0, 1, 3, "..#...../..#...../..#...../......../......../........"},
        {DRAW_OUTLINED, -1, -1, 4, 9, "..#...../..#...../..#...../..#...../..#...../..#....."},
    };
    for (const auto& [mode, x, y, width, height, picture] : rows) {
        Canvas canvas(8, 6, 32, {0, 0, 0, 255});
        canvas.box(mode, mode & DRAW_XOR ? rgb(255, 255, 255) : WHITE, x, y, width, height);
        EXPECT_EQ(canvas.drawn(), picture) << "mode " << mode << ", box " << x << "," << y << " " << width << " x " << height;
    }
}

// One mask pixel of coverage sum `sum` (of 765) blended by each rule.
TEST(MaskBlendTest, EveryRuleOnBothDepths) {
    const std::tuple<const char*, MaskColours, int, Bgra, Bgra, Bgra> rows[] = {
        {"xor above half coverage uses the front colour", {DRAW_XOR, false, rgb(0xFF, 0, 0x0F), 0}, 600, {0, 0, 0, 9}, {0x0F, 0, 0xFF, 9}, {0x0F, 0, 0xFF, 0}},
        {"xor at half coverage, transparent: nothing", {DRAW_XOR | DRAW_TRANSPARENT, false, WHITE, rgb(1, 2, 3)}, 382, {0, 0, 0, 9}, {0, 0, 0, 9}, {0, 0, 0, 0}},
        {"xor at half coverage, opaque: the back colour", {DRAW_XOR, true, WHITE, rgb(1, 2, 3)}, 382, {0, 0, 0, 9}, {3, 2, 1, 9}, {3, 2, 1, 0}},
        {"alpha channel over the pixel's alpha", {DRAW_ALPHA_CHANNEL | DRAW_TRANSPARENT, false, rgba(0, 0, 0, 200), 0}, 153, {5, 6, 7, 100}, {5, 6, 7, 120}, {5, 6, 7, 0}},
        {"alpha channel of an alpha over itself stays exact", {DRAW_ALPHA_CHANNEL | DRAW_TRANSPARENT, false, rgba(0, 0, 0, 13), 0}, 193, {0, 0, 0, 13}, {0, 0, 0, 13}, {0, 0, 0, 0}},
        {"alpha clip keeps the pixel's alpha", {DRAW_ALPHA_CLIP | DRAW_TRANSPARENT, false, WHITE, 0}, 765, {0, 0, 0, 40}, {255, 255, 255, 40}, {255, 255, 255, 0}},
        {"the read-out's text: coverage 383 of 765 is alpha 127", {DRAW_ALPHA_BLEND | DRAW_TRANSPARENT, false, WHITE, OPAQUE_BLACK}, 383, {0, 0, 0, 0}, {255, 255, 255, 127}, {127, 127, 127, 0}},
        {"alpha blend, half coverage over opaque black", {DRAW_ALPHA_BLEND | DRAW_TRANSPARENT, false, WHITE, 0}, 384, {0, 0, 0, 255}, {128, 128, 128, 255}, {128, 128, 128, 0}},
        {"opaque alpha blend: no coverage shows the back colour", {DRAW_ALPHA_BLEND, true, WHITE, rgba(10, 20, 30, 255)}, 0, {0, 0, 0, 0}, {30, 20, 10, 255}, {30, 20, 10, 0}},
        {"opaque alpha blend: full coverage shows the front colour", {DRAW_ALPHA_BLEND, true, rgba(1, 2, 3, 255), OPAQUE_BLACK}, 765, {9, 9, 9, 0}, {3, 2, 1, 255}, {3, 2, 1, 0}},
        {"opaque alpha blend: full coverage is the front colour alone, no byte overflows", {DRAW_ALPHA_BLEND, true, WHITE, rgba(255, 0, 0, 255)}, 765, {9, 9, 9, 0}, {255, 255, 255, 255}, {255, 255, 255, 0}},
        {"opaque alpha blend over a transparent back colour is the text alone", {DRAW_ALPHA_BLEND, true, WHITE, 0}, 0, {9, 9, 9, 50}, {9, 9, 9, 50}, {9, 9, 9, 0}},
        {"default, transparent: coverage over the pixel", {DRAW_TRANSPARENT, false, WHITE, 0}, 153, {0, 0, 0, 33}, {51, 51, 51, 33}, {51, 51, 51, 0}},
        {"default, opaque: coverage over the back colour", {DRAW_DEFAULT, true, WHITE, rgb(0, 0, 255)}, 0, {7, 7, 7, 33}, {255, 0, 0, 33}, {255, 0, 0, 0}},
    };
    for (const auto& [rule, colours, sum, before, after_32, after_24] : rows)
        EXPECT_EQ(after(before, &Canvas::blend, 0, 0, 1, 1, sum, colours), std::make_pair(after_32, after_24)) << rule;
}

// The grey copy for the disabled look: the luminance pulled towards 64..192, times alpha / 255.
TEST(WholePixelTest, GreyCopiesPullLuminanceTowardsTheMiddleAndWeightItByAlpha) {
    std::vector<uint8_t> grey = {150, 100, 50, 255, 255, 255, 255, 128, 0, 0, 0, 255, 0, 0, 0, 0};
    premultiply_grey_pixels(grey.data(), 4);
    // L = (3 x 50 + 6 x 100 + 150) / 10 = 90; white: 192 + 63 x 7 / 10 = 236, x 128 / 255; black: 64 - 64 x 7 / 10
    EXPECT_EQ(grey, (std::vector<uint8_t>{90, 90, 90, 255, 118, 118, 118, 128, 20, 20, 20, 255, 0, 0, 0, 0}));
}

} // namespace

// The drawing arithmetic on plain memory: the plot rule of every mode on 24 and 32 bits, boxes,
// the blending of coverage masks, and the premultiplied copies of the alpha support.
#include <gtest/gtest.h>

#include "graphics/pixels.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

using namespace rt;
using Bgra = std::array<int, 4>;  // blue, green, red, alpha (0 at 24 bits)

constexpr Colour WHITE = 0xFFFFFFFF;
constexpr Colour OPAQUE_BLACK = 0xFF000000;

// A bottom-up output of its own, every pixel starting as `fill`. Pixels are addressed here, not
// through the library, so that a wrong row order shows.
struct Canvas {
    int width, height, depth, row_length = (width * depth / 8 + 3) / 4 * 4;
    std::vector<uint8_t> memory = std::vector<uint8_t>(static_cast<size_t>(row_length) * height);
    PixelRows rows{memory.data(), row_length, width, height, depth};

    Canvas(int w, int h, int d, Bgra fill) : width(w), height(h), depth(d) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) std::copy_n(fill.begin(), d / 8, address(x, y));
    }
    uint8_t* address(int x, int y) { return &memory[static_cast<size_t>(height - 1 - y) * row_length + x * depth / 8]; }
    Bgra at(int x, int y) {
        const uint8_t* p = address(x, y);
        return {p[0], p[1], p[2], depth == 32 ? p[3] : 0};
    }
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
        for (int y = 0; y < height; ++y) {
            picture += y ? "/" : "";
            for (int x = 0; x < width; ++x) picture += at(x, y)[0] ? '#' : '.';
        }
        return picture;
    }
};

// One pixel plotted in each mode, from a known pixel, on both depths.
TEST(PlotRuleTest, EveryModeOnBothDepths) {
    const struct {
        const char* rule;
        int mode;
        Bgra before;
        Colour colour;
        Bgra after_32, after_24;
    } rows[] = {
        {"default replaces colour bytes, keeps alpha", DRAW_DEFAULT, {1, 2, 3, 77}, rgba(30, 20, 10, 9), {10, 20, 30, 77}, {10, 20, 30, 0}},
        {"colour components are taken modulo 256", DRAW_DEFAULT, {1, 2, 3, 77}, rgb(256 + 30, 20 - 256, 10), {10, 20, 30, 77}, {10, 20, 30, 0}},
        {"xor", DRAW_XOR, {0xF0, 0x0F, 0xFF, 5}, rgb(0xFF, 0xFF, 0x0F), {0xFF, 0xF0, 0x00, 5}, {0xFF, 0xF0, 0x00, 0}},
        {"xor wins over blending", DRAW_XOR | DRAW_ALPHA_BLEND, {0, 0, 0, 5}, rgba(1, 2, 3, 128), {3, 2, 1, 5}, {3, 2, 1, 0}},
        {"alpha channel writes alpha only", DRAW_ALPHA_CHANNEL, {1, 2, 3, 255}, rgba(255, 255, 255, 0), {1, 2, 3, 0}, {1, 2, 3, 0}},
        {"blend: opaque colour replaces", DRAW_ALPHA_BLEND, {9, 9, 9, 100}, rgba(30, 20, 10, 255), {10, 20, 30, 255}, {10, 20, 30, 0}},
        {"blend: transparent colour changes nothing", DRAW_ALPHA_BLEND, {9, 9, 9, 100}, rgba(30, 20, 10, 0), {9, 9, 9, 100}, {9, 9, 9, 0}},
        {"blend over a transparent pixel takes the colour", DRAW_ALPHA_BLEND, {9, 9, 9, 0}, rgba(30, 20, 10, 60), {10, 20, 30, 60}, {9, 11, 13, 0}},
        {"blend: half black over white", DRAW_ALPHA_BLEND, {255, 255, 255, 255}, rgba(0, 0, 0, 128), {127, 127, 127, 255}, {127, 127, 127, 0}},
        {"clip keeps alpha", DRAW_ALPHA_CLIP, {255, 255, 255, 255}, rgba(0, 0, 0, 128), {127, 127, 127, 255}, {127, 127, 127, 0}},
        {"clip over a transparent pixel keeps alpha 0", DRAW_ALPHA_CLIP, {9, 9, 9, 0}, rgba(30, 20, 10, 60), {10, 20, 30, 0}, {9, 11, 13, 0}},
        {"custom draws nothing without a routine", DRAW_CUSTOM, {1, 2, 3, 4}, WHITE, {1, 2, 3, 4}, {1, 2, 3, 0}},
        {"gradient draws the colour", DRAW_GRADIENT | DRAW_ALPHA_BLEND, {1, 2, 3, 4}, rgba(30, 20, 10, 0), {10, 20, 30, 4}, {10, 20, 30, 0}},
    };
    for (const auto& row : rows) {
        for (int depth : {32, 24}) {
            Canvas canvas(1, 1, depth, row.before);
            canvas.box(row.mode, row.colour, 0, 0, 1, 1);
            EXPECT_EQ(canvas.at(0, 0), depth == 32 ? row.after_32 : row.after_24) << depth << " bits: " << row.rule;
        }
    }
}

// Which pixels of an 8 x 6 output a box covers: negative sizes extend it left and up, only the part
// on the output is plotted (without overflow at the ends of int), outlines plot each edge pixel once.
TEST(BoxTest, BoxesAreNormalisedClippedAndOutlined) {
    const std::string none = "......../......../......../......../......../........";
    const struct {
        int mode, x, y, width, height;
        std::string picture;  // rows from the top, separated by '/'
    } rows[] = {
        {DRAW_DEFAULT, 3, 4, -2, -3, "......../.##...../.##...../.##...../......../........"},
        {DRAW_DEFAULT, -2, 4, 4, 9, "......../......../......../......../##....../##......"},
        {DRAW_DEFAULT, 6, -1, 5, 2, "......##/......../......../......../......../........"},
        {DRAW_DEFAULT, -3, 0, 3, 3, none},
        {DRAW_DEFAULT, 0, 0, 0, 3, none},
        {DRAW_DEFAULT, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, none},
        {DRAW_DEFAULT, INT32_MIN, 0, INT32_MIN, 2, none},
        {DRAW_OUTLINED, 1, 1, 4, 4, "......../.####.../.#..#.../.#..#.../.####.../........"},
        {DRAW_OUTLINED | DRAW_XOR, 1, 1, 4, 1, "......../.####.../......../......../......../........"},
        {DRAW_OUTLINED | DRAW_XOR, 2, 0, 1, 3, "..#...../..#...../..#...../......../......../........"},
        {DRAW_OUTLINED, 3, 3, 0, 2, none},
        {DRAW_OUTLINED, -1, -1, 4, 9, "..#...../..#...../..#...../..#...../..#...../..#....."},
    };
    for (const auto& row : rows) {
        Canvas canvas(8, 6, 32, {0, 0, 0, 255});
        canvas.box(row.mode, row.mode & DRAW_XOR ? rgb(255, 255, 255) : WHITE, row.x, row.y, row.width, row.height);
        EXPECT_EQ(canvas.drawn(), row.picture) << "mode " << row.mode << ", box " << row.x << "," << row.y << " " << row.width << " x " << row.height;
    }
}

// One mask pixel of coverage sum `sum` (of 765) blended by each rule.
TEST(MaskBlendTest, EveryRuleOnBothDepths) {
    const struct {
        const char* rule;
        MaskColours colours;
        int sum;
        Bgra before, after_32, after_24;
    } rows[] = {
        {"xor above half coverage uses the front colour", {DRAW_XOR, false, rgb(0xFF, 0, 0x0F), 0}, 600, {0, 0, 0, 9}, {0x0F, 0, 0xFF, 9}, {0x0F, 0, 0xFF, 0}},
        {"xor at half coverage, transparent: nothing", {DRAW_XOR | DRAW_TRANSPARENT, false, WHITE, rgb(1, 2, 3)}, 382, {0, 0, 0, 9}, {0, 0, 0, 9}, {0, 0, 0, 0}},
        {"xor at half coverage, opaque: the back colour", {DRAW_XOR, true, WHITE, rgb(1, 2, 3)}, 382, {0, 0, 0, 9}, {3, 2, 1, 9}, {3, 2, 1, 0}},
        {"alpha channel over the pixel's alpha", {DRAW_ALPHA_CHANNEL | DRAW_TRANSPARENT, false, rgba(0, 0, 0, 200), 0}, 153, {5, 6, 7, 100}, {5, 6, 7, 120}, {5, 6, 7, 0}},
        {"alpha channel over the back colour's alpha", {DRAW_ALPHA_CHANNEL, true, rgba(0, 0, 0, 200), rgba(0, 0, 0, 100)}, 153, {5, 6, 7, 0}, {5, 6, 7, 120}, {5, 6, 7, 0}},
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
        {"custom without a routine: nothing", {DRAW_CUSTOM, false, WHITE, 0}, 765, {7, 7, 7, 33}, {7, 7, 7, 33}, {7, 7, 7, 0}},
    };
    for (const auto& row : rows) {
        for (int depth : {32, 24}) {
            Canvas canvas(1, 1, depth, row.before);
            canvas.blend(0, 0, 1, 1, row.sum, row.colours);
            EXPECT_EQ(canvas.at(0, 0), depth == 32 ? row.after_32 : row.after_24) << depth << " bits: " << row.rule;
        }
    }
}

TEST(MaskBlendTest, OnlyThePartOnTheOutputIsBlendedAndTheMaskIsNotReadPastItsSize) {
    const struct {
        int x, y;
        const char* picture;
    } rows[] = {
        {0, 0, "###./###./...."},  {-2, -1, "#.../..../...."}, {2, 1, "..../..##/..##"}, {4, 0, "..../..../...."},
        {-3, 0, "..../..../...."}, {0, 3, "..../..../...."},  {0, -1, "###./..../...."}, {0, -2, "..../..../...."},
    };
    for (const auto& row : rows) {
        Canvas canvas(4, 3, 24, {0, 0, 0, 0});
        canvas.blend(row.x, row.y, 3, 2, 765, {DRAW_TRANSPARENT, false, WHITE, 0});
        EXPECT_EQ(canvas.drawn(), row.picture) << "a 3 x 2 mask at " << row.x << "," << row.y;
    }
}

// Copies for showing with per-pixel alpha: colour bytes times alpha / 256 (opaque pixels kept), or
// for the disabled look a grey of the luminance pulled towards 64..192, times alpha / 255.
TEST(WholePixelTest, PremultipliedAndGreyCopies) {
    const std::vector<uint8_t> pixels = {150, 100, 50, 255, 255, 255, 255, 128, 0, 0, 0, 255, 0, 0, 0, 0};
    std::vector<uint8_t> premultiplied = pixels, grey = pixels;
    premultiply_pixels(premultiplied.data(), 4);
    premultiply_grey_pixels(grey.data(), 4);
    EXPECT_EQ(premultiplied, (std::vector<uint8_t>{150, 100, 50, 255, 127, 127, 127, 128, 0, 0, 0, 255, 0, 0, 0, 0}));
    // L = (3 x 50 + 6 x 100 + 150) / 10 = 90; white: 192 + 63 x 7 / 10 = 236, x 128 / 255; black: 64 - 64 x 7 / 10
    EXPECT_EQ(grey, (std::vector<uint8_t>{90, 90, 90, 255, 118, 118, 118, 128, 20, 20, 20, 255, 0, 0, 0, 0}));
}

} // namespace

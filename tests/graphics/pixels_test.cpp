// The drawing arithmetic on plain memory: colours, the plot rule of every mode on 24 and 32 bits,
// boxes, and the blending of coverage masks (with the read-out's numbers).
#include <gtest/gtest.h>

#include "graphics/pixels.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

using namespace rt;
using Bytes = std::array<int, 4>;  // blue, green, red, alpha (alpha unused at 24 bits)

// A bottom-up output of its own, every pixel starting as `fill`.
class Canvas {
public:
    Canvas(int width, int height, int depth, Bytes fill) : memory_(static_cast<size_t>(row_length(width, depth)) * height) {
        rows_ = {memory_.data(), row_length(width, depth), width, height, depth};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) set(x, y, fill);
    }
    const PixelRows& rows() const { return rows_; }
    Bytes at(int x, int y) const {
        const uint8_t* p = pixel_address(rows_, x, y);
        return {p[0], p[1], p[2], rows_.depth == 32 ? p[3] : 0};
    }
    void set(int x, int y, Bytes value) {
        uint8_t* p = pixel_address(rows_, x, y);
        for (int i = 0; i < rows_.depth / 8; ++i) p[i] = static_cast<uint8_t>(value[i]);
    }
    void box(int mode, Colour colour, int x, int y, int width, int height) {
        plot_box(rows_, plot_routine(mode, rows_.depth), apply_colour(colour, premultiplies(mode)), x, y, width, height,
                 (mode & DRAW_OUTLINED) != 0);
    }

private:
    static int row_length(int width, int depth) { return (width * depth / 8 + 3) / 4 * 4; }
    std::vector<uint8_t> memory_;
    PixelRows rows_;
};

// A coverage mask of exactly width x height pixels (so that reading past it is caught).
struct Mask {
    int width, height;
    std::vector<uint8_t> bytes;
    Mask(int w, int h) : width(w), height(h), bytes(static_cast<size_t>(w) * h * 3) {}
    void set(int x, int y, int b, int g, int r) {
        uint8_t* p = &bytes[(static_cast<size_t>(y) * width + x) * 3];
        p[0] = static_cast<uint8_t>(b), p[1] = static_cast<uint8_t>(g), p[2] = static_cast<uint8_t>(r);
    }
    // Three bytes that add up to sum.
    void set_sum(int x, int y, int sum) { set(x, y, sum / 3 + (sum % 3 > 1), sum / 3 + (sum % 3 > 0), sum / 3); }
    void blend_into(Canvas& canvas, int x, int y, const MaskColours& colours) const {
        blend_coverage_mask(canvas.rows(), bytes.data(), width * 3, x, y, width, height, colours);
    }
};

constexpr Colour WHITE = 0xFFFFFFFF;
constexpr Colour OPAQUE_BLACK = 0xFF000000;

TEST(ColourTest, ComponentsLieRedLowestAndAreTakenModulo256) {
    EXPECT_EQ(rgb(0x12, 0x34, 0x56), 0x00563412u);
    EXPECT_EQ(rgba(0x12, 0x34, 0x56, 0x78), 0x78563412u);
    EXPECT_EQ(rgba(255, 255, 255, 0), 0x00FFFFFFu) << "the read-out's clearing colour";
    EXPECT_EQ(rgb(256 + 1, -1, 0), 0x0000FF01u) << "no component spills into its neighbour";
}

// One pixel plotted in each mode, from a known pixel, on both depths.
TEST(PlotRuleTest, EveryModeOnBothDepths) {
    const struct {
        const char* rule;
        int mode;
        Bytes before;
        Colour colour;
        Bytes after_32, after_24;
    } rows[] = {
        {"default replaces colour bytes, keeps alpha", DRAW_DEFAULT, {1, 2, 3, 77}, rgba(30, 20, 10, 9), {10, 20, 30, 77}, {10, 20, 30, 0}},
        {"transparent and outlined change no pixel rule", DRAW_TRANSPARENT, {1, 2, 3, 77}, rgb(30, 20, 10), {10, 20, 30, 77}, {10, 20, 30, 0}},
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
        Canvas c32(1, 1, 32, row.before);
        c32.box(row.mode, row.colour, 0, 0, 1, 1);
        EXPECT_EQ(c32.at(0, 0), row.after_32) << "32 bits: " << row.rule;
        Canvas c24(1, 1, 24, row.before);
        c24.box(row.mode, row.colour, 0, 0, 1, 1);
        EXPECT_EQ(c24.at(0, 0), row.after_24) << "24 bits: " << row.rule;
    }
}

// Which pixels of an 8 x 6 output a box covers, drawn white over black, checked everywhere.
std::vector<std::string> covered(int mode, int x, int y, int width, int height) {
    Canvas canvas(8, 6, 32, {0, 0, 0, 255});
    canvas.box(mode, mode & DRAW_XOR ? rgb(255, 255, 255) : WHITE, x, y, width, height);
    std::vector<std::string> picture;
    for (int row = 0; row < 6; ++row) {
        std::string line;
        for (int column = 0; column < 8; ++column) line += canvas.at(column, row)[0] ? '#' : '.';
        picture.push_back(line);
    }
    return picture;
}

TEST(BoxTest, NegativeSizesAreNormalisedAndBoxesClipped) {
    std::vector<std::string> two_by_three = {"........", ".##.....", ".##.....", ".##.....", "........", "........"};
    EXPECT_EQ(covered(DRAW_DEFAULT, 1, 1, 2, 3), two_by_three);
    EXPECT_EQ(covered(DRAW_DEFAULT, 3, 4, -2, -3), two_by_three) << "(3, 4) less 2 and 3";
    EXPECT_EQ(covered(DRAW_DEFAULT, -2, 4, 4, 9),
              (std::vector<std::string>{"........", "........", "........", "........", "##......", "##......"}));
    EXPECT_EQ(covered(DRAW_DEFAULT, 6, -1, 5, 2),
              (std::vector<std::string>{"......##", "........", "........", "........", "........", "........"}));
    std::vector<std::string> nothing(6, "........");
    EXPECT_EQ(covered(DRAW_DEFAULT, 8, 0, 3, 3), nothing) << "right of the output";
    EXPECT_EQ(covered(DRAW_DEFAULT, -3, 0, 3, 3), nothing) << "ends just left of the output";
    EXPECT_EQ(covered(DRAW_DEFAULT, 0, 0, 0, 3), nothing) << "no width";
    EXPECT_EQ(covered(DRAW_DEFAULT, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX), nothing) << "no overflow";
    EXPECT_EQ(covered(DRAW_DEFAULT, INT32_MIN, 0, INT32_MIN, 2), nothing);
}

TEST(BoxTest, OutlinesPlotEachEdgePixelOnce) {
    EXPECT_EQ(covered(DRAW_OUTLINED, 1, 1, 4, 4),
              (std::vector<std::string>{"........", ".####...", ".#..#...", ".#..#...", ".####...", "........"}));
    EXPECT_EQ(covered(DRAW_OUTLINED | DRAW_XOR, 1, 1, 4, 1),
              (std::vector<std::string>{"........", ".####...", "........", "........", "........", "........"}))
        << "a one-row outline under XOR stays visible";
    EXPECT_EQ(covered(DRAW_OUTLINED | DRAW_XOR, 2, 0, 1, 3),
              (std::vector<std::string>{"..#.....", "..#.....", "..#.....", "........", "........", "........"}));
    EXPECT_EQ(covered(DRAW_OUTLINED, 3, 3, 0, 2), std::vector<std::string>(6, "........")) << "no width, no edges";
    EXPECT_EQ(covered(DRAW_OUTLINED, -1, -1, 4, 9),
              (std::vector<std::string>{"..#.....", "..#.....", "..#.....", "..#.....", "..#.....", "..#....."}))
        << "clipped edges: only the right column is on the output";
}

TEST(BoxTest, BoxesPlotIntoBottomUpRows) {
    Canvas canvas(3, 2, 24, {0, 0, 0, 0});
    canvas.box(DRAW_DEFAULT, rgb(1, 2, 3), 0, 0, 3, 1);
    EXPECT_EQ(canvas.rows().bits[canvas.rows().row_length], 3) << "the top row is the last row in memory";
    EXPECT_EQ(canvas.rows().bits[0], 0);
}

// The read-out: clear the alpha of the 150 x 15 image, then blend white text with mode 17.
TEST(ReadOutArithmeticTest, TheBoxClearsAlphaAndTheTextTakesItsCoverageAsAlpha) {
    Canvas image(150, 15, 32, {0, 0, 0, 255});
    image.set(7, 3, {255, 255, 255, 255});  // text of an earlier drawing
    image.box(DRAW_ALPHA_CHANNEL, rgba(255, 255, 255, 0), 0, 0, 150, 15);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 150; ++x) {
            Bytes expected = x == 7 && y == 3 ? Bytes{255, 255, 255, 0} : Bytes{0, 0, 0, 0};
            ASSERT_EQ(image.at(x, y), expected) << "alpha 0, colour bytes unchanged at " << x << "," << y;
        }
    Mask mask(4, 1);
    mask.set(0, 0, 255, 255, 255);
    mask.set(1, 0, 128, 128, 128);
    mask.set(2, 0, 127, 128, 128);  // sum 383
    mask.blend_into(image, 10, 5, {DRAW_ALPHA_BLEND | DRAW_TRANSPARENT, false, WHITE, OPAQUE_BLACK});
    EXPECT_EQ(image.at(10, 5), (Bytes{255, 255, 255, 255})) << "full coverage: white, opaque";
    EXPECT_EQ(image.at(11, 5), (Bytes{255, 255, 255, 128})) << "mask 128: white, alpha 128";
    EXPECT_EQ(image.at(12, 5), (Bytes{255, 255, 255, 127})) << "mask sum 383: alpha 127";
    EXPECT_EQ(image.at(13, 5), (Bytes{0, 0, 0, 0})) << "black mask: pixel as it was";
    EXPECT_EQ(image.at(7, 3), (Bytes{255, 255, 255, 0})) << "old text stays hidden";
}

TEST(ReadOutArithmeticTest, CoverageGivesTheExactFractionOfAlpha) {
    for (int sum = 0; sum <= 765; ++sum) {
        Canvas image(1, 1, 32, {0, 0, 0, 0});
        Mask mask(1, 1);
        mask.set_sum(0, 0, sum);
        mask.blend_into(image, 0, 0, {DRAW_ALPHA_BLEND | DRAW_TRANSPARENT, false, WHITE, OPAQUE_BLACK});
        ASSERT_EQ(image.at(0, 0)[3], sum / 3) << "alpha = 255 x sum / 765 for sum " << sum;
    }
}

// One mask pixel blended by each rule.
TEST(MaskBlendTest, EveryRuleOnBothDepths) {
    const struct {
        const char* rule;
        MaskColours colours;
        int sum;  // of the mask pixel's three bytes
        Bytes before, after_32, after_24;
    } rows[] = {
        {"xor above half coverage uses the front colour", {DRAW_XOR, false, rgb(0xFF, 0, 0x0F), 0}, 600, {0, 0, 0, 9}, {0x0F, 0, 0xFF, 9}, {0x0F, 0, 0xFF, 0}},
        {"xor at half coverage, transparent: nothing", {DRAW_XOR | DRAW_TRANSPARENT, false, WHITE, rgb(1, 2, 3)}, 382, {0, 0, 0, 9}, {0, 0, 0, 9}, {0, 0, 0, 0}},
        {"xor at half coverage, opaque: the back colour", {DRAW_XOR, true, WHITE, rgb(1, 2, 3)}, 382, {0, 0, 0, 9}, {3, 2, 1, 9}, {3, 2, 1, 0}},
        {"alpha channel over the pixel's alpha", {DRAW_ALPHA_CHANNEL | DRAW_TRANSPARENT, false, rgba(0, 0, 0, 200), 0}, 153, {5, 6, 7, 100}, {5, 6, 7, 120}, {5, 6, 7, 0}},
        {"alpha channel over the back colour's alpha", {DRAW_ALPHA_CHANNEL, true, rgba(0, 0, 0, 200), rgba(0, 0, 0, 100)}, 153, {5, 6, 7, 0}, {5, 6, 7, 120}, {5, 6, 7, 0}},
        {"alpha channel of an alpha over itself stays exact", {DRAW_ALPHA_CHANNEL | DRAW_TRANSPARENT, false, rgba(0, 0, 0, 13), 0}, 193, {0, 0, 0, 13}, {0, 0, 0, 13}, {0, 0, 0, 0}},
        {"alpha clip keeps the pixel's alpha", {DRAW_ALPHA_CLIP | DRAW_TRANSPARENT, false, WHITE, 0}, 765, {0, 0, 0, 40}, {255, 255, 255, 40}, {255, 255, 255, 0}},
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
            Mask mask(1, 1);
            mask.set_sum(0, 0, row.sum);
            mask.blend_into(canvas, 0, 0, row.colours);
            EXPECT_EQ(canvas.at(0, 0), depth == 32 ? row.after_32 : row.after_24) << depth << " bits: " << row.rule;
        }
    }
}

TEST(MaskBlendTest, OnlyThePartOnTheOutputIsBlendedAndTheMaskIsNotReadPastItsSize) {
    const struct {
        int x, y;
        std::vector<std::string> picture;
    } rows[] = {
        {0, 0, {"###.", "###.", "...."}},
        {-2, -1, {"#...", "....", "...."}},
        {2, 1, {"....", "..##", "..##"}},
        {4, 0, {"....", "....", "...."}},
        {-3, 0, {"....", "....", "...."}},
        {0, 3, {"....", "....", "...."}},
        {0, -1, {"###.", "....", "...."}},
        {0, -2, {"....", "....", "...."}},
    };
    for (const auto& row : rows) {
        Canvas canvas(4, 3, 24, {0, 0, 0, 0});
        Mask mask(3, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) mask.set(x, y, 255, 255, 255);
        mask.blend_into(canvas, row.x, row.y, {DRAW_TRANSPARENT, false, WHITE, 0});
        std::vector<std::string> picture;
        for (int y = 0; y < 3; ++y) {
            std::string line;
            for (int x = 0; x < 4; ++x) line += canvas.at(x, y)[0] ? '#' : '.';
            picture.push_back(line);
        }
        EXPECT_EQ(picture, row.picture) << "mask at " << row.x << "," << row.y;
    }
}

// Whole-pixel services of the alpha support, on blue, green, red, alpha quadruples.
TEST(AlphaPixelsTest, GreyCopiesPullLuminanceTowardsTheMiddleAndWeightItByAlpha) {
    const struct {
        Bytes before;
        int grey;
    } rows[] = {
        {{150, 100, 50, 255}, 90},            // L = (3 x 50 + 6 x 100 + 150) / 10, within 64 to 192
        {{255, 255, 255, 128}, 236 * 128 / 255},  // 192 + (255 - 192) x 7 / 10
        {{0, 0, 0, 255}, 20},                 // 64 + (0 - 64) x 7 / 10 truncates toward zero: 64 - 44
        {{0, 0, 0, 0}, 0},
    };
    for (const auto& row : rows) {
        uint8_t pixel[4] = {uint8_t(row.before[0]), uint8_t(row.before[1]), uint8_t(row.before[2]), uint8_t(row.before[3])};
        premultiply_grey_pixels(pixel, 1);
        EXPECT_EQ((Bytes{pixel[0], pixel[1], pixel[2], pixel[3]}), (Bytes{row.grey, row.grey, row.grey, row.before[3]}));
    }
}

TEST(AlphaPixelsTest, PixelsWithoutAnyAlphaBecomeOpaqueAndOneAlphaKeepsThemAll) {
    uint8_t none[8] = {1, 2, 3, 0, 4, 5, 6, 0}, one[8] = {1, 2, 3, 0, 4, 5, 6, 7};
    EXPECT_FALSE(any_alpha(none, 2));
    make_opaque_without_alpha(none, 2);
    EXPECT_EQ(none[3], 255);
    EXPECT_EQ(none[7], 255);
    EXPECT_TRUE(any_alpha(one, 2));
    make_opaque_without_alpha(one, 2);
    EXPECT_EQ(one[3], 0);
    EXPECT_EQ(one[7], 7);
}

TEST(AlphaPixelsTest, MasksAreBlackWherePixelsHaveAlpha) {
    std::vector<uint8_t> pixels(10 * 2 * 4);  // 10 x 2, top-down
    pixels[3] = 1;                 // (0, 0)
    pixels[(10 + 9) * 4 + 3] = 255;  // (9, 1)
    uint8_t mask[2 * 4];
    EXPECT_TRUE(alpha_mask_rows(pixels.data(), 10, 2, mask, 4));
    const uint8_t expected[] = {0x7F, 0xC0, 0, 0, 0xFF, 0x80, 0, 0};  // bits past the width stay 0
    EXPECT_TRUE(std::equal(mask, mask + 8, expected));
    std::vector<uint8_t> clear(4 * 4);
    EXPECT_FALSE(alpha_mask_rows(clear.data(), 2, 2, mask, 4)) << "no black pixel";
}

} // namespace

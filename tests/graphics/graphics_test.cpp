// Images and drawing on real bitmap sections: the read-out against GDI's own text, caught pictures, the alpha services.
#include <gtest/gtest.h>

#include "graphics/alpha.h"
#include "graphics/drawing.h"
#include "graphics/fonts.h"
#include "graphics/images.h"
#include "picture_fixtures.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace rt;
using fixtures::Bytes;
using fixtures::Pixel;

// The pixel memory of a section by picture position (0 = the top row).
uint8_t* pixel_at(HANDLE bitmap, int x, int y) {
    DIBSECTION s{};
    GetObjectA(bitmap, sizeof s, &s);
    return static_cast<uint8_t*>(s.dsBm.bmBits) + static_cast<size_t>(s.dsBm.bmHeight - 1 - y) * s.dsBm.bmWidthBytes + x * s.dsBm.bmBitsPixel / 8;
}
// A pixel of a 24- or 32-bit section (alpha 255 at 24 bits).
Pixel pixel(HANDLE bitmap, int x, int y) {
    BITMAP b{};
    GetObjectA(bitmap, sizeof b, &b);
    const uint8_t* p = pixel_at(bitmap, x, y);
    return {p[0], p[1], p[2], b.bmBitsPixel == 32 ? p[3] : uint8_t{255}};
}

// Coverage sums (of 3 bytes) of text GDI renders white on black in 150 x 15, top row first; its width goes to `width`.
std::vector<int> reference_text(HGDIOBJ font, const std::string& text, int* width) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ buffer = new_dib(150, 15, 24), old_bitmap = SelectObject(dc, buffer), old_font = SelectObject(dc, font);
    SetBkColor(dc, 0);
    SetTextColor(dc, 0xFFFFFF);
    TextOutA(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    *width = extent.cx;
    GdiFlush();
    std::vector<int> sums;
    for (int i = 0; i < 150 * 15; ++i) {
        const uint8_t* p = pixel_at(buffer, i % 150, i / 150);
        sums.push_back(p[0] + p[1] + p[2]);
    }
    SelectObject(dc, old_font);
    DeleteObject(SelectObject(dc, old_bitmap));
    DeleteDC(dc);
    return sums;
}

class GraphicsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(create_image(22, 150, 15, 32) && load_font(23, "Arial", 9)); }
    void TearDown() override { stop_drawing(); free_all_images(); free_all_fonts(); }
};

// The read-out: white with the text's coverage as alpha where text covers; elsewhere the colour bytes kept, alpha 0.
TEST_F(GraphicsTest, TheReadOutIsWhiteTextWithItsCoverageAsAlpha) {
    for (int i = 0; i < 150 * 15; ++i) *reinterpret_cast<uint32_t*>(pixel_at(image_handle(22), i % 150, i / 150)) = 0xFF4D0000u | (i / 150) << 8 | i % 150;
    const std::string text = "\xC2\xF0\xE5\xEC\xFF \xEE\xE1\xF0\xE0\xE1\xEE\xF2\xEA\xE8:   01:15";  // Windows-1251
    start_drawing(image_output(22));
    set_drawing_mode(DRAW_ALPHA_CHANNEL);
    draw_box(0, 0, 150, 15, rgba(255, 255, 255, 0));
    set_drawing_mode(DRAW_ALPHA_BLEND | DRAW_TRANSPARENT);
    set_drawing_font(font_handle(23));
    int end = draw_text(0, 0, text.c_str()), width = 0;
    stop_drawing();
    const std::vector<int> sums = reference_text(font_handle(23), text, &width);
    EXPECT_EQ(end, width) << "draw_text gives x plus the text's width";
    EXPECT_EQ(end, 143) << "9 points are 12 pixels at 96 dpi: the text fits the 150-pixel image";
    for (int i = 0; i < 150 * 15; ++i) {
        int x = i % 150, y = i / 150;
        Pixel expected = sums[i] ? Pixel{255, 255, 255, static_cast<uint8_t>(255 * sums[i] / 765)} : Pixel{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 77, 0};
        ASSERT_EQ(pixel(image_handle(22), x, y), expected) << "coverage sum " << sums[i] << " at " << x << "," << y;
    }
    EXPECT_GT(std::count(sums.begin(), sums.end(), 765), 50) << "glyphs were drawn";
}

// A point one past a row's end is outside the output, not the next row's first pixel.
TEST_F(GraphicsTest, APointPastARowsEndReadsAsOutside) {
    start_drawing(image_output(22));
    draw_box(0, 0, 150, 15, rgb(1, 2, 3));
    EXPECT_EQ(read_point(150, 7), 0u);
    EXPECT_EQ(read_point(0, 15), 0u) << "nor is a point below the last row";
}

// An italic letter reaches past its advance: the width measured and drawn includes the overhang.
TEST_F(GraphicsTest, ItalicTextCountsItsOverhangInItsWidth) {
    ASSERT_NE(load_font(25, "Arial", 30, FONT_ITALIC), 0);
    start_drawing(image_output(22));
    set_drawing_font(font_handle(25));
    int width = text_width("H"), advance = 0;
    reference_text(font_handle(25), "H", &advance);
    EXPECT_GT(width, advance);
    EXPECT_GT(text_height("H"), 30) << "30 points are 40 pixels";
    EXPECT_EQ(draw_text(3, 0, "H"), 3 + width);
}

// Below 24 bits an image is drawn on a 24-bit copy, copied back when drawing stops, also through the next image_output.
TEST_F(GraphicsTest, AnEightBitImageGetsItsDrawingWhenTheNextOutputIsPrepared) {
    ASSERT_NE(create_image(40, 8, 4, 8), 0);
    start_drawing(image_output(40));
    draw_box(0, 0, 4, 4, rgb(255, 255, 255));
    EXPECT_EQ(read_point(1, 1), rgb(255, 255, 255)) << "the copy has 24 bits";
    EXPECT_EQ(*pixel_at(image_handle(40), 1, 1), 0) << "the image itself changes only at the end";
    ASSERT_NE(image_output(22), nullptr);
    // The colour table is a grey ramp (index = grey level); Wine's 5-bit nearest-entry lookup lands up to 4 off.
    for (int x = 0; x < 8; ++x) EXPECT_NEAR(*pixel_at(image_handle(40), x, 2), x < 4 ? 255 : 0, 4) << "grey level at " << x << ",2";
}

// A caught BMP is a bottom-up image of at least 24 bits with its pixels (opaque at 32 without alpha); an icon: its first size.
TEST_F(GraphicsTest, BmpAndIconDataBecomeImages) {
    for (const fixtures::BmpPicture& bmp : {fixtures::BmpPicture{11, 5, 24, 0}, {11, -5, 32, 0}, {11, 5, 32, 200}}) {
        Bytes data = fixtures::encode_bmp(bmp);
        ASSERT_NE(catch_image(6, data.data(), static_cast<int>(data.size())), 0);
        ASSERT_EQ(find_image(6)->depth, bmp.bits);
        for (int i = 0; i < 11 * 5; ++i)
            ASSERT_EQ(pixel(image_handle(6), i % 11, i / 11), fixtures::expected_bmp_pixel(bmp, i % 11, i / 11)) << bmp.bits << " bits, height " << bmp.height << ", pixel " << i;
    }
    Bytes icon = fixtures::encode_icon({{16, 16, 8}, {16, 16, 32}, {48, 48, 32}});
    ASSERT_NE(catch_image(2, icon.data(), static_cast<int>(icon.size())), 0);
    EXPECT_EQ(GetObjectType(image_handle(2)), 0u) << "an icon is no GDI object";
    EXPECT_EQ(find_image(2)->width + find_image(2)->height, 16 + 16);
}

// A size or data no image can be made of gives 0, and the number is free: its old image was deleted.
TEST_F(GraphicsTest, AnImageThatCannotBeMadeGivesZeroAndDeletesTheNumbersOldImage) {
    static const Bytes bmp = fixtures::encode_bmp({4, 4, 24, 0}), icon = fixtures::encode_icon({{16, 16, 32}});
    const std::pair<const char*, intptr_t (*)()> rows[] = {
        {"width 0", [] { return create_image(4, 0, 5, 32); }},
        {"a BMP without its last row", [] { return catch_image(4, bmp.data(), static_cast<int>(bmp.size()) - 16); }},
        {"an icon without its image", [] { return catch_image(4, icon.data(), 22 + 40); }},
        {"no data", [] { return catch_image(4, nullptr, 100); }},
    };
    for (auto [what, make] : rows) {
        ASSERT_NE(create_image(4, 2, 2, 24), 0);
        HANDLE old = image_handle(4);
        EXPECT_EQ(make(), 0) << what;
        EXPECT_EQ(image_handle(4), nullptr) << what;
        EXPECT_EQ(GetObjectType(old), 0u) << what;
    }
    EXPECT_NE(create_image(4, 32767, 1, 24), 0) << "the largest width";
}

// A 32-bit section of four pixels in a row: two of `left`, two of `right` (0xAARRGGBB).
HBITMAP halves(uint32_t left, uint32_t right) {
    HBITMAP bitmap = new_dib(4, 1, 32);
    for (int x = 0; x < 4; ++x) *reinterpret_cast<uint32_t*>(pixel_at(bitmap, x, 0)) = x < 2 ? left : right;
    return bitmap;
}

TEST(AlphaSupportTest, ADeviceBitmapHasAlphaWhenAPixelHasSome) {
    const uint32_t with_alpha = 0x01000000, without = 0x00FFFFFF;
    HBITMAP some = CreateBitmap(1, 1, 1, 32, &with_alpha), none = CreateBitmap(1, 1, 1, 32, &without);
    EXPECT_TRUE(has_alpha(some));
    EXPECT_FALSE(has_alpha(none));
    for (HBITMAP bitmap : {some, none}) DeleteObject(bitmap);
}

// White only where a 32-bit picture with some alpha has none (no manifest: themed controls are off).
TEST(AlphaSupportTest, TransparencyMasksAreBlackWherePixelsHaveAlpha) {
    const std::pair<HBITMAP, std::string> rows[] = {{halves(0xFF000000, 0x00FFFFFF), "..##"}, {halves(0, 0), "...."}, {new_dib(4, 1, 24), "...."}};
    HDC dc = CreateCompatibleDC(nullptr);
    for (const auto& [bitmap, expected] : rows) {
        HGDIOBJ old = SelectObject(dc, transparency_mask(bitmap));
        std::string mask;
        for (int x = 0; x < 4; ++x) mask += GetPixel(dc, x, 0) == RGB(255, 255, 255) ? '#' : '.';
        EXPECT_EQ(mask, expected);
        DeleteObject(SelectObject(dc, old));
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
}

} // namespace

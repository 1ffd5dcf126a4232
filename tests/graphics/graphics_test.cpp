// Images and drawing on real bitmap sections: the converter's read-out against text rendered
// independently by GDI, pictures caught from memory, numbers freed, and the alpha services.
#include <gtest/gtest.h>

#include "graphics/alpha.h"
#include "graphics/drawing.h"
#include "graphics/fonts.h"
#include "graphics/images.h"
#include "picture_fixtures.h"

#include <string>
#include <vector>

namespace {

using namespace rt;
using fixtures::Bytes;
using fixtures::Pixel;
using fixtures::SectionView;

// Coverage (sum of the three bytes) of text that GDI renders white on black into a 150 x 15
// buffer, row by row: what the drawing library must blend; and the text's extent.
struct ReferenceText {
    std::vector<int> sums;
    SIZE extent{};

    ReferenceText(HGDIOBJ font, const std::string& text) {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP buffer = new_dib(150, 15, 24);
        HGDIOBJ old_bitmap = SelectObject(dc, buffer), old_font = SelectObject(dc, font);
        SetBkColor(dc, 0);
        SetTextColor(dc, 0xFFFFFF);
        TextOutA(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        GdiFlush();
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 150; ++x) {
                Pixel p = SectionView(buffer).pixel(x, y);
                sums.push_back(p[0] + p[1] + p[2]);
            }
        SelectObject(dc, old_font);
        SelectObject(dc, old_bitmap);
        DeleteObject(buffer);
        DeleteDC(dc);
    }
};

// The converter's read-out: clear the alpha, then blend the text in white. Where the text ends.
int draw_read_out(const std::string& text) {
    start_drawing(image_output(22));
    set_drawing_mode(DRAW_ALPHA_CHANNEL);
    draw_box(0, 0, 150, 15, rgba(255, 255, 255, 0));
    set_drawing_mode(DRAW_ALPHA_BLEND | DRAW_TRANSPARENT);
    set_drawing_font(font_handle(23));
    int end = draw_text(0, 0, text.c_str());
    stop_drawing();
    return end;
}

class GraphicsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(create_image(22, 150, 15, 32), 0);
        ASSERT_NE(load_font(23, "Arial", 9), 0);
    }
    void TearDown() override {
        stop_drawing();
        free_all_images();
        free_all_fonts();
    }
};

// Where the new text covers a pixel it is white with its coverage as alpha; every other pixel keeps
// its colour bytes and becomes transparent, so that the earlier text is hidden.
TEST_F(GraphicsTest, TheReadOutIsWhiteTextWithItsCoverageAsAlphaAndHidesTheEarlierText) {
    SectionView image(image_handle(22));
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 150; ++x) *reinterpret_cast<uint32_t*>(image.at(x, y)) = 0xFF4D0000u | y << 8 | x;
    const std::string label = "\xC2\xF0\xE5\xEC\xFF \xEE\xE1\xF0\xE0\xE1\xEE\xF2\xEA\xE8:   ";  // Windows-1251
    draw_read_out(label + "00:00");
    int end = draw_read_out(label + "01:15");
    ReferenceText earlier(font_handle(23), label + "00:00"), now(font_handle(23), label + "01:15");
    EXPECT_EQ(end, now.extent.cx) << "draw_text gives x plus the text's width";
    EXPECT_EQ(end, 143) << "9 points are 12 pixels at 96 dpi: the text fits the 150-pixel image";
    int covered = 0, hidden = 0;
    for (size_t i = 0; i < now.sums.size(); ++i) {
        int x = static_cast<int>(i % 150), y = static_cast<int>(i / 150), sum = now.sums[i], old = earlier.sums[i];
        Pixel expected = sum ? Pixel{255, 255, 255, static_cast<uint8_t>(255 * sum / 765)}
                         : old ? Pixel{255, 255, 255, 0} : Pixel{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 77, 0};
        ASSERT_EQ(image.pixel(x, y), expected) << "coverage sum " << sum << ", earlier " << old << " at " << x << "," << y;
        covered += sum == 765;
        hidden += !sum && old;
    }
    EXPECT_GT(covered, 50) << "glyphs were drawn";
    EXPECT_GT(hidden, 0) << "some pixels of 00:00 are not part of 01:15";
}

// A point one past a row's end is outside the output, not the next row's first pixel.
TEST_F(GraphicsTest, APointPastARowsEndReadsAsOutside) {
    start_drawing(image_output(22));
    draw_box(0, 0, 150, 15, rgb(1, 2, 3));
    EXPECT_EQ(read_point(150, 7), 0u);
}

// An italic letter reaches past its advance: the width measured and drawn includes the overhang.
TEST_F(GraphicsTest, ItalicTextCountsItsOverhangInItsWidth) {
    ASSERT_NE(load_font(25, "Arial", 30, FONT_ITALIC), 0);
    start_drawing(image_output(22));
    set_drawing_font(font_handle(25));
    int width = text_width("H");
    EXPECT_GT(width, ReferenceText(font_handle(25), "H").extent.cx);
    EXPECT_EQ(draw_text(3, 0, "H"), 3 + width);
}

TEST_F(GraphicsTest, WithoutADrawingInProgressDrawingCallsDoNothing) {
    Bytes icon = fixtures::encode_icon({{16, 16, 32}});
    ASSERT_NE(catch_image(35, icon.data(), static_cast<int>(icon.size())), 0);
    EXPECT_EQ(image_output(35), nullptr) << "an icon has no pixels to draw on";
    EXPECT_EQ(start_drawing(nullptr), nullptr);
    DrawingContext* prepared = image_output(22);
    draw_box(0, 0, 150, 15, rgb(255, 255, 255));
    EXPECT_EQ(draw_text(4, 0, "Hg"), 4);
    EXPECT_EQ(text_width("Hg"), 0);
    EXPECT_EQ(SectionView(image_handle(22)).pixel(7, 7), (Pixel{0, 0, 0, 255})) << "prepared but not started";
    EXPECT_NE(start_drawing(prepared), nullptr);
}

// An image of fewer than 24 bits is drawn on a 24-bit copy, copied back when the drawing stops:
// also when preparing the next output stops it.
TEST_F(GraphicsTest, AnEightBitImageGetsItsDrawingWhenTheNextOutputIsPrepared) {
    ASSERT_NE(create_image(40, 8, 4, 8), 0);
    SectionView image(image_handle(40));
    start_drawing(image_output(40));
    draw_box(0, 0, 4, 4, rgb(255, 255, 255));
    EXPECT_EQ(read_point(1, 1), rgb(255, 255, 255)) << "the copy has 24 bits";
    EXPECT_EQ(image.at(1, 1)[0], 0) << "the image itself changes only at the end";
    ASSERT_NE(image_output(22), nullptr);
    // The colour table is a grey ramp, so an index is a grey level; Wine finds the nearest entry
    // through a 5-bit colour lookup, which lands up to 4 levels off.
    for (int x = 0; x < 8; ++x) EXPECT_NEAR(image.at(x, 2)[0], x < 4 ? 255 : 0, 4) << "grey level at " << x << ",2";
}

// A caught BMP is an image of at least 24 bits, bottom-up, with the picture's pixels; 32 bits
// without any alpha are opaque. An icon takes its first size.
TEST_F(GraphicsTest, BmpAndIconDataBecomeImages) {
    for (const fixtures::BmpPicture& bmp : {fixtures::BmpPicture{11, 5, 24, 0}, {11, -5, 32, 0}, {11, 5, 32, 200}}) {
        Bytes data = fixtures::encode_bmp(bmp);
        ASSERT_NE(catch_image(6, data.data(), static_cast<int>(data.size())), 0);
        SectionView image(image_handle(6));
        ASSERT_EQ(image.section.dsBm.bmBitsPixel, bmp.bits);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 11; ++x)
                ASSERT_EQ(image.pixel(x, y), fixtures::expected_bmp_pixel(bmp, x, y)) << bmp.bits << " bits, height " << bmp.height << " at " << x << "," << y;
    }
    Bytes icon = fixtures::encode_icon({{16, 16, 8}, {16, 16, 32}, {48, 48, 32}});
    ASSERT_NE(catch_image(2, icon.data(), static_cast<int>(icon.size())), 0);
    EXPECT_EQ(GetObjectType(image_handle(2)), 0u) << "an icon is no GDI object";
    EXPECT_EQ(find_image(2)->width + find_image(2)->height, 16 + 16);
}

// A size, depth or data no image can be made of gives 0, and the number is free: its old image
// was deleted.
TEST_F(GraphicsTest, AnImageThatCannotBeMadeGivesZeroAndDeletesTheNumbersOldImage) {
    static const Bytes bmp = fixtures::encode_bmp({4, 4, 24, 0}), icon = fixtures::encode_icon({{16, 16, 32}});
    const struct {
        const char* what;
        intptr_t (*make)();
    } rows[] = {
        {"width 0", [] { return create_image(4, 0, 5, 32); }},
        {"height -5", [] { return create_image(4, 5, -5, 32); }},
        {"height 32768", [] { return create_image(4, 1, 32768, 24); }},
        {"depth 7", [] { return create_image(4, 5, 5, 7); }},
        {"a BMP without its last row", [] { return catch_image(4, bmp.data(), static_cast<int>(bmp.size()) - 16); }},
        {"an icon without its image", [] { return catch_image(4, icon.data(), 22 + 40); }},
        {"no data", [] { return catch_image(4, nullptr, 100); }},
        {"a negative size", [] { return catch_image(4, bmp.data(), -1); }},
    };
    for (const auto& row : rows) {
        ASSERT_NE(create_image(4, 2, 2, 24), 0);
        HANDLE old = image_handle(4);
        EXPECT_EQ(row.make(), 0) << row.what;
        EXPECT_EQ(image_handle(4), nullptr) << row.what;
        EXPECT_EQ(GetObjectType(old), 0u) << row.what;
    }
    EXPECT_NE(create_image(4, 32767, 1, 24), 0) << "the largest width";
}

// A 32-bit section of four pixels in a row: two of `left`, two of `right` (0xAARRGGBB).
HBITMAP halves(uint32_t left, uint32_t right) {
    HBITMAP bitmap = new_dib(4, 1, 32);
    for (int x = 0; x < 4; ++x) *reinterpret_cast<uint32_t*>(SectionView(bitmap).at(x, 0)) = x < 2 ? left : right;
    return bitmap;
}

TEST(AlphaSupportTest, ThirtyTwoBitSectionsHaveAlphaOtherBitmapsWhenTheirPixelsDo) {
    const uint32_t with_alpha = 0x01000000, without = 0x00FFFFFF;
    EXPECT_TRUE(has_alpha(halves(0, 0)));
    EXPECT_FALSE(has_alpha(new_dib(1, 1, 24)));
    EXPECT_TRUE(has_alpha(CreateBitmap(1, 1, 1, 32, &with_alpha))) << "a device bitmap with an alpha byte";
    EXPECT_FALSE(has_alpha(CreateBitmap(1, 1, 1, 32, &without)));
    EXPECT_FALSE(has_alpha(reinterpret_cast<HBITMAP>(GetStockObject(BLACK_BRUSH))));
}  // the bitmaps end with the test program

// White only where a 32-bit picture with some alpha has none (themed controls are off: the test
// program has no manifest for common controls 6).
TEST(AlphaSupportTest, TransparencyMasksAreBlackWherePixelsHaveAlpha) {
    const struct {
        HBITMAP bitmap;
        const char* mask;
    } rows[] = {{halves(0xFF000000, 0x00FFFFFF), "..##"}, {halves(0, 0), "...."}, {new_dib(4, 1, 24), "...."}};
    HDC dc = CreateCompatibleDC(nullptr);
    for (const auto& row : rows) {
        HGDIOBJ old = SelectObject(dc, transparency_mask(row.bitmap));
        std::string mask;
        for (int x = 0; x < 4; ++x) mask += GetPixel(dc, x, 0) == RGB(255, 255, 255) ? '#' : '.';
        EXPECT_EQ(mask, row.mask);
        DeleteObject(SelectObject(dc, old));
        DeleteObject(row.bitmap);
    }
    DeleteDC(dc);
}

} // namespace

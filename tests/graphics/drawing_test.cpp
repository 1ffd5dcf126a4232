// Drawing onto real images: the converter's read-out sequence with its exact alpha results, boxes
// and text in the other modes, against text rendered independently by GDI.
#include <gtest/gtest.h>

#include "core/dates.h"
#include "core/strings.h"
#include "graphics/drawing.h"
#include "graphics/fonts.h"
#include "graphics/images.h"
#include "picture_fixtures.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace rt;
using fixtures::Pixel;

const char* const READ_OUT_LABEL = "\xC2\xF0\xE5\xEC\xFF \xEE\xE1\xF0\xE0\xE1\xEE\xF2\xEA\xE8:   ";  // Windows-1251

struct SectionView {
    DIBSECTION section{};
    explicit SectionView(HANDLE bitmap) { GetObjectA(bitmap, sizeof section, &section); }
    int depth() const { return section.dsBm.bmBitsPixel; }
    uint8_t* at(int x, int y) const {
        return static_cast<uint8_t*>(section.dsBm.bmBits) +
               static_cast<size_t>(section.dsBm.bmHeight - 1 - y) * section.dsBm.bmWidthBytes + x * depth() / 8;
    }
    Pixel pixel(int x, int y) const {
        const uint8_t* p = at(x, y);
        return {p[0], p[1], p[2], depth() == 32 ? p[3] : uint8_t{0}};
    }
    std::vector<uint8_t> bytes() const {
        auto* bits = static_cast<uint8_t*>(section.dsBm.bmBits);
        return {bits, bits + static_cast<size_t>(section.dsBm.bmWidthBytes) * section.dsBm.bmHeight};
    }
};

// Coverage (sum of the three bytes) of text that GDI renders white on black at (x, 0) into a
// 24-bit buffer of width x height: what the drawing library's mask must hold.
class ReferenceText {
public:
    ReferenceText(HFONT font, const std::string& text, int x, int width, int height) : width_(width), sums_(static_cast<size_t>(width) * height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP buffer = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old_bitmap = SelectObject(dc, buffer), old_font = SelectObject(dc, font);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, 0);
        SetTextColor(dc, 0xFFFFFF);
        TextOutA(dc, x, 0, text.c_str(), static_cast<int>(text.size()));
        SIZE size{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        extent_ = size;
        GdiFlush();
        int row_length = (width * 3 + 3) / 4 * 4;
        for (int y = 0; y < height; ++y)
            for (int column = 0; column < width; ++column) {
                const uint8_t* p = static_cast<uint8_t*>(bits) + y * row_length + column * 3;
                sums_[static_cast<size_t>(y) * width + column] = p[0] + p[1] + p[2];
            }
        SelectObject(dc, old_font);
        SelectObject(dc, old_bitmap);
        DeleteObject(buffer);
        DeleteDC(dc);
    }
    int sum(int x, int y) const { return sums_[static_cast<size_t>(y) * width_ + x]; }
    SIZE extent() const { return extent_; }

private:
    int width_;
    std::vector<int> sums_;
    SIZE extent_{};
};

// The converter's read-out: clear the alpha, then blend the label and the time in white.
int draw_read_out(int32_t seconds) {
    start_drawing(image_output(22));
    set_drawing_mode(DRAW_ALPHA_CHANNEL);
    draw_box(0, 0, 150, 15, rgba(255, 255, 255, 0));
    set_drawing_mode(DRAW_ALPHA_BLEND | DRAW_TRANSPARENT);
    set_drawing_font(font_handle(23));
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    append_to_buffer(READ_OUT_LABEL);
    format_date("%ii:%ss", seconds, buffer.position);
    int end = draw_text(0, 0, buffer.base + saved);
    set_buffer_position(saved);
    stop_drawing();
    return end;
}

std::string read_out_text(int32_t seconds) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    format_date("%ii:%ss", seconds, saved);
    std::string text = std::string(READ_OUT_LABEL) + (buffer.base + saved);
    set_buffer_position(saved);
    return text;
}

// Every pixel a recognisable colour: blue x, green y, red 77 (alpha 255 on 32 bits).
void fill_pattern(const SectionView& view, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = view.at(x, y);
            p[0] = static_cast<uint8_t>(x), p[1] = static_cast<uint8_t>(y), p[2] = 77;
            if (view.depth() == 32) p[3] = 255;
        }
}

class DrawingTest : public testing::Test {
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

TEST_F(DrawingTest, TheReadOutTextIsWhiteWithItsCoverageAsAlpha) {
    SectionView image(image_handle(22));
    fill_pattern(image, 150, 15);
    int end = draw_read_out(0);
    ReferenceText reference(font_handle(23), read_out_text(0), 0, 150, 15);
    EXPECT_EQ(end, reference.extent().cx) << "draw_text gives x plus the text's width";
    EXPECT_EQ(end, 143) << "Liberation Sans stands in for Arial: the text fits the 150-pixel image";
    int covered = 0, partly = 0;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 150; ++x) {
            int sum = reference.sum(x, y);
            Pixel expected = sum ? Pixel{255, 255, 255, static_cast<uint8_t>(255 * sum / 765)}
                                 : Pixel{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 77, 0};
            ASSERT_EQ(image.pixel(x, y), expected) << "coverage sum " << sum << " at " << x << "," << y;
            covered += sum == 765;
            partly += sum > 0 && sum < 765;
        }
    EXPECT_GT(covered, 50) << "glyphs were drawn";
    std::printf("read-out text: %d fully and %d partly covered pixels\n", covered, partly);
}

TEST_F(DrawingTest, RedrawingTheReadOutHidesTheOldTextThroughAlphaOnly) {
    draw_read_out(0);
    draw_read_out(75);
    ReferenceText before(font_handle(23), read_out_text(0), 0, 150, 15), after(font_handle(23), read_out_text(75), 0, 150, 15);
    SectionView image(image_handle(22));
    int hidden = 0;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 150; ++x) {
            int now = after.sum(x, y), earlier = before.sum(x, y);
            Pixel expected = now ? Pixel{255, 255, 255, static_cast<uint8_t>(now / 3)}
                                 : earlier ? Pixel{255, 255, 255, 0} : Pixel{0, 0, 0, 0};
            ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
            hidden += !now && earlier;
        }
    EXPECT_GT(hidden, 0) << "some pixels of 00:00 are not part of 01:15";
}

// A point one past a row's end is outside the output, not the next row's first pixel.
TEST_F(DrawingTest, APointPastARowsEndReadsAsOutside) {
    start_drawing(image_output(22));
    draw_box(0, 0, 150, 15, rgb(1, 2, 3));
    EXPECT_EQ(read_point(150, 7), 0u);
}

TEST_F(DrawingTest, ABoxColourDoesNotBecomeTheFrontColour) {
    ASSERT_NE(create_image(30, 40, 15, 24), 0);
    ASSERT_NE(start_drawing(image_output(30)), nullptr);
    draw_box(0, 0, 40, 15, rgb(255, 0, 0));
    EXPECT_EQ(read_point(3, 3), rgb(255, 0, 0));
    set_drawing_mode(DRAW_TRANSPARENT);
    set_drawing_font(font_handle(23));
    draw_text(0, 0, "Hg");
    ReferenceText reference(font_handle(23), "Hg", 0, 40, 15);
    int white = 0;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 40; ++x)
            if (reference.sum(x, y) == 765) {
                EXPECT_EQ(read_point(x, y), rgb(255, 255, 255)) << "text in the front colour at " << x << "," << y;
                ++white;
            }
    EXPECT_GT(white, 0);
}

// Which pixels differ from black, as rows of '#' and '.'.
std::vector<std::string> drawn(const SectionView& view, int width, int height) {
    std::vector<std::string> picture;
    for (int y = 0; y < height; ++y) {
        std::string line;
        for (int x = 0; x < width; ++x) line += view.pixel(x, y) == Pixel{0, 0, 0, 0} ? '.' : '#';
        picture.push_back(line);
    }
    return picture;
}

TEST_F(DrawingTest, BoxesAreNormalisedAndClippedOnTheImage) {
    ASSERT_NE(create_image(31, 10, 6, 24), 0);
    start_drawing(image_output(31));
    draw_box(4, 3, -3, -2, rgb(0, 0, 255));
    draw_box(8, 4, 5, 5, rgb(0, 255, 0));
    draw_box(20, 0, 3, 3, rgb(255, 0, 0));
    draw_box(-5, -5, 5, 5, rgb(255, 0, 0));
    EXPECT_EQ(read_point(2, 1), rgb(0, 0, 255));
    EXPECT_EQ(read_point(9, 5), rgb(0, 255, 0));
    EXPECT_EQ(read_point(10, 0), 0u) << "outside the output";
    stop_drawing();
    EXPECT_EQ(drawn(SectionView(image_handle(31)), 10, 6),
              (std::vector<std::string>{"..........", ".###......", ".###......", "..........", "........##", "........##"}));
}

TEST_F(DrawingTest, TheAlphaChannelModeChangesNothingOnTwentyFourBits) {
    ASSERT_NE(create_image(32, 20, 10, 24), 0);
    SectionView image(image_handle(32));
    fill_pattern(image, 20, 10);
    std::vector<uint8_t> before = image.bytes();
    start_drawing(image_output(32));
    set_drawing_mode(DRAW_ALPHA_CHANNEL);
    draw_box(0, 0, 20, 10, rgba(255, 255, 255, 128));
    set_drawing_font(font_handle(23));
    draw_text(0, 0, "Hg");
    set_drawing_mode(DRAW_ALPHA_CHANNEL | DRAW_TRANSPARENT);
    draw_text(0, 0, "Hg");
    stop_drawing();
    EXPECT_EQ(image.bytes(), before);
}

TEST_F(DrawingTest, TextAtANegativeXShowsOnlyItsVisiblePartFromColumnZero) {
    start_drawing(image_output(22));
    set_drawing_mode(DRAW_TRANSPARENT);
    set_drawing_font(font_handle(23));
    int end = draw_text(-20, 0, READ_OUT_LABEL);
    stop_drawing();
    ReferenceText reference(font_handle(23), READ_OUT_LABEL, -20, 150, 15);
    EXPECT_EQ(end, -20 + reference.extent().cx);
    SectionView image(image_handle(22));
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 150; ++x) {
            auto level = static_cast<uint8_t>(reference.sum(x, y) / 3);  // white over opaque black
            ASSERT_EQ(image.pixel(x, y), (Pixel{level, level, level, 255})) << x << "," << y;
        }
}

TEST_F(DrawingTest, OpaqueTextPaintsItsCellInTheBackColour) {
    ASSERT_NE(create_image(33, 60, 20, 24), 0);
    SectionView image(image_handle(33));
    fill_pattern(image, 60, 20);
    start_drawing(image_output(33));
    set_drawing_font(font_handle(23));
    int end = draw_text(5, 2, "Hg");
    int height = text_height("Hg");
    stop_drawing();
    ReferenceText reference(font_handle(23), "Hg", 0, 60, 20);
    ASSERT_EQ(end, 5 + reference.extent().cx);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) {
            bool in_cell = x >= 5 && x < end && y >= 2 && y < 2 + height;
            auto level = in_cell ? static_cast<uint8_t>(reference.sum(x - 5, y - 2) / 3) : uint8_t{0};
            Pixel expected = in_cell ? Pixel{level, level, level, 0} : Pixel{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 77, 0};
            ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
        }
}

TEST_F(DrawingTest, LargeFontsGrowTheTextBufferAndTallTextIsCutAtTheBottom) {
    ASSERT_NE(create_image(34, 200, 60, 24), 0);
    ASSERT_NE(load_font(24, "Arial", 60), 0);
    start_drawing(image_output(34));
    set_drawing_mode(DRAW_TRANSPARENT);
    set_drawing_font(font_handle(24));
    int height = text_height("Hg");
    draw_text(0, 0, "Hg");
    stop_drawing();
    EXPECT_GT(height, 60) << "taller than the image and than the first text buffer";
    ReferenceText reference(font_handle(24), "Hg", 0, 200, 60);
    SectionView image(image_handle(34));
    int low = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            auto level = static_cast<uint8_t>(reference.sum(x, y) / 3);
            ASSERT_EQ(image.pixel(x, y), (Pixel{level, level, level, 0})) << x << "," << y;
            low += y >= 50 && level;
        }
    EXPECT_GT(low, 0) << "rows below the 50th were rendered too";
}

TEST_F(DrawingTest, TheSystemFontIsSelectedAtTheStartAndByItsMarker) {
    HDC dc = CreateCompatibleDC(nullptr);
    SIZE system{}, arial{};
    HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    GetTextExtentPoint32A(dc, "Hg", 2, &system);
    SelectObject(dc, font_handle(23));
    GetTextExtentPoint32A(dc, "Hg", 2, &arial);
    SelectObject(dc, old);
    DeleteDC(dc);
    start_drawing(image_output(22));
    EXPECT_EQ(text_width("Hg"), system.cx) << "start_drawing selects the system font";
    set_drawing_font(font_handle(23));
    EXPECT_EQ(text_width("Hg"), arial.cx);
    EXPECT_EQ(text_height("Hg"), arial.cy);
    set_drawing_font(reinterpret_cast<HFONT>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(text_width("Hg"), arial.cx) << "a handle that is not a font changes nothing";
    set_drawing_font(SYSTEM_DRAWING_FONT);
    EXPECT_EQ(text_width("Hg"), system.cx);
    EXPECT_EQ(text_width(""), 0);
    EXPECT_EQ(text_height(nullptr), 0);
    EXPECT_EQ(draw_text(7, 0, ""), 7) << "empty text draws nothing";
}

TEST_F(DrawingTest, ItalicTextReachesPastItsAdvanceByTheOverhang) {
    ASSERT_NE(load_font(25, "Arial", 30, FONT_ITALIC), 0);
    start_drawing(image_output(22));
    set_drawing_font(font_handle(25));
    ReferenceText reference(font_handle(25), "H", 0, 150, 15);
    int width = text_width("H");
    EXPECT_GE(width, reference.extent().cx);
    EXPECT_EQ(draw_text(3, 0, "H"), 3 + width) << "the overhang counts in the width drawn";
    stop_drawing();
}

TEST_F(DrawingTest, WithoutADrawingInProgressDrawingCallsDoNothing) {
    ASSERT_NE(catch_image(35, fixtures::encode_icon({{16, 16, 32, 0xFF}}).data(),
                          static_cast<int>(fixtures::encode_icon({{16, 16, 32, 0xFF}}).size())), 0);
    EXPECT_EQ(image_output(35), nullptr) << "an icon has no pixels to draw on";
    EXPECT_EQ(image_output(99), nullptr) << "no image";
    EXPECT_EQ(start_drawing(nullptr), nullptr);
    SectionView image(image_handle(22));
    std::vector<uint8_t> before = image.bytes();
    draw_box(0, 0, 150, 15, rgb(255, 255, 255));
    set_drawing_mode(DRAW_XOR);
    set_drawing_font(font_handle(23));
    EXPECT_EQ(draw_text(4, 0, "Hg"), 4);
    EXPECT_EQ(read_point(0, 0), 0u);
    EXPECT_EQ(text_width("Hg"), 0);
    blend_text_mask(image.bytes().data(), 450, 0, 0, 10, 10);
    stop_drawing();
    EXPECT_EQ(image.bytes(), before);
    DrawingContext* prepared = image_output(22);
    draw_box(0, 0, 150, 15, rgb(255, 255, 255));
    EXPECT_EQ(image.bytes(), before) << "prepared but not started";
    EXPECT_NE(start_drawing(prepared), nullptr);
}

TEST_F(DrawingTest, AnEightBitImageIsDrawnThroughATwentyFourBitCopyCopiedBackAtTheEnd) {
    ASSERT_NE(create_image(40, 8, 4, 8), 0);
    SectionView image(image_handle(40));
    start_drawing(image_output(40));
    draw_box(0, 0, 4, 4, rgb(255, 255, 255));
    EXPECT_EQ(read_point(1, 1), rgb(255, 255, 255)) << "the copy has 24 bits";
    EXPECT_EQ(image.at(1, 1)[0], 0) << "the image itself changes only at the end";
    stop_drawing();
    // The image's colour table is a grey ramp, so its index is its grey level; Wine finds the
    // nearest entry through a 5-bit colour lookup, which lands up to 4 levels off.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_NEAR(image.at(x, y)[0], x < 4 ? 255 : 0, 4) << "grey level at " << x << "," << y;
}

TEST_F(DrawingTest, PreparingAnotherOutputStopsTheDrawingInProgress) {
    ASSERT_NE(create_image(41, 4, 4, 8), 0);
    start_drawing(image_output(41));
    draw_box(0, 0, 4, 4, rgb(255, 255, 255));
    DrawingContext* next = image_output(22);
    ASSERT_NE(next, nullptr);
    EXPECT_NEAR(SectionView(image_handle(41)).at(2, 2)[0], 255, 4) << "the first drawing was stopped and copied back";
    EXPECT_NE(start_drawing(next), nullptr);
    draw_box(0, 0, 1, 1, rgb(1, 2, 3));
    EXPECT_EQ(read_point(0, 0), rgb(1, 2, 3));
}

} // namespace

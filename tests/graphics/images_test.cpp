// Image objects on real DIB sections: blank images, PNG, BMP and icon data caught from memory,
// numbers reused and freed, and the alpha services drawn through AlphaBlend.
#include <gtest/gtest.h>

#include "core/objects.h"
#include "graphics/alpha.h"
#include "graphics/images.h"
#include "graphics/png_decoder.h"
#include "picture_fixtures.h"

#include <png.h>

#include <cstring>

namespace {

using namespace rt;
using fixtures::Bytes;
using fixtures::Pixel;

// The pixel memory of a bitmap section, addressed by picture position (0 = top row).
struct SectionView {
    DIBSECTION section{};
    explicit SectionView(HANDLE bitmap) { GetObjectA(bitmap, sizeof section, &section); }
    int width() const { return section.dsBm.bmWidth; }
    int height() const { return section.dsBm.bmHeight; }
    int depth() const { return section.dsBm.bmBitsPixel; }
    uint8_t* at(int x, int y) const {
        return static_cast<uint8_t*>(section.dsBm.bmBits) + static_cast<size_t>(height() - 1 - y) * section.dsBm.bmWidthBytes + x * depth() / 8;
    }
    Pixel pixel(int x, int y) const {
        const uint8_t* p = at(x, y);
        return {p[0], p[1], p[2], depth() == 32 ? p[3] : uint8_t{255}};
    }
};

intptr_t catch_bytes(intptr_t number, const Bytes& data) {
    return catch_image(number, data.data(), static_cast<int>(data.size()));
}

HANDLE handle_of(intptr_t number) { return image_handle(number); }

class ImageTest : public testing::Test {
protected:
    void SetUp() override { register_png_decoder(); }
    void TearDown() override { free_all_images(); }
};

TEST_F(ImageTest, AThirtyTwoBitImageStartsAsOpaqueBlackWords) {
    intptr_t result = create_image(22, 150, 15, 32);
    ASSERT_NE(result, 0);
    EXPECT_EQ(result, reinterpret_cast<intptr_t>(handle_of(22))) << "a number gets the bitmap handle";
    SectionView view(handle_of(22));
    ASSERT_EQ(view.width(), 150);
    ASSERT_EQ(view.height(), 15);
    ASSERT_EQ(view.depth(), 32);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 150; ++x) ASSERT_EQ(view.pixel(x, y), (Pixel{0, 0, 0, 255})) << x << "," << y;
    ImageRecord* record = find_image(22);
    EXPECT_EQ(record->width, 150);
    EXPECT_EQ(record->height, 15);
    EXPECT_EQ(record->depth, 32);
}

TEST_F(ImageTest, OtherDepthsAreMadeAsAskedFor) {
    for (int depth : {24, 16, 8, 4, 1}) {
        ASSERT_NE(create_image(3, 9, 5, depth), 0) << depth << " bits";
        EXPECT_EQ(SectionView(handle_of(3)).depth(), depth);
    }
}

TEST_F(ImageTest, SizesAndDepthsAnImageCannotHaveGiveZeroAndFreeTheNumber) {
    const struct {
        int width, height, depth;
    } rows[] = {{0, 5, 32}, {5, 0, 32}, {-5, 5, 32}, {5, -5, 32}, {32768, 1, 24}, {1, 32768, 24}, {5, 5, 7}, {5, 5, 0}, {5, 5, 64}};
    for (const auto& row : rows) {
        ASSERT_NE(create_image(4, 2, 2, 24), 0);
        HANDLE old = handle_of(4);
        EXPECT_EQ(create_image(4, row.width, row.height, row.depth), 0) << row.width << "x" << row.height << "x" << row.depth;
        EXPECT_EQ(handle_of(4), nullptr) << "the number holds nothing";
        EXPECT_EQ(GetObjectType(old), 0u) << "the old image was freed first";
    }
    EXPECT_NE(create_image(4, 32767, 1, 24), 0) << "the largest width";
}

TEST_F(ImageTest, DynamicImagesAreNamedByTheirRecord) {
    intptr_t identity = create_image(DYNAMIC_NUMBER, 4, 4, 24);
    ASSERT_NE(identity, 0);
    EXPECT_EQ(reinterpret_cast<ImageRecord*>(identity), find_image(identity));
    HANDLE bitmap = handle_of(identity);
    free_image(DYNAMIC_NUMBER);
    EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP)) << "free_image(-1) does nothing";
    free_image(identity);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_EQ(handle_of(identity), nullptr);
    EXPECT_EQ(handle_of(77), nullptr) << "a number without an image";
}

TEST_F(ImageTest, ThePicturesOfTheSkinDecodeAsTwentyFourBitImages) {
    for (auto [width, height] : {std::pair{700, 440}, std::pair{130, 50}}) {
        fixtures::PngPicture picture{width, height, PNG_COLOR_TYPE_RGB, 8, false, false};
        ASSERT_NE(catch_bytes(16, fixtures::encode_png(picture)), 0);
        SectionView view(handle_of(16));
        EXPECT_EQ(view.depth(), 24);
        EXPECT_EQ(view.pixel(0, 0), fixtures::expected_png_pixel(picture, 0, 0)) << "top-left is the PNG's first pixel";
        EXPECT_EQ(view.pixel(width - 1, height - 1), fixtures::expected_png_pixel(picture, width - 1, height - 1));
    }
}

TEST_F(ImageTest, BmpsOfEveryBitCountBecomeImagesOfAtLeastTwentyFourBits) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (int height : {5, -5}) {
            fixtures::BmpPicture picture{11, height, bits, 200};
            ASSERT_NE(catch_bytes(6, fixtures::encode_bmp(picture)), 0) << bits << " bits";
            SectionView view(handle_of(6));
            ASSERT_EQ(view.depth(), bits < 24 ? 24 : bits) << bits << " bits";
            ASSERT_EQ(view.height(), 5) << "always bottom-up";
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 11; ++x)
                    ASSERT_EQ(view.pixel(x, y), fixtures::expected_bmp_pixel(picture, x, y)) << bits << " bits at " << x << "," << y << " height " << height;
        }
    }
}

TEST_F(ImageTest, AThirtyTwoBitBmpWithoutAlphaBecomesOpaqueAndOneWithAlphaKeepsIt) {
    Bytes bmp = fixtures::encode_bmp({3, 2, 32, 0});
    ASSERT_NE(catch_bytes(7, bmp), 0);
    SectionView opaque(handle_of(7));
    for (int x = 0; x < 3; ++x) EXPECT_EQ(opaque.pixel(x, 1)[3], 255) << "all alpha bytes 0: made opaque";
    bmp[54 + 3] = 9;  // the first stored pixel (bottom-left) gets alpha 9
    ASSERT_NE(catch_bytes(7, bmp), 0);
    SectionView kept(handle_of(7));
    EXPECT_EQ(kept.pixel(0, 1)[3], 9);
    EXPECT_EQ(kept.pixel(1, 1)[3], 0) << "one nonzero alpha byte keeps every alpha byte";
    EXPECT_EQ(kept.pixel(2, 0)[3], 0);
}

// The colour an icon shows in the middle, drawn over black.
COLORREF icon_colour(HICON icon, int size) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, canvas);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const uint8_t* middle = static_cast<uint8_t*>(bits) + (size / 2 * size + size / 2) * 4;
    COLORREF colour = RGB(middle[2], middle[1], middle[0]);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    return colour;
}

TEST_F(ImageTest, AnIconShowsTheEntryOfTheFirstSizeWithMostBits) {
    Bytes icon = fixtures::encode_icon({{32, 32, 4, 0x000080}, {32, 32, 8, 0x008000}, {32, 32, 32, 0x123456}, {48, 48, 32, 0x800000}});
    ASSERT_NE(catch_bytes(8, icon), 0);
    HANDLE handle = handle_of(8);
    EXPECT_EQ(GetObjectType(handle), 0u) << "an icon is not a GDI object";
    EXPECT_EQ(icon_colour(static_cast<HICON>(handle), 32), RGB(0x12, 0x34, 0x56)) << "the 32 x 32, 32-bit entry";
    ImageRecord* record = find_image(8);
    EXPECT_EQ(record->width, 32);
    EXPECT_EQ(record->height, 32);
    Bytes tie = fixtures::encode_icon({{16, 16, 8, 0x0000FF}, {16, 16, 8, 0x00FF00}});
    ASSERT_NE(catch_bytes(8, tie), 0);
    EXPECT_EQ(icon_colour(static_cast<HICON>(handle_of(8)), 16), RGB(0, 0, 0xFF)) << "equal bits: the earlier entry";
}

TEST_F(ImageTest, DataNoFormatAcceptsGivesZeroAndTheOldImageIsGone) {
    Bytes png = fixtures::encode_png({4, 4, PNG_COLOR_TYPE_RGB, 8, false, false});
    Bytes bmp = fixtures::encode_bmp({4, 4, 24, 0});
    Bytes icon = fixtures::encode_icon({{16, 16, 32, 0xFF}});
    const Bytes noise = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const struct {
        const char* what;
        const void* data;
        int size;
    } rows[] = {
        {"7 bytes of a PNG", png.data(), 7},
        {"a PNG without its last byte of header", png.data(), 32},
        {"noise", noise.data(), static_cast<int>(noise.size())},
        {"a BMP without its last row", bmp.data(), static_cast<int>(bmp.size()) - 16},
        {"an icon without its image", icon.data(), 22 + 40},
        {"no data", nullptr, 100},
        {"a negative size", png.data(), -1},
    };
    for (const auto& row : rows) {
        ASSERT_NE(create_image(9, 2, 2, 32), 0);
        HANDLE old = handle_of(9);
        EXPECT_EQ(catch_image(9, row.data, row.size), 0) << row.what;
        EXPECT_EQ(handle_of(9), nullptr) << row.what;
        EXPECT_EQ(GetObjectType(old), 0u) << row.what << ": claiming freed the old image";
    }
}

TEST_F(ImageTest, FreeingAllImagesDeletesEveryBitmapAndIcon) {
    create_image(1, 2, 2, 24);
    catch_bytes(2, fixtures::encode_icon({{16, 16, 32, 0xFF}}));
    intptr_t dynamic = create_image(DYNAMIC_NUMBER, 2, 2, 32);
    HANDLE bitmap = handle_of(1), dynamic_bitmap = handle_of(dynamic);
    free_all_images();
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_EQ(GetObjectType(dynamic_bitmap), 0u);
    EXPECT_EQ(handle_of(2), nullptr);
    EXPECT_EQ(handle_of(dynamic), nullptr);
}

// A 32-bit section of one colour per half: left (alpha, colour), right (alpha, colour).
HBITMAP halves(uint32_t left, uint32_t right, int width = 4, int height = 2) {
    HBITMAP bitmap = new_dib(width, height, 32);
    SectionView view(bitmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) reinterpret_cast<uint32_t*>(view.at(x, y))[0] = x < width / 2 ? left : right;
    return bitmap;
}

TEST(AlphaSupportTest, ThirtyTwoBitSectionsHaveAlphaOtherBitmapsWhenTheirPixelsDo) {
    HBITMAP section32 = new_dib(2, 2, 32), section24 = new_dib(2, 2, 24);
    const uint32_t with_alpha[4] = {0x01000000, 0, 0, 0}, without[4] = {0x00FFFFFF, 0, 0, 0};
    HBITMAP device_with = CreateBitmap(2, 2, 1, 32, with_alpha), device_without = CreateBitmap(2, 2, 1, 32, without);
    EXPECT_TRUE(has_alpha(section32));
    EXPECT_FALSE(has_alpha(section24));
    EXPECT_TRUE(has_alpha(device_with));
    EXPECT_FALSE(has_alpha(device_without));
    EXPECT_FALSE(has_alpha(reinterpret_cast<HBITMAP>(GetStockObject(BLACK_BRUSH)))) << "not a bitmap";
    for (HBITMAP bitmap : {section32, section24, device_with, device_without}) DeleteObject(bitmap);
}

TEST(AlphaSupportTest, PremultipliedCopiesAndTheirBlitShowStraightAlphaOverTheBackground) {
    HBITMAP picture = halves(0x800000FF, 0xFF102030);  // left: blue at half alpha; right: opaque
    HBITMAP copy = premultiplied_copy(picture, nullptr, false);
    ASSERT_NE(copy, nullptr);
    SectionView premultiplied(copy);
    EXPECT_EQ(premultiplied.pixel(0, 0), (Pixel{255 * 128 >> 8, 0, 0, 128}));
    EXPECT_EQ(premultiplied.pixel(3, 1), (Pixel{0x30, 0x20, 0x10, 255})) << "opaque pixels stay";

    HBITMAP white = new_dib(4, 2, 24);
    SectionView target(white);
    for (int y = 0; y < 2; ++y) std::memset(target.at(0, y), 255, 12);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, white);
    EXPECT_EQ(alpha_blit(dc, 0, 0, 0, 0, copy, nullptr, 255), 1) << "width and height 0: the bitmap's own";
    GdiFlush();
    Pixel blended = target.pixel(0, 0);
    EXPECT_NEAR(blended[0], 0xFF, 1) << "half blue over white: #7F7FFF";
    EXPECT_NEAR(blended[1], 0x7F, 1);
    EXPECT_NEAR(blended[2], 0x7F, 1);
    EXPECT_EQ(target.pixel(3, 0), (Pixel{0x30, 0x20, 0x10, 255}));
    SelectObject(dc, old);
    DeleteDC(dc);

    HBITMAP grey = premultiplied_copy(halves(0xFF326496, 0x80FFFFFF), nullptr, true);
    SectionView greyed(grey);
    EXPECT_EQ(greyed.pixel(0, 0), (Pixel{90, 90, 90, 255})) << "L = (3 x 50 + 6 x 100 + 150) / 10, within 64 to 192";
    EXPECT_EQ(greyed.pixel(3, 0), (Pixel{118, 118, 118, 128})) << "white: 192 + 63 x 7 / 10 = 236, x 128 / 255";
    for (HBITMAP bitmap : {picture, white}) DeleteObject(bitmap);
    delete_alpha_copy(copy);
    delete_alpha_copy(grey);
}

// The mask's pixels, 1 for white, top row first.
std::vector<int> mask_bits(HBITMAP mask, int width, int height) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info{{sizeof(BITMAPINFOHEADER), width, -height, 1, 1, BI_RGB, 0, 0, 0, 0, 0}, {}};
    std::vector<uint8_t> rows(static_cast<size_t>(row_bytes(width, 1)) * height);
    HDC dc = CreateCompatibleDC(nullptr);
    GetDIBits(dc, mask, 0, static_cast<UINT>(height), rows.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteDC(dc);
    std::vector<int> bits;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bits.push_back(rows[static_cast<size_t>(y) * row_bytes(width, 1) + x / 8] >> (7 - x % 8) & 1);
    return bits;
}

TEST(AlphaSupportTest, TransparencyMasksAreBlackWherePixelsHaveAlpha) {
    // The test program has no manifest for common controls 6: themed controls are off.
    HBITMAP half = halves(0xFF000000, 0x00FFFFFF), clear = halves(0, 0), plain = new_dib(4, 2, 24);
    HBITMAP mask = transparency_mask(half);
    EXPECT_EQ(mask_bits(mask, 4, 2), (std::vector<int>{0, 0, 1, 1, 0, 0, 1, 1}));
    HBITMAP clear_mask = transparency_mask(clear), plain_mask = transparency_mask(plain);
    EXPECT_EQ(mask_bits(clear_mask, 4, 2), std::vector<int>(8, 0)) << "no alpha anywhere: all black";
    EXPECT_EQ(mask_bits(plain_mask, 4, 2), std::vector<int>(8, 0)) << "24 bits: all black";
    for (HBITMAP bitmap : {half, clear, plain, mask, clear_mask, plain_mask}) DeleteObject(bitmap);
}

} // namespace

// The checks of BMP and icon headers: whole files are described, every shorter or inconsistent
// one is refused; and the icon entry rule.
#include <gtest/gtest.h>

#include "graphics/image_data.h"
#include "picture_fixtures.h"

namespace {

using namespace rt;
using fixtures::Bytes;

// The data with the little-endian field of `bytes` bytes at `at` set to value.
Bytes changed(Bytes data, size_t at, uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) data[at + i] = static_cast<uint8_t>(value >> (8 * i));
    return data;
}

TEST(RowBytesTest, RowsArePaddedToWholeWords) {
    const struct {
        int width, bits, bytes;
    } rows[] = {{1, 1, 4}, {32, 1, 4}, {33, 1, 8}, {9, 4, 8}, {5, 8, 8}, {3, 16, 8}, {3, 15, 8},
                {1, 24, 4}, {5, 24, 16}, {150, 24, 452}, {150, 32, 600}, {7, 32, 28}};
    for (const auto& row : rows) EXPECT_EQ(row_bytes(row.width, row.bits), row.bytes) << row.width << " x " << row.bits << " bits";
}

TEST(BmpLayoutTest, WholeFilesOfEveryBitCountAreDescribed) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        Bytes bmp = fixtures::encode_bmp({7, -3, bits, 0});
        BmpLayout layout{};
        ASSERT_TRUE(read_bmp_layout(bmp.data(), static_cast<int>(bmp.size()), &layout)) << bits << " bits";
        EXPECT_EQ(layout.width, 7);
        EXPECT_EQ(layout.height, -3) << "top-down rows keep their sign";
        EXPECT_EQ(layout.bit_count, bits);
        EXPECT_EQ(layout.depth, bits < 24 ? 24 : bits) << "fewer bits are raised to 24";
        EXPECT_EQ(layout.header, bmp.data() + 14);
        EXPECT_EQ(layout.header_bytes, 40 + (bits <= 8 ? 4 << bits : 0));
        EXPECT_EQ(layout.pixels, bmp.data() + 54 + (bits <= 8 ? 4 << bits : 0));
    }
}

TEST(BmpLayoutTest, EveryFileShorterThanItsHeadersAnnounceIsRefused) {
    for (int bits : {1, 8, 24}) {
        Bytes bmp = fixtures::encode_bmp({5, 2, bits, 0});
        BmpLayout layout{};
        for (size_t size = 0; size < bmp.size(); ++size) {
            Bytes prefix(bmp.begin(), bmp.begin() + static_cast<std::ptrdiff_t>(size));
            EXPECT_FALSE(read_bmp_layout(prefix.data(), static_cast<int>(size), &layout)) << bits << " bits, " << size << " bytes";
        }
    }
}

TEST(BmpLayoutTest, InconsistentHeadersAreRefused) {
    const Bytes good = fixtures::encode_bmp({4, 4, 8, 0});
    auto with = [&](size_t at, uint32_t value, int bytes = 4) { return changed(good, at, value, bytes); };
    const struct {
        const char* what;
        Bytes bmp;
    } rows[] = {
        {"not BM", with(0, 'B' | 'A' << 8, 2)},
        {"a core header of 12 bytes", with(14, 12)},
        {"a header longer than the file", with(14, 0x7FFFFFFF)},
        {"a header of no known size", with(14, 41)},
        {"width 0", with(18, 0)},
        {"width over 32767", with(18, 32768)},
        {"height 0", with(22, 0)},
        {"height below -32767", with(22, static_cast<uint32_t>(-32768))},
        {"the lowest height", with(22, 0x80000000u)},
        {"bit count 7", with(28, 7, 2)},
        {"run-length compression", with(30, 1)},
        {"bit fields on 8 bits", with(30, 3)},
        {"pixels offset past the end", with(10, static_cast<uint32_t>(good.size()))},
        {"pixels offset wrapping", with(10, 0xFFFFFFF0u)},
        {"more rows than the file holds", with(22, 5)},
    };
    BmpLayout layout{};
    EXPECT_TRUE(read_bmp_layout(good.data(), static_cast<int>(good.size()), &layout));
    for (const auto& row : rows)
        EXPECT_FALSE(read_bmp_layout(row.bmp.data(), static_cast<int>(row.bmp.size()), &layout)) << row.what;
    EXPECT_FALSE(read_bmp_layout(nullptr, 100, &layout));
}

// The offset at which the icon file holds the image of entry `index`.
const uint8_t* entry_image(const Bytes& icon, int index) {
    const uint8_t* entry = icon.data() + 6 + 16 * index;
    return icon.data() + (entry[12] | entry[13] << 8 | entry[14] << 16 | entry[15] << 24);
}

TEST(IconImageTest, TheEntryOfTheFirstSizeWithMostBitsIsChosenTheEarlierOnATie) {
    const struct {
        const char* what;
        std::vector<fixtures::IconPicture> entries;
        int chosen;
    } rows[] = {
        {"one entry", {{16, 16, 4, 1}}, 0},
        {"most bits among the first size", {{32, 32, 4, 1}, {32, 32, 8, 2}, {32, 32, 32, 3}, {48, 48, 32, 4}}, 2},
        {"a larger entry of more bits does not count", {{16, 16, 8, 1}, {48, 48, 32, 2}, {16, 16, 4, 3}}, 0},
        {"equal bits: the earlier", {{32, 32, 8, 1}, {32, 32, 8, 2}}, 0},
        {"width and height must both match", {{32, 32, 4, 1}, {32, 16, 32, 2}, {16, 32, 32, 3}, {32, 32, 8, 4}}, 3},
    };
    for (const auto& row : rows) {
        Bytes icon = fixtures::encode_icon(row.entries);
        IconImage image{};
        ASSERT_TRUE(choose_icon_image(icon.data(), static_cast<int>(icon.size()), &image)) << row.what;
        EXPECT_EQ(image.data, entry_image(icon, row.chosen)) << row.what;
        const fixtures::IconPicture& chosen = row.entries[static_cast<size_t>(row.chosen)];
        EXPECT_EQ(image.width, chosen.width) << row.what;
        EXPECT_EQ(image.height, chosen.height) << row.what << ": half the bitmap header's height";
        EXPECT_EQ(image.bit_count, chosen.bits) << row.what;
    }
}

TEST(IconImageTest, FilesShorterThanTheirEntriesOrImagesAreRefused) {
    Bytes icon = fixtures::encode_icon({{16, 16, 8, 1}, {16, 16, 32, 2}});
    IconImage image{};
    for (size_t size = 0; size < icon.size(); ++size)
        EXPECT_FALSE(choose_icon_image(icon.data(), static_cast<int>(size), &image)) << size << " bytes";
    auto with = [&](size_t at, uint32_t value, int bytes = 4) { return changed(icon, at, value, bytes); };
    size_t chosen = static_cast<size_t>(entry_image(icon, 1) - icon.data());  // the 32-bit image, last in the file
    const struct {
        const char* what;
        Bytes icon;
    } rows[] = {
        {"reserved word not 0", with(0, 1, 2)},
        {"type 2 (cursor)", with(2, 2, 2)},
        {"no entries", with(4, 0, 2)},
        {"more entries than the file holds", with(4, 0x0FFF, 2)},
        {"image past the end", with(6 + 16 + 12, static_cast<uint32_t>(icon.size()))},
        {"image size wrapping", with(6 + 16 + 8, 0xFFFFFFF0u)},
        {"image too short for its bitmap header", with(6 + 16 + 8, 39)},
        // The platform reads as many colour and mask rows as the bitmap header describes.
        {"image holding only its bitmap header", with(6 + 16 + 8, 40)},
        {"image one byte short of its mask rows", with(6 + 16 + 8, static_cast<uint32_t>(icon.size() - chosen) - 1)},
        {"bitmap header of no known size", with(chosen, 0xFFFFFF00u)},
        {"bitmap header larger than the image", with(chosen, 124)},
        {"bit count the platform does not know", with(chosen + 14, 7, 2)},
        {"compressed bitmap", with(chosen + 16, 1)},
    };
    for (const auto& row : rows)
        EXPECT_FALSE(choose_icon_image(row.icon.data(), static_cast<int>(row.icon.size()), &image)) << row.what;
}

} // namespace

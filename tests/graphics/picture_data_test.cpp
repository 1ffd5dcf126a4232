// Picture data read from memory: PNG through the decoder chain into plain rows, BMP and icon
// headers checked before the platform reads what they describe. Natively under the address
// sanitizer, so that a read past the data fails the test.
#include <gtest/gtest.h>

#include "graphics/image_data.h"
#include "graphics/png_decoder.h"
#include "picture_fixtures.h"

#include <png.h>

namespace {

using namespace rt;
using fixtures::Bytes;
using fixtures::Pixel;
using fixtures::PngPicture;

// The pixels, top row first, as the image library decodes them into bottom-up rows of exactly the
// picture's size; none when the data is refused or its rows are not all there.
std::vector<Pixel> decoded_pixels(const Bytes& data, int* depth = nullptr) {
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
    if (depth) *depth = job.depth;
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

// 8-bit blue, green, red rows with straight alpha (32 bits) or without (24), whatever the PNG's kind.
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
        int depth = 0;
        std::vector<Pixel> decoded = decoded_pixels(png, &depth), reference = reference_pixels(png);
        EXPECT_EQ(depth, (kind[0] & PNG_COLOR_MASK_ALPHA) || kind[3] ? 32 : 24);
        ASSERT_EQ(decoded.size(), reference.size());
        for (size_t i = 0; i < decoded.size(); ++i)
            for (int c = 0; c < 4; ++c)  // 16 bits are cut to 8, where libpng's reader rounds
                ASSERT_NEAR(decoded[i][c], reference[i][c], kind[1] == 16) << "pixel " << i % 13 << "," << i / 13 << ", byte " << c;
    }
}

TEST(PngDecoderTest, EveryPrefixOfAPictureAndNoDataFailCleanly) {
    Bytes png = fixtures::encode_png({9, 5, PNG_COLOR_TYPE_PALETTE, 4, true, true});
    const size_t image_data_end = png.size() - 12;  // the end chunk is never read
    for (size_t size = 0; size < png.size(); ++size)
        EXPECT_EQ(decoded_pixels(Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(size))).size(),
                  size >= image_data_end ? 45u : 0u) << "prefix of " << size << " bytes";
    register_png_decoder();
    EXPECT_EQ(find_image_decoder(nullptr, 100), 0);
}

// The widest picture an image record can hold is read; one pixel wider is refused.
TEST(PngDecoderTest, APictureWiderThanAnImageCanBeIsRefused) {
    EXPECT_EQ(decoded_pixels(fixtures::encode_png({32767, 1, PNG_COLOR_TYPE_GRAY, 1, false, false})).size(), 32767u);
    EXPECT_EQ(decoded_pixels(fixtures::encode_png({32768, 1, PNG_COLOR_TYPE_GRAY, 1, false, false})).size(), 0u);
}

#ifdef __SANITIZE_ADDRESS__
// The sanitizer stops the program at any request above 64 MiB, such as a block for what a chunk announces.
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=64"; }
#endif

// A chunk that announces almost 2 GB in a picture of a few hundred bytes (as a fuzzer found) is
// skipped unread: the picture is refused without a block of that size being asked for.
TEST(PngDecoderTest, AChunkAnnouncingMoreThanTheDataHoldsIsNeverAllocated) {
    const Bytes good = fixtures::encode_png({4, 4, PNG_COLOR_TYPE_RGB, 8, false, false});
    for (const char* type : {"iTXt", "zTXt", "tEXt", "iCCP", "sPLT", "prVt"}) {
        Bytes png(good.begin(), good.begin() + 33);  // signature and header
        const uint8_t announced[] = {0x76, 0x85, 0x43, 0x75};
        png.insert(png.end(), announced, announced + 4);
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), 40, 'x');
        png.insert(png.end(), good.begin() + 33, good.end());
        EXPECT_TRUE(decoded_pixels(png).empty()) << type << ": the chunk runs past the data";
    }
}

bool bmp_accepted(const Bytes& bmp, BmpLayout* layout) { return read_bmp_layout(bmp.data(), static_cast<int>(bmp.size()), layout); }

// A whole file of each bit count is described; every shorter one is refused (its rows padded to words).
TEST(BmpLayoutTest, WholeFilesAreDescribedAndEveryShorterOneIsRefused) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        Bytes bmp = fixtures::encode_bmp({7, -3, bits, 0});
        BmpLayout layout{};
        ASSERT_TRUE(bmp_accepted(bmp, &layout)) << bits << " bits";
        int table = bits <= 8 ? 4 << bits : 0;
        EXPECT_EQ(std::make_pair(layout.width, layout.height), std::make_pair(7, -3)) << "top-down rows keep their sign";
        EXPECT_EQ(layout.bit_count, bits);
        EXPECT_EQ(layout.depth, bits < 24 ? 24 : bits) << "fewer bits are raised to 24";
        EXPECT_EQ(layout.header, bmp.data() + 14);
        EXPECT_EQ(layout.header_bytes, 40 + table);
        EXPECT_EQ(layout.pixels, bmp.data() + 54 + table);
        for (size_t size = 0; size < bmp.size(); ++size)
            EXPECT_FALSE(bmp_accepted(Bytes(bmp.begin(), bmp.begin() + static_cast<std::ptrdiff_t>(size)), &layout)) << bits << " bits, " << size << " bytes";
    }
}

// The data with the little-endian field of `bytes` bytes at `at` set to value.
Bytes changed(Bytes data, size_t at, uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) data[at + i] = static_cast<uint8_t>(value >> (8 * i));
    return data;
}

TEST(BmpLayoutTest, InconsistentHeadersAreRefused) {
    const Bytes good = fixtures::encode_bmp({4, 4, 8, 0});
    auto with = [&](size_t at, uint32_t value, int bytes = 4) { return changed(good, at, value, bytes); };
    const struct {
        const char* what;
        Bytes bmp;
    } rows[] = {
        {"not BM", with(0, 'B' | 'A' << 8, 2)},          {"a header longer than the file", with(14, 0x7FFFFFFF)},
        {"a header of no known size", with(14, 41)},     {"width 0", with(18, 0)},
        {"width over 32767", with(18, 32768)},          {"the lowest height", with(22, 0x80000000u)},
        {"bit count 7", with(28, 7, 2)},                 {"run-length compression", with(30, 1)},
        {"pixels offset wrapping", with(10, 0xFFFFFFF0u)}, {"more rows than the file holds", with(22, 5)},
    };
    BmpLayout layout{};
    EXPECT_TRUE(bmp_accepted(fixtures::encode_bmp({32767, -1, 1, 0}), &layout)) << "the widest";
    for (const auto& row : rows) EXPECT_FALSE(bmp_accepted(row.bmp, &layout)) << row.what;
    EXPECT_FALSE(read_bmp_layout(nullptr, 100, &layout));
}

bool icon_chosen(const Bytes& icon, IconImage* image) { return choose_icon_image(icon.data(), static_cast<int>(icon.size()), image); }

// Where the icon file holds the image of entry `index`.
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
        {"one entry", {{16, 16, 4}}, 0},
        {"most bits among the first size", {{32, 32, 4}, {32, 32, 8}, {32, 32, 32}, {48, 48, 32}}, 2},
        {"equal bits: the earlier", {{32, 32, 8}, {32, 32, 8}}, 0},
        {"width and height must both match", {{32, 32, 4}, {32, 16, 32}, {16, 32, 32}, {32, 32, 8}}, 3},
    };
    for (const auto& row : rows) {
        Bytes icon = fixtures::encode_icon(row.entries);
        IconImage image{};
        ASSERT_TRUE(icon_chosen(icon, &image)) << row.what;
        const fixtures::IconPicture& chosen = row.entries[static_cast<size_t>(row.chosen)];
        EXPECT_EQ(image.data, entry_image(icon, row.chosen)) << row.what;
        EXPECT_EQ((std::array<int, 3>{image.width, image.height, image.bit_count}), (std::array<int, 3>{chosen.width, chosen.height, chosen.bits}))
            << row.what << ": width, height (half the bitmap header's) and bits";
    }
}

TEST(IconImageTest, FilesShorterThanTheirEntriesOrImagesAreRefused) {
    Bytes icon = fixtures::encode_icon({{16, 16, 8}, {16, 16, 32}});
    IconImage image{};
    for (size_t size = 0; size < icon.size(); ++size)
        EXPECT_FALSE(icon_chosen(Bytes(icon.begin(), icon.begin() + static_cast<std::ptrdiff_t>(size)), &image)) << size << " bytes";
    size_t chosen = static_cast<size_t>(entry_image(icon, 1) - icon.data());  // the 32-bit image, last in the file
    auto with = [&](size_t at, uint32_t value, int bytes = 4) { return changed(icon, at, value, bytes); };
    const struct {
        const char* what;
        Bytes icon;
    } rows[] = {
        {"type 2 (cursor)", with(2, 2, 2)},
        {"more entries than the file holds", with(4, 0x0FFF, 2)},
        {"image size wrapping", with(6 + 16 + 8, 0xFFFFFFF0u)},
        // The platform reads as many colour and mask rows as the bitmap header describes.
        {"image one byte short of its mask rows", with(6 + 16 + 8, static_cast<uint32_t>(icon.size() - chosen) - 1)},
        {"bitmap header larger than the image", with(chosen, 124)},
        {"compressed bitmap", with(chosen + 16, 1)},
    };
    for (const auto& row : rows) EXPECT_FALSE(icon_chosen(row.icon, &image)) << row.what;
}

} // namespace

// The PNG decoder through the decoder chain, into plain memory: every colour type and depth
// (interlaced too), row order, and data that is short, foreign, truncated or corrupt.
#include <gtest/gtest.h>

#include "graphics/image_data.h"
#include "graphics/png_decoder.h"
#include "picture_fixtures.h"

#include <png.h>
#include <zlib.h>

#include <atomic>

namespace {

using namespace rt;
using fixtures::Bytes;
using fixtures::Pixel;
using fixtures::PngPicture;

struct Decoded {
    int found = 0, result = 0;
    int width = 0, height = 0, depth = 0, row_length = 0;
    std::vector<uint8_t> bits;

    Pixel at(int x, int y) const {  // picture row y lies at memory row height - 1 - y
        const uint8_t* p = bits.data() + static_cast<size_t>(height - 1 - y) * row_length + x * depth / 8;
        return {p[0], p[1], p[2], depth == 32 ? p[3] : uint8_t{255}};
    }
};

// Decodes the way the image library does, into zeroed bottom-up rows.
Decoded decode(const uint8_t* data, size_t size, int flags = DECODE_BOTTOM_UP) {
    register_png_decoder();
    Decoded decoded;
    decoded.found = find_image_decoder(data, static_cast<int>(size));
    if (!decoded.found) return decoded;
    DecodeJob& job = decode_job();
    decoded.width = job.width;
    decoded.height = job.height;
    decoded.depth = job.depth;
    decoded.row_length = row_bytes(job.width, job.depth);
    decoded.bits.assign(static_cast<size_t>(decoded.row_length) * job.height, 0);
    decoded.result = job.decoder->decode(&job, decoded.bits.data(), decoded.row_length, flags);
    job.decoder->close(&job);
    return decoded;
}
Decoded decode(const Bytes& data, int flags = DECODE_BOTTOM_UP) { return decode(data.data(), data.size(), flags); }

// Rewrites the CRC of the chunk whose type starts at `type_at` (after its data was changed).
void fix_crc(Bytes& png, size_t type_at, size_t data_length) {
    uLong crc = crc32(0, png.data() + type_at, static_cast<uInt>(4 + data_length));
    for (int i = 0; i < 4; ++i) png[type_at + 4 + data_length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
}

constexpr size_t IHDR_TYPE = 12, IHDR_DATA = 16, IHDR_LENGTH = 13;

PngPicture rgb_picture(int width, int height) { return {width, height, PNG_COLOR_TYPE_RGB, 8, false, false}; }

TEST(PngDecoderTest, EveryColourTypeAndDepthGivesEightBitBgrRowsWithStraightAlpha) {
    for (const PngPicture& picture : fixtures::every_png_kind()) {
        SCOPED_TRACE(fixtures::png_name(picture));
        Decoded decoded = decode(fixtures::encode_png(picture));
        ASSERT_EQ(decoded.found, 1);
        EXPECT_EQ(decoded.result, 1);
        EXPECT_EQ(decoded.width, picture.width);
        EXPECT_EQ(decoded.height, picture.height);
        ASSERT_EQ(decoded.depth, fixtures::expected_png_depth(picture)) << "24 bits without alpha, 32 with";
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                ASSERT_EQ(decoded.at(x, y), fixtures::expected_png_pixel(picture, x, y)) << "pixel " << x << "," << y;
    }
}

TEST(PngDecoderTest, TheFirstPngRowBecomesTheLastMemoryRowWhenBottomUpIsAsked) {
    PngPicture picture = rgb_picture(5, 3);
    Bytes png = fixtures::encode_png(picture);
    Decoded bottom_up = decode(png);
    Pixel first = fixtures::expected_png_pixel(picture, 0, 0);
    const uint8_t* last_row = bottom_up.bits.data() + 2 * bottom_up.row_length;
    EXPECT_EQ((Pixel{last_row[0], last_row[1], last_row[2], 255}), first) << "top-left pixel of the bottom-up bitmap";
    Decoded top_down = decode(png, 0);
    EXPECT_EQ((Pixel{top_down.bits[0], top_down.bits[1], top_down.bits[2], 255}), first) << "without the flag rows go forward";
}

TEST(PngDecoderTest, ShortOrForeignDataIsRefusedBeforeLibpngIsAsked) {
    Bytes png = fixtures::encode_png(rgb_picture(2, 2));
    Bytes foreign = png;
    foreign[0] = 0x88;
    const struct {
        const char* what;
        const uint8_t* data;
        int size;
    } rows[] = {{"7 bytes of a signature", png.data(), 7}, {"a wrong first byte", foreign.data(), static_cast<int>(foreign.size())},
                {"no data", nullptr, 100}};
    for (const auto& row : rows) {
        DecodeJob job{};
        job.data = row.data;
        job.size = row.size;
        int untouched;
        job.read_structure = &untouched;  // closing libpng structures would clear it
        EXPECT_EQ(png_check(&job), 0) << row.what;
        EXPECT_EQ(job.read_structure, &untouched) << row.what << ": no libpng structures were made";
    }
}

TEST(PngDecoderTest, ImageDataThatEndsEarlyKeepsTheRowsDecodedAndZerosBelow) {
    PngPicture picture = rgb_picture(64, 64);
    Bytes png = fixtures::encode_png(picture, 0);  // stored: two image-data chunks of 8192 and 4171 bytes
    png.resize(png.size() * 8 / 10);                // inside the second one
    Decoded decoded = decode(png);
    ASSERT_EQ(decoded.found, 1) << "the header is whole";
    EXPECT_EQ(decoded.result, 0) << "the rows end early";
    int decoded_rows = 0;
    while (decoded_rows < 64 && decoded.at(0, decoded_rows) == fixtures::expected_png_pixel(picture, 0, decoded_rows)) ++decoded_rows;
    EXPECT_GT(decoded_rows, 20);
    EXPECT_LT(decoded_rows, 64);
    for (int y = 0; y < decoded_rows; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(decoded.at(x, y), fixtures::expected_png_pixel(picture, x, y)) << x << "," << y;
    for (int y = decoded_rows; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(decoded.at(x, y), (Pixel{0, 0, 0, 255})) << "undecoded row " << y << " stays zero";
}

TEST(PngDecoderTest, CorruptHeadersAreRefused) {
    const Bytes good = fixtures::encode_png(rgb_picture(4, 4));
    auto with_ihdr = [&](size_t offset, uint8_t value) {
        Bytes png = good;
        png[IHDR_DATA + offset] = value;
        fix_crc(png, IHDR_TYPE, IHDR_LENGTH);
        return png;
    };
    auto with_width = [&](uint32_t width) {
        Bytes png = good;
        for (int i = 0; i < 4; ++i) png[IHDR_DATA + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        fix_crc(png, IHDR_TYPE, IHDR_LENGTH);
        return png;
    };
    Bytes bad_crc = good;
    bad_crc[IHDR_DATA + IHDR_LENGTH] ^= 1;
    const struct {
        const char* what;
        Bytes png;
    } rows[] = {
        {"header CRC wrong", bad_crc},
        {"width 0", with_width(0)},
        {"bit depth 3", with_ihdr(8, 3)},
        {"colour type 5", with_ihdr(9, 5)},
        {"wider than an image can be", with_width(32768)},
    };
    for (const auto& row : rows) EXPECT_EQ(decode(row.png).found, 0) << row.what;
}

TEST(PngDecoderTest, EveryPrefixOfAPictureFailsCleanly) {
    PngPicture picture{9, 5, PNG_COLOR_TYPE_PALETTE, 4, true, true};
    Bytes png = fixtures::encode_png(picture);
    const size_t image_data_end = png.size() - 12;  // the end chunk is never read
    for (size_t size = 0; size < png.size(); ++size) {
        Decoded decoded = decode(png.data(), size);
        EXPECT_EQ(decoded.found && decoded.result, size >= image_data_end) << "prefix of " << size << " bytes";
    }
}

#ifdef __SANITIZE_ADDRESS__
// The address sanitizer's allocation hook (its public interface) notes the largest block that
// anything asks for while `noting` is set: in the native build only.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
std::atomic<bool> noting;
std::atomic<size_t> largest_block;

void note_allocation(const volatile void*, size_t size) {
    if (noting && size > largest_block) largest_block = size;
}
void note_free(const volatile void*) {}
#endif

// A chunk that announces almost 2 GB in a picture of a few hundred bytes (as a fuzzer found): the
// picture is refused without any block of that size being asked for.
TEST(PngDecoderTest, AChunkAnnouncingMoreThanTheDataHoldsIsNeverAllocated) {
#ifndef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "allocations are observed through the address sanitizer, in the native build";
#else
    static bool hooked = __sanitizer_install_malloc_and_free_hooks(note_allocation, note_free) != 0;
    ASSERT_TRUE(hooked);
    const Bytes good = fixtures::encode_png(rgb_picture(4, 4));
    for (const char* type : {"iTXt", "zTXt", "tEXt", "iCCP", "sPLT", "prVt"}) {
        Bytes png(good.begin(), good.begin() + 33);  // signature and header
        const uint8_t announced[] = {0x76, 0x85, 0x43, 0x75};
        png.insert(png.end(), announced, announced + 4);
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), 40, 'x');
        png.insert(png.end(), good.begin() + 33, good.end());
        largest_block = 0;
        noting = true;
        Decoded decoded = decode(png);
        noting = false;
        EXPECT_EQ(decoded.found && decoded.result, 0) << type << ": the chunk runs past the data";
        EXPECT_LT(largest_block.load(), size_t{1} << 20) << type << ": no block of the announced size";
    }
#endif
}

TEST(PngDecoderTest, RegisteringTwiceLeavesOneEntry) {
    register_png_decoder();
    int count = image_decoder_count();
    register_png_decoder();
    EXPECT_EQ(image_decoder_count(), count);
    EXPECT_GE(count, 1);
}

} // namespace

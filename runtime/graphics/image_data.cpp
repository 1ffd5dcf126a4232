// The decoder list and the process-wide decoding job; BMP and icon header checks.
#include "graphics/image_data.h"

#include <algorithm>
#include <cstring>

namespace rt {

namespace {

constexpr int MAX_DECODERS = 30;

struct DecoderList {
    const ImageDecoder* entries[MAX_DECODERS];
    int count;
};

DecoderList decoder_list;
DecodeJob the_job;

// Little-endian fields; the caller has checked that they lie within the data.
uint32_t read_u32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}
int read_u16(const uint8_t* at) { return at[0] | at[1] << 8; }
int32_t read_i32(const uint8_t* at) { return static_cast<int32_t>(read_u32(at)); }

bool is_side(int64_t side) { return side >= 1 && side <= MAX_IMAGE_SIDE; }

// File header (14 bytes), then the bitmap information header.
constexpr int BMP_FILE_HEADER = 14;
constexpr int BMP_INFO_HEADER = 40;
constexpr uint32_t BI_RGB_COMPRESSION = 0;
constexpr uint32_t BI_BITFIELDS_COMPRESSION = 3;

bool is_bmp_info_size(uint32_t size) { return size == 40 || size == 52 || size == 56 || size == 108 || size == 124; }

bool is_bmp_bit_count(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Uncompressed rows of a bit count the platform knows, or bit fields of 16 or 32 bits.
bool is_plain_dib(int bits, uint32_t compression) {
    if (!is_bmp_bit_count(bits)) return false;
    return compression == BI_RGB_COMPRESSION || (compression == BI_BITFIELDS_COMPRESSION && (bits == 16 || bits == 32));
}

// Bytes of the colour masks and colour table that the platform reads behind the header: up to
// 256 entries, as many as the header says are used (or all 2^bits for palette images).
int64_t bmp_table_bytes(const uint8_t* info, int bits, uint32_t compression) {
    uint32_t used = read_u32(info + 32);
    int64_t entries = used ? std::min<uint32_t>(used, 256) : bits <= 8 ? 1 << bits : 0;
    int64_t masks = compression == BI_BITFIELDS_COMPRESSION && read_u32(info) == BMP_INFO_HEADER ? 12 : 0;
    return masks + 4 * entries;
}

constexpr int ICON_DIRECTORY = 6;
constexpr int ICON_ENTRY = 16;
constexpr uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The entry rule: the first entry's size, the most bits, the earliest on a tie.
const uint8_t* chosen_icon_entry(const uint8_t* entries, int count) {
    const uint8_t* chosen = entries;
    for (int i = 1; i < count; ++i) {
        const uint8_t* entry = entries + i * ICON_ENTRY;
        bool same_size = entry[0] == entries[0] && entry[1] == entries[1];
        if (same_size && read_u16(entry + 6) > read_u16(chosen + 6)) chosen = entry;
    }
    return chosen;
}

// The size and bits of an icon image, from its bitmap header, or for PNG data none (the icon
// takes the picture's own size).
bool describe_icon_image(IconImage* image) {
    if (image->size >= 8 && std::memcmp(image->data, PNG_SIGNATURE, 8) == 0) {
        image->width = image->height = 0;
        image->bit_count = 32;
        return true;
    }
    const uint8_t* info = image->data;
    if (image->size < BMP_INFO_HEADER || !is_bmp_info_size(read_u32(info))) return false;
    image->width = read_i32(info + 4);
    image->height = read_i32(info + 8) / 2;  // the colour rows and the mask rows
    image->bit_count = read_u16(info + 14);
    uint32_t compression = read_u32(info + 16);
    if (!is_side(image->width) || !is_side(image->height) || !is_plain_dib(image->bit_count, compression)) return false;
    // The platform reads the header, its colour table, the colour rows and the one-bit mask rows.
    int64_t rows = int64_t{row_bytes(image->width, image->bit_count)} + row_bytes(image->width, 1);
    int64_t bytes = read_u32(info) + bmp_table_bytes(info, image->bit_count, compression) + rows * image->height;
    return bytes <= image->size;
}

} // namespace

int row_bytes(int width, int bits) {
    switch (bits) {
    case 1: return (width + 31) / 32 * 4;
    case 4: return (width + 7) / 8 * 4;
    case 8: return (width + 3) / 4 * 4;
    case 15:
    case 16: return (width + 1) / 2 * 4;
    case 24: return (width + 1) * 3 / 4 * 4;
    default: return width * 4;
    }
}

void register_image_decoder(const ImageDecoder* decoder) {
    if (decoder_list.count < MAX_DECODERS) decoder_list.entries[decoder_list.count++] = decoder;
}

int image_decoder_count() { return decoder_list.count; }

int find_image_decoder(const void* data, int size) {
    the_job = DecodeJob{};
    the_job.data = static_cast<const uint8_t*>(data);
    the_job.size = size;
    for (int i = 0; i < decoder_list.count; ++i) {
        if (decoder_list.entries[i]->check(&the_job)) {
            the_job.decoder = decoder_list.entries[i];
            return 1;
        }
    }
    return 0;
}

DecodeJob& decode_job() { return the_job; }

bool read_bmp_layout(const uint8_t* data, int size, BmpLayout* layout) {
    if (!data || size < BMP_FILE_HEADER + BMP_INFO_HEADER || data[0] != 'B' || data[1] != 'M') return false;
    const uint8_t* info = data + BMP_FILE_HEADER;
    uint32_t info_size = read_u32(info);
    if (!is_bmp_info_size(info_size) || info_size > static_cast<uint32_t>(size - BMP_FILE_HEADER)) return false;
    int32_t width = read_i32(info + 4), height = read_i32(info + 8);
    int bits = read_u16(info + 14);
    uint32_t compression = read_u32(info + 16);
    if (!is_side(width) || !is_side(height < 0 ? -static_cast<int64_t>(height) : height)) return false;
    if (!is_plain_dib(bits, compression)) return false;
    int header_bytes = static_cast<int>(info_size + bmp_table_bytes(info, bits, compression));
    if (BMP_FILE_HEADER + int64_t{header_bytes} > size) return false;
    uint32_t pixel_offset = read_u32(data + 10);
    int64_t pixel_bytes = int64_t{row_bytes(width, bits)} * (height < 0 ? -height : height);
    if (pixel_offset + pixel_bytes > size) return false;
    *layout = {width, height, bits, std::max(bits, 24), info, header_bytes, data + pixel_offset};
    return true;
}

bool choose_icon_image(const uint8_t* data, int size, IconImage* image) {
    if (!data || size < ICON_DIRECTORY || read_u16(data) != 0 || read_u16(data + 2) != 1) return false;
    int count = read_u16(data + 4);
    if (count == 0 || ICON_DIRECTORY + int64_t{count} * ICON_ENTRY > size) return false;
    const uint8_t* entry = chosen_icon_entry(data + ICON_DIRECTORY, count);
    uint32_t bytes = read_u32(entry + 8), offset = read_u32(entry + 12);
    if (bytes == 0 || int64_t{offset} + bytes > size) return false;
    image->data = data + offset;
    image->size = static_cast<int>(bytes);
    return describe_icon_image(image);
}

} // namespace rt

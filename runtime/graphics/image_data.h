// Picture data in memory: the decoder chain that turns registered formats into bitmap rows, and
// the checks of BMP and icon file headers. Portable: the image library makes the bitmaps.
//
// Every check here stays within the data's size: data shorter than its headers announce is
// refused, never read past.
#pragma once

#include <cstdint>

namespace rt {

// Bytes of one row of a bitmap of that width and bit count, padded to whole 32-bit words.
int row_bytes(int width, int bits);

// The largest width and height of an image (its record keeps them in 16 bits).
inline constexpr int MAX_IMAGE_SIDE = 32767;

// The work record of one decoding: filled by the search for a decoder, read by the image library.
struct ImageDecoder;
struct DecodeJob {
    const ImageDecoder* decoder;  // the decoder whose check accepted the data
    const uint8_t* data;
    int size;
    int width, height;
    int depth;  // 24 or 32
    // Private to the decoder (the PNG decoder's libpng state).
    void* read_structure;
    void* info_structure;
    const uint8_t* read_position;
    int colour_type, bit_depth, passes;
};

// Asks decode to put the first picture row into the last row in memory (bottom-up bitmaps).
inline constexpr int DECODE_BOTTOM_UP = 2;

// The operations of one picture format.
struct ImageDecoder {
    // Nonzero when the job's data is this format and its header was read (width, height and
    // depth filled in); on zero it has released whatever it made.
    int (*check)(DecodeJob* job);
    // Writes every row into `bits` (rows of row_length bytes, of the checked size and depth);
    // nonzero on success. Rows it could not decode keep what they held.
    int (*decode)(DecodeJob* job, uint8_t* bits, int row_length, int flags);
    // Releases what check made.
    void (*close)(DecodeJob* job);
};

// Appends a decoder to the list that find_image_decoder searches in order (room for 30).
void register_image_decoder(const ImageDecoder* decoder);
int image_decoder_count();
// Clears the process-wide job, describes the data in it and asks each decoder's check in turn:
// 1 when one accepted the data (it is the job's decoder), else 0.
int find_image_decoder(const void* data, int size);
// The process-wide job: one picture is decoded at a time, on the main thread.
DecodeJob& decode_job();

// A BMP file image whose headers, colour table and pixel rows all lie within the data.
struct BmpLayout {
    int width, height;      // height as the file gives it: negative for top-down rows
    int bit_count;          // 1, 4, 8, 16, 24 or 32
    int depth;              // of the image made from it: the bit count, at least 24
    const uint8_t* header;  // the bitmap information header, followed by its colour table
    int header_bytes;       // of the header, its colour masks and its colour table
    const uint8_t* pixels;
};

// The most that header_bytes can be: the largest header, colour masks and 256 colours.
inline constexpr int MAX_BMP_HEADER_BYTES = 124 + 12 + 4 * 256;

// True for data that starts with "BM" and is a whole uncompressed (or bit-field) bitmap with one
// of the platform's bitmap information headers (40, 52, 56, 108 or 124 bytes), at most
// MAX_IMAGE_SIDE pixels a side; then `layout` describes it.
bool read_bmp_layout(const uint8_t* data, int size, BmpLayout* layout);

// The image data of the chosen entry of an icon file.
struct IconImage {
    const uint8_t* data;
    int size;
    int width, height;  // from its bitmap header (the height of one of its two masks); 0 for PNG data
    int bit_count;      // from its bitmap header; 32 for PNG data
};

// True for data that starts with the icon file words 0, 1 and an entry count, whose entries and
// chosen image data lie within the data. The chosen entry: among those as wide and high as the
// first, the one of most bits per pixel, the earlier one on equal counts.
bool choose_icon_image(const uint8_t* data, int size, IconImage* image);

} // namespace rt

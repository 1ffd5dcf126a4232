// Image objects: numbered bitmap sections of 24 or 32 bits (bottom-up rows; blue, green, red and
// straight alpha) or icons, made blank or caught from BMP, icon or decodable data in memory.
#pragma once

#include "graphics/image_data.h"

#include <windows.h>

#include <cstdint>

namespace rt {

struct ImageRecord {
    HANDLE handle;  // the HBITMAP, or the HICON of an icon; null: the number holds no image
    int16_t width;
    int16_t height;
    uint8_t depth;  // bits per pixel (of an icon: of its colour bitmap)
};

void init_image_library();

// A new image of that size and depth (1, 4, 8, 16, 24 or 32 bits): 32-bit pixels are the words
// 0xFF000000 (opaque black), other depths black. Returns the bitmap handle for a number, the
// record's identity for DYNAMIC_NUMBER, 0 on failure. An image the number held is freed first,
// whatever the outcome.
intptr_t create_image(intptr_t number, int width, int height, int depth);
// An image from picture data in memory, recognised in this order: a BMP file (its pixels raised
// to at least 24 bits), an icon file, then the registered decoders (e.g. PNG). Results as
// create_image; data that none of them accepts gives 0.
intptr_t catch_image(intptr_t number, const void* data, int size);
// The image's HBITMAP or HICON, or null.
HANDLE image_handle(intptr_t number);
// The live record of an image number or identity, or null.
ImageRecord* find_image(intptr_t number);
// DYNAMIC_NUMBER itself does nothing.
void free_image(intptr_t number);
void free_all_images();

// A bottom-up section of that size (each side 1 to MAX_IMAGE_SIDE) and bit count; palette
// depths get a grey ramp as their colour table. Null on failure.
HBITMAP new_dib(int width, int height, int bits);
// The icon's size and depth, from its colour bitmap (or, for a monochrome icon, its mask, which
// holds the AND and XOR halves); false for a handle that is no icon.
bool describe_icon(HICON icon, BITMAP* description);
// A section of the job's size and depth with the rows of the decoder that checked the data, then
// the decoder closed. Rows that failed to decode stay zero; null when no section could be made.
HBITMAP decode_to_new_bitmap();

} // namespace rt

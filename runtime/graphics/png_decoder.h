// The PNG decoder of the image library, over libpng 1.6: PNG data in memory becomes 24-bit
// (blue, green, red) or 32-bit (blue, green, red, straight alpha) rows. Portable.
#pragma once

#include "graphics/image_data.h"

namespace rt {

// Adds the PNG decoder to the image library's decoder list, once however often it is called.
void register_png_decoder();

// 1 when the job's data is PNG and its header was read: width, height and depth (24 for colour
// without alpha, 32 with alpha) filled in, libpng's structures kept in the job. 0 otherwise,
// with nothing kept: data under 8 bytes or without the signature makes no structures at all.
int png_check(DecodeJob* job);
// Writes the rows (the first PNG row to the last memory row with DECODE_BOTTOM_UP); 1 on success,
// 0 when the image data is corrupt or ends early: the rows decoded until then stay.
int png_decode(DecodeJob* job, uint8_t* bits, int row_length, int flags);
// Releases what png_check kept.
void png_close(DecodeJob* job);

extern const ImageDecoder PNG_DECODER;

} // namespace rt

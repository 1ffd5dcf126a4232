// Pictures of the picture-display tests: image objects whose pixels the tests set one by one and
// know, and the colour a per-pixel-alpha pixel must show over a background.
#pragma once

#include <windows.h>

#include <cstdint>

namespace gui_test {

// A colour for every (x, y) up to 1024 x 1024, none two alike; pictures of different seeds differ.
COLORREF pattern_at(int x, int y, int seed);
// A new 24-bit image under `number` holding pattern_at(x, y, seed) (y = 0 is the top row).
HBITMAP pattern_image(intptr_t number, int width, int height, int seed);

// Sets a pixel of a 32-bit image (y = 0 is the top row): the colour with straight alpha.
void set_pixel_32(HBITMAP image, int x, int y, COLORREF colour, int alpha);
// Sets every pixel of the image's columns [left, right).
void fill_columns_32(HBITMAP image, int left, int right, COLORREF colour, int alpha);

// What a straight-alpha colour shows over a background once premultiplied (channel * alpha >> 8)
// and blended (source + background * (255 - alpha) / 255).
COLORREF blended(COLORREF colour, int alpha, COLORREF background);
// True when each channel differs by at most one (the rounding of the blend).
bool nearly_equal(COLORREF a, COLORREF b);

} // namespace gui_test

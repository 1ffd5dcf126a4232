// Pixel arithmetic of the drawing library: colours, the plot rule of each drawing mode, boxes and
// the blending of text coverage masks, on the bottom-up 24- and 32-bit rows of images.
// Portable: it touches memory only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// Red in bits 0-7, green 8-15, blue 16-23, alpha 24-31. In a pixel the bytes lie blue, green,
// red (, alpha): a colour's red byte is a pixel's third byte.
using Colour = uint32_t;

// Each component is taken modulo 256. rgb leaves alpha 0.
Colour rgb(int red, int green, int blue);
Colour rgba(int red, int green, int blue, int alpha);

// Drawing modes; flags that combine.
inline constexpr int DRAW_DEFAULT = 0;         // colours replace the colour bytes
inline constexpr int DRAW_TRANSPARENT = 1;     // text without its background
inline constexpr int DRAW_XOR = 2;             // colour bytes exclusive-or the colour
inline constexpr int DRAW_OUTLINED = 4;        // boxes as outlines
inline constexpr int DRAW_ALPHA_CHANNEL = 8;   // only the alpha byte is written (32 bits)
inline constexpr int DRAW_ALPHA_BLEND = 16;    // blended by alpha, the alpha byte updated
inline constexpr int DRAW_ALPHA_CLIP = 32;     // blended by alpha, the alpha byte kept
inline constexpr int DRAW_GRADIENT = 64;       // no gradient is ever set: the front colour
inline constexpr int DRAW_CUSTOM = 128;        // no custom routine is ever set: nothing drawn

// A colour as the plot rules use it, computed once per colour change: red, green and blue are
// multiplied by alpha in the blending modes.
struct ColourComponents {
    int red, green, blue;
    int alpha, inverse_alpha;  // a and 255 - a
};

// True for the blending modes (16 or 32 without 2, 64 or 128).
bool premultiplies(int mode);
ColourComponents apply_colour(Colour colour, bool premultiply);

// The pixel memory of an output: `height` rows of `row_length` bytes, the bottom row first, so
// that picture row y (0 = top) lies at memory row height - 1 - y. Depth 24 or 32.
struct PixelRows {
    uint8_t* bits;
    int row_length;
    int width, height, depth;
};

uint8_t* pixel_address(const PixelRows& rows, int x, int y);

using PlotRoutine = void (*)(uint8_t* pixel, const ColourComponents& colour);
using ReadPointRoutine = Colour (*)(const uint8_t* pixel);

// The plot rule of a mode on a depth.
PlotRoutine plot_routine(int mode, int depth);
// 32 bits with alpha in the mode (8, 16, 32 or 128): the pixel with its alpha; else alpha 0.
ReadPointRoutine read_point_routine(int mode, int depth);

// Plots every pixel of the box that lies on the output. A negative width or height extends the
// box to the left or upwards. Outlined: its four edges, each pixel plotted once.
void plot_box(const PixelRows& rows, PlotRoutine plot, const ColourComponents& colour,
              int x, int y, int width, int height, bool outlined);

// What a coverage mask is blended with: the drawing mode, whether the text's background is drawn
// too (opaque), and the applied front and back colours.
struct MaskColours {
    int mode;
    bool opaque;
    Colour front, back;
};

// Blends a coverage mask (24-bit top-down rows, white where glyphs cover a pixel, black where
// not) of width x height pixels into the output with its top-left pixel at (x, y). Only the part
// that lies on the output is touched.
void blend_coverage_mask(const PixelRows& output, const uint8_t* mask, int mask_row_length,
                         int x, int y, int width, int height, const MaskColours& colours);

// Whole 32-bit pixels (blue, green, red, alpha), as the image library and the alpha services
// handle them; `count` pixels without row padding.

// True when any pixel's alpha byte is nonzero.
bool any_alpha(const uint8_t* pixels, size_t count);
// Pixels whose alpha bytes are all 0 carry no alpha: they become opaque. One nonzero alpha byte
// keeps every alpha byte as it is.
void make_opaque_without_alpha(uint8_t* pixels, size_t count);
// For showing with per-pixel alpha blending: colour bytes of pixels below alpha 255 become
// c x alpha >> 8.
void premultiply_pixels(uint8_t* pixels, size_t count);
// The same for a disabled look: each pixel's luminance L = (3 red + 6 green + blue) / 10, pulled
// 30 % towards the range 64 to 192, times alpha / 255 in all three colour bytes.
void premultiply_grey_pixels(uint8_t* pixels, size_t count);
// A one-bit mask (rows of mask_row_length bytes, most significant bit first) of top-down 32-bit
// pixels: 0 (black) where alpha is nonzero, 1 (white) elsewhere. True when any bit is black.
bool alpha_mask_rows(const uint8_t* pixels, int width, int height, uint8_t* mask, int mask_row_length);

} // namespace rt

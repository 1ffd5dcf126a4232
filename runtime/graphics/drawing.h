// Drawing onto images: boxes written pixel by pixel into the image's memory, and text rendered by
// GDI as a white-on-black coverage mask that is blended into the image in the current mode.
// One drawing at a time for the process: image_output, start_drawing, drawing calls,
// stop_drawing. Drawing calls while no drawing is in progress do nothing (and give 0, or x).
#pragma once

#include "graphics/pixels.h"

#include <windows.h>

#include <cstdint>

namespace rt {

// The one drawing context of the process while a drawing is prepared or in progress.
struct DrawingContext {
    PlotRoutine plot;             // the plot rule of the mode and depth
    ReadPointRoutine read_point;  // as the mode shows pixels
    int width, height;
    int depth;  // 24 or 32
    Colour front_colour;  // 0xFFFFFFFF
    Colour back_colour;   // 0xFF000000
    Colour applied_front_colour, applied_back_colour;
    uint8_t* pixels;  // the output's bottom-up rows
    int row_length;
    int mode;
    bool premultiply;
    ColourComponents applied_front, applied_back;
    HFONT font;
    HDC text_dc;          // non-null exactly while the drawing is in progress
    HBITMAP text_buffer;  // 24-bit top-down, as wide as the output, at least 50 rows
    uint8_t* text_pixels;
    int text_row_length;
    int text_buffer_height;
    int italic_overhang;
    HDC output_dc;  // holds the drawn bitmap selected
    int saved_batch_limit;
    HBITMAP temporary_copy;  // 24-bit copy of an image of fewer bits, or null
    HBITMAP image_bitmap;
};

// The stock system font for set_drawing_font.
inline const HFONT SYSTEM_DRAWING_FONT = reinterpret_cast<HFONT>(static_cast<intptr_t>(-1));

void init_drawing_library();

// Prepares the image's bitmap for drawing (a 24-bit copy for images of fewer bits) and returns
// the new current context; null for a number without an image, an icon, or when GDI cannot make
// what is needed. A drawing in progress is stopped first.
DrawingContext* image_output(intptr_t number);
// Starts drawing on the current context: its output device context, or null (the context is
// then released and there is no current context).
HDC start_drawing(DrawingContext* context);
// Ends the drawing (an image of fewer than 24 bits gets its copy back) and frees the context.
void stop_drawing();

void set_drawing_mode(int mode);
// Plots a box in `colour` by the mode's rule (the front colour stays as it is).
void draw_box(int x, int y, int width, int height, Colour colour);
// Selects the font for text (SYSTEM_DRAWING_FONT for the stock system font); a handle that is
// not a font changes nothing.
void set_drawing_font(HFONT font);
// Draws the text with its top-left at (x, y) in the front colour; returns x plus its width, or x
// when nothing is drawn.
int draw_text(int x, int y, const char* text);
// Blends a 24-bit top-down coverage mask of width x height pixels, rows of mask_row_length
// bytes, into the output with its top-left at (x, y), in the mode, the front colour and (for
// opaque text) the back colour.
void blend_text_mask(const uint8_t* mask, int mask_row_length, int x, int y, int width, int height);
// The output's pixel as a colour (with alpha on 32 bits in the alpha modes); 0 outside.
Colour read_point(int x, int y);
int text_width(const char* text);
int text_height(const char* text);

} // namespace rt

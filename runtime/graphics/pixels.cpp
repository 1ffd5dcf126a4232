// Plot rules, boxes and coverage-mask blending on image rows.
//
// All arithmetic is on integers with truncating division, so that every build (the 32-bit one's
// x87 excess precision included) gives the same bytes; a coverage k is the sum s of a mask
// pixel's three bytes over 765, and a x k is computed as a x s / 765.
#include "graphics/pixels.h"

#include <algorithm>

namespace rt {

namespace {

constexpr int FULL_COVERAGE = 3 * 255;

enum PlotKind { PLOT_COLOUR, PLOT_XOR, PLOT_ALPHA, PLOT_BLEND, PLOT_BLEND_KEEPING_ALPHA, PLOT_NOTHING };

uint8_t byte_of(int value) { return static_cast<uint8_t>(value); }

void plot_nothing(uint8_t*, const ColourComponents&) {}

void plot_colour(uint8_t* pixel, const ColourComponents& colour) {
    pixel[0] = byte_of(colour.blue);
    pixel[1] = byte_of(colour.green);
    pixel[2] = byte_of(colour.red);
}

void plot_xor(uint8_t* pixel, const ColourComponents& colour) {
    pixel[0] ^= byte_of(colour.blue);
    pixel[1] ^= byte_of(colour.green);
    pixel[2] ^= byte_of(colour.red);
}

void plot_alpha(uint8_t* pixel, const ColourComponents& colour) { pixel[3] = byte_of(colour.alpha); }

// 24 bits: c = (c x (255 - a) + C) / 255, C premultiplied.
void plot_blend_24(uint8_t* pixel, const ColourComponents& colour) {
    const int premultiplied[3] = {colour.blue, colour.green, colour.red};
    for (int i = 0; i < 3; ++i) pixel[i] = byte_of((pixel[i] * colour.inverse_alpha + premultiplied[i]) / 255);
}

// 32 bits over a pixel of alpha d: the straight colour over a transparent pixel, else the
// weighted mean of both by their alphas.
void plot_blend_keeping_alpha_32(uint8_t* pixel, const ColourComponents& colour) {
    int a = colour.alpha, d = pixel[3];
    if (a == 0) return;
    const int premultiplied[3] = {colour.blue, colour.green, colour.red};
    int weight = a * 255 + d * colour.inverse_alpha;
    for (int i = 0; i < 3; ++i)
        pixel[i] = byte_of(d == 0 ? premultiplied[i] / a
                                  : (pixel[i] * d * colour.inverse_alpha + premultiplied[i] * 255) / weight);
}

void plot_blend_32(uint8_t* pixel, const ColourComponents& colour) {
    int d = pixel[3];
    plot_blend_keeping_alpha_32(pixel, colour);
    pixel[3] = byte_of((d * colour.inverse_alpha + colour.alpha * 255) / 255);
}

// The first rule that the mode matches.
PlotKind plot_kind(int mode) {
    if (mode & DRAW_CUSTOM) return PLOT_NOTHING;
    if (mode & DRAW_GRADIENT) return PLOT_COLOUR;
    if (mode & DRAW_XOR) return PLOT_XOR;
    if (mode & DRAW_ALPHA_CHANNEL) return PLOT_ALPHA;
    if (mode & DRAW_ALPHA_BLEND) return PLOT_BLEND;
    if (mode & DRAW_ALPHA_CLIP) return PLOT_BLEND_KEEPING_ALPHA;
    return PLOT_COLOUR;
}

Colour colour_bytes_of(const uint8_t* pixel) { return rgb(pixel[2], pixel[1], pixel[0]); }
Colour pixel_with_alpha(const uint8_t* pixel) { return rgba(pixel[2], pixel[1], pixel[0], pixel[3]); }

// Plots the part of the box that lies on the output; the box is already normalised.
void plot_clipped(const PixelRows& rows, PlotRoutine plot, const ColourComponents& colour,
                  int64_t x, int64_t y, int64_t width, int64_t height) {
    if (x < 0) width += x, x = 0;
    if (y < 0) height += y, y = 0;
    width = std::min<int64_t>(width, rows.width - x);
    height = std::min<int64_t>(height, rows.height - y);
    if (width <= 0 || height <= 0) return;
    int bytes_per_pixel = rows.depth / 8;
    for (int64_t row = y; row < y + height; ++row) {
        uint8_t* pixel = pixel_address(rows, static_cast<int>(x), static_cast<int>(row));
        for (int64_t i = 0; i < width; ++i, pixel += bytes_per_pixel) plot(pixel, colour);
    }
}

// A colour's straight components, its colour bytes in pixel order (blue, green, red).
struct Straight {
    int bytes[3];
    int alpha;
};

Straight straight(Colour colour) {
    return {{static_cast<int>(colour >> 16 & 0xFF), static_cast<int>(colour >> 8 & 0xFF), static_cast<int>(colour & 0xFF)},
            static_cast<int>(colour >> 24)};
}

ColourComponents unweighted(const Straight& colour) { return {colour.bytes[2], colour.bytes[1], colour.bytes[0], 0, 0}; }

// The front colour at `opacity` composited over the back colour, weighted by the back colour's
// alpha: what one pixel of an opaque text cell puts onto the output.
Straight over_background(const Straight& front, int opacity, const Straight& back) {
    int weight = opacity * 255 + back.alpha * (255 - opacity);  // the result's alpha x 255
    if (weight == 0) return {};
    Straight result{};
    for (int i = 0; i < 3; ++i)
        result.bytes[i] = (front.bytes[i] * opacity * 255 + back.bytes[i] * back.alpha * (255 - opacity)) / weight;
    result.alpha = weight / 255;
    return result;
}

// The colours of one mask blend, decomposed once.
struct MaskBlend {
    int mode;
    bool opaque;
    Straight front, back;
    PlotRoutine blend;  // the box rule of ALPHA_BLEND or ALPHA_CLIP, for the blending modes
};

// One mask pixel of coverage sum s (0 to 765) combined into one output pixel.
// The alpha-blending rule is the box's, with the colour's alpha scaled by the coverage.
void blend_mask_pixel(uint8_t* pixel, int depth, int s, const MaskBlend& blend) {
    int mode = blend.mode;
    const Straight &front = blend.front, &back = blend.back;
    if (mode & DRAW_CUSTOM) return;
    if (mode & DRAW_XOR) {
        if (2 * s > FULL_COVERAGE) plot_xor(pixel, unweighted(front));
        else if (blend.opaque) plot_xor(pixel, unweighted(back));
        return;
    }
    if (mode & DRAW_ALPHA_CHANNEL) {
        if (depth != 32) return;
        int underneath = blend.opaque ? back.alpha : pixel[3];
        pixel[3] = byte_of((front.alpha * s + (FULL_COVERAGE - s) * underneath) / FULL_COVERAGE);
        return;
    }
    if (mode & (DRAW_ALPHA_BLEND | DRAW_ALPHA_CLIP)) {
        int opacity = front.alpha * s / FULL_COVERAGE;
        Straight colour = front;
        if (blend.opaque) {
            colour = over_background(front, opacity, back);
            opacity = colour.alpha;
        }
        const int* c = colour.bytes;
        blend.blend(pixel, {c[2] * opacity, c[1] * opacity, c[0] * opacity, opacity, 255 - opacity});
        return;
    }
    int opacity = s / 3;  // k x 255
    for (int i = 0; i < 3; ++i) {
        int underneath = blend.opaque ? back.bytes[i] : pixel[i];
        pixel[i] = byte_of((front.bytes[i] * opacity + underneath * (255 - opacity)) / 255);
    }
}

} // namespace

Colour rgb(int red, int green, int blue) {
    return static_cast<Colour>(red & 0xFF) | static_cast<Colour>(green & 0xFF) << 8 | static_cast<Colour>(blue & 0xFF) << 16;
}

Colour rgba(int red, int green, int blue, int alpha) { return rgb(red, green, blue) | static_cast<Colour>(alpha & 0xFF) << 24; }

bool premultiplies(int mode) {
    return (mode & (DRAW_ALPHA_BLEND | DRAW_ALPHA_CLIP)) && !(mode & (DRAW_XOR | DRAW_GRADIENT | DRAW_CUSTOM));
}

ColourComponents apply_colour(Colour colour, bool premultiply) {
    Straight c = straight(colour);
    int factor = premultiply ? c.alpha : 1;
    return {c.bytes[2] * factor, c.bytes[1] * factor, c.bytes[0] * factor, c.alpha, 255 - c.alpha};
}

uint8_t* pixel_address(const PixelRows& rows, int x, int y) {
    return rows.bits + static_cast<std::ptrdiff_t>(rows.height - 1 - y) * rows.row_length
           + static_cast<std::ptrdiff_t>(x) * (rows.depth / 8);
}

PlotRoutine plot_routine(int mode, int depth) {
    static constexpr PlotRoutine ROUTINES[][2] = {
        // 24 bits        32 bits
        {plot_colour, plot_colour},                  // PLOT_COLOUR: the alpha byte is kept
        {plot_xor, plot_xor},                        // PLOT_XOR
        {plot_nothing, plot_alpha},                  // PLOT_ALPHA: 24 bits have no alpha byte
        {plot_blend_24, plot_blend_32},              // PLOT_BLEND
        {plot_blend_24, plot_blend_keeping_alpha_32},  // PLOT_BLEND_KEEPING_ALPHA
        {plot_nothing, plot_nothing},                // PLOT_NOTHING
    };
    return ROUTINES[plot_kind(mode)][depth == 32 ? 1 : 0];
}

ReadPointRoutine read_point_routine(int mode, int depth) {
    bool with_alpha = depth == 32 && (mode & (DRAW_ALPHA_CHANNEL | DRAW_ALPHA_BLEND | DRAW_ALPHA_CLIP | DRAW_CUSTOM));
    return with_alpha ? pixel_with_alpha : colour_bytes_of;
}

void plot_box(const PixelRows& rows, PlotRoutine plot, const ColourComponents& colour,
              int x, int y, int width, int height, bool outlined) {
    int64_t left = x, top = y, w = width, h = height;
    if (w < 0) left += w, w = -w;
    if (h < 0) top += h, h = -h;
    if (!outlined) return plot_clipped(rows, plot, colour, left, top, w, h);
    if (w == 0 || h == 0) return;
    plot_clipped(rows, plot, colour, left, top, w, 1);
    if (h > 1) plot_clipped(rows, plot, colour, left, top + h - 1, w, 1);
    plot_clipped(rows, plot, colour, left, top + 1, 1, h - 2);
    if (w > 1) plot_clipped(rows, plot, colour, left + w - 1, top + 1, 1, h - 2);
}

void blend_coverage_mask(const PixelRows& output, const uint8_t* mask, int mask_row_length,
                         int x, int y, int width, int height, const MaskColours& colours) {
    int64_t w = std::min<int64_t>(width, static_cast<int64_t>(output.width) - x);
    int64_t h = std::min<int64_t>(height, static_cast<int64_t>(output.height) - y);
    if (w <= 0 || h <= 0 || x >= output.width || y >= output.height) return;
    int64_t first_column = x < 0 ? -static_cast<int64_t>(x) : 0;
    int64_t first_row = y < 0 ? -static_cast<int64_t>(y) : 0;
    MaskBlend blend{colours.mode, colours.opaque, straight(colours.front), straight(colours.back),
                    plot_routine(colours.mode & (DRAW_ALPHA_BLEND | DRAW_ALPHA_CLIP), output.depth)};
    for (int64_t i = first_row; i < h; ++i) {
        const uint8_t* coverage = mask + i * mask_row_length;
        for (int64_t j = first_column; j < w; ++j) {
            const uint8_t* m = coverage + j * 3;
            uint8_t* pixel = pixel_address(output, static_cast<int>(x + j), static_cast<int>(y + i));
            blend_mask_pixel(pixel, output.depth, m[0] + m[1] + m[2], blend);
        }
    }
}

bool any_alpha(const uint8_t* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (pixels[4 * i + 3]) return true;
    return false;
}

void make_opaque_without_alpha(uint8_t* pixels, size_t count) {
    if (any_alpha(pixels, count)) return;
    for (size_t i = 0; i < count; ++i) pixels[4 * i + 3] = 255;
}

void premultiply_pixels(uint8_t* pixels, size_t count) {
    for (uint8_t* pixel = pixels; pixel < pixels + 4 * count; pixel += 4) {
        int alpha = pixel[3];
        if (alpha == 255) continue;
        for (int i = 0; i < 3; ++i) pixel[i] = byte_of(pixel[i] * alpha >> 8);
    }
}

void premultiply_grey_pixels(uint8_t* pixels, size_t count) {
    for (uint8_t* pixel = pixels; pixel < pixels + 4 * count; pixel += 4) {
        int luminance = (3 * pixel[2] + 6 * pixel[1] + pixel[0]) / 10;
        if (luminance < 64) luminance = 64 + (luminance - 64) * 7 / 10;
        else if (luminance > 192) luminance = 192 + (luminance - 192) * 7 / 10;
        uint8_t grey = byte_of(luminance * pixel[3] / 255);
        pixel[0] = pixel[1] = pixel[2] = grey;
    }
}

bool alpha_mask_rows(const uint8_t* pixels, int width, int height, uint8_t* mask, int mask_row_length) {
    bool any_black = false;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = mask + static_cast<std::ptrdiff_t>(y) * mask_row_length;
        std::fill(row, row + mask_row_length, uint8_t{0});
        for (int x = 0; x < width; ++x) {
            bool opaque = pixels[(static_cast<size_t>(y) * width + x) * 4 + 3] != 0;
            any_black |= opaque;
            if (!opaque) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
    return any_black;
}

} // namespace rt

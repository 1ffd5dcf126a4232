// The drawing context of the one drawing in progress, its image output and its text rendering.
//
// Invariants: there is at most one context, the current one; it is in progress exactly while
// its text device context exists; the applied components always follow the applied colours and
// the premultiply flag of the mode. GDI batching is off (limit 1) from image_output until the
// context is released, so that text GDI renders is complete before the mask is read.
#include "graphics/drawing.h"

#include "core/memory.h"
#include "graphics/gdi_scope.h"
#include "graphics/images.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace rt {

namespace {

struct DrawingState {
    DrawingContext* current;
};

DrawingState* state;

constexpr Colour INITIAL_FRONT_COLOUR = 0xFFFFFFFF;
constexpr Colour INITIAL_BACK_COLOUR = 0xFF000000;
constexpr int MIN_TEXT_BUFFER_ROWS = 50;
constexpr int TEXT_BUFFER_SPARE_ROWS = 20;

DrawingContext* drawing_in_progress() {
    DrawingContext* context = state->current;
    return context && context->text_dc ? context : nullptr;
}

PixelRows output_rows(const DrawingContext& context) {
    return {context.pixels, context.row_length, context.width, context.height, context.depth};
}

void apply_front(DrawingContext& context, Colour colour) {
    context.applied_front_colour = colour;
    context.applied_front = apply_colour(colour, context.premultiply);
}

void apply_back(DrawingContext& context, Colour colour) {
    context.applied_back_colour = colour;
    context.applied_back = apply_colour(colour, context.premultiply);
}

void choose_mode(DrawingContext& context, int mode) {
    context.mode = mode;
    context.premultiply = premultiplies(mode);
    context.plot = plot_routine(mode, context.depth);
    context.read_point = read_point_routine(mode, context.depth);
    apply_front(context, context.applied_front_colour);
    apply_back(context, context.applied_back_colour);
}

DrawingContext* make_context(int depth) {
    auto* context = static_cast<DrawingContext*>(main_allocate(sizeof(DrawingContext)));
    state->current = context;
    context->depth = depth;
    context->front_colour = INITIAL_FRONT_COLOUR;
    context->back_colour = INITIAL_BACK_COLOUR;
    choose_mode(*context, DRAW_DEFAULT);
    return context;
}

// A 24-bit section with the pixels of an image of fewer bits.
HBITMAP copy_to_24_bits(HBITMAP bitmap, int width, int height) {
    DeletedObject<HBITMAP> copy(new_dib(width, height, 24));
    CreatedDc source = memory_dc(), target = memory_dc();
    if (!copy || !source || !target) return nullptr;
    SelectedObject from(source.get(), bitmap), to(target.get(), copy.get());
    if (!from || !to || !BitBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY)) return nullptr;
    return copy.take();
}

// Ends the image output: copies a temporary copy back into the image when asked, deletes what
// image_output made and restores batching.
void release_image_output(DrawingContext& context, bool copy_back) {
    if (copy_back && context.temporary_copy) {
        CreatedDc target = memory_dc();
        SelectedObject selected(target.get(), context.image_bitmap);
        if (selected) BitBlt(target.get(), 0, 0, context.width, context.height, context.output_dc, 0, 0, SRCCOPY);
    }
    DeleteDC(context.output_dc);
    if (context.temporary_copy) DeleteObject(context.temporary_copy);
    GdiSetBatchLimit(static_cast<DWORD>(context.saved_batch_limit));
}

void free_context(DrawingContext* context) {
    main_free(context);
    state->current = nullptr;
}

// How far an italic font's "H" reaches past its advance width.
int italic_overhang(HFONT font) {
    CreatedDc dc = memory_dc();
    SelectedObject selected(dc.get(), font);
    TEXTMETRICA metrics{};
    if (!selected || !GetTextMetricsA(dc.get(), &metrics) || !metrics.tmItalic) return 0;
    SIZE h{};
    GetTextExtentPoint32A(dc.get(), "H", 1, &h);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2 * h.cx, -2 * h.cy, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    DeletedObject<HBITMAP> canvas(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!canvas) return 0;
    SelectedObject drawn_on(dc.get(), canvas.get());
    SetBkMode(dc.get(), OPAQUE);
    SetBkColor(dc.get(), 0);
    SetTextColor(dc.get(), 0xFFFFFF);
    TextOutA(dc.get(), 0, 0, "H", 1);
    GdiFlush();
    int row_length = row_bytes(2 * h.cx, 24);
    for (int column = 2 * h.cx - 1; column >= 0; --column)
        for (int row = 0; row < h.cy; ++row) {
            const uint8_t* pixel = static_cast<uint8_t*>(bits) + row * row_length + column * 3;
            if (pixel[0] | pixel[1] | pixel[2]) return column - h.cx + 2;
        }
    return 0;
}

// Replaces the text buffer with one of `rows` rows; on failure the old one stays.
void grow_text_buffer(DrawingContext& context, int rows) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), context.width, -rows, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP buffer = CreateDIBSection(context.text_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!buffer) return;
    if (!SelectObject(context.text_dc, buffer)) {  // the old buffer stays selected, so it stays
        DeleteObject(buffer);
        return;
    }
    if (context.text_buffer) DeleteObject(context.text_buffer);
    context.text_buffer = buffer;
    context.text_pixels = static_cast<uint8_t*>(bits);
    context.text_buffer_height = rows;
    context.text_row_length = row_bytes(context.width, 24);
    SetBkMode(context.text_dc, OPAQUE);
    SetTextAlign(context.text_dc, 0);
    SetBkColor(context.text_dc, 0);
    SetTextColor(context.text_dc, 0xFFFFFF);
}

// The extent of a text in the drawing's font; false for no text or no drawing.
bool text_extent(const DrawingContext* context, const char* text, SIZE* extent) {
    if (!context || !text || !*text) return false;
    int length = static_cast<int>(std::min<size_t>(std::strlen(text), INT_MAX));
    return GetTextExtentPoint32A(context->text_dc, text, length, extent) != 0;
}

void follow_colours(DrawingContext& context) {
    if (context.front_colour != context.applied_front_colour) apply_front(context, context.front_colour);
    if (context.back_colour != context.applied_back_colour) apply_back(context, context.back_colour);
}

} // namespace

void init_drawing_library() { state = create_library_state<DrawingState>(); }

DrawingContext* image_output(intptr_t number) {
    stop_drawing();
    ImageRecord* image = find_image(number);
    if (!image || GetObjectType(image->handle) != OBJ_BITMAP) return nullptr;  // icons have no pixels to draw on
    auto image_bitmap = static_cast<HBITMAP>(image->handle);
    HBITMAP copy = image->depth < 24 ? copy_to_24_bits(image_bitmap, image->width, image->height) : nullptr;
    if (image->depth < 24 && !copy) return nullptr;
    HBITMAP drawn = copy ? copy : image_bitmap;
    DIBSECTION section{};
    CreatedDc output_dc(GetObjectA(drawn, sizeof section, &section) == sizeof section && section.dsBm.bmBits
                            ? CreateCompatibleDC(nullptr) : nullptr);
    if (!output_dc || !SelectObject(output_dc.get(), drawn)) {
        if (copy) DeleteObject(copy);
        return nullptr;
    }
    DrawingContext* context = make_context(section.dsBm.bmBitsPixel == 32 ? 32 : 24);
    context->temporary_copy = copy;
    context->image_bitmap = image_bitmap;
    context->saved_batch_limit = static_cast<int>(GdiGetBatchLimit());
    GdiSetBatchLimit(1);
    context->output_dc = output_dc.take();
    context->pixels = static_cast<uint8_t*>(section.dsBm.bmBits);
    context->row_length = row_bytes(section.dsBm.bmWidth, section.dsBm.bmBitsPixel);
    context->width = image->width;
    context->height = image->height;
    return context;
}

HDC start_drawing(DrawingContext* context) {
    if (!context || context != state->current) return nullptr;  // only the current context can start
    if (context->text_dc) return context->output_dc;
    context->text_dc = CreateCompatibleDC(nullptr);
    if (!context->text_dc) {
        release_image_output(*context, false);
        free_context(context);
        return nullptr;
    }
    set_drawing_font(SYSTEM_DRAWING_FONT);
    return context->output_dc;
}

void stop_drawing() {
    DrawingContext* context = state->current;
    if (!context) return;
    if (context->text_dc) DeleteDC(context->text_dc);  // the text buffer and the font leave it
    if (context->text_buffer) DeleteObject(context->text_buffer);
    release_image_output(*context, true);
    free_context(context);
}

void set_drawing_mode(int mode) {
    if (DrawingContext* context = drawing_in_progress()) choose_mode(*context, mode);
}

void draw_box(int x, int y, int width, int height, Colour colour) {
    DrawingContext* context = drawing_in_progress();
    if (!context) return;
    if (colour != context->applied_front_colour) apply_front(*context, colour);
    plot_box(output_rows(*context), context->plot, context->applied_front, x, y, width, height, (context->mode & DRAW_OUTLINED) != 0);
}

void set_drawing_font(HFONT font) {
    DrawingContext* context = drawing_in_progress();
    if (!context) return;
    if (font == SYSTEM_DRAWING_FONT) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    if (GetObjectType(font) != OBJ_FONT || !SelectObject(context->text_dc, font)) return;
    context->font = font;
    context->italic_overhang = italic_overhang(font);
    SIZE hg{};
    GetTextExtentPoint32A(context->text_dc, "Hg", 2, &hg);
    int rows = std::max<int>(hg.cy + TEXT_BUFFER_SPARE_ROWS, MIN_TEXT_BUFFER_ROWS);
    if (rows > context->text_buffer_height) grow_text_buffer(*context, rows);
}

int draw_text(int x, int y, const char* text) {
    DrawingContext* context = drawing_in_progress();
    if (!context) return x;
    follow_colours(*context);
    SIZE extent{};
    if (!context->text_buffer || !text_extent(context, text, &extent)) return x;
    if (context->italic_overhang > 0) {
        std::memset(context->text_pixels, 0, static_cast<size_t>(context->text_row_length) * context->text_buffer_height);
        extent.cx += context->italic_overhang;
    }
    int rows = std::min<int>(extent.cy, context->text_buffer_height);
    int shift = x < 0 ? x : 0;  // renders only the part from column 0 on
    if (!TextOutA(context->text_dc, shift, 0, text, static_cast<int>(std::strlen(text)))) return x;
    blend_text_mask(context->text_pixels, context->text_row_length, x - shift, y, extent.cx + shift, rows);
    return static_cast<int>(std::min<int64_t>(int64_t{x} + extent.cx, INT_MAX));
}

void blend_text_mask(const uint8_t* mask, int mask_row_length, int x, int y, int width, int height) {
    DrawingContext* context = drawing_in_progress();
    if (!context || !mask) return;
    follow_colours(*context);  // text is in the front colour, whatever a box applied since
    MaskColours colours{context->mode, !(context->mode & DRAW_TRANSPARENT), context->applied_front_colour,
                        context->applied_back_colour};
    blend_coverage_mask(output_rows(*context), mask, mask_row_length, x, y, width, height, colours);
}

Colour read_point(int x, int y) {
    DrawingContext* context = drawing_in_progress();
    if (!context || x < 0 || y < 0 || x >= context->width || y >= context->height) return 0;
    return context->read_point(pixel_address(output_rows(*context), x, y));
}

int text_width(const char* text) {
    DrawingContext* context = drawing_in_progress();
    SIZE extent{};
    return text_extent(context, text, &extent) ? extent.cx + context->italic_overhang : 0;
}

int text_height(const char* text) {
    SIZE extent{};
    return text_extent(drawing_in_progress(), text, &extent) ? extent.cy : 0;
}

} // namespace rt

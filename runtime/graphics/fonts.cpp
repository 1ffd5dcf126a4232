// The font table.
//
// Invariant: a record holds a font handle only once CreateFontA made it.
#include "graphics/fonts.h"

#include "core/objects.h"
#include "graphics/gdi_scope.h"

namespace rt {

namespace {

ObjectTable* font_table;

BYTE flag(int flags, int which) { return (flags & which) ? 1 : 0; }

} // namespace

void init_font_library() { font_table = create_table_of<FontRecord>(16, free_font); }

intptr_t load_font(intptr_t number, const char* name, int size, int flags) {
    auto* record = claim<FontRecord>(font_table, number);
    if (!record) return 0;
    CreatedDc display = display_dc();
    HFONT font = nullptr;
    if (display) {
        // Negative: the character height (not the cell's) of `size` points at the display's resolution.
        int height = -MulDiv(size, GetDeviceCaps(display.get(), LOGPIXELSY), 72);
        font = CreateFontA(height, 0, 0, 0, (flags & FONT_BOLD) ? FW_BOLD : FW_NORMAL, flag(flags, FONT_ITALIC),
                           flag(flags, FONT_UNDERLINE), flag(flags, FONT_STRIKEOUT), DEFAULT_CHARSET, 0, 0,
                           (flags & FONT_HIGH_QUALITY) ? PROOF_QUALITY : DEFAULT_QUALITY, 0, name ? name : "");
    }
    if (!font) {
        abandon_claim(font_table, number, record);
        return 0;
    }
    record->handle = font;
    return number == DYNAMIC_NUMBER ? reinterpret_cast<intptr_t>(record) : reinterpret_cast<intptr_t>(font);
}

HFONT font_handle(intptr_t number) {
    auto* record = find<FontRecord>(font_table, number);
    return record ? record->handle : nullptr;
}

void free_font(intptr_t number) {
    if (number == DYNAMIC_NUMBER) return;
    auto* record = find<FontRecord>(font_table, number);
    if (!record) return;
    DeleteObject(record->handle);
    release_object(font_table, number);
}

void free_all_fonts() { free_all_objects(font_table, free_font); }

} // namespace rt

// Font objects: numbered native fonts made from a face name and a size in points.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rt {

// Flags of load_font, combined by OR.
inline constexpr int FONT_UNDERLINE = 0x4;
inline constexpr int FONT_STRIKEOUT = 0x8;
inline constexpr int FONT_HIGH_QUALITY = 0x10;  // proof quality instead of the default
inline constexpr int FONT_BOLD = 0x100;
inline constexpr int FONT_ITALIC = 0x200;

struct FontRecord {
    HFONT handle;  // null: the number holds no font
};

void init_font_library();

// A font whose characters are `size` points high on the display. Returns the font handle for a
// number, the record's identity for DYNAMIC_NUMBER, 0 on failure. A font the number held is
// freed first, whatever the outcome.
intptr_t load_font(intptr_t number, const char* name, int size, int flags = 0);
// The font's handle, or null.
HFONT font_handle(intptr_t number);
// DYNAMIC_NUMBER itself does nothing.
void free_font(intptr_t number);
void free_all_fonts();

} // namespace rt

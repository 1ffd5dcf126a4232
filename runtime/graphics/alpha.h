// Optional per-pixel alpha blending (msimg32's "AlphaBlend") and the services with which gadgets
// show 32-bit images: alpha tests, premultiplied copies, blits and one-bit transparency masks.
// Without "msimg32.dll" every service does nothing and reports false, null or 0.
#pragma once

#include <windows.h>

namespace rt {

// Loads "msimg32.dll" and decides whether themed common controls (version 6 or later, with the
// application themed) are active: never on the 9x family nor before Windows XP.
void init_alpha_support();
// Releases "msimg32.dll" (after every image was freed).
void end_alpha_support();

// True for a 32-bit bitmap section; for another 32-bit bitmap, when any pixel has alpha.
bool has_alpha(HBITMAP bitmap);
// A new 32-bit bottom-up section with the bitmap's pixels premultiplied by their alpha (grey:
// in a lightened grey, for disabled pictures). `dc` may be null. Delete it with
// delete_alpha_copy.
HBITMAP premultiplied_copy(HBITMAP bitmap, HDC dc, bool grey);
// Draws a premultiplied bitmap onto dc at (x, y) through AlphaBlend with a constant alpha on top;
// a width or height of 0 is the bitmap's own. `memory_dc` may be null. Nonzero on success.
int alpha_blit(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, HDC memory_dc, int constant_alpha);
void delete_alpha_copy(HBITMAP copy);
// A one-bit bitmap of the bitmap's size: without themed controls and for 32 bits, black where
// the pixels have alpha and white elsewhere; otherwise (or with no alpha at all) all black.
HBITMAP transparency_mask(HBITMAP bitmap);

} // namespace rt

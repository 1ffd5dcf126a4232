// Window background images: a bitmap tiled over a window's client area from (0, 0) whenever the
// window's background is erased, in place of its class brush. Works on native handles of any
// window of the process; the bitmap is only referenced and must stay alive while it is shown.
#pragma once

#include <windows.h>

namespace rt {

// Gives the window its background picture (replacing one it had). The first call for a window
// puts the background procedure in front of the window's own; later calls only change the
// picture. The window class's brush is removed and deleted. A non-zero redraw repaints the
// window at once. Answers the window's entry number (1 for the first window), or 0, changing
// nothing, for a missing window, a missing image or one that is not a bitmap.
int set_window_background_image(HWND window, HBITMAP image, int redraw = 1);

// Shutdown: the windows stop tiling (their erases reach their own procedures again) and the
// shared memory device context is deleted.
void free_window_backgrounds();

} // namespace rt

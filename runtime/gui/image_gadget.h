// The image gadget: a static control that shows one image (a bitmap, blended by its per-pixel
// alpha when it carries one, or an icon) and reports clicks, double clicks and the start of a drag.
// The gadget only references the image: the caller keeps it alive while it is shown.
#pragma once

#include "gui/gadgets.h"

namespace rt {

// Creates the gadget showing `image` as set_gadget_state does: sized to the image (plus 4 each
// way with WS_EX_CLIENTEDGE); with no image it keeps the given size and shows nothing. Result as
// for every gadget creator. set_gadget_state(number, image) shows another image (or the same one
// again, after drawing into it) and answers it; get_gadget_state answers the image shown.
void* image_gadget(intptr_t number, int x, int y, int width, int height, HANDLE image, DWORD ex_style = 0);

} // namespace rt

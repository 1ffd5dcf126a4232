// Gadget kinds that are thin shells around standard controls: the text field ("Edit"), the button,
// the frame (a group box, or a bordered rectangle) and the progress bar ("msctls_progress32").
// Each creator's result is as for every gadget creator: the control, or for DYNAMIC_NUMBER the
// record's address; null when the control cannot be made. A null text is the empty text.
#pragma once

#include "gui/gadgets.h"

namespace rt {

// Text field flags: without this one the field has a sunken client edge.
inline constexpr DWORD TEXT_FIELD_NO_EDGE = 0x20000;
// Progress bar flags (common-control styles).
inline constexpr DWORD PROGRESS_SMOOTH = 0x1;
inline constexpr DWORD PROGRESS_VERTICAL = 0x4;
inline constexpr DWORD PROGRESS_MARQUEE = 0x8;
// Progress bar attributes.
inline constexpr int PROGRESS_MINIMUM = 1;
inline constexpr int PROGRESS_MAXIMUM = 2;
// Frame types: a titled group box, or a rectangle with a sunken, a static or a plain border.
inline constexpr int FRAME_GROUP_BOX = 0;
inline constexpr int FRAME_SUNKEN = 1;
inline constexpr int FRAME_STATIC_EDGE = 2;
inline constexpr int FRAME_BORDER = 3;

// Raises EV_GADGET with each edit notification as type (EN_CHANGE after set_gadget_text, ...),
// and with GADGET_GOT_FOCUS / GADGET_LOST_FOCUS.
void* text_field_gadget(intptr_t number, int x, int y, int width, int height, const char* text, DWORD flags = 0);
// A push button unless flags add a button style; a click raises EV_GADGET type 0. Its state is
// its check mark, 0 or 1.
void* button_gadget(intptr_t number, int x, int y, int width, int height, const char* text, DWORD flags = 0);
// Raises no events. Only the group box shows its text.
void* frame_gadget(intptr_t number, int x, int y, int width, int height, const char* text,
                   int frame_type = FRAME_GROUP_BOX);
// Range minimum..maximum, at the minimum. Its state is the position. Raises no events.
void* progress_bar_gadget(intptr_t number, int x, int y, int width, int height, int minimum, int maximum,
                          DWORD flags = 0);

} // namespace rt

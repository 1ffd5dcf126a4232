// Gadget colours from outside: front and back colours for any gadget, answered for the control by
// a colour procedure in front of its ancestor windows, and transparent backgrounds through which
// the window's own background shows.
//
// Colours are GadgetColour values (red in the low byte), or one of the special values below.
#pragma once

#include "gui/gadgets.h"

#include <cstdint>

namespace rt {

// The system colour of the control's class: window colours for edit, list, tree and rich-edit
// controls, button-face colours for every other class.
inline constexpr GadgetColour COLOUR_DEFAULT = 0xFFFFFFFF;
// Back colour only: nothing is painted behind the control, and its visual theme is switched off.
inline constexpr GadgetColour COLOUR_TRANSPARENT = 0xFF000000;
// The colour stays as it was; for a gadget coloured the first time it means COLOUR_DEFAULT.
inline constexpr GadgetColour COLOUR_KEEP = 0xFF000001;

// Colour types of colour_gadget, one bit each: front and back colours, then six further colour
// slots (2, 4, ... 64) kept for list and tree controls.
inline constexpr int FRONT_AND_BACK_COLOURS = 1;
inline constexpr int LAST_COLOUR_TYPE = 64;

void init_colour_library();
// Gives back the brushes, class brushes and control procedures the library replaced, and forgets
// every colour entry. Windows keep the colour procedure; it then passes everything on.
void free_colour_library();

// Colours the gadget's control. A type above LAST_COLOUR_TYPE or below 0 is a mask that clears
// types from the gadget's set and applies nothing. extra COLOUR_TRANSPARENT leaves a tree
// control's colour messages unanswered. Returns the set of colour types applied so far; 0 when
// the number names no gadget.
int colour_gadget(intptr_t gadget, GadgetColour front, GadgetColour back, GadgetColour extra = 0,
                  int type = FRONT_AND_BACK_COLOURS);

} // namespace rt

// The hyperlink gadget: a text label drawn in its normal colour, in its hover colour while the
// mouse is over it, with a hand cursor; each left-button release on it raises EV_GADGET type 0.
// Also the front and back colours that labels (hyperlinks, text fields) keep in their record.
#pragma once

#include "gui/gadgets.h"

namespace rt {

// Flags of hyperlink_gadget.
inline constexpr int HYPERLINK_UNDERLINE = 1;

// Creates the label (normal colour black, no back colour). Result as for every gadget creator.
void* hyperlink_gadget(intptr_t number, int x, int y, int width, int height, const char* text,
                       GadgetColour hover_colour, int flags = 0);

// FRONT_COLOUR is the text colour; BACK_COLOUR takes a brush for the colour from the shared
// cache (none for NO_COLOUR) and gives the old one back. The control is redrawn. Answers 1 for
// those two kinds, else 0.
intptr_t set_label_colour(GadgetRecord& record, int colour_kind, GadgetColour colour);
// The record's front or back colour; NO_COLOUR for other kinds.
GadgetColour get_record_colour(GadgetRecord& record, int colour_kind);
// Gives the back brush back to the cache (the record is going).
void release_label_brush(GadgetRecord& record);

} // namespace rt

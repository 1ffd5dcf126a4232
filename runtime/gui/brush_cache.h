// The shared cache of solid brushes for gadgets' back colours: one brush per colour, counted.
#pragma once

#include "gui/gadgets.h"

#include <windows.h>

namespace rt {

// A solid brush of the colour, shared with every other holder of that colour; null when the
// system cannot make one. Safe to call from any thread.
HBRUSH acquire_brush(GadgetColour colour);
// Gives one use of a brush back; the last use deletes it. A brush the cache never gave, or null,
// is ignored.
void release_brush(HBRUSH brush);

} // namespace rt

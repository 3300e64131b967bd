// The keyboard focus ring: drawn in the brand colour around the focused
// element's own shape, over everything else, only while the focus cue shows.
#pragma once

#include "state/state.h"

// Draws the ring around item; 0 draws nothing. The window decides which item
// has the ring (FocusRingItem) and passes it in.
void DrawFocusRing(ID2D1RenderTarget *target, int item);

// The keyboard focus ring: drawn in the brand colour around the focused
// element's own shape, over everything else, only while the focus cue shows.
#pragma once

#include "engine/state.h"

void DrawFocusRing();

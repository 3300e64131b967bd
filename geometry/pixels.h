// The one pair of conversions between design units and client pixels. Hit
// testing, the EDIT box, accessibility locations and the frames' changed
// rectangles all go through it, so they agree on every pixel.
#pragma once

#include "state/state.h"

// The design point at a client pixel's top-left corner.
D2D1_POINT_2F DesignFromClient(int x, int y);

// The client pixels whose top-left corners lie inside r, as HitTest counts
// inside: left <= x < right, top <= y < bottom.
RECT ClientFromDesign(const D2D1_RECT_F &r);

// r grown by `by` design units on every side.
D2D1_RECT_F Inflated(const D2D1_RECT_F &r, float by);

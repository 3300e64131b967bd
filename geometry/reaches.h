// Where on the canvas the moving parts (render/frame.h) draw, so that a frame
// in which only they changed redraws just those places. Each reach is a
// little larger than its part: anti-aliased edges, outlines centred on a
// shape's border, the close button's disc and the focus ring's halo all fall
// inside it.
#pragma once

#include "state/state.h"

// What element id's hover level or press can change: the element with its
// disc, outline or underline.
D2D1_RECT_F HoverReach(int id);

// The status line of the installing page, as far as a text of the given
// width runs: a long status runs on past its box, under the percentage.
D2D1_RECT_F StatusReach(float textWidth);

// The percentage beside the status line, and the progress bar's track: two
// reaches, written to out; returns 2.
int ProgressReaches(D2D1_RECT_F out[2]);

// The focus ring with its halo around item; empty for 0, while no ring is shown.
D2D1_RECT_F FocusRingReach(int item);

// Whether two canvas rectangles share any point: a pass draws a part only
// where its reach meets the pass.
bool Meets(const D2D1_RECT_F &a, const D2D1_RECT_F &b);

// A rectangle that every reach meets: a frame drawn whole.
constexpr D2D1_RECT_F kWholeCanvas = {-1.0e9f, -1.0e9f, 1.0e9f, 1.0e9f};

// Every moving part of the current page, with the focus ring around
// ringItem (0: none), up to capacity of them; returns how many were written.
int MovingPartReaches(D2D1_RECT_F *out, int capacity, int ringItem);

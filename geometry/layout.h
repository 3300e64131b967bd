// Where each interactive element lies on the design canvas, which elements
// exist on which page, and what is under a point.
#pragma once

#include "state/state.h"

// Buttons grow only 35 % as fast as text: (ContentBoost - 1) * 0.35 + 1.
float ButtonBoost();
// 745, or 745 + 150 * ContentBoost on the welcome page with the panel open.
float CanvasHeight();
// Top of the bottom row (agreement, licence link, custom-install toggle).
float BottomRowTop();
// Top of the directory row and of the option row inside the custom panel.
float DirRowTop();
float OptionRowTop();

// The painted field around the directory EDIT box, and the installing page's
// status line and progress track: not elements, but a screen reader and the
// focus ring need them in the same geometry.
D2D1_RECT_F DirFieldRect();
// The EDIT box itself, inside its field: 12 units in from either end, 20 * B
// high around the field's middle.
D2D1_RECT_F DirEditRect();
D2D1_RECT_F StatusLineRect();
D2D1_RECT_F ProgressTrackRect();

// Rectangle of element 1..11; (0, 0, 0, 0) for any other id. Half-open:
// left <= x < right, top <= y < bottom.
D2D1_RECT_F ElementRect(int id);
bool ElementLive(int id);
// First live element containing the point, or 0.
int HitTest(float x, float y);

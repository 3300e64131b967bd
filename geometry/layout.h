// Where each interactive element lies on the design canvas, which elements
// exist on which page, and what is under a point; where the captions go, and
// how far a caption may grow before it is shortened with an ellipsis. In a
// right-to-left language every rectangle here is mirrored.
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
// Where the hero picture stands under high contrast: its own area, clear of
// the title buttons above and of the page's controls and texts below.
D2D1_RECT_F HighContrastHeroRect();
D2D1_RECT_F ProgressTrackRect();

// Rectangle of element 1..11; (0, 0, 0, 0) for any other id. Half-open:
// left <= x < right, top <= y < bottom.
D2D1_RECT_F ElementRect(int id);
bool ElementLive(int id);
// First live element containing the point, or 0.
int HitTest(float x, float y);

// The boxes the captions are drawn in. A caption longer than its box ends in
// an ellipsis; the elements the captions belong to grow with them, within the
// room the row leaves (ElementRect).
D2D1_RECT_F AgreeCaptionRect();
// The licence link's caption: its element, with half a unit to spare where the
// caption fits, so that only a link narrowed for the toggle is shortened.
D2D1_RECT_F LicenseCaptionRect();
D2D1_RECT_F ToggleCaptionRect();
D2D1_RECT_F LocationLabelRect();
D2D1_RECT_F OptionCaptionRect(int id);
// The custom-install toggle's chevron, beside its caption.
D2D1_POINT_2F ChevronCentre();
// The status text as far as a text of the given width runs, and the percentage
// in the status row.
D2D1_RECT_F StatusTextRect(float textWidth);
D2D1_RECT_F PercentRect();
// The part of the track the bar fills at a fraction from 0 to 1: from the
// left, or from the right in a right-to-left language.
D2D1_RECT_F ProgressFillRect(float fraction);
// Where reading starts and ends across a placed rectangle: its left and right
// edges, the other way round in a right-to-left language. Gradients run so.
float LeadingEdge(const D2D1_RECT_F &r);
float TrailingEdge(const D2D1_RECT_F &r);

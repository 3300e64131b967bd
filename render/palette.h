// The one place that decides which colours a frame is painted in. Painters read
// g_State.Colors; where high contrast changes a shape rather than a colour (a
// solid button instead of the gradient, an outline, no translucent veil), they
// ask g_State.HighContrast.
#pragma once

#include "state/state.h"

// Fills g_State.Colors from the high-contrast flag, the brand colours and, under
// high contrast, the system's colours as they are now.
void ChoosePalette();

// A hover level as it is painted: as eased, or, under high contrast, which has no
// translucent layers and no mixed colours, 0 or 1.
float HoverShown(float level);
// A hover highlight's colour: between the two colours at the level as painted.
RgbColor HoverColor(RgbColor rest, RgbColor lit, float level);

// The same colour as GDI's COLORREF (red in the low byte), and back.
COLORREF ColorRefFrom(RgbColor color);
RgbColor RgbFromColorRef(COLORREF color);

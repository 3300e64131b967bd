// The one place that decides which colours a frame is painted in. Painters read
// g_State.Colors; where high contrast changes a shape rather than a colour (a
// solid button instead of the gradient, an outline, no translucent veil), they
// ask g_State.HighContrast, and where the dark palette lays veils over the
// hero, g_State.DarkMode.
#pragma once

#include "state/state.h"

// The dark palette's own colours; the brand colours stay the host's.
constexpr RgbColor kDarkBackground = 0x1B1C1F;
constexpr RgbColor kDarkText = 0xE8EAED;
constexpr RgbColor kDarkSecondary = 0xA9AEB8;
constexpr RgbColor kDarkBoxFill = 0x2A2C31;
constexpr RgbColor kDarkBoxBorder = 0x7A808A;
constexpr RgbColor kDarkDisabled = 0x3A3D44;
constexpr RgbColor kDarkDisabledText = 0xA9AEB8;
constexpr RgbColor kDarkField = 0x2A2C31;
constexpr RgbColor kDarkTrack = 0x3A3D44;
constexpr RgbColor kDarkChangeHover = 0x26324A;
// A veil of the background colour at this opacity lies behind texts and icons
// over the hero: on the brightest picture it still leaves a dark ground.
constexpr float kDarkVeilOpacity = 0.88f;
// The contrast every text keeps against its ground (WCAG AA).
constexpr float kTextContrast = 4.5f;

// Fills g_State.Colors from the high-contrast and dark flags, the brand colours
// and, under high contrast, the system's colours as they are now. High
// contrast outranks the dark palette.
void ChoosePalette();

// WCAG's contrast ratio of two colours, 1 to 21.
float ContrastRatio(RgbColor a, RgbColor b);
// The lightest ground a text over the hero has under the dark palette: the
// veil over a white picture.
RgbColor DarkVeilOverWhite();

// A hover level as it is painted: as eased, or, under high contrast, which has no
// translucent layers and no mixed colours, 0 or 1.
float HoverShown(float level);
// A hover highlight's colour: between the two colours at the level as painted.
RgbColor HoverColor(RgbColor rest, RgbColor lit, float level);

// The same colour as GDI's COLORREF (red in the low byte), and back.
COLORREF ColorRefFrom(RgbColor color);
RgbColor RgbFromColorRef(COLORREF color);

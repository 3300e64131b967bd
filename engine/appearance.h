// How the canvas looks beyond its texts: the palette the host asks for, and
// the product's name that stands in for a missing picture under high
// contrast. Each call takes effect whole or changes nothing and says why in
// LastError.
#pragma once

#include "state/state.h"

// ColorModeOfSystem, ColorModeLight or ColorModeDark; 1 when taken.
int SetColorMode(int mode);
// A colour of the palette as the next frame paints it, 0x00RRGGBB; -1 for an
// unknown part. Front ends built on the engine paint their own windows with it.
int GetColor(int part);
// At most kMaxTextLength units without control characters; null or empty
// gives the name back to the window's title. 1 when taken.
int SetProductName(const wchar_t *name);

// Client pixels in memory: 32-bit top-down DIB sections, each selected into a
// memory DC of its own, so that Direct2D (through a DC target) and GDI draw
// into them and the CPU copies and blends between them.
#pragma once

#include "state/state.h"

// Gives d the client rectangle `area`, made anew when its size differs; false
// when it cannot be made.
bool FitDib(DibSurface &d, const RECT &area);
void ReleaseDib(DibSurface &d);

// The pixel of d at client position (x, y).
inline UINT32 *PixelAt(const DibSurface &d, LONG x, LONG y) {
    return d.Bits + (y - d.Top) * d.Width + (x - d.Left);
}

// Copies the client rectangle r between surfaces that both hold it.
void CopyPixels(DibSurface &to, const DibSurface &from, const RECT &r);

// to = from + (over - from) * opacity in every channel, as Direct2D draws an
// opaque picture at that opacity; to may be neither input.
void BlendPixels(DibSurface &to, const DibSurface &from, const DibSurface &over, float opacity, const RECT &r);

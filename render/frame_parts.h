// What a frame is made of. Still parts: the hero area and what no hover,
// press, progress or status text changes. Moving parts: everything else,
// drawn over them. Every painter draws into the target it is given, in design
// units: the caller sets the canvas transform.
#pragma once

#include "render/carousel.h"

// A whole still layer: the background colour, then the still parts with the
// hero showing `hero`, scaled to the window. Brackets nothing: the caller
// begins and ends the drawing.
void DrawStillLayer(ID2D1RenderTarget *target, const HeroLook &hero);
void DrawStillParts(ID2D1RenderTarget *target, const HeroLook &hero);
// Moving parts are drawn only where their reach (geometry/reaches.h) meets
// `within`, in design units; kWholeCanvas draws them all. The focus ring goes
// around ringItem (0: none).
void DrawMovingParts(ID2D1RenderTarget *target, const D2D1_RECT_F &within, int ringItem);
void DrawTitleButtons(ID2D1RenderTarget *target, const D2D1_RECT_F &within);

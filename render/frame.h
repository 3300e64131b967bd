// One frame: resources, the palette, then the picture through the render
// path of the target: the window's own target draws the whole frame, a DC
// target (Wine) only what changed (render/retained_frame.h).
#pragma once

#include "engine/state.h"
#include "render/carousel.h"
#include "render/frame_schedule.h"

void PaintFrame();
// The canvas is cleared by the caller, and the transform set to design units.
// Still parts: the hero area, showing `hero`, and what no hover, press,
// progress or status text changes. Moving parts: everything else, drawn over
// them.
void DrawStillParts(const HeroLook &hero);
// Moving parts are drawn only where their reach (render/moving_parts.h) meets
// `within`, in design units; kWholeCanvas draws them all.
void DrawMovingParts(const D2D1_RECT_F &within);
void DrawTitleButtons(const D2D1_RECT_F &within);

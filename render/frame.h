// One complete frame: resources, white clear, the design-unit transform, the
// hero area, the page and the title buttons.
#pragma once

#include "engine/state.h"
#include "render/frame_schedule.h"

void PaintFrame();
// The white canvas is cleared by the caller. Still parts: the hero area and
// what no hover, press or progress changes. Moving parts: everything else,
// drawn over them.
void DrawStillParts();
void DrawMovingParts();
void DrawTitleButtons();

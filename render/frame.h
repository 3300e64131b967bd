// One complete frame: resources, white clear, the design-unit transform, the
// hero area, the page and the title buttons.
#pragma once

#include "engine/state.h"

void PaintFrame();
void DrawTitleButtons();

// The installing page: status line, percentage and progress bar.
#pragma once

#include "state/state.h"

// The status line and the empty track stay the same from frame to frame; the
// percentage and the bar move with the shown progress.
void DrawInstallingStill(ID2D1RenderTarget *target);
void DrawInstallingMoving(ID2D1RenderTarget *target, const D2D1_RECT_F &within);

// The displayed progress (tenths of a percent) as whole percent, rounded half up.
int ProgressPercent(float progressShown);

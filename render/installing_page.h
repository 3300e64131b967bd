// The installing page: status line, percentage and progress bar.
#pragma once

#include "engine/state.h"

void DrawInstallingPage();

// The displayed progress (tenths of a percent) as whole percent, rounded half up.
int ProgressPercent(float progressShown);

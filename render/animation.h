// The animation clock: hover levels, the displayed progress and the carousel's
// timing, all advanced by real elapsed time with a cap per step.
#pragma once

#include "engine/state.h"

void StepAnimation();

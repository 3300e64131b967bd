// The animation clock: hover levels, the displayed progress and the carousel's
// timing, all advanced by real elapsed time with a cap per step.
#pragma once

#include "engine/state.h"

void StepAnimation();

// The opacity of the slide coming in over the current one: the fade's level, or
// the whole slide at once while the user asks for less motion. The carousel's
// timing is the same either way.
float IncomingSlideOpacity();

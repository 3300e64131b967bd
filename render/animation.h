// The animation clock: hover levels, the displayed progress and the carousel's
// timing, all advanced by real elapsed time with a cap per step.
#pragma once

#include "state/state.h"

// A hover level this close to another changes no pixel: every colour and alpha
// drawn from it moves by less than half of one 8-bit step.
constexpr float kHoverUnseen = 1.0f / 1024.0f;

void StepAnimation();

// Whether another step would change nothing on screen: every hover level is
// within sight of its target, the shown progress stands at its target and no
// fade is under way. The carousel's hold is a wait on the clock, not a movement.
bool AnimationAtRest();

// On the installing page, milliseconds until the next slide is due; 0 when
// the shown slide's hold has not been timed yet (the next step times it).
ULONGLONG CarouselHoldLeft();

// The opacity of the slide coming in over the current one: the fade's level, or
// the whole slide at once while the user asks for less motion. The carousel's
// timing is the same either way.
float IncomingSlideOpacity();

// Frames through the window's own Direct2D target (Windows). That target keeps
// no frame between paints, so each one composes the whole client: the still
// layer of the shown slide, the incoming slide's layer over the hero area at
// its opacity during a fade, then every moving part.
#pragma once

#include "render/frame_plan.h"

// True when the frame reached the window.
bool PresentOnWindowTarget(const FramePlan &plan);

// Frames through the DC render target (Wine). There every pixel Direct2D draws
// runs through the same slow shader, whatever it shows, so the frame on screen
// is kept in a back buffer and the still layers in memory, and Direct2D draws
// only where moving parts are:
//   - a frame in which only hover levels or the progress moved redraws the
//     reach of each over the still layer;
//   - a cross-fade blends the two still layers in memory and redraws only the
//     moving parts over the hero area, or takes them from memory as well;
//   - a whole frame composes the still layer again, then every moving part;
//   - a paint with nothing changed (the host's, or the system's) copies the
//     back buffer to the window.
// Only the changed rectangles are copied to the window.
#pragma once

#include "render/frame_plan.h"

// Whether the back buffer holds a frame of the client's size to draw over.
bool BackBufferHolds(const RECT &client);

// Paints the plan as above; true when it reached the window.
bool PresentRetained(FramePlan &plan);

// Releases the back buffer, the moving parts kept per slide and the pass
// background (with the device resources).
void ReleaseRetainedFrame();
// Releases the moving parts kept over one slide.
void ReleaseSlideParts(int slide);

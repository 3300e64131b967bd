// Frames through the DC render target (Wine). There every pixel Direct2D draws
// runs through the same slow shader, whatever it shows, so the engine keeps the
// frame on screen in a back buffer and the still layer in memory, and has
// Direct2D draw only where moving parts are:
//   - a frame in which only hover levels or the progress moved redraws the
//     reach of each (render/moving_parts.h) over the still layer;
//   - a cross-fade blends the two still layers in memory and redraws only the
//     moving parts over the hero area;
//   - a requested frame draws the still layer again, then every moving part;
//   - a paint with nothing changed (the host's, or the system's) copies the
//     back buffer to the window.
// Only the changed rectangles are copied to the window.
#pragma once

#include "engine/state.h"

// Paints one frame as above; true when it reached the window.
bool PaintRetainedFrame();

// Releases the back buffer, the still layers and the pass background (with the
// device resources).
void ReleaseRetainedFrame();

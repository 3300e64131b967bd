// The still layer: the white canvas, the hero area and the page's still parts
// (render/frame.h), drawn once into a bitmap of the window's size and copied
// into every frame. A frame in which only a hover level or the progress moved
// then draws just the moving parts over the copy.
#pragma once

#include "engine/state.h"

// Whether the layer no longer shows the next frame's still parts: it does not
// exist, a frame was requested since it was drawn (page, panel, texts,
// branding, scale, pictures: every such change comes through RequestFrame),
// the slide changed, or the window's size did.
bool StillLayerStale();

// The layer for the next frame, drawn again first when it is stale. Null while
// the carousel cross-fades (the hero changes with every frame then) or when it
// cannot be made: the frame then draws its still parts itself.
ID2D1Bitmap *StillLayer();

// Released with the device resources: the layer belongs to the render target.
void ReleaseStillLayer();

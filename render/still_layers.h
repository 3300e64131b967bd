// The still-layer cache: for each slide, the background, the hero area showing
// that slide and the page's still parts (render/frame_parts.h), drawn once and
// composed into every frame until the still parts change. The carousel comes
// back to every slide, and a fade between two ready layers draws nothing anew.
// Each layer is kept in the form its presenter composes from: in memory for
// the DC target, as a bitmap on the device for the window's target.
#pragma once

#include "state/state.h"

// The layer of `slide` for a client area of this size, drawn first when it is
// not ready: never drawn, stale, or of another size. False when it cannot be
// drawn (the device may have been lost meanwhile).
bool StillLayerReady(int slide, const RECT &client);
// Whether the layer of `slide` is ready as it stands, without drawing it.
bool StillLayerCurrent(int slide, const RECT &client);
// Every layer is drawn again before it is used next: the still parts changed.
void MarkStillLayersStale();
// Released with the device resources: the layers belong to the render target.
void ReleaseStillLayers();
// Releases the layer of one slide (a slide the page no longer shows).
void ReleaseStillLayer(int slide);

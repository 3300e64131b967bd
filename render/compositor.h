// The compositor: the one place that decides what a frame draws and where. It
// keeps one cache of still layers (render/still_layers.h), works out one plan
// of what changed (render/frame_plan.h), and hands it to one of two
// presenters: the window's own Direct2D target on Windows
// (render/window_presenter.h), or the DC target with the frame retained in
// memory under Wine (render/retained_frame.h). It owns device loss.
#pragma once

#include "state/state.h"

// Paints one frame. The window passes in the item that has the focus ring, 0
// for none: painting never asks the keyboard focus itself.
void PaintFrame(int ringItem);

// Lets go of everything made with the render target: the still layers, the
// retained frame, then the pictures, brushes and the target itself. The next
// paint makes them again. Also what a lost device leads to.
void ReleaseDeviceResources();

// The render target every frame is drawn on, and how its pixels reach the host
// window. On Windows that is the window's own Direct2D target. Under Wine a
// window target draws through OpenGL straight onto the X window, which either
// covers the directory edit box or keeps its first size when the window grows;
// there the engine draws into a DC target and lets GDI put the frame into the
// window, beside the child controls (render/retained_frame.h).
#pragma once

#include "state/state.h"

// The one decision of which kind of target the engine draws through: a DC
// target under Wine, the window's own target everywhere else.
bool UseDcRenderTarget();

// Creates the client-sized target of the chosen kind into RenderTarget. False
// when the client area is empty or the creation fails.
bool CreateRenderTarget();

// Follows a new client size (WM_SIZE). A DC target takes the size of each
// frame's binding, so only a window target is resized.
void ResizeRenderTarget(UINT32 width, UINT32 height);

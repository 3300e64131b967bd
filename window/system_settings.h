// The user's system settings the engine follows: high contrast (the system's
// colours, pictures in their own area, no gradients or translucent layers),
// the app theme (dark: the dark palette, unless the host chose one) and
// client-area animation (off: every animation stands at its target after one
// step).
#pragma once

#include "state/state.h"

// Reads the settings and the colours that follow from them. At attach, and
// again whenever the system announces a change of settings or colours; a change
// that reaches the picture drops the drawing resources and asks for a new frame.
void ReadSystemSettings();

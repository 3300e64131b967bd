// The user's system settings the engine follows: high contrast (the system's
// colours, no pictures, gradients or translucent layers) and client-area
// animation (off: every animation stands at its target after one step).
#pragma once

#include "state/state.h"

// Reads both settings and the colours that follow from them. At attach, and
// again whenever the system announces a change of settings or colours; a change
// that reaches the picture drops the drawing resources and asks for a new frame.
void ReadSystemSettings();

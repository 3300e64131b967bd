// The host window's replacement procedure: painting, the frame and reveal
// timers, the borderless frame, hover, press and release, and element actions.
#pragma once

#include "engine/state.h"

LRESULT CALLBACK HostWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the action of one element: changes engine state or calls the host back.
void PerformElementAction(int element);

// Whether a click, a key or a screen reader may run the element's action now:
// it is live, and it is not the install button while the agreement is unticked.
bool ElementActionable(int element);

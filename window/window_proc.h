// The host window's replacement procedure: painting, the frame and reveal
// timers, the borderless frame, hover, press and release. What a click does is
// window/element_actions.h; what a tick does is window/tick.h.
#pragma once

#include "state/state.h"

LRESULT CALLBACK HostWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// Installs HostWndProc for the window (attach), keeping the procedure it
// replaces in PrevWndProc.
void HookWindowProc(HWND window);
// Gives the window its procedure back (detach, destruction). When somebody
// subclassed the window after the engine, their procedure stays, and
// HostWndProc, still in their chain, passes every message through from then on.
void UnhookWindowProc(HWND window);


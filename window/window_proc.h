// The host window's replacement procedure: painting, the frame and reveal
// timers, the borderless frame, hover, press and release, and element actions.
#pragma once

#include "engine/state.h"

LRESULT CALLBACK HostWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// Installs HostWndProc for the window (attach), keeping the procedure it
// replaces in PrevWndProc.
void HookWindowProc(HWND window);
// Gives the window its procedure back (detach, destruction). When somebody
// subclassed the window after the engine, their procedure stays, and
// HostWndProc, still in their chain, passes every message through from then on.
void UnhookWindowProc(HWND window);

// Runs the action of one element: changes engine state or calls the host back.
void PerformElementAction(int element);

// Whether a click, a key or a screen reader may run the element's action now:
// it is live, and it is not the install button while the agreement is unticked.
bool ElementActionable(int element);

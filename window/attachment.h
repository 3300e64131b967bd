// What the engine does to the host window when it attaches, and undoes when it
// lets go: the procedure, style and frame, size and place, the cloak until the
// first paint, the directory EDIT box, the taskbar, the drag thread, and the
// window-bound drawing resources.
#pragma once

#include "state/state.h"

// Takes the window over; the factories and text formats exist already.
void AttachWindow(HWND window);

// Takes the window's title over as the product's name, for a high-contrast
// page whose picture is missing (KSUiSetProductName wins over it). At attach
// and after every WM_SETTEXT.
void ReadWindowTitle();

// Gives the window back to the host as a window of its own: visible, with its
// procedure and transitions, and without the engine's child and thread.
void DetachWindow();

// The window-bound half of detach: timers, window procedure, hover and press,
// accessibility and keyboard focus, the EDIT box's font and brush, the device
// resources. Also run when the host window is destroyed while attached.
void ReleaseWindowResources(HWND window);

// Progress on the host window's taskbar button: the bar's value on the installing
// page, no progress on the other pages and after detach.
#pragma once

#include "state/state.h"

// What SyncTaskbar last sent when it was not a value: no progress.
constexpr LONG kTaskbarNone = -2;

// Lets the shell's "TaskbarButtonCreated" message through to the window and,
// when the window is already visible (its button exists), connects at once.
void StartTaskbar();
// (Re)creates the taskbar object: at attach, and whenever the shell makes the
// window's button again. When it cannot be created, the engine goes on without.
void ConnectTaskbar();
// Mirrors the current page and displayed progress; sends only what changed.
void SyncTaskbar();
// Takes any progress off the button and lets the object go.
void DisconnectTaskbar();

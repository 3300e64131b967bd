// Attaching to the host window, letting go of it, the stage error text and the
// completion wait.
#pragma once

#include "engine/state.h"

int Attach(HWND window, HostCallback callback);
void Detach();
int LastErrorText(wchar_t *buffer, int capacity);
int WaitDone();

// Formats "阶段=<stage> HRESULT=0x<code>" into LastError.
void RecordStageError(const wchar_t *stage, HRESULT code);
// The window-bound half of detach: timers, window procedure, edit font and
// brush, device resources. Also run when the host window is destroyed.
void ReleaseWindowResources(HWND window);

// Attaching to the host window, letting go of it, the stage error text and the
// completion wait.
#pragma once

#include "state/state.h"

int Attach(HWND window, HostCallback callback);
void Detach();
int LastErrorText(wchar_t *buffer, int capacity);
int WaitDone();


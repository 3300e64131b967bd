// The shell's folder picker, opened on the nearest existing folder of a start path.
#pragma once

#include "state/state.h"

constexpr int kPickerPathCapacity = 260;

int BrowseDir(const wchar_t *startPath, wchar_t *buffer, int capacity);
int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM lParam, LPARAM data);
// Cuts a path back, at backslashes, to the nearest part that exists (file or
// folder); empties it when no part does.
void WalkUpToExisting(wchar_t *path);

// Finding and terminating processes by executable name, with a one-line report
// of what was found and done. Independent of the window: any thread, attached or not.
#pragma once

#include "state/state.h"

constexpr int kMaxProcessIds = 64;

// Number of matching processes (may exceed 64; the first 64 identifiers are
// stored in snapshot order), or -1 when no process snapshot can be taken.
int FindProcessesByExeName(const wchar_t *name, DWORD (&ids)[kMaxProcessIds]);

int IsAppRunning(const wchar_t *name);
int KillApp(const wchar_t *name, int waitMs);
int ProcReport(wchar_t *buffer, int capacity);

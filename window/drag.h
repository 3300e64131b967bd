// Dragging the window on the installing page while the host's thread is busy:
// a background thread, woken by a low-level mouse hook when a button goes
// down, shows a ghost of the window that follows the cursor, and the window
// thread moves the real window to the drop point at its next frame tick or
// host command.
#pragma once

#include "state/state.h"

constexpr wchar_t kGhostClassName[] = L"KestoUiGhost";
constexpr int kParkPosition = -32000;

// Creates DragStopEvent, DragWatchEvent and the drag thread (attach).
void StartDragThread();

// Wakes the drag thread after a page change (KSUiSetState): it watches the
// mouse buttons only while the installing page is shown.
void WatchForDrags();
// Signals the thread, waits at most 1000 ms for it (answering messages other
// threads send meanwhile), closes both handles, and puts the host where an
// unfinished drag left the ghost (detach).
void StopDragThread();
// Window thread: parks the host during a drag, places it at the drop point
// after the release. Never blocks.
void SyncDragState();

// The thread procedure; its parameter is the thread's own record (stop event,
// library reference, ghost), which it frees when it ends.
DWORD WINAPI DragThreadMain(LPVOID stopEvent);
LRESULT CALLBACK GhostWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

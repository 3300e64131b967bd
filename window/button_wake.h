// The drag thread's sleep on the installing page: a low-level mouse hook wakes
// it when a mouse button goes down, so a page at rest costs it no wake-ups.
#pragma once

#include <windows.h>

#include "state/seams.h"

enum class ButtonWake {
    Stop,       // the stop event, or a wait that failed
    Signalled,  // the watch event: the page changed
    ButtonDown, // the left or the right button went down somewhere
    PollDue,    // no hook could be set: time to look at the buttons
};

// Runs on the drag thread. Holds a WH_MOUSE_LL hook for the length of the wait
// and answers it at once, so the desktop's mouse events are never held up;
// the hook is gone when this returns. `watch` may be null. Without a hook (the
// system refused it) it comes back after 10 ms as PollDue.
ButtonWake WaitForButtonDown(HANDLE stop, HANDLE watch, HMODULE hookModule);

// Counts one wake-up of the drag thread: TestSeams::DragThreadWakes, in the
// test build only.
inline void NoteDragThreadWake() {
#ifdef KSUI_TESTING
    InterlockedIncrement(&TestSeams::DragThreadWakes);
#endif
}

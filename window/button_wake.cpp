#include "window/button_wake.h"

namespace {

constexpr DWORD kPollWithoutHookMs = 10;
// The hook's note to its own thread's queue.
constexpr UINT kButtonDownNote = WM_APP + 1;

// Left or right: either may be the user's primary button. Which one is, the
// thread decides from the key state; the hook only wakes it.
bool LeftOrRightDown(WPARAM message) { return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN; }

// Called on the drag thread from inside its PeekMessage, while the system
// holds the mouse event back until it returns: it only leaves a note.
LRESULT CALLBACK ButtonDownHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && LeftOrRightDown(wParam))
        PostThreadMessageW(GetCurrentThreadId(), kButtonDownNote, 0, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Reads the thread's queue dry, which is also where the hook runs; true when
// the hook left its note.
bool TakeMessages() {
    bool buttonDown = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!msg.hwnd && msg.message == kButtonDownNote) {
            buttonDown = true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return buttonDown;
}

} // namespace

ButtonWake WaitForButtonDown(HANDLE stop, HANDLE watch, HMODULE hookModule) {
    // Hooked only while it waits here: the loops that follow a press read no
    // messages, and every mouse event of the desktop would wait for them.
    const HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, ButtonDownHook, hookModule, 0);
    const HANDLE events[2] = {stop, watch};
    const DWORD count = watch ? 2 : 1;
    ButtonWake wake = ButtonWake::Stop;
    for (;;) {
        const DWORD timeout = hook ? INFINITE : kPollWithoutHookMs;
        const DWORD r = MsgWaitForMultipleObjectsEx(count, events, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        NoteDragThreadWake();
        if (r == WAIT_OBJECT_0 + count) {
            // A mouse move, or a button going up, only ran the hook.
            if (!TakeMessages())
                continue;
            wake = ButtonWake::ButtonDown;
        } else if (r == WAIT_TIMEOUT) {
            wake = ButtonWake::PollDue;
        } else if (watch && r == WAIT_OBJECT_0 + 1) {
            wake = ButtonWake::Signalled;
        }
        break;
    }
    if (hook)
        UnhookWindowsHookEx(hook);
    return wake;
}

#include "engine/lifecycle.h"

#include "render/resources.h"
#include "window/attachment.h"
#include "window/drag.h"
#include "window/scaling.h"

namespace {

// What a previous attachment left behind when its window was destroyed without
// a detach, or what a failed attach created before its failing step: the drag
// thread, the factories and formats, and the COM initialisation. Nothing uses
// them while detached; releasing them here keeps a later attach from leaking
// them and keeps the thread from outliving the library.
void ReleaseEngineResources() {
    StopDragThread();
    ReleaseDeviceIndependentResources();
    if (g_State.ComInitialized) {
        // Only the thread that initialised COM may undo it: on any other thread
        // the call would take away that thread's own initialisation instead.
        if (GetCurrentThreadId() == g_State.ComThreadId)
            CoUninitialize();
        g_State.ComInitialized = false;
    }
}

// Whether the wait of KSUiWaitDone is over: decided, or no window left to decide on.
bool WaitEnded() { return g_State.Decision != WaitPending || !g_State.HostWindow; }

} // namespace

int Attach(HWND window, HostCallback callback) {
    EngineState &s = g_State;
    // A destroyed window is refused like a null one: attaching to it would keep
    // every later attach out until a detach.
    if (!window || !IsWindow(window)) {
        RecordStageError(L"KSUiAttach参数", E_INVALIDARG);
        return 0;
    }
    if (s.HostWindow) {
        RecordStageError(L"重复挂载", E_UNEXPECTED);
        return 0;
    }
    // The engine runs on the window's thread only: attached from another thread,
    // the window procedure and the exports would share the record unguarded.
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
        RecordStageError(L"KSUiAttach线程", RPC_E_WRONG_THREAD);
        return 0;
    }
    ReleaseEngineResources();
    LookUpPlatform();

    s.ComInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    s.ComThreadId = GetCurrentThreadId();
    UpdateScaleFactors(window);
    if (!CreateDeviceIndependentResources()) {
        ReleaseEngineResources();
        return 0;
    }

    s.Callback = callback;
    AttachWindow(window);
    return 1;
}

void Detach() {
    EngineState &s = g_State;
    if (!s.HostWindow) {
        ReleaseEngineResources();
        return;
    }
    DetachWindow();
    ReleaseEngineResources();
}

int LastErrorText(wchar_t *buffer, int capacity) { return CopyTextOut(g_State.LastError, buffer, capacity); }

int WaitDone() {
    EngineState &s = g_State;
    if (!s.HostWindow)
        return 0;
    // A wait started from a callback inside another wait shares its decision.
    if (s.WaitDepth == 0 || s.Decision == WaitIdle)
        s.Decision = WaitPending;
    ++s.WaitDepth;
    // PeekMessage also delivers messages sent from other threads, and a wait
    // that sees input of any kind returns: whatever decides the wait, or ends
    // the window, also ends the wait at once.
    while (!WaitEnded()) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!WaitEnded())
                MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (msg.message == WM_QUIT) {
            // Hand the quit on, so that the host's own loop ends as well.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    const bool launch = s.Decision == WaitLaunch;
    // The outermost wait puts the decision back; an inner one leaves it for the
    // waits around it to return as well.
    if (--s.WaitDepth == 0)
        s.Decision = WaitIdle;
    return launch ? 1 : 0;
}

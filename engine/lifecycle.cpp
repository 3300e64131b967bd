#include "engine/lifecycle.h"

#include "engine/system_settings.h"
#include "render/frame_schedule.h"
#include "render/resources.h"
#include "window/accessibility.h"
#include "window/drag.h"
#include "window/keyboard_focus.h"
#include "window/scaling.h"
#include "window/taskbar.h"
#include "window/window_proc.h"

#include <dwmapi.h>

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

void SetDwmBool(HWND window, DWORD attribute, BOOL value) {
    DwmSetWindowAttribute(window, attribute, &value, sizeof value);
}

// Whether the wait of KSUiWaitDone is over: decided, or no window left to decide on.
bool WaitEnded() { return g_State.Decision != WaitPending || !g_State.HostWindow; }

} // namespace

void RecordStageError(const wchar_t *stage, HRESULT code) {
    wchar_t text[160];
    wsprintfW(text, L"阶段=%s HRESULT=0x%08X", stage, static_cast<unsigned>(code));
    g_State.LastError = text;
}

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

    s.ComInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    s.ComThreadId = GetCurrentThreadId();
    UpdateScaleFactors(window);
    s.CurrentMonitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (!CreateDeviceIndependentResources()) {
        ReleaseEngineResources();
        return 0;
    }

    s.Callback = callback;
    s.HostWindow = window;
    HookWindowProc(window);
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME);
    ApplyWindowFrame();
    ApplyWindowSize(true);

    // Hidden until the first paint has put something on screen.
    SetDwmBool(window, DWMWA_CLOAK, TRUE);
    s.Revealed = false;

    ReadSystemSettings();
    s.DirEdit = CreateWindowExW(0, L"EDIT", s.InstallDir.c_str(), WS_CHILD | ES_AUTOHSCROLL, 0, 0, 10, 10, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDirEditId)), s.Module, nullptr);
    LayoutDirEdit();
    HookDirEditKeys();
    SetTimer(window, kFrameTimerId, kFrameTimerMs, nullptr);
    StartTaskbar();
    StartDragThread();
    AnnounceChanges(); // what a screen reader is told from now on is measured from here
    RequestFrame();
    return 1;
}

void Detach() {
    EngineState &s = g_State;
    if (!s.HostWindow) {
        ReleaseEngineResources();
        return;
    }
    StopDragThread();
    if (s.DirEdit)
        DestroyWindow(s.DirEdit);
    // The host gets its window back visible and with its transitions, also when
    // it was never revealed or was revealed without being shown.
    SetDwmBool(s.HostWindow, DWMWA_CLOAK, FALSE);
    SetDwmBool(s.HostWindow, DWMWA_TRANSITIONS_FORCEDISABLED, FALSE);
    ReleaseWindowResources(s.HostWindow);
    ReleaseEngineResources();
}

void ReleaseWindowResources(HWND window) {
    EngineState &s = g_State;
    DisconnectTaskbar();
    KillTimer(window, kFrameTimerId);
    KillTimer(window, kRevealTimerId);
    // Without its window the drag thread has nothing left to do; it ends on
    // its own, also when the host never detaches.
    if (s.DragStopEvent)
        SetEvent(s.DragStopEvent);
    UnhookWindowProc(window);
    s.HostWindow = nullptr;
    s.DirEdit = nullptr;
    // Hover, press and the leave request belong to this window. A leave still
    // marked as requested would keep the next attachment from ever asking for
    // one, and its hover would stick when the mouse leaves.
    s.HoverElement = ElemNone;
    s.PressedElement = ElemNone;
    s.LeaveTracking = false;
    DisconnectAccessible();
    ForgetKeyboardFocus();
    if (s.DirEditFont) {
        DeleteObject(s.DirEditFont);
        s.DirEditFont = nullptr;
    }
    if (s.DirEditBrush) {
        DeleteObject(s.DirEditBrush);
        s.DirEditBrush = nullptr;
    }
    ReleaseDeviceResources();
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

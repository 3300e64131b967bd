#include "engine/lifecycle.h"

#include "engine/system_settings.h"
#include "render/resources.h"
#include "window/drag.h"
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
        CoUninitialize();
        g_State.ComInitialized = false;
    }
}

} // namespace

void RecordStageError(const wchar_t *stage, HRESULT code) {
    wchar_t text[160];
    wsprintfW(text, L"阶段=%s HRESULT=0x%08X", stage, static_cast<unsigned>(code));
    g_State.LastError = text;
}

int Attach(HWND window, HostCallback callback) {
    EngineState &s = g_State;
    if (!window) {
        RecordStageError(L"KSUiAttach参数", E_INVALIDARG);
        return 0;
    }
    if (s.HostWindow) {
        RecordStageError(L"重复挂载", E_UNEXPECTED);
        return 0;
    }
    ReleaseEngineResources();

    s.ComInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    UpdateScaleFactors(window);
    s.CurrentMonitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (!CreateDeviceIndependentResources()) {
        ReleaseEngineResources();
        return 0;
    }

    s.Callback = callback;
    s.HostWindow = window;
    s.PrevWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HostWndProc)));
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME);
    ApplyWindowFrame();
    ApplyWindowSize(true);

    // Hidden until the first paint has put something on screen.
    const BOOL cloak = TRUE;
    DwmSetWindowAttribute(window, DWMWA_CLOAK, &cloak, sizeof cloak);
    s.Revealed = false;

    ReadSystemSettings();
    s.DirEdit = CreateWindowExW(0, L"EDIT", s.InstallDir.c_str(), WS_CHILD | ES_AUTOHSCROLL, 0, 0, 10, 10, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDirEditId)), s.Module, nullptr);
    LayoutDirEdit();
    SetTimer(window, kFrameTimerId, kFrameTimerMs, nullptr);
    StartTaskbar();
    StartDragThread();
    InvalidateRect(window, nullptr, FALSE);
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
    ReleaseWindowResources(s.HostWindow);
    ReleaseEngineResources();
}

void ReleaseWindowResources(HWND window) {
    EngineState &s = g_State;
    DisconnectTaskbar();
    KillTimer(window, kFrameTimerId);
    KillTimer(window, kRevealTimerId);
    if (s.PrevWndProc) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.PrevWndProc));
        s.PrevWndProc = nullptr;
    }
    s.HostWindow = nullptr;
    s.DirEdit = nullptr;
    // Hover, press and the leave request belong to this window. A leave still
    // marked as requested would keep the next attachment from ever asking for
    // one, and its hover would stick when the mouse leaves.
    s.HoverElement = ElemNone;
    s.PressedElement = ElemNone;
    s.LeaveTracking = false;
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
    s.Decision = WaitPending;
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Hand the quit on, so that the host's own loop ends as well.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        // A destroyed or detached window can never be decided on: end the wait.
        if (s.Decision != WaitPending || !s.HostWindow)
            break;
    }
    const bool launch = s.Decision == WaitLaunch;
    s.Decision = WaitIdle;
    return launch ? 1 : 0;
}

#include "window/attachment.h"

#include "render/compositor.h"
#include "render/frame_schedule.h"
#include "window/accessibility.h"
#include "window/drag.h"
#include "window/keyboard_focus.h"
#include "window/scaling.h"
#include "window/system_settings.h"
#include "window/taskbar.h"
#include "window/uia_provider.h"
#include "window/window_proc.h"

#include <dwmapi.h>

namespace {

void SetDwmBool(HWND window, DWORD attribute, BOOL value) {
    DwmSetWindowAttribute(window, attribute, &value, sizeof value);
}

} // namespace

void AttachWindow(HWND window) {
    EngineState &s = g_State;
    s.HostWindow = window;
    HookWindowProc(window);
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME);
    // Sized before the frame goes: the frame change would report the host's
    // own size, and the canvas would take its scale from that.
    ApplyWindowSize(true);
    ApplyWindowFrame();
    // The canvas takes the client's width, also when the window had its size already.
    RECT client = {};
    if (GetClientRect(window, &client))
        FollowClientSize(client.right, client.bottom);

    // Hidden until the first paint has put something on screen.
    SetDwmBool(window, DWMWA_CLOAK, TRUE);
    s.Revealed = false;

    ReadSystemSettings();
    ReadWindowTitle();
    s.DirEdit = CreateWindowExW(0, L"EDIT", s.InstallDir.c_str(), WS_CHILD | ES_AUTOHSCROLL, 0, 0, 10, 10, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDirEditId)), s.Module, nullptr);
    LayoutDirEdit();
    HookDirEditKeys();
    StartTaskbar();
    StartDragThread();
    AnnounceChanges(); // what a screen reader is told from now on is measured from here
    // The first frame; asking for it also starts the frame timer.
    RequestFrame();
}

void ReadWindowTitle() {
    EngineState &s = g_State;
    const int length = GetWindowTextLengthW(s.HostWindow);
    std::wstring title(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int got = GetWindowTextW(s.HostWindow, &title[0], static_cast<int>(title.size()));
    title.resize(static_cast<size_t>(got > 0 ? got : 0));
    if (title == s.WindowTitle)
        return;
    s.WindowTitle = title;
    // Only a high-contrast page without its picture shows the title.
    if (s.HighContrast)
        RequestFrame();
}

void DetachWindow() {
    EngineState &s = g_State;
    StopDragThread();
    if (s.DirEdit)
        DestroyWindow(s.DirEdit);
    // The host gets its window back visible and with its transitions, also when
    // it was never revealed or was revealed without being shown.
    SetDwmBool(s.HostWindow, DWMWA_CLOAK, FALSE);
    SetDwmBool(s.HostWindow, DWMWA_TRANSITIONS_FORCEDISABLED, FALSE);
    ReleaseWindowResources(s.HostWindow);
}

void ReleaseWindowResources(HWND window) {
    EngineState &s = g_State;
    DisconnectTaskbar();
    KillTimer(window, kFrameTimerId);
    KillTimer(window, kRevealTimerId);
    s.FrameTimerMs = 0;
    // Without its window the drag thread has nothing left to do; it ends on
    // its own, also when the host never detaches.
    if (s.DragStopEvent)
        SetEvent(s.DragStopEvent);
    UnhookWindowProc(window);
    // Before the window lets go: the system finds each element by the runtime
    // id that element still gives while it disconnects it.
    DisconnectUiaProviders(window);
    s.HostWindow = nullptr;
    s.DirEdit = nullptr;
    s.ClientSize = {};
    // Hover, press and the leave request belong to this window. A leave still
    // marked as requested would keep the next attachment from ever asking for
    // one, and its hover would stick when the mouse leaves.
    s.HoverElement = ElemNone;
    s.PressedElement = ElemNone;
    s.LeaveTracking = false;
    DisconnectAccessible();
    ForgetKeyboardFocus();
    DeleteObjectAndNull(s.DirEditFont);
    DeleteObjectAndNull(s.DirEditBrush);
    ReleaseDeviceResources();
}

#include "window/drag.h"

#include "window/layout.h"
#include "window/scaling.h"

#include <dwmapi.h>

namespace {

constexpr DWORD kPollMs = 10;
constexpr DWORD kTrackMs = 8;
constexpr DWORD kStopWaitMs = 1000;

// Private to the drag thread; empty between drags. GhostWindowProc reads the
// snapshot on the same thread.
HWND g_GhostWindow = nullptr;
HTHUMBNAIL g_GhostThumbnail = 0;
HDC g_GhostSnapshotDC = nullptr;
HBITMAP g_GhostSnapshotBitmap = nullptr;

void SetDwmBool(HWND window, DWORD attribute, BOOL value) {
    DwmSetWindowAttribute(window, attribute, &value, sizeof value);
}

// The user's primary button: the right one when the buttons are swapped.
bool PrimaryButtonDown() {
    const int vk = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

// Waits on the stop event; true only when the wait timed out (keep going).
// Each drag thread waits on its own duplicate of DragStopEvent: a thread that
// outlives detach's 1000 ms wait still sees its own signalled event, and never
// the event of a later attach, so it cannot keep running beside a new thread.
thread_local HANDLE t_StopEvent = nullptr;

bool WaitTimedOut(DWORD ms) { return WaitForSingleObject(t_StopEvent, ms) == WAIT_TIMEOUT; }

void DispatchThreadMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void MoveHostToGhost(HWND host) {
    SetWindowPos(host, HWND_TOP, g_State.GhostX, g_State.GhostY, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CleanUpGhost() {
    if (g_GhostThumbnail) {
        DwmUnregisterThumbnail(g_GhostThumbnail);
        g_GhostThumbnail = 0;
    }
    if (g_GhostWindow) {
        DestroyWindow(g_GhostWindow);
        g_GhostWindow = nullptr;
    }
    if (g_GhostSnapshotDC) {
        DeleteDC(g_GhostSnapshotDC);
        g_GhostSnapshotDC = nullptr;
    }
    if (g_GhostSnapshotBitmap) {
        DeleteObject(g_GhostSnapshotBitmap);
        g_GhostSnapshotBitmap = nullptr;
    }
}

// Shows what the host shows: a live thumbnail where the compositor offers one,
// else a copy of the screen under the host taken now.
void FillGhost(HWND host, const RECT &r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    HTHUMBNAIL thumbnail = 0;
    if (SUCCEEDED(DwmRegisterThumbnail(g_GhostWindow, host, &thumbnail)) && thumbnail) {
        g_GhostThumbnail = thumbnail;
        DWM_THUMBNAIL_PROPERTIES props = {};
        props.dwFlags = DWM_TNP_RECTDESTINATION | DWM_TNP_VISIBLE | DWM_TNP_SOURCECLIENTAREAONLY;
        props.rcDestination = {0, 0, w, h};
        props.fVisible = TRUE;
        props.fSourceClientAreaOnly = TRUE;
        DwmUpdateThumbnailProperties(thumbnail, &props);
        return;
    }
    HDC screen = GetDC(nullptr);
    g_GhostSnapshotDC = CreateCompatibleDC(screen);
    g_GhostSnapshotBitmap = CreateCompatibleBitmap(screen, w, h);
    if (g_GhostSnapshotDC && g_GhostSnapshotBitmap) {
        SelectObject(g_GhostSnapshotDC, g_GhostSnapshotBitmap);
        BitBlt(g_GhostSnapshotDC, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    } else {
        // Half a copy would paint a black ghost; without one it is plain white.
        if (g_GhostSnapshotDC)
            DeleteDC(g_GhostSnapshotDC);
        if (g_GhostSnapshotBitmap)
            DeleteObject(g_GhostSnapshotBitmap);
        g_GhostSnapshotDC = nullptr;
        g_GhostSnapshotBitmap = nullptr;
    }
    ReleaseDC(nullptr, screen);
}

// Shows the ghost exactly over the host and cloaks the host. False when the
// ghost window cannot be made.
bool BeginDrag(HWND host, const RECT &r) {
    g_State.GhostX = r.left;
    g_State.GhostY = r.top;
    g_GhostWindow = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kGhostClassName, L"",
                                    WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                    g_State.Module, nullptr);
    if (!g_GhostWindow)
        return false;
    SetDwmBool(g_GhostWindow, DWMWA_CLOAK, TRUE);
    SetDwmBool(g_GhostWindow, DWMWA_TRANSITIONS_FORCEDISABLED, TRUE);

    // The host's frame recipe, so the ghost has the same shadow and corners.
    SetWindowLongW(g_GhostWindow, GWL_STYLE, WS_POPUP | WS_CAPTION | WS_THICKFRAME);
    const MARGINS margins = {1, 1, 1, 1};
    DwmExtendFrameIntoClientArea(g_GhostWindow, &margins);
    const int round = 2; // DWMWCP_ROUND
    DwmSetWindowAttribute(g_GhostWindow, 33 /* DWMWA_WINDOW_CORNER_PREFERENCE */, &round, sizeof round);
    SetWindowPos(g_GhostWindow, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SendMessageW(g_GhostWindow, WM_NCACTIVATE, 1, 0);

    FillGhost(host, r);
    ShowWindow(g_GhostWindow, SW_SHOWNOACTIVATE);
    UpdateWindow(g_GhostWindow);
    DwmFlush();
    SetDwmBool(g_GhostWindow, DWMWA_CLOAK, FALSE);

    SetDwmBool(host, DWMWA_TRANSITIONS_FORCEDISABLED, TRUE);
    SetDwmBool(host, DWMWA_CLOAK, TRUE);
    InterlockedExchange(&g_State.DragState, DragMoving);
    return true;
}

// Moves the ghost with the cursor until the button is released, then hands the
// drop position to the window thread and waits until it has moved the host.
// Without a host window (the host destroyed it) there is nobody to hand over
// to, and the ghost goes at once.
void FollowAndRelease(const RECT &r, POINT press) {
    // The first step is taken even when the button came up while the ghost was
    // being made: the window lands where the cursor let go, not where the
    // threshold was crossed.
    do {
        if (!WaitTimedOut(kTrackMs) || !g_State.HostWindow)
            break;
        POINT c;
        GetCursorPos(&c);
        // Measured from the press point, not from where the threshold was crossed.
        const LONG x = r.left - press.x + c.x;
        const LONG y = r.top - press.y + c.y;
        g_State.GhostX = x;
        g_State.GhostY = y;
        SetWindowPos(g_GhostWindow, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        DispatchThreadMessages();
    } while (PrimaryButtonDown());
    RECT dropped;
    if (GetWindowRect(g_GhostWindow, &dropped)) {
        g_State.GhostX = dropped.left;
        g_State.GhostY = dropped.top;
    }
    InterlockedExchange(&g_State.DragState, DragReleased);

    // The ghost stays at the drop point until the host stands there.
    while (g_State.DragState != DragIdle && g_State.HostWindow) {
        if (!WaitTimedOut(kPollMs))
            break;
        DispatchThreadMessages();
    }

    if (HWND host = g_State.HostWindow) {
        SetDwmBool(host, DWMWA_CLOAK, FALSE);
        SetDwmBool(host, DWMWA_TRANSITIONS_FORCEDISABLED, FALSE);
    }
    if (g_GhostWindow)
        SetDwmBool(g_GhostWindow, DWMWA_CLOAK, TRUE);
    DwmFlush();
    CleanUpGhost();
}

// Watches a fresh press until the cursor leaves the drag threshold. True when
// it did with the button still down; false when the button came up or detach
// asked the thread to stop.
bool PastThreshold(POINT press) {
    const int cx = GetSystemMetrics(SM_CXDRAG);
    const int cy = GetSystemMetrics(SM_CYDRAG);
    while (PrimaryButtonDown()) {
        if (!WaitTimedOut(kTrackMs))
            return false;
        POINT c;
        GetCursorPos(&c);
        if (c.x - press.x > cx || press.x - c.x > cx || c.y - press.y > cy || press.y - c.y > cy)
            return true;
    }
    return false;
}

// A press may start a drag only on empty space of the installing page, on the
// host window itself.
bool PressStartsDrag(HWND host, POINT press) {
    if (WindowFromPoint(press) != host)
        return false;
    POINT client = press;
    ScreenToClient(host, &client);
    const D2D1_POINT_2F d = DesignFromClient(client.x, client.y);
    return HitTest(d.x, d.y) == ElemNone;
}

} // namespace

DWORD WINAPI DragThreadMain(LPVOID stopEvent) {
    t_StopEvent = static_cast<HANDLE>(stopEvent);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = GhostWindowProc;
    wc.hInstance = g_State.Module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kGhostClassName;
    // Never unregistered: a later attach finds the class already there.
    RegisterClassW(&wc);

    bool wasDown = false;
    while (WaitTimedOut(kPollMs)) {
        HWND host = g_State.HostWindow;
        if (!host)
            continue;
        const bool down = PrimaryButtonDown();
        const bool pressed = down && !wasDown;
        wasDown = down;
        // One press yields one chance: a refused press needs a new one.
        if (g_State.DragState != DragIdle || !pressed || g_State.CurrentPage != PageInstalling)
            continue;
        POINT press;
        GetCursorPos(&press);
        if (!PressStartsDrag(host, press))
            continue;
        if (!PastThreshold(press)) {
            wasDown = PrimaryButtonDown();
            continue;
        }
        RECT r;
        if (!GetWindowRect(host, &r) || !BeginDrag(host, r)) {
            CleanUpGhost();
            continue;
        }
        FollowAndRelease(r, press);
        wasDown = PrimaryButtonDown();
    }
    CleanUpGhost();
    if (t_StopEvent)
        CloseHandle(t_StopEvent);
    return 0;
}

LRESULT CALLBACK GhostWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCALCSIZE:
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (g_GhostSnapshotDC) {
            RECT client;
            GetClientRect(window, &client);
            BitBlt(dc, 0, 0, client.right, client.bottom, g_GhostSnapshotDC, 0, 0, SRCCOPY);
        } else {
            FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProcW(window, msg, wParam, lParam);
    }
}

// --- Window thread ---

void StartDragThread() {
    EngineState &s = g_State;
    s.DragStopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE own = nullptr;
    if (s.DragStopEvent)
        DuplicateHandle(GetCurrentProcess(), s.DragStopEvent, GetCurrentProcess(), &own, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    s.DragThread = CreateThread(nullptr, 0, DragThreadMain, own, 0, nullptr);
    if (!s.DragThread && own)
        CloseHandle(own);
}

void StopDragThread() {
    EngineState &s = g_State;
    if (!s.DragThread)
        return;
    SetEvent(s.DragStopEvent);
    WaitForSingleObject(s.DragThread, kStopWaitMs);
    CloseHandle(s.DragThread);
    s.DragThread = nullptr;
    if (s.DragStopEvent) {
        CloseHandle(s.DragStopEvent);
        s.DragStopEvent = nullptr;
    }
    if (s.DragState == DragIdle)
        return;
    // A drag was under way or not yet taken over: the host goes where the ghost was.
    if (HWND host = s.HostWindow) {
        MoveHostToGhost(host);
        SetDwmBool(host, DWMWA_CLOAK, FALSE);
        SetDwmBool(host, DWMWA_TRANSITIONS_FORCEDISABLED, FALSE);
    }
    InterlockedExchange(&s.DragState, DragIdle);
}

void SyncDragState() {
    EngineState &s = g_State;
    HWND host = s.HostWindow;
    if (!host)
        return;
    switch (s.DragState) {
    case DragMoving: {
        RECT r;
        // The cloaked host waits off screen while the ghost is dragged.
        if (GetWindowRect(host, &r) && r.left != kParkPosition)
            SetWindowPos(host, nullptr, kParkPosition, kParkPosition, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case DragReleased:
        MoveHostToGhost(host);
        if (MonitorFromWindow(host, MONITOR_DEFAULTTONEAREST) != s.CurrentMonitor)
            RelayoutForDisplay(false);
        InterlockedExchange(&s.DragState, DragIdle);
        break;
    default:
        break;
    }
}

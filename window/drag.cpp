#include "window/drag.h"

#include "geometry/layout.h"
#include "geometry/pixels.h"
#include "window/button_wake.h"
#include "window/scaling.h"

#include <dwmapi.h>

#include <new>

namespace {

constexpr DWORD kPollMs = 10;
constexpr DWORD kTrackMs = 8;
constexpr DWORD kPressSettleMs = 100;
constexpr DWORD kStopWaitMs = 1000;

// Everything one drag thread owns. Each thread has its own: a thread that
// outlives detach's wait never shares its stop event or its ghost with the
// thread of a later attach. GhostWindowProc finds it through the ghost's
// GWLP_USERDATA, on the same thread.
struct DragThreadContext {
    HANDLE StopEvent = nullptr;       // its own duplicate of DragStopEvent
    HANDLE WatchEvent = nullptr;      // its own duplicate of DragWatchEvent; null: it watches on every page
    HMODULE Module = nullptr;         // its own reference on the library, freed as the thread ends
    HWND GhostWindow = nullptr;       // empty between drags
    HTHUMBNAIL GhostThumbnail = 0;
    HDC GhostSnapshotDC = nullptr;
    HBITMAP GhostSnapshotBitmap = nullptr;
};

void SetDwmBool(HWND window, DWORD attribute, BOOL value) {
    DwmSetWindowAttribute(window, attribute, &value, sizeof value);
}

// The user's primary button: the right one when the buttons are swapped.
bool PrimaryButtonDown() {
    const int vk = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

// Waits on the thread's stop event; true only when the wait timed out (keep going).
bool WaitTimedOut(const DragThreadContext &t, DWORD ms) {
    const bool timedOut = WaitForSingleObject(t.StopEvent, ms) == WAIT_TIMEOUT;
    NoteDragThreadWake();
    return timedOut;
}

void DispatchThreadMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Publishes a new drag state and has the window thread take it over at once,
// whenever it next reads its messages: the frame timer may be asleep.
void PublishDragState(HWND host, LONG state) {
    InterlockedExchange(&g_State.DragState, state);
    if (host && g_State.TickMessage)
        PostMessageW(host, g_State.TickMessage, 0, 0);
}

void MoveHostToGhost(HWND host) {
    SetWindowPos(host, HWND_TOP, g_State.GhostX, g_State.GhostY, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// The DC goes first: it lets go of the bitmap selected into it.
void DeleteSnapshot(DragThreadContext &t) {
    DeleteDcAndNull(t.GhostSnapshotDC);
    DeleteObjectAndNull(t.GhostSnapshotBitmap);
}

void CleanUpGhost(DragThreadContext &t) {
    if (t.GhostThumbnail) {
        DwmUnregisterThumbnail(t.GhostThumbnail);
        t.GhostThumbnail = 0;
    }
    if (t.GhostWindow) {
        DestroyWindow(t.GhostWindow);
        t.GhostWindow = nullptr;
    }
    DeleteSnapshot(t);
}

// Shows what the host shows: a live thumbnail where the compositor offers one,
// else a copy of the screen under the host taken now.
void FillGhost(DragThreadContext &t, HWND host, const RECT &r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    HTHUMBNAIL thumbnail = 0;
    if (SUCCEEDED(DwmRegisterThumbnail(t.GhostWindow, host, &thumbnail)) && thumbnail) {
        t.GhostThumbnail = thumbnail;
        DWM_THUMBNAIL_PROPERTIES props = {};
        props.dwFlags = DWM_TNP_RECTDESTINATION | DWM_TNP_VISIBLE | DWM_TNP_SOURCECLIENTAREAONLY;
        props.rcDestination = {0, 0, w, h};
        props.fVisible = TRUE;
        props.fSourceClientAreaOnly = TRUE;
        DwmUpdateThumbnailProperties(thumbnail, &props);
        return;
    }
    const ScopedWindowDc screen(nullptr, GetDC(nullptr));
    t.GhostSnapshotDC = CreateCompatibleDC(screen.Get());
    t.GhostSnapshotBitmap = CreateCompatibleBitmap(screen.Get(), w, h);
    if (t.GhostSnapshotDC && t.GhostSnapshotBitmap) {
        SelectObject(t.GhostSnapshotDC, t.GhostSnapshotBitmap);
        BitBlt(t.GhostSnapshotDC, 0, 0, w, h, screen.Get(), r.left, r.top, SRCCOPY);
    } else {
        // Half a copy would paint a black ghost; without one it is plain white.
        DeleteSnapshot(t);
    }
}

// Shows the ghost exactly over the host and cloaks the host. False when the
// ghost window cannot be made.
bool BeginDrag(DragThreadContext &t, HWND host, const RECT &r) {
    g_State.GhostX = r.left;
    g_State.GhostY = r.top;
    t.GhostWindow = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kGhostClassName, L"",
                                    WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                    g_State.Module, &t);
    if (!t.GhostWindow)
        return false;
    SetDwmBool(t.GhostWindow, DWMWA_CLOAK, TRUE);
    SetDwmBool(t.GhostWindow, DWMWA_TRANSITIONS_FORCEDISABLED, TRUE);

    // The host's frame recipe, so the ghost has the same shadow and corners.
    SetWindowLongW(t.GhostWindow, GWL_STYLE, WS_POPUP | WS_CAPTION | WS_THICKFRAME);
    const MARGINS margins = {1, 1, 1, 1};
    DwmExtendFrameIntoClientArea(t.GhostWindow, &margins);
    const int round = 2; // DWMWCP_ROUND
    DwmSetWindowAttribute(t.GhostWindow, 33 /* DWMWA_WINDOW_CORNER_PREFERENCE */, &round, sizeof round);
    SetWindowPos(t.GhostWindow, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SendMessageW(t.GhostWindow, WM_NCACTIVATE, 1, 0);

    FillGhost(t, host, r);
    ShowWindow(t.GhostWindow, SW_SHOWNOACTIVATE);
    UpdateWindow(t.GhostWindow);
    DwmFlush();
    SetDwmBool(t.GhostWindow, DWMWA_CLOAK, FALSE);

    SetDwmBool(host, DWMWA_TRANSITIONS_FORCEDISABLED, TRUE);
    SetDwmBool(host, DWMWA_CLOAK, TRUE);
    PublishDragState(host, DragMoving);
    return true;
}

// Moves the ghost with the cursor until the button is released, then hands the
// drop position to the window thread and waits until it has moved the host.
// Without a host window (the host destroyed it) there is nobody to hand over
// to, and the ghost goes at once.
void FollowAndRelease(DragThreadContext &t, const RECT &r, POINT press) {
    // The first step is taken even when the button came up while the ghost was
    // being made: the window lands where the cursor let go, not where the
    // threshold was crossed.
    do {
        if (!WaitTimedOut(t, kTrackMs) || !g_State.HostWindow)
            break;
        POINT c;
        GetCursorPos(&c);
        // Measured from the press point, not from where the threshold was crossed.
        const LONG x = r.left - press.x + c.x;
        const LONG y = r.top - press.y + c.y;
        g_State.GhostX = x;
        g_State.GhostY = y;
        SetWindowPos(t.GhostWindow, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        DispatchThreadMessages();
    } while (PrimaryButtonDown());
    RECT dropped;
    if (GetWindowRect(t.GhostWindow, &dropped)) {
        g_State.GhostX = dropped.left;
        g_State.GhostY = dropped.top;
    }
    PublishDragState(g_State.HostWindow, DragReleased);

    // The ghost stays at the drop point until the host stands there.
    while (g_State.DragState != DragIdle && g_State.HostWindow) {
        if (!WaitTimedOut(t, kPollMs))
            break;
        DispatchThreadMessages();
    }

    if (HWND host = g_State.HostWindow) {
        SetDwmBool(host, DWMWA_CLOAK, FALSE);
        SetDwmBool(host, DWMWA_TRANSITIONS_FORCEDISABLED, FALSE);
    }
    if (t.GhostWindow)
        SetDwmBool(t.GhostWindow, DWMWA_CLOAK, TRUE);
    DwmFlush();
    CleanUpGhost(t);
}

// Watches a fresh press until the cursor leaves the drag threshold. True when
// it did with the button still down; false when the button came up or detach
// asked the thread to stop.
bool PastThreshold(const DragThreadContext &t, POINT press) {
    const int cx = GetSystemMetrics(SM_CXDRAG);
    const int cy = GetSystemMetrics(SM_CYDRAG);
    while (PrimaryButtonDown()) {
        if (!WaitTimedOut(t, kTrackMs))
            return false;
        POINT c;
        GetCursorPos(&c);
        if (c.x - press.x > cx || press.x - c.x > cx || c.y - press.y > cy || press.y - c.y > cy)
            return true;
    }
    return false;
}

// Off the installing page no press can start a drag, so the thread sleeps
// until the page changes instead of watching the buttons. False when the
// thread is to stop.
bool WaitForInstallingPage(const DragThreadContext &t) {
    if (!t.WatchEvent)
        return true;
    const HANDLE events[2] = {t.StopEvent, t.WatchEvent};
    while (g_State.CurrentPage != PageInstalling) {
        const DWORD r = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        NoteDragThreadWake();
        if (r != WAIT_OBJECT_0 + 1)
            return false;
    }
    return true;
}

// The hook wakes the thread before the system has taken the press in, so the
// key state may show the button a moment later (under Wine it already does).
// A press of the other button never shows; it is given up after a while.
bool PrimaryDownSoon(const DragThreadContext &t) {
    for (DWORD waited = 0;; waited += kPollMs) {
        if (PrimaryButtonDown())
            return true;
        if (waited >= kPressSettleMs || !WaitTimedOut(t, kPollMs))
            return false;
    }
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

DWORD WINAPI DragThreadMain(LPVOID context) {
    DragThreadContext &t = *static_cast<DragThreadContext *>(context);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = GhostWindowProc;
    wc.hInstance = g_State.Module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kGhostClassName;
    // Never unregistered: a later attach finds the class already there.
    RegisterClassW(&wc);

    for (;;) {
        if (!WaitForInstallingPage(t))
            break;
        // A button held as the page came, through a refused press or past the
        // end of a drag is no new press; only while it is held does the thread
        // poll, until it comes up. One press yields one chance.
        if (PrimaryButtonDown()) {
            if (!WaitTimedOut(t, kPollMs))
                break;
            continue;
        }
        // The primary button is up: sleep until some button goes down.
        const ButtonWake wake = WaitForButtonDown(t.StopEvent, t.WatchEvent, t.Module);
        if (wake == ButtonWake::Stop)
            break;
        if (wake == ButtonWake::Signalled)
            continue;
        const bool pressed = wake == ButtonWake::ButtonDown ? PrimaryDownSoon(t) : PrimaryButtonDown();
        HWND host = g_State.HostWindow;
        if (!pressed || !host || g_State.DragState != DragIdle || g_State.CurrentPage != PageInstalling)
            continue;
        POINT press;
        GetCursorPos(&press);
        if (!PressStartsDrag(host, press) || !PastThreshold(t, press))
            continue;
        RECT r;
        if (!GetWindowRect(host, &r) || !BeginDrag(t, host, r)) {
            CleanUpGhost(t);
            continue;
        }
        FollowAndRelease(t, r, press);
    }
    CleanUpGhost(t);
    HMODULE module = t.Module;
    CloseHandleAndNull(t.StopEvent);
    CloseHandleAndNull(t.WatchEvent);
    delete &t;
    // The library stays loaded until this thread has left it, even when the
    // host unloads it right after destroying its window.
    if (module)
        FreeLibraryAndExitThread(module, 0);
    return 0;
}

LRESULT CALLBACK GhostWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCREATE: {
        const CREATESTRUCTW *create = reinterpret_cast<const CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    case WM_NCCALCSIZE:
        return 0;
    case WM_PAINT: {
        const DragThreadContext *t = reinterpret_cast<const DragThreadContext *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (t && t->GhostSnapshotDC) {
            RECT client;
            GetClientRect(window, &client);
            BitBlt(dc, 0, 0, client.right, client.bottom, t->GhostSnapshotDC, 0, 0, SRCCOPY);
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
    DragThreadContext *t = new (std::nothrow) DragThreadContext;
    if (!s.DragStopEvent || !t) {
        // Without a thread StopDragThread closes nothing: the event goes now.
        CloseHandleAndNull(s.DragStopEvent);
        delete t;
        return;
    }
    DuplicateHandle(GetCurrentProcess(), s.DragStopEvent, GetCurrentProcess(), &t->StopEvent, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    // Auto-reset: each page change wakes the thread once, and it reads the page.
    s.DragWatchEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (s.DragWatchEvent)
        DuplicateHandle(GetCurrentProcess(), s.DragWatchEvent, GetCurrentProcess(), &t->WatchEvent, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    // Taken here, before the thread runs, so that no moment exists in which the
    // thread runs in a library nobody holds.
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&DragThreadMain),
                       &t->Module);
    s.DragThread = CreateThread(nullptr, 0, DragThreadMain, t, 0, nullptr);
    if (s.DragThread)
        return;
    // Without a thread StopDragThread closes nothing: everything goes now.
    if (t->Module)
        FreeLibrary(t->Module);
    CloseHandleAndNull(t->StopEvent);
    CloseHandleAndNull(t->WatchEvent);
    delete t;
    CloseHandleAndNull(s.DragStopEvent);
    CloseHandleAndNull(s.DragWatchEvent);
}

void WatchForDrags() {
    if (g_State.DragWatchEvent)
        SetEvent(g_State.DragWatchEvent);
}

// Waits for the drag thread while still answering what other threads send to
// this one: the drag thread may need an answer from the window thread (about
// its windows' activation or z-order) before it can end. Posted messages stay
// queued for the host.
static bool WaitAnsweringSentMessages(HANDLE thread, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= end ? 0 : static_cast<DWORD>(end - now);
        const DWORD r = MsgWaitForMultipleObjectsEx(1, &thread, left, QS_SENDMESSAGE, 0);
        if (r == WAIT_OBJECT_0)
            return true;
        if (r != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void StopDragThread() {
    EngineState &s = g_State;
    if (!s.DragThread)
        return;
    // Taken out of the record first: a message answered during the wait may
    // reach code that stops the thread again.
    HANDLE thread = s.DragThread, stop = s.DragStopEvent;
    s.DragThread = nullptr;
    s.DragStopEvent = nullptr;
    CloseHandleAndNull(s.DragWatchEvent);
    if (stop)
        SetEvent(stop);
    WaitAnsweringSentMessages(thread, kStopWaitMs);
    CloseHandleAndNull(thread);
    CloseHandleAndNull(stop);
    if (s.DragState == DragIdle)
        return;
    // A drag was under way or not yet taken over: the host goes where the ghost
    // was; detach uncloaks it.
    if (HWND host = s.HostWindow)
        MoveHostToGhost(host);
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

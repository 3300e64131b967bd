#include "window/window_proc.h"

#include "geometry/layout.h"
#include "geometry/pixels.h"
#include "render/compositor.h"
#include "render/frame_schedule.h"
#include "render/palette.h"
#include "window/accessibility.h"
#include "window/attachment.h"
#include "window/element_actions.h"
#include "window/keyboard_focus.h"
#include "window/scaling.h"
#include "window/system_settings.h"
#include "window/taskbar.h"
#include "window/tick.h"
#include "window/uia_provider.h"

#include <dwmapi.h>
#include <windowsx.h>

namespace {

constexpr ULONGLONG kRevealAfterShowMs = 150;

// The procedure HostWndProc replaced, on a window where a later subclass keeps
// HostWndProc in the chain after detach.
constexpr wchar_t kPassThroughProp[] = L"KestoUiPassThrough";

// A window the engine is no longer attached to: every message goes on to the
// procedure the engine once replaced.
LRESULT PassThrough(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = reinterpret_cast<WNDPROC>(
        msg == WM_NCDESTROY ? RemovePropW(window, kPassThroughProp) : GetPropW(window, kPassThroughProp));
    if (previous)
        return CallWindowProcW(previous, window, msg, wParam, lParam);
    return DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT Forward(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_State.PrevWndProc)
        return CallWindowProcW(g_State.PrevWndProc, window, msg, wParam, lParam);
    return DefWindowProcW(window, msg, wParam, lParam);
}

void SetCloak(HWND window, BOOL cloaked) { DwmSetWindowAttribute(window, DWMWA_CLOAK, &cloaked, sizeof cloaked); }

// The signed 16-bit client coordinates of a mouse message, in design units.
D2D1_POINT_2F MousePoint(LPARAM lParam) { return DesignFromClient(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); }

int HitAt(LPARAM lParam) {
    const D2D1_POINT_2F p = MousePoint(lParam);
    return HitTest(p.x, p.y);
}

// --- Reveal ---

void Reveal(HWND window) {
    g_State.Revealed = true;
    SetCloak(window, FALSE);
    ApplyWindowFrame();
    ScheduleTick();
}

bool CanReveal(HWND window) {
    return !g_State.Revealed && g_State.DragState == DragIdle && IsWindowVisible(window);
}

// --- Timers ---

void OnRevealTimer(HWND window) {
    KillTimer(window, kRevealTimerId);
    if (CanReveal(window))
        Reveal(window);
    // ApplyWindowFrame disabled the system's transitions; give them back.
    const BOOL off = FALSE;
    DwmSetWindowAttribute(window, DWMWA_TRANSITIONS_FORCEDISABLED, &off, sizeof off);
    // The window is visible now: whatever waits for the screen gets its ticks.
    ScheduleTick();
}

// --- Press and release ---

LRESULT OnPress(HWND window, LPARAM lParam) {
    EngineState &s = g_State;
    const int h = HitAt(lParam);
    if (h != s.HoverElement) {
        s.HoverElement = h;
        ScheduleTick();
    }
    if (!ElementPressable(h))
        return 0;
    s.PressedElement = h;
    SetCapture(window);
    RequestFrame();
    return 0;
}

LRESULT OnRelease(HWND window, LPARAM lParam) {
    EngineState &s = g_State;
    const int h = HitAt(lParam);
    const int p = s.PressedElement;
    s.PressedElement = ElemNone;
    if (GetCapture() == window)
        ReleaseCapture();
    // A press that left its element, or whose element went away, does nothing.
    if (p == ElemNone || h != p || !ElementActionable(h)) {
        RequestFrame();
        return 0;
    }
    PerformElementAction(h);
    return 0;
}

} // namespace

// --- Installing and removing the procedure ---

void HookWindowProc(HWND window) {
    EngineState &s = g_State;
    // Still in this window's chain from an earlier attachment: take that link up
    // again, or HostWndProc would run twice for every message.
    if (HANDLE buried = RemovePropW(window, kPassThroughProp)) {
        s.PrevWndProc = reinterpret_cast<WNDPROC>(buried);
        return;
    }
    s.PrevWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HostWndProc)));
}

void UnhookWindowProc(HWND window) {
    EngineState &s = g_State;
    if (!s.PrevWndProc)
        return;
    // Putting the old procedure back over a later subclass would silently drop it.
    if (GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(HostWndProc))
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.PrevWndProc));
    else
        SetPropW(window, kPassThroughProp, reinterpret_cast<HANDLE>(s.PrevWndProc));
    s.PrevWndProc = nullptr;
}

// --- The window procedure ---

LRESULT CALLBACK HostWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    EngineState &s = g_State;
    if (window != s.HostWindow)
        return PassThrough(window, msg, wParam, lParam);
    if (msg != 0 && msg == s.DefaultActionMessage) {
        RunDefaultAction(static_cast<int>(wParam), lParam);
        return 0;
    }
    if (msg != 0 && msg == s.UiaCallMessage) {
        RunUiaCall(lParam);
        return 0;
    }
    if (msg != 0 && msg == s.TickMessage) {
        Tick(TickCause::FrameTimer);
        return 0;
    }
    switch (msg) {
    case WM_SIZE:
        FollowClientSize(LOWORD(lParam), HIWORD(lParam));
        return 0;

    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        PaintFrame(FocusRingItem());
        EndPaint(window, &ps);
        // A window that was visible before it was attached has ShowTick 0 and is
        // revealed by its first paint.
        if (CanReveal(window) && NowTick() - s.ShowTick >= kRevealAfterShowMs)
            Reveal(window);
        ScheduleTick();
        return 0;
    }

    case WM_ERASEBKGND:
        return 1;

    case WM_SHOWWINDOW:
        if (wParam) {
            s.ShowTick = NowTick();
            ApplyWindowFrame();
            PaintFrame(FocusRingItem());
            UpdateWindow(window);
            SetTimer(window, kRevealTimerId, kRevealTimerMs, nullptr);
        }
        return Forward(window, msg, wParam, lParam);

    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && ElementPressable(s.HoverElement)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return 1;
        }
        return Forward(window, msg, wParam, lParam);

    case WM_WINDOWPOSCHANGED: {
        const WINDOWPOS *pos = reinterpret_cast<const WINDOWPOS *>(lParam);
        // Our own frame changes are marked by FrameApplying; anybody else's after
        // the reveal is answered by applying the frame again at the next tick.
        if (pos && (pos->flags & SWP_FRAMECHANGED) && !s.FrameApplying && s.Revealed) {
            s.FrameReapplyPending = true;
            ScheduleTick();
        }
        // A window moved to another monitor takes that monitor's scale. During
        // a drag the host waits off screen, and the drop looks for itself.
        if (pos && !(pos->flags & SWP_NOMOVE) && s.DragState == DragIdle &&
            MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST) != s.CurrentMonitor)
            RelayoutForDisplay(false);
        return Forward(window, msg, wParam, lParam);
    }

    case WM_DISPLAYCHANGE:
        RelayoutForDisplay(true);
        return Forward(window, msg, wParam, lParam);

    case WM_NCDESTROY: {
        // Releasing the window's resources also tells the drag thread to end.
        WNDPROC previous = s.PrevWndProc;
        ReleaseWindowResources(window);
        RemovePropW(window, kPassThroughProp);
        if (previous)
            return CallWindowProcW(previous, window, msg, wParam, lParam);
        return DefWindowProcW(window, msg, wParam, lParam);
    }

    case WM_NCCALCSIZE:
        // No non-client frame: the client area is the whole window.
        return 0;

    case WM_NCHITTEST: {
        if (s.CurrentPage == PageInstalling)
            return HTCLIENT; // the drag thread moves the window on this page
        POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(window, &p);
        const D2D1_POINT_2F d = DesignFromClient(p.x, p.y);
        return HitTest(d.x, d.y) != ElemNone ? HTCLIENT : HTCAPTION;
    }

    case WM_NCACTIVATE: {
        BOOL composition = FALSE;
        if (SUCCEEDED(DwmIsCompositionEnabled(&composition)) && !composition)
            return 1; // no system caption drawn over the canvas
        return Forward(window, msg, wParam, lParam);
    }

    case WM_NCLBUTTONDBLCLK:
        return 0; // a double click on empty space neither maximises nor restores

    case WM_TIMER:
        if (wParam == kRevealTimerId) {
            OnRevealTimer(window);
            return 0;
        }
        if (wParam == kFrameTimerId) {
            Tick(TickCause::FrameTimer);
            return 0;
        }
        return Forward(window, msg, wParam, lParam);

    case WM_CTLCOLOREDIT:
        if (s.DirEdit && reinterpret_cast<HWND>(lParam) == s.DirEdit) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, ColorRefFrom(s.Colors.DirBox));
            SetTextColor(dc, ColorRefFrom(s.Colors.DirText));
            return reinterpret_cast<LRESULT>(s.DirEditBrush);
        }
        return Forward(window, msg, wParam, lParam);

    case WM_MOUSEMOVE: {
        const int h = HitAt(lParam);
        if (h != s.HoverElement) {
            s.HoverElement = h;
            // The hover levels follow at the next ticks, each such frame drawing
            // only what moved; only the pressed look changes at once.
            if (s.PressedElement != ElemNone)
                RequestFrame();
            ScheduleTick();
        }
        if (!s.LeaveTracking) {
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
            TrackMouseEvent(&track);
            s.LeaveTracking = true;
        }
        return 0;
    }

    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return OnPress(window, lParam);

    case WM_LBUTTONUP:
        return OnRelease(window, lParam);

    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window && s.PressedElement != ElemNone) {
            s.PressedElement = ElemNone;
            RequestFrame();
        }
        return Forward(window, msg, wParam, lParam);

    case WM_MOUSELEAVE:
        s.LeaveTracking = false;
        if (s.HoverElement != ElemNone) {
            s.HoverElement = ElemNone;
            if (s.PressedElement != ElemNone)
                RequestFrame();
            ScheduleTick();
        }
        return 0;

    case WM_DPICHANGED:
        FollowDpiChange(LOWORD(wParam), reinterpret_cast<const RECT *>(lParam));
        return 0;

    case WM_GETOBJECT: {
        // OBJID_CLIENT gets the MSAA object, UiaRootObjectId the UI Automation
        // root; every other id is the host's.
        LRESULT object = 0;
        if (AnswerGetObject(window, wParam, lParam, &object) || AnswerUiaRoot(window, wParam, lParam, &object))
            return object;
        return Forward(window, msg, wParam, lParam);
    }

    case WM_KEYDOWN: {
        // The host hears every key first; the engine acts on a few after it,
        // unless the host detached or destroyed the window meanwhile.
        const LRESULT result = Forward(window, msg, wParam, lParam);
        if (s.HostWindow == window)
            OnHostKeyDown(wParam, lParam);
        return result;
    }

    case WM_DWMCOMPOSITIONCHANGED:
        ApplyWindowFrame();
        return Forward(window, msg, wParam, lParam);

    case WM_SETTEXT: {
        const LRESULT result = Forward(window, msg, wParam, lParam);
        if (s.HostWindow == window)
            ReadWindowTitle();
        return result;
    }

    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        ReadSystemSettings();
        return Forward(window, msg, wParam, lParam);

    default:
        // The shell made the window's taskbar button (again, after a restart of the shell).
        if (msg != 0 && msg == s.TaskbarButtonMessage)
            ConnectTaskbar();
        return Forward(window, msg, wParam, lParam);
    }
}

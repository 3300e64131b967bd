#include "window/scaling.h"

#include "geometry/captions.h"
#include "geometry/layout.h"
#include "geometry/pixels.h"
#include "render/frame_schedule.h"
#include "render/render_target.h"
#include "render/resources.h"

#include <dwmapi.h>

namespace {

RECT WorkAreaOf(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

void SetDwmInt(HWND window, DWORD attribute, int value) {
    DwmSetWindowAttribute(window, attribute, &value, sizeof value);
}

// DWMWA_WINDOW_CORNER_PREFERENCE and DWMWCP_ROUND, from newer SDKs.
constexpr DWORD kDwmWindowCornerPreference = 33;
constexpr int kDwmCornerRound = 2;

} // namespace

UINT WindowDpi(HWND window) {
    UINT dpi = g_State.GetDpiForWindow ? g_State.GetDpiForWindow(window) : 0;
    if (dpi == 0) {
        const ScopedWindowDc dc(window, GetDC(window));
        if (dc.Get())
            dpi = static_cast<UINT>(GetDeviceCaps(dc.Get(), LOGPIXELSX));
    }
    return dpi;
}

bool PerMonitorAware(HWND window) {
    const EngineState &s = g_State;
    if (!s.GetWindowDpiAwarenessContext || !s.GetAwarenessFromDpiAwarenessContext)
        return false;
    return s.GetAwarenessFromDpiAwarenessContext(s.GetWindowDpiAwarenessContext(window)) ==
           DPI_AWARENESS_PER_MONITOR_AWARE;
}

namespace {

// Text keeps a readable physical size: z units show 0.85 * z * DPI / 96
// pixels high, within the boost's bounds.
float BoostFor(UINT dpi, float windowScale) {
    const float dpiScale = dpi ? static_cast<float>(dpi) / 96.0f : 1.0f;
    const float x = (dpiScale > 1.0f ? dpiScale : 1.0f) / windowScale * 0.85f;
    return x < 1.0f ? 1.0f : (x < 2.0f ? x : 2.0f);
}

} // namespace

void UpdateScaleFactors(HWND window) {
    EngineState &s = g_State;
    const RECT work = WorkAreaOf(window);
    const float w = static_cast<float>(work.right - work.left);
    const float h = static_cast<float>(work.bottom - work.top);

    // At most 80 % of the work area's width and 30 % of its height, within 0.6 .. 1.0.
    const float a = w * 0.8f * (1.0f / 1024.0f);
    const float b = h * 0.3f / 745.0f;
    float fit = a < b ? a : b;
    if (fit > 1.0f)
        fit = 1.0f;
    s.WindowScale = fit > 0.6f ? fit : 0.6f;
    s.ContentBoost = BoostFor(WindowDpi(window), s.WindowScale);
    s.CurrentMonitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
}

void FollowDpiChange(UINT dpi, const RECT *suggested) {
    EngineState &s = g_State;
    HWND window = s.HostWindow;
    if (!window)
        return;
    if (!suggested || !PerMonitorAware(window) || suggested->right <= suggested->left ||
        suggested->bottom <= suggested->top) {
        if (suggested)
            SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RelayoutForDisplay(false);
        return;
    }
    // The rectangle belongs to the monitor of the new DPI: the move to it is
    // not a monitor change to refit for (WM_WINDOWPOSCHANGED).
    s.CurrentMonitor = MonitorFromRect(suggested, MONITOR_DEFAULTTONEAREST);
    // Its WM_SIZE sets the scale from the client's width (FollowClientSize).
    // During a drag the host waits off screen until the drop places it.
    const UINT keepPlace = s.DragState == DragIdle ? 0 : SWP_NOMOVE;
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE | keepPlace);
    const float boost = BoostFor(dpi, s.WindowScale);
    if (boost != s.ContentBoost) {
        s.ContentBoost = boost;
        BuildTextFormats();
    }
    // The canvas's height in whole pixels at the new scale, which the
    // suggested height may miss by a rounding.
    ApplyWindowSize(false);
    LayoutDirEdit();
    RequestFrame();
}

void FollowClientSize(UINT width, UINT height) {
    EngineState &s = g_State;
    // A minimised window reports 0 x 0: keep the scale and the target as they
    // are, or the next resize or hit test would work from a scale of 0.
    if (width == 0 || height == 0)
        return;
    // The canvas fills the client's width exactly: the scale is read back from
    // the pixels the window got, not from the size it was asked to take.
    const float scale = static_cast<float>(width) * (1.0f / kCanvasWidth);
    // The first ShowWindow reports the size the window already has: the frame
    // on screen is right, and drawing it again would only double the first paint.
    if (s.ClientSize.cx == static_cast<LONG>(width) && s.ClientSize.cy == static_cast<LONG>(height) &&
        s.WindowScale == scale)
        return;
    s.ClientSize = {static_cast<LONG>(width), static_cast<LONG>(height)};
    ResizeRenderTarget(width, height);
    s.WindowScale = scale;
    LayoutDirEdit();
    RequestFrame();
}

void ApplyWindowSize(bool centre) {
    EngineState &s = g_State;
    if (!s.HostWindow)
        return;
    const int cx = static_cast<int>(s.WindowScale * kCanvasWidth + 0.5f);
    const int cy = static_cast<int>(s.WindowScale * CanvasHeight() + 0.5f);
    if (centre) {
        const RECT work = WorkAreaOf(s.HostWindow);
        const int x = work.left + (work.right - work.left - cx) / 2;
        const int y = work.top + (work.bottom - work.top - cy) / 2;
        SetWindowPos(s.HostWindow, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    RECT r = {};
    GetWindowRect(s.HostWindow, &r);
    if (r.right - r.left == cx && r.bottom - r.top == cy)
        return;
    // Grows and shrinks downwards and to the right from the top-left corner.
    SetWindowPos(s.HostWindow, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

void RelayoutForDisplay(bool recentre) {
    EngineState &s = g_State;
    if (!s.HostWindow)
        return;
    const float oldScale = s.WindowScale;
    const float oldBoost = s.ContentBoost;
    UpdateScaleFactors(s.HostWindow);
    if (s.WindowScale == oldScale && s.ContentBoost == oldBoost)
        return;
    if (s.ContentBoost != oldBoost)
        BuildTextFormats();
    ApplyWindowSize(recentre);
    LayoutDirEdit();
    RequestFrame();
}

void LayoutDirEdit() {
    EngineState &s = g_State;
    if (!s.DirEdit)
        return;
    const RECT r = ClientFromDesign(DirEditRect());
    SetWindowPos(s.DirEdit, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);

    HFONT font = CreateFontW(-static_cast<int>(14.0f * s.ContentBoost * s.WindowScale + 0.5f), 0, 0, 0, FW_NORMAL,
                             FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             CLEARTYPE_QUALITY, DEFAULT_PITCH, Caption(TextFontFamily));
    SendMessageW(s.DirEdit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    DeleteObjectAndNull(s.DirEditFont);
    s.DirEditFont = font;

    // A right-to-left language reads the path from the right, as the canvas does.
    const LONG_PTR rtlEx = WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR;
    const LONG_PTR ex = GetWindowLongPtrW(s.DirEdit, GWL_EXSTYLE);
    const LONG_PTR style = GetWindowLongPtrW(s.DirEdit, GWL_STYLE);
    const LONG_PTR wantedEx = s.RightToLeft ? ex | rtlEx : ex & ~rtlEx;
    const LONG_PTR wantedStyle = s.RightToLeft ? style | ES_RIGHT : style & ~static_cast<LONG_PTR>(ES_RIGHT);
    if (wantedEx != ex || wantedStyle != style) {
        SetWindowLongPtrW(s.DirEdit, GWL_EXSTYLE, wantedEx);
        SetWindowLongPtrW(s.DirEdit, GWL_STYLE, wantedStyle);
        InvalidateRect(s.DirEdit, nullptr, TRUE);
    }

    const bool shown = s.CurrentPage == PageWelcome && s.CustomPanelOpen;
    ShowWindow(s.DirEdit, shown ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void ApplyWindowFrame() {
    EngineState &s = g_State;
    if (!s.HostWindow)
        return;
    HWND window = s.HostWindow;
    s.FrameApplying = true;
    SetDwmInt(window, DWMWA_TRANSITIONS_FORCEDISABLED, 1);
    SetDwmInt(window, DWMWA_NCRENDERING_POLICY, DWMNCRP_ENABLED);
    SetDwmInt(window, DWMWA_ALLOW_NCPAINT, 1);
    // A one-pixel frame inside the client area gives the window the compositor's shadow.
    const MARGINS margins = {1, 1, 1, 1};
    DwmExtendFrameIntoClientArea(window, &margins);
    SetDwmInt(window, kDwmWindowCornerPreference, kDwmCornerRound);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    s.FrameApplying = false;
}

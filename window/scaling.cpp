#include "window/scaling.h"

#include "render/frame_schedule.h"
#include "render/resources.h"
#include "window/layout.h"

#include <dwmapi.h>

namespace {

typedef UINT(WINAPI *GetDpiForWindowFn)(HWND);

INIT_ONCE g_DpiLookupOnce = INIT_ONCE_STATIC_INIT;
GetDpiForWindowFn g_GetDpiForWindow = nullptr;

BOOL CALLBACK LookUpGetDpiForWindow(PINIT_ONCE, PVOID, PVOID *) {
    // Looked up by name: older systems do not have it.
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll"))
        g_GetDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
            reinterpret_cast<void *>(GetProcAddress(user32, "GetDpiForWindow")));
    return TRUE;
}

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
    InitOnceExecuteOnce(&g_DpiLookupOnce, LookUpGetDpiForWindow, nullptr, nullptr);
    UINT dpi = g_GetDpiForWindow ? g_GetDpiForWindow(window) : 0;
    if (dpi == 0) {
        HDC dc = GetDC(window);
        if (dc) {
            dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSX));
            ReleaseDC(window, dc);
        }
    }
    return dpi;
}

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

    const UINT dpi = WindowDpi(window);
    const float dpiScale = dpi ? static_cast<float>(dpi) / 96.0f : 1.0f;
    // Text keeps a readable physical size: z units show 0.85 * z * DPI / 96 pixels high.
    const float x = (dpiScale > 1.0f ? dpiScale : 1.0f) / s.WindowScale * 0.85f;
    s.ContentBoost = x < 1.0f ? 1.0f : (x < 2.0f ? x : 2.0f);
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
    s.CurrentMonitor = MonitorFromWindow(s.HostWindow, MONITOR_DEFAULTTONEAREST);
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
    const float scale = s.WindowScale;
    const float b = s.ContentBoost;
    const float bs = ButtonBoost();
    const float centre = 745.0f + 36.0f * b;

    const int h = static_cast<int>(20.0f * b * scale);
    const int w = static_cast<int>((964.0f - 98.0f * bs - 16.0f - (90.0f * b + 60.0f) - 24.0f) * scale);
    const int left = static_cast<int>((90.0f * b + 60.0f + 12.0f) * scale);
    const int top = static_cast<int>(centre * scale) - h / 2;
    SetWindowPos(s.DirEdit, nullptr, left, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);

    HFONT font = CreateFontW(-static_cast<int>(14.0f * b * scale + 0.5f), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                             DEFAULT_PITCH, L"Microsoft YaHei");
    SendMessageW(s.DirEdit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (s.DirEditFont)
        DeleteObject(s.DirEditFont);
    s.DirEditFont = font;

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

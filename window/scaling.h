// How large the canvas is on screen (WindowScale), how much text and controls
// grow (ContentBoost), the window's size and place, the directory EDIT box over
// its painted field, and the borderless DWM frame.
#pragma once

#include "state/state.h"

// WindowScale, ContentBoost and CurrentMonitor for the window's monitor and DPI.
void UpdateScaleFactors(HWND window);
// WM_SIZE: the canvas follows the client's width; the render target and the
// EDIT box follow, and a new frame is asked for.
void FollowClientSize(UINT width, UINT height);
void ApplyWindowSize(bool centre);
// WM_DPICHANGED. A per-monitor-aware window takes the suggested rectangle, as
// Windows asks, and everything follows the new DPI at once: the scale (from
// the client's width), the text formats, the EDIT box and its font. Any other
// window keeps its size and only moves to the rectangle's corner.
void FollowDpiChange(UINT dpi, const RECT *suggested);
void RelayoutForDisplay(bool recentre);
void LayoutDirEdit();
void ApplyWindowFrame();

// Whether the window is told about DPI changes and scales itself (per-monitor
// aware, version 1 or 2); false where the system cannot tell.
bool PerMonitorAware(HWND window);

// The window's DPI: GetDpiForWindow where the system has it, else LOGPIXELSX; 0 if neither answers.
UINT WindowDpi(HWND window);

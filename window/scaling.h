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
void RelayoutForDisplay(bool recentre);
void LayoutDirEdit();
void ApplyWindowFrame();

// The window's DPI: GetDpiForWindow where the system has it, else LOGPIXELSX; 0 if neither answers.
UINT WindowDpi(HWND window);

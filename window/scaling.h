// How large the canvas is on screen (WindowScale), how much text and controls
// grow (ContentBoost), the window's size and place, the directory EDIT box over
// its painted field, and the borderless DWM frame.
#pragma once

#include "engine/state.h"

void UpdateScaleFactors(HWND window);
void ApplyWindowSize(bool centre);
void RelayoutForDisplay(bool recentre);
void LayoutDirEdit();
void ApplyWindowFrame();

// The window's DPI: GetDpiForWindow where the system has it, else LOGPIXELSX; 0 if neither answers.
UINT WindowDpi(HWND window);

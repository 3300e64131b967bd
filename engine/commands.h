// The host's commands: page, progress, status, directory, options, branding and
// the picture folder. Each stores its value and, while attached, puts it on screen.
#pragma once

#include "state/state.h"

// Common tail of the page, progress and status commands: one tick that paints
// at once (window/tick.h); throttled, at most once per 30 ms.
void RefreshNow(bool throttled);

void SetState(int page);
void SetProgress(int progress);
void SetStatus(const wchar_t *text);
void SetDir(const wchar_t *directory);
int GetDir(wchar_t *buffer, int capacity);
int GetOption(int option);
void SetBranding(const wchar_t *caption, int color1, int color2);
void SetHeroDir(const wchar_t *folder);

// The welcome page, and the two widgets it shares with the finished page: the
// pill-shaped main button and the check box.
#pragma once

#include "engine/state.h"

void DrawWelcomePage();
void DrawPillButton(int id, const wchar_t *caption);
void DrawCheckBox(int id, bool checked);

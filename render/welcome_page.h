// The welcome page, and the two widgets it shares with the finished page: the
// pill-shaped main button and the check box.
#pragma once

#include "engine/state.h"

// What stays the same from frame to frame (captions, labels, the directory
// field), and what hover, press and the options change (buttons, check boxes,
// the custom-install toggle, the link's underline). The two never overlap,
// except the underline, which lies on the still caption.
void DrawWelcomeStill();
void DrawWelcomeMoving(const D2D1_RECT_F &within);
void DrawPillButton(int id, const wchar_t *caption);
void DrawCheckBox(int id, bool checked);

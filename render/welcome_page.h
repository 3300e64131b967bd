// The welcome page, and the two widgets it shares with the finished page: the
// pill-shaped main button and the check box.
#pragma once

#include "state/state.h"

// What stays the same from frame to frame (captions, labels, the directory
// field), and what hover, press and the options change (buttons, check boxes,
// the custom-install toggle, the link's underline). The two never overlap,
// except the underline, which lies on the still caption.
void DrawWelcomeStill(ID2D1RenderTarget *target);
void DrawWelcomeMoving(ID2D1RenderTarget *target, const D2D1_RECT_F &within);
void DrawPillButton(ID2D1RenderTarget *target, int id, const wchar_t *caption);
void DrawCheckBox(ID2D1RenderTarget *target, int id, bool checked);

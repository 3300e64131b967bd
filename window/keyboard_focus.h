// Keyboard use: Tab and Shift+Tab walk the live items in reading order, the
// directory EDIT box included; Space and Enter act on the focused element as a
// click would. Like a dialog, nothing shows until the first Tab, and until then
// the engine leaves Space and Enter alone.
#pragma once

#include "state/state.h"

// The engine's part of a WM_KEYDOWN that the host's procedure has already seen.
void OnHostKeyDown(WPARAM key, LPARAM flags);
// Subclasses the directory EDIT box so that Tab leaves it; it stays a real EDIT.
void HookDirEditKeys();
// Moves the keyboard focus to a focusable live item and shows the focus cue.
void MoveKeyboardFocus(int item);
// The focused live item, or 0.
int KeyboardFocusItem();
// The item the focus ring goes around, or 0 while the cue is hidden.
int FocusRingItem();
// Forgets focus and cue when the window goes.
void ForgetKeyboardFocus();

// What an element does when it is used: one place for the mouse (a click), the
// keyboard (Space and Enter on the focused element) and screen readers (the
// default action), so all three act, and refuse, alike.
#pragma once

#include "state/state.h"

// Whether a click, a key or a screen reader may run the element's action now:
// it is live, and it is not the install button while the agreement is unticked.
bool ElementActionable(int element);

// Whether the element shows the hand cursor and takes a press: anything but
// the install button while the agreement is unticked.
bool ElementPressable(int element);

// Runs the action of one element: changes engine state or calls the host
// back. The host's callback may detach or destroy the window.
void PerformElementAction(int element);

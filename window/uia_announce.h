// What UI Automation clients hear as the window changes. The tick compares
// what changed (AnnounceChanges, window/accessibility.cpp) and this raises it:
// property changes, structure changes, and what a screen-reader user hears
// aloud during an install. Nothing is raised while no client has asked for
// the root.
#pragma once

#include "state/state.h"

// Property changes (ToggleState, ExpandCollapseState, the install button's
// IsEnabled, the status line's Name, every element's Name after a change of
// language or texts, the bar's value per whole percent), a
// structure change when the page or the panel changes, and the announcements:
// the start of the install, its progress at most every 10 % and 5 s, a
// failure (a status set after the progress went back), and the finished page.
void RaiseUiaChanges(const AnnouncedState &before, const AnnouncedState &now);

// The keyboard focus moved to an item.
void RaiseUiaFocusChanged(int item);

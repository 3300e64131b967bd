// The screen reader's view of the canvas: an IAccessible for the client area
// with one child per live item in reading order, and the events that tell a
// reader what changed. Geometry and liveness come from layout.h and
// reading_order.h; actions go through PerformElementAction like a click.
// The events go out from the tick (window/tick.h), at most once per tick.
#pragma once

#include "state/state.h"

// WM_GETOBJECT: answers OBJID_CLIENT with the client object; false for every
// other id (and when the object cannot be handed out), which goes on to the host.
bool AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId, LRESULT *result);

// Compares what a reader was last told with the engine state and raises the
// events for what changed: ticks and the install button's availability, the
// panel and page (children reordered), the status text and whole percents.
void AnnounceChanges();
// The keyboard focus moved to an item.
void AnnounceFocus(int item);

// A reader's default action (or a UI Automation pattern's) arrives as
// DefaultActionMessage, posted, so that the host's callback runs from the
// message loop as it does for a click, never inside the reader's
// cross-process call. wParam names the element; lParam is the panel state the
// action expects to find, so that two Expands in a row open the panel once.
constexpr LPARAM kActionAlways = 0;
constexpr LPARAM kActionIfCollapsed = 1;
constexpr LPARAM kActionIfExpanded = 2;
void RunDefaultAction(int element, LPARAM condition);
// Whether the panel is as an action with that condition expects to find it.
bool PanelAsExpected(LPARAM condition);

// The window goes: every object handed out answers CO_E_OBJNOTCONNECTED from now on.
void DisconnectAccessible();

// What a reader is told about an item (exposed for tests).
LONG ItemRole(int item);
LONG ItemState(int item);
std::wstring ItemName(int item);
// Why an item is as it is, where that is not plain from its name and state.
std::wstring ItemDescription(int item);
// The progress bar's value, "45%"; empty for items without a value.
std::wstring ItemValue(int item);
// The progress bar's value as a whole percent.
int ItemPercent();
// The option a check box stands for, 0 for other items.
int ItemOption(int item);
// Screen pixels of an item's rectangle: the pixels HitTest places inside it.
RECT ItemScreenRect(int item);
// What a reader finds at a screen point: false outside the client area;
// otherwise true, with the item there, or 0 for the client area itself.
bool ItemAtScreenPoint(POINT screen, int *item);

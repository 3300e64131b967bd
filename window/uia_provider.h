// The window's native UI Automation provider: a fragment root for the client
// area and one fragment per live item, in the reading order of the screen
// reader's MSAA tree and named with the same texts (window/accessibility.h).
// Invoke, Toggle and ExpandCollapse do what a click does, with the same
// refusal, posted to the window's message loop like a reader's default action.
#pragma once

#include "state/state.h"

// WM_GETOBJECT: answers UiaRootObjectId with the fragment root; false for every
// other id, and where uiautomationcore cannot be loaded, which goes on to the host.
bool AnswerUiaRoot(HWND window, WPARAM flags, LPARAM objectId, LRESULT *result);

// The provider of an item (0: the root), made when first wanted; null while no
// client has asked for the root. The engine keeps the reference.
IRawElementProviderSimple *UiaProvider(int item);

// A call of a UI Automation client that arrived on another thread, sent over
// as UiaCallMessage: runs it here, on the window's thread, where the engine's
// state lives. Anything else sent with that message is ignored.
void RunUiaCall(LPARAM call);

// The window goes: every element a client holds answers
// UIA_E_ELEMENTNOTAVAILABLE from now on, and nothing more is raised.
void DisconnectUiaProviders(HWND window);

// A UI Automation client for the tests and benchmarks: Wine 8's node API,
// looked up by name (mingw-w64 has neither its declarations nor an import
// library). A client lives in another process and never on the window's
// thread: here each client call runs on a thread of its own while the calling
// thread pumps the window's messages, and Wine's UI Automation waits for that
// thread to answer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace UiaClient {

typedef struct UiaNodeHandle *Node;

// Whether this system's uiautomationcore has the node API.
bool Available();

// Runs work on a client thread (COM multithreaded) while this thread pumps
// messages; returns when the work is done.
void OffThread(const std::function<void()> &work);

// --- On the client thread ---

// The window's element (it asks the window for its UI Automation root), or null.
Node FromWindow(HWND window, HRESULT *result = nullptr);
// The first child, or the next sibling, in the client's view; null at the end.
Node FirstChild(Node node);
Node NextSibling(Node node);
void Release(Node node);

// A property as UiaGetPropertyValue reads it. Empty, 0 or false where the
// node has no such value; result (when given) gets the call's answer.
std::wstring Text(Node node, int property, HRESULT *result = nullptr);
int Int(Node node, int property, HRESULT *result = nullptr);
bool Bool(Node node, int property, HRESULT *result = nullptr);

} // namespace UiaClient

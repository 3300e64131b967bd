// A real host for the tests: a top-level window whose own procedure records what
// reaches it, message pumping, mouse messages at design-canvas points, and
// pixels read back from the screen.
#pragma once

#include "state/state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace TestHost {

struct Message {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
};

// Creates a visible top-level window of the test host class (overlapped, 800 x 600).
HWND CreateHostWindow(bool visible = true);
// Every message the host's own procedure received, in order.
std::vector<Message> &Received();
int CountReceived(UINT msg);

// Dispatches messages for the given time, or until the quit message (which is re-posted).
void Pump(DWORD ms);

// Actions the recording callback received.
std::vector<int> &Actions();
void __stdcall RecordAction(int action);

// Client pixel of a design-canvas point, with the engine's current WindowScale.
POINT ClientFromDesign(float x, float y);
LPARAM PackPoint(int x, int y);
// Sends a mouse message to the window at a design-canvas point (the message goes
// straight to the window procedure, like the system would deliver it).
LRESULT SendMouse(HWND window, UINT msg, float x, float y);
// Press and release at one point.
void Click(HWND window, float x, float y);
// The centre of an element's rectangle, in design units.
D2D1_POINT_2F ElementCentre(int id);

// Colour (0x00RRGGBB) of a screen pixel, and of a client pixel of a window.
RgbColor ScreenPixel(int x, int y);
RgbColor ClientPixel(HWND window, int x, int y);
RgbColor DesignPixel(HWND window, float x, float y);
// Whether two colours differ by at most `tolerance` in every channel.
bool Near(RgbColor a, RgbColor b, int tolerance);
std::string Hex(RgbColor c);

// A copy of a screen rectangle, one 0x00RRGGBB pixel per entry (top byte
// unspecified), rows top to bottom; empty for an empty rectangle. One BitBlt:
// under wine every GetPixel on the screen is a round trip.
std::vector<UINT32> CaptureScreen(POINT origin, int w, int h);

// Deletes a folder and everything below it.
void DeleteTree(const std::wstring &path);

// Saves the client area of a window as a PNG (for people to look at).
bool SaveWindowPng(HWND window, const std::wstring &path);

// Records every DWMWA_CLOAK and DWMWA_TRANSITIONS_FORCEDISABLED value the
// engine gives a window from now on (under wine neither changes anything on
// screen). The engine is linked into the test program, so its calls go through
// this program's import table.
void RecordDwmAttributes();
// The last value given for the attribute: 1 TRUE, 0 FALSE, -1 never set.
int DwmAttributeOf(HWND window, DWORD attribute);
inline int CloakOf(HWND window) { return DwmAttributeOf(window, 13 /* DWMWA_CLOAK */); }

// Puts the engine record back to its load-time values (detaching first).
void ResetEngine();

// A fixture with a freshly loaded engine attached to a visible host window.
class AttachedTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    HWND window_ = nullptr;
};

} // namespace TestHost

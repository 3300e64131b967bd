// Scaling, placement and the directory EDIT box, read back from real windows.
//
// The stage: scripts/test runs Xvfb at 1920 x 1040 with no window manager, so
// the work area is the whole screen, and the prefix has LogPixels = 96. Wine
// processes are per-monitor DPI aware, so GetDpiForWindow reports that value.
// A process reads LogPixels (HKCU\Control Panel\Desktop) once, when it starts:
// for 144 DPI the test writes 144 there while the wineserver runs and starts a
// second copy of itself, which sees 144 while this process keeps 96.
#include "tests/host/test_host.h"
#include "tests/paint_support.h"

#include "KestoUIEngine.h"
#include "geometry/layout.h"
#include "geometry/pixels.h"
#include "window/scaling.h"

#include <cstdlib>
#include <string>

namespace {

using namespace TestHost;

// 0.85 / WindowScale at the 0.6 floor, in the engine's own order of operations.
const float kBoostAt96 = 1.0f / 0.6f * 0.85f;
const float kScaleFromWidth614 = 614.0f / 1024.0f;

RECT WindowRectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
    RECT r = WindowRectOf(child);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT *>(&r), 2);
    return r;
}

LOGFONTW EditFont(HWND edit) {
    LOGFONTW font = {};
    HFONT handle = reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0));
    EXPECT_TRUE(handle);
    EXPECT_EQ(static_cast<int>(sizeof font), GetObjectW(handle, sizeof font, &font));
    return font;
}

// A host window made while the thread has this DPI awareness. Windows sends
// WM_DPICHANGED only to per-monitor-aware windows; under Wine 8 a window is
// per-monitor aware unless the thread says otherwise.
HWND CreateHostWindowWith(DPI_AWARENESS_CONTEXT awareness) {
    const DPI_AWARENESS_CONTEXT previous = SetThreadDpiAwarenessContext(awareness);
    HWND window = CreateHostWindow();
    if (previous)
        SetThreadDpiAwarenessContext(previous);
    return window;
}

class ScalingTest : public AttachedTest {
  public:
    void ClickElement(int element) { Click(window_, ElementCentre(element).x, ElementCentre(element).y); }
    HWND Edit() { return GetDlgItem(window_, kDirEditId); }
    void ReattachWith(DPI_AWARENESS_CONTEXT awareness) {
        KSUiDetach();
        DestroyWindow(window_);
        window_ = CreateHostWindowWith(awareness);
        ASSERT_TRUE(window_);
        ASSERT_EQ(1, KSUiAttach(window_, RecordAction));
        Pump(300);
    }
};

TEST_F(ScalingTest, WorkedNumbersOnA1920x1040WorkAreaAt96Dpi) {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_EQ(1920, work.right - work.left) << "the test bench's Xvfb screen sets the work area";
    ASSERT_EQ(1040, work.bottom - work.top);
    ASSERT_EQ(96u, WindowDpi(window_));

    EXPECT_EQ(kBoostAt96, g_State.ContentBoost);
    // From the first paint on, the scale is the real client width over 1024.
    EXPECT_EQ(kScaleFromWidth614, g_State.WindowScale);
    const RECT r = WindowRectOf(window_);
    EXPECT_EQ(653, r.left);
    EXPECT_EQ(296, r.top);
    EXPECT_EQ(614, r.right - r.left);
    EXPECT_EQ(447, r.bottom - r.top);
    RECT client = {};
    GetClientRect(window_, &client);
    EXPECT_EQ(614, client.right) << "no non-client frame";
    EXPECT_EQ(447, client.bottom);
}

struct PanelStep {
    const char *name;
    void (*act)(ScalingTest &test);
    int width, height;
    bool editShown;
};

TEST_F(ScalingTest, PanelSizesTheWindowAndPlacesTheDirEdit) {
    const PanelStep kSteps[] = {
        {"open", [](ScalingTest &t) { t.ClickElement(ElemCustomToggle); }, 614, 574, true},
        {"close", [](ScalingTest &t) { t.ClickElement(ElemCustomToggle); }, 614, 447, false},
        {"open again", [](ScalingTest &t) { t.ClickElement(ElemCustomToggle); }, 614, 574, true},
        {"welcome page set again keeps it open", [](ScalingTest &) { KSUiSetState(PageWelcome); }, 614, 574, true},
        {"installing page closes it", [](ScalingTest &) { KSUiSetState(PageInstalling); }, 614, 447, false},
        {"back on welcome it stays closed", [](ScalingTest &) { KSUiSetState(PageWelcome); }, 614, 447, false},
    };
    for (const PanelStep &step : kSteps) {
        SCOPED_TRACE(step.name);
        step.act(*this);
        const RECT r = WindowRectOf(window_);
        EXPECT_EQ(653, r.left) << "the window grows downwards from its corner";
        EXPECT_EQ(296, r.top);
        EXPECT_EQ(step.width, r.right - r.left);
        EXPECT_EQ(step.height, r.bottom - r.top);
        EXPECT_EQ(step.editShown, IsWindowVisible(Edit()) != FALSE);
    }
}

TEST_F(ScalingTest, DirEditSitsOverItsFieldWithItsFont) {
    ClickElement(ElemCustomToggle);
    HWND edit = Edit();
    ASSERT_TRUE(edit);
    EXPECT_EQ(0x40000080 | WS_VISIBLE, GetWindowLongW(edit, GWL_STYLE) & (0x40000080 | WS_VISIBLE));

    // The box covers the client pixels whose corners lie inside its design
    // rectangle, as hit testing counts them. Opening the panel resized the
    // window, and WM_SIZE set the scale to 614 / 1024: the box runs from 199.5
    // to 823.5 units across (119.6 to 493.8 pixels) and from 781.8 to 810.2
    // down (468.8 to 485.8).
    const RECT r = ChildRect(edit);
    EXPECT_EQ(120, r.left);
    EXPECT_EQ(469, r.top);
    EXPECT_EQ(374, r.right - r.left);
    EXPECT_EQ(17, r.bottom - r.top);

    const LOGFONTW font = EditFont(edit);
    EXPECT_EQ(-12, font.lfHeight);
    EXPECT_EQ(FW_NORMAL, font.lfWeight);
    EXPECT_EQ(CLEARTYPE_QUALITY, font.lfQuality);
    EXPECT_STREQ(L"Microsoft YaHei", font.lfFaceName);
}

TEST_F(ScalingTest, WmSizeTakesTheScaleFromTheClientWidth) {
    struct Case {
        int width, height;
        float scale;
        int editHeight;
    };
    const Case kCases[] = {
        {1024, 745, 1.0f, 29},              // 781.8 to 810.2 units at scale 1
        {614, 447, kScaleFromWidth614, 17},
        {0, 0, kScaleFromWidth614, 17},     // minimised: ignored
        {0, 447, kScaleFromWidth614, 17},
    };
    Received().clear();
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        EXPECT_EQ(0, SendMessageW(window_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.width, c.height)));
        EXPECT_EQ(c.scale, g_State.WindowScale);
        const RECT r = ChildRect(Edit());
        EXPECT_EQ(c.editHeight, r.bottom - r.top);
    }
    EXPECT_EQ(0, CountReceived(WM_SIZE)) << "WM_SIZE is answered here";
}

TEST_F(ScalingTest, DisplayChangeOnTheSameMonitorRecentresAtTheSameSize) {
    SetWindowPos(window_, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Received().clear();
    SendMessageW(window_, WM_DISPLAYCHANGE, 24, MAKELPARAM(1920, 1040));
    // The scale read from the client width (0.599609375) differs from the computed
    // 0.6, so the layout runs again and centres the window.
    EXPECT_EQ(0.6f, g_State.WindowScale);
    EXPECT_EQ(kBoostAt96, g_State.ContentBoost);
    const RECT r = WindowRectOf(window_);
    EXPECT_EQ(653, r.left);
    EXPECT_EQ(296, r.top);
    EXPECT_EQ(614, r.right - r.left);
    EXPECT_EQ(447, r.bottom - r.top);
    EXPECT_EQ(1, CountReceived(WM_DISPLAYCHANGE)) << "forwarded to the host";

    // A second change finds nothing new: the window stays where the user put it.
    SetWindowPos(window_, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(window_, WM_DISPLAYCHANGE, 24, MAKELPARAM(1920, 1040));
    const RECT moved = WindowRectOf(window_);
    EXPECT_EQ(10, moved.left);
    EXPECT_EQ(20, moved.top);
}

// A host that is not per-monitor aware keeps its size: the window only moves.
TEST_F(ScalingTest, DpiChangedMovesAHostThatIsNotPerMonitorAwareToTheSuggestedCornerOnly) {
    for (const DPI_AWARENESS_CONTEXT awareness : {DPI_AWARENESS_CONTEXT_SYSTEM_AWARE, DPI_AWARENESS_CONTEXT_UNAWARE}) {
        ReattachWith(awareness);
        ASSERT_FALSE(PerMonitorAware(window_));
        RECT suggested = {100, 120, 900, 880};
        struct Case {
            const char *name;
            RECT *rect;
            LONG left, top;
        };
        const Case kCases[] = {
            {"null rectangle: stays", nullptr, 653, 296},
            {"suggested rectangle: its corner, not its size", &suggested, 100, 120},
        };
        for (const Case &c : kCases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(0, SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(c.rect)));
            const RECT r = WindowRectOf(window_);
            EXPECT_EQ(c.left, r.left);
            EXPECT_EQ(c.top, r.top);
            EXPECT_EQ(614, r.right - r.left);
            EXPECT_EQ(447, r.bottom - r.top);
            EXPECT_EQ(kBoostAt96, g_State.ContentBoost);
        }
        EXPECT_EQ(0, CountReceived(WM_DPICHANGED));
    }
}

// A per-monitor-aware host moved to a 144 DPI monitor and back: the window
// takes each suggested rectangle (as Windows computes it, the size times the
// DPI's ratio), and the layout, the hit tests, the frame and the EDIT box
// follow the new scale at once.
TEST_F(ScalingTest, DpiChangedRescalesAPerMonitorAwareHostToTheSuggestedRectangle) {
    ASSERT_TRUE(PerMonitorAware(window_));
    KSUiSetDir(L"C:\\Program Files\\Kesto Notes");
    ClickElement(ElemCustomToggle);
    ASSERT_EQ(574, WindowRectOf(window_).bottom - WindowRectOf(window_).top);
    const struct {
        UINT Dpi;
        RECT Suggested;
        int FontHeight;
        POINT InstallPixel; // the install button's centre, in client pixels
        POINT ElsewherePixel; // the same button's centre at the other DPI
    } kSteps[] = {
        // Within the screen, so that its pixels can be read back.
        {144, {400, 100, 400 + 921, 100 + 861}, -18, {460, 547}, {307, 364}},
        {96, {653, 296, 653 + 614, 296 + 574}, -12, {307, 364}, {460, 547}},
    };
    for (const auto &step : kSteps) {
        SCOPED_TRACE(step.Dpi);
        RECT suggested = step.Suggested;
        EXPECT_EQ(0, SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(step.Dpi, step.Dpi),
                                  reinterpret_cast<LPARAM>(&suggested)));
        const RECT r = WindowRectOf(window_);
        EXPECT_EQ(step.Suggested.left, r.left);
        EXPECT_EQ(step.Suggested.top, r.top);
        EXPECT_EQ(step.Suggested.right - step.Suggested.left, r.right - r.left);
        EXPECT_EQ(step.Suggested.bottom - step.Suggested.top, r.bottom - r.top);
        const float width = static_cast<float>(step.Suggested.right - step.Suggested.left);
        EXPECT_EQ(width / 1024.0f, g_State.WindowScale);
        // Text keeps 0.85 x z x DPI / 96 pixels: the same boost at both.
        EXPECT_FLOAT_EQ(static_cast<float>(step.Dpi) / 96.0f / (width / 1024.0f) * 0.85f, g_State.ContentBoost);

        // Hit tests, from raw client pixels: the button is where the new scale puts it.
        SendMessageW(window_, WM_MOUSEMOVE, 0, PackPoint(step.InstallPixel.x, step.InstallPixel.y));
        EXPECT_EQ(ElemInstall, g_State.HoverElement);
        SendMessageW(window_, WM_MOUSEMOVE, 0, PackPoint(step.ElsewherePixel.x, step.ElsewherePixel.y));
        EXPECT_NE(ElemInstall, g_State.HoverElement);
        SendMessageW(window_, WM_MOUSEMOVE, 0, PackPoint(5, 5));

        // The EDIT box: over its field at the new scale, in a font of the new size.
        const RECT edit = ChildRect(Edit());
        const RECT expected = ClientFromDesign(DirEditRect());
        EXPECT_EQ(expected.left, edit.left);
        EXPECT_EQ(expected.top, edit.top);
        EXPECT_EQ(expected.right, edit.right);
        EXPECT_EQ(expected.bottom, edit.bottom);
        EXPECT_NEAR(374.0f * width / 614.0f, static_cast<float>(edit.right - edit.left), 2.0f);
        EXPECT_EQ(step.FontHeight, EditFont(Edit()).lfHeight);

        // The whole frame at the new size, the folder box included.
        PaintSupport::Repaint(window_);
        const PaintSupport::Snapshot shot(window_);
        EXPECT_EQ(r.right - r.left, shot.Width());
        PaintSupport::ExpectPixels(shot, PaintSupport::WelcomePageCases());
        PaintSupport::ExpectFolderBoxShowsItsText(window_, shot);
    }
}

// Xvfb has one monitor, so "another monitor" is the record remembering a
// different one: a move must notice it from the move itself, without a timer,
// and take the scale of the monitor the window stands on. A drag parks the
// host off screen; its moves are not the window's own.
TEST_F(ScalingTest, AMoveToAnotherMonitorIsNoticedFromTheMoveItself) {
    HMONITOR here = MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
    const HMONITOR elsewhere = reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(0x4B53));
    const struct {
        const char *name;
        LONG dragState;
        UINT flags;
        bool relaid;
    } kCases[] = {
        {"a move", DragIdle, 0, true},
        {"a change of size alone", DragIdle, SWP_NOMOVE, false},
        {"a move while a drag parks the host", DragMoving, 0, false},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.name);
        g_State.CurrentMonitor = elsewhere;
        g_State.WindowScale = 0.75f;
        InterlockedExchange(&g_State.DragState, c.dragState);
        SetWindowPos(window_, nullptr, 40, 50, 614, 447, SWP_NOZORDER | SWP_NOACTIVATE | c.flags);
        InterlockedExchange(&g_State.DragState, DragIdle);
        EXPECT_EQ(c.relaid ? here : elsewhere, g_State.CurrentMonitor);
        EXPECT_EQ(c.relaid ? 0.6f : 0.75f, g_State.WindowScale);
    }
    g_State.CurrentMonitor = here;
}

// --- 144 DPI, in a second process ---

const wchar_t kChildVariable[] = L"KSUI_DPI_CHILD";

bool IsDpiChild() { return GetEnvironmentVariableW(kChildVariable, nullptr, 0) != 0; }

// Runs only in the child process that ContentBoostClampsAtTwoAt144Dpi starts.
TEST(HighDpi, ChildProcessAt144Dpi) {
    if (!IsDpiChild())
        GTEST_SKIP() << "runs in the child started by HighDpi.ContentBoostClampsAtTwoAt144Dpi";
    ResetEngine();
    g_State.Module = GetModuleHandleW(nullptr);
    PaintSupport::ParkCursor();
    KSUiSetDir(L"C:\\Program Files\\Kesto Notes");
    // A system-aware host: its DPI change only moves the window.
    HWND window = CreateHostWindowWith(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
    ASSERT_EQ(144u, WindowDpi(window));
    // The child draws in the surface mode its parent was started for.
    if (PaintSupport::ExpectedXComposite() >= 0) {
        EXPECT_EQ(PaintSupport::ExpectedXComposite() == 1, PaintSupport::XCompositeLoadable());
    }
    ASSERT_EQ(1, KSUiAttach(window, RecordAction));
    Pump(300);

    // x = 1.5 / 0.6 x 0.85 = 2.125, clamped; the work area alone decides the size.
    EXPECT_EQ(2.0f, g_State.ContentBoost);
    EXPECT_EQ(kScaleFromWidth614, g_State.WindowScale);
    RECT r = WindowRectOf(window);
    EXPECT_EQ(653, r.left);
    EXPECT_EQ(296, r.top);
    EXPECT_EQ(614, r.right - r.left);
    EXPECT_EQ(447, r.bottom - r.top);

    // A DPI change that leaves the clamped boost as it is only moves the window.
    RECT suggested = {200, 100, 1000, 900};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(2.0f, g_State.ContentBoost);
    r = WindowRectOf(window);
    EXPECT_EQ(200, r.left);
    EXPECT_EQ(100, r.top);
    EXPECT_EQ(614, r.right - r.left);
    EXPECT_EQ(447, r.bottom - r.top);

    // The panel grows by 150 x 2 units: 0.599609375 x 1045 rounds to 627.
    Click(window, ElementCentre(ElemCustomToggle).x, ElementCentre(ElemCustomToggle).y);
    r = WindowRectOf(window);
    EXPECT_EQ(627, r.bottom - r.top);
    EXPECT_EQ(-17, EditFont(GetDlgItem(window, kDirEditId)).lfHeight); // 14 x 2 x 0.5996 rounded

    // The grown window at the largest text is painted whole, the folder box included.
    PaintSupport::Repaint(window);
    Pump(300);
    const PaintSupport::Snapshot grown(window);
    PaintSupport::ExpectPixels(grown, PaintSupport::WelcomePageCases());
    PaintSupport::ExpectFolderBoxShowsItsText(window, grown);

    KSUiDetach();
    DestroyWindow(window);
    ResetEngine();
}

TEST(HighDpi, ContentBoostClampsAtTwoAt144Dpi) {
    if (IsDpiChild())
        return;
    PaintSupport::ExpectChildPassesAtDpi(144, kChildVariable, "HighDpi.ChildProcessAt144Dpi",
                                         L"scaling_dpi144_child.log", 1);
}

} // namespace

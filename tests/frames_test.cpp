// When frames are painted, counted through the paint seam rather than timed: a
// page at rest paints nothing, every kind of change paints and then comes to
// rest again, slow frames are paced, and a host that pumps its queue until it
// is empty always gets its thread back.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"
#include "state/seams.h"
#include "geometry/layout.h"

#include <functional>

namespace {

using namespace TestHost;

constexpr ULONGLONG kFrame = 33;

ULONGLONG g_Now = 0;
// Each finished frame moves this clock on by g_PaintMs: a frame that "took" that long.
ULONGLONG g_PaintMs = 0;
ULONGLONG PaintingClock() { return g_Now + g_PaintMs * static_cast<ULONGLONG>(TestSeams::PaintCount); }
// Changes how long frames take without moving the clock.
void SetPaintMs(ULONGLONG ms) {
    const ULONGLONG now = PaintingClock();
    g_PaintMs = ms;
    g_Now = now - ms * static_cast<ULONGLONG>(TestSeams::PaintCount);
}

class FramesTest : public AttachedTest {
  protected:
    void SetUp() override {
        SetCursorPos(0, 0); // no real pointer input mixes with the messages sent here
        AttachedTest::SetUp();
        g_PaintMs = 0;
        g_Now = GetTickCount64() + 1000;
        TestSeams::TickSource = PaintingClock;
    }
    void TearDown() override {
        TestSeams::TickSource = nullptr;
        AttachedTest::TearDown();
    }

    // Runs frame-timer ticks 33 ms apart on the fake clock, painting whatever
    // they invalidate, and returns the frames drawn.
    LONG PaintsOver(int ticks) {
        const LONG before = TestSeams::PaintCount;
        for (int i = 0; i < ticks; ++i) {
            g_Now += kFrame;
            SendMessageW(window_, WM_TIMER, kFrameTimerId, 0);
            UpdateWindow(window_);
        }
        return TestSeams::PaintCount - before;
    }

    // Long enough for every hover fade and progress ease to come to rest, and
    // short enough (with 40 more ticks) to stay within the 2.8 s that the
    // installing page holds a slide.
    void Settle() { PaintsOver(40); }

    // Whether, within 200 ticks, 10 ticks in a row paint nothing: true for the
    // carousel too, which rests 2.8 s between its fades.
    bool ComesToRest() {
        for (int tick = 0, quiet = 0; tick < 200; ++tick) {
            quiet = PaintsOver(1) == 0 ? quiet + 1 : 0;
            if (quiet == 10)
                return true;
        }
        return false;
    }
};

TEST_F(FramesTest, APageAtRestPaintsNothing) {
    const struct {
        const char *Name;
        std::function<void()> Arrange;
    } pages[] = {
        {"welcome", [] {}},
        {"welcome with the panel open", [this] { Click(window_, ElementCentre(ElemCustomToggle).x,
                                                        ElementCentre(ElemCustomToggle).y); }},
        {"installing at 50 %, the carousel holding a slide", [] {
             KSUiSetState(KSUI_PAGE_INSTALLING);
             KSUiSetProgress(500);
         }},
        {"finished", [] { KSUiSetState(KSUI_PAGE_FINISHED); }},
    };
    for (const auto &page : pages) {
        page.Arrange();
        SendMouse(window_, WM_MOUSEMOVE, 100.0f, 300.0f); // empty space: nothing hovered
        Settle();
        EXPECT_EQ(0, PaintsOver(40)) << page.Name;
    }
}

TEST_F(FramesTest, EveryChangePaintsAndThenComesToRest) {
    HWND window = window_;
    const auto click = [window](int element) {
        Click(window, ElementCentre(element).x, ElementCentre(element).y);
    };
    const struct {
        const char *Name;
        std::function<void()> Change;
    } changes[] = {
        {"hover onto the close button", [window] {
             SendMouse(window, WM_MOUSEMOVE, ElementCentre(ElemClose).x, ElementCentre(ElemClose).y);
         }},
        {"hover away", [window] { SendMouse(window, WM_MOUSEMOVE, 100.0f, 300.0f); }},
        {"press", [window] {
             SendMouse(window, WM_LBUTTONDOWN, ElementCentre(ElemInstall).x, ElementCentre(ElemInstall).y);
         }},
        {"press taken away", [window] { SendMessageW(window, WM_CAPTURECHANGED, 0, 0); }},
        {"agreement", [click] { click(ElemAgree); }},
        {"panel", [click] { click(ElemCustomToggle); }},
        {"option", [click] { click(ElemOptAutoStart); }},
        {"directory", [] { KSUiSetDir(L"D:\\Elsewhere"); }},
        {"branding", [] { KSUiSetBranding(L"《协议》", 0xFF0000, -1); }},
        {"page", [] { KSUiSetState(KSUI_PAGE_INSTALLING); }},
        {"status", [] { KSUiSetStatus(L"正在复制文件"); }},
        {"progress", [] { KSUiSetProgress(420); }},
        {"progress falling back", [] { KSUiSetProgress(100); }},
        {"a due slide change", [] { g_Now += 3000; }},
        {"window size", [window] {
             RECT r = {};
             GetWindowRect(window, &r);
             SetWindowPos(window, nullptr, 0, 0, r.right - r.left - 40, r.bottom - r.top - 30,
                          SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
         }},
        {"finished page", [] { KSUiSetState(KSUI_PAGE_FINISHED); }},
    };
    for (const auto &row : changes) {
        ASSERT_TRUE(ComesToRest()) << "before " << row.Name;
        const LONG before = TestSeams::PaintCount;
        row.Change();
        PaintsOver(2);
        EXPECT_GE(TestSeams::PaintCount - before, 1) << row.Name << " painted nothing";
        EXPECT_TRUE(ComesToRest()) << row.Name << " kept painting";
    }
}

TEST_F(FramesTest, SlowFramesArePacedAndTheThrottleCountsFromTheirEnd) {
    Settle();
    SetPaintMs(100); // from now on every frame takes 100 ms

    // The shown progress eases towards a stored target and wants a frame at
    // every tick, but after a 100 ms frame the next tick-driven one waits
    // 100 ms: the ticks at 33, 66 and 99 ms pass.
    g_State.ProgressTarget = 1000;
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_EQ(1, PaintsOver(1)) << frame;
        EXPECT_EQ(0, PaintsOver(3)) << frame;
    }
    ASSERT_TRUE(ComesToRest());

    // Host progress: the first call paints, and its paint ends 100 ms later.
    // The next call may paint once as long a pause has followed that end; a
    // throttle counted from the start would have let it paint 70 ms earlier.
    g_Now += 10;
    const LONG first = TestSeams::PaintCount;
    KSUiSetProgress(300);
    ASSERT_EQ(first + 1, TestSeams::PaintCount);
    EXPECT_EQ(PaintingClock(), g_State.LastRepaintTick) << "stamped at the end of the paint";
    g_Now += 99;
    KSUiSetProgress(310);
    EXPECT_EQ(first + 1, TestSeams::PaintCount);
    EXPECT_EQ(310, g_State.ProgressTarget) << "but the value is stored";
    g_Now += 1;
    KSUiSetProgress(320);
    EXPECT_EQ(first + 2, TestSeams::PaintCount);

    // A value the window already shows costs no frame at all.
    ASSERT_TRUE(ComesToRest());
    g_Now += 1000;
    const LONG settled = TestSeams::PaintCount;
    KSUiSetProgress(320);
    EXPECT_EQ(settled, TestSeams::PaintCount);
}

// The frame timer runs only while something moves, a frame is wanted or the
// carousel waits for its next slide; a page at rest has no timer at all, so it
// never wakes the host's thread.
TEST_F(FramesTest, TheFrameTimerRunsOnlyWhileSomethingMovesOrWaits) {
    HWND window = window_;
    const auto click = [window](int element) {
        Click(window, ElementCentre(element).x, ElementCentre(element).y);
    };
    const UINT kNone = 0;
    const UINT kHold = 1; // the rest of the carousel's 2.8 s hold: more than a frame, at most 2801 ms
    const UINT kTick = kFrameTimerMs;
    // Right after the change, and once it has come to rest.
    const struct {
        const char *Name;
        std::function<void()> Change;
        UINT After;
        UINT AtRest;
    } rows[] = {
        {"hover onto the close button", [window] {
             SendMouse(window, WM_MOUSEMOVE, ElementCentre(ElemClose).x, ElementCentre(ElemClose).y);
         }, kTick, kNone},
        {"hover away", [window] { SendMouse(window, WM_MOUSEMOVE, 100.0f, 300.0f); }, kTick, kNone},
        {"panel", [click] { click(ElemCustomToggle); }, kTick, kNone},
        {"directory", [] { KSUiSetDir(L"D:\\Elsewhere"); }, kTick, kNone},
        {"installing page", [] { KSUiSetState(KSUI_PAGE_INSTALLING); }, kTick, kHold},
        {"progress", [] { KSUiSetProgress(420); }, kTick, kHold},
        {"a throttled progress call only stores, and has the timer show it", [] {
             KSUiSetProgress(500);
             KSUiSetProgress(510);
         }, kTick, kHold},
        // Painted within the command, and nothing on it moves afterwards.
        {"finished page", [] { KSUiSetState(KSUI_PAGE_FINISHED); }, kNone, kNone},
    };
    ASSERT_TRUE(ComesToRest());
    EXPECT_EQ(kNone, g_State.FrameTimerMs) << "the welcome page after its first frame";
    for (const auto &row : rows) {
        row.Change();
        EXPECT_EQ(row.After, g_State.FrameTimerMs) << row.Name << ", right after the change";
        ASSERT_TRUE(ComesToRest()) << row.Name;
        if (row.AtRest == kHold) {
            EXPECT_GT(g_State.FrameTimerMs, kFrameTimerMs) << row.Name;
            EXPECT_LE(g_State.FrameTimerMs, 2801u) << row.Name;
        } else {
            EXPECT_EQ(kNone, g_State.FrameTimerMs) << row.Name;
        }
    }
}

// After a rest the animation starts from the change: a command that comes
// long after the last frame eases the bar by one frame, and does not jump as
// if all that time had passed.
TEST_F(FramesTest, TheFirstStepAfterARestIsShort) {
    KSUiSetState(KSUI_PAGE_INSTALLING);
    ASSERT_TRUE(ComesToRest());
    g_Now += 10000;
    g_State.LastRepaintTick = 0;
    KSUiSetProgress(500);
    // One frame's ease (6 per second for 33 ms), not the 0.1 s that a step
    // after a stall is capped at.
    EXPECT_NEAR(500.0f * 6.0f * 0.033f, g_State.ProgressShown, 0.01f);
}

// A host busy installing lets the window breathe by pumping until its queue is
// empty. The loop must come back in every state of the window; it runs on the
// real clock, and is cut off (and fails) only after 30 s.
TEST_F(FramesTest, PumpingUntilEmptyReturns) {
    TestSeams::TickSource = nullptr;
    HWND window = window_;
    const struct {
        const char *Name;
        std::function<void()> Arrange;
    } states[] = {
        {"welcome", [] {}},
        {"panel open", [window] {
             Click(window, ElementCentre(ElemCustomToggle).x, ElementCentre(ElemCustomToggle).y);
         }},
        {"installing, cross-fade running", [] {
             KSUiSetState(KSUI_PAGE_INSTALLING);
             KSUiSetProgress(500);
             g_State.NextSlide = 2;
             g_State.SlideFade = 0.0f;
         }},
        {"finished", [] { KSUiSetState(KSUI_PAGE_FINISHED); }},
    };
    for (const auto &state : states) {
        state.Arrange();
        for (int round = 0; round < 5; ++round) {
            Pump(40); // let the frame timer come due again
            const ULONGLONG cutOff = GetTickCount64() + 30000;
            bool empty = false;
            MSG msg;
            while (!empty && GetTickCount64() < cutOff) {
                if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                } else {
                    empty = true;
                }
            }
            ASSERT_TRUE(empty) << state.Name << ": the queue never ran empty";
        }
    }
}

} // namespace

// The animation clock: frame delta and its cap, hover levels, progress easing,
// and the carousel's hold, fade and slot order, with the page switches of
// KSUiSetState in between. The clock is a fake tick the tests move by hand.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"
#include "state/seams.h"
#include "render/animation.h"
#include "geometry/layout.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

// Every allocation of this test program is counted, so a test can show that
// the per-frame code allocates nothing. Kept out of line: inlined into callers,
// the malloc/free pairing trips the compiler's new/delete mismatch check.
namespace {
std::atomic<long> g_Allocations{0};
}
__attribute__((noinline)) void *operator new(std::size_t size) {
    ++g_Allocations;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void *p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void *p, std::size_t) noexcept { std::free(p); }

namespace {

ULONGLONG g_Now = 0;
int g_TickReads = 0;

ULONGLONG FakeTick() {
    ++g_TickReads;
    return g_Now;
}

// 33 ms, the frame timer's period.
constexpr ULONGLONG kFrame = 33;
constexpr ULONGLONG kStart = 1000000;

class AnimationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestHost::ResetEngine();
        g_Now = kStart;
        g_TickReads = 0;
        TestSeams::TickSource = FakeTick;
    }
    void TearDown() override {
        TestSeams::TickSource = nullptr;
        TestHost::ResetEngine();
    }
    static void StepAt(ULONGLONG now) {
        g_Now = now;
        StepAnimation();
    }
    static void StepAfter(ULONGLONG ms) { StepAt(g_Now + ms); }
    // Puts the installing page's carousel into the middle of a fade.
    static void StartFade(int from, int to, float fade) {
        g_State.CurrentPage = PageInstalling;
        g_State.SlideIndex = from;
        g_State.NextSlide = to;
        g_State.SlideFade = fade;
        g_State.SlideShownAt = kStart - 2900;
        g_State.LastFrameTick = g_Now;
    }
};

// --- Frame delta ---

// One step from rest, with the close button hovered and the bar heading for 100 %.
TEST_F(AnimationTest, FrameDeltaIsElapsedTimeCappedAtOneTenthSecond) {
    const struct {
        const char *What;
        ULONGLONG LastFrame;
        ULONGLONG Elapsed;
        float Hover;
        float Progress;
    } cases[] = {
        {"first step after load counts 16 ms", 0, 0, 0.192f, 1000.0f * (6.0f * 0.016f)},
        {"a 33 ms frame", kStart, 33, 0.396f, 1000.0f * (6.0f * 0.033f)},
        {"83 ms stays just short of the target", kStart, 83, 12.0f * 0.083f, 1000.0f * (6.0f * 0.083f)},
        {"84 ms reaches the target", kStart, 84, 1.0f, 1000.0f * (6.0f * 0.084f)},
        {"exactly 100 ms", kStart, 100, 1.0f, 600.0f},
        {"a 5 s stall moves no further than 100 ms", kStart, 5000, 1.0f, 600.0f},
        {"no time passed", kStart, 0, 0.0f, 0.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.What);
        g_State = EngineState{};
        g_State.HoverElement = ElemClose;
        g_State.ProgressTarget = 1000;
        g_State.LastFrameTick = c.LastFrame;
        g_TickReads = 0;
        StepAt(kStart + c.Elapsed);
        EXPECT_EQ(c.Hover, g_State.HoverLevel[ElemClose]);
        EXPECT_EQ(c.Progress, g_State.ProgressShown);
        EXPECT_EQ(kStart + c.Elapsed, g_State.LastFrameTick);
        EXPECT_EQ(1, g_TickReads);
        for (int id = 0; id <= 11; ++id) {
            if (id != ElemClose) {
                EXPECT_EQ(0.0f, g_State.HoverLevel[id]) << "id " << id;
            }
        }
    }
}

// --- Hover levels ---

// After a stall the levels sit exactly on their targets: 1 only for the hovered
// element, and only where it is live (install also needs the agreement ticked).
TEST_F(AnimationTest, OnlyALiveHoveredElementLightsUp) {
    const struct {
        const char *What;
        LONG Page;
        bool PanelOpen;
        int Agree;
        int Hovered;
        float Level;
    } cases[] = {
        {"install with the agreement ticked", PageWelcome, false, 1, ElemInstall, 1.0f},
        {"install with the agreement cleared", PageWelcome, false, 0, ElemInstall, 0.0f},
        {"install's place on the installing page", PageInstalling, false, 1, ElemInstall, 0.0f},
        {"agreement box, whatever its state", PageWelcome, false, 0, ElemAgree, 1.0f},
        {"launch on the finished page", PageFinished, false, 1, ElemLaunch, 1.0f},
        {"launch on the welcome page", PageWelcome, false, 1, ElemLaunch, 0.0f},
        {"option with the panel closed", PageWelcome, false, 1, ElemOptDesktop, 0.0f},
        {"option with the panel open", PageWelcome, true, 1, ElemOptDesktop, 1.0f},
        {"option on the finished page", PageFinished, true, 1, ElemOptDesktop, 0.0f},
        {"close on the installing page", PageInstalling, false, 1, ElemClose, 1.0f},
        {"minimise on the finished page", PageFinished, false, 0, ElemMinimize, 1.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.What);
        g_State = EngineState{};
        g_State.CurrentPage = c.Page;
        g_State.CustomPanelOpen = c.PanelOpen;
        g_State.Options[OptionAgree - 1] = c.Agree;
        g_State.HoverElement = c.Hovered;
        for (float &level : g_State.HoverLevel)
            level = 0.5f;
        g_State.LastFrameTick = kStart;
        StepAt(kStart + 5000);
        for (int id = 1; id <= 11; ++id)
            EXPECT_EQ(id == c.Hovered ? c.Level : 0.0f, g_State.HoverLevel[id]) << "id " << id;
    }
}

TEST_F(AnimationTest, InstallHoverFadesWhileTheAgreementIsCleared) {
    g_State.HoverElement = ElemInstall;
    g_State.HoverLevel[ElemInstall] = 1.0f;
    g_State.Options[OptionAgree - 1] = 0;
    g_State.LastFrameTick = kStart;
    float expected = 1.0f;
    for (int i = 0; i < 10; ++i) {
        StepAfter(kFrame);
        expected = expected + (0.0f - expected) * 0.396f;
        EXPECT_EQ(expected, g_State.HoverLevel[ElemInstall]) << "step " << i;
        EXPECT_EQ(ElemInstall, g_State.HoverElement);
    }
    EXPECT_LT(g_State.HoverLevel[ElemInstall], 0.01f);

    // Ticking the agreement again lets it rise under the same mouse.
    g_State.Options[OptionAgree - 1] = 1;
    StepAfter(kFrame);
    EXPECT_EQ(expected + (1.0f - expected) * 0.396f, g_State.HoverLevel[ElemInstall]);
}

// --- Displayed progress ---

TEST_F(AnimationTest, ProgressEasesAndSnapsTheLastFourHundredths) {
    const struct {
        const char *What;
        int Target;
        float Shown;
        float Expected;
    } cases[] = {
        {"499.7 snaps to 500", 500, 499.7f, 500.0f},
        {"just inside the snap", 500, 499.61f, 500.0f},
        {"above the target snaps down", 500, 500.3f, 500.0f},
        {"half a tenth still eases", 500, 499.5f, 0.5f * (6.0f * 0.033f) + 499.5f},
        {"a fifth of the way per frame", 1000, 0.0f, 1000.0f * (6.0f * 0.033f) + 0.0f},
        {"at the target stays", 0, 0.0f, 0.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.What);
        g_State = EngineState{};
        g_State.ProgressTarget = c.Target;
        g_State.ProgressShown = c.Shown;
        g_State.LastFrameTick = kStart;
        StepAt(kStart + kFrame);
        EXPECT_EQ(c.Expected, g_State.ProgressShown);
    }
}

// --- Carousel ---

TEST_F(AnimationTest, FirstStepOnTheInstallingPageOnlyStartsTheHold) {
    KSUiSetState(KSUI_PAGE_INSTALLING);
    EXPECT_EQ(1, g_State.SlideIndex);
    EXPECT_EQ(-1, g_State.NextSlide);
    EXPECT_EQ(0u, g_State.SlideShownAt);

    StepAt(kStart);
    EXPECT_EQ(kStart, g_State.SlideShownAt);
    EXPECT_EQ(1, g_State.SlideIndex);
    EXPECT_EQ(-1, g_State.NextSlide);

    StepAt(kStart + 2800);
    EXPECT_EQ(-1, g_State.NextSlide) << "a hold of exactly 2800 ms has not ended";

    StepAt(kStart + 2801);
    EXPECT_EQ(1, g_State.SlideIndex);
    EXPECT_EQ(2, g_State.NextSlide);
    EXPECT_EQ(0.0f, g_State.SlideFade);
    EXPECT_EQ(kStart, g_State.SlideShownAt) << "the hold's start stays until the fade completes";
}

TEST_F(AnimationTest, FadeCompletesOnTheNineteenthFrame) {
    StartFade(1, 2, 0.0f);
    float previous = 0.0f;
    for (int step = 1; step <= 18; ++step) {
        StepAfter(kFrame);
        ASSERT_EQ(2, g_State.NextSlide) << "step " << step;
        EXPECT_GT(g_State.SlideFade, previous) << "step " << step;
        EXPECT_LT(g_State.SlideFade, 1.0f) << "step " << step;
        previous = g_State.SlideFade;
    }
    StepAfter(kFrame);
    EXPECT_EQ(2, g_State.SlideIndex);
    EXPECT_EQ(-1, g_State.NextSlide);
    EXPECT_EQ(0.0f, g_State.SlideFade);
    EXPECT_EQ(g_Now, g_State.SlideShownAt);
}

TEST_F(AnimationTest, StallDuringAFadeAdvancesItOneTenthSecond) {
    StartFade(3, 4, 0.0f);
    StepAfter(5000);
    EXPECT_EQ(4, g_State.NextSlide);
    EXPECT_EQ(0.1f / 0.6f, g_State.SlideFade);
}

// Driven by 33 ms frames from the switch to the installing page: each slot is
// held for 85 frames (the first beyond 2800 ms) and faded over 19.
TEST_F(AnimationTest, SlotsCycleOneToFourAndBackToOne) {
    KSUiSetState(KSUI_PAGE_INSTALLING);
    std::vector<int> order = {g_State.SlideIndex};
    std::vector<int> changedAt;
    for (int frame = 1; frame <= 560; ++frame) {
        StepAt(kStart + (frame - 1) * kFrame);
        ASSERT_NE(0, g_State.SlideIndex) << "frame " << frame;
        ASSERT_NE(0, g_State.NextSlide) << "frame " << frame;
        ASSERT_LT(g_State.SlideFade, 1.0f) << "frame " << frame;
        if (g_State.SlideIndex != order.back()) {
            order.push_back(g_State.SlideIndex);
            changedAt.push_back(frame);
        }
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 1, 2}), order);
    EXPECT_EQ((std::vector<int>{105, 209, 313, 417, 521}), changedAt);
}

TEST_F(AnimationTest, LeavingTheInstallingPageMidFadeShowsTheStillPicture) {
    for (int page : {KSUI_PAGE_WELCOME, KSUI_PAGE_FINISHED}) {
        SCOPED_TRACE(testing::Message() << "page " << page);
        g_State = EngineState{};
        StartFade(3, 4, 0.5f);
        KSUiSetState(page);
        EXPECT_EQ(0, g_State.SlideIndex);
        EXPECT_EQ(-1, g_State.NextSlide);
        EXPECT_EQ(0.0f, g_State.SlideFade);

        // However many frames run, the still page's carousel stands still.
        const ULONGLONG shownAt = g_State.SlideShownAt;
        for (int frame = 0; frame < 300; ++frame)
            StepAfter(kFrame);
        EXPECT_EQ(0, g_State.SlideIndex);
        EXPECT_EQ(-1, g_State.NextSlide);
        EXPECT_EQ(0.0f, g_State.SlideFade);
        EXPECT_EQ(shownAt, g_State.SlideShownAt);

        // Coming back starts the rotation again from its first slot.
        KSUiSetState(KSUI_PAGE_INSTALLING);
        EXPECT_EQ(1, g_State.SlideIndex);
        EXPECT_EQ(-1, g_State.NextSlide);
    }
}

TEST_F(AnimationTest, ReenteringTheInstallingPageKeepsTheFadeAndRestartsTheHold) {
    StartFade(3, 4, 0.5f);
    KSUiSetState(KSUI_PAGE_INSTALLING);
    EXPECT_EQ(3, g_State.SlideIndex);
    EXPECT_EQ(4, g_State.NextSlide);
    EXPECT_EQ(0.5f, g_State.SlideFade);
    EXPECT_EQ(0u, g_State.SlideShownAt);
    for (int frame = 0; frame < 10 && g_State.NextSlide >= 0; ++frame)
        StepAfter(kFrame);
    EXPECT_EQ(4, g_State.SlideIndex);
    EXPECT_EQ(g_Now, g_State.SlideShownAt);

    // Re-entered while holding slot 4 just before its fade: the hold starts over.
    StepAt(g_Now + 2700);
    KSUiSetState(KSUI_PAGE_INSTALLING);
    EXPECT_EQ(4, g_State.SlideIndex);
    const ULONGLONG restart = g_Now + kFrame;
    StepAt(restart);
    EXPECT_EQ(restart, g_State.SlideShownAt);
    StepAt(restart + 2800);
    EXPECT_EQ(-1, g_State.NextSlide);
    StepAt(restart + 2801);
    EXPECT_EQ(1, g_State.NextSlide) << "after slot 4 comes slot 1";
}

// --- Cost per frame ---

TEST_F(AnimationTest, PerFrameWorkAllocatesNothingAndReadsTheTickOnce) {
    g_State.HoverElement = ElemInstall;
    g_State.ProgressTarget = 700;
    g_State.CustomPanelOpen = true;
    const long before = g_Allocations.load();
    const D2D1_POINT_2F points[] = {{990, 28}, {512, 608}, {40, 705}, {160, 825}, {5, 5}};
    int hits = 0;
    for (LONG page : {PageWelcome, PageInstalling, PageFinished}) {
        g_State.CurrentPage = page;
        for (int frame = 0; frame < 200; ++frame) {
            StepAfter(kFrame);
            const D2D1_POINT_2F &p = points[frame % 5];
            hits += HitTest(p.x, p.y) != ElemNone;
        }
    }
    EXPECT_EQ(before, g_Allocations.load());
    EXPECT_EQ(600, g_TickReads);
    EXPECT_GT(hits, 0);
}

} // namespace

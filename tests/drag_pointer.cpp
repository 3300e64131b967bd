// Dragging the window by empty space of the installing page, with the real X
// pointer. xdotool runs outside wine (tests/xdotool_driver.sh): for each step
// this program writes one xdotool command line into the marker directory named
// by KSUI_INPUT_DIR and waits for the script's answer, while its window thread
// either pumps like an idle host or stays busy like a host that is installing.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"
#include "window/drag.h"
#include "geometry/layout.h"
#include "state/seams.h"

#include <dwmapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace TestHost;

// --- The mouse buttons ---

// Every start of this program puts the buttons back unswapped, so that a run
// which died with them swapped leaves nothing behind (the driver script starts
// the program once more when it ends).
struct UnswapAtStart {
    UnswapAtStart() { SwapMouseButton(FALSE); }
} g_UnswapAtStart;

// Swaps the mouse buttons for one scope and always puts them back.
struct SwappedButtons {
    explicit SwappedButtons(bool swap) { SwapMouseButton(swap ? TRUE : FALSE); }
    ~SwappedButtons() { SwapMouseButton(FALSE); }
    SwappedButtons(const SwappedButtons &) = delete;
    SwappedButtons &operator=(const SwappedButtons &) = delete;
};

// --- Talking to the driver script ---

std::wstring InputDir() {
    wchar_t dir[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"KSUI_INPUT_DIR", dir, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(dir) : std::wstring();
}

bool FileExists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

enum class HostThread { Pumping, Busy };

// One slice of the host thread's time. A busy host waits in
// MsgWaitForMultipleObjects, so that wine still takes in X input and the drag
// thread sees the button, but it never removes a message: no timer tick, no
// window procedure. The wait returns at once while unread input is queued, so
// a short sleep keeps the loop from taking a whole core.
void HostSlice(HostThread how, DWORD ms) {
    if (how == HostThread::Pumping) {
        Pump(ms);
        return;
    }
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT) != WAIT_TIMEOUT)
        Sleep(1);
}

// Keeps the host thread as `how` says until `done` holds, at most `ms`.
template <class Done> bool HostUntil(HostThread how, DWORD ms, Done done) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        if (GetTickCount64() > end)
            return false;
        HostSlice(how, 10);
    }
    return true;
}

// Has the driver script run one xdotool command line; the host thread pumps or
// stays busy meanwhile. False when xdotool failed or no answer came.
bool Xdotool(const std::string &command, HostThread how) {
    static int step = 0;
    ++step;
    const std::wstring base = InputDir() + L"\\step" + std::to_wstring(step);
    if (FILE *f = _wfopen((base + L".tmp").c_str(), L"wb")) {
        std::fputs(command.c_str(), f);
        std::fclose(f);
    } else {
        return false;
    }
    if (!MoveFileW((base + L".tmp").c_str(), (base + L".req").c_str()))
        return false;
    const std::wstring done = base + L".done";
    if (!HostUntil(how, 30000, [&] { return FileExists(done); }))
        return false;
    char answer[16] = {};
    if (FILE *f = _wfopen(done.c_str(), L"rb")) {
        std::fread(answer, 1, sizeof answer - 1, f);
        std::fclose(f);
    }
    return std::atoi(answer) == 0 && answer[0] == '0';
}

std::string Format(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char *format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Press `button` at `from`, go to `to` by way of a point on the way, and release
// unless `hold`. The pauses let the drag thread, which looks every 10 ms, see
// each state: the press where it happened, then the move.
std::string PressMove(POINT from, POINT to, int button, bool hold = false) {
    std::string c = Format("mousemove %ld %ld sleep 0.2 mousedown %d sleep 0.2 ", from.x, from.y, button);
    c += Format("mousemove %ld %ld sleep 0.1 ", (from.x + to.x) / 2, (from.y + to.y) / 2);
    c += Format("mousemove %ld %ld sleep 0.25", to.x, to.y);
    if (!hold)
        c += Format(" mouseup %d sleep 0.15", button);
    return c;
}

// --- Watching for a drag ---

// Notes, from a thread of its own, whether a drag ever started: DragState left
// DragIdle or a ghost window appeared. Its own thread also sees what happens
// while the window thread is busy or inside the system's move loop.
class DragWatch {
  public:
    DragWatch() { thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
    ~DragWatch() {
        stop_ = true;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    DragWatch(const DragWatch &) = delete;
    DragWatch &operator=(const DragWatch &) = delete;
    bool Started() const { return started_; }

  private:
    static DWORD WINAPI Run(LPVOID self) {
        DragWatch &w = *static_cast<DragWatch *>(self);
        // DragState every 2 ms, the ghost every 20: looking for a window by its
        // class costs the wineserver far more.
        for (int i = 0; !w.stop_; ++i) {
            if (g_State.DragState != DragIdle || (i % 10 == 0 && FindWindowW(kGhostClassName, nullptr)))
                w.started_ = true;
            Sleep(2);
        }
        return 0;
    }
    HANDLE thread_ = nullptr;
    volatile bool stop_ = false;
    volatile bool started_ = false;
};

// --- Screen pixels ---

// One copy of a screen rectangle: under wine every GetPixel on the screen reads
// the whole screen back, so the pixels are read from a single copy.
class ScreenCopy {
  public:
    ScreenCopy(POINT origin, int w, int h) : w_(w), h_(h), pixels_(TestHost::CaptureScreen(origin, w, h)) {}
    // 0x00RRGGBB of a pixel relative to the origin.
    RgbColor At(POINT p) const {
        if (p.x < 0 || p.y < 0 || p.x >= w_ || p.y >= h_ || pixels_.empty())
            return 0xFF000000;
        return pixels_[static_cast<size_t>(p.y) * w_ + p.x] & 0xFFFFFF;
    }

  private:
    int w_, h_;
    std::vector<UINT32> pixels_;
};

// --- The fixture ---

HWND Ghost() { return FindWindowW(kGhostClassName, nullptr); }

POINT TopLeft(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return {r.left, r.top};
}

POINT Offset(POINT p, int dx, int dy) { return {p.x + dx, p.y + dy}; }

::testing::AssertionResult SamePoint(POINT expected, POINT actual) {
    if (expected.x == actual.x && expected.y == actual.y)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected (" << expected.x << ", " << expected.y << "), got (" << actual.x
                                         << ", " << actual.y << ")";
}

// A point of empty space on the installing page, in design units.
constexpr float kEmptyX = 300.0f, kEmptyY = 300.0f;

class DragPointerTest : public AttachedTest {
  protected:
    void SetUp() override {
        if (InputDir().empty())
            GTEST_SKIP() << "needs the pointer from xdotool_driver.sh";
        RecordDwmAttributes();
        AttachedTest::SetUp();
    }

    void ShowPage(int page) {
        KSUiSetState(page);
        Pump(400);
    }

    POINT ScreenFromDesign(float x, float y) const {
        POINT p = ClientFromDesign(x, y);
        ClientToScreen(window_, &p);
        return p;
    }

    // Pumps until the drag is over: the host placed and the ghost gone.
    bool PumpUntilSettled() {
        return HostUntil(HostThread::Pumping, 2000, [] { return g_State.DragState == DragIdle && !Ghost(); });
    }

    // Presses `button` on empty space of the installing page, moves by (dx, dy)
    // and releases, the host busy throughout, then pumps until the drag is
    // over. True when a drag started.
    bool DragBy(int dx, int dy, int button) {
        const POINT press = ScreenFromDesign(kEmptyX, kEmptyY);
        DragWatch watch;
        EXPECT_TRUE(Xdotool(PressMove(press, Offset(press, dx, dy), button), HostThread::Busy));
        // Room for a drag thread that lags behind the pointer on a loaded machine.
        HostUntil(HostThread::Busy, 300, [&] { return watch.Started(); });
        EXPECT_TRUE(PumpUntilSettled());
        return watch.Started();
    }
};


// --- Tests ---

// The host's thread is busy from the press to well after the release; the
// window follows at the host's next command or frame tick, to the point where
// the ghost was dropped. Until then the ghost stands there, showing the copy of
// the window taken when the drag began.
TEST_F(DragPointerTest, BusyHostEndsAtTheDropPositionAtItsNextCommandOrTick) {
    enum class TakeOver { SetProgress, SetStatus, FrameTick };
    const struct {
        const char *name;
        TakeOver how;
    } cases[] = {
        {"KSUiSetProgress", TakeOver::SetProgress},
        {"KSUiSetStatus", TakeOver::SetStatus},
        {"frame tick", TakeOver::FrameTick},
    };
    ShowPage(PageInstalling);
    KSUiSetProgress(600);
    Pump(1500); // the bar eases to 60 %, in brand colours the copy must show

    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const POINT start = TopLeft(window_);
        const POINT press = ScreenFromDesign(kEmptyX, kEmptyY);
        // Client pixels across the window, one of them on the filled bar.
        std::vector<POINT> probes;
        for (float y = 60.0f; y < 745.0f; y += 120.0f)
            for (float x = 40.0f; x < 1024.0f; x += 160.0f)
                probes.push_back(ClientFromDesign(x, y));
        // The middle of the bar: below the status line (26 units of text high,
        // growing with ContentBoost) and 12 units of gap, half the bar's height.
        const float b = g_State.ContentBoost;
        probes.push_back(ClientFromDesign(200.0f, 610.0f + 26.0f * b + 12.0f + 5.0f * b));
        RECT host = {};
        GetWindowRect(window_, &host);
        const int w = host.right - host.left, h = host.bottom - host.top;
        std::vector<RgbColor> before;
        {
            const ScreenCopy shot(start, w, h);
            for (POINT p : probes)
                before.push_back(shot.At(p));
        }
        ASSERT_FALSE(Near(before.back(), 0xFFFFFF, 30)) << Hex(before.back());

        ASSERT_TRUE(Xdotool(PressMove(press, Offset(press, 60, 40), 1), HostThread::Busy));
        HostUntil(HostThread::Busy, 1000, [] { return g_State.DragState == DragReleased; });
        // A moment for the ghost to paint at its last place.
        HostUntil(HostThread::Busy, 200, [] { return false; });

        const POINT drop = Offset(start, 60, 40);
        ASSERT_EQ(DragReleased, g_State.DragState);
        const HWND ghost = Ghost();
        ASSERT_TRUE(ghost);
        EXPECT_TRUE(SamePoint(drop, TopLeft(ghost)));
        EXPECT_TRUE(SamePoint(drop, POINT{g_State.GhostX, g_State.GhostY}));
        EXPECT_TRUE(SamePoint(start, TopLeft(window_))) << "moved without a command or tick";
        EXPECT_EQ(1, CloakOf(window_));
        const ScreenCopy shot(drop, w, h);
        for (size_t i = 0; i < probes.size(); ++i) {
            const RgbColor shown = shot.At(probes[i]);
            EXPECT_TRUE(Near(before[i], shown, 8))
                << "client (" << probes[i].x << ", " << probes[i].y << "): " << Hex(before[i]) << " vs "
                << Hex(shown);
        }

        switch (c.how) {
        case TakeOver::SetProgress:
            KSUiSetProgress(610);
            break;
        case TakeOver::SetStatus:
            KSUiSetStatus(L"正在安装");
            break;
        case TakeOver::FrameTick:
            HostUntil(HostThread::Pumping, 1000, [] { return g_State.DragState == DragIdle; });
            break;
        }
        EXPECT_EQ(DragIdle, g_State.DragState);
        EXPECT_TRUE(SamePoint(drop, TopLeft(window_)));
        ASSERT_TRUE(PumpUntilSettled());
        EXPECT_EQ(0, CloakOf(window_));
        EXPECT_TRUE(IsWindowVisible(window_));
        EXPECT_TRUE(SamePoint(drop, TopLeft(window_)));
    }
}

// A host that stays busy after taking the drop over: the ghost, a topmost
// window, goes away on its own, and every later drag works the same, the last
// one only just past the vertical threshold.
TEST_F(DragPointerTest, TheGhostGoesWhileTheHostStaysBusyDragAfterDrag) {
    const int cy = GetSystemMetrics(SM_CYDRAG);
    const struct {
        int dx, dy;
    } drags[] = {{60, 40}, {-50, 30}, {0, -(cy + 1)}};
    ShowPage(PageInstalling);
    for (const auto &d : drags) {
        SCOPED_TRACE(::testing::Message() << "move " << d.dx << ", " << d.dy);
        const POINT start = TopLeft(window_);
        const POINT press = ScreenFromDesign(kEmptyX, kEmptyY);
        ASSERT_TRUE(Xdotool(PressMove(press, Offset(press, d.dx, d.dy), 1), HostThread::Busy));
        ASSERT_TRUE(HostUntil(HostThread::Busy, 2000, [] { return g_State.DragState == DragReleased; }));
        ASSERT_TRUE(Ghost());
        EXPECT_EQ(1, CloakOf(window_));

        KSUiSetProgress(500);
        EXPECT_TRUE(SamePoint(Offset(start, d.dx, d.dy), TopLeft(window_)));
        EXPECT_TRUE(HostUntil(HostThread::Busy, 1000, [] { return !Ghost(); }))
            << "the ghost stays while the host does not pump";
        EXPECT_EQ(0, CloakOf(window_));
    }
}

// The cursor has to go further than the system's drag threshold from the press,
// on either axis; exactly the threshold is still a click.
TEST_F(DragPointerTest, OnlyAMoveBeyondTheDragThresholdStartsADrag) {
    const int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
    const struct {
        int dx, dy;
        bool drags;
    } cases[] = {
        {cx, 0, false},       {cx + 1, 0, true},  {0, -cy, false},
        {0, -(cy + 1), true}, {-cx, cy, false},   {-(cx + 1), cy, true},
    };
    ShowPage(PageInstalling);
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << "move " << c.dx << ", " << c.dy);
        const POINT start = TopLeft(window_);
        EXPECT_EQ(c.drags, DragBy(c.dx, c.dy, 1));
        EXPECT_TRUE(SamePoint(c.drags ? Offset(start, c.dx, c.dy) : start, TopLeft(window_)));
    }
}

// Presses that may not drag, each followed by a long move over empty space of
// the installing page with the button still held. The press itself is what is
// judged: a refused press stays refused until the button comes up.
TEST_F(DragPointerTest, RefusedPressesNeverStartADrag) {
    const struct {
        const char *name;
        int page;
        int element; // pressed on its centre; ElemNone presses at (x, y)
        float x, y;
        HostThread host; // a pumping host moves the welcome page by the system caption
    } cases[] = {
        {"close button", PageInstalling, ElemClose, 0, 0, HostThread::Busy},
        {"minimise button", PageInstalling, ElemMinimize, 0, 0, HostThread::Busy},
        {"welcome page, empty space", PageWelcome, ElemNone, 512.0f, 200.0f, HostThread::Pumping},
        {"welcome page, busy host", PageWelcome, ElemNone, 512.0f, 200.0f, HostThread::Busy},
        {"finished page, empty space", PageFinished, ElemNone, 512.0f, 200.0f, HostThread::Busy},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ShowPage(c.page);
        D2D1_POINT_2F at = D2D1::Point2F(c.x, c.y);
        if (c.element != ElemNone)
            at = ElementCentre(c.element);
        ASSERT_EQ(c.element, HitTest(at.x, at.y));
        const POINT press = ScreenFromDesign(at.x, at.y);
        // From the title buttons to the middle of the page; elsewhere a long way.
        const POINT to = c.element != ElemNone ? ScreenFromDesign(kEmptyX, kEmptyY) : Offset(press, 60, 40);
        const std::vector<int> actionsBefore = Actions();
        {
            DragWatch watch;
            ASSERT_TRUE(Xdotool(PressMove(press, to, 1), c.host));
            Pump(300); // the queued press and release reach the window procedure
            EXPECT_FALSE(watch.Started());
        }
        EXPECT_FALSE(IsIconic(window_)) << "the release away from the button ran it";
        EXPECT_EQ(actionsBefore, Actions());
        if (IsIconic(window_)) {
            ShowWindow(window_, SW_RESTORE);
            Pump(300);
        }
    }
}

// With swapped buttons the user's primary button is the physical right one,
// which GetAsyncKeyState reports as VK_RBUTTON; only the primary button drags.
TEST_F(DragPointerTest, OnlyThePrimaryButtonDragsAlsoWhenTheButtonsAreSwapped) {
    const struct {
        bool swapped;
        int xButton; // 1 is the physical left button, 3 the right one
        bool drags;
    } cases[] = {
        {true, 3, true},
        {true, 1, false},
        {false, 3, false},
        {false, 1, true},
    };
    ShowPage(PageInstalling);
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.swapped ? "swapped" : "not swapped") << ", X button " << c.xButton);
        SwappedButtons buttons(c.swapped);
        const POINT start = TopLeft(window_);
        EXPECT_EQ(c.drags, DragBy(50, 30, c.xButton));
        EXPECT_TRUE(SamePoint(c.drags ? Offset(start, 50, 30) : start, TopLeft(window_)));
    }
}

// The thread sleeps while nobody presses a button: on the installing page at
// rest, whether the host pumps or is busy, and off that page even while the
// pointer crosses the window (only the installing page has it hear the mouse).
TEST_F(DragPointerTest, TheDragThreadSleepsUntilAButtonGoesDownOnTheInstallingPage) {
    const struct {
        const char *name;
        int page;
        bool crossWindow; // else the pointer stays parked away from the window
        HostThread host;
    } cases[] = {
        {"installing page at rest, host pumping", PageInstalling, false, HostThread::Pumping},
        {"installing page at rest, host busy", PageInstalling, false, HostThread::Busy},
        {"welcome page, pointer crossing", PageWelcome, true, HostThread::Pumping},
        {"finished page, pointer crossing, host busy", PageFinished, true, HostThread::Busy},
    };
    const POINT parked = {5, 5};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ShowPage(c.page);
        ASSERT_TRUE(Xdotool(Format("mousemove %ld %ld sleep 0.1", parked.x, parked.y), HostThread::Pumping));
        ASSERT_NE(window_, WindowFromPoint(parked));
        HostUntil(c.host, 300, [] { return false; });
        const LONG before = TestSeams::DragThreadWakes;
        if (c.crossWindow) {
            RECT r = {};
            GetWindowRect(window_, &r);
            std::string moves;
            for (int i = 1; i <= 8; ++i)
                moves += Format("mousemove %ld %ld sleep 0.05 ", r.left + (r.right - r.left) * i / 9,
                                r.top + (r.bottom - r.top) * i / 9);
            moves += Format("mousemove %ld %ld", parked.x, parked.y);
            ASSERT_TRUE(Xdotool(moves, c.host));
        }
        HostUntil(c.host, 1000, [] { return false; });
        EXPECT_EQ(0, TestSeams::DragThreadWakes - before);
    }
}

// A button already held when the installing page comes is no press: neither a
// long move over empty space nor a press of the other button while it is held
// starts a drag. Once it is up, the next press drags as usual.
TEST_F(DragPointerTest, AButtonHeldAsTheInstallingPageComesIsNoPress) {
    ShowPage(PageWelcome);
    const POINT press = ScreenFromDesign(kEmptyX, kEmptyY);
    const POINT to = Offset(press, 60, 40);
    {
        DragWatch watch;
        ASSERT_TRUE(Xdotool(Format("mousemove %ld %ld sleep 0.2 mousedown 1 sleep 0.2", press.x, press.y),
                            HostThread::Busy));
        KSUiSetState(PageInstalling);
        HostUntil(HostThread::Busy, 300, [] { return false; });
        ASSERT_TRUE(Xdotool("mousedown 3 sleep 0.1 mouseup 3 sleep 0.2", HostThread::Busy));
        ASSERT_TRUE(Xdotool(Format("mousemove %ld %ld sleep 0.1 mousemove %ld %ld sleep 0.25 mouseup 1 sleep 0.15",
                                   (press.x + to.x) / 2, (press.y + to.y) / 2, to.x, to.y),
                            HostThread::Busy));
        HostUntil(HostThread::Busy, 300, [&] { return watch.Started(); });
        EXPECT_FALSE(watch.Started());
    }
    Pump(300); // the queued input reaches the window procedure
    const POINT start = TopLeft(window_);
    EXPECT_TRUE(DragBy(60, 40, 1));
    EXPECT_TRUE(SamePoint(Offset(start, 60, 40), TopLeft(window_)));
}

// Detaching while the ghost is held: the thread ends before KSUiDetach returns,
// and the host stands uncloaked where the ghost last was.
TEST_F(DragPointerTest, DetachDuringADragEndsTheThreadAndLeavesTheHostAtTheGhost) {
    ShowPage(PageInstalling);
    const POINT press = ScreenFromDesign(kEmptyX, kEmptyY);
    ASSERT_TRUE(Xdotool(PressMove(press, Offset(press, 80, 50), 1, /*hold=*/true), HostThread::Busy));
    HostUntil(HostThread::Pumping, 1000, [&] { return TopLeft(window_).x == kParkPosition; });
    ASSERT_EQ(DragMoving, g_State.DragState);
    EXPECT_EQ(kParkPosition, TopLeft(window_).x) << "the frame tick parks the cloaked host";
    EXPECT_EQ(1, CloakOf(window_));
    const HWND ghost = Ghost();
    ASSERT_TRUE(ghost);
    const POINT last = TopLeft(ghost);

    HANDLE thread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), g_State.DragThread, GetCurrentProcess(), &thread, SYNCHRONIZE,
                                FALSE, 0));
    KSUiDetach();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0)) << "the drag thread outlived KSUiDetach";
    CloseHandle(thread);
    EXPECT_EQ(DragIdle, g_State.DragState);
    EXPECT_TRUE(SamePoint(last, TopLeft(window_)));
    EXPECT_EQ(0, CloakOf(window_));
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_FALSE(Ghost());

    // The release after detach changes nothing.
    ASSERT_TRUE(Xdotool("mouseup 1 sleep 0.1", HostThread::Pumping));
    Pump(100);
    EXPECT_TRUE(SamePoint(last, TopLeft(window_)));
}

// A host that destroys its window in the middle of a drag takes the ghost with
// it: nobody is left to hand the drop to, and the ghost must not stay on top of
// everything until the next attach.
TEST_F(DragPointerTest, DestroyingTheHostDuringADragRemovesTheGhost) {
    ShowPage(PageInstalling);
    const POINT press = ScreenFromDesign(kEmptyX, kEmptyY);
    ASSERT_TRUE(Xdotool(PressMove(press, Offset(press, 80, 50), 1, /*hold=*/true), HostThread::Busy));
    HostUntil(HostThread::Busy, 1000, [] { return g_State.DragState == DragMoving; });
    ASSERT_EQ(DragMoving, g_State.DragState);
    ASSERT_TRUE(Ghost());

    DestroyWindow(window_);
    HostUntil(HostThread::Pumping, 500, [] { return !Ghost(); });
    EXPECT_FALSE(Ghost()) << "the ghost outlived the host window with the button still held";
    ASSERT_TRUE(Xdotool("mouseup 1 sleep 0.1", HostThread::Pumping));
    Pump(100);
    EXPECT_FALSE(Ghost());
}

} // namespace

// Element rectangles, liveness per page, and what a point hits on the design
// canvas. Rectangles must match to the float: painting and hit testing share them.
#include "tests/host/test_host.h"

#include "geometry/layout.h"
#include "geometry/pixels.h"

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Caption widths as measured at ContentBoost 1; measured widths follow the boost.
constexpr float kAgreeWidth = 105.0f;
constexpr float kLicenseWidth = 120.0f;
constexpr float kCustomWidth = 75.0f;

// ButtonBoost at ContentBoost 2: (2 - 1) * 0.35 + 1.
constexpr float kS2 = 1.35f;

// A boost where the order of the float operations shows in the results.
constexpr float kB = 1.1f;
constexpr float kS = (kB - 1.0f) * 0.35f + 1.0f;
constexpr float kT = 28.0f * kS;
constexpr float kR = 745.0f - (22.0f * kB + 24.0f);
constexpr float kROpen = (745.0f + 150.0f * kB) - (22.0f * kB + 24.0f);
constexpr float kDc = (30.0f * kB + (745.0f + 21.0f * kB) + (745.0f + 21.0f * kB)) * 0.5f;
constexpr float kO = 745.0f + 51.0f * kB + 22.0f;
constexpr float kLinkLeft = 26.0f * kB + 36.0f + kAgreeWidth * kB + 2.0f;
constexpr float kToggleLeft = 988.0f - kCustomWidth * kB - 18.0f * kB;

struct Canvas {
    float Boost;
    LONG Page;
    bool PanelOpen;
};

constexpr Canvas kWelcome1 = {1.0f, PageWelcome, false};
constexpr Canvas kPanel1 = {1.0f, PageWelcome, true};
constexpr Canvas kInstalling1 = {1.0f, PageInstalling, false};
constexpr Canvas kFinished1 = {1.0f, PageFinished, false};
constexpr Canvas kWelcome2 = {2.0f, PageWelcome, false};
constexpr Canvas kPanel2 = {2.0f, PageWelcome, true};
constexpr Canvas kFinished2 = {2.0f, PageFinished, false};
constexpr Canvas kWelcomeB = {kB, PageWelcome, false};
constexpr Canvas kPanelB = {kB, PageWelcome, true};

void Arrange(const Canvas &c) {
    g_State.ContentBoost = c.Boost;
    g_State.CurrentPage = c.Page;
    g_State.CustomPanelOpen = c.PanelOpen;
    g_State.AgreeTextWidth = kAgreeWidth * c.Boost;
    g_State.LicenseTextWidth = kLicenseWidth * c.Boost;
    g_State.CustomTextWidth = kCustomWidth * c.Boost;
}

std::string Show(const D2D1_RECT_F &r) {
    std::ostringstream out;
    out.precision(9);
    out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
    return out.str();
}

void ExpectSameRect(const D2D1_RECT_F &expected, const D2D1_RECT_F &actual) {
    EXPECT_TRUE(expected.left == actual.left && expected.top == actual.top && expected.right == actual.right &&
                expected.bottom == actual.bottom)
        << "expected " << Show(expected) << ", got " << Show(actual);
}

class LayoutTest : public ::testing::Test {
  protected:
    void SetUp() override { TestHost::ResetEngine(); }
    void TearDown() override { TestHost::ResetEngine(); }
};

// --- Rectangles ---

struct RectCase {
    const char *What;
    Canvas On;
    int Id;
    D2D1_RECT_F Expected;
};

const RectCase kRectCases[] = {
    {"close, boost 1", kWelcome1, ElemClose, {976, 14, 1004, 42}},
    {"minimise, boost 1", kWelcome1, ElemMinimize, {940, 14, 968, 42}},
    {"install, boost 1", kWelcome1, ElemInstall, {362, 580, 662, 636}},
    {"launch, boost 1", kFinished1, ElemLaunch, {362, 580, 662, 636}},
    {"agreement box, boost 1", kWelcome1, ElemAgree, {36, 701, 54, 719}},
    {"licence link, boost 1", kWelcome1, ElemLicenseLink, {169, 699, 289, 721}},
    {"custom toggle, boost 1", kWelcome1, ElemCustomToggle, {988 - kCustomWidth - 18, 699, 988, 721}},
    // The panel flag moves the bottom row only on the welcome page.
    {"agreement box, stale panel flag off the welcome page", {1.0f, PageInstalling, true}, ElemAgree,
     {36, 701, 54, 719}},

    {"agreement box below the open panel, boost 1", kPanel1, ElemAgree, {36, 851, 54, 869}},
    {"licence link below the open panel, boost 1", kPanel1, ElemLicenseLink, {169, 849, 289, 871}},
    {"custom toggle below the open panel, boost 1", kPanel1, ElemCustomToggle, {895, 849, 988, 871}},
    {"change directory, boost 1", kPanel1, ElemChangeDir, {866, 763, 964, 799}},
    {"desktop option, boost 1", kPanel1, ElemOptDesktop, {150, 818, 166, 834}},
    {"start-menu option, boost 1", kPanel1, ElemOptStartMenu, {420, 818, 436, 834}},
    {"auto-start option, boost 1", kPanel1, ElemOptAutoStart, {690, 818, 706, 834}},
    {"title buttons do not move with the panel", kPanel1, ElemClose, {976, 14, 1004, 42}},

    {"close, boost 2", kWelcome2, ElemClose, {966.2f, 14, 1004, 51.8f}},
    {"minimise, boost 2", kWelcome2, ElemMinimize,
     {1004.0f - 28.0f * kS2 - 8.0f - 28.0f * kS2, 14, 1004.0f - 28.0f * kS2 - 8.0f - 28.0f * kS2 + 28.0f * kS2,
      28.0f * kS2 + 14.0f}},
    {"install, boost 2", kWelcome2, ElemInstall, {309.5f, 570.2f, 714.5f, 645.8f}},
    {"launch, boost 2", kFinished2, ElemLaunch, {309.5f, 570.2f, 714.5f, 645.8f}},
    // Bottom row at 745 - (44 + 24) = 677, 44 high; box side 36.
    {"agreement box, boost 2", kWelcome2, ElemAgree, {36, 681, 72, 717}},
    {"licence link, boost 2", kWelcome2, ElemLicenseLink, {300, 677, 540, 721}},
    {"custom toggle, boost 2", kWelcome2, ElemCustomToggle, {802, 677, 988, 721}},

    // Canvas 745 + 300 = 1045 high, bottom row at 977; directory row centred on 817.
    {"agreement box below the open panel, boost 2", kPanel2, ElemAgree, {36, 981, 72, 1017}},
    {"licence link below the open panel, boost 2", kPanel2, ElemLicenseLink, {300, 977, 540, 1021}},
    {"custom toggle below the open panel, boost 2", kPanel2, ElemCustomToggle, {802, 977, 988, 1021}},
    {"change directory, boost 2", kPanel2, ElemChangeDir,
     {964.0f - 98.0f * kS2, 817.0f - 18.0f * kS2, 964, 18.0f * kS2 + 817.0f}},
    {"desktop option, boost 2", kPanel2, ElemOptDesktop, {150, 869, 182, 901}},
    {"start-menu option, boost 2", kPanel2, ElemOptStartMenu, {420, 869, 452, 901}},
    {"auto-start option, boost 2", kPanel2, ElemOptAutoStart, {690, 869, 722, 901}},

    {"minimise, boost 1.1", kWelcomeB, ElemMinimize,
     {1004.0f - kT - 8.0f - kT, 14, 1004.0f - kT - 8.0f - kT + kT, kT + 14.0f}},
    {"install, boost 1.1", kWelcomeB, ElemInstall,
     {512.0f - 150.0f * kS, 608.0f - 28.0f * kS, 150.0f * kS + 512.0f, 28.0f * kS + 608.0f}},
    {"agreement box, boost 1.1", kWelcomeB, ElemAgree,
     {36, (kR + 11.0f * kB) - 9.0f * kB, 18.0f * kB + 36.0f, 9.0f * kB + (kR + 11.0f * kB)}},
    {"licence link, boost 1.1", kWelcomeB, ElemLicenseLink,
     {kLinkLeft, kR, kLinkLeft + kLicenseWidth * kB, 22.0f * kB + kR}},
    {"custom toggle below the open panel, boost 1.1", kPanelB, ElemCustomToggle,
     {kToggleLeft, kROpen, 988, 22.0f * kB + kROpen}},
    {"change directory, boost 1.1", kPanelB, ElemChangeDir,
     {964.0f - 98.0f * kS, kDc - 18.0f * kS, 964, 18.0f * kS + kDc}},
    {"auto-start option, boost 1.1", kPanelB, ElemOptAutoStart, {690, kO, 690.0f + 16.0f * kB, kO + 16.0f * kB}},

    {"no element", kWelcome1, ElemNone, {0, 0, 0, 0}},
    {"id past the last element", kFinished1, 12, {0, 0, 0, 0}},
    {"negative id", kWelcome1, -1, {0, 0, 0, 0}},
};

TEST_F(LayoutTest, EveryElementRectangleIsExactToTheFloat) {
    for (const RectCase &c : kRectCases) {
        SCOPED_TRACE(c.What);
        Arrange(c.On);
        ExpectSameRect(c.Expected, ElementRect(c.Id));
    }
}

TEST_F(LayoutTest, CanvasHeightGrowsOnlyWithThePanelOpenOnTheWelcomePage) {
    const struct {
        Canvas On;
        float Height;
    } cases[] = {
        {kWelcome1, 745}, {kPanel1, 895}, {kPanel2, 1045}, {{1.0f, PageFinished, true}, 745}, {kWelcome2, 745},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "boost " << c.On.Boost << " page " << c.On.Page << " panel "
                                        << c.On.PanelOpen);
        Arrange(c.On);
        EXPECT_EQ(c.Height, CanvasHeight());
    }
    Arrange(kPanel2);
    EXPECT_EQ(kS2, ButtonBoost());
}

// The link starts after the agreement caption and never reaches within
// 16 * B of the toggle (which starts at 895 here): a long caption shortens it.
// The agreement caption itself takes at most 55 % of the row after its box
// (926 units at B = 1), so a long one is shortened before the link is.
TEST_F(LayoutTest, LicenseLinkShrinksToTheRoomBeforeTheToggle) {
    const float agreeCap = (988.0f - (36.0f + 26.0f)) * 0.55f;
    const float afterCap = 26.0f + 36.0f + agreeCap + 2.0f;
    const struct {
        const char *What;
        float Agree, License;
        float Left, Right;
        int HitAtLeft;
    } cases[] = {
        {"fits", kAgreeWidth, kLicenseWidth, 169, 289, ElemLicenseLink},
        {"not measured yet", kAgreeWidth, 0, 169, 169, ElemNone},
        {"long link text is cut at the toggle's margin", kAgreeWidth, 1000, 169, 879, ElemLicenseLink},
        {"agreement caption just under its share", 509, kLicenseWidth, 573, 693, ElemLicenseLink},
        {"long agreement caption is held to its share", 800, kLicenseWidth, afterCap, afterCap + kLicenseWidth,
         ElemLicenseLink},
        {"long agreement caption and long link text", 900, 1000, afterCap, 879, ElemLicenseLink},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.What);
        Arrange(kWelcome1);
        g_State.AgreeTextWidth = c.Agree;
        g_State.LicenseTextWidth = c.License;
        ExpectSameRect({c.Left, 699, c.Right, 721}, ElementRect(ElemLicenseLink));
        EXPECT_EQ(c.HitAtLeft, HitTest(c.Left, 710));
        EXPECT_NE(ElemLicenseLink, HitTest(c.Right, 710));
    }
}

// --- Liveness ---

TEST_F(LayoutTest, LiveElementsFollowThePageAndThePanel) {
    constexpr unsigned kTitle = (1u << ElemMinimize) | (1u << ElemClose);
    constexpr unsigned kWelcomeRow =
        (1u << ElemInstall) | (1u << ElemAgree) | (1u << ElemLicenseLink) | (1u << ElemCustomToggle);
    constexpr unsigned kPanelRow =
        (1u << ElemChangeDir) | (1u << ElemOptDesktop) | (1u << ElemOptStartMenu) | (1u << ElemOptAutoStart);
    const struct {
        LONG Page;
        bool PanelOpen;
        unsigned Live;
    } cases[] = {
        {PageWelcome, false, kTitle | kWelcomeRow},
        {PageWelcome, true, kTitle | kWelcomeRow | kPanelRow},
        {PageInstalling, false, kTitle},
        {PageInstalling, true, kTitle},
        {PageFinished, false, kTitle | (1u << ElemLaunch)},
        {PageFinished, true, kTitle | (1u << ElemLaunch)},
    };
    for (const auto &c : cases) {
        g_State.CurrentPage = c.Page;
        g_State.CustomPanelOpen = c.PanelOpen;
        for (int id = -1; id <= 12; ++id) {
            const bool expected = id >= 0 && id < 32 && (c.Live >> id & 1u);
            EXPECT_EQ(expected, ElementLive(id)) << "page " << c.Page << " panel " << c.PanelOpen << " id " << id;
        }
    }
}

// --- Hit testing ---

struct HitCase {
    const char *What;
    Canvas On;
    float X, Y;
    int Expected;
};

const HitCase kHitCases[] = {
    {"close, top-left corner", kWelcome1, 976, 14, ElemClose},
    {"close, last point inside", kWelcome1, std::nextafter(1004.0f, 0.0f), std::nextafter(42.0f, 0.0f), ElemClose},
    {"close, right edge", kWelcome1, 1004, 20, ElemNone},
    {"close, bottom edge", kWelcome1, 990, 42, ElemNone},
    {"just left of close", kWelcome1, std::nextafter(976.0f, 0.0f), 20, ElemNone},
    {"just above close", kWelcome1, 990, std::nextafter(14.0f, 0.0f), ElemNone},
    {"minimise, left edge", kWelcome1, 940, 30, ElemMinimize},
    {"gap between the title buttons", kWelcome1, 970, 30, ElemNone},
    {"minimise's right edge is the gap", kWelcome1, 968, 30, ElemNone},
    {"title buttons on the installing page", kInstalling1, 976, 14, ElemClose},

    {"install, top-left corner", kWelcome1, 362, 580, ElemInstall},
    {"install, right edge", kWelcome1, 662, 600, ElemNone},
    {"install, bottom edge", kWelcome1, 500, 636, ElemNone},
    {"install's place on the installing page", kInstalling1, 512, 608, ElemNone},
    {"install's place on the finished page is launch", kFinished1, 512, 608, ElemLaunch},
    {"launch, top-left corner", kFinished1, 362, 580, ElemLaunch},
    {"launch, right edge", kFinished1, 662, 600, ElemNone},
    {"install, boost 2, left edge", kWelcome2, 309.5f, 608, ElemInstall},
    {"install, boost 2, bottom edge", kWelcome2, 512, 645.8f, ElemNone},
    {"close, boost 2, last row inside", kWelcome2, 1000, std::nextafter(51.8f, 0.0f), ElemClose},

    {"agreement box, top-left corner", kWelcome1, 36, 701, ElemAgree},
    {"agreement box, right edge", kWelcome1, 54, 710, ElemNone},
    {"agreement caption between box and link", kWelcome1, 100, 710, ElemNone},
    {"licence link, top-left corner", kWelcome1, 169, 699, ElemLicenseLink},
    {"licence link, right edge", kWelcome1, 289, 710, ElemNone},
    {"custom toggle, top-left corner", kWelcome1, 895, 699, ElemCustomToggle},
    {"custom toggle, right edge", kWelcome1, 988, 710, ElemNone},
    {"custom toggle, bottom edge", kWelcome1, 950, 721, ElemNone},
    {"welcome row on the finished page", kFinished1, 36, 701, ElemNone},

    {"change directory with the panel closed", kWelcome1, 900, 780, ElemNone},
    {"desktop option with the panel closed", kWelcome1, 155, 825, ElemNone},
    {"change directory, top-left corner", kPanel1, 866, 763, ElemChangeDir},
    {"change directory, right edge", kPanel1, 964, 780, ElemNone},
    {"desktop option, top-left corner", kPanel1, 150, 818, ElemOptDesktop},
    {"desktop option, right edge", kPanel1, 166, 820, ElemNone},
    {"start-menu option", kPanel1, 428, 826, ElemOptStartMenu},
    {"auto-start option, bottom edge", kPanel1, 700, 834, ElemNone},
    {"auto-start option, last point inside", kPanel1, std::nextafter(706.0f, 0.0f), std::nextafter(834.0f, 0.0f),
     ElemOptAutoStart},
    {"agreement box moved below the panel", kPanel1, 36, 851, ElemAgree},
    {"agreement box's old place under the open panel", kPanel1, 36, 701, ElemNone},
    {"change directory, boost 2", kPanel2, 964.0f - 98.0f * kS2, 817, ElemChangeDir},

    {"x not a number", kWelcome1, kNaN, 20, ElemNone},
    {"y not a number", kWelcome1, 990, kNaN, ElemNone},
    {"neither a number", kFinished1, kNaN, kNaN, ElemNone},
    {"infinite x", kWelcome1, kInf, 20, ElemNone},
    {"minus infinite y", kWelcome1, 990, -kInf, ElemNone},
    {"far off the canvas", kWelcome1, -1e30f, 1e30f, ElemNone},
};

TEST_F(LayoutTest, PointsHitHalfOpenRectanglesOfLiveElementsOnly) {
    for (const HitCase &c : kHitCases) {
        SCOPED_TRACE(c.What);
        Arrange(c.On);
        EXPECT_EQ(c.Expected, HitTest(c.X, c.Y)) << "at (" << c.X << ", " << c.Y << ")";
    }
}

// Across the whole boost range, with captions that fit their row, every live
// element is hit at its centre and no two live rectangles overlap.
TEST_F(LayoutTest, LiveRectanglesNeverOverlapAndAreHitAtTheirCentres) {
    const Canvas pages[] = {{1, PageWelcome, false}, {1, PageWelcome, true}, {1, PageInstalling, false},
                            {1, PageFinished, false}};
    for (int step = 0; step <= 20; ++step) {
        for (Canvas c : pages) {
            c.Boost = 1.0f + step * 0.05f;
            Arrange(c);
            for (int id = ElemMinimize; id <= ElemLaunch; ++id) {
                if (!ElementLive(id))
                    continue;
                const D2D1_RECT_F r = ElementRect(id);
                SCOPED_TRACE(testing::Message() << "boost " << c.Boost << " page " << c.Page << " panel "
                                                << c.PanelOpen << " id " << id << " " << Show(r));
                EXPECT_LT(r.left, r.right);
                EXPECT_LT(r.top, r.bottom);
                EXPECT_LE(r.bottom, CanvasHeight());
                EXPECT_EQ(id, HitTest((r.left + r.right) * 0.5f, (r.top + r.bottom) * 0.5f));
                for (int other = id + 1; other <= ElemLaunch; ++other) {
                    if (!ElementLive(other))
                        continue;
                    const D2D1_RECT_F o = ElementRect(other);
                    const bool overlap = r.left < o.right && o.left < r.right && r.top < o.bottom && o.top < r.bottom;
                    EXPECT_FALSE(overlap) << "overlaps id " << other << " " << Show(o);
                }
            }
        }
    }
}

TEST_F(LayoutTest, ClientPixelsAreDividedByWindowScale) {
    g_State.WindowScale = 1.5f;
    const D2D1_POINT_2F p = DesignFromClient(1464, 21);
    EXPECT_EQ(976.0f, p.x);
    EXPECT_EQ(14.0f, p.y);
    EXPECT_EQ(ElemClose, HitTest(p.x, p.y));
    const D2D1_POINT_2F q = DesignFromClient(-3, 0);
    EXPECT_EQ(-2.0f, q.x);
    EXPECT_EQ(0.0f, q.y);
}

} // namespace

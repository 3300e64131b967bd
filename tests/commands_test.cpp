// The host's commands, detached and attached, and every export against bad input.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"
#include "state/seams.h"
#include "render/resources.h"

#include <climits>
#include <string>

using namespace TestHost;

namespace {

ULONGLONG g_Tick = 0;
ULONGLONG FakeTick() { return g_Tick; }

class Commands : public ::testing::Test {
  protected:
    void SetUp() override { ResetEngine(); }
    void TearDown() override {
        TestSeams::TickSource = nullptr;
        ResetEngine();
    }
};

class AttachedCommands : public AttachedTest {
  protected:
    void TearDown() override {
        TestSeams::TickSource = nullptr;
        AttachedTest::TearDown();
    }
    int WindowHeight() const {
        RECT r;
        GetWindowRect(window_, &r);
        return r.bottom - r.top;
    }
};

std::wstring Dir(int capacity = 512) {
    std::wstring text(512, L'\0');
    const int n = KSUiGetDir(&text[0], capacity);
    text.resize(n);
    return text;
}

// --- Detached: commands only store ---

TEST_F(Commands, OptionsStartOnOnOnOffAndOutOfRangeReadsZero) {
    const struct {
        int Option, Expected;
    } cases[] = {{1, 1}, {2, 1}, {3, 1}, {4, 0}, {0, 0}, {5, 0}, {-1, 0}, {INT_MIN, 0}, {INT_MAX, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(c.Expected, KSUiGetOption(c.Option)) << "option " << c.Option;
}

TEST_F(Commands, ProgressIsClampedAndFallsBackAtOnce) {
    const struct {
        int Given, Stored;
    } cases[] = {{-5, 0}, {INT_MIN, 0}, {0, 0}, {425, 425}, {1000, 1000}, {1500, 1000}, {INT_MAX, 1000}};
    for (const auto &c : cases) {
        KSUiSetProgress(c.Given);
        EXPECT_EQ(c.Stored, g_State.ProgressTarget) << "progress " << c.Given;
    }
    g_State.ProgressShown = 600.0f;
    KSUiSetProgress(800);
    EXPECT_EQ(600.0f, g_State.ProgressShown) << "rises are eased by the clock";
    KSUiSetProgress(300);
    EXPECT_EQ(300.0f, g_State.ProgressShown) << "a lower value shows at once";
}

TEST_F(Commands, PagesOutsideTheRangeChangeNothing) {
    g_State.HoverElement = ElemAgree;
    g_State.PressedElement = ElemAgree;
    g_State.CustomPanelOpen = true;
    for (int page : {-1, 3, INT_MIN, INT_MAX}) {
        KSUiSetState(page);
        EXPECT_EQ(PageWelcome, g_State.CurrentPage) << page;
        EXPECT_EQ(ElemAgree, g_State.HoverElement) << page;
        EXPECT_EQ(ElemAgree, g_State.PressedElement) << page;
        EXPECT_TRUE(g_State.CustomPanelOpen) << page;
    }
}

TEST_F(Commands, PageSwitchesCancelThePressAndCloseThePanelAwayFromWelcome) {
    const struct {
        int Page;
        bool PanelAfter;
    } cases[] = {{KSUI_PAGE_WELCOME, true}, {KSUI_PAGE_INSTALLING, false}, {KSUI_PAGE_FINISHED, false}};
    for (const auto &c : cases) {
        g_State.CurrentPage = PageWelcome;
        g_State.CustomPanelOpen = true;
        g_State.HoverElement = ElemInstall;
        g_State.PressedElement = ElemInstall;
        KSUiSetState(c.Page);
        EXPECT_EQ(c.Page, g_State.CurrentPage);
        EXPECT_EQ(ElemNone, g_State.HoverElement);
        EXPECT_EQ(ElemNone, g_State.PressedElement);
        EXPECT_EQ(c.PanelAfter, g_State.CustomPanelOpen) << "page " << c.Page;
    }
}

TEST_F(Commands, TextsAreStoredWholeAndNullMeansEmpty) {
    const std::wstring huge(1 << 20, L'装');
    KSUiSetStatus(huge.c_str());
    EXPECT_EQ(huge, g_State.StatusText);
    KSUiSetStatus(nullptr);
    EXPECT_TRUE(g_State.StatusText.empty());

    KSUiSetDir(huge.c_str());
    EXPECT_EQ(huge.size(), g_State.InstallDir.size());
    KSUiSetDir(nullptr);
    EXPECT_TRUE(g_State.InstallDir.empty());

    KSUiSetHeroDir(L"C:\\pictures\\");
    EXPECT_EQ(L"C:\\pictures\\", g_State.HeroDir);
    KSUiSetHeroDir(nullptr);
    EXPECT_TRUE(g_State.HeroDir.empty());
}

TEST_F(Commands, GetDirCopiesWithinTheCapacity) {
    KSUiSetDir(L"D:\\Apps");
    const struct {
        int Capacity, Expected;
    } cases[] = {{0, 0}, {-1, 0}, {INT_MIN, 0}, {1, 0}, {4, 3}, {7, 6}, {8, 7}, {100, 7}, {INT_MAX, 7}};
    for (const auto &c : cases) {
        wchar_t buffer[100];
        std::fill(std::begin(buffer), std::end(buffer), L'#');
        EXPECT_EQ(c.Expected, KSUiGetDir(buffer, c.Capacity)) << "capacity " << c.Capacity;
        if (c.Capacity <= 0) {
            EXPECT_EQ(L'#', buffer[0]);
            continue;
        }
        EXPECT_EQ(std::wstring(L"D:\\Apps").substr(0, c.Expected), std::wstring(buffer, c.Expected));
        EXPECT_EQ(L'\0', buffer[c.Expected]);
        EXPECT_EQ(L'#', buffer[c.Expected + 1]);
    }
    EXPECT_EQ(0, KSUiGetDir(nullptr, 100));
}

TEST_F(Commands, BrandingKeepsWhatIsNotGiven) {
    KSUiSetBranding(nullptr, -1, -1);
    EXPECT_TRUE(g_State.LicenseLinkText.empty());
    EXPECT_EQ(0x2E78F6u, g_State.BrandColor1);
    EXPECT_EQ(0x7A5AF8u, g_State.BrandColor2);

    KSUiSetBranding(L"《许可》", 0xFF0000, 0x0000FF);
    EXPECT_EQ(L"《许可》", g_State.LicenseLinkText);
    EXPECT_EQ(0xFF0000u, g_State.BrandColor1);
    EXPECT_EQ(0x0000FFu, g_State.BrandColor2);

    // An empty caption cannot bring the built-in one back; a negative colour keeps the current one.
    KSUiSetBranding(L"", INT_MIN, 0);
    EXPECT_EQ(L"《许可》", g_State.LicenseLinkText);
    EXPECT_EQ(0xFF0000u, g_State.BrandColor1);
    EXPECT_EQ(0u, g_State.BrandColor2);
}

// --- Attached ---

TEST_F(AttachedCommands, ThePanelKeepsTheWindowTallOnlyOnTheWelcomePage) {
    const int shortHeight = WindowHeight();
    const D2D1_POINT_2F toggle = ElementCentre(ElemCustomToggle);
    Click(window_, toggle.x, toggle.y);
    ASSERT_TRUE(g_State.CustomPanelOpen);
    const int tallHeight = WindowHeight();
    EXPECT_GT(tallHeight, shortHeight);
    EXPECT_TRUE(IsWindowVisible(g_State.DirEdit));

    KSUiSetState(KSUI_PAGE_WELCOME);
    EXPECT_EQ(tallHeight, WindowHeight());
    EXPECT_TRUE(IsWindowVisible(g_State.DirEdit));

    KSUiSetState(KSUI_PAGE_INSTALLING);
    EXPECT_FALSE(g_State.CustomPanelOpen);
    EXPECT_EQ(shortHeight, WindowHeight());
    EXPECT_FALSE(IsWindowVisible(g_State.DirEdit));
}

TEST_F(AttachedCommands, TheDirectoryIsWhatTheUserTypedUntilDetach) {
    KSUiSetDir(L"C:\\Product");
    wchar_t shown[64] = {};
    GetWindowTextW(g_State.DirEdit, shown, 64);
    EXPECT_STREQ(L"C:\\Product", shown);

    SetWindowTextW(g_State.DirEdit, L"E:\\Mine");
    EXPECT_EQ(L"E:\\Mine", Dir());
    EXPECT_EQ(L"E:\\M", Dir(5));
    EXPECT_EQ(L"C:\\Product", g_State.InstallDir) << "typing never changes the host's value";

    KSUiSetDir(nullptr);
    EXPECT_EQ(L"", Dir());
    KSUiSetDir(L"C:\\Product");
    SetWindowTextW(g_State.DirEdit, L"E:\\Mine");
    KSUiDetach();
    EXPECT_EQ(L"C:\\Product", Dir()) << "after detach the host's own value again";
}

TEST_F(AttachedCommands, ProgressRepaintsAtMostOnceIn30Ms) {
    TestSeams::TickSource = FakeTick;
    g_Tick = 100000;
    KSUiSetProgress(100);
    EXPECT_EQ(100000u, g_State.LastRepaintTick);
    EXPECT_EQ(100000u, g_State.LastFrameTick) << "a repaint steps the clock";

    g_Tick += 10;
    KSUiSetProgress(200);
    EXPECT_EQ(200, g_State.ProgressTarget) << "every value is stored";
    EXPECT_EQ(100000u, g_State.LastRepaintTick) << "but 10 ms later nothing is painted";
    EXPECT_EQ(100000u, g_State.LastFrameTick);

    g_Tick += 20;
    KSUiSetProgress(300);
    EXPECT_EQ(100030u, g_State.LastRepaintTick);

    // Status and page always paint, and stamp the time for the progress throttle.
    g_Tick += 1;
    KSUiSetStatus(L"复制文件");
    EXPECT_EQ(100031u, g_State.LastRepaintTick);
    g_Tick += 29;
    KSUiSetProgress(400);
    EXPECT_EQ(100031u, g_State.LastRepaintTick);
    g_Tick += 1;
    KSUiSetState(KSUI_PAGE_INSTALLING);
    EXPECT_EQ(100061u, g_State.LastRepaintTick);
}

TEST_F(AttachedCommands, BrandingRemeasuresTheLicenceLink) {
    const float before = g_State.LicenseTextWidth;
    KSUiSetBranding(L"《这是一份相当长的最终用户许可协议与隐私政策》", -1, -1);
    EXPECT_GT(g_State.LicenseTextWidth, before * 2.0f);
    EXPECT_TRUE(g_State.CaptionFormat) << "the formats were rebuilt";
}

TEST_F(AttachedCommands, EveryExportSurvivesBadInput) {
    const std::wstring huge(1 << 20, L'x');
    wchar_t small[4] = {L'#', L'#', L'#', L'#'};
    for (int capacity : {0, -1, INT_MIN}) {
        EXPECT_EQ(0, KSUiLastError(small, capacity));
        EXPECT_EQ(0, KSUiGetDir(small, capacity));
        EXPECT_EQ(0, KSUiProcReport(small, capacity));
        EXPECT_EQ(0, KSUiBrowseDir(nullptr, small, capacity));
    }
    EXPECT_EQ(L'#', small[0]);
    EXPECT_EQ(0, KSUiLastError(nullptr, INT_MAX));
    EXPECT_EQ(0, KSUiGetDir(nullptr, INT_MAX));
    EXPECT_EQ(0, KSUiProcReport(nullptr, INT_MAX));
    EXPECT_EQ(0, KSUiBrowseDir(L"C:\\", nullptr, INT_MAX));

    KSUiSetStatus(huge.c_str());
    KSUiSetDir(huge.c_str());
    KSUiSetBranding(huge.c_str(), INT_MAX, INT_MIN);
    KSUiSetHeroDir(huge.c_str());
    for (int page : {-1, 3, INT_MIN})
        KSUiSetState(page);
    for (int option : {0, 5, -1})
        EXPECT_EQ(0, KSUiGetOption(option));
    Pump(100);
    EXPECT_EQ(window_, g_State.HostWindow);
    EXPECT_EQ(huge, g_State.StatusText);
    EXPECT_EQ(huge, g_State.HeroDir);
}

} // namespace

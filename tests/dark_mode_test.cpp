// Dark mode: the user's app theme, or the host's choice, paints every page in
// the dark palette; every text keeps WCAG AA contrast against its ground; a
// change of theme switches live, and the light palette comes back unchanged.
// The theme is the real registry value, written and put back by the tests.
#include "tests/paint_support.h"

#include "KestoUIEngine.h"
#include "geometry/layout.h"
#include "render/palette.h"
#include "render/resources.h"

#include <climits>
#include <cstdio>

using namespace TestHost;
using namespace PaintSupport;

namespace {

const RgbColor kHeroColours[5] = {0xE8E4D8, 0xC03020, 0xD0A000, 0x8040C0, 0x00A0B0};
const wchar_t kThemeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// Writes AppsUseLightTheme and puts back what was there before (or nothing),
// even when a test fails.
class AppThemeGuard {
  public:
    AppThemeGuard() {
        DWORD size = sizeof saved_;
        had_ = RegGetValueW(HKEY_CURRENT_USER, kThemeKey, L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &saved_,
                            &size) == ERROR_SUCCESS;
    }
    ~AppThemeGuard() {
        if (had_)
            Set(saved_);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kThemeKey, L"AppsUseLightTheme");
    }
    static void Set(DWORD light) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kThemeKey, L"AppsUseLightTheme", REG_DWORD, &light,
                                                 sizeof light));
    }

  private:
    bool had_ = false;
    DWORD saved_ = 1;
};

// What the system sends every top-level window when the user switches the theme.
void AnnounceThemeChange(HWND window) {
    SendMessageW(window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
}

// The colour a veil of the background gives over a picture's colour.
RgbColor VeiledHero(RgbColor picture) { return MixColor(picture, kDarkBackground, kDarkVeilOpacity); }

// A point of the title buttons' veil: the gap between the two buttons.
D2D1_POINT_2F TitleVeilPoint() {
    const D2D1_RECT_F minimise = ElementRect(ElemMinimize);
    return D2D1::Point2F(minimise.right + 4.0f, (minimise.top + minimise.bottom) * 0.5f);
}

// --- Contrast ---

TEST(DarkPaletteContrast, RatiosFollowWcag) {
    const struct {
        RgbColor A, B;
        float Ratio;
    } kCases[] = {
        {0x000000, 0xFFFFFF, 21.0f}, {0xFFFFFF, 0x000000, 21.0f}, {0x767676, 0xFFFFFF, 4.54f},
        {0x777777, 0xFFFFFF, 4.48f}, {0x2E78F6, 0x2E78F6, 1.0f},
    };
    for (const auto &c : kCases)
        EXPECT_NEAR(c.Ratio, ContrastRatio(c.A, c.B), 0.01f) << Hex(c.A) << " on " << Hex(c.B);
}

// Every text of the dark palette against every ground it is drawn on, for the
// default brand colours and for a host's dark and light ones. The worst ground
// over the hero is the veil over a white picture. The table is printed for the
// README.
TEST(DarkPaletteContrast, EveryTextReadsAtLeastAaOnItsGround) {
    TestHost::ResetEngine();
    for (const RgbColor brand : {0x2E78F6u, 0x1A2B6Cu, 0xFFD24Au}) {
        g_State.BrandColor1 = brand;
        g_State.DarkMode = true;
        g_State.HighContrast = false;
        ChoosePalette();
        const Palette &p = g_State.Colors;
        EXPECT_EQ(Hex(brand), Hex(p.Accent)) << "the brand colour stays the brand colour";
        const RgbColor veil = DarkVeilOverWhite();
        const struct {
            const char *Text, *Ground;
            RgbColor Ink, Under;
        } kPairs[] = {
            {"text", "background", p.Text, p.Background},
            {"text (agreement, title icons)", "veil over a white picture", p.Text, veil},
            {"secondary (status, percentage, folder label)", "background", p.Secondary, p.Background},
            {"secondary (custom-install toggle)", "veil over a white picture", p.Secondary, veil},
            {"licence link", "veil over a white picture", p.Link, veil},
            {"licence link (panel open)", "background", p.Link, p.Background},
            {"accent text (change button, hovered toggle)", "background", p.AccentInk, p.Background},
            {"accent text (hovered change button)", "its hover face", p.AccentInk, p.ChangeHover},
            {"accent text (hovered toggle)", "veil over a white picture", p.AccentInk, veil},
            {"folder text", "folder field", p.DirText, p.DirBox},
            {"option captions", "background", p.Text, p.Background},
            {"disabled install caption", "disabled face", p.DisabledText, p.Disabled},
        };
        for (const auto &pair : kPairs) {
            const float ratio = ContrastRatio(pair.Ink, pair.Under);
            EXPECT_GE(ratio, kTextContrast) << pair.Text << " on " << pair.Ground << ", brand " << Hex(brand);
            if (brand == 0x2E78F6u)
                std::printf("| %s | %s | %s on %s | %.2f:1 |\n", pair.Text, pair.Ground, Hex(pair.Ink).c_str(),
                            Hex(pair.Under).c_str(), ratio);
        }
    }
    TestHost::ResetEngine();
}

// --- Painted pages ---

class DarkModeTest : public PaintTest {
  protected:
    void AttachWithPictures(const std::function<void()> &before = nullptr) {
        AttachWithSolidPictures(L"dark", kHeroColours, before);
    }
    AppThemeGuard theme_;
};

TEST_F(DarkModeTest, TheUsersDarkThemePaintsEveryPageDark) {
    AppThemeGuard::Set(0);
    AttachWithPictures();
    ASSERT_TRUE(g_State.DarkMode);
    const D2D1_POINT_2F titleVeil = TitleVeilPoint();
    const D2D1_RECT_F install = ElementRect(ElemInstall);
    const float installY = (install.top + install.bottom) * 0.5f;
    const float bandY = BottomRowTop() - 5.0f;
    SaveForPeople(window_, L"dark_welcome.png");
    Snapshot welcome(window_);
    ExpectPixels(welcome, {
                              {"hero picture as it is", 300.0f, 300.0f, kHeroColours[0], 2},
                              {"veil behind the title buttons", titleVeil.x, titleVeil.y, VeiledHero(kHeroColours[0]), 3},
                              {"veil along the bottom row", 512.0f, bandY, VeiledHero(kHeroColours[0]), 3},
                              {"install button: the brand gradient", install.left + 6.0f, installY, g_State.BrandColor1, 14},
                              {"ticked agreement box: the brand colour", ElementCentre(ElemAgree).x,
                               ElementRect(ElemAgree).top + 3.0f, g_State.BrandColor1, 20},
                          });
    // Light ink on the veil: the agreement caption, the toggle, the close icon.
    const D2D1_RECT_F caption = AgreeCaptionRect();
    EXPECT_LE(ColourDistance(kDarkText, welcome.Lightest(caption)), 40) << Hex(welcome.Lightest(caption));
    EXPECT_LE(ColourDistance(kDarkSecondary, welcome.Lightest(ToggleCaptionRect())), 40);
    EXPECT_LE(ColourDistance(kDarkText, welcome.Lightest(ElementRect(ElemClose))), 40);

    FreezeClock();
    KSUiSetState(PageInstalling);
    KSUiSetStatus(L"正在复制文件");
    KSUiSetProgress(500);
    Advance(1000);
    Repaint(window_);
    SaveForPeople(window_, L"dark_installing.png");
    const D2D1_RECT_F track = ProgressTrackRect();
    const float mid = (track.top + track.bottom) * 0.5f;
    const Snapshot installing(window_);
    const RgbColor slide = kHeroColours[g_State.SlideIndex];
    ExpectPixels(installing, {
                                 {"hero picture as it is", 300.0f, 300.0f, slide, 2},
                                 {"veil behind the title buttons", titleVeil.x, titleVeil.y, VeiledHero(slide), 3},
                                 {"background beside the status", 30.0f, 620.0f, kDarkBackground, 0},
                                 {"empty track", 900.0f, mid, kDarkTrack, 2},
                                 {"bar: the brand gradient", 70.0f, mid, g_State.BrandColor1, 20},
                                 {"below the track", 512.0f, 740.0f, kDarkBackground, 0},
                             });
    const RgbColor status = installing.Lightest(StatusLineRect());
    EXPECT_LE(ColourDistance(kDarkSecondary, status), 40) << Hex(status);

    KSUiSetState(PageFinished);
    Repaint(window_);
    const D2D1_RECT_F launch = ElementRect(ElemLaunch);
    const RgbColor last = kHeroColours[g_State.SlideIndex];
    ExpectPixels(Snapshot(window_),
                 {
                     {"hero picture as it is", 300.0f, 300.0f, last, 2},
                     {"no bottom veil without a bottom row", 512.0f, 740.0f, last, 2},
                     {"veil behind the title buttons", titleVeil.x, titleVeil.y, VeiledHero(last), 3},
                     {"launch button: the brand gradient", launch.left + 6.0f, (launch.top + launch.bottom) * 0.5f,
                      g_State.BrandColor1, 14},
                 });
}

TEST_F(DarkModeTest, CustomPanelAndItsEditBoxAreDark) {
    AppThemeGuard::Set(0);
    AttachWithPictures([] { KSUiSetDir(L"C:\\Program Files\\Kesto Notes"); });
    TogglePanel();
    const float b = g_State.ContentBoost;
    ExpectPixels(Snapshot(window_), {
                                        {"panel band", 30.0f, kCanvasBaseHeight + 3.0f, kDarkBackground, 0},
                                        {"folder field", 60.0f + 90.0f * b + 5.0f, DirRowTop() + 15.0f * b, kDarkField, 0},
                                        {"cleared option box", ElementCentre(ElemOptAutoStart).x,
                                         ElementCentre(ElemOptAutoStart).y, kDarkBoxFill, 2},
                                    });
    HDC dc = CreateCompatibleDC(nullptr);
    const HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageW(
        window_, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(g_State.DirEdit)));
    LOGBRUSH logBrush = {};
    ASSERT_TRUE(brush && GetObjectW(brush, sizeof logBrush, &logBrush));
    EXPECT_EQ(Hex(kDarkField), Hex(RgbFromColorRef(logBrush.lbColor)));
    EXPECT_EQ(Hex(kDarkText), Hex(RgbFromColorRef(GetTextColor(dc))));
    DeleteDC(dc);
}

TEST_F(DarkModeTest, AThemeChangeSwitchesLiveAndLightComesBackPixelForPixel) {
    AppThemeGuard::Set(1);
    AttachWithPictures();
    ASSERT_FALSE(g_State.DarkMode);
    const Snapshot light(window_);
    const float bandY = BottomRowTop() - 5.0f;
    ASSERT_PRED3(Near, kHeroColours[0], light.Design(512.0f, bandY), 2) << "no veil in the light palette";

    AppThemeGuard::Set(0);
    AnnounceThemeChange(window_);
    Pump(150);
    ASSERT_TRUE(g_State.DarkMode);
    const Snapshot dark(window_);
    EXPECT_PRED3(Near, VeiledHero(kHeroColours[0]), dark.Design(512.0f, bandY), 3) << Hex(dark.Design(512.0f, bandY));

    AppThemeGuard::Set(1);
    AnnounceThemeChange(window_);
    Pump(150);
    EXPECT_FALSE(g_State.DarkMode);
    EXPECT_TRUE(Snapshot(window_).SameAs(light)) << "the light palette's pixels are the same as before";
}

TEST_F(DarkModeTest, TheHostsChoiceWinsOverTheThemeAndHighContrastOverBoth) {
    AttachWithPictures();
    const struct {
        const char *What;
        DWORD AppsUseLightTheme;
        int Mode;
        int HighContrast;
        bool Dark;
    } kCases[] = {
        {"light theme, system's choice", 1, KSUI_COLORS_OF_SYSTEM, 0, false},
        {"dark theme, system's choice", 0, KSUI_COLORS_OF_SYSTEM, 0, true},
        {"dark theme, host forces light", 0, KSUI_COLORS_LIGHT, 0, false},
        {"light theme, host forces dark", 1, KSUI_COLORS_DARK, 0, true},
        {"host forces dark under high contrast", 1, KSUI_COLORS_DARK, 1, false},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.What);
        AppThemeGuard::Set(c.AppsUseLightTheme);
        TestSeams::HighContrast = c.HighContrast;
        ASSERT_EQ(1, KSUiSetColorMode(c.Mode));
        EXPECT_EQ(c.Dark, g_State.DarkMode && !g_State.HighContrast);
        const RgbColor background = c.HighContrast   ? RgbFromColorRef(GetSysColor(COLOR_WINDOW))
                                    : c.Dark         ? kDarkBackground
                                                     : kColorWhite;
        EXPECT_EQ(Hex(background), Hex(g_State.Colors.Background));
        // What a front end's own windows are told to paint in.
        EXPECT_EQ(Hex(background), Hex(static_cast<RgbColor>(KSUiGetColor(KSUI_COLOR_BACKGROUND))));
        EXPECT_EQ(Hex(g_State.Colors.Text), Hex(static_cast<RgbColor>(KSUiGetColor(KSUI_COLOR_TEXT))));
    }
    TestSeams::HighContrast = -1;
    KSUiSetColorMode(KSUI_COLORS_OF_SYSTEM);
}

// --- The exports' answers to bad input ---

TEST(AppearanceExports, BadInputIsRefusedAndChangesNothing) {
    TestHost::ResetEngine();
    ASSERT_EQ(1, KSUiSetColorMode(KSUI_COLORS_DARK));
    for (const int mode : {-1, 3, 4096, INT_MAX, INT_MIN}) {
        EXPECT_EQ(0, KSUiSetColorMode(mode)) << mode;
        EXPECT_EQ(ColorModeDark, g_State.ColorMode) << mode;
    }
    wchar_t error[160] = {};
    KSUiLastError(error, 160);
    EXPECT_NE(nullptr, wcsstr(error, L"KSUiSetColorMode"));
    for (const int part : {-1, 5, INT_MAX, INT_MIN})
        EXPECT_EQ(-1, KSUiGetColor(part)) << part;
    EXPECT_EQ(static_cast<int>(kDarkBackground), KSUiGetColor(KSUI_COLOR_BACKGROUND)) << "before attach too";

    ASSERT_EQ(1, KSUiSetProductName(L"Kesto Notes"));
    const std::wstring longest(256, L'名');
    const std::wstring tooLong = longest + L"x";
    const std::wstring huge(1 << 20, L'x');
    const struct {
        const wchar_t *Name;
        int Result;
        const wchar_t *Stored;
    } kCases[] = {
        {huge.c_str(), 0, L"Kesto Notes"},
        {tooLong.c_str(), 0, L"Kesto Notes"},
        {L"Kesto\nNotes", 0, L"Kesto Notes"},
        {longest.c_str(), 1, longest.c_str()},
        {nullptr, 1, L""},
        {L"晴空笔记", 1, L"晴空笔记"},
        {L"", 1, L""},
    };
    for (const auto &c : kCases) {
        EXPECT_EQ(c.Result, KSUiSetProductName(c.Name));
        EXPECT_EQ(std::wstring(c.Stored), g_State.ProductName);
    }
    TestHost::ResetEngine();
}

} // namespace

// The user's system settings: high contrast paints every page in the system's
// colours, reduced motion puts every animation at its target after one step,
// and the taskbar button mirrors the progress bar.
#include "tests/paint_support.h"

#include "render/palette.h"
#include "geometry/layout.h"
#include "window/taskbar.h"

#include <shobjidl.h>

using namespace TestHost;
using namespace PaintSupport;

namespace {

const RgbColor kHeroColours[5] = {0x20A040, 0xC03020, 0xD0A000, 0x8040C0, 0x00A0B0};

// A high-contrast scheme whose colours are all told apart from one another.
const struct {
    int Index;
    RgbColor Colour;
} kScheme[] = {
    {COLOR_WINDOW, 0x000000},    {COLOR_WINDOWTEXT, 0xFFFFFF}, {COLOR_HIGHLIGHT, 0x1AEBFF},
    {COLOR_HIGHLIGHTTEXT, 0xC00000}, {COLOR_HOTLIGHT, 0xFFFF00},  {COLOR_GRAYTEXT, 0x3FF23F},
};
constexpr RgbColor kWindow = 0x000000, kWindowText = 0xFFFFFF, kHighlight = 0x1AEBFF, kHighlightText = 0xC00000,
                   kHotLight = 0xFFFF00, kGrayText = 0x3FF23F;

// Puts the system colours of the scheme in place and back, even when a test fails.
class SystemColoursGuard {
  public:
    SystemColoursGuard() {
        for (const auto &entry : kScheme)
            saved_.push_back(GetSysColor(entry.Index));
    }
    ~SystemColoursGuard() {
        std::vector<int> indices;
        for (const auto &entry : kScheme)
            indices.push_back(entry.Index);
        SetSysColors(static_cast<int>(indices.size()), indices.data(), saved_.data());
        TestSeams::HighContrast = -1;
    }
    // Turns high contrast on with the scheme; SetSysColors tells every window (WM_SYSCOLORCHANGE).
    bool TurnOn() {
        TestSeams::HighContrast = 1;
        std::vector<int> indices;
        std::vector<COLORREF> colours;
        for (const auto &entry : kScheme) {
            indices.push_back(entry.Index);
            colours.push_back(ColorRefFrom(entry.Colour));
        }
        return SetSysColors(static_cast<int>(indices.size()), indices.data(), colours.data()) != FALSE;
    }

  private:
    std::vector<COLORREF> saved_;
};

// Sets client-area animation and puts it back afterwards; the system announces
// the change to every window (SPIF_SENDCHANGE), as the control panel does.
class AnimationSettingGuard {
  public:
    AnimationSettingGuard() { SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &saved_, 0); }
    ~AnimationSettingGuard() { Set(saved_); }
    // Wine announces a change only when it is also stored (SPIF_UPDATEINIFILE).
    static bool Set(BOOL animate) {
        return SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void *>(INT_PTR(animate)),
                                     SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) != FALSE;
    }

  private:
    BOOL saved_ = TRUE;
};

int CountNear(const Snapshot &shot, const D2D1_RECT_F &r, RgbColor colour, int tolerance) {
    const float scale = g_State.WindowScale;
    int n = 0;
    for (int y = static_cast<int>(r.top * scale); y < static_cast<int>(r.bottom * scale); ++y)
        for (int x = static_cast<int>(r.left * scale); x < static_cast<int>(r.right * scale); ++x)
            n += Near(shot.At(x, y), colour, tolerance);
    return n;
}

// A rectangle of fractions of an element's rectangle.
D2D1_RECT_F Part(int id, float left, float top, float right, float bottom) {
    const D2D1_RECT_F r = ElementRect(id);
    const float w = r.right - r.left, h = r.bottom - r.top;
    return D2D1::RectF(r.left + w * left, r.top + h * top, r.left + w * right, r.top + h * bottom);
}

// The progress track's row, as the installing page lays it out.
D2D1_RECT_F TrackRow() {
    const float y0 = 610.0f + 26.0f * g_State.ContentBoost + 12.0f;
    return D2D1::RectF(60.0f, y0, 964.0f, y0 + 10.0f * g_State.ContentBoost);
}

// Fill: every pixel of the area has the colour. Ink: some pixels of the area
// come near it (text and thin outlines blend into what lies behind them; the
// scheme's colours are further apart than that).
enum ProbeKind { Fill, Ink };
constexpr int kInkTolerance = 90;
struct Probe {
    const char *What;
    D2D1_RECT_F Area;
    RgbColor Colour;
    ProbeKind Kind;
};

void ExpectProbes(HWND window, const std::vector<Probe> &probes) {
    const Snapshot shot(window);
    for (const Probe &p : probes) {
        const float scale = g_State.WindowScale;
        const int w = static_cast<int>(p.Area.right * scale) - static_cast<int>(p.Area.left * scale);
        const int h = static_cast<int>(p.Area.bottom * scale) - static_cast<int>(p.Area.top * scale);
        const int n = CountNear(shot, p.Area, p.Colour, p.Kind == Fill ? 3 : kInkTolerance);
        const RgbColor centre = shot.Design((p.Area.left + p.Area.right) * 0.5f, (p.Area.top + p.Area.bottom) * 0.5f);
        if (p.Kind == Fill)
            EXPECT_EQ(w * h, n) << p.What << ": centre " << Hex(centre) << ", expected " << Hex(p.Colour);
        else
            EXPECT_GE(n, 3) << p.What << ": no pixel of " << Hex(p.Colour);
    }
}

// --- High contrast ---

class HighContrastTest : public PaintTest {
  protected:
    void AttachWithPictures(const std::function<void()> &before = nullptr) {
        AttachWithSolidPictures(L"contrast", kHeroColours, before);
    }
    void SwitchOn() {
        ASSERT_TRUE(colours_.TurnOn());
        Pump(100);
        ASSERT_TRUE(g_State.HighContrast);
        Repaint(window_);
    }
    SystemColoursGuard colours_;
};

// The hero under high contrast: the picture, whole, in its own area on the
// window colour. The 4:3 test pictures leave the wide area's sides free.
std::vector<Probe> HeroProbes(RgbColor picture) {
    const D2D1_RECT_F area = HighContrastHeroRect();
    const float cx = (area.left + area.right) * 0.5f, cy = (area.top + area.bottom) * 0.5f;
    return {
        {"picture in its area", D2D1::RectF(cx - 20.0f, cy - 20.0f, cx + 20.0f, cy + 20.0f), picture, Fill},
        {"window colour beside the picture", D2D1::RectF(area.left + 4.0f, cy - 20.0f, area.left + 40.0f, cy + 20.0f),
         kWindow, Fill},
        {"window colour left of the area", D2D1::RectF(4.0f, cy - 20.0f, area.left - 4.0f, cy + 20.0f), kWindow, Fill},
        {"window colour below the area", D2D1::RectF(cx - 20.0f, area.bottom + 2.0f, cx + 20.0f, area.bottom + 6.0f),
         kWindow, Fill},
    };
}

std::vector<Probe> With(std::vector<Probe> probes, const std::vector<Probe> &more) {
    probes.insert(probes.end(), more.begin(), more.end());
    return probes;
}

TEST_F(HighContrastTest, WelcomePagePaintsInSystemColoursAndSwitchesBackLive) {
    AttachWithPictures();
    ASSERT_PRED3(Near, kHeroColours[0], Snapshot(window_).Design(300.0f, 300.0f), 2);
    SwitchOn();
    SaveForPeople(window_, L"settings_high_contrast_welcome.png");
    ExpectProbes(window_, With(HeroProbes(kHeroColours[0]), {
                              {"install button face", Part(ElemInstall, 0.05f, 0.3f, 0.15f, 0.7f), kHighlight, Fill},
                              {"install caption", ElementRect(ElemInstall), kHighlightText, Ink},
                              {"ticked agreement box", Part(ElemAgree, 0.4f, 0.1f, 0.6f, 0.25f), kHighlight, Fill},
                              {"agreement caption",
                               D2D1::RectF(ElementRect(ElemAgree).right, ElementRect(ElemAgree).top - 4.0f,
                                           ElementRect(ElemLicenseLink).left, ElementRect(ElemAgree).bottom + 4.0f),
                               kWindowText, Ink},
                              {"licence link", ElementRect(ElemLicenseLink), kHotLight, Ink},
                              {"custom-install toggle", ElementRect(ElemCustomToggle), kWindowText, Ink},
                              {"close icon", ElementRect(ElemClose), kWindowText, Ink},
                          }));

    // Cleared agreement: the install button is drawn in the disabled colour.
    Click(window_, ElementCentre(ElemAgree).x, ElementCentre(ElemAgree).y);
    ASSERT_EQ(0, KSUiGetOption(OptionAgree));
    // Off the box again, so that its outline is the one at rest.
    SendMouse(window_, WM_MOUSEMOVE, 300.0f, 300.0f);
    Pump(400);
    Repaint(window_);
    ExpectProbes(window_, {
                              {"disabled face", Part(ElemInstall, 0.05f, 0.3f, 0.15f, 0.7f), kWindow, Fill},
                              {"disabled outline and caption", ElementRect(ElemInstall), kGrayText, Ink},
                              {"cleared agreement box", Part(ElemAgree, 0.3f, 0.3f, 0.7f, 0.7f), kWindow, Fill},
                              {"cleared box outline", ElementRect(ElemAgree), kWindowText, Ink},
                          });

    // Off again: the picture and the design's colours come back at once.
    TestSeams::HighContrast = 0;
    SendMessageW(window_, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    Repaint(window_);
    EXPECT_FALSE(g_State.HighContrast);
    const Snapshot off(window_);
    EXPECT_PRED3(Near, kHeroColours[0], off.Design(300.0f, 300.0f), 2) << Hex(off.Design(300.0f, 300.0f));
    const D2D1_POINT_2F install = ElementCentre(ElemInstall);
    EXPECT_PRED3(Near, kColorInstallDisabled, off.Design(ElementRect(ElemInstall).left + 6.0f, install.y), 2);
}

TEST_F(HighContrastTest, CustomPanelPaintsInSystemColours) {
    AttachWithPictures([] { g_State.CustomPanelOpen = true; });
    SwitchOn();
    const D2D1_RECT_F dirRow = D2D1::RectF(60.0f, DirRowTop(), ElementRect(ElemChangeDir).left - 20.0f,
                                           DirRowTop() + 30.0f * g_State.ContentBoost);
    ExpectProbes(window_, {
                              {"change button face", Part(ElemChangeDir, 0.08f, 0.35f, 0.2f, 0.65f), kHighlight, Fill},
                              {"change caption", ElementRect(ElemChangeDir), kHighlightText, Ink},
                              {"ticked option", Part(ElemOptDesktop, 0.4f, 0.1f, 0.6f, 0.25f), kHighlight, Fill},
                              {"cleared option", Part(ElemOptAutoStart, 0.3f, 0.3f, 0.7f, 0.7f), kWindow, Fill},
                              {"cleared option outline", ElementRect(ElemOptAutoStart), kWindowText, Ink},
                              {"folder label and field outline", dirRow, kWindowText, Ink},
                          });
}

TEST_F(HighContrastTest, InstallingAndFinishedPagesPaintInSystemColours) {
    AttachWithPictures();
    SwitchOn();
    FreezeClock();
    KSUiSetState(PageInstalling);
    KSUiSetStatus(L"正在复制文件");
    KSUiSetProgress(500);
    // Past the first cross-fade: one picture shows whole.
    Advance(3500);
    ASSERT_FLOAT_EQ(500.0f, g_State.ProgressShown);
    ASSERT_EQ(-1, g_State.NextSlide);
    Repaint(window_);
    const D2D1_RECT_F track = TrackRow();
    const float mid = (track.top + track.bottom) * 0.5f;
    ExpectProbes(window_, With(HeroProbes(kHeroColours[g_State.SlideIndex]), {
                              {"status line", D2D1::RectF(60.0f, 610.0f, 400.0f, track.top - 12.0f), kWindowText, Ink},
                              {"percentage", D2D1::RectF(800.0f, 610.0f, 964.0f, track.top - 12.0f), kWindowText, Ink},
                              {"bar", D2D1::RectF(200.0f, mid - 1.0f, 400.0f, mid + 1.0f), kHighlight, Fill},
                              {"empty track", D2D1::RectF(700.0f, mid - 1.0f, 900.0f, mid + 1.0f), kWindow, Fill},
                              {"track outline", D2D1::RectF(700.0f, track.top - 2.0f, 900.0f, track.top + 2.0f),
                               kWindowText, Ink},
                          }));
    SaveForPeople(window_, L"settings_high_contrast_installing.png");

    KSUiSetState(PageFinished);
    Repaint(window_);
    ExpectProbes(window_, With(HeroProbes(kHeroColours[g_State.SlideIndex]), {
                              {"launch button face", Part(ElemLaunch, 0.05f, 0.3f, 0.15f, 0.7f), kHighlight, Fill},
                              {"launch caption", ElementRect(ElemLaunch), kHighlightText, Ink},
                          }));
}

// Without pictures the gradient goes and the product's name takes the
// picture's place: the host's name, else the window's title, else nothing.
TEST_F(HighContrastTest, AMissingPictureShowsTheProductsName) {
    Attach();
    SetWindowTextW(window_, L"Kesto Notes");
    SwitchOn();
    const D2D1_RECT_F area = HighContrastHeroRect();
    const float cy = (area.top + area.bottom) * 0.5f;
    const D2D1_RECT_F nameRow = D2D1::RectF(area.left, cy - 20.0f, area.right, cy + 20.0f);
    const std::vector<Probe> noGradient = {
        {"window colour at the area's corner", D2D1::RectF(area.left, area.top, area.left + 40.0f, area.top + 40.0f),
         kWindow, Fill},
        {"window colour above the area", D2D1::RectF(100.0f, 10.0f, 300.0f, area.top - 2.0f), kWindow, Fill},
    };
    SaveForPeople(window_, L"settings_high_contrast_named.png");
    ExpectProbes(window_, With(noGradient, {{"the window's title", nameRow, kWindowText, Ink}}));

    // No title and no name: the area is empty.
    SetWindowTextW(window_, L"");
    Repaint(window_);
    ExpectProbes(window_, With(noGradient, {{"nothing named", nameRow, kWindow, Fill}}));

    // The host's name needs no title.
    ASSERT_EQ(1, KSUiSetProductName(L"晴空笔记"));
    Repaint(window_);
    ExpectProbes(window_, With(noGradient, {{"the host's name", nameRow, kWindowText, Ink}}));
}

TEST_F(HighContrastTest, DirectoryEditBoxTakesTheSameColoursAsItsField) {
    AttachWithPictures();
    HDC dc = CreateCompatibleDC(nullptr);
    const struct {
        bool Contrast;
        RgbColor Background, Text;
    } cases[] = {{false, kColorDirBox, kColorText}, {true, kWindow, kWindowText}, {false, kColorDirBox, kColorText}};
    for (const auto &c : cases) {
        if (c.Contrast) {
            SwitchOn();
        } else {
            TestSeams::HighContrast = 0;
            SendMessageW(window_, WM_SYSCOLORCHANGE, 0, 0);
        }
        const HBRUSH brush = reinterpret_cast<HBRUSH>(
            SendMessageW(window_, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(g_State.DirEdit)));
        LOGBRUSH logBrush = {};
        ASSERT_TRUE(brush && GetObjectW(brush, sizeof logBrush, &logBrush)) << c.Contrast;
        EXPECT_EQ(Hex(c.Background), Hex(RgbFromColorRef(logBrush.lbColor))) << c.Contrast;
        EXPECT_EQ(Hex(c.Background), Hex(RgbFromColorRef(GetBkColor(dc)))) << c.Contrast;
        EXPECT_EQ(Hex(c.Text), Hex(RgbFromColorRef(GetTextColor(dc)))) << c.Contrast;
    }
    DeleteDC(dc);
}

TEST(HighContrastWineTest, WineReportsTheSettingOffAndTheEngineFollowsIt) {
    // Wine 8 keeps no high-contrast setting: reading it gives "off", setting it fails.
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof contrast;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0));
    EXPECT_EQ(0u, contrast.dwFlags & HCF_HIGHCONTRASTON);
    TestHost::ResetEngine();
    g_State.Module = GetModuleHandleW(nullptr);
    HWND window = CreateHostWindow();
    ASSERT_EQ(1, KSUiAttach(window, RecordAction));
    EXPECT_FALSE(g_State.HighContrast);
    EXPECT_EQ(Hex(kColorText), Hex(g_State.Colors.Text));
    EXPECT_EQ(Hex(g_State.BrandColor1), Hex(g_State.Colors.Link));
    KSUiDetach();
    DestroyWindow(window);
    TestHost::ResetEngine();
}

// --- Reduced motion ---

class ReducedMotionTest : public PaintTest, public ::testing::WithParamInterface<bool> {
  protected:
    AnimationSettingGuard animation_;
};

// Under both settings: one step after each target change, where do the bar, the
// hover and the slide stand? The carousel keeps the same timing either way.
TEST_P(ReducedMotionTest, OneStepAfterATargetChangeEverythingStandsAtTheTarget) {
    const bool reduced = GetParam();
    const std::wstring folder = FreshFolder(L"motion");
    for (int n = 1; n <= 5; ++n)
        ASSERT_TRUE(WritePicture(HeroPath(folder, n), GUID_ContainerFormatPng, 64, 48, Solid(kHeroColours[n - 1])));
    Attach([folder] { KSUiSetHeroDir(folder.c_str()); });
    ASSERT_FALSE(g_State.ReducedMotion);
    // The live switch: the system's announcement reaches the attached window.
    ASSERT_TRUE(AnimationSettingGuard::Set(reduced ? FALSE : TRUE));
    Pump(50);
    ASSERT_EQ(reduced, g_State.ReducedMotion);

    FreezeClock();
    Advance(33); // the first step on the frozen clock makes up for the real time before it
    // Hover: the mouse rests on the install button for one step.
    SendMouse(window_, WM_MOUSEMOVE, ElementCentre(ElemInstall).x, ElementCentre(ElemInstall).y);
    Advance(33);
    if (reduced)
        EXPECT_NEAR(1.0f, g_State.HoverLevel[ElemInstall], 1e-6f);
    else
        EXPECT_LT(g_State.HoverLevel[ElemInstall], 0.5f);
    SendMouse(window_, WM_MOUSEMOVE, 300.0f, 300.0f);

    // The bar: a new target, then one step.
    KSUiSetState(PageInstalling);
    KSUiSetProgress(600);
    ASSERT_LT(g_State.ProgressShown, 600.0f);
    Advance(33);
    if (reduced)
        EXPECT_EQ(600.0f, g_State.ProgressShown);
    else
        EXPECT_LT(g_State.ProgressShown, 200.0f);
    Repaint(window_);
    const D2D1_RECT_F track = TrackRow();
    const RgbColor nearEnd = Snapshot(window_).Design(590.0f, (track.top + track.bottom) * 0.5f);
    EXPECT_EQ(reduced, !Near(nearEnd, kColorTrack, 3)) << Hex(nearEnd);

    // The slide: held for its time (timed from the page change, one step ago),
    // then the next one starts on the same step under both settings; with
    // reduced motion it shows whole at once.
    Advance(2800 - 33);
    ASSERT_EQ(-1, g_State.NextSlide);
    Advance(33);
    ASSERT_EQ(2, g_State.NextSlide);
    Advance(33);
    Repaint(window_);
    const RgbColor hero = Snapshot(window_).Design(300.0f, 300.0f);
    EXPECT_PRED3(Near, reduced ? kHeroColours[2] : kHeroColours[1], hero, 12) << Hex(hero);
    // The fade's own timing is unchanged: the slide becomes current on the 19th step.
    Advance(33 * 17);
    EXPECT_EQ(1, g_State.SlideIndex);
    Advance(33);
    EXPECT_EQ(2, g_State.SlideIndex);
    EXPECT_EQ(-1, g_State.NextSlide);
}

INSTANTIATE_TEST_SUITE_P(AnimationOnAndOff, ReducedMotionTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? std::string("Reduced") : std::string("Animated");
                         });

// --- Taskbar progress ---

// A taskbar object that records the calls the engine makes on it.
struct TaskbarCall {
    HWND Window;
    TBPFLAG State; // TBPF_NORMAL with a value, or the state set
    ULONGLONG Value, Total;
    bool IsValue;
};

class RecordingTaskbar final : public ITaskbarList3 {
  public:
    std::vector<TaskbarCall> Calls;
    LONG References = 1;
    int Inits = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++References); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--References); }
    HRESULT STDMETHODCALLTYPE HrInit() override {
        ++Inits;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND window, ULONGLONG done, ULONGLONG total) override {
        Calls.push_back({window, TBPF_NORMAL, done, total, true});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND window, TBPFLAG state) override {
        Calls.push_back({window, state, 0, 0, false});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT *) override { return S_OK; }
};

std::vector<RecordingTaskbar *> g_Taskbars;
HRESULT g_TaskbarResult = S_OK;

HRESULT MakeRecordingTaskbar(ITaskbarList3 **out) {
    *out = nullptr;
    if (FAILED(g_TaskbarResult))
        return g_TaskbarResult;
    g_Taskbars.push_back(new RecordingTaskbar);
    *out = g_Taskbars.back();
    return S_OK;
}

std::string Describe(const std::vector<TaskbarCall> &calls) {
    std::string text;
    for (const TaskbarCall &c : calls)
        text += c.IsValue ? "value " + std::to_string(c.Value) + "/" + std::to_string(c.Total) + "; "
                          : "state " + std::to_string(static_cast<int>(c.State)) + "; ";
    return text;
}

class TaskbarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ParkCursor();
        ResetEngine();
        g_State.Module = GetModuleHandleW(nullptr);
        g_TaskbarResult = S_OK;
        TestSeams::TaskbarCreate = MakeRecordingTaskbar;
    }
    void TearDown() override {
        ReleaseClock();
        KSUiDetach();
        if (window_ && IsWindow(window_))
            DestroyWindow(window_);
        Pump(20);
        ResetEngine();
        TestSeams::TaskbarCreate = nullptr;
        for (RecordingTaskbar *t : g_Taskbars)
            delete t;
        g_Taskbars.clear();
    }
    void Attach(bool visible) {
        window_ = CreateHostWindow(visible);
        ASSERT_TRUE(window_);
        ASSERT_EQ(1, KSUiAttach(window_, RecordAction));
        Pump(100);
    }
    // Sends what the shell sends once it has made the window's button.
    void ButtonCreated() {
        SendMessageW(window_, RegisterWindowMessageW(L"TaskbarButtonCreated"), 0, 0);
    }
    HWND window_ = nullptr;
};

TEST_F(TaskbarTest, InstallingPageMirrorsTheBarOtherPagesAndDetachShowNone) {
    Attach(true);
    ASSERT_EQ(1u, g_Taskbars.size()) << "a visible window's button exists: connect at attach";
    RecordingTaskbar &taskbar = *g_Taskbars[0];
    EXPECT_EQ(1, taskbar.Inits);
    ASSERT_FALSE(taskbar.Calls.empty());
    EXPECT_EQ(TBPF_NOPROGRESS, taskbar.Calls.back().State) << Describe(taskbar.Calls);
    for (const TaskbarCall &c : taskbar.Calls)
        EXPECT_EQ(window_, c.Window);

    FreezeClock();
    KSUiSetState(PageInstalling);
    KSUiSetProgress(400);
    Advance(3000);
    Pump(100); // the frame timer passes the settled value on
    ASSERT_FLOAT_EQ(400.0f, g_State.ProgressShown);
    const TaskbarCall &last = taskbar.Calls.back();
    EXPECT_TRUE(last.IsValue) << Describe(taskbar.Calls);
    EXPECT_EQ(400u, last.Value);
    EXPECT_EQ(1000u, last.Total);
    bool normal = false;
    for (const TaskbarCall &c : taskbar.Calls)
        normal = normal || (!c.IsValue && c.State == TBPF_NORMAL);
    EXPECT_TRUE(normal) << Describe(taskbar.Calls);

    // Nothing changed, nothing is sent again.
    const size_t settled = taskbar.Calls.size();
    Pump(150);
    EXPECT_EQ(settled, taskbar.Calls.size()) << Describe(taskbar.Calls);

    KSUiSetState(PageFinished);
    Pump(50);
    EXPECT_EQ(TBPF_NOPROGRESS, taskbar.Calls.back().State) << Describe(taskbar.Calls);

    // Detach in the middle of an install: the button is cleared and the object let go.
    KSUiSetState(PageInstalling);
    Pump(50);
    ASSERT_TRUE(taskbar.Calls.back().IsValue) << Describe(taskbar.Calls);
    KSUiDetach();
    EXPECT_FALSE(taskbar.Calls.back().IsValue);
    EXPECT_EQ(TBPF_NOPROGRESS, taskbar.Calls.back().State) << Describe(taskbar.Calls);
    EXPECT_EQ(0, taskbar.References);
}

TEST_F(TaskbarTest, HiddenWindowConnectsWhenTheShellAnnouncesItsButton) {
    Attach(false);
    EXPECT_TRUE(g_Taskbars.empty());
    KSUiSetState(PageInstalling);
    KSUiSetProgress(1000);
    ButtonCreated();
    ASSERT_EQ(1u, g_Taskbars.size());
    EXPECT_TRUE(g_Taskbars[0]->Calls.back().IsValue) << Describe(g_Taskbars[0]->Calls);

    // The shell restarted: a new object, told the state again; the old one is let go.
    ButtonCreated();
    ASSERT_EQ(2u, g_Taskbars.size());
    EXPECT_EQ(0, g_Taskbars[0]->References);
    EXPECT_EQ(1, g_Taskbars[1]->Inits);
    EXPECT_TRUE(g_Taskbars[1]->Calls.back().IsValue) << Describe(g_Taskbars[1]->Calls);

    // A window destroyed without a detach lets the object go as well.
    DestroyWindow(window_);
    window_ = nullptr;
    EXPECT_EQ(0, g_Taskbars[1]->References);
}

TEST_F(TaskbarTest, WithoutATaskbarObjectEverythingElseWorksTheSame) {
    g_TaskbarResult = REGDB_E_CLASSNOTREG;
    Attach(true);
    ButtonCreated();
    wchar_t error[160] = {};
    KSUiLastError(error, 160);
    EXPECT_STREQ(L"", error);
    KSUiSetState(PageInstalling);
    KSUiSetProgress(700);
    Pump(100);
    EXPECT_EQ(nullptr, g_State.Taskbar);
    EXPECT_EQ(PageInstalling, g_State.CurrentPage);
    EXPECT_EQ(700, g_State.ProgressTarget);
    KSUiDetach();
    EXPECT_EQ(nullptr, g_State.HostWindow);
}

TEST_F(TaskbarTest, TheSystemTaskbarObjectTakesTheCalls) {
    // Wine's own object: nothing shows, but the engine must get through its calls.
    TestSeams::TaskbarCreate = nullptr;
    Attach(true);
    EXPECT_NE(nullptr, g_State.Taskbar);
    KSUiSetState(PageInstalling);
    KSUiSetProgress(300);
    Pump(200);
    KSUiDetach();
    EXPECT_EQ(nullptr, g_State.Taskbar);
}

} // namespace

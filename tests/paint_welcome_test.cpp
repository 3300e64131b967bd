// The frame and the welcome page, read back from the screen after real paints.
#include "tests/paint_support.h"

#include "render/animation.h"
#include "render/frame_schedule.h"
#include "render/resources.h"
#include "geometry/layout.h"

using namespace TestHost;
using namespace PaintSupport;

namespace {

constexpr RgbColor kBrand1 = 0x2E78F6;
constexpr RgbColor kBrand2 = 0x7A5AF8;

// --- Colour mixing ---

TEST(MixColorTest, MixesEachChannelTowardsTheStartColour) {
    const struct {
        RgbColor From, To;
        float T;
        RgbColor Expected;
    } cases[] = {
        {0xC2C7D1, 0x2E78F6, 0.5f, 0x78A0E3},   {0x3A3F47, 0xFFFFFF, 0.5f, 0x9C9FA3},
        {0x3A3F47, 0xFFFFFF, 0.999f, 0xFEFEFE}, {0x3A3F47, 0xFFFFFF, 0.005f, 0x3A3F47},
        {0x3A3F47, 0xFFFFFF, 0.0f, 0x3A3F47},   {0x3A3F47, 0xFFFFFF, -3.0f, 0x3A3F47},
        {0x3A3F47, 0xFFFFFF, 1.0f, 0xFFFFFF},   {0x3A3F47, 0xFFFFFF, 7.5f, 0xFFFFFF},
        {0xFFFFFF, 0x000000, 0.5f, 0x808080},   {0x8A8F99, 0x2E78F6, 0.25f, 0x738AB0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Hex(c.Expected), Hex(MixColor(c.From, c.To, c.T))) << Hex(c.From) << " to " << Hex(c.To) << " at "
                                                                       << c.T;
}

TEST(ColorFTest, TopByteOfAnRgbColourIsIgnored) {
    const D2D1_COLOR_F plain = ColorF(0x2E78F6, 0.25f);
    const D2D1_COLOR_F top = ColorF(0xFF2E78F6, 0.25f);
    EXPECT_FLOAT_EQ(46.0f / 255.0f, plain.r);
    EXPECT_FLOAT_EQ(120.0f / 255.0f, plain.g);
    EXPECT_FLOAT_EQ(246.0f / 255.0f, plain.b);
    EXPECT_FLOAT_EQ(0.25f, plain.a);
    EXPECT_EQ(plain.r, top.r);
    EXPECT_EQ(plain.g, top.g);
    EXPECT_EQ(plain.b, top.b);
}

// --- The welcome page on screen ---

class WelcomePaintTest : public PaintTest {
  protected:
    void SetUp() override {
        PaintTest::SetUp();
        Attach();
    }
};

// With the custom panel opened by a click after the first paint.
class PanelPaintTest : public PaintTest {
  protected:
    void SetUp() override {
        PaintTest::SetUp();
        Attach([] { KSUiSetDir(L"C:\\Program Files\\Kesto Notes"); });
        TogglePanel();
        ASSERT_TRUE(g_State.CustomPanelOpen);
    }
};

// --- The whole frame on screen, whatever Wine's surface mode ---

TEST(SurfaceModeTest, RunsInTheSurfaceModeTheTestRunAskedFor) {
    const int expected = ExpectedXComposite();
    const bool loadable = XCompositeLoadable();
    if (expected < 0)
        GTEST_SKIP() << "started by hand; libXcomposite " << (loadable ? "loadable" : "not loadable");
    EXPECT_EQ(expected == 1, loadable);
}

TEST_F(WelcomePaintTest, UnderWineFramesGoThroughADcTarget) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const bool wine = ntdll && GetProcAddress(ntdll, "wine_get_version");
    ASSERT_TRUE(g_State.RenderTarget);
    EXPECT_EQ(wine, g_State.RenderTargetOnDc);
    ExpectPixels(Snapshot(window_), WelcomePageCases());
}

TEST_F(PanelPaintTest, GrownAndShrunkWindowIsPaintedWhole) {
    const float scale = g_State.WindowScale;
    const std::vector<PixelCase> grownCases = WelcomePageCases();
    Snapshot grown(window_);
    EXPECT_EQ(static_cast<int>(scale * CanvasHeight() + 0.5f), grown.Height());
    ExpectPixels(grown, grownCases);
    ExpectFolderBoxShowsItsText(window_, grown);

    TogglePanel();
    ASSERT_FALSE(g_State.CustomPanelOpen);
    Snapshot shrunk(window_);
    EXPECT_EQ(static_cast<int>(scale * kCanvasBaseHeight + 0.5f), shrunk.Height());
    ExpectPixels(shrunk, WelcomePageCases());

    // Open once more: the second growth is drawn as well as the first.
    TogglePanel();
    Snapshot regrown(window_);
    ExpectPixels(regrown, grownCases);
    ExpectFolderBoxShowsItsText(window_, regrown);
    SaveForPeople(window_, L"paint_welcome_regrown.png");
}

TEST_F(WelcomePaintTest, InstallButtonIsGradientOnlyWhileTheAgreementIsTicked) {
    const D2D1_RECT_F r = ElementRect(ElemInstall);
    const float cy = (r.top + r.bottom) * 0.5f;
    Snapshot ticked(window_);
    EXPECT_PRED3(Near, kBrand1, ticked.Design(r.left + 6.0f, cy), 14) << Hex(ticked.Design(r.left + 6.0f, cy));
    EXPECT_PRED3(Near, kBrand2, ticked.Design(r.right - 6.0f, cy), 14) << Hex(ticked.Design(r.right - 6.0f, cy));
    EXPECT_GT(ticked.Ink(r), 0);

    Click(window_, ElementCentre(ElemAgree).x, ElementCentre(ElemAgree).y);
    ASSERT_EQ(0, KSUiGetOption(OptionAgree));
    // Hovering a disabled button changes nothing.
    HoverOver(ElemInstall);
    Snapshot unticked(window_);
    for (float x : {r.left + 6.0f, r.left + 40.0f, r.right - 40.0f, r.right - 6.0f})
        EXPECT_PRED3(Near, kColorInstallDisabled, unticked.Design(x, cy), 2) << x << " " << Hex(unticked.Design(x, cy));
    // The white caption is still drawn on the flat pill.
    const RgbColor caption = unticked.Lightest(D2D1::RectF(r.left + 80.0f, cy - 8.0f, r.right - 80.0f, cy + 8.0f));
    EXPECT_PRED3(Near, 0xFFFFFF, caption, 30) << Hex(caption);
}

TEST_F(PanelPaintTest, CheckBoxesShowBrandFillWhenCheckedAndGreyBorderWhenNot) {
    Click(window_, ElementCentre(ElemOptDesktop).x, ElementCentre(ElemOptDesktop).y); // on -> off
    Click(window_, ElementCentre(ElemOptAutoStart).x, ElementCentre(ElemOptAutoStart).y); // off -> on
    // Away from every box, so no border is shaded by hover, and on screen only
    // once the hover has eased out: a loaded machine paints late.
    ParkCursor();
    SendMouse(window_, WM_MOUSEMOVE, 500.0f, 400.0f);
    for (int i = 0; i < 60 && !AnimationAtRest(); ++i)
        Pump(50);
    Repaint(window_);
    const struct {
        int Element;
        bool Checked;
    } boxes[] = {
        {ElemAgree, true},
        {ElemOptDesktop, false},
        {ElemOptStartMenu, true},
        {ElemOptAutoStart, true},
    };
    Snapshot shot(window_);
    for (const auto &box : boxes) {
        const D2D1_RECT_F r = ElementRect(box.Element);
        const float u = (r.right - r.left) * 0.0625f;
        // Inside the box, clear of the check mark and the rounded corners.
        const RgbColor inside = shot.Design(r.left + 8.0f * u, r.top + 2.5f * u);
        EXPECT_PRED3(Near, box.Checked ? kBrand1 : 0xFFFFFF, inside, 6) << box.Element << " " << Hex(inside);
        if (box.Checked)
            continue;
        // The darkest pixel across the left edge is the grey border.
        const float m = (r.top + r.bottom) * 0.5f;
        const RgbColor border = shot.Darkest(D2D1::RectF(r.left - 3.0f, m, r.left + 3.0f, m));
        EXPECT_PRED3(Near, kColorBoxBorder, border, 16) << box.Element << " " << Hex(border);
    }
}

TEST_F(WelcomePaintTest, CloseButtonShowsRedDiscOnceTheHoverHasEased) {
    const D2D1_POINT_2F c = ElementCentre(ElemClose);
    const float bs = ButtonBoost();
    SendMouse(window_, WM_MOUSEMOVE, 500.0f, 400.0f);
    Pump(600);
    // At rest: no disc, the hero gradient shows around a dark cross.
    Snapshot rest(window_);
    EXPECT_GT(ColourDistance(kColorCloseHover, rest.Design(c.x, c.y + 10.0f * bs)), 60);

    HoverOver(ElemClose);
    ASSERT_EQ(ElemClose, g_State.HoverElement);
    ASSERT_GT(g_State.HoverLevel[ElemClose], 0.99f);
    Snapshot lit(window_);
    EXPECT_PRED3(Near, kColorCloseHover, lit.Design(c.x, c.y + 10.0f * bs), 4) << Hex(lit.Design(c.x, c.y + 10.0f * bs));
    EXPECT_PRED3(Near, kColorCloseHover, lit.Design(c.x - 10.0f * bs, c.y), 4);
    // The cross turns white on the disc.
    const RgbColor cross = lit.Lightest(D2D1::RectF(c.x - 1.5f, c.y - 1.5f, c.x + 1.5f, c.y + 1.5f));
    EXPECT_PRED3(Near, 0xFFFFFF, cross, 24) << Hex(cross);
    // The minimise button stays without a disc.
    const D2D1_POINT_2F m = ElementCentre(ElemMinimize);
    EXPECT_PRED3(Near, rest.Design(m.x, m.y + 10.0f * bs), lit.Design(m.x, m.y + 10.0f * bs), 3);
}

TEST_F(PanelPaintTest, OpenPanelBandIsWhiteWithTheDirectoryField) {
    SendMouse(window_, WM_MOUSEMOVE, 500.0f, 400.0f);
    Pump(200);
    const float b = g_State.ContentBoost;
    const float d = DirRowTop();
    Snapshot shot(window_);
    // The white clear shows below the hero area wherever the panel draws nothing.
    for (const D2D1_POINT_2F p : {D2D1::Point2F(30.0f, 748.0f), D2D1::Point2F(30.0f, 850.0f),
                                  D2D1::Point2F(1000.0f, 820.0f), D2D1::Point2F(500.0f, OptionRowTop() + 40.0f * b)})
        EXPECT_EQ(Hex(0xFFFFFF), Hex(shot.Design(p.x, p.y))) << p.x << "," << p.y;
    // The hero gradient still ends at 745.
    EXPECT_GT(ColourDistance(0xFFFFFF, shot.Design(30.0f, 740.0f)), 40);
    // The directory field, beside and above the edit box inside it.
    const float left = 60.0f + 90.0f * b;
    EXPECT_EQ(Hex(kColorDirBox), Hex(shot.Design(left + 5.0f, d + 15.0f * b)));
    EXPECT_EQ(Hex(kColorDirBox), Hex(shot.Design(500.0f, d + 2.0f)));
    // It ends 16 units before the change button.
    const D2D1_RECT_F change = ElementRect(ElemChangeDir);
    EXPECT_EQ(Hex(0xFFFFFF), Hex(shot.Design(change.left - 8.0f, d + 15.0f * b)));
    // The change button's caption and border are drawn in the brand colour.
    EXPECT_GT(shot.Ink(change), 0);
    SaveForPeople(window_, L"paint_welcome_open.png");
}

// Rows of ink in the last 8 units of the link's text: the tall closing bracket
// of a whole caption, or the three low dots of an ellipsis.
int LinkTailRows(const Snapshot &shot) {
    const D2D1_RECT_F link = ElementRect(ElemLicenseLink);
    const float scale = g_State.WindowScale;
    const int top = static_cast<int>(link.top * scale), bottom = static_cast<int>(link.bottom * scale);
    int last = -1;
    for (int x = static_cast<int>(link.left * scale); x < static_cast<int>((link.right + 20.0f) * scale); ++x)
        for (int y = top; y < bottom; ++y)
            if (shot.At(x, y) != 0xFFFFFF)
                last = x;
    return last < 0 ? 0 : shot.InkRows(D2D1::RectF(last / scale - 8.0f, link.top, (last + 1) / scale, link.bottom));
}

TEST_F(PanelPaintTest, LicenceLinkIsShortenedOnlyWhenItHasNoRoom) {
    // The bottom row lies on the white panel band here.
    EXPECT_GE(LinkTailRows(Snapshot(window_)), 6);

    KSUiSetBranding(L"《用户许可协议、隐私政策、儿童个人信息保护规则与第三方共享清单》", -1, -1);
    Repaint(window_);
    const D2D1_RECT_F link = ElementRect(ElemLicenseLink);
    ASSERT_LT(link.right - link.left, g_State.LicenseTextWidth);
    Snapshot shortened(window_);
    const int tail = LinkTailRows(shortened);
    EXPECT_GT(tail, 0);
    EXPECT_LE(tail, 3);
    // Nothing is drawn past the box into the room kept before the toggle.
    EXPECT_EQ(0, shortened.Ink(D2D1::RectF(link.right + 1.0f, link.top, ElementRect(ElemCustomToggle).left, link.bottom)));
    SaveForPeople(window_, L"paint_welcome_long_link.png");
}

TEST_F(WelcomePaintTest, WholeWindowPictureForPeople) {
    SendMouse(window_, WM_MOUSEMOVE, 500.0f, 400.0f);
    Repaint(window_);
    SaveForPeople(window_, L"paint_welcome_closed.png");
    Snapshot shot(window_);
    EXPECT_EQ(static_cast<int>(g_State.WindowScale * 1024.0f + 0.5f), shot.Width());
}

// --- Brand colours ---

class BrandPaintTest : public PaintTest {};

TEST_F(BrandPaintTest, BrandingSetBeforeAttachShowsInTheGradients) {
    Attach([] { KSUiSetBranding(nullptr, 0xFF0000, 0x0000FF); });
    Snapshot shot(window_);
    // Hero area without pictures: red at the left edge, blue at the right.
    EXPECT_PRED3(Near, 0xFF0000, shot.Design(1.0f, 300.0f), 8) << Hex(shot.Design(1.0f, 300.0f));
    EXPECT_PRED3(Near, 0x0000FF, shot.Design(1022.0f, 300.0f), 8) << Hex(shot.Design(1022.0f, 300.0f));
    // The install button spans both colours across its own width.
    const D2D1_RECT_F r = ElementRect(ElemInstall);
    const float cy = (r.top + r.bottom) * 0.5f;
    EXPECT_PRED3(Near, 0xFF0000, shot.Design(r.left + 6.0f, cy), 14) << Hex(shot.Design(r.left + 6.0f, cy));
    EXPECT_PRED3(Near, 0x0000FF, shot.Design(r.right - 6.0f, cy), 14) << Hex(shot.Design(r.right - 6.0f, cy));
    // The checked box takes colour 1.
    const D2D1_RECT_F agree = ElementRect(ElemAgree);
    EXPECT_PRED3(Near, 0xFF0000, shot.Design(agree.left + (agree.right - agree.left) * 0.5f, agree.top + 2.5f), 6);

    // A change after the first paint reaches the gradient at the next paint.
    KSUiSetBranding(nullptr, 0x00A000, -1);
    Repaint(window_);
    Snapshot changed(window_);
    EXPECT_PRED3(Near, 0x00A000, changed.Design(1.0f, 300.0f), 8) << Hex(changed.Design(1.0f, 300.0f));
    EXPECT_PRED3(Near, 0x0000FF, changed.Design(1022.0f, 300.0f), 8) << Hex(changed.Design(1022.0f, 300.0f));
}

// --- Cost of a frame ---

TEST_F(WelcomePaintTest, FramesCreateNoBrushFormatOrLayout) {
    // The command measures its status once, outside any frame.
    KSUiSetStatus(L"正在安装");
    StartCounting();
    // Every page and look: hover, the open panel, the installing page with a
    // status and a moving bar, the finished page.
    HoverOver(ElemInstall);
    Click(window_, ElementCentre(ElemCustomToggle).x, ElementCentre(ElemCustomToggle).y);
    ASSERT_TRUE(g_State.CustomPanelOpen);
    HoverOver(ElemOptAutoStart);
    KSUiSetState(PageInstalling);
    for (int p = 0; p <= 1000; p += 100) {
        KSUiSetProgress(p);
        Pump(40);
    }
    KSUiSetState(PageFinished);
    HoverOver(ElemLaunch);
    const CreationCounts during = g_Counts;

    // A lost device makes the next frame create the target's brushes again, and only those.
    ReleaseDeviceResources();
    Repaint(window_);
    const CreationCounts recreated = g_Counts;
    StopCounting();

    EXPECT_EQ(0, during.Total());
    EXPECT_EQ(0, during.TextLayouts);
    EXPECT_EQ(1, recreated.SolidBrushes);
    EXPECT_EQ(1, recreated.Gradients);
    EXPECT_EQ(0, recreated.TextFormats + recreated.TextLayouts + recreated.TrimmingSigns);
}

TEST_F(WelcomePaintTest, RebuildingFormatsAfterBrandingMeasuresOutsideTheFrame) {
    StartCounting();
    KSUiSetBranding(L"《一个很长很长的用户许可协议与隐私政策说明》", -1, -1);
    const CreationCounts afterCommand = g_Counts;
    Pump(300);
    const CreationCounts afterFrames = g_Counts;
    StopCounting();
    // Six formats, each with its trimming sign, and the seven captions the
    // layout grows with measured, all in the command.
    EXPECT_EQ(6, afterCommand.TextFormats);
    EXPECT_EQ(6, afterCommand.TrimmingSigns);
    EXPECT_EQ(7, afterCommand.TextLayouts);
    // Colours unchanged: the gradient is kept.
    EXPECT_EQ(0, afterCommand.Gradients);
    EXPECT_EQ(afterCommand.Total(), afterFrames.Total());
}

} // namespace

// Frames are composed from the still layers and the moving parts. Through the
// DC render target they redraw only what changed: the reach of a moving hover
// level or progress bar, the hero area of a cross-fade. Through the window's
// own target they compose the whole client from the layers, blending two of
// them during a fade. Either way, after every frame the window must show what
// a frame drawn whole, in one pass over the client area without layers, shows,
// to the rounding of one step in a channel.
#include "tests/paint_support.h"

#include "render/frame_schedule.h"
#include "geometry/layout.h"

#include <sstream>

using namespace TestHost;
using namespace PaintSupport;

namespace {

// The parameter picks the present path: 1 the DC target, 0 the window's own.
class PartialFrameTest : public PaintTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        PaintTest::SetUp();
        TestSeams::ForcedDcRenderTarget = GetParam();
        // Pictures with detail everywhere, so that a blend or a missed pixel shows.
        const std::wstring folder = FreshFolder(L"partial_frames");
        for (UINT n = 1; n <= 5; ++n)
            ASSERT_TRUE(WritePicture(HeroPath(folder, n), GUID_ContainerFormatPng, 320, 180, [n](UINT x, UINT y) {
                return 0xFF000000u | ((x * 255 / 320) << 16) | (((y * 255 / 180) ^ (n * 50)) << 8) | (n * 45);
            }));
        // Nothing moves unless a step moves it.
        FreezeClock();
        Attach([folder] { KSUiSetHeroDir(folder.c_str()); });
    }
    void TearDown() override {
        TestSeams::OnePassFrames = false;
        TestSeams::ForcedDcRenderTarget = -1;
        PaintTest::TearDown();
    }

    // Paints what changed since the last frame, as the frame timer does.
    void PaintChanges() {
        InvalidateRect(window_, nullptr, FALSE);
        UpdateWindow(window_);
        Pump(80);
    }

    // The window once the screen has shown its last frame: with the clock
    // frozen nothing moves, but the window's own target (through OpenGL) may
    // show a frame a while after it was drawn on a busy machine, so the
    // picture must hold still for a few looks in a row, not just two.
    Snapshot Settled() {
        Snapshot before(window_);
        int still = 0;
        for (int tries = 0; tries < 60 && still < 4; ++tries) {
            Pump(40);
            Snapshot after(window_);
            still = after.SameAs(before) ? still + 1 : 0;
            before = after;
        }
        return before;
    }

    // Compares the window with a frame drawn whole, which then stays on screen.
    void ExpectSameAsWholeFrame(const std::string &step) {
        const Snapshot partial = Settled();
        TestSeams::OnePassFrames = true;
        PaintChanges();
        TestSeams::OnePassFrames = false;
        const Snapshot whole = Settled();
        ASSERT_EQ(whole.Width(), partial.Width()) << step;
        ASSERT_EQ(whole.Height(), partial.Height()) << step;
        int differing = 0;
        std::ostringstream first;
        for (int y = 0; y < whole.Height(); ++y)
            for (int x = 0; x < whole.Width(); ++x) {
                // Within rounding: during a fade the moving parts over the hero come
                // blended from memory, not drawn over the blended pictures.
                if (ColourDistance(whole.At(x, y), partial.At(x, y)) <= 1)
                    continue;
                if (differing++ < 5)
                    first << " (" << x << ", " << y << ") " << Hex(partial.At(x, y)) << " for " << Hex(whole.At(x, y));
            }
        EXPECT_EQ(0, differing) << step << ": pixels that differ from a whole frame, the first:" << first.str();
    }

    void SetHoverLevels(float level) {
        for (int id = ElemMinimize; id <= ElemLaunch; ++id)
            g_State.HoverLevel[id] = level;
    }
    void SetProgress(float tenths) {
        g_State.ProgressTarget = static_cast<int>(tenths);
        g_State.ProgressShown = tenths;
    }
    void SetFade(int next, float fade) {
        g_State.NextSlide = next;
        g_State.SlideFade = fade;
    }
};

TEST_P(PartialFrameTest, EveryRunOfChangesEndsAsAWholeFrameWould) {
    const struct {
        const char *Name;
        std::function<void()> Arrange;
        std::vector<std::function<void()>> Steps;
    } runs[] = {
        {"welcome page, hover levels rising and falling", [] {},
         {[this] { SetHoverLevels(0.35f); }, [this] { SetHoverLevels(1.0f); },
          [] { g_State.HoverLevel[ElemClose] = 0.5f; g_State.HoverLevel[ElemInstall] = 0.2f; },
          [this] { SetHoverLevels(0.0f); }}},
        {"welcome page with the panel open, hover levels", [this] { TogglePanel(); },
         {[this] { SetHoverLevels(0.6f); }, [] { g_State.HoverLevel[ElemOptStartMenu] = 0.1f; },
          [this] { SetHoverLevels(0.0f); }}},
        {"installing page, the bar rising and falling back",
         [] { KSUiSetState(KSUI_PAGE_INSTALLING); KSUiSetStatus(L"正在复制文件：KestoNotes.exe"); },
         {[this] { SetProgress(120.0f); }, [this] { SetProgress(375.5f); }, [this] { SetProgress(996.0f); },
          [this] { SetProgress(40.0f); },
          // The status line is redrawn alone; a long one runs on under the percentage.
          [] { KSUiSetStatus(L"正在复制文件：C:\\Program Files\\KestoNotes\\resources\\app\\node_modules\\"
                              L"@kesto\\editor-core\\dist\\locales\\zh-CN\\help\\getting-started\\index.html"); },
          [] { KSUiSetStatus(L"正在完成安装"); }}},
        {"installing page, a cross-fade with the close button hovered and the bar moving",
         [] { KSUiSetState(KSUI_PAGE_INSTALLING); },
         {[this] { SetFade(2, 0.25f); }, [this] { SetFade(2, 0.5f); g_State.HoverLevel[ElemClose] = 0.7f; },
          [this] { SetFade(2, 0.9f); SetProgress(500.0f); },
          // The fade ends: picture 3 is shown alone.
          [this] { g_State.SlideIndex = 2; SetFade(-1, 0.0f); },
          [this] { SetFade(3, 0.4f); g_State.HoverLevel[ElemClose] = 0.0f; }}},
        // Frames between the comparisons, so that layers kept from one fade
        // serve a later one, and a hover in between must make them stale.
        {"installing page, kept layers through several fades",
         [] { KSUiSetState(KSUI_PAGE_INSTALLING); },
         {[this] {
              SetFade(2, 0.5f);
              PaintChanges();
              g_State.SlideIndex = 2;
              SetFade(-1, 0.0f);
              PaintChanges();
              SetFade(1, 0.5f); // back to picture 2, whose layers were kept
          },
          [this] {
              SetFade(3, 0.5f);
              PaintChanges();
              g_State.SlideIndex = 3;
              SetFade(-1, 0.0f);
              PaintChanges();
              g_State.HoverLevel[ElemClose] = 0.8f;
              PaintChanges();
              SetFade(2, 0.5f); // the kept close button of picture 3 no longer holds
          }}},
        {"installing page, the focus ring on the minimise button through a fade",
         [this] {
             KSUiSetState(KSUI_PAGE_INSTALLING);
             SendMessageW(window_, WM_KEYDOWN, VK_TAB, 1);
             Pump(40);
         },
         {[this] { SetFade(2, 0.3f); }, [this] { SetFade(2, 0.8f); g_State.HoverLevel[ElemMinimize] = 1.0f; }}},
        {"finished page, the launch button's hover", [] { KSUiSetState(KSUI_PAGE_FINISHED); },
         {[] { g_State.HoverLevel[ElemLaunch] = 0.45f; }, [] { g_State.HoverLevel[ElemLaunch] = 1.0f; }}},
    };
    for (const auto &run : runs) {
        run.Arrange();
        Repaint(window_);
        int n = 0;
        for (const auto &step : run.Steps) {
            step();
            PaintChanges();
            ExpectSameAsWholeFrame(std::string(run.Name) + ", step " + std::to_string(++n));
        }
        SetHoverLevels(0.0f);
        SetFade(-1, 0.0f);
        KSUiSetState(KSUI_PAGE_WELCOME);
        Repaint(window_);
    }
}

INSTANTIATE_TEST_SUITE_P(PresentPaths, PartialFrameTest, ::testing::Values(1, 0),
                         [](const ::testing::TestParamInfo<int> &path) {
                             return std::string(path.param ? "DcTarget" : "WindowTarget");
                         });

} // namespace

// The installing and finished pages and the hero pictures, read back from the
// screen after real paints, with pictures the tests write for themselves.
#include "tests/paint_support.h"

#include "render/carousel.h"
#include "render/installing_page.h"
#include "render/resources.h"
#include "geometry/layout.h"

#include <cmath>

using namespace TestHost;
using namespace PaintSupport;

namespace {

constexpr RgbColor kBrand1 = 0x2E78F6;
constexpr RgbColor kBrand2 = 0x7A5AF8;
const RgbColor kHeroColours[5] = {0x20A040, 0xC03020, 0xD0A000, 0x8040C0, 0x00A0B0};

// A point of the hero area clear of every page's content and the title buttons.
constexpr float kHeroX = 300.0f, kHeroY = 300.0f;

void WriteSolidHeroes(const std::wstring &folder) {
    for (int n = 1; n <= 5; ++n)
        ASSERT_TRUE(WritePicture(HeroPath(folder, n), GUID_ContainerFormatPng, 64, 48, Solid(kHeroColours[n - 1])));
}

// --- Pure arithmetic ---

TEST(ProgressPercentTest, RoundsTenthsHalfUpToWholePercent) {
    const struct {
        float Shown;
        int Percent;
    } cases[] = {{0.0f, 0}, {4.9f, 0}, {5.0f, 1}, {994.9f, 99}, {995.0f, 100}, {1000.0f, 100}};
    for (const auto &c : cases)
        EXPECT_EQ(c.Percent, ProgressPercent(c.Shown)) << c.Shown;
}

TEST(CoverSourceRectTest, CutsEvenlyOnBothSides) {
    const float installing = 1024.0f / 597.0f, welcome = 1024.0f / 745.0f;
    const struct {
        float W, H, Proportion;
        D2D1_RECT_F Expected;
    } cases[] = {
        {1920.0f, 1080.0f, installing, {33.77f, 0.0f, 1886.23f, 1080.0f}},
        {1920.0f, 1080.0f, welcome, {217.77f, 0.0f, 1702.23f, 1080.0f}},
        {1024.0f, 745.0f, welcome, {0.0f, 0.0f, 1024.0f, 745.0f}},
        {1024.0f, 597.0f, installing, {0.0f, 0.0f, 1024.0f, 597.0f}},
        // Taller than the area: equal strips off the top and bottom.
        {100.0f, 200.0f, welcome, {0.0f, 63.62f, 100.0f, 136.38f}},
    };
    for (const auto &c : cases) {
        const D2D1_RECT_F r = CoverSourceRect(c.W, c.H, c.Proportion);
        EXPECT_NEAR(c.Expected.left, r.left, 0.01f) << c.W << "x" << c.H;
        EXPECT_NEAR(c.Expected.top, r.top, 0.01f) << c.W << "x" << c.H;
        EXPECT_NEAR(c.Expected.right, r.right, 0.01f) << c.W << "x" << c.H;
        EXPECT_NEAR(c.Expected.bottom, r.bottom, 0.01f) << c.W << "x" << c.H;
        // Centred: the strips cut off either side are equal.
        EXPECT_NEAR(r.left, c.W - r.right, 0.01f);
        EXPECT_NEAR(r.top, c.H - r.bottom, 0.01f);
    }
}

// --- The hero pictures ---

class HeroPaintTest : public PaintTest {
  protected:
    void AttachWithFolder(const std::wstring &folder) {
        Attach([folder] { KSUiSetHeroDir(folder.c_str()); });
    }
    RgbColor Hero() { return Snapshot(window_).Design(kHeroX, kHeroY); }
};

TEST_F(HeroPaintTest, WelcomeAndFinishedShowPictureOneInstallingRotatesFromTwo) {
    const std::wstring folder = FreshFolder(L"solid");
    WriteSolidHeroes(folder);
    FreezeClock();
    AttachWithFolder(folder);
    EXPECT_PRED3(Near, kHeroColours[0], Hero(), 2) << Hex(Hero());
    SaveForPeople(window_, L"paint_welcome_picture.png");

    KSUiSetState(PageInstalling);
    Repaint(window_);
    EXPECT_PRED3(Near, kHeroColours[1], Hero(), 2) << Hex(Hero());
    // The band below the area stays white.
    EXPECT_EQ(Hex(0xFFFFFF), Hex(Snapshot(window_).Design(30.0f, 700.0f)));

    // Still picture 2 through the hold; then picture 3 fades in over it.
    Advance(2800);
    Repaint(window_);
    EXPECT_PRED3(Near, kHeroColours[1], Hero(), 2) << Hex(Hero());
    Advance(50);
    Advance(300, 50);
    ASSERT_EQ(2, g_State.NextSlide);
    ASSERT_NEAR(0.5f, g_State.SlideFade, 0.1f);
    Repaint(window_);
    SaveForPeople(window_, L"paint_installing_fade.png");
    const RgbColor halfway = Hero();
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = (kHeroColours[1] >> shift) & 255, b = (kHeroColours[2] >> shift) & 255;
        const int c = (halfway >> shift) & 255;
        // Halfway between the two pictures, within a quarter of their distance.
        EXPECT_LE(std::abs(2 * c - (a + b)), std::abs(b - a) / 2 + 6) << Hex(halfway);
    }
    Advance(400, 50);
    Repaint(window_);
    EXPECT_EQ(2, g_State.SlideIndex);
    EXPECT_PRED3(Near, kHeroColours[2], Hero(), 2) << Hex(Hero());

    KSUiSetState(PageFinished);
    Repaint(window_);
    EXPECT_PRED3(Near, kHeroColours[0], Hero(), 2) << Hex(Hero());
    SaveForPeople(window_, L"paint_finished.png");
}

TEST_F(HeroPaintTest, WiderPictureIsCroppedEvenlyOnBothSides) {
    // Left half one colour, right half another: after an even crop the seam is
    // in the middle of the area, whatever was cut off.
    const std::wstring folder = FreshFolder(L"wide");
    ASSERT_TRUE(WritePicture(HeroPath(folder, 1), GUID_ContainerFormatPng, 400, 100,
                             [](UINT x, UINT) { return x < 200 ? 0xFFC03020u : 0xFF2040C0u; }));
    AttachWithFolder(folder);
    Snapshot shot(window_);
    const int y = static_cast<int>(kHeroY * g_State.WindowScale);
    int seam = -1;
    for (int x = 1; x < shot.Width(); ++x)
        if (ColourDistance(shot.At(x, y), 0xC03020) > ColourDistance(shot.At(x, y), 0x2040C0)) {
            seam = x;
            break;
        }
    EXPECT_NEAR(shot.Width() / 2.0, seam, 2.0);
    EXPECT_PRED3(Near, 0xC03020, shot.At(2, y), 2);
    EXPECT_PRED3(Near, 0x2040C0, shot.At(shot.Width() - 3, y), 2);
}

TEST_F(HeroPaintTest, PicturesOfOtherFormatsAndFolderEndingInBackslashAreShown) {
    // Picture 1 is a BMP and picture 2 a JPEG, both named .png.
    const std::wstring folder = FreshFolder(L"formats");
    ASSERT_TRUE(WritePicture(HeroPath(folder, 1), GUID_ContainerFormatBmp, 64, 48, Solid(kHeroColours[0])));
    ASSERT_TRUE(WritePicture(HeroPath(folder, 2), GUID_ContainerFormatJpeg, 64, 48, Solid(kHeroColours[1])));
    AttachWithFolder(folder + L"\\");
    EXPECT_PRED3(Near, kHeroColours[0], Hero(), 2) << Hex(Hero());
    KSUiSetState(PageInstalling);
    Repaint(window_);
    EXPECT_PRED3(Near, kHeroColours[1], Hero(), 12) << Hex(Hero());
}

TEST_F(HeroPaintTest, WhiteShowsThroughTransparentParts) {
    const std::wstring folder = FreshFolder(L"transparent");
    ASSERT_TRUE(WritePicture(HeroPath(folder, 1), GUID_ContainerFormatPng, 200, 100,
                             [](UINT x, UINT) { return x < 100 ? 0x00000000u : 0xFF2040C0u; }));
    AttachWithFolder(folder);
    Snapshot shot(window_);
    EXPECT_EQ(Hex(0xFFFFFF), Hex(shot.Design(200.0f, kHeroY)));
    EXPECT_PRED3(Near, 0x2040C0, shot.Design(800.0f, kHeroY), 2) << Hex(shot.Design(800.0f, kHeroY));
}

TEST_F(HeroPaintTest, MissingPicturesShowTheBrandGradient) {
    const std::wstring folder = FreshFolder(L"only_first");
    ASSERT_TRUE(WritePicture(HeroPath(folder, 1), GUID_ContainerFormatPng, 64, 48, Solid(kHeroColours[0])));
    AttachWithFolder(folder);
    EXPECT_PRED3(Near, kHeroColours[0], Hero(), 2);
    KSUiSetState(PageInstalling);
    Repaint(window_);
    Snapshot shot(window_);
    EXPECT_PRED3(Near, kBrand1, shot.Design(1.0f, kHeroY), 8) << Hex(shot.Design(1.0f, kHeroY));
    EXPECT_PRED3(Near, kBrand2, shot.Design(1022.0f, kHeroY), 8) << Hex(shot.Design(1022.0f, kHeroY));
    // The gradient ends with the area at 597.
    EXPECT_EQ(Hex(0xFFFFFF), Hex(shot.Design(30.0f, 600.0f)));
}

TEST_F(HeroPaintTest, FolderSetAfterTheFirstPaintWaitsForNewDeviceResources) {
    const std::wstring folder = FreshFolder(L"late");
    WriteSolidHeroes(folder);
    Attach();
    KSUiSetHeroDir(folder.c_str());
    Repaint(window_);
    EXPECT_PRED3(Near, kBrand1, Snapshot(window_).Design(1.0f, kHeroY), 8);
    // A lost device makes the next paint create everything again, pictures included.
    Recreate();
    EXPECT_PRED3(Near, kHeroColours[0], Hero(), 2) << Hex(Hero());
}

TEST_F(HeroPaintTest, PicturesAreDecodedOncePerRenderTarget) {
    const std::wstring folder = FreshFolder(L"once");
    WriteSolidHeroes(folder);
    FreezeClock();
    AttachWithFolder(folder);
    ASSERT_TRUE(PumpUntilPicturesRead());
    ID2D1Bitmap *first = g_State.HeroBitmaps[0];
    StartCounting();
    // Many frames on every page, a whole fade included.
    KSUiSetState(PageInstalling);
    Advance(2850);
    for (int i = 0; i < 12; ++i) {
        Advance(50, 50);
        Repaint(window_);
    }
    KSUiSetState(PageFinished);
    Repaint(window_);
    KSUiSetState(PageWelcome);
    Repaint(window_);
    EXPECT_EQ(0, g_Counts.Decoders);
    EXPECT_EQ(0, g_Counts.Bitmaps);
    EXPECT_EQ(0, g_Counts.Total());
    EXPECT_EQ(first, g_State.HeroBitmaps[0]);

    // Files removed after loading: what was decoded is still shown.
    for (int n = 1; n <= 5; ++n)
        DeleteFileW(HeroPath(folder, n).c_str());
    Repaint(window_);
    EXPECT_PRED3(Near, kHeroColours[0], Hero(), 2);

    // A new render target reads the folder again: five tries, nothing found.
    Recreate();
    ASSERT_TRUE(PumpUntilPicturesRead());
    EXPECT_EQ(5, g_Counts.Decoders);
    EXPECT_EQ(0, g_Counts.Bitmaps);
    EXPECT_PRED3(Near, kBrand1, Snapshot(window_).Design(1.0f, kHeroY), 8);
    StopCounting();
}

// --- The progress block ---

class ProgressPaintTest : public PaintTest {
  protected:
    void SetUp() override {
        PaintTest::SetUp();
        FreezeClock();
        Attach();
        KSUiSetState(PageInstalling);
        Repaint(window_);
    }
    // Shows a progress value without easing.
    void Show(float tenths) {
        g_State.ProgressTarget = static_cast<int>(tenths);
        g_State.ProgressShown = tenths;
        Repaint(window_);
    }
    float BarTop() const { return 610.0f + 26.0f * g_State.ContentBoost + 12.0f; }
    float BarMiddle() const { return BarTop() + 5.0f * g_State.ContentBoost; }
};

TEST_F(ProgressPaintTest, TrackAndFillColours) {
    const float b = g_State.ContentBoost;
    Show(0.0f);
    Snapshot empty(window_);
    for (float x : {60.0f + 5.0f * b, 512.0f, 964.0f - 5.0f * b})
        EXPECT_EQ(Hex(kColorTrack), Hex(empty.Design(x, BarMiddle()))) << x;
    // White around the bar.
    EXPECT_EQ(Hex(0xFFFFFF), Hex(empty.Design(30.0f, BarMiddle())));
    EXPECT_EQ(Hex(0xFFFFFF), Hex(empty.Design(512.0f, BarTop() + 10.0f * b + 4.0f)));

    Show(1000.0f);
    Snapshot full(window_);
    EXPECT_PRED3(Near, kBrand1, full.Design(60.0f + 5.0f * b, BarMiddle()), 10)
        << Hex(full.Design(60.0f + 5.0f * b, BarMiddle()));
    EXPECT_PRED3(Near, kBrand2, full.Design(964.0f - 5.0f * b, BarMiddle()), 10)
        << Hex(full.Design(964.0f - 5.0f * b, BarMiddle()));
}

TEST_F(ProgressPaintTest, FillAppearsOnlyPastTheBarHeight) {
    const float b = g_State.ContentBoost;
    // w = shown / 1000 * 904 must exceed 10 * B.
    const float threshold = 10.0f * b / 904.0f * 1000.0f;
    const float probe = 60.0f + 5.0f * b;
    Show(threshold - 0.5f);
    EXPECT_EQ(Hex(kColorTrack), Hex(Snapshot(window_).Design(probe, BarMiddle())));
    Show(threshold + 0.5f);
    EXPECT_PRED3(Near, kBrand1, Snapshot(window_).Design(probe, BarMiddle()), 10);
}

TEST_F(ProgressPaintTest, BarDropsAtOnceWhenProgressGoesDown) {
    const float b = g_State.ContentBoost;
    Show(900.0f);
    EXPECT_GT(ColourDistance(kColorTrack, Snapshot(window_).Design(700.0f, BarMiddle())), 60);
    // The clock stands still: only an immediate drop can empty the bar here.
    KSUiSetProgress(200);
    Repaint(window_);
    EXPECT_EQ(200.0f, g_State.ProgressShown);
    Snapshot dropped(window_);
    EXPECT_EQ(Hex(kColorTrack), Hex(dropped.Design(700.0f, BarMiddle())));
    EXPECT_PRED3(Near, kBrand1, dropped.Design(60.0f + 5.0f * b, BarMiddle()), 10);
}

TEST_F(ProgressPaintTest, StatusLineAndPercentageText) {
    const float b = g_State.ContentBoost;
    const D2D1_RECT_F status = D2D1::RectF(60.0f, 610.0f, 800.0f, 610.0f + 26.0f * b);
    const D2D1_RECT_F percent = D2D1::RectF(800.0f, 610.0f, 964.0f, 610.0f + 26.0f * b);
    Show(0.0f);
    Snapshot blank(window_);
    EXPECT_EQ(0, blank.Ink(status));
    const int zero = blank.Ink(percent);
    EXPECT_GT(zero, 0);

    KSUiSetStatus(L"正在复制文件");
    Show(1000.0f);
    Snapshot done(window_);
    EXPECT_GT(done.Ink(status), 0);
    // "100%" takes more room than "0%", still ending at the right edge.
    EXPECT_GT(done.Ink(percent), zero);
    const RgbColor text = done.Darkest(percent);
    EXPECT_PRED3(Near, kColorSecondary, text, 40) << Hex(text);
    Show(620.0f);
    SaveForPeople(window_, L"paint_installing.png");
}

} // namespace

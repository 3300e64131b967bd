// The way to the first frame, and what the window keeps after it. A host shows
// its window once: the page is drawn once, with only the picture it shows read
// before it; the other pictures arrive after it and draw nothing; a frame that
// needs a picture that has not arrived waits for it; losing the device,
// detaching or destroying the window while pictures are read leaves nothing
// behind; and only the slides the page can show keep their still layers. Both
// present paths: 1 the DC target (Wine's), 0 the window's own.
#include "tests/paint_support.h"

#include "render/carousel.h"
#include "render/frame_schedule.h"

#include <string>
#include <vector>

using namespace TestHost;
using namespace PaintSupport;

namespace {

const RgbColor kHeroColours[5] = {0x20A040, 0xC03020, 0xD0A000, 0x8040C0, 0x00A0B0};
constexpr float kHeroX = 300.0f, kHeroY = 300.0f;

std::vector<std::string> g_Steps;
void NoteStep(const char *step) { g_Steps.push_back(step); }
int StepsNamed(const char *name) {
    int n = 0;
    for (const std::string &step : g_Steps)
        n += step == name;
    return n;
}

class FirstFrameTest : public PaintTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        PaintTest::SetUp();
        TestSeams::ForcedDcRenderTarget = GetParam();
        folder_ = FreshFolder(L"first_frame");
        for (int n = 1; n <= 5; ++n)
            ASSERT_TRUE(WritePicture(HeroPath(folder_, n), GUID_ContainerFormatPng, 200, 150, Solid(kHeroColours[n - 1])));
        g_Steps.clear();
        TestSeams::StageReached = NoteStep;
    }
    void TearDown() override {
        TestSeams::StageReached = nullptr;
        TestSeams::ForcedDcRenderTarget = -1;
        PaintTest::TearDown();
    }
    // As a host does it: the window is made hidden, attached, then shown and
    // updated. Nothing is pumped, so no posted message has been handled yet.
    void AttachAndShow() {
        KSUiSetHeroDir(folder_.c_str());
        window_ = CreateHostWindow(false);
        ASSERT_TRUE(window_);
        ASSERT_EQ(1, KSUiAttach(window_, RecordAction));
        ShowWindow(window_, SW_SHOW);
        UpdateWindow(window_);
    }
    // Pumps until every slot has its picture, for at most five seconds.
    bool PumpUntilAllPictures() {
        for (int i = 0; i < 100; ++i) {
            bool all = true;
            for (ID2D1Bitmap *bitmap : g_State.HeroBitmaps)
                all = all && bitmap;
            if (all)
                return true;
            Pump(50);
        }
        return false;
    }
    bool HasLayer(int slide) const {
        const StillLayer &layer = g_State.StillLayers[slide];
        return GetParam() ? layer.Pixels.Bits != nullptr : layer.Target != nullptr;
    }
    // The window's own target shows a frame a little later under a loaded machine.
    RgbColor Hero() {
        Pump(200);
        return Snapshot(window_).Design(kHeroX, kHeroY);
    }

    std::wstring folder_;
};

TEST_P(FirstFrameTest, ShowingTheWindowDrawsItsPageOnceWithOnlyThePictureItShows) {
    AttachAndShow();
    EXPECT_EQ(1, StepsNamed("still layer"));
    EXPECT_EQ(1, StepsNamed("picture ready"));
    EXPECT_TRUE(g_State.HeroBitmaps[0]);
    for (int slot = 1; slot < 5; ++slot)
        EXPECT_FALSE(g_State.HeroBitmaps[slot]) << "slot " << slot << " was read before the first frame";

    // The others arrive after it, and arriving draws nothing and wakes nothing later.
    ASSERT_TRUE(PumpUntilAllPictures());
    Pump(300);
    EXPECT_EQ(5, StepsNamed("picture ready"));
    EXPECT_EQ(1, StepsNamed("still layer"));
    EXPECT_EQ(0u, g_State.FrameTimerMs);
    EXPECT_EQ(nullptr, g_State.Loading);
    EXPECT_PRED3(Near, kHeroColours[0], Hero(), 2) << Hex(Hero());
}

TEST_P(FirstFrameTest, AFrameWaitsForAPictureThatHasNotArrived) {
    AttachAndShow();
    // Straight to the installing page: picture 2 may still be on its way.
    KSUiSetState(PageInstalling);
    Repaint(window_);
    EXPECT_PRED3(Near, kHeroColours[1], Hero(), 2) << Hex(Hero());
    ASSERT_TRUE(PumpUntilAllPictures());
    EXPECT_EQ(5, StepsNamed("picture ready"));
}

TEST_P(FirstFrameTest, LosingTheDeviceDetachingOrDestroyingWhilePicturesAreReadLeavesNothingBehind) {
    AttachAndShow();
    // The device goes while the loader reads: the next frame reads them all again.
    ReleaseDeviceResources();
    EXPECT_EQ(nullptr, g_State.Loading);
    for (ID2D1Bitmap *bitmap : g_State.HeroBitmaps)
        EXPECT_FALSE(bitmap);
    Repaint(window_);
    ASSERT_TRUE(PumpUntilAllPictures());
    EXPECT_PRED3(Near, kHeroColours[0], Hero(), 2) << Hex(Hero());

    // Detached while reading: the loader stops and every picture goes.
    ReleaseDeviceResources();
    Repaint(window_);
    KSUiDetach();
    EXPECT_EQ(nullptr, g_State.Loading);
    for (ID2D1Bitmap *bitmap : g_State.HeroBitmaps)
        EXPECT_FALSE(bitmap);

    // The host destroys its window while reading, without detaching: the same.
    ASSERT_EQ(1, KSUiAttach(window_, RecordAction));
    Repaint(window_);
    DestroyWindow(window_);
    window_ = nullptr;
    EXPECT_EQ(nullptr, g_State.Loading);
    for (ID2D1Bitmap *bitmap : g_State.HeroBitmaps)
        EXPECT_FALSE(bitmap);
    Pump(200); // a picture the stopped loader had announced finds no window
    KSUiDetach();
}

TEST_P(FirstFrameTest, OnlyTheSlidesThePageCanShowKeepTheirLayers) {
    FreezeClock();
    AttachAndShow();
    ASSERT_TRUE(PumpUntilAllPictures());
    const struct {
        const char *When;
        bool Layers[5];
    } expected[] = {
        {"welcome page", {true, false, false, false, false}},
        {"installing page, picture 2", {false, true, false, false, false}},
        {"installing page, after the fade to picture 3", {false, true, true, false, false}},
        {"finished page", {true, false, false, false, false}},
    };
    const auto expectLayers = [&](int row) {
        for (int slide = 0; slide < 5; ++slide) {
            EXPECT_EQ(expected[row].Layers[slide], HasLayer(slide)) << expected[row].When << ", slide " << slide;
            if (GetParam() && !expected[row].Layers[slide]) {
                EXPECT_EQ(nullptr, g_State.SlideParts[slide].Bits) << expected[row].When << ", slide " << slide;
            }
        }
    };
    expectLayers(0);

    KSUiSetState(PageInstalling);
    Repaint(window_);
    expectLayers(1);

    Advance(2850);
    Advance(700, 50);
    Repaint(window_);
    ASSERT_EQ(2, g_State.SlideIndex);
    expectLayers(2);
    EXPECT_PRED3(Near, kHeroColours[2], Hero(), 2) << Hex(Hero());

    KSUiSetState(PageFinished);
    Repaint(window_);
    expectLayers(3);
    EXPECT_PRED3(Near, kHeroColours[0], Hero(), 2) << Hex(Hero());
}

INSTANTIATE_TEST_SUITE_P(BothPresenters, FirstFrameTest, ::testing::Values(1, 0),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return std::string(info.param ? "DcTarget" : "WindowTarget");
                         });

} // namespace

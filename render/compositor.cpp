#include "render/compositor.h"

#include "geometry/layout.h"
#include "geometry/reaches.h"
#include "render/animation.h"
#include "render/carousel.h"
#include "render/frame_plan.h"
#include "render/frame_schedule.h"
#include "render/installing_page.h"
#include "render/palette.h"
#include "render/resources.h"
#include "render/retained_frame.h"
#include "render/still_layers.h"
#include "render/window_presenter.h"
#include "state/seams.h"

namespace {

bool OnePassFrames() {
#ifdef KSUI_TESTING
    return TestSeams::OnePassFrames;
#else
    return false;
#endif
}

// What changed since the last frame that reached the screen, in client pixels.
FramePlan PlanFrame(const RECT &client, int ringItem) {
    const EngineState &s = g_State;
    FramePlan plan;
    plan.Client = client;
    plan.RingItem = ringItem;
    // A requested frame, a new size or a frame after a lost device keeps nothing.
    plan.Whole = s.FrameRequested || !BackBufferHolds(client) || OnePassFrames();
    plan.Shown = s.SlideIndex >= 0 && s.SlideIndex < 5 ? s.SlideIndex : 0;
    plan.Incoming = s.NextSlide >= 0 && s.NextSlide < 5 ? s.NextSlide : -1;
    plan.Opacity = IncomingSlideOpacity();
    plan.Hero = PixelsTouched(D2D1::RectF(0.0f, 0.0f, kCanvasWidth, HeroHeight()), client);

    if (plan.Whole)
        Add(plan.Background, client);
    if (CarouselMoved())
        Add(plan.Background, plan.Hero);
    if (!plan.Whole) {
        for (int id = ElemMinimize; id <= ElemLaunch; ++id) {
            if (ElementLive(id) && HoverLevelMoved(id))
                Add(plan.Passes, PixelsTouched(HoverReach(id), client));
        }
        if (StatusMoved()) {
            // Where the old text ran as well as where the new one runs.
            Add(plan.Passes, PixelsTouched(StatusReach(s.Painted.StatusTextWidth), client));
            Add(plan.Passes, PixelsTouched(StatusReach(s.StatusTextWidth), client));
        }
        if (s.CurrentPage == PageInstalling && ProgressMoved()) {
            D2D1_RECT_F progress[2];
            ProgressReaches(progress);
            // The percentage is text, the dearest part to draw: only when it reads otherwise.
            if (ProgressPercent(s.ProgressShown) != ProgressPercent(s.Painted.ProgressShown))
                Add(plan.Passes, PixelsTouched(progress[0], client));
            Add(plan.Passes, PixelsTouched(progress[1], client));
        }
    }

    D2D1_RECT_F reaches[kMaxReaches];
    plan.ReachCount = MovingPartReaches(reaches, kMaxReaches, ringItem);
    for (int j = 0; j < plan.ReachCount; ++j)
        plan.Reaches[j] = PixelsTouched(reaches[j], client);
    return plan;
}

} // namespace

void PaintFrame(int ringItem) {
    EngineState &s = g_State;
    // Nothing at all is drawn, not even the background, until every resource exists.
    if (!EnsureDeviceResources())
        return;
    ChoosePalette();
    // Only the drawing counts towards the pause after a frame, not the creation
    // of the render target that the first frame pays for.
    const ULONGLONG start = NowTick();
    RECT client = {};
    bool reached = false;
    if (s.HostWindow && GetClientRect(s.HostWindow, &client) && !IsRectEmpty(&client)) {
        if (s.FrameRequested || OnePassFrames())
            MarkStillLayersStale();
        // Only the slides this page can show keep their layers: up to five
        // client-sized layers would otherwise stay beside the back buffer.
        for (int slide = 0; slide < 5; ++slide) {
            if (!SlideInRotation(slide)) {
                ReleaseStillLayer(slide);
                ReleaseSlideParts(slide);
            }
        }
        FramePlan plan = PlanFrame(client, ringItem);
        reached = s.RenderTargetOnDc ? PresentRetained(plan) : PresentOnWindowTarget(plan);
    }
    RecordPaint(start, reached);
    MarkStage("frame on the window");
    // The pictures no frame has needed yet are read now, off the way to the first frame.
    if (reached)
        LoadRemainingPictures();
}

bool EndFrameDraw(ID2D1RenderTarget *target) {
    const HRESULT hr = target->EndDraw();
    if (hr == static_cast<HRESULT>(D2DERR_RECREATE_TARGET))
        ReleaseDeviceResources();
    return SUCCEEDED(hr);
}

void ReleaseDeviceResources() {
    ReleaseStillLayers();
    ReleaseRetainedFrame();
    ReleaseDrawingResources();
}

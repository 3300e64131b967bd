#include "render/window_presenter.h"

#include "geometry/reaches.h"
#include "render/frame_parts.h"
#include "render/resources.h"
#include "render/still_layers.h"
#include "state/seams.h"

namespace {

D2D1_RECT_F Pixels(const RECT &r) {
    return D2D1::RectF(static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.right),
                       static_cast<float>(r.bottom));
}

// The still layers of the plan's slides, pixel for pixel: the layers have the
// target's size and the transform is the identity.
void ComposeLayers(ID2D1RenderTarget *target, const FramePlan &plan) {
    const EngineState &s = g_State;
    const D2D1_RECT_F all = Pixels(plan.Client);
    target->DrawBitmap(s.StillLayers[plan.Shown].Bitmap, all, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR,
                       all);
    if (plan.Incoming >= 0) {
        const D2D1_RECT_F hero = Pixels(plan.Hero);
        target->DrawBitmap(s.StillLayers[plan.Incoming].Bitmap, hero, plan.Opacity,
                           D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, hero);
    }
}

} // namespace

bool PresentOnWindowTarget(const FramePlan &plan) {
    EngineState &s = g_State;
    bool layers = StillLayerReady(plan.Shown, plan.Client) &&
                  (plan.Incoming < 0 || StillLayerReady(plan.Incoming, plan.Client));
#ifdef KSUI_TESTING
    // The reference that composed frames are compared with: drawn in one pass.
    layers = layers && !TestSeams::OnePassFrames;
#endif
    ID2D1RenderTarget *target = s.RenderTarget;
    if (!target) // the device was lost while a layer was drawn
        return false;
    target->BeginDraw();
    if (layers) {
        ComposeLayers(target, plan);
    } else {
        target->Clear(ColorF(s.Colors.Background, 1.0f));
        target->SetTransform(D2D1::Matrix3x2F::Scale(s.WindowScale, s.WindowScale));
        DrawStillParts(target, {plan.Shown, plan.Incoming, plan.Opacity});
    }
    target->SetTransform(D2D1::Matrix3x2F::Scale(s.WindowScale, s.WindowScale));
    DrawMovingParts(target, kWholeCanvas, plan.RingItem);
    target->SetTransform(D2D1::Matrix3x2F::Identity());
    return EndFrameDraw(target);
}

#include "render/frame.h"

#include "render/captions.h"
#include "render/carousel.h"
#include "render/focus_ring.h"
#include "render/installing_page.h"
#include "render/moving_parts.h"
#include "render/palette.h"
#include "render/render_target.h"
#include "render/resources.h"
#include "render/retained_frame.h"
#include "render/still_layer.h"
#include "render/welcome_page.h"
#include "window/layout.h"

namespace {

constexpr float kHoverVisible = 0.01f;

// A frame through the window's own target: the still layer copied in whole
// (or, during a cross-fade, the still parts drawn), the moving parts over it.
bool PaintWholeFrame() {
    EngineState &s = g_State;
    ID2D1Bitmap *still = StillLayer();
    ID2D1RenderTarget *target = s.RenderTarget;
    const D2D1_MATRIX_3X2_F scale = D2D1::Matrix3x2F::Scale(s.WindowScale, s.WindowScale);
    target->BeginDraw();
    if (still) {
        // Pixel for pixel: the layer has the target's size and the transform is the identity.
        const D2D1_SIZE_F size = still->GetSize();
        target->SetTransform(D2D1::Matrix3x2F::Identity());
        target->DrawBitmap(still, D2D1::RectF(0.0f, 0.0f, size.width, size.height), 1.0f,
                           D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, nullptr);
        target->SetTransform(scale);
    } else {
        target->Clear(ColorF(s.Colors.Background, 1.0f));
        target->SetTransform(scale);
        DrawStillParts(CurrentHeroLook());
    }
    DrawMovingParts(kWholeCanvas);
    target->SetTransform(D2D1::Matrix3x2F::Identity());
    // A lost device is rebuilt by the next frame; any other failure is left to it too.
    const bool lost = target->EndDraw() == static_cast<HRESULT>(D2DERR_RECREATE_TARGET);
    if (lost)
        ReleaseDeviceResources();
    return !lost;
}

} // namespace

void DrawStillParts(const HeroLook &hero) {
    EngineState &s = g_State;
    DrawHeroArea(HeroHeight(), hero);
    if (s.CurrentPage == PageWelcome)
        DrawWelcomeStill();
    else if (s.CurrentPage == PageInstalling)
        DrawInstallingStill();
}

void DrawMovingParts(const D2D1_RECT_F &within) {
    EngineState &s = g_State;
    switch (s.CurrentPage) {
    case PageWelcome:
        DrawWelcomeMoving(within);
        break;
    case PageInstalling:
        DrawInstallingMoving(within);
        break;
    case PageFinished:
        if (Meets(HoverReach(ElemLaunch), within))
            DrawPillButton(ElemLaunch, kCaptionLaunch);
        break;
    default:
        break;
    }
    DrawTitleButtons(within);
    if (Meets(FocusRingReach(), within))
        DrawFocusRing();
}

void PaintFrame() {
    EngineState &s = g_State;
    // Nothing at all is drawn, not even the white, until every resource exists.
    if (!EnsureDeviceResources())
        return;
    ChoosePalette();
    // Only the drawing counts towards the pause after a frame, not the creation
    // of the render target that the first frame pays for.
    const ULONGLONG start = NowTick();
    const bool reached = s.RenderTargetOnDc ? PaintRetainedFrame() : PaintWholeFrame();
    RecordPaint(start, reached);
}

void DrawTitleButtons(const D2D1_RECT_F &within) {
    EngineState &s = g_State;
    const Palette &p = s.Colors;
    const float bs = ButtonBoost();
    for (int id = ElemMinimize; id <= ElemClose; ++id) {
        if (!Meets(HoverReach(id), within))
            continue;
        const D2D1_RECT_F r = ElementRect(id);
        const float cx = (r.left + r.right) * 0.5f;
        const float cy = (r.top + r.bottom) * 0.5f;
        const float v = s.HoverLevel[id];
        // The close button lights up in a solid colour; minimise in a faint grey,
        // except under high contrast, where both take the highlight colour.
        const bool solidDisc = id == ElemClose || s.HighContrast;

        if (v > kHoverVisible) {
            SetBrush(solidDisc ? p.CloseHover : kColorBlack, (solidDisc ? 1.0f : 0.08f) * HoverShown(v));
            // One unit (times the boost) wider than the button, so the disc overhangs it a little.
            s.RenderTarget->FillEllipse(D2D1::Ellipse(D2D1::Point2F(cx, cy), 15.0f * bs, 15.0f * bs), s.Brush);
        }
        // The icon turns to the caption colour on a solid disc.
        SetBrush(solidDisc ? HoverColor(p.Text, p.AccentText, v) : p.Text, 1.0f);
        const float stroke = 1.5f * bs;
        if (id == ElemMinimize) {
            s.RenderTarget->DrawLine(D2D1::Point2F(cx - 6.0f * bs, cy), D2D1::Point2F(cx + 6.0f * bs, cy), s.Brush,
                                     stroke, s.StrokeStyle);
        } else {
            const float a = 5.5f * bs;
            s.RenderTarget->DrawLine(D2D1::Point2F(cx - a, cy - a), D2D1::Point2F(cx + a, cy + a), s.Brush, stroke,
                                     s.StrokeStyle);
            s.RenderTarget->DrawLine(D2D1::Point2F(cx + a, cy - a), D2D1::Point2F(cx - a, cy + a), s.Brush, stroke,
                                     s.StrokeStyle);
        }
    }
}

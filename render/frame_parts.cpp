#include "render/frame_parts.h"

#include "geometry/captions.h"
#include "geometry/layout.h"
#include "geometry/reaches.h"
#include "render/focus_ring.h"
#include "render/installing_page.h"
#include "render/palette.h"
#include "render/resources.h"
#include "render/welcome_page.h"

namespace {

constexpr float kHoverVisible = 0.01f;

// Under the dark palette, texts and icons over the hero get a veil of the
// background colour, so that light ink reads on any picture: one behind the
// title buttons, and one along the bottom row while that row lies over the hero.
void DrawHeroVeils(ID2D1RenderTarget *target) {
    EngineState &s = g_State;
    const float bs = ButtonBoost();
    SetBrush(s.Colors.Veil, kDarkVeilOpacity);
    const D2D1_RECT_F minimise = ElementRect(ElemMinimize);
    const D2D1_RECT_F close = ElementRect(ElemClose);
    // Wide enough for the hover discs, which overhang their buttons.
    const float margin = 4.0f * bs;
    const D2D1_RECT_F title = D2D1::RectF((minimise.left < close.left ? minimise.left : close.left) - margin,
                                          close.top - margin,
                                          (minimise.right > close.right ? minimise.right : close.right) + margin,
                                          close.bottom + margin);
    const float radius = (title.bottom - title.top) * 0.5f;
    target->FillRoundedRectangle(D2D1::RoundedRect(title, radius, radius), s.Brush);
    const float bandTop = BottomRowTop() - 10.0f;
    if (s.CurrentPage == PageWelcome && bandTop < kCanvasBaseHeight)
        target->FillRectangle(D2D1::RectF(0.0f, bandTop, kCanvasWidth, kCanvasBaseHeight), s.Brush);
}

} // namespace

void DrawStillLayer(ID2D1RenderTarget *target, const HeroLook &hero) {
    const EngineState &s = g_State;
    target->Clear(ColorF(s.Colors.Background, 1.0f));
    target->SetTransform(D2D1::Matrix3x2F::Scale(s.WindowScale, s.WindowScale));
    DrawStillParts(target, hero);
    target->SetTransform(D2D1::Matrix3x2F::Identity());
}

void DrawStillParts(ID2D1RenderTarget *target, const HeroLook &hero) {
    EngineState &s = g_State;
    DrawHeroArea(target, HeroHeight(), hero);
    if (s.DarkMode && !s.HighContrast)
        DrawHeroVeils(target);
    if (s.CurrentPage == PageWelcome)
        DrawWelcomeStill(target);
    else if (s.CurrentPage == PageInstalling)
        DrawInstallingStill(target);
}

void DrawMovingParts(ID2D1RenderTarget *target, const D2D1_RECT_F &within, int ringItem) {
    EngineState &s = g_State;
    switch (s.CurrentPage) {
    case PageWelcome:
        DrawWelcomeMoving(target, within);
        break;
    case PageInstalling:
        DrawInstallingMoving(target, within);
        break;
    case PageFinished:
        if (Meets(HoverReach(ElemLaunch), within))
            DrawPillButton(target, ElemLaunch, Caption(TextLaunch));
        break;
    default:
        break;
    }
    DrawTitleButtons(target, within);
    if (Meets(FocusRingReach(ringItem), within))
        DrawFocusRing(target, ringItem);
}

void DrawTitleButtons(ID2D1RenderTarget *target, const D2D1_RECT_F &within) {
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
            SetBrush(solidDisc ? p.CloseHover : p.Shade, (solidDisc ? 1.0f : 0.08f) * HoverShown(v));
            // One unit (times the boost) wider than the button, so the disc overhangs it a little.
            target->FillEllipse(D2D1::Ellipse(D2D1::Point2F(cx, cy), 15.0f * bs, 15.0f * bs), s.Brush);
        }
        // The icon turns to the caption colour on a solid disc.
        SetBrush(solidDisc ? HoverColor(p.Text, p.AccentText, v) : p.Text, 1.0f);
        const float stroke = 1.5f * bs;
        if (id == ElemMinimize) {
            target->DrawLine(D2D1::Point2F(cx - 6.0f * bs, cy), D2D1::Point2F(cx + 6.0f * bs, cy), s.Brush,
                                     stroke, s.StrokeStyle);
        } else {
            const float a = 5.5f * bs;
            target->DrawLine(D2D1::Point2F(cx - a, cy - a), D2D1::Point2F(cx + a, cy + a), s.Brush, stroke,
                                     s.StrokeStyle);
            target->DrawLine(D2D1::Point2F(cx + a, cy - a), D2D1::Point2F(cx - a, cy + a), s.Brush, stroke,
                                     s.StrokeStyle);
        }
    }
}

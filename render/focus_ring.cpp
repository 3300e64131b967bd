#include "render/focus_ring.h"

#include "geometry/layout.h"
#include "geometry/pixels.h"
#include "geometry/reading_order.h"
#include "render/resources.h"

namespace {

// The ring's centre line stands this far off the shape and the ring is this
// wide, in design units times ButtonBoost: the canvas transform scales it with
// the window. A white halo twice as wide lies under it, so that the ring shows
// on the brand-coloured hero and on any picture as well as on white.
constexpr float kRingGap = 4.0f;
constexpr float kRingWidth = 2.0f;
constexpr float kHaloWidth = 4.0f;

// The halo first, then the ring on it; `stroke` draws the shape with Brush at a width.
template <class Stroke> void StrokeRing(float bs, Stroke stroke) {
    SetBrush(kColorWhite, 1.0f);
    stroke(kHaloWidth * bs);
    SetBrush(g_State.BrandColor1, 1.0f);
    stroke(kRingWidth * bs);
}

} // namespace

void DrawFocusRing(ID2D1RenderTarget *target, int item) {
    EngineState &s = g_State;
    if (item == 0)
        return;
    const float b = s.ContentBoost;
    const float bs = ButtonBoost();
    const float gap = kRingGap * bs;
    const D2D1_RECT_F r = ItemRect(item);

    if (item == ElemMinimize || item == ElemClose) {
        // Around the hover disc, which overhangs the button.
        const D2D1_POINT_2F centre = D2D1::Point2F((r.left + r.right) * 0.5f, (r.top + r.bottom) * 0.5f);
        const float radius = 15.0f * bs + gap;
        StrokeRing(bs, [&](float width) {
            target->DrawEllipse(D2D1::Ellipse(centre, radius, radius), s.Brush, width);
        });
        return;
    }

    // The shape's own corner radius, grown by the gap so the ring runs parallel to it.
    float radius = 0.0f;
    switch (item) {
    case ElemInstall:
    case ElemLaunch:
        radius = (r.bottom - r.top) * 0.5f; // pill
        break;
    case ElemAgree:
    case ElemOptDesktop:
    case ElemOptStartMenu:
    case ElemOptAutoStart:
        radius = 3.5f * (r.right - r.left) * 0.0625f; // check box
        break;
    case ElemChangeDir:
    case ItemDirEdit:
        radius = 6.0f * b;
        break;
    default:
        radius = 2.0f * b; // link and toggle: their text
        break;
    }
    const D2D1_ROUNDED_RECT ring = D2D1::RoundedRect(Inflated(r, gap), radius + gap, radius + gap);
    StrokeRing(bs, [&](float width) { target->DrawRoundedRectangle(ring, s.Brush, width); });
}

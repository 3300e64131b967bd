#include "geometry/reaches.h"

#include "geometry/layout.h"
#include "geometry/pixels.h"
#include "geometry/reading_order.h"

namespace {

// Design units (times the larger boost) around a part: the close button's
// disc overhangs its button by one, outlines half their width, anti-aliasing
// a pixel.
constexpr float kPartMargin = 3.0f;
// The focus ring: gap 4 plus half of the 4-unit halo off the shape, and the
// title buttons' ring 21 from their centre, 7 outside the 28-unit button.
constexpr float kRingMargin = 8.0f;

float Boost() {
    const float b = g_State.ContentBoost, bs = ButtonBoost();
    return b > bs ? b : bs;
}

} // namespace

bool Meets(const D2D1_RECT_F &a, const D2D1_RECT_F &b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

D2D1_RECT_F HoverReach(int id) { return Inflated(ElementRect(id), kPartMargin * Boost()); }

D2D1_RECT_F StatusReach(float textWidth) { return Inflated(StatusTextRect(textWidth), kPartMargin * Boost()); }

int ProgressReaches(D2D1_RECT_F out[2]) {
    const float margin = kPartMargin * Boost();
    out[0] = Inflated(PercentRect(), margin);
    out[1] = Inflated(ProgressTrackRect(), margin);
    return 2;
}

D2D1_RECT_F FocusRingReach(int item) {
    if (item == 0)
        return {0.0f, 0.0f, 0.0f, 0.0f};
    return Inflated(ItemRect(item), kRingMargin * Boost());
}

int MovingPartReaches(D2D1_RECT_F *out, int capacity, int ringItem) {
    int n = 0;
    for (int id = ElemMinimize; id <= ElemLaunch && n < capacity; ++id) {
        if (ElementLive(id))
            out[n++] = HoverReach(id);
    }
    if (g_State.CurrentPage == PageInstalling && n + 3 <= capacity) {
        out[n++] = StatusReach(g_State.StatusTextWidth);
        n += ProgressReaches(out + n);
    }
    const D2D1_RECT_F ring = FocusRingReach(ringItem);
    if (ring.right > ring.left && n < capacity)
        out[n++] = ring;
    return n;
}

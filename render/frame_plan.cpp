#include "render/frame_plan.h"

#include "geometry/pixels.h"

RECT Intersection(const RECT &a, const RECT &b) {
    RECT r;
    IntersectRect(&r, &a, &b);
    return r;
}

RECT Union(const RECT &a, const RECT &b) {
    RECT r;
    UnionRect(&r, &a, &b);
    return r;
}

bool Overlap(const RECT &a, const RECT &b) {
    RECT r;
    return IntersectRect(&r, &a, &b) != FALSE;
}

void Add(RectList &list, RECT r) {
    if (IsRectEmpty(&r))
        return;
    for (int i = 0; i < list.Count;) {
        if (Overlap(list.Items[i], r)) {
            r = Union(r, list.Items[i]);
            list.Items[i] = list.Items[--list.Count];
            i = 0; // grown, it may now overlap one already passed
        } else {
            ++i;
        }
    }
    if (list.Count == kMaxRects) {
        for (int i = 0; i < list.Count; ++i)
            r = Union(r, list.Items[i]);
        list.Count = 0;
    }
    list.Items[list.Count++] = r;
}

RECT PixelsTouched(const D2D1_RECT_F &r, const RECT &client) {
    RECT p = ClientFromDesign(r);
    // The conversion counts a pixel in when its corner is; a shape's
    // anti-aliased edge also shades the pixel before the first and the one
    // after the last.
    p.left -= 2;
    p.top -= 2;
    p.right += 1;
    p.bottom += 1;
    return Intersection(p, client);
}

#include "geometry/pixels.h"

#include <cmath>

D2D1_POINT_2F DesignFromClient(int x, int y) {
    const float scale = g_State.WindowScale;
    return {static_cast<float>(x) / scale, static_cast<float>(y) / scale};
}

RECT ClientFromDesign(const D2D1_RECT_F &r) {
    const float scale = g_State.WindowScale;
    return {static_cast<LONG>(std::ceil(r.left * scale)), static_cast<LONG>(std::ceil(r.top * scale)),
            static_cast<LONG>(std::ceil(r.right * scale)), static_cast<LONG>(std::ceil(r.bottom * scale))};
}

D2D1_RECT_F Inflated(const D2D1_RECT_F &r, float by) { return {r.left - by, r.top - by, r.right + by, r.bottom + by}; }

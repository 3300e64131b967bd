#include "geometry/layout.h"

// All arithmetic here is single precision and written in the order the
// rectangles are defined: that order decides the float results, and painting
// and hit testing must agree on them to the last bit.

float ButtonBoost() { return (g_State.ContentBoost - 1.0f) * 0.35f + 1.0f; }

float CanvasHeight() {
    if (g_State.CurrentPage == PageWelcome && g_State.CustomPanelOpen)
        return kCanvasBaseHeight + 150.0f * g_State.ContentBoost;
    return kCanvasBaseHeight;
}

float BottomRowTop() {
    const float b = g_State.ContentBoost;
    return CanvasHeight() - (22.0f * b + 24.0f);
}

float DirRowTop() { return 745.0f + 21.0f * g_State.ContentBoost; }

float OptionRowTop() { return 745.0f + 51.0f * g_State.ContentBoost + 22.0f; }

D2D1_RECT_F DirFieldRect() {
    const float b = g_State.ContentBoost;
    const float d = DirRowTop();
    // Ends 16 units before the change button.
    return {60.0f + 90.0f * b, d, 964.0f - 98.0f * ButtonBoost() - 16.0f, d + 30.0f * b};
}

D2D1_RECT_F DirEditRect() {
    const float b = g_State.ContentBoost;
    const D2D1_RECT_F field = DirFieldRect();
    const float centre = 745.0f + 36.0f * b;
    return {field.left + 12.0f, centre - 10.0f * b, field.right - 12.0f, centre + 10.0f * b};
}

D2D1_RECT_F StatusLineRect() { return {60.0f, 610.0f, 800.0f, 610.0f + 26.0f * g_State.ContentBoost}; }

D2D1_RECT_F ProgressTrackRect() {
    const float b = g_State.ContentBoost;
    // 12 units below the text row, 10 * B high.
    const float y0 = 610.0f + 26.0f * b + 12.0f;
    return {60.0f, y0, 964.0f, y0 + 10.0f * b};
}

namespace {

// Centre of the directory row, 30 * B high from its top.
float DirRowCentre() {
    const float b = g_State.ContentBoost;
    const float d = DirRowTop();
    return (30.0f * b + d + d) * 0.5f;
}

D2D1_RECT_F LicenseLinkRect(float b, float r) {
    const float left = 26.0f * b + 36.0f + g_State.AgreeTextWidth + 2.0f;
    const float toggleLeft = ElementRect(ElemCustomToggle).left;
    // A long caption shortens the link, down to nothing, but never lets it come
    // within 16 * B of the toggle.
    const float room = toggleLeft - 16.0f * b - left;
    const float textWidth = g_State.LicenseTextWidth;
    const float w = room > textWidth ? textWidth : (room > 0.0f ? room : 0.0f);
    return {left, r, left + w, 22.0f * b + r};
}

} // namespace

D2D1_RECT_F ElementRect(int id) {
    const float b = g_State.ContentBoost;
    const float s = ButtonBoost();
    const float t = 28.0f * s;
    switch (id) {
    case ElemMinimize: {
        const float left = 1004.0f - t - 8.0f - t;
        return {left, 14.0f, left + t, t + 14.0f};
    }
    case ElemClose: {
        const float left = 1004.0f - t;
        return {left, 14.0f, left + t, t + 14.0f};
    }
    case ElemInstall:
    case ElemLaunch:
        return {512.0f - 150.0f * s, 608.0f - 28.0f * s, 150.0f * s + 512.0f, 28.0f * s + 608.0f};
    case ElemAgree: {
        const float r = BottomRowTop();
        return {36.0f, (r + 11.0f * b) - 9.0f * b, 18.0f * b + 36.0f, 9.0f * b + (r + 11.0f * b)};
    }
    case ElemLicenseLink:
        return LicenseLinkRect(b, BottomRowTop());
    case ElemCustomToggle: {
        const float r = BottomRowTop();
        return {988.0f - g_State.CustomTextWidth - 18.0f * b, r, 988.0f, 22.0f * b + r};
    }
    case ElemChangeDir: {
        const float dc = DirRowCentre();
        return {964.0f - 98.0f * s, dc - 18.0f * s, 964.0f, 18.0f * s + dc};
    }
    case ElemOptDesktop:
    case ElemOptStartMenu:
    case ElemOptAutoStart: {
        static const float kLeft[3] = {150.0f, 420.0f, 690.0f};
        const float left = kLeft[id - ElemOptDesktop];
        const float o = OptionRowTop();
        return {left, o, left + 16.0f * b, o + 16.0f * b};
    }
    default:
        return {0.0f, 0.0f, 0.0f, 0.0f};
    }
}

bool ElementLive(int id) {
    const LONG page = g_State.CurrentPage;
    switch (id) {
    case ElemMinimize:
    case ElemClose:
        return true;
    case ElemInstall:
    case ElemAgree:
    case ElemLicenseLink:
    case ElemCustomToggle:
        return page == PageWelcome;
    case ElemChangeDir:
    case ElemOptDesktop:
    case ElemOptStartMenu:
    case ElemOptAutoStart:
        return page == PageWelcome && g_State.CustomPanelOpen;
    case ElemLaunch:
        return page == PageFinished;
    default:
        return false;
    }
}

int HitTest(float x, float y) {
    for (int id = ElemMinimize; id <= ElemLaunch; ++id) {
        if (!ElementLive(id))
            continue;
        const D2D1_RECT_F r = ElementRect(id);
        // Written so that a NaN coordinate fails every comparison.
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return id;
    }
    return ElemNone;
}


#include "geometry/layout.h"

// All arithmetic here is single precision and written in the order the
// rectangles are defined: that order decides the float results, and painting
// and hit testing must agree on them to the last bit.
//
// Every rectangle is first laid out left to right. A right-to-left language
// mirrors the canvas: Placed() turns each one around the canvas's vertical
// centre line, and everything else (painting, hit testing, the reading order,
// accessibility, the drag) takes the rectangles from here.

namespace {

// Texts take at most these shares of the bottom row after the agreement box:
// the licence link keeps the rest, shortened with an ellipsis when it must be.
constexpr float kAgreeShare = 0.55f;
constexpr float kToggleShare = 0.3f;
// How far a grown button or label column may reach, in design units.
constexpr float kMaxMainButtonHalf = 360.0f;
constexpr float kMaxChangeButton = 220.0f;
constexpr float kMaxLabelColumn = 260.0f;
// Design units by which a text box may miss its measured text and still hold it.
constexpr float kFitSlack = 0.5f;

D2D1_RECT_F Placed(const D2D1_RECT_F &r) {
    if (!g_State.RightToLeft)
        return r;
    return {kCanvasWidth - r.right, r.top, kCanvasWidth - r.left, r.bottom};
}

float Smaller(float a, float b) { return a < b ? a : b; }

// Left edge of the captions after the agreement box, and the row's right end.
float RowCaptionLeft() { return 36.0f + 26.0f * g_State.ContentBoost; }
constexpr float kRowRight = 988.0f;

float AgreeWidth() { return Smaller(g_State.AgreeTextWidth, (kRowRight - RowCaptionLeft()) * kAgreeShare); }
float ToggleTextWidth() { return Smaller(g_State.CustomTextWidth, (kRowRight - RowCaptionLeft()) * kToggleShare); }

// The main button is 300 * s wide, wider when its caption needs it: the
// caption keeps the pill's round ends (28 * s) clear on both sides.
float MainButtonHalf(float textWidth) {
    const float s = ButtonBoost();
    const float half = 150.0f * s;
    const float need = textWidth * 0.5f + 28.0f * s;
    return need > half ? Smaller(need, kMaxMainButtonHalf) : half;
}

float ChangeButtonWidth() {
    const float s = ButtonBoost();
    const float width = 98.0f * s;
    const float need = g_State.ChangeTextWidth + 24.0f * s;
    return need > width ? Smaller(need, kMaxChangeButton) : width;
}

// The label column before the directory field: 90 * B, wider for a longer label.
float LabelColumn() {
    const float column = 90.0f * g_State.ContentBoost;
    const float need = g_State.LocationTextWidth + 6.0f + 4.0f;
    return need > column ? Smaller(need, kMaxLabelColumn) : column;
}

// Centre of the directory row, 30 * B high from its top.
float DirRowCentre() {
    const float b = g_State.ContentBoost;
    const float d = DirRowTop();
    return (30.0f * b + d + d) * 0.5f;
}

const float kOptionLeft[3] = {150.0f, 420.0f, 690.0f};

D2D1_RECT_F LtrToggle() {
    const float b = g_State.ContentBoost;
    const float r = BottomRowTop();
    return {kRowRight - ToggleTextWidth() - 18.0f * b, r, kRowRight, 22.0f * b + r};
}

D2D1_RECT_F LtrLicenseLink() {
    const float b = g_State.ContentBoost;
    const float r = BottomRowTop();
    const float left = 26.0f * b + 36.0f + AgreeWidth() + 2.0f;
    // A long caption shortens the link, down to nothing, but never lets it come
    // within 16 * B of the toggle.
    const float room = LtrToggle().left - 16.0f * b - left;
    const float textWidth = g_State.LicenseTextWidth;
    const float w = room > textWidth ? textWidth : (room > 0.0f ? room : 0.0f);
    return {left, r, left + w, 22.0f * b + r};
}

D2D1_RECT_F LtrDirField() {
    const float b = g_State.ContentBoost;
    const float d = DirRowTop();
    // Ends 16 units before the change button.
    return {60.0f + LabelColumn(), d, 964.0f - ChangeButtonWidth() - 16.0f, d + 30.0f * b};
}

D2D1_RECT_F LtrStatusLine() { return {60.0f, 610.0f, 800.0f, 610.0f + 26.0f * g_State.ContentBoost}; }

D2D1_RECT_F LtrTrack() {
    const float b = g_State.ContentBoost;
    // 12 units below the text row, 10 * B high.
    const float y0 = 610.0f + 26.0f * b + 12.0f;
    return {60.0f, y0, 964.0f, y0 + 10.0f * b};
}

D2D1_RECT_F LtrElement(int id) {
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
    case ElemLaunch: {
        const float half = MainButtonHalf(id == ElemInstall ? g_State.InstallTextWidth : g_State.LaunchTextWidth);
        return {512.0f - half, 608.0f - 28.0f * s, half + 512.0f, 28.0f * s + 608.0f};
    }
    case ElemAgree: {
        const float r = BottomRowTop();
        return {36.0f, (r + 11.0f * b) - 9.0f * b, 18.0f * b + 36.0f, 9.0f * b + (r + 11.0f * b)};
    }
    case ElemLicenseLink:
        return LtrLicenseLink();
    case ElemCustomToggle:
        return LtrToggle();
    case ElemChangeDir: {
        const float dc = DirRowCentre();
        return {964.0f - ChangeButtonWidth(), dc - 18.0f * s, 964.0f, 18.0f * s + dc};
    }
    case ElemOptDesktop:
    case ElemOptStartMenu:
    case ElemOptAutoStart: {
        const float left = kOptionLeft[id - ElemOptDesktop];
        const float o = OptionRowTop();
        return {left, o, left + 16.0f * b, o + 16.0f * b};
    }
    default:
        return {0.0f, 0.0f, 0.0f, 0.0f};
    }
}

} // namespace

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

D2D1_RECT_F HighContrastHeroRect() {
    const float top = ElementRect(ElemClose).bottom + 10.0f;
    // The installing page's hero ends above the status row at 597 units.
    const float bottom = g_State.CurrentPage == PageInstalling ? 589.0f : ElementRect(ElemInstall).top - 16.0f;
    return {60.0f, top, 964.0f, bottom};
}

D2D1_RECT_F DirFieldRect() { return Placed(LtrDirField()); }

D2D1_RECT_F DirEditRect() {
    const float b = g_State.ContentBoost;
    const D2D1_RECT_F field = LtrDirField();
    const float centre = 745.0f + 36.0f * b;
    return Placed({field.left + 12.0f, centre - 10.0f * b, field.right - 12.0f, centre + 10.0f * b});
}

D2D1_RECT_F StatusLineRect() { return Placed(LtrStatusLine()); }

D2D1_RECT_F ProgressTrackRect() { return Placed(LtrTrack()); }

D2D1_RECT_F ElementRect(int id) { return Placed(LtrElement(id)); }

// --- Where captions and parts without an element of their own are drawn ---

D2D1_RECT_F AgreeCaptionRect() {
    const float b = g_State.ContentBoost;
    const float r = BottomRowTop();
    const float left = RowCaptionLeft();
    return Placed({left, r, left + AgreeWidth() + 4.0f, r + 22.0f * b});
}

D2D1_RECT_F ToggleCaptionRect() {
    const float b = g_State.ContentBoost;
    const float r = BottomRowTop();
    return Placed({kRowRight - ToggleTextWidth() - 18.0f * b, r, kRowRight - 16.0f * b, r + 22.0f * b});
}

D2D1_RECT_F LicenseCaptionRect() {
    const D2D1_RECT_F link = LtrLicenseLink();
    D2D1_RECT_F box = link;
    // A box as wide as the caption comes out a hair narrower (left + width
    // loses bits in float), which would let the trimming cut a caption that
    // fits. Only a box really narrowed for the toggle may trim.
    if (box.right > box.left && box.right - box.left > g_State.LicenseTextWidth - kFitSlack)
        box.right = box.left + g_State.LicenseTextWidth + kFitSlack;
    return Placed(box);
}

D2D1_POINT_2F ChevronCentre() {
    const float b = g_State.ContentBoost;
    const float r = BottomRowTop();
    const float x = kRowRight - 8.0f * b;
    return {g_State.RightToLeft ? kCanvasWidth - x : x, (r + (r + 22.0f * b)) * 0.5f + b};
}

D2D1_RECT_F LocationLabelRect() {
    const float b = g_State.ContentBoost;
    const float d = DirRowTop();
    return Placed({60.0f, d, 60.0f + LabelColumn() - 6.0f, d + 30.0f * b});
}

D2D1_RECT_F OptionCaptionRect(int id) {
    const float b = g_State.ContentBoost;
    const int i = id - ElemOptDesktop;
    const D2D1_RECT_F box = LtrElement(id);
    const float m = (box.top + box.bottom) * 0.5f;
    // Up to the next box, or to the end of the directory row after the last one.
    const float end = i < 2 ? kOptionLeft[i + 1] - 12.0f * b : 964.0f;
    return Placed({box.right + 11.0f * b, m - 11.0f * b, end, m + 11.0f * b});
}

D2D1_RECT_F StatusTextRect(float textWidth) {
    const D2D1_RECT_F status = LtrStatusLine();
    // A long status runs on past its box, under the percentage, to the canvas's edge.
    const float right = status.left + textWidth < kCanvasWidth ? status.left + textWidth : kCanvasWidth;
    return Placed({status.left, status.top, right, status.bottom});
}

D2D1_RECT_F PercentRect() {
    const D2D1_RECT_F status = LtrStatusLine();
    const D2D1_RECT_F track = LtrTrack();
    // In the status row, ending where the track ends.
    return Placed({status.right, status.top, track.right, status.bottom});
}

D2D1_RECT_F ProgressFillRect(float fraction) {
    const D2D1_RECT_F track = LtrTrack();
    const float w = fraction * (track.right - track.left);
    return Placed({track.left, track.top, track.left + w, track.bottom});
}

float LeadingEdge(const D2D1_RECT_F &r) { return g_State.RightToLeft ? r.right : r.left; }
float TrailingEdge(const D2D1_RECT_F &r) { return g_State.RightToLeft ? r.left : r.right; }

// --- Liveness and hit testing ---

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

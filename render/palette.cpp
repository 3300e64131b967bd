#include "render/palette.h"

#include "render/resources.h"

namespace {

// A hover under high contrast shows from this level on, as a change of system colour.
constexpr float kHoverStep = 0.5f;

RgbColor SystemColor(int index) { return RgbFromColorRef(GetSysColor(index)); }

} // namespace

void ChoosePalette() {
    EngineState &s = g_State;
    const bool system = s.HighContrast;
    // Each row: the design's colour, then the system colour that takes its place.
    auto pick = [system](RgbColor design, int index) { return system ? SystemColor(index) : design; };
    Palette &p = s.Colors;
    p.Background = pick(kColorWhite, COLOR_WINDOW);
    p.Text = pick(kColorText, COLOR_WINDOWTEXT);
    p.Secondary = pick(kColorSecondary, COLOR_WINDOWTEXT);
    p.BoxFill = pick(kColorWhite, COLOR_WINDOW);
    p.BoxBorder = pick(kColorBoxBorder, COLOR_WINDOWTEXT);
    p.Accent = pick(s.BrandColor1, COLOR_HIGHLIGHT);
    p.AccentText = pick(kColorWhite, COLOR_HIGHLIGHTTEXT);
    p.Link = pick(s.BrandColor1, COLOR_HOTLIGHT);
    p.Disabled = pick(kColorInstallDisabled, COLOR_WINDOW);
    p.DisabledText = pick(kColorWhite, COLOR_GRAYTEXT);
    p.DirBox = pick(kColorDirBox, COLOR_WINDOW);
    p.DirText = pick(kColorText, COLOR_WINDOWTEXT);
    p.Track = pick(kColorTrack, COLOR_WINDOW);
    p.CloseHover = pick(kColorCloseHover, COLOR_HIGHLIGHT);
}

COLORREF ColorRefFrom(RgbColor color) { return RGB((color >> 16) & 255, (color >> 8) & 255, color & 255); }

RgbColor RgbFromColorRef(COLORREF color) {
    return (static_cast<RgbColor>(GetRValue(color)) << 16) | (static_cast<RgbColor>(GetGValue(color)) << 8) |
           GetBValue(color);
}

float HoverShown(float level) {
    if (g_State.HighContrast)
        return level >= kHoverStep ? 1.0f : 0.0f;
    return level;
}

RgbColor HoverColor(RgbColor rest, RgbColor lit, float level) { return MixColor(rest, lit, HoverShown(level)); }

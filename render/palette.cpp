#include "render/palette.h"

#include "render/resources.h"

#include <cmath>

namespace {

// A hover under high contrast shows from this level on, as a change of system colour.
constexpr float kHoverStep = 0.5f;

RgbColor SystemColor(int index) { return RgbFromColorRef(GetSysColor(index)); }

float Linear(RgbColor color, int shift) {
    const float c = static_cast<float>((color >> shift) & 255) / 255.0f;
    return c <= 0.03928f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

float Luminance(RgbColor color) {
    return 0.2126f * Linear(color, 16) + 0.7152f * Linear(color, 8) + 0.0722f * Linear(color, 0);
}

// The brand colour as text on the dark grounds: lightened towards white in
// small steps until it reads at kTextContrast on both, so that a dark brand
// colour still makes a readable link.
RgbColor ReadableOnDark(RgbColor brand) {
    for (int step = 0; step <= 20; ++step) {
        const RgbColor ink = MixColor(brand, kColorWhite, static_cast<float>(step) * 0.05f);
        if (ContrastRatio(ink, kDarkBackground) >= kTextContrast && ContrastRatio(ink, DarkVeilOverWhite()) >= kTextContrast)
            return ink;
    }
    return kColorWhite;
}

void ChooseDarkPalette(Palette &p, RgbColor brand) {
    p.Background = kDarkBackground;
    p.Text = kDarkText;
    p.Secondary = kDarkSecondary;
    p.BoxFill = kDarkBoxFill;
    p.BoxBorder = kDarkBoxBorder;
    p.Accent = brand;
    p.AccentText = kColorWhite;
    p.Link = ReadableOnDark(brand);
    p.AccentInk = p.Link;
    p.ChangeHover = kDarkChangeHover;
    p.Shade = kColorWhite;
    p.Veil = kDarkBackground;
    p.Disabled = kDarkDisabled;
    p.DisabledText = kDarkDisabledText;
    p.DirBox = kDarkField;
    p.DirText = kDarkText;
    p.Track = kDarkTrack;
    p.CloseHover = kColorCloseHover;
}

} // namespace

void ChoosePalette() {
    EngineState &s = g_State;
    Palette &p = s.Colors;
    if (s.DarkMode && !s.HighContrast) {
        ChooseDarkPalette(p, s.BrandColor1);
        return;
    }
    const bool system = s.HighContrast;
    // Each row: the design's colour, then the system colour that takes its place.
    auto pick = [system](RgbColor design, int index) { return system ? SystemColor(index) : design; };
    p.Background = pick(kColorWhite, COLOR_WINDOW);
    p.Text = pick(kColorText, COLOR_WINDOWTEXT);
    p.Secondary = pick(kColorSecondary, COLOR_WINDOWTEXT);
    p.BoxFill = pick(kColorWhite, COLOR_WINDOW);
    p.BoxBorder = pick(kColorBoxBorder, COLOR_WINDOWTEXT);
    p.Accent = pick(s.BrandColor1, COLOR_HIGHLIGHT);
    p.AccentText = pick(kColorWhite, COLOR_HIGHLIGHTTEXT);
    p.Link = pick(s.BrandColor1, COLOR_HOTLIGHT);
    p.AccentInk = p.Accent;
    p.ChangeHover = kColorChangeHover;
    p.Shade = kColorBlack;
    p.Veil = p.Background; // never drawn: no veils in the light palette or under high contrast
    p.Disabled = pick(kColorInstallDisabled, COLOR_WINDOW);
    p.DisabledText = pick(kColorWhite, COLOR_GRAYTEXT);
    p.DirBox = pick(kColorDirBox, COLOR_WINDOW);
    p.DirText = pick(kColorText, COLOR_WINDOWTEXT);
    p.Track = pick(kColorTrack, COLOR_WINDOW);
    p.CloseHover = pick(kColorCloseHover, COLOR_HIGHLIGHT);
}

float ContrastRatio(RgbColor a, RgbColor b) {
    const float la = Luminance(a);
    const float lb = Luminance(b);
    return la > lb ? (la + 0.05f) / (lb + 0.05f) : (lb + 0.05f) / (la + 0.05f);
}

RgbColor DarkVeilOverWhite() { return MixColor(kColorWhite, kDarkBackground, kDarkVeilOpacity); }

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

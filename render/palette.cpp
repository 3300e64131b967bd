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

// Marks a colour that high contrast never shows.
constexpr int kNoSystemColor = -1;

// Each row: the light palette's colour, the dark palette's, and the system
// colour that takes their place under high contrast.
const struct PaletteRow {
    RgbColor Palette::*Member;
    RgbColor Light;
    RgbColor Dark;
    int System;
} kPaletteRows[] = {
    {&Palette::Background, kColorWhite, kDarkBackground, COLOR_WINDOW},
    {&Palette::Text, kColorText, kDarkText, COLOR_WINDOWTEXT},
    {&Palette::Secondary, kColorSecondary, kDarkSecondary, COLOR_WINDOWTEXT},
    {&Palette::BoxFill, kColorWhite, kDarkBoxFill, COLOR_WINDOW},
    {&Palette::BoxBorder, kColorBoxBorder, kDarkBoxBorder, COLOR_WINDOWTEXT},
    {&Palette::AccentText, kColorWhite, kColorWhite, COLOR_HIGHLIGHTTEXT},
    {&Palette::ChangeHover, kColorChangeHover, kDarkChangeHover, kNoSystemColor},
    {&Palette::Shade, kColorBlack, kColorWhite, kNoSystemColor},
    {&Palette::Veil, kColorWhite, kDarkBackground, kNoSystemColor},
    {&Palette::Disabled, kColorInstallDisabled, kDarkDisabled, COLOR_WINDOW},
    {&Palette::DisabledText, kColorWhite, kDarkDisabledText, COLOR_GRAYTEXT},
    {&Palette::DirBox, kColorDirBox, kDarkField, COLOR_WINDOW},
    {&Palette::DirText, kColorText, kDarkText, COLOR_WINDOWTEXT},
    {&Palette::Track, kColorTrack, kDarkTrack, COLOR_WINDOW},
    {&Palette::CloseHover, kColorCloseHover, kColorCloseHover, COLOR_HIGHLIGHT},
};

} // namespace

void ChoosePalette() {
    EngineState &s = g_State;
    Palette &p = s.Colors;
    const bool system = s.HighContrast;
    const bool dark = s.DarkMode && !system;
    for (const PaletteRow &row : kPaletteRows) {
        if (system && row.System != kNoSystemColor)
            p.*row.Member = SystemColor(row.System);
        else
            p.*row.Member = dark ? row.Dark : row.Light;
    }
    // The brand colours stay the host's; as text on the dark grounds the
    // brand colour is lightened until it reads.
    const RgbColor brand = s.BrandColor1;
    p.Accent = system ? SystemColor(COLOR_HIGHLIGHT) : brand;
    p.Link = system ? SystemColor(COLOR_HOTLIGHT) : dark ? ReadableOnDark(brand) : brand;
    p.AccentInk = dark ? p.Link : p.Accent;
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

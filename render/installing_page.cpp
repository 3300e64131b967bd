#include "render/installing_page.h"

#include "render/palette.h"
#include "render/resources.h"

namespace {

constexpr float kTrackLeft = 60.0f;
constexpr float kTrackRight = 964.0f;
constexpr float kTrackLength = kTrackRight - kTrackLeft; // 904
constexpr float kTextTop = 610.0f;

} // namespace

int ProgressPercent(float progressShown) { return static_cast<int>(progressShown / 10.0f + 0.5f); }

void DrawInstallingPage() {
    EngineState &s = g_State;
    const float b = s.ContentBoost;
    const float textBottom = kTextTop + 26.0f * b;

    const Palette &p = s.Colors;
    if (!s.StatusText.empty())
        DrawLabel(s.StatusText.c_str(), s.CaptionFormat, p.Secondary,
                  D2D1::RectF(kTrackLeft, kTextTop, 800.0f, textBottom), 1.0f);

    wchar_t percent[16];
    wsprintfW(percent, L"%d%%", ProgressPercent(s.ProgressShown));
    DrawLabel(percent, s.PercentFormat, p.Secondary, D2D1::RectF(800.0f, kTextTop, kTrackRight, textBottom), 1.0f);

    const float y0 = textBottom + 12.0f;
    const float radius = 5.0f * b;
    const D2D1_ROUNDED_RECT track =
        D2D1::RoundedRect(D2D1::RectF(kTrackLeft, y0, kTrackRight, y0 + 10.0f * b), radius, radius);
    SetBrush(p.Track, 1.0f);
    s.RenderTarget->FillRoundedRectangle(track, s.Brush);
    // Under high contrast the track has the page's colour: its outline shows where it is.
    if (s.HighContrast) {
        SetBrush(p.Text, 1.0f);
        s.RenderTarget->DrawRoundedRectangle(track, s.Brush, 2.0f * b);
    }

    // Drawn only once it is longer than the bar is high, so both round ends fit.
    const float w = (s.ProgressShown / 1000.0f) * kTrackLength;
    if (w > 10.0f * b) {
        ID2D1Brush *fill = s.Brush;
        if (s.HighContrast) {
            SetBrush(p.Accent, 1.0f);
        } else {
            // The gradient spans the whole track: brand colour 2 shows only near 100 %.
            s.BrandGradient->SetStartPoint(D2D1::Point2F(kTrackLeft, 0.0f));
            s.BrandGradient->SetEndPoint(D2D1::Point2F(kTrackRight, 0.0f));
            fill = s.BrandGradient;
        }
        s.RenderTarget->FillRoundedRectangle(
            D2D1::RoundedRect(D2D1::RectF(kTrackLeft, y0, kTrackLeft + w, y0 + 10.0f * b), radius, radius), fill);
    }
}

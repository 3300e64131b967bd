#include "render/installing_page.h"

#include "geometry/reaches.h"
#include "render/palette.h"
#include "render/resources.h"
#include "geometry/layout.h"

int ProgressPercent(float progressShown) { return static_cast<int>(progressShown / 10.0f + 0.5f); }

void DrawInstallingStill(ID2D1RenderTarget *target) {
    EngineState &s = g_State;
    const Palette &p = s.Colors;
    const float b = s.ContentBoost;
    const float radius = 5.0f * b;
    const D2D1_RECT_F track = ProgressTrackRect();
    SetBrush(p.Track, 1.0f);
    target->FillRoundedRectangle(D2D1::RoundedRect(track, radius, radius), s.Brush);
    // Under high contrast the track has the page's colour: its outline shows where it is.
    if (s.HighContrast)
        OutlineRounded(target, track, radius, p.Text, 2.0f * b);
}

void DrawInstallingMoving(ID2D1RenderTarget *target, const D2D1_RECT_F &within) {
    EngineState &s = g_State;
    const Palette &p = s.Colors;
    const float b = s.ContentBoost;
    const D2D1_RECT_F status = StatusLineRect();
    const D2D1_RECT_F track = ProgressTrackRect();
    D2D1_RECT_F reaches[2];
    ProgressReaches(reaches);

    // Drawn first: a long status runs on under the percentage.
    if (!s.StatusText.empty() && Meets(StatusReach(s.StatusTextWidth), within))
        DrawLabel(target, s.StatusText.c_str(), s.CaptionFormat, p.Secondary, status, 1.0f);

    // The percentage shares the status row, right-aligned at the track's end.
    if (Meets(reaches[0], within)) {
        wchar_t percent[16];
        wsprintfW(percent, L"%d%%", ProgressPercent(s.ProgressShown));
        DrawLabel(target, percent, s.PercentFormat, p.Secondary,
                  D2D1::RectF(status.right, status.top, track.right, status.bottom), 1.0f);
    }
    if (!Meets(reaches[1], within))
        return;

    // Drawn over the track, only once it is longer than the bar is high, so both round ends fit.
    const float radius = 5.0f * b;
    const float w = (s.ProgressShown / 1000.0f) * (track.right - track.left);
    if (w > 10.0f * b) {
        ID2D1Brush *fill = s.Brush;
        if (s.HighContrast) {
            SetBrush(p.Accent, 1.0f);
        } else {
            // The gradient spans the whole track: brand colour 2 shows only near 100 %.
            s.BrandGradient->SetStartPoint(D2D1::Point2F(track.left, 0.0f));
            s.BrandGradient->SetEndPoint(D2D1::Point2F(track.right, 0.0f));
            fill = s.BrandGradient;
        }
        target->FillRoundedRectangle(
            D2D1::RoundedRect(D2D1::RectF(track.left, track.top, track.left + w, track.bottom), radius, radius), fill);
    }
}

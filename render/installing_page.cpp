#include "render/installing_page.h"

#include "geometry/captions.h"
#include "geometry/layout.h"
#include "geometry/reaches.h"
#include "render/palette.h"
#include "render/resources.h"

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
    D2D1_RECT_F reaches[2];
    ProgressReaches(reaches);

    // Drawn first: a long status runs on under the percentage, to the canvas's edge.
    if (!s.StatusText.empty() && Meets(StatusReach(s.StatusTextWidth), within))
        DrawLabel(target, s.StatusText.c_str(), s.CaptionFormat, p.Secondary, StatusTextRect(kCanvasWidth), 1.0f);

    // The percentage shares the status row, aligned with the track's end.
    if (Meets(reaches[0], within))
        DrawLabel(target, PercentText(ProgressPercent(s.ProgressShown)).c_str(), s.PercentFormat, p.Secondary,
                  PercentRect(), 1.0f);
    if (!Meets(reaches[1], within))
        return;

    // Drawn over the track, only once it is longer than the bar is high, so both round ends fit.
    const float radius = 5.0f * b;
    const D2D1_RECT_F track = ProgressTrackRect();
    const float w = (s.ProgressShown / 1000.0f) * (track.right - track.left);
    if (w > 10.0f * b) {
        ID2D1Brush *brush = s.Brush;
        if (s.HighContrast) {
            SetBrush(p.Accent, 1.0f);
        } else {
            // The gradient spans the whole track: brand colour 2 shows only near 100 %.
            s.BrandGradient->SetStartPoint(D2D1::Point2F(LeadingEdge(track), 0.0f));
            s.BrandGradient->SetEndPoint(D2D1::Point2F(TrailingEdge(track), 0.0f));
            brush = s.BrandGradient;
        }
        const D2D1_RECT_F fill = ProgressFillRect(s.ProgressShown / 1000.0f);
        target->FillRoundedRectangle(D2D1::RoundedRect(fill, radius, radius), brush);
    }
}

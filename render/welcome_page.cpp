#include "render/welcome_page.h"

#include "geometry/captions.h"
#include "geometry/layout.h"
#include "geometry/reaches.h"
#include "render/palette.h"
#include "render/resources.h"

namespace {

constexpr float kHoverVisible = 0.01f;

const struct PanelOption {
    int Element;
    int Option;
    int Caption;
} kPanelOptions[3] = {
    {ElemOptDesktop, OptionDesktopShortcut, TextDesktopShortcut},
    {ElemOptStartMenu, OptionStartMenu, TextStartMenu},
    {ElemOptAutoStart, OptionAutoStart, TextAutoStart},
};

void FillRounded(ID2D1RenderTarget *target, const D2D1_RECT_F &r, float radius, ID2D1Brush *brush) {
    target->FillRoundedRectangle(D2D1::RoundedRect(r, radius, radius), brush);
}

void DrawChevron(ID2D1RenderTarget *target, RgbColor color, float b) {
    EngineState &s = g_State;
    const D2D1_POINT_2F centre = ChevronCentre();
    const float cx = centre.x;
    const float cy = centre.y;
    // Points down while the panel is closed, up while it is open.
    const float d = s.CustomPanelOpen ? -1.0f : 1.0f;
    const D2D1_POINT_2F left = D2D1::Point2F(cx - 4.6f * b, cy - 2.1f * b * d);
    const D2D1_POINT_2F tip = D2D1::Point2F(cx, cy + 2.3f * b * d);
    const D2D1_POINT_2F right = D2D1::Point2F(cx + 4.6f * b, cy - 2.1f * b * d);
    SetBrush(color, 1.0f);
    target->DrawLine(left, tip, s.Brush, 1.7f * b, s.StrokeStyle);
    target->DrawLine(tip, right, s.Brush, 1.7f * b, s.StrokeStyle);
}

void DrawCustomPanelStill(ID2D1RenderTarget *target, float b) {
    EngineState &s = g_State;
    const Palette &p = s.Colors;
    DrawLabel(target, Caption(TextInstallLocation), s.LabelFormat, p.Secondary, LocationLabelRect(), 1.0f);

    // The EDIT box sits inside this field and paints the same colour; under high
    // contrast that is the page's colour, so an outline marks the field.
    const D2D1_RECT_F field = DirFieldRect();
    SetBrush(p.DirBox, 1.0f);
    FillRounded(target, field, 6.0f * b, s.Brush);
    if (s.HighContrast)
        OutlineRounded(target, field, 6.0f * b, p.Text, b);

    for (const PanelOption &option : kPanelOptions)
        DrawLabel(target, Caption(option.Caption), s.LabelFormat, p.Text, OptionCaptionRect(option.Element), 1.0f);
}

void DrawChangeButton(ID2D1RenderTarget *target, float b) {
    EngineState &s = g_State;
    const Palette &p = s.Colors;
    const D2D1_RECT_F change = ElementRect(ElemChangeDir);
    const float v = s.HoverLevel[ElemChangeDir];
    if (s.HighContrast) {
        // A solid system-coloured button; hovered, its outline turns to the text colour.
        SetBrush(p.Accent, 1.0f);
        FillRounded(target, change, 6.0f * b, s.Brush);
        OutlineRounded(target, change, 6.0f * b, HoverColor(p.Accent, p.Text, v), 2.0f * b);
        DrawLabel(target, Caption(TextChangeDir), s.SmallButtonFormat, p.AccentText, change, 1.0f);
    } else {
        if (v > kHoverVisible) {
            SetBrush(p.ChangeHover, v);
            FillRounded(target, change, 6.0f * b, s.Brush);
        }
        OutlineRounded(target, change, 6.0f * b, p.Accent, b);
        DrawLabel(target, Caption(TextChangeDir), s.SmallButtonFormat, p.AccentInk, change, 1.0f);
    }
}

} // namespace

void DrawPillButton(ID2D1RenderTarget *target, int id, const wchar_t *caption) {
    EngineState &s = g_State;
    const Palette &p = s.Colors;
    const D2D1_RECT_F r = ElementRect(id);
    const float radius = (r.bottom - r.top) * 0.5f;
    if (id == ElemInstall && s.Options[OptionAgree - 1] == 0) {
        // Disabled until the agreement is ticked: flat, no hover, no press.
        SetBrush(p.Disabled, 1.0f);
        FillRounded(target, r, radius, s.Brush);
        if (s.HighContrast)
            OutlineRounded(target, r, radius, p.DisabledText, 2.0f);
        DrawLabel(target, caption, s.ButtonFormat, p.DisabledText, r, 1.0f);
        return;
    }
    if (s.HighContrast) {
        // No gradient and no veils: a solid button whose outline shows the hover.
        SetBrush(p.Accent, 1.0f);
        FillRounded(target, r, radius, s.Brush);
        OutlineRounded(target, r, radius, HoverColor(p.Accent, p.Text, s.HoverLevel[id]), 2.0f);
    } else {
        s.BrandGradient->SetStartPoint(D2D1::Point2F(LeadingEdge(r), 0.0f));
        s.BrandGradient->SetEndPoint(D2D1::Point2F(TrailingEdge(r), 0.0f));
        FillRounded(target, r, radius, s.BrandGradient);
        const float v = s.HoverLevel[id];
        if (v > kHoverVisible) {
            SetBrush(kColorWhite, 0.13f * v);
            FillRounded(target, r, radius, s.Brush);
        }
        if (s.PressedElement == id && s.HoverElement == id) {
            SetBrush(kColorBlack, 0.1f);
            FillRounded(target, r, radius, s.Brush);
        }
    }
    DrawLabel(target, caption, s.ButtonFormat, p.AccentText, r, 1.0f);
}

void DrawCheckBox(ID2D1RenderTarget *target, int id, bool checked) {
    EngineState &s = g_State;
    const Palette &p = s.Colors;
    const D2D1_RECT_F r = ElementRect(id);
    // Drawn on a grid of sixteenths of the box, so every detail scales with it.
    const float u = (r.right - r.left) * 0.0625f;
    const D2D1_ROUNDED_RECT box = D2D1::RoundedRect(r, 3.5f * u, 3.5f * u);
    if (checked) {
        SetBrush(p.Accent, 1.0f);
        target->FillRoundedRectangle(box, s.Brush);
        SetBrush(p.AccentText, 1.0f);
        const D2D1_POINT_2F a = D2D1::Point2F(r.left + 3.6f * u, r.top + 8.4f * u);
        const D2D1_POINT_2F m = D2D1::Point2F(r.left + 6.8f * u, r.top + 11.4f * u);
        const D2D1_POINT_2F e = D2D1::Point2F(r.left + 12.5f * u, r.top + 4.8f * u);
        target->DrawLine(a, m, s.Brush, 1.8f * u, s.StrokeStyle);
        target->DrawLine(m, e, s.Brush, 1.8f * u, s.StrokeStyle);
        return;
    }
    SetBrush(p.BoxFill, 1.0f);
    target->FillRoundedRectangle(box, s.Brush);
    SetBrush(HoverColor(p.BoxBorder, p.Accent, s.HoverLevel[id]), 1.0f);
    target->DrawRoundedRectangle(box, s.Brush, 1.2f * u);
}

void DrawWelcomeStill(ID2D1RenderTarget *target) {
    EngineState &s = g_State;
    const Palette &p = s.Colors;
    DrawLabel(target, Caption(TextAgree), s.CaptionFormat, p.Text, AgreeCaptionRect(), 1.0f);
    // The link's box may be narrower than its text: the format's trimming ends it with an ellipsis.
    const D2D1_RECT_F link = LicenseCaptionRect();
    if (link.right > link.left)
        DrawLabel(target, LicenseCaption(), s.LinkFormat, p.Link, link, 1.0f);
    if (s.CustomPanelOpen)
        DrawCustomPanelStill(target, s.ContentBoost);
}

void DrawWelcomeMoving(ID2D1RenderTarget *target, const D2D1_RECT_F &within) {
    EngineState &s = g_State;
    const Palette &p = s.Colors;
    const float b = s.ContentBoost;
    const auto drawn = [&within](int id) { return Meets(HoverReach(id), within); };

    if (drawn(ElemInstall))
        DrawPillButton(target, ElemInstall, Caption(TextQuickInstall));
    if (drawn(ElemAgree))
        DrawCheckBox(target, ElemAgree, s.Options[OptionAgree - 1] != 0);

    const D2D1_RECT_F link = ElementRect(ElemLicenseLink);
    const float underline = s.HoverLevel[ElemLicenseLink];
    if (underline > kHoverVisible && link.right > link.left && drawn(ElemLicenseLink)) {
        SetBrush(p.Link, HoverShown(underline));
        target->DrawLine(D2D1::Point2F(link.left + 2.0f, link.bottom - 1.0f),
                         D2D1::Point2F(link.right - 2.0f, link.bottom - 1.0f), s.Brush, 1.0f);
    }

    if (drawn(ElemCustomToggle)) {
        const RgbColor toggle = HoverColor(p.Secondary, p.AccentInk, s.HoverLevel[ElemCustomToggle]);
        DrawLabel(target, Caption(TextCustomInstall), s.CaptionFormat, toggle, ToggleCaptionRect(), 1.0f);
        DrawChevron(target, toggle, b);
    }

    if (!s.CustomPanelOpen)
        return;
    if (drawn(ElemChangeDir))
        DrawChangeButton(target, b);
    for (const PanelOption &option : kPanelOptions) {
        if (drawn(option.Element))
            DrawCheckBox(target, option.Element, s.Options[option.Option - 1] != 0);
    }
}

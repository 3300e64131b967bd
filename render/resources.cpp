#include "render/resources.h"

#include "geometry/captions.h"
#include "geometry/languages.h"
#include "render/carousel.h"
#include "render/render_target.h"
#include "state/seams.h"

#include <cmath>

namespace {

// CLSID_WICImagingFactory1: the factory every system since Windows 7 has.
const CLSID kClsidWicImagingFactory1 = {0xCACAF262, 0x9370, 0x4615, {0xA1, 0x3B, 0x9F, 0x55, 0x39, 0xDA, 0x4C, 0x0A}};


struct FormatSpec {
    IDWriteTextFormat *EngineState::*Member;
    DWRITE_FONT_WEIGHT Weight;
    float Size; // design units, before ContentBoost
    DWRITE_TEXT_ALIGNMENT Alignment;
};

const FormatSpec kFormats[6] = {
    {&EngineState::ButtonFormat, DWRITE_FONT_WEIGHT_SEMI_BOLD, 20.0f, DWRITE_TEXT_ALIGNMENT_CENTER},
    {&EngineState::SmallButtonFormat, DWRITE_FONT_WEIGHT_NORMAL, 14.0f, DWRITE_TEXT_ALIGNMENT_CENTER},
    {&EngineState::CaptionFormat, DWRITE_FONT_WEIGHT_NORMAL, 15.0f, DWRITE_TEXT_ALIGNMENT_LEADING},
    {&EngineState::LinkFormat, DWRITE_FONT_WEIGHT_NORMAL, 15.0f, DWRITE_TEXT_ALIGNMENT_LEADING},
    {&EngineState::LabelFormat, DWRITE_FONT_WEIGHT_NORMAL, 14.0f, DWRITE_TEXT_ALIGNMENT_LEADING},
    {&EngineState::PercentFormat, DWRITE_FONT_WEIGHT_NORMAL, 15.0f, DWRITE_TEXT_ALIGNMENT_TRAILING},
};


void ReleaseTextFormats() {
    for (const FormatSpec &spec : kFormats)
        ReleaseAndNull(g_State.*spec.Member);
}

} // namespace

// --- Device-independent resources ---

HRESULT NewWicFactory(IWICImagingFactory **factory) {
#ifdef KSUI_TESTING
    if (FAILED(TestSeams::WicCreateResult))
        return TestSeams::WicCreateResult;
#endif
    return CoCreateInstance(kClsidWicImagingFactory1, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                            reinterpret_cast<void **>(factory));
}

bool CreateDeviceIndependentResources() {
    EngineState &s = g_State;
    HRESULT hr = D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr,
                                   reinterpret_cast<void **>(&s.D2DFactory));
    if (FAILED(hr)) {
        s.D2DFactory = nullptr;
        RecordStageError(L"D2D1CreateFactory", hr);
        return false;
    }
    MarkStage("Direct2D factory");
    hr = DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                             reinterpret_cast<IUnknown **>(&s.DWriteFactory));
    if (FAILED(hr)) {
        s.DWriteFactory = nullptr;
        RecordStageError(L"DWriteCreateFactory", hr);
        return false;
    }
    MarkStage("DirectWrite factory");
    hr = NewWicFactory(&s.WicFactory);
    if (FAILED(hr)) {
        // Without it the carousel shows no pictures; everything else works.
        s.WicFactory = nullptr;
        RecordStageError(L"WICImagingFactory(已降级，跳过轮播图)", hr);
    }
    MarkStage("imaging factory");
    const D2D1_STROKE_STYLE_PROPERTIES stroke = D2D1::StrokeStyleProperties(
        D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND, D2D1_LINE_JOIN_ROUND, 10.0f,
        D2D1_DASH_STYLE_SOLID, 0.0f);
    // A missing stroke style only gives lines Direct2D's default flat caps.
    if (FAILED(s.D2DFactory->CreateStrokeStyle(stroke, nullptr, 0, &s.StrokeStyle)))
        s.StrokeStyle = nullptr;
    if (!BuildTextFormats()) {
        RecordStageError(L"CreateTextFormats", E_FAIL);
        return false;
    }
    return true;
}

void ReleaseDeviceIndependentResources() {
    ReleaseTextFormats();
    ReleaseAndNull(g_State.StrokeStyle);
    ReleaseAndNull(g_State.WicFactory);
    ReleaseAndNull(g_State.DWriteFactory);
    ReleaseAndNull(g_State.D2DFactory);
}

bool BuildTextFormats() {
    EngineState &s = g_State;
    ReleaseTextFormats();
    if (!s.DWriteFactory)
        return false;
    const float boost = s.ContentBoost;
    const wchar_t *family = Caption(TextFontFamily);
    const wchar_t *locale = kBuiltInLanguages[s.Language].Locale;
    bool complete = true;
    for (const FormatSpec &spec : kFormats) {
        IDWriteTextFormat *format = nullptr;
        if (FAILED(s.DWriteFactory->CreateTextFormat(family, nullptr, spec.Weight, DWRITE_FONT_STYLE_NORMAL,
                                                      DWRITE_FONT_STRETCH_NORMAL, spec.Size * boost, locale,
                                                      &format))) {
            complete = false;
            continue;
        }
        format->SetTextAlignment(spec.Alignment);
        format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
        format->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
        // Leading and trailing swap sides with the reading order.
        format->SetReadingDirection(s.RightToLeft ? DWRITE_READING_DIRECTION_RIGHT_TO_LEFT
                                                  : DWRITE_READING_DIRECTION_LEFT_TO_RIGHT);
        // A text longer than its box ends in an ellipsis, never cut mid-glyph.
        IDWriteInlineObject *ellipsis = nullptr;
        if (SUCCEEDED(s.DWriteFactory->CreateEllipsisTrimmingSign(format, &ellipsis)) && ellipsis) {
            const DWRITE_TRIMMING trimming = {DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
            format->SetTrimming(&trimming, ellipsis);
            ellipsis->Release();
        }
        s.*spec.Member = format;
    }
    if (!complete)
        return false;
    MarkStage("text formats");
    s.AgreeTextWidth = MeasureTextWidth(Caption(TextAgree), s.CaptionFormat);
    s.LicenseTextWidth = MeasureTextWidth(LicenseCaption(), s.CaptionFormat);
    s.CustomTextWidth = MeasureTextWidth(Caption(TextCustomInstall), s.CaptionFormat);
    s.InstallTextWidth = MeasureTextWidth(Caption(TextQuickInstall), s.ButtonFormat);
    s.LaunchTextWidth = MeasureTextWidth(Caption(TextLaunch), s.ButtonFormat);
    s.ChangeTextWidth = MeasureTextWidth(Caption(TextChangeDir), s.SmallButtonFormat);
    s.LocationTextWidth = MeasureTextWidth(Caption(TextInstallLocation), s.LabelFormat);
    s.StatusTextWidth = MeasureTextWidth(s.StatusText.c_str(), s.CaptionFormat);
    MarkStage("label widths");
    return true;
}

float MeasureTextWidth(const wchar_t *text, IDWriteTextFormat *format) {
    if (!g_State.DWriteFactory || !format || !text || !*text)
        return 0.0f;
    IDWriteTextLayout *layout = nullptr;
    if (FAILED(g_State.DWriteFactory->CreateTextLayout(text, LayoutLength(text), format, 10000.0f, 100.0f,
                                                       &layout)))
        return 0.0f;
    DWRITE_TEXT_METRICS metrics = {};
    layout->GetMetrics(&metrics);
    layout->Release();
    // Trailing spaces count: a caption that ends in blanks takes their room.
    return metrics.widthIncludingTrailingWhitespace;
}

// --- Device-dependent resources ---

namespace {

void CreateBrandGradient() {
    EngineState &s = g_State;
    const D2D1_GRADIENT_STOP stops[2] = {{0.0f, ColorF(s.BrandColor1, 1.0f)}, {1.0f, ColorF(s.BrandColor2, 1.0f)}};
    ID2D1GradientStopCollection *collection = nullptr;
    if (FAILED(s.RenderTarget->CreateGradientStopCollection(stops, 2, D2D1_GAMMA_2_2, D2D1_EXTEND_MODE_CLAMP,
                                                            &collection)))
        return;
    if (FAILED(s.RenderTarget->CreateLinearGradientBrush(
            D2D1::LinearGradientBrushProperties(D2D1::Point2F(0.0f, 0.0f), D2D1::Point2F(kCanvasWidth, 0.0f)),
            collection, &s.BrandGradient)))
        s.BrandGradient = nullptr;
    collection->Release();
}

} // namespace

bool EnsureDeviceResources() {
    EngineState &s = g_State;
    if (!s.RenderTarget) {
        if (!CreateRenderTarget())
            return false;
        MarkStage("render target");
        // Pictures belong to the target that made them: decoded once per target.
        LoadHeroPictures();
    }
    // A brush that failed, or a gradient dropped for new brand colours, is made
    // again by the next pass; nothing is ever drawn with a missing brush.
    if (!s.Brush && FAILED(s.RenderTarget->CreateSolidColorBrush(ColorF(kColorText, 1.0f), &s.Brush)))
        s.Brush = nullptr;
    if (!s.BrandGradient)
        CreateBrandGradient();
    return s.Brush && s.BrandGradient;
}

void ReleaseDrawingResources() {
    EngineState &s = g_State;
    ReleaseHeroPictures();
    ReleaseAndNull(s.BrandGradient);
    ReleaseAndNull(s.Brush);
    ReleaseAndNull(s.RenderTarget);
}

// --- Shared drawing operations ---

D2D1_COLOR_F ColorF(RgbColor color, float alpha) {
    return D2D1::ColorF(static_cast<float>((color >> 16) & 255) / 255.0f,
                        static_cast<float>((color >> 8) & 255) / 255.0f, static_cast<float>(color & 255) / 255.0f,
                        alpha);
}

void SetBrush(RgbColor color, float alpha) { g_State.Brush->SetColor(ColorF(color, alpha)); }

void OutlineRounded(ID2D1RenderTarget *target, const D2D1_RECT_F &r, float radius, RgbColor color, float width) {
    SetBrush(color, 1.0f);
    target->DrawRoundedRectangle(D2D1::RoundedRect(r, radius, radius), g_State.Brush, width);
}

UINT32 LayoutLength(const wchar_t *text) {
    size_t length = wcsnlen(text, kMaxLayoutText + 1);
    if (length > kMaxLayoutText) {
        length = kMaxLayoutText;
        // Never cut a surrogate pair in half.
        if (IS_HIGH_SURROGATE(text[length - 1]))
            --length;
    }
    return static_cast<UINT32>(length);
}

void DrawLabel(ID2D1RenderTarget *target, const wchar_t *text, IDWriteTextFormat *format, RgbColor color,
               const D2D1_RECT_F &rect, float alpha) {
    // A format lost in a failed rebuild is skipped, never drawn with.
    if (!format || !text)
        return;
    SetBrush(color, alpha);
    target->DrawText(text, LayoutLength(text), format, rect, g_State.Brush, D2D1_DRAW_TEXT_OPTIONS_NONE,
                     DWRITE_MEASURING_MODE_NATURAL);
}

RgbColor MixColor(RgbColor from, RgbColor to, float t) {
    if (t <= 0.0f)
        return from;
    if (t >= 1.0f)
        return to;
    RgbColor result = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int a = static_cast<int>((from >> shift) & 255);
        const int b = static_cast<int>((to >> shift) & 255);
        const int channel = a + static_cast<int>(std::trunc(static_cast<float>(b - a) * t));
        result |= static_cast<RgbColor>(channel) << shift;
    }
    return result;
}

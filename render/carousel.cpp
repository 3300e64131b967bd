#include "render/carousel.h"

#include "geometry/captions.h"
#include "geometry/layout.h"
#include "render/animation.h"
#include "render/resources.h"

#include <string>

namespace {

// The product's name stands twice the size of a button's caption.
constexpr float kProductNameScale = 2.0f;

void DrawContainedPicture(ID2D1RenderTarget *target, ID2D1Bitmap *picture, float opacity, const D2D1_RECT_F &area) {
    if (!picture || opacity <= 0.001f)
        return;
    const D2D1_SIZE_F size = picture->GetSize();
    if (size.width <= 0.0f || size.height <= 0.0f)
        return;
    target->DrawBitmap(picture, ContainedRect(size.width, size.height, area), opacity,
                       D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
}

void DrawProductName(ID2D1RenderTarget *target, const D2D1_RECT_F &area) {
    const D2D1_POINT_2F centre = D2D1::Point2F((area.left + area.right) * 0.5f, (area.top + area.bottom) * 0.5f);
    D2D1_MATRIX_3X2_F canvas;
    target->GetTransform(&canvas);
    target->SetTransform(D2D1::Matrix3x2F::Scale(kProductNameScale, kProductNameScale, centre) * canvas);
    // The box, in the enlarged units, spans the area's width around its centre.
    const float half = (area.right - area.left) * 0.5f / kProductNameScale;
    const float rowHalf = (area.bottom - area.top) * 0.5f / kProductNameScale;
    const D2D1_RECT_F box = D2D1::RectF(centre.x - half, centre.y - rowHalf, centre.x + half, centre.y + rowHalf);
    DrawLabel(target, ProductNameText(), g_State.ButtonFormat, g_State.Colors.Text, box, 1.0f);
    target->SetTransform(canvas);
}

// Under high contrast: the picture whole in its own area, or the product's name.
void DrawHeroContent(ID2D1RenderTarget *target, const HeroLook &look) {
    EngineState &s = g_State;
    const D2D1_RECT_F area = HighContrastHeroRect();
    const int shown = look.Shown >= 0 && look.Shown < 5 ? look.Shown : 0;
    if (!s.HeroBitmaps[shown]) {
        DrawProductName(target, area);
        return;
    }
    DrawContainedPicture(target, s.HeroBitmaps[shown], 1.0f, area);
    if (look.Incoming >= 0 && look.Incoming < 5)
        DrawContainedPicture(target, s.HeroBitmaps[look.Incoming], look.IncomingOpacity, area);
}

ID2D1Bitmap *LoadPicture(const std::wstring &path) {
    EngineState &s = g_State;
    IWICBitmapDecoder *decoder = nullptr;
    IWICBitmapFrameDecode *frame = nullptr;
    IWICFormatConverter *converter = nullptr;
    ID2D1Bitmap *bitmap = nullptr;
    // The decoder is chosen from the file's content; ".png" is only the naming rule.
    if (SUCCEEDED(s.WicFactory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                          WICDecodeMetadataCacheOnLoad, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(s.WicFactory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                        WICBitmapPaletteTypeMedianCut))) {
        if (FAILED(s.RenderTarget->CreateBitmapFromWicBitmap(converter, nullptr, &bitmap)))
            bitmap = nullptr;
    }
    ReleaseAndNull(converter);
    ReleaseAndNull(frame);
    ReleaseAndNull(decoder);
    return bitmap;
}

} // namespace

void LoadHeroPictures() {
    EngineState &s = g_State;
    if (s.HeroDir.empty() || !s.WicFactory || !s.RenderTarget)
        return;
    for (int n = 1; n <= 5; ++n) {
        // Taken as given: a folder ending in a backslash yields two, which the file system accepts.
        const std::wstring path = s.HeroDir + L"\\hero" + std::to_wstring(n) + L".png";
        ReleaseAndNull(s.HeroBitmaps[n - 1]);
        s.HeroBitmaps[n - 1] = LoadPicture(path);
    }
}

D2D1_RECT_F CoverSourceRect(float w, float h, float areaProportion) {
    if (w / h > areaProportion) {
        const float width = h * areaProportion;
        const float left = (w - width) * 0.5f;
        return {left, 0.0f, left + width, h};
    }
    const float height = w / areaProportion;
    const float top = (h - height) * 0.5f;
    return {0.0f, top, w, top + height};
}

void DrawCoverPicture(ID2D1RenderTarget *target, ID2D1Bitmap *picture, float opacity, float height) {
    if (!picture || opacity <= 0.001f)
        return;
    const D2D1_SIZE_F size = picture->GetSize();
    if (size.width <= 0.0f || size.height <= 0.0f)
        return;
    const D2D1_RECT_F source = CoverSourceRect(size.width, size.height, kCanvasWidth / height);
    target->DrawBitmap(picture, D2D1::RectF(0.0f, 0.0f, kCanvasWidth, height), opacity,
                       D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, source);
}

D2D1_RECT_F ContainedRect(float w, float h, const D2D1_RECT_F &area) {
    const float aw = area.right - area.left;
    const float ah = area.bottom - area.top;
    const float scale = aw / w < ah / h ? aw / w : ah / h;
    const float left = area.left + (aw - w * scale) * 0.5f;
    const float top = area.top + (ah - h * scale) * 0.5f;
    return {left, top, left + w * scale, top + h * scale};
}

float HeroHeight() { return g_State.CurrentPage == PageInstalling ? 597.0f : kCanvasBaseHeight; }

HeroLook CurrentHeroLook() {
    const EngineState &s = g_State;
    return {s.SlideIndex, s.NextSlide, IncomingSlideOpacity()};
}

void DrawHeroArea(ID2D1RenderTarget *target, float height, const HeroLook &look) {
    EngineState &s = g_State;
    // Under high contrast the gradient goes; the picture keeps its own area.
    if (s.HighContrast) {
        DrawHeroContent(target, look);
        return;
    }
    const D2D1_RECT_F area = D2D1::RectF(0.0f, 0.0f, kCanvasWidth, height);
    target->PushAxisAlignedClip(area, D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    const int shown = look.Shown >= 0 && look.Shown < 5 ? look.Shown : 0;
    ID2D1Bitmap *current = s.HeroBitmaps[shown];
    if (!current) {
        s.BrandGradient->SetStartPoint(D2D1::Point2F(0.0f, 0.0f));
        s.BrandGradient->SetEndPoint(D2D1::Point2F(kCanvasWidth, 0.0f));
        target->FillRectangle(area, s.BrandGradient);
    } else {
        DrawCoverPicture(target, current, 1.0f, height);
        if (look.Incoming >= 0 && look.Incoming < 5)
            DrawCoverPicture(target, s.HeroBitmaps[look.Incoming], look.IncomingOpacity, height);
    }
    target->PopAxisAlignedClip();
}

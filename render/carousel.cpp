#include "render/carousel.h"

#include "render/animation.h"

#include <string>

namespace {

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

float HeroHeight() { return g_State.CurrentPage == PageInstalling ? 597.0f : kCanvasBaseHeight; }

HeroLook CurrentHeroLook() {
    const EngineState &s = g_State;
    return {s.SlideIndex, s.NextSlide, IncomingSlideOpacity()};
}

void DrawHeroArea(ID2D1RenderTarget *target, float height, const HeroLook &look) {
    EngineState &s = g_State;
    // Under high contrast the hero area is the page's own colour: no picture, no gradient.
    if (s.HighContrast)
        return;
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

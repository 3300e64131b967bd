#include "render/carousel.h"

#include "geometry/captions.h"
#include "geometry/layout.h"
#include "render/animation.h"
#include "render/picture_loader.h"
#include "render/resources.h"
#include "state/seams.h"

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
    const D2D1_RECT_F area = HighContrastHeroRect();
    const int shown = look.Shown >= 0 && look.Shown < 5 ? look.Shown : 0;
    ID2D1Bitmap *current = HeroPicture(shown);
    if (!current) {
        DrawProductName(target, area);
        return;
    }
    DrawContainedPicture(target, current, 1.0f, area);
    if (look.Incoming >= 0 && look.Incoming < 5)
        DrawContainedPicture(target, HeroPicture(look.Incoming), look.IncomingOpacity, area);
}

// Makes the device bitmap of a decoded picture; at 96 dpi, so that its size is
// its size in pixels.
ID2D1Bitmap *BitmapOf(const DecodedPicture &picture) {
    ID2D1Bitmap *bitmap = nullptr;
    if (picture.Pixels.empty() || !g_State.RenderTarget)
        return nullptr;
    const D2D1_BITMAP_PROPERTIES props =
        D2D1::BitmapProperties(D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED));
    if (FAILED(g_State.RenderTarget->CreateBitmap(D2D1::SizeU(picture.Width, picture.Height), picture.Pixels.data(),
                                                  picture.Width * 4, props, &bitmap)))
        return nullptr;
    return bitmap;
}

// Moves a decoded picture into its slot and lets go of its memory; the run
// ends once every slot has its picture or its failure.
void Take(int slot) {
    EngineState &s = g_State;
    PictureLoad &load = *s.Loading;
    ReleaseAndNull(s.HeroBitmaps[slot]);
    s.HeroBitmaps[slot] = BitmapOf(load.Pictures[slot]);
    load.Pictures[slot] = DecodedPicture();
    load.Taken[slot] = true;
    MarkStage("picture ready");
    for (bool taken : load.Taken)
        if (!taken)
            return;
    StopPictureLoad(s.Loading);
}

} // namespace

void LoadHeroPictures() {
    EngineState &s = g_State;
    if (s.HeroDir.empty() || !s.WicFactory || s.Loading)
        return;
    s.Loading = NewPictureLoad(s.HeroDir);
}

void LoadRemainingPictures() {
    EngineState &s = g_State;
    if (s.Loading)
        StartPictureThread(*s.Loading, s.HostWindow, s.TickMessage);
}

ID2D1Bitmap *HeroPicture(int slot) {
    EngineState &s = g_State;
    if (slot < 0 || slot >= 5)
        return nullptr;
    if (s.Loading && !s.Loading->Taken[slot] && s.RenderTarget && PictureDecoded(*s.Loading, slot, true))
        Take(slot);
    return s.HeroBitmaps[slot];
}

void AdoptLoadedPictures() {
    EngineState &s = g_State;
    for (int slot = 0; slot < 5 && s.Loading && s.RenderTarget; ++slot) {
        if (!s.Loading->Taken[slot] && PictureDecoded(*s.Loading, slot, false))
            Take(slot);
    }
}

void ReleaseHeroPictures() {
    EngineState &s = g_State;
    StopPictureLoad(s.Loading);
    for (ID2D1Bitmap *&bitmap : s.HeroBitmaps)
        ReleaseAndNull(bitmap);
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

bool SlideInRotation(int slide) {
    return g_State.CurrentPage == PageInstalling ? slide >= 1 && slide < 5 : slide == 0;
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
    ID2D1Bitmap *current = HeroPicture(shown);
    if (!current) {
        s.BrandGradient->SetStartPoint(D2D1::Point2F(0.0f, 0.0f));
        s.BrandGradient->SetEndPoint(D2D1::Point2F(kCanvasWidth, 0.0f));
        target->FillRectangle(area, s.BrandGradient);
    } else {
        DrawCoverPicture(target, current, 1.0f, height);
        if (look.Incoming >= 0 && look.Incoming < 5)
            DrawCoverPicture(target, HeroPicture(look.Incoming), look.IncomingOpacity, height);
    }
    target->PopAxisAlignedClip();
}

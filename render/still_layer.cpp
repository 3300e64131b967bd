#include "render/still_layer.h"

#include "render/frame.h"
#include "render/resources.h"

namespace {

bool SameSize(const D2D1_SIZE_U &a, const D2D1_SIZE_U &b) { return a.width == b.width && a.height == b.height; }

bool CreateStillTarget() {
    EngineState &s = g_State;
    const D2D1_SIZE_U pixels = s.RenderTarget->GetPixelSize();
    // The window's target draws at 96 dpi: one unit of size is one pixel.
    const D2D1_SIZE_F size = D2D1::SizeF(static_cast<float>(pixels.width), static_cast<float>(pixels.height));
    // Opaque like the window, so text is smoothed the same way in both.
    const D2D1_PIXEL_FORMAT format = D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE);
    if (FAILED(s.RenderTarget->CreateCompatibleRenderTarget(&size, &pixels, &format,
                                                            D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_NONE,
                                                            &s.StillTarget))) {
        s.StillTarget = nullptr;
        return false;
    }
    if (FAILED(s.StillTarget->GetBitmap(&s.StillBitmap))) {
        s.StillBitmap = nullptr;
        ReleaseStillLayer();
        return false;
    }
    s.StillTarget->SetTextAntialiasMode(s.RenderTarget->GetTextAntialiasMode());
    return true;
}

bool DrawStillLayer() {
    EngineState &s = g_State;
    if (s.StillTarget && !SameSize(s.StillTarget->GetPixelSize(), s.RenderTarget->GetPixelSize()))
        ReleaseStillLayer();
    if (!s.StillTarget && !CreateStillTarget())
        return false;
    // The painters draw into RenderTarget; for this pass it is the layer's target.
    ID2D1RenderTarget *window = s.RenderTarget;
    s.RenderTarget = s.StillTarget;
    s.StillTarget->BeginDraw();
    s.StillTarget->Clear(ColorF(s.Colors.Background, 1.0f));
    s.StillTarget->SetTransform(D2D1::Matrix3x2F::Scale(s.WindowScale, s.WindowScale));
    DrawStillParts({s.SlideIndex, -1, 0.0f});
    s.StillTarget->SetTransform(D2D1::Matrix3x2F::Identity());
    const HRESULT hr = s.StillTarget->EndDraw();
    s.RenderTarget = window;
    if (FAILED(hr)) {
        ReleaseStillLayer();
        return false;
    }
    s.StillSlide = s.SlideIndex;
    return true;
}

} // namespace

bool StillLayerStale() {
    const EngineState &s = g_State;
    return !s.StillTarget || s.FrameRequested || s.StillSlide != s.SlideIndex ||
           !SameSize(s.StillTarget->GetPixelSize(), s.RenderTarget->GetPixelSize());
}

ID2D1Bitmap *StillLayer() {
    const EngineState &s = g_State;
    if (s.NextSlide >= 0)
        return nullptr;
    if (StillLayerStale() && !DrawStillLayer())
        return nullptr;
    return s.StillBitmap;
}

void ReleaseStillLayer() {
    ReleaseAndNull(g_State.StillBitmap);
    ReleaseAndNull(g_State.StillTarget);
}

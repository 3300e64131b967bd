#include "render/still_layers.h"

#include "render/dib_surface.h"
#include "render/frame_parts.h"
#include "render/frame_plan.h"
#include "state/seams.h"

namespace {

bool SameSize(const D2D1_SIZE_U &a, LONG width, LONG height) {
    return a.width == static_cast<UINT32>(width) && a.height == static_cast<UINT32>(height);
}

bool HoldsClient(const StillLayer &layer, const RECT &client) {
    if (g_State.RenderTargetOnDc)
        return layer.Pixels.Bits && layer.Pixels.Width == client.right && layer.Pixels.Height == client.bottom;
    return layer.Target && SameSize(layer.Target->GetPixelSize(), client.right, client.bottom);
}

void ReleaseLayer(StillLayer &layer) {
    ReleaseDib(layer.Pixels);
    ReleaseAndNull(layer.Bitmap);
    ReleaseAndNull(layer.Target);
    layer.Ready = false;
}

// The DC target draws into the layer's memory, bound to all of it.
bool DrawInMemory(StillLayer &layer, const HeroLook &hero, const RECT &client) {
    EngineState &s = g_State;
    if (!FitDib(layer.Pixels, client))
        return false;
    const RECT all = {0, 0, client.right, client.bottom};
    if (FAILED(static_cast<ID2D1DCRenderTarget *>(s.RenderTarget)->BindDC(layer.Pixels.Dc, &all)))
        return false;
    s.RenderTarget->BeginDraw();
    DrawStillLayer(s.RenderTarget, hero);
    const bool drawn = EndFrameDraw(s.RenderTarget);
    // The target's copy into the memory DC is GDI's; the pixels are read next.
    GdiFlush();
    return drawn;
}

// The window's target draws into a compatible target of its own size: a bitmap
// on the same device, which each frame then copies.
bool DrawOnDevice(StillLayer &layer, const HeroLook &hero, const RECT &client) {
    EngineState &s = g_State;
    if (!HoldsClient(layer, client)) {
        ReleaseLayer(layer);
        const D2D1_SIZE_U pixels = D2D1::SizeU(client.right, client.bottom);
        // The window's target draws at 96 dpi: one unit of size is one pixel.
        const D2D1_SIZE_F size = D2D1::SizeF(static_cast<float>(pixels.width), static_cast<float>(pixels.height));
        // Opaque like the window, so text is smoothed the same way in both.
        const D2D1_PIXEL_FORMAT format = D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE);
        if (FAILED(s.RenderTarget->CreateCompatibleRenderTarget(&size, &pixels, &format,
                                                                D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_NONE,
                                                                &layer.Target))) {
            layer.Target = nullptr;
            return false;
        }
        if (FAILED(layer.Target->GetBitmap(&layer.Bitmap))) {
            layer.Bitmap = nullptr;
            ReleaseLayer(layer);
            return false;
        }
        layer.Target->SetTextAntialiasMode(s.RenderTarget->GetTextAntialiasMode());
    }
    layer.Target->BeginDraw();
    DrawStillLayer(layer.Target, hero);
    return EndFrameDraw(layer.Target);
}

} // namespace

bool StillLayerCurrent(int slide, const RECT &client) {
    const StillLayer &layer = g_State.StillLayers[slide];
    return layer.Ready && HoldsClient(layer, client);
}

bool StillLayerReady(int slide, const RECT &client) {
    EngineState &s = g_State;
    if (StillLayerCurrent(slide, client))
        return true;
    const HeroLook hero = {slide, -1, 0.0f};
    const bool drawn =
        s.RenderTarget && (s.RenderTargetOnDc ? DrawInMemory(s.StillLayers[slide], hero, client)
                                              : DrawOnDevice(s.StillLayers[slide], hero, client));
    // A device lost while drawing released every layer, this one included.
    s.StillLayers[slide].Ready = drawn && s.RenderTarget;
    MarkStage("still layer");
    return s.StillLayers[slide].Ready;
}

void MarkStillLayersStale() {
    for (StillLayer &layer : g_State.StillLayers)
        layer.Ready = false;
}

void ReleaseStillLayers() {
    for (StillLayer &layer : g_State.StillLayers)
        ReleaseLayer(layer);
}

void ReleaseStillLayer(int slide) { ReleaseLayer(g_State.StillLayers[slide]); }

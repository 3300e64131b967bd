#include "render/retained_frame.h"

#include "render/dib_surface.h"
#include "render/frame_parts.h"
#include "render/still_layers.h"
#include "state/seams.h"

namespace {

ID2D1DCRenderTarget *DcTarget() { return static_cast<ID2D1DCRenderTarget *>(g_State.RenderTarget); }

bool FitPassBackground(int w, int h) {
    EngineState &s = g_State;
    if (s.PassBackground) {
        const D2D1_SIZE_U size = s.PassBackground->GetPixelSize();
        if (size.width == static_cast<UINT32>(w) && size.height == static_cast<UINT32>(h))
            return true;
        ReleaseAndNull(s.PassBackground);
    }
    const D2D1_BITMAP_PROPERTIES props =
        D2D1::BitmapProperties(D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE));
    if (FAILED(s.RenderTarget->CreateBitmap(D2D1::SizeU(w, h), nullptr, 0, props, &s.PassBackground))) {
        s.PassBackground = nullptr;
        return false;
    }
    return true;
}

// Draws every moving part that falls within the client rectangle r over the
// pixels `into` holds there: Direct2D's target covers only r, so it shades no
// pixel outside it.
bool DrawPass(DibSurface &into, const RECT &r, int ringItem) {
    EngineState &s = g_State;
    if (!s.RenderTarget || !s.PassBackground || !into.Bits) // lost with the device earlier in this frame
        return false;
    const D2D1_RECT_U source = D2D1::RectU(r.left, r.top, r.right, r.bottom);
    const RECT bound = {r.left - into.Left, r.top - into.Top, r.right - into.Left, r.bottom - into.Top};
    if (FAILED(s.PassBackground->CopyFromMemory(&source, PixelAt(into, r.left, r.top),
                                                static_cast<UINT32>(into.Width) * sizeof(UINT32))) ||
        FAILED(DcTarget()->BindDC(into.Dc, &bound)))
        return false;
    const D2D1_MATRIX_3X2_F shift =
        D2D1::Matrix3x2F::Translation(-static_cast<float>(r.left), -static_cast<float>(r.top));
    const D2D1_RECT_F place = D2D1::RectF(static_cast<float>(r.left), static_cast<float>(r.top),
                                          static_cast<float>(r.right), static_cast<float>(r.bottom));
    ID2D1RenderTarget *target = s.RenderTarget;
    target->BeginDraw();
    target->SetTransform(shift);
    target->DrawBitmap(s.PassBackground, place, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, place);
    target->SetTransform(D2D1::Matrix3x2F::Scale(s.WindowScale, s.WindowScale) * shift);
    const float k = s.WindowScale;
    DrawMovingParts(target, D2D1::RectF(place.left / k, place.top / k, place.right / k, place.bottom / k), ringItem);
    target->SetTransform(D2D1::Matrix3x2F::Identity());
    const bool drawn = EndFrameDraw(target);
    // The target's copy into the memory DC is GDI's; the pixels are read next.
    GdiFlush();
    return drawn;
}

// The still layer of `slide`; the moving parts kept over it go when it is drawn anew.
bool SlideReady(int slide, const RECT &client) {
    if (!StillLayerCurrent(slide, client))
        g_State.SlidePartsReady[slide] = false;
    return StillLayerReady(slide, client);
}

// The moving parts over the hero area as they stand on `slide`'s still layer,
// within `parts`, drawn first if they are not yet.
bool PartsReady(int slide, const RECT &parts, int ringItem) {
    EngineState &s = g_State;
    DibSurface &d = s.SlideParts[slide];
    if (s.SlidePartsReady[slide] && d.Left == parts.left && d.Top == parts.top &&
        d.Width == parts.right - parts.left && d.Height == parts.bottom - parts.top)
        return true;
    if (!FitDib(d, parts))
        return false;
    CopyPixels(d, s.StillLayers[slide].Pixels, parts);
    return s.SlidePartsReady[slide] = DrawPass(d, parts, ringItem);
}

// Copies the given rectangles of the back buffer into the window, beside its
// child controls.
bool Present(const RectList &rects) {
    EngineState &s = g_State;
    HWND window = s.HostWindow;
    const ScopedWindowDc dc(window, GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPCHILDREN));
    if (!dc.Get())
        return false;
    for (int i = 0; i < rects.Count; ++i) {
        const RECT &r = rects.Items[i];
        BitBlt(dc.Get(), r.left, r.top, r.right - r.left, r.bottom - r.top, s.BackBuffer.Dc, r.left, r.top, SRCCOPY);
    }
    return true;
}

} // namespace

bool BackBufferHolds(const RECT &client) {
    const DibSurface &b = g_State.BackBuffer;
    return b.Bits && b.Width == client.right && b.Height == client.bottom;
}

bool PresentRetained(FramePlan &plan) {
    EngineState &s = g_State;
    const RECT &client = plan.Client;
    if (!FitDib(s.BackBuffer, client) || !FitPassBackground(client.right, client.bottom))
        return false;
    if (plan.Whole) {
        for (bool &ready : s.SlidePartsReady)
            ready = false;
    }
    const int shown = plan.Shown, incoming = plan.Incoming;
    if (!SlideReady(shown, client) || (incoming >= 0 && !SlideReady(incoming, client)))
        return false;

    // The moving parts over the hero (the title buttons, a focus ring on
    // them) are kept per slide too, while they do not change: then the hero
    // is composed from memory alone.
    RECT parts = {0, 0, 0, 0};
    for (int j = 0; j < plan.ReachCount; ++j)
        parts = Union(parts, Intersection(plan.Hero, plan.Reaches[j]));
    bool partsChanged = false;
    for (int i = 0; i < plan.Passes.Count; ++i)
        partsChanged = partsChanged || Overlap(plan.Passes.Items[i], parts);
    if (partsChanged) {
        for (bool &ready : s.SlidePartsReady)
            ready = false;
    }
    const bool partsFromMemory = !plan.Whole && plan.Background.Count > 0 && !IsRectEmpty(&parts) &&
                                 !partsChanged && PartsReady(shown, parts, plan.RingItem) &&
                                 (incoming < 0 || PartsReady(incoming, parts, plan.RingItem));
    if (!s.BackBuffer.Bits)
        return false; // the device was lost while the parts were drawn

    // Every moving part over still pixels composed anew is drawn again,
    // unless it comes from memory with them.
    for (int i = 0; i < plan.Background.Count; ++i) {
        for (int j = 0; j < plan.ReachCount; ++j) {
            const RECT p = Intersection(plan.Background.Items[i], plan.Reaches[j]);
            const RECT inParts = Intersection(p, parts);
            if (!(partsFromMemory && EqualRect(&p, &inParts)))
                Add(plan.Passes, p);
        }
    }
#ifdef KSUI_TESTING
    if (TestSeams::OnePassFrames)
        Add(plan.Passes, client); // merges every pass into one
#endif

    const DibSurface &shownPixels = s.StillLayers[shown].Pixels;
    const auto compose = [&](const RECT &r, bool withParts) {
        CopyPixels(s.BackBuffer, shownPixels, r);
        if (incoming >= 0)
            BlendPixels(s.BackBuffer, shownPixels, s.StillLayers[incoming].Pixels, plan.Opacity,
                        Intersection(r, plan.Hero));
        const RECT p = Intersection(r, parts);
        if (!withParts || IsRectEmpty(&p))
            return;
        if (incoming >= 0)
            BlendPixels(s.BackBuffer, s.SlideParts[shown], s.SlideParts[incoming], plan.Opacity, p);
        else
            CopyPixels(s.BackBuffer, s.SlideParts[shown], p);
    };
    GdiFlush();
    for (int i = 0; i < plan.Background.Count; ++i)
        compose(plan.Background.Items[i], partsFromMemory);
    // One after the other: each pass reads the back buffer the one before wrote.
    for (int i = 0; i < plan.Passes.Count; ++i) {
        compose(plan.Passes.Items[i], false);
        if (!DrawPass(s.BackBuffer, plan.Passes.Items[i], plan.RingItem))
            return false;
    }

    // What changed goes to the window; a paint in which nothing changed (the
    // host's or the system's) gets the whole frame again.
    RectList shownRects;
    for (int i = 0; i < plan.Background.Count; ++i)
        Add(shownRects, plan.Background.Items[i]);
    for (int i = 0; i < plan.Passes.Count; ++i)
        Add(shownRects, plan.Passes.Items[i]);
    if (shownRects.Count == 0)
        Add(shownRects, client);
    return Present(shownRects);
}

void ReleaseRetainedFrame() {
    EngineState &s = g_State;
    ReleaseAndNull(s.PassBackground);
    for (int i = 0; i < 5; ++i)
        ReleaseSlideParts(i);
    ReleaseDib(s.BackBuffer);
}

void ReleaseSlideParts(int slide) {
    ReleaseDib(g_State.SlideParts[slide]);
    g_State.SlidePartsReady[slide] = false;
}

#include "render/retained_frame.h"

#include "engine/seams.h"
#include "render/animation.h"
#include "render/carousel.h"
#include "render/frame.h"
#include "render/installing_page.h"
#include "render/moving_parts.h"
#include "render/resources.h"
#include "window/layout.h"

#include <cmath>
#include <cstring>

namespace {

// Rectangles of one frame; beyond this many they are merged into one.
constexpr int kMaxRects = 24;

struct RectList {
    RECT Items[kMaxRects];
    int Count = 0;
};

// Value forms of the system's rectangle functions; an empty intersection is all zeros.
RECT Intersection(const RECT &a, const RECT &b) {
    RECT r;
    IntersectRect(&r, &a, &b);
    return r;
}

RECT Union(const RECT &a, const RECT &b) {
    RECT r;
    UnionRect(&r, &a, &b);
    return r;
}

bool Overlap(const RECT &a, const RECT &b) {
    RECT r;
    return IntersectRect(&r, &a, &b) != FALSE;
}

// Adds r, merged with every rectangle it overlaps: a pass draws all moving
// parts within its rectangle, so two overlapping passes would only draw the
// overlap twice.
void Add(RectList &list, RECT r) {
    if (IsRectEmpty(&r))
        return;
    for (int i = 0; i < list.Count;) {
        if (Overlap(list.Items[i], r)) {
            r = Union(r, list.Items[i]);
            list.Items[i] = list.Items[--list.Count];
            i = 0; // grown, it may now overlap one already passed
        } else {
            ++i;
        }
    }
    if (list.Count == kMaxRects) {
        for (int i = 0; i < list.Count; ++i)
            r = Union(r, list.Items[i]);
        list.Count = 0;
    }
    list.Items[list.Count++] = r;
}

// The client pixels a canvas rectangle touches, one pixel more on every side
// for anti-aliasing, within the client area.
RECT PixelsOf(const D2D1_RECT_F &r, const RECT &client) {
    const float k = g_State.WindowScale;
    const RECT p = {static_cast<LONG>(std::floor(r.left * k)) - 1, static_cast<LONG>(std::floor(r.top * k)) - 1,
                    static_cast<LONG>(std::ceil(r.right * k)) + 1, static_cast<LONG>(std::ceil(r.bottom * k)) + 1};
    return Intersection(p, client);
}

void ReleaseDib(DibSurface &d) {
    if (d.Dc && d.Previous)
        SelectObject(d.Dc, d.Previous);
    if (d.Bitmap)
        DeleteObject(d.Bitmap);
    if (d.Dc)
        DeleteDC(d.Dc);
    d = DibSurface();
}

// Gives d the client rectangle `area`, made anew when its size differs; false
// when it cannot be made.
bool FitDib(DibSurface &d, const RECT &area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (!d.Bits || d.Width != w || d.Height != h) {
        ReleaseDib(d);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h; // top-down: row y starts at Bits + y * w
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void *bits = nullptr;
        d.Dc = CreateCompatibleDC(nullptr);
        d.Bitmap = d.Dc ? CreateDIBSection(d.Dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
        if (!d.Bitmap || !bits) {
            ReleaseDib(d);
            return false;
        }
        d.Previous = SelectObject(d.Dc, d.Bitmap);
        d.Bits = static_cast<UINT32 *>(bits);
        d.Width = w;
        d.Height = h;
    }
    d.Left = area.left;
    d.Top = area.top;
    return true;
}

// The pixel of d at client position (x, y).
UINT32 *PixelAt(const DibSurface &d, LONG x, LONG y) { return d.Bits + (y - d.Top) * d.Width + (x - d.Left); }

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

// Copies and blends client rectangles between surfaces that hold them.
void CopyPixels(DibSurface &to, const DibSurface &from, const RECT &r) {
    const size_t bytes = static_cast<size_t>(r.right - r.left) * sizeof(UINT32);
    for (LONG y = r.top; y < r.bottom; ++y)
        std::memcpy(PixelAt(to, r.left, y), PixelAt(from, r.left, y), bytes);
}

// to = from + (over - from) * opacity in every channel, as Direct2D draws an
// opaque picture at that opacity; to may be neither input.
void BlendPixels(DibSurface &to, const DibSurface &from, const DibSurface &over, float opacity, const RECT &r) {
    const UINT32 t = static_cast<UINT32>(opacity * 256.0f + 0.5f);
    const UINT32 u = 256 - t;
    for (LONG y = r.top; y < r.bottom; ++y) {
        const UINT32 *a = PixelAt(from, r.left, y);
        const UINT32 *b = PixelAt(over, r.left, y);
        UINT32 *out = PixelAt(to, r.left, y);
        for (LONG x = 0, n = r.right - r.left; x < n; ++x) {
            const UINT32 redBlue = (((a[x] & 0xFF00FFu) * u + (b[x] & 0xFF00FFu) * t) >> 8) & 0xFF00FFu;
            const UINT32 green = (((a[x] & 0x00FF00u) * u + (b[x] & 0x00FF00u) * t) >> 8) & 0x00FF00u;
            out[x] = 0xFF000000u | redBlue | green;
        }
    }
}

ID2D1DCRenderTarget *DcTarget() { return static_cast<ID2D1DCRenderTarget *>(g_State.RenderTarget); }

// Ends a drawing pass. A lost device throws the device resources away, this
// frame's memory included, and the next frame starts from nothing.
bool FinishDraw() {
    const HRESULT hr = DcTarget()->EndDraw();
    if (hr == static_cast<HRESULT>(D2DERR_RECREATE_TARGET))
        ReleaseDeviceResources();
    // The target's copy into the memory DC is GDI's; the pixels are read next.
    GdiFlush();
    return SUCCEEDED(hr);
}

// Draws the still layer into `into`, which holds the whole client area, with
// the hero showing `look`.
bool DrawStillPixels(DibSurface &into, const HeroLook &look) {
    EngineState &s = g_State;
    if (!s.RenderTarget || !into.Bits) // lost with the device earlier in this frame
        return false;
    const RECT all = {0, 0, into.Width, into.Height};
    if (FAILED(DcTarget()->BindDC(into.Dc, &all)))
        return false;
    s.RenderTarget->BeginDraw();
    s.RenderTarget->Clear(ColorF(s.Colors.Background, 1.0f));
    s.RenderTarget->SetTransform(D2D1::Matrix3x2F::Scale(s.WindowScale, s.WindowScale));
    DrawStillParts(look);
    s.RenderTarget->SetTransform(D2D1::Matrix3x2F::Identity());
    return FinishDraw();
}

// Draws every moving part that falls within the client rectangle r over the
// pixels `into` holds there: Direct2D's target covers only r, so it shades no
// pixel outside it.
bool DrawPass(DibSurface &into, const RECT &r) {
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
    DrawMovingParts(D2D1::RectF(place.left / k, place.top / k, place.right / k, place.bottom / k));
    target->SetTransform(D2D1::Matrix3x2F::Identity());
    return FinishDraw();
}

// The still layer with `slide` shown, drawn first if it is not yet.
bool SlideReady(int slide, const RECT &client) {
    EngineState &s = g_State;
    if (s.SlidePixelsReady[slide])
        return true;
    s.SlidePartsReady[slide] = false;
    return s.SlidePixelsReady[slide] = FitDib(s.SlidePixels[slide], client) &&
                                       DrawStillPixels(s.SlidePixels[slide], {slide, -1, 0.0f});
}

// The moving parts over the hero area as they stand on `slide`'s still layer,
// within `parts`, drawn first if they are not yet.
bool PartsReady(int slide, const RECT &parts) {
    EngineState &s = g_State;
    DibSurface &d = s.SlideParts[slide];
    if (s.SlidePartsReady[slide] && d.Left == parts.left && d.Top == parts.top &&
        d.Width == parts.right - parts.left && d.Height == parts.bottom - parts.top)
        return true;
    if (!FitDib(d, parts))
        return false;
    CopyPixels(d, s.SlidePixels[slide], parts);
    return s.SlidePartsReady[slide] = DrawPass(d, parts);
}

// Copies the given rectangles of the back buffer into the window, beside its
// child controls.
bool Present(const RectList &rects) {
    EngineState &s = g_State;
    HWND window = s.HostWindow;
    HDC dc = GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPCHILDREN);
    if (!dc)
        return false;
    for (int i = 0; i < rects.Count; ++i) {
        const RECT &r = rects.Items[i];
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, s.BackBuffer.Dc, r.left, r.top, SRCCOPY);
    }
    ReleaseDC(window, dc);
    return true;
}

} // namespace

bool PaintRetainedFrame() {
    EngineState &s = g_State;
    RECT client = {};
    if (!s.HostWindow || !GetClientRect(s.HostWindow, &client) || IsRectEmpty(&client))
        return false;
    // A new size, a requested frame or a frame after a lost device starts from the still layer.
    bool whole = s.FrameRequested || s.BackBuffer.Width != client.right || s.BackBuffer.Height != client.bottom;
#ifdef KSUI_TESTING
    whole = whole || TestSeams::OnePassFrames;
#endif
    if (!FitDib(s.BackBuffer, client) || !FitPassBackground(client.right, client.bottom))
        return false;
    if (whole) {
        for (int i = 0; i < 5; ++i)
            s.SlidePixelsReady[i] = s.SlidePartsReady[i] = false;
    }
    // Every slide's still layer is kept: the carousel comes back to each, and
    // a fade that finds both of its layers ready needs no drawing at all.
    const int shown = s.SlideIndex >= 0 && s.SlideIndex < 5 ? s.SlideIndex : 0;
    const int incoming = s.NextSlide >= 0 && s.NextSlide < 5 ? s.NextSlide : -1;
    if (!SlideReady(shown, client) || (incoming >= 0 && !SlideReady(incoming, client)))
        return false;

    RectList background; // still pixels composed anew
    RectList passes;     // moving parts drawn anew
    const RECT hero = PixelsOf(D2D1::RectF(0.0f, 0.0f, kCanvasWidth, HeroHeight()), client);
    if (whole)
        Add(background, client);
    if (CarouselMoved())
        Add(background, hero);
    if (!whole) {
        for (int id = ElemMinimize; id <= ElemLaunch; ++id) {
            if (ElementLive(id) && HoverLevelMoved(id))
                Add(passes, PixelsOf(HoverReach(id), client));
        }
        if (StatusMoved()) {
            // Where the old text ran as well as where the new one runs.
            Add(passes, PixelsOf(StatusReach(s.Painted.StatusTextWidth), client));
            Add(passes, PixelsOf(StatusReach(s.StatusTextWidth), client));
        }
        if (s.CurrentPage == PageInstalling && ProgressMoved()) {
            D2D1_RECT_F progress[2];
            ProgressReaches(progress);
            // The percentage is text, the dearest part to draw: only when it reads otherwise.
            if (ProgressPercent(s.ProgressShown) != ProgressPercent(s.Painted.ProgressShown))
                Add(passes, PixelsOf(progress[0], client));
            Add(passes, PixelsOf(progress[1], client));
        }
    }

    // The moving parts over the hero (the title buttons, a focus ring on
    // them) are kept per slide too, while they do not change: then the hero
    // is composed from memory alone.
    D2D1_RECT_F reaches[16];
    const int reachCount = MovingPartReaches(reaches, 16);
    RECT reachPixels[16];
    RECT parts = {0, 0, 0, 0};
    for (int j = 0; j < reachCount; ++j) {
        reachPixels[j] = PixelsOf(reaches[j], client);
        parts = Union(parts, Intersection(hero, reachPixels[j]));
    }
    bool partsChanged = false;
    for (int i = 0; i < passes.Count; ++i)
        partsChanged = partsChanged || Overlap(passes.Items[i], parts);
    if (partsChanged) {
        for (int i = 0; i < 5; ++i)
            s.SlidePartsReady[i] = false;
    }
    const bool partsFromMemory = !whole && background.Count > 0 && !IsRectEmpty(&parts) && !partsChanged &&
                                 PartsReady(shown, parts) && (incoming < 0 || PartsReady(incoming, parts));
    if (!s.BackBuffer.Bits)
        return false; // the device was lost while the parts were drawn

    // Every moving part over still pixels composed anew is drawn again,
    // unless it comes from memory with them.
    for (int i = 0; i < background.Count; ++i) {
        for (int j = 0; j < reachCount; ++j) {
            const RECT p = Intersection(background.Items[i], reachPixels[j]);
            const RECT inParts = Intersection(p, parts);
            if (!(partsFromMemory && EqualRect(&p, &inParts)))
                Add(passes, p);
        }
    }
#ifdef KSUI_TESTING
    if (TestSeams::OnePassFrames)
        Add(passes, client); // merges every pass into one
#endif

    const float opacity = IncomingSlideOpacity();
    const auto compose = [&](const RECT &r, bool withParts) {
        CopyPixels(s.BackBuffer, s.SlidePixels[shown], r);
        if (incoming >= 0)
            BlendPixels(s.BackBuffer, s.SlidePixels[shown], s.SlidePixels[incoming], opacity, Intersection(r, hero));
        const RECT p = Intersection(r, parts);
        if (!withParts || IsRectEmpty(&p))
            return;
        if (incoming >= 0)
            BlendPixels(s.BackBuffer, s.SlideParts[shown], s.SlideParts[incoming], opacity, p);
        else
            CopyPixels(s.BackBuffer, s.SlideParts[shown], p);
    };
    GdiFlush();
    for (int i = 0; i < background.Count; ++i)
        compose(background.Items[i], partsFromMemory);
    // One after the other: each pass reads the back buffer the one before wrote.
    for (int i = 0; i < passes.Count; ++i) {
        compose(passes.Items[i], false);
        if (!DrawPass(s.BackBuffer, passes.Items[i]))
            return false;
    }

    // What changed goes to the window; a paint in which nothing changed (the
    // host's or the system's) gets the whole frame again.
    RectList shownRects;
    for (int i = 0; i < background.Count; ++i)
        Add(shownRects, background.Items[i]);
    for (int i = 0; i < passes.Count; ++i)
        Add(shownRects, passes.Items[i]);
    if (shownRects.Count == 0)
        Add(shownRects, client);
    return Present(shownRects);
}

void ReleaseRetainedFrame() {
    EngineState &s = g_State;
    ReleaseAndNull(s.PassBackground);
    for (int i = 0; i < 5; ++i) {
        ReleaseDib(s.SlideParts[i]);
        ReleaseDib(s.SlidePixels[i]);
        s.SlidePixelsReady[i] = s.SlidePartsReady[i] = false;
    }
    ReleaseDib(s.BackBuffer);
}

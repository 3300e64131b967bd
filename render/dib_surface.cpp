#include "render/dib_surface.h"

#include <cstring>

void ReleaseDib(DibSurface &d) {
    if (d.Dc && d.Previous)
        SelectObject(d.Dc, d.Previous);
    DeleteObjectAndNull(d.Bitmap);
    if (d.Dc)
        DeleteDC(d.Dc);
    d = DibSurface();
}

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

void CopyPixels(DibSurface &to, const DibSurface &from, const RECT &r) {
    const size_t bytes = static_cast<size_t>(r.right - r.left) * sizeof(UINT32);
    for (LONG y = r.top; y < r.bottom; ++y)
        std::memcpy(PixelAt(to, r.left, y), PixelAt(from, r.left, y), bytes);
}

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

// Drawing resources: the factories, stroke style and text formats that live
// from attach to detach, and the render target, brushes and pictures that the
// first paint creates and a lost device throws away.
#pragma once

#include "state/state.h"

// Palette of fixed colours (0x00RRGGBB).
constexpr RgbColor kColorWhite = 0xFFFFFF;
constexpr RgbColor kColorBlack = 0x000000;
constexpr RgbColor kColorText = 0x3A3F47;
constexpr RgbColor kColorSecondary = 0x8A8F99;
constexpr RgbColor kColorBoxBorder = 0xC2C7D1;
constexpr RgbColor kColorInstallDisabled = 0xC2D4F6;
constexpr RgbColor kColorDirBox = 0xF4F5F9;
constexpr RgbColor kColorChangeHover = 0xEAF1FE;
constexpr RgbColor kColorTrack = 0xE9EBF2;
constexpr RgbColor kColorCloseHover = 0xE81123;

// Attach steps 6 to 10: both factories, the imaging factory (recorded but not
// fatal when missing), the stroke style and the text formats. On a fatal
// failure the stage is recorded and false returned.
bool CreateDeviceIndependentResources();
// An imaging factory of the calling thread's apartment: the window thread's at
// attach, the picture loader's for its own thread.
HRESULT NewWicFactory(IWICImagingFactory **factory);
// Releases the formats, the stroke style and the three factories, in that order.
void ReleaseDeviceIndependentResources();

bool BuildTextFormats();
float MeasureTextWidth(const wchar_t *text, IDWriteTextFormat *format);

// Texts are laid out and drawn up to this many UTF-16 units: every row of the
// canvas shows far fewer, and a host's megabyte of status text must not cost a
// megabyte of layout in every frame. The stored texts stay whole.
constexpr size_t kMaxLayoutText = 1024;
UINT32 LayoutLength(const wchar_t *text);

// The render target, brushes and pictures, made by the first paint after a
// release. False while any of them is missing: nothing is drawn then.
bool EnsureDeviceResources();
// Releases the pictures, brushes and render target; the compositor's
// ReleaseDeviceResources calls it after letting go of what it made with them.
void ReleaseDrawingResources();

D2D1_COLOR_F ColorF(RgbColor color, float alpha);
void SetBrush(RgbColor color, float alpha);
// Draws the outline of a rounded rectangle in one opaque colour with the shared brush.
void OutlineRounded(ID2D1RenderTarget *target, const D2D1_RECT_F &r, float radius, RgbColor color, float width);
void DrawLabel(ID2D1RenderTarget *target, const wchar_t *text, IDWriteTextFormat *format, RgbColor color,
               const D2D1_RECT_F &rect, float alpha);
RgbColor MixColor(RgbColor from, RgbColor to, float t);

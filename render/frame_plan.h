// What one frame redraws, worked out once by the compositor for whichever
// presenter shows it: which slides the hero shows, where still pixels are
// composed anew and where moving parts are drawn anew, in client pixels.
#pragma once

#include "state/state.h"

// Rectangles of one frame; beyond this many they are merged into one.
constexpr int kMaxRects = 24;
// Moving parts a page can have: eleven elements, the status, two progress reaches, the focus ring.
constexpr int kMaxReaches = 16;

struct RectList {
    RECT Items[kMaxRects];
    int Count = 0;
};

// Adds r, merged with every rectangle it overlaps: a pass draws all moving
// parts within its rectangle, so two overlapping passes would only draw the
// overlap twice.
void Add(RectList &list, RECT r);

// Value forms of the system's rectangle functions; an empty intersection is all zeros.
RECT Intersection(const RECT &a, const RECT &b);
RECT Union(const RECT &a, const RECT &b);
bool Overlap(const RECT &a, const RECT &b);

struct FramePlan {
    RECT Client = {};          // the whole client area
    int RingItem = 0;          // the item the focus ring goes around, 0 for none
    bool Whole = false;        // nothing of the last frame is kept: compose and draw everything
    int Shown = 0;             // the slide the hero shows
    int Incoming = -1;         // the slide fading in over it, -1 for none
    float Opacity = 0.0f;      // the incoming slide's opacity
    RECT Hero = {};            // the client pixels the hero area touches
    RectList Background;       // still pixels composed anew
    RectList Passes;           // moving parts drawn anew
    RECT Reaches[kMaxReaches]; // the client pixels each moving part of the page touches
    int ReachCount = 0;
};

// The client pixels a canvas rectangle touches, anti-aliased edges included,
// within the client area.
RECT PixelsTouched(const D2D1_RECT_F &r, const RECT &client);

// Ends a drawing pass on target. A lost device throws every device resource
// away, and the next frame starts from nothing; false for any failure.
bool EndFrameDraw(ID2D1RenderTarget *target);

#include "render/frame_schedule.h"

#include "render/animation.h"
#include "state/seams.h"

namespace {

// Progress may arrive hundreds of times a second; the frame timer paints what
// a throttled call only stored, at most 33 ms later.
constexpr ULONGLONG kProgressRepaintMs = 30;
// A frame that stalled (the first one on a new target starts Mesa's shaders;
// a loaded machine) holds the next timer frame back for at most this long.
constexpr ULONGLONG kMaxPauseMs = 250;

bool AnyHoverLevelMoved() {
    for (int id = ElemMinimize; id <= ElemLaunch; ++id) {
        if (HoverLevelMoved(id))
            return true;
    }
    return false;
}

} // namespace

bool HoverLevelMoved(int id) {
    const EngineState &s = g_State;
    const float d = s.HoverLevel[id] - s.Painted.HoverLevel[id];
    return d > kHoverUnseen || d < -kHoverUnseen;
}

bool StatusMoved() {
    const EngineState &s = g_State;
    return s.CurrentPage == PageInstalling && s.StatusVersion != s.Painted.StatusVersion;
}

bool ProgressMoved() { return g_State.ProgressShown != g_State.Painted.ProgressShown; }

bool CarouselMoved() {
    const EngineState &s = g_State;
    const PaintedLook &p = s.Painted;
    return s.SlideIndex != p.SlideIndex || s.NextSlide != p.NextSlide ||
           (s.NextSlide >= 0 && s.SlideFade != p.SlideFade);
}

void RequestFrame() {
    g_State.FrameRequested = true;
    if (g_State.HostWindow) {
        InvalidateRect(g_State.HostWindow, nullptr, FALSE);
        ScheduleTick();
    }
}

bool PictureStale() {
    const EngineState &s = g_State;
    return s.FrameRequested || !s.Revealed || AnyHoverLevelMoved() || ProgressMoved() || StatusMoved() ||
           CarouselMoved();
}

bool FrameDue() {
    const EngineState &s = g_State;
    if (!PictureStale())
        return false;
    // A frame that took P ms is followed by at least P ms of rest: slow frames
    // use at most about half of the window thread, and a host's loop that pumps
    // until the queue is empty finds it empty between them.
    return NowTick() - s.LastPaintEnd >= s.LastPaintCost;
}

bool HostRepaintDue(bool throttled) {
    if (!throttled)
        return true;
    // Slow frames are paced here too: a paint that took longer than the
    // throttle is followed by as long a pause, so the host keeps at least half
    // of its thread.
    const ULONGLONG cost = g_State.LastPaintCost;
    return NowTick() - g_State.LastRepaintTick >= (cost > kProgressRepaintMs ? cost : kProgressRepaintMs);
}

UINT NextTickMs() {
    const EngineState &s = g_State;
    if (!s.HostWindow)
        return 0;
    // Taken over by the next tick, whatever the window shows.
    if (s.DragState != DragIdle || s.FrameReapplyPending)
        return kFrameTimerMs;
    // A window shown again paints at once (WM_SHOWWINDOW); until then nothing moves on screen.
    if (!IsWindowVisible(s.HostWindow))
        return 0;
    if (PictureStale() || !AnimationAtRest())
        return kFrameTimerMs;
    // New texts: the next tick tells screen readers the elements' new names.
    if (s.Announced.Texts != s.TextsVersion)
        return kFrameTimerMs;
    if (s.CurrentPage != PageInstalling)
        return 0;
    const ULONGLONG hold = CarouselHoldLeft();
    return hold < kFrameTimerMs ? kFrameTimerMs : static_cast<UINT>(hold);
}

void ScheduleTick() {
    EngineState &s = g_State;
    const UINT ms = NextTickMs();
    if (ms == s.FrameTimerMs)
        return;
    if (ms == 0)
        KillTimer(s.HostWindow, kFrameTimerId);
    else
        SetTimer(s.HostWindow, kFrameTimerId, ms, nullptr);
    // Nothing moved while the timer slept or waited for the carousel: the next
    // step is as long as one frame at most, not the whole pause.
    if (ms != kFrameTimerMs)
        s.AnimationRested = true;
    s.FrameTimerMs = ms;
}

void RecordPaint(ULONGLONG startTick, bool reachedScreen) {
    EngineState &s = g_State;
#ifdef KSUI_TESTING
    ++TestSeams::PaintCount;
#endif
    s.LastPaintEnd = NowTick();
    const ULONGLONG cost = s.LastPaintEnd - startTick;
    s.LastPaintCost = cost < kMaxPauseMs ? cost : kMaxPauseMs;
    // A frame lost with its device is drawn again by the next tick.
    if (!reachedScreen)
        return;
    s.FrameRequested = false;
    PaintedLook &p = s.Painted;
    for (int id = 0; id <= kElementCount; ++id)
        p.HoverLevel[id] = s.HoverLevel[id];
    p.ProgressShown = s.ProgressShown;
    p.StatusVersion = s.StatusVersion;
    p.StatusTextWidth = s.StatusTextWidth;
    p.SlideIndex = s.SlideIndex;
    p.NextSlide = s.NextSlide;
    p.SlideFade = s.SlideFade;
}

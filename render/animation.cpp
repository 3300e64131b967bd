#include "render/animation.h"

#include "geometry/layout.h"

namespace {

constexpr float kFirstStepSeconds = 0.016f;
constexpr float kMaxStepSeconds = 0.1f; // a stall never makes an animation jump further
// After a rest, when no frame timer ran, the first step is one frame at most:
// the animation starts from the change, not from the last step long ago.
constexpr float kFrameSeconds = static_cast<float>(kFrameTimerMs) / 1000.0f;
constexpr float kHoverRate = 12.0f;
constexpr float kProgressRate = 6.0f;
constexpr float kProgressSnap = 0.4f;
constexpr float kFadeSeconds = 0.6f;
constexpr ULONGLONG kSlideHoldMs = 2800;

float HoverTarget(int id) {
    const EngineState &s = g_State;
    const bool lit =
        id == s.HoverElement && ElementLive(id) && (id != ElemInstall || s.Options[OptionAgree - 1] != 0);
    return lit ? 1.0f : 0.0f;
}

} // namespace

void StepAnimation() {
    EngineState &s = g_State;

    // --- Frame delta ---
    const ULONGLONG now = NowTick();
    float dt = kFirstStepSeconds;
    if (s.LastFrameTick != 0)
        dt = static_cast<float>(now - s.LastFrameTick) / 1000.0f;
    s.LastFrameTick = now;
    const float cap = s.AnimationRested ? kFrameSeconds : kMaxStepSeconds;
    s.AnimationRested = false;
    const float d = dt <= cap ? dt : cap;

    // --- Hover levels; with reduced motion they change at once ---
    const float k = s.ReducedMotion || kHoverRate * d >= 1.0f ? 1.0f : kHoverRate * d;
    for (int id = ElemMinimize; id <= ElemLaunch; ++id) {
        const float target = HoverTarget(id);
        s.HoverLevel[id] = s.HoverLevel[id] + (target - s.HoverLevel[id]) * k;
    }

    // --- Displayed progress: eased upwards, the last 0.4 snaps; with reduced motion it jumps ---
    const float target = static_cast<float>(s.ProgressTarget);
    const float diff = target - s.ProgressShown;
    if (!s.ReducedMotion && (diff > kProgressSnap || diff < -kProgressSnap)) {
        const float rate = kProgressRate * d < 1.0f ? kProgressRate * d : 1.0f;
        s.ProgressShown = diff * rate + s.ProgressShown;
    } else {
        s.ProgressShown = target;
    }

    // --- Carousel timing, installing page only ---
    if (s.CurrentPage != PageInstalling)
        return;
    if (s.NextSlide >= 0) {
        s.SlideFade = s.SlideFade + d / kFadeSeconds;
        if (s.SlideFade >= 1.0f) {
            s.SlideIndex = s.NextSlide;
            s.NextSlide = -1;
            s.SlideShownAt = now;
            s.SlideFade = 0.0f;
        }
    } else if (s.SlideShownAt == 0) {
        s.SlideShownAt = now;
    } else if (now - s.SlideShownAt > kSlideHoldMs) {
        s.NextSlide = (s.SlideIndex % 4) + 1;
        s.SlideFade = 0.0f;
    }
}

float IncomingSlideOpacity() { return g_State.ReducedMotion ? 1.0f : g_State.SlideFade; }

bool AnimationAtRest() {
    const EngineState &s = g_State;
    if (s.ProgressShown != static_cast<float>(s.ProgressTarget))
        return false;
    if (s.CurrentPage == PageInstalling && s.NextSlide >= 0)
        return false;
    for (int id = ElemMinimize; id <= ElemLaunch; ++id) {
        const float d = HoverTarget(id) - s.HoverLevel[id];
        if (d > kHoverUnseen || d < -kHoverUnseen)
            return false;
    }
    return true;
}

ULONGLONG CarouselHoldLeft() {
    const EngineState &s = g_State;
    if (s.SlideShownAt == 0)
        return 0;
    // The next slide comes at the first step more than the hold after the last one came.
    const ULONGLONG due = s.SlideShownAt + kSlideHoldMs + 1;
    const ULONGLONG now = NowTick();
    return now >= due ? 0 : due - now;
}

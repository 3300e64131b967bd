// Cost of the two per-event hot paths: HitTest runs on every mouse message and
// on every drag-thread poll, StepAnimation on every frame and host command.
// Prints nanoseconds per call; nothing here is checked against a limit.
#include "state/state.h"
#include "render/animation.h"
#include "geometry/layout.h"

#include <cstdio>

namespace {

double Seconds(const LARGE_INTEGER &from, const LARGE_INTEGER &to, const LARGE_INTEGER &frequency) {
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Points spread over the canvas: on buttons, on empty space, on edges.
const D2D1_POINT_2F kPoints[] = {
    {990, 28}, {950, 20}, {512, 608}, {362, 580}, {662, 600}, {40, 705}, {100, 710}, {200, 710},
    {900, 710}, {880, 780}, {155, 825}, {425, 825}, {695, 825}, {5, 5}, {512, 300}, {1020, 740},
};
constexpr int kPointCount = sizeof(kPoints) / sizeof(kPoints[0]);

void SetUpWelcomeWithPanel() {
    g_State.CurrentPage = PageWelcome;
    g_State.CustomPanelOpen = true;
    g_State.ContentBoost = 1.25f;
    g_State.AgreeTextWidth = 131.25f;
    g_State.LicenseTextWidth = 150.0f;
    g_State.CustomTextWidth = 93.75f;
}

double BenchHitTest(int iterations, const LARGE_INTEGER &frequency, int &sink) {
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    for (int i = 0; i < iterations; ++i) {
        const D2D1_POINT_2F &p = kPoints[i % kPointCount];
        sink += HitTest(p.x, p.y);
    }
    QueryPerformanceCounter(&to);
    return Seconds(from, to, frequency) * 1e9 / iterations;
}

double BenchStepAnimation(LONG page, int iterations, const LARGE_INTEGER &frequency) {
    g_State.CurrentPage = page;
    g_State.HoverElement = ElemClose;
    g_State.ProgressTarget = 1000;
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    for (int i = 0; i < iterations; ++i)
        StepAnimation();
    QueryPerformanceCounter(&to);
    return Seconds(from, to, frequency) * 1e9 / iterations;
}

} // namespace

int main() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    constexpr int kIterations = 5000000;
    int sink = 0;

    SetUpWelcomeWithPanel();
    BenchHitTest(kIterations / 10, frequency, sink); // warm-up
    const double hitWelcome = BenchHitTest(kIterations, frequency, sink);
    g_State.CurrentPage = PageInstalling;
    const double hitInstalling = BenchHitTest(kIterations, frequency, sink);

    // StepAnimation reads the real tick counter, as the shipped library does.
    const double stepWelcome = BenchStepAnimation(PageWelcome, kIterations, frequency);
    const double stepInstalling = BenchStepAnimation(PageInstalling, kIterations, frequency);

    std::printf("layout_bench: %d iterations each\n", kIterations);
    std::printf("  HitTest, welcome page with panel open: %8.2f ns per call\n", hitWelcome);
    std::printf("  HitTest, installing page:              %8.2f ns per call\n", hitInstalling);
    std::printf("  StepAnimation, welcome page:           %8.2f ns per call\n", stepWelcome);
    std::printf("  StepAnimation, installing page:        %8.2f ns per call\n", stepInstalling);
    std::printf("  (checksum %d, slide %d)\n", sink, g_State.SlideIndex);
    return 0;
}

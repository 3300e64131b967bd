// What a change of language costs: each KSUiSetLanguage on an attached window
// builds the text formats again, measures every caption and lays the rows out
// anew (the frame that shows it is painted afterwards, as for any change).
// Then the English page at rest: frame-timer wake-ups and CPU over 5 s.
// Prints the figures; nothing is checked against a limit.
#include "bench/bench_clock.h"
#include "tests/paint_support.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace BenchClock;

namespace {

double Milliseconds(LONGLONG ticks) { return 1000.0 * Seconds(ticks); }

} // namespace

int main() {
    TestHost::ResetEngine();
    g_State.Module = GetModuleHandleW(nullptr);
    SetCursorPos(0, 0); // the pointer stays off the window: a page at rest
    HWND window = TestHost::CreateHostWindow(true);
    if (!window || KSUiAttach(window, nullptr) != 1) {
        std::printf("attach failed\n");
        return 1;
    }
    CountTimerWakes();
    TestHost::Pump(1500); // first paint, reveal

    const wchar_t *const tags[] = {L"en-US", L"ar", L"he", L"zh-CN"};
    std::vector<double> times;
    for (int round = 0; round < 25; ++round) {
        for (const wchar_t *tag : tags) {
            const LONGLONG start = Counter();
            KSUiSetLanguage(tag);
            times.push_back(Milliseconds(Counter() - start));
            TestHost::Pump(60); // the frame that shows it
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %6.2f ms   slowest %6.2f ms   (%u changes)\n",
                "KSUiSetLanguage, formats measured and laid out", times[times.size() / 2], times.back(),
                static_cast<unsigned>(times.size()));

    KSUiSetLanguage(L"en-US");
    TestHost::Pump(1500); // the change's frame and the hover fades come to rest
    const LONG wakes = g_TimerWakes;
    const double cpu = ProcessCpuSeconds();
    const LONGLONG start = Counter();
    TestHost::Pump(5000);
    const double seconds = Seconds(Counter() - start);
    std::printf("%-44s CPU %6.2f %% of a core   %6.2f timer wakes/s   (%.1f s)\n", "English welcome page at rest",
                100.0 * (ProcessCpuSeconds() - cpu) / seconds, (g_TimerWakes - wakes) / seconds, seconds);

    KSUiDetach();
    DestroyWindow(window);
    TestHost::ResetEngine();
    return 0;
}

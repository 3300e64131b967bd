// What the window costs while a host runs it: CPU per second, frames per
// second and frame-timer wake-ups per second of an attached page over 10 s of
// normal message pumping (twice 20 s on the installing page, so that about six
// cross-fades fall into each), the cost of a million KSUiSetProgress calls
// before and after a UI Automation client has asked for the window's elements
// (from then on the tick raises their events), the welcome page at rest with
// that client, and how long a host's pump-until-empty loop takes to come back
// in each state of the window.
#include "bench/bench_clock.h"
#include "tests/paint_support.h"

#include "state/seams.h"
#include "tests/host/uia_client.h"

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace BenchClock;
using namespace PaintSupport;

namespace {

// Runs the window as a host's message loop would for the given time.
void RunLoop(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void CpuAndFrames(const char *name, DWORD ms) {
    const LONG frames = TestSeams::PaintCount;
    const LONG wakes = g_TimerWakes;
    const double cpu = ProcessCpuSeconds();
    const LONGLONG start = Counter();
    RunLoop(ms);
    const double wall = Seconds(Counter() - start);
    std::printf("%-44s CPU %6.2f %% of a core   %6.2f frames/s   %6.2f timer wakes/s   (%.1f s)\n", name,
                100.0 * (ProcessCpuSeconds() - cpu) / wall, (TestSeams::PaintCount - frames) / wall,
                (g_TimerWakes - wakes) / wall, wall);
}

// Five rounds of 4,000,000 calls, in each of which the bar climbs from 0 to
// 100 % once; prints the median round. A round is long enough that the few
// frames painted in it (the first call of a round lowers the bar) weigh
// little against the calls.
void ProgressCalls(const char *name) {
    constexpr int kCalls = 4000000;
    constexpr int kRounds = 5;
    double perCall[kRounds];
    const LONG frames = TestSeams::PaintCount;
    for (double &round : perCall) {
        const LONGLONG start = Counter();
        for (int i = 0; i < kCalls; ++i)
            KSUiSetProgress(i / (kCalls / 1000));
        round = Seconds(Counter() - start) * 1e9 / kCalls;
    }
    std::sort(perCall, perCall + kRounds);
    std::printf("%-44s %8.1f ns per call (median of %d rounds, %.1f to %.1f)   %ld frames painted\n", name,
                perCall[kRounds / 2], kRounds, perCall[0], perCall[kRounds - 1],
                static_cast<long>(TestSeams::PaintCount - frames));
}

// A host inside a long copy: pump until the queue is empty, then go back to
// work. Reports the longest of 20 such loops, and gives up after 30 s. With
// crossFade, every loop starts with a cross-fade of the carousel under way.
void PumpUntilEmpty(const char *name, bool crossFade = false) {
    double longest = 0.0;
    for (int round = 0; round < 20; ++round) {
        if (crossFade && g_State.NextSlide < 0) {
            g_State.NextSlide = (g_State.SlideIndex % 4) + 1;
            g_State.SlideFade = 0.0f;
        }
        Sleep(40); // work: the frame timer comes due meanwhile
        const LONGLONG start = Counter();
        MSG msg;
        bool empty = false;
        while (!empty && Seconds(Counter() - start) < 30.0) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            } else {
                empty = true;
            }
        }
        longest = std::max(longest, Seconds(Counter() - start));
        if (!empty) {
            std::printf("%-44s did not return within 30 s\n", name);
            return;
        }
    }
    std::printf("%-44s pump-until-empty returns in at most %7.1f ms (20 loops)\n", name, longest * 1000.0);
}

} // namespace

int main() {
    const std::wstring folder = FreshFolder(L"frames_bench");
    for (int n = 1; n <= 5; ++n)
        WritePicture(HeroPath(folder, n), GUID_ContainerFormatPng, 1920, 1080, [n](UINT x, UINT y) {
            return 0xFF000000u | ((x * 255 / 1920) << 16) | ((y * 255 / 1080) << 8) | (n * 40);
        });

    TestHost::ResetEngine();
    g_State.Module = GetModuleHandleW(nullptr);
    KSUiSetHeroDir(folder.c_str());
    SetCursorPos(0, 0); // the pointer stays off the window: a page at rest
    HWND window = TestHost::CreateHostWindow(true);
    if (!window || KSUiAttach(window, nullptr) != 1) {
        std::printf("attach failed\n");
        return 1;
    }
    CountTimerWakes();
    RunLoop(1500); // first paint, reveal, hover fades
    const auto togglePanel = [window] {
        const D2D1_POINT_2F toggle = TestHost::ElementCentre(ElemCustomToggle);
        TestHost::Click(window, toggle.x, toggle.y);
    };

    CpuAndFrames("welcome page at rest", 10000);
    PumpUntilEmpty("welcome page");
    togglePanel();
    RunLoop(500);
    PumpUntilEmpty("welcome page, panel open");
    togglePanel();

    KSUiSetState(PageInstalling);
    KSUiSetStatus(L"正在复制文件：KestoNotes.exe");
    KSUiSetProgress(500);
    RunLoop(500);
    // The first round of the carousel draws each slide's still layer once;
    // the rounds after it fade from layers kept in memory.
    CpuAndFrames("installing page at 50 %, carousel, first 20 s", 20000);
    CpuAndFrames("installing page at 50 %, carousel, next 20 s", 20000);
    PumpUntilEmpty("installing page, cross-fade running", true);
    ProgressCalls("KSUiSetProgress, no UIA client");

    // A client asks for the window's element, as a screen reader does when
    // the window comes to the front; from then on each tick raises events.
    UiaClient::Node client = nullptr;
    UiaClient::OffThread([&] { client = UiaClient::FromWindow(window); });
    if (!client)
        std::printf("no UI Automation client could connect\n");
    KSUiSetProgress(0);
    RunLoop(500);
    ProgressCalls("KSUiSetProgress, a UIA client");

    KSUiSetState(PageWelcome);
    RunLoop(1500);
    CpuAndFrames("welcome page at rest, a UIA client", 10000);
    KSUiSetState(PageInstalling);

    KSUiSetState(PageFinished);
    RunLoop(500);
    PumpUntilEmpty("finished page");

    KSUiDetach();
    UiaClient::OffThread([client] { UiaClient::Release(client); });
    DestroyWindow(window);
    TestHost::ResetEngine();
    return 0;
}

// Cost of one frame (PaintFrame, from binding the target to the presented
// EndDraw), through the window's own render target and through a DC target bound
// to a window DC: the welcome page at 1024 x 745 and 614 x 447, and the
// installing page while a cross-fade draws two pictures. A full frame is a
// requested one (it draws the still layer again); beside it, frames in which
// only a hover level, the progress (with and without a new percentage) or
// the status text changed, and steps of a cross-fade.
// Prints the median and 95th percentile.
#include "bench/bench_clock.h"
#include "tests/paint_support.h"

#include "render/compositor.h"
#include "render/frame_schedule.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace PaintSupport;

namespace {

constexpr int kFrames = 100;

double Milliseconds(LONGLONG ticks) { return BenchClock::Seconds(ticks) * 1000.0; }

// Makes frame i differ from the one before it.
using Change = std::function<void(int i)>;
const Change kRequested = [](int) { RequestFrame(); };
const Change kHoverOnly = [](int i) { g_State.HoverLevel[ElemClose] = i % 2 ? 0.5f : 0.6f; };
const Change kProgressOnly = [](int i) { g_State.ProgressShown = i % 2 ? 500.0f : 510.0f; };
const Change kBarOnly = [](int i) { g_State.ProgressShown = i % 2 ? 500.0f : 504.0f; };
// A host reporting the file it copies.
const Change kStatusOnly = [](int i) {
    g_State.StatusText = i % 2 ? L"正在复制文件：KestoNotes.exe" : L"正在复制文件：KestoNotes.dll";
    ++g_State.StatusVersion;
};
// A cross-fade under way: each frame shows the incoming picture a little more.
const Change kFadeStep = [](int i) { g_State.SlideFade = static_cast<float>(i % 20) / 20.0f; };

double Report(const char *name, const char *path, HWND window, const Change &change) {
    std::vector<LONGLONG> costs;
    costs.reserve(kFrames);
    for (int i = 0; i < kFrames; ++i) {
        change(i);
        const LONGLONG start = BenchClock::Counter();
        PaintFrame(0);
        costs.push_back(BenchClock::Counter() - start);
        // Let the window's own messages through, as the frame timer would.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // A paint message comes back until its region is validated; the
            // frames measured here are painted by this loop itself.
            if (msg.message == WM_PAINT)
                ValidateRect(msg.hwnd, nullptr);
            else if (msg.message != WM_TIMER)
                DispatchMessageW(&msg);
        }
    }
    std::sort(costs.begin(), costs.end());
    RECT client = {};
    GetClientRect(window, &client);
    const double median = Milliseconds(costs[costs.size() / 2]);
    std::printf("%-44s %-14s %4ld x %-4ld median %7.3f ms   p95 %7.3f ms   (%d frames)\n", name, path, client.right,
                client.bottom, median, Milliseconds(costs[costs.size() * 95 / 100]), kFrames);
    return median;
}

// Attaches a hidden window, sizes it to the scale (0 keeps the engine's own),
// and shows it: the render target is created at that size by the first paint.
HWND AttachAt(float scale, const std::wstring &folder) {
    TestHost::ResetEngine();
    if (!g_State.Module)
        g_State.Module = GetModuleHandleW(nullptr);
    KSUiSetHeroDir(folder.c_str());
    HWND window = TestHost::CreateHostWindow(false);
    if (!window || KSUiAttach(window, nullptr) != 1) {
        std::printf("attach failed\n");
        return nullptr;
    }
    if (scale > 0.0f) {
        g_State.WindowScale = scale;
        ApplyWindowSize(true);
    }
    ShowWindow(window, SW_SHOW);
    TestHost::Pump(300);
    return window;
}

void Detach(HWND window) {
    KSUiDetach();
    DestroyWindow(window);
    TestHost::Pump(20);
}

} // namespace

int main() {
    // Each line goes out as it is printed, so a slow run still shows what it measured.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Full-HD pictures with some detail, as a host would ship them.
    const std::wstring folder = FreshFolder(L"bench");
    for (int n = 1; n <= 5; ++n)
        WritePicture(HeroPath(folder, n), GUID_ContainerFormatPng, 1920, 1080, [n](UINT x, UINT y) {
            return 0xFF000000u | ((x * 255 / 1920) << 16) | ((y * 255 / 1080) << 8) | (n * 40);
        });
    FreezeClock();

    const struct {
        int Dc;
        const char *Name;
    } paths[] = {{0, "window target"}, {1, "DC target"}};
    for (const auto &path : paths) {
        TestSeams::ForcedDcRenderTarget = path.Dc;
        for (float scale : {1.0f, 0.0f}) {
            HWND window = AttachAt(scale, folder);
            if (!window)
                return 1;
            const double full = Report("welcome page, full frame", path.Name, window, kRequested);
            const double hover = Report("welcome page, only a hover level moved", path.Name, window, kHoverOnly);
            std::printf("%-44s %.3f of a full frame\n", "", hover / full);
            Detach(window);
        }

        HWND window = AttachAt(0.0f, folder);
        if (!window)
            return 1;
        KSUiSetState(PageInstalling);
        KSUiSetStatus(L"正在复制文件：KestoNotes.exe");
        g_State.ProgressTarget = 500;
        g_State.ProgressShown = 500.0f;
        const double full = Report("installing page, full frame", path.Name, window, kRequested);
        const double progress = Report("installing page, only the progress moved", path.Name, window, kProgressOnly);
        std::printf("%-44s %.3f of a full frame\n", "", progress / full);
        const double bar = Report("  the bar, but not the percentage", path.Name, window, kBarOnly);
        std::printf("%-44s %.3f of a full frame\n", "", bar / full);
        const double status = Report("installing page, only the status changed", path.Name, window, kStatusOnly);
        std::printf("%-44s %.3f of a full frame\n", "", status / full);
        // The fade from picture 2 to picture 3, moving on with every frame.
        g_State.NextSlide = 2;
        g_State.SlideFade = 0.5f;
        Report("installing page, a cross-fade step", path.Name, window, kFadeStep);
        Detach(window);
    }
    TestSeams::ForcedDcRenderTarget = -1;
    ReleaseClock();
    TestHost::ResetEngine();
    return 0;
}

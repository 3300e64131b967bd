// Cost of one frame (PaintFrame, from binding the target to the presented
// EndDraw): the welcome page at 1024 x 745 and 614 x 447, and the installing page
// while a cross-fade draws two pictures, each through the window's own render
// target and through a DC target bound to a window DC. Prints the median and
// 95th percentile.
#include "tests/paint_support.h"

#include "render/frame.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace PaintSupport;

namespace {

constexpr int kFrames = 100;

double Milliseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Report(const char *page, const char *path, HWND window) {
    std::vector<LONGLONG> costs;
    costs.reserve(kFrames);
    for (int i = 0; i < kFrames; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        PaintFrame();
        QueryPerformanceCounter(&end);
        costs.push_back(end.QuadPart - start.QuadPart);
        // Let the window's own messages through, as the frame timer would.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_PAINT && msg.message != WM_TIMER)
                DispatchMessageW(&msg);
        }
        ValidateRect(window, nullptr);
    }
    std::sort(costs.begin(), costs.end());
    RECT client = {};
    GetClientRect(window, &client);
    std::printf("%-36s %-14s %4ld x %-4ld median %7.3f ms   p95 %7.3f ms   (%d frames)\n", page, path, client.right,
                client.bottom,
                Milliseconds(costs[costs.size() / 2]), Milliseconds(costs[costs.size() * 95 / 100]), kFrames);
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
            Report("welcome page", path.Name, window);
            Detach(window);
        }

        HWND window = AttachAt(0.0f, folder);
        if (!window)
            return 1;
        KSUiSetState(PageInstalling);
        KSUiSetStatus(L"正在复制文件：KestoNotes.exe");
        g_State.ProgressTarget = 500;
        g_State.ProgressShown = 500.0f;
        // Halfway through the fade from picture 2 to picture 3: both are drawn.
        g_State.NextSlide = 2;
        g_State.SlideFade = 0.5f;
        Report("installing page, cross-fade running", path.Name, window);
        Detach(window);
    }
    TestSeams::ForcedDcRenderTarget = -1;
    ReleaseClock();
    TestHost::ResetEngine();
    return 0;
}

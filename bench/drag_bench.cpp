// What the drag thread costs while nobody drags: the CPU time it uses over 10 s
// on the installing page of an attached window whose host pumps messages, and
// how often it woke meanwhile (every return from one of its waits, counted by
// the test build). Nobody touches the mouse, so both should stay near zero.
// Prints the figures; nothing is checked against a limit.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"
#include "state/seams.h"

#include <cstdio>

namespace {

constexpr DWORD kIdleMs = 10000;

// Kernel and user time of a thread, in milliseconds.
bool ThreadCpuMs(HANDLE thread, double &kernelMs, double &userMs) {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user))
        return false;
    const auto ms = [](const FILETIME &t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    kernelMs = ms(kernel);
    userMs = ms(user);
    return true;
}

} // namespace

int main() {
    g_State.Module = GetModuleHandleW(nullptr);
    HWND window = TestHost::CreateHostWindow();
    if (!window || KSUiAttach(window, nullptr) != 1) {
        std::printf("drag_bench: could not attach a host window\n");
        return 1;
    }
    KSUiSetState(KSUI_PAGE_INSTALLING);
    TestHost::Pump(1000); // the first paint starts the renderer; leave it out

    double kernel0 = 0, user0 = 0, kernel1 = 0, user1 = 0;
    const bool before = ThreadCpuMs(g_State.DragThread, kernel0, user0);
    const LONG wakes0 = TestSeams::DragThreadWakes;
    const ULONGLONG start = GetTickCount64();
    TestHost::Pump(kIdleMs);
    const ULONGLONG elapsed = GetTickCount64() - start;
    const LONG wakes = TestSeams::DragThreadWakes - wakes0;
    const bool after = ThreadCpuMs(g_State.DragThread, kernel1, user1);

    if (!before || !after) {
        std::printf("drag_bench: GetThreadTimes failed (%lu)\n", GetLastError());
    } else {
        std::printf("drag thread CPU over %.1f s idle on the installing page: %.2f ms (kernel %.2f ms, user %.2f ms), "
                    "%.3f %% of one core\n",
                    elapsed / 1000.0, (kernel1 - kernel0) + (user1 - user0), kernel1 - kernel0, user1 - user0,
                    100.0 * ((kernel1 - kernel0) + (user1 - user0)) / static_cast<double>(elapsed));
    }
    std::printf("drag thread wake-ups over the same time: %ld (%.1f a second)\n", static_cast<long>(wakes),
                1000.0 * wakes / static_cast<double>(elapsed));
    KSUiDetach();
    DestroyWindow(window);
    return before && after ? 0 : 1;
}

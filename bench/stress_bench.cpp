// A seeded random mix of what hosts do, and the resources the process holds
// before and after it:
//   stress_bench.exe [seed, default 1] [steps, default 3000]
// The mix attaches and detaches, destroys the window while attached, posts
// clicks at element positions, calls every host command with odd arguments,
// waits for the decision, and has a second thread call the process functions.
// It prints the counts at the start, after one plain attach-paint-detach cycle,
// and at the end; nothing is checked against a limit.
//
// Under wine GetGuiResources and GetProcessHandleCount return 0, so GDI objects
// are counted by probing the handle table (a GDI handle whose upper word is 0
// matches the live object of that index there), kernel handles by probing with
// GetHandleInformation, and windows by enumeration.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace TestHost;

// --- Counting ---

struct Counts {
    int Dc = 0, Region = 0, Bitmap = 0, Brush = 0, Font = 0, OtherGdi = 0;
    int GuiResources = 0; // GetGuiResources(GR_GDIOBJECTS): meaningful on Windows only
    int Windows = 0;      // this process's top-level windows and their children
    int Handles = 0;      // kernel handles
    int Threads = 0;
};

// The indices of live GDI objects of one type (OBJ_BITMAP, ...).
std::vector<ULONG_PTR> LiveGdi(DWORD type) {
    std::vector<ULONG_PTR> live;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) == type)
            live.push_back(index);
    return live;
}

// What the bitmaps made during the mix are: their sizes say whose they are.
void DescribeNewBitmaps(const std::vector<ULONG_PTR> &before) {
    int shown = 0;
    for (ULONG_PTR index : LiveGdi(OBJ_BITMAP)) {
        if (std::find(before.begin(), before.end(), index) != before.end())
            continue;
        BITMAP b = {};
        GetObjectW(reinterpret_cast<HGDIOBJ>(index), sizeof b, &b);
        if (shown++ < 8)
            std::printf("  new bitmap %#lx: %ld x %ld, %u bits\n", static_cast<unsigned long>(index), b.bmWidth,
                        b.bmHeight, static_cast<unsigned>(b.bmBitsPixel));
    }
    if (shown > 8)
        std::printf("  ... %d new bitmaps in all\n", shown);
}

void CountGdi(Counts &c) {
    for (ULONG_PTR index = 1; index < 0x10000; ++index) {
        switch (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) {
        case 0:
            break;
        case OBJ_DC:
        case OBJ_MEMDC:
            ++c.Dc;
            break;
        case OBJ_REGION:
            ++c.Region;
            break;
        case OBJ_BITMAP:
            ++c.Bitmap;
            break;
        case OBJ_BRUSH:
            ++c.Brush;
            break;
        case OBJ_FONT:
            ++c.Font;
            break;
        default:
            ++c.OtherGdi;
            break;
        }
    }
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int *>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId()) {
        ++*reinterpret_cast<int *>(count);
        EnumChildWindows(window, CountChild, count);
    }
    return TRUE;
}

Counts Measure() {
    Counts c;
    CountGdi(c);
    c.GuiResources = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&c.Windows));
    DWORD flags = 0;
    for (ULONG_PTR h = 4; h < 0x10000; h += 4)
        c.Handles += GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags) ? 1 : 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
            c.Threads += entry.th32OwnerProcessID == GetCurrentProcessId();
        CloseHandle(snapshot);
    }
    return c;
}

void Print(const char *when, const Counts &c) {
    std::printf("%-12s gdi dc %4d region %4d bitmap %4d brush %4d font %4d other %4d (GetGuiResources %d)"
                "  windows %3d  handles %4d  threads %2d\n",
                when, c.Dc, c.Region, c.Bitmap, c.Brush, c.Font, c.OtherGdi, c.GuiResources, c.Windows, c.Handles,
                c.Threads);
}

// --- The second thread: process functions whenever asked ---

struct ProcessCaller {
    HANDLE Request = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE Stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    unsigned Seed = 0;
};

DWORD WINAPI ProcessThread(LPVOID param) {
    ProcessCaller &p = *static_cast<ProcessCaller *>(param);
    std::mt19937 rng(p.Seed ^ 0x5bd1e995u);
    const wchar_t *const names[] = {L"no_such_program.exe", nullptr, L"", L"C:/nowhere/x.exe", L"explorer.exe"};
    HANDLE waits[2] = {p.Stop, p.Request};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        const wchar_t *name = names[rng() % 5];
        wchar_t report[64];
        switch (rng() % 3) {
        case 0:
            KSUiIsAppRunning(name);
            break;
        case 1:
            // Never a real name: the stress run must not end wine's own processes.
            KSUiKillApp(name == names[4] ? names[0] : name, static_cast<int>(rng() % 50) - 10);
            break;
        default:
            KSUiProcReport(report, static_cast<int>(rng() % 70) - 5);
            break;
        }
    }
    return 0;
}

// --- The mix ---

class Mix {
  public:
    explicit Mix(unsigned seed) : rng_(seed) {}

    void Step(ProcessCaller &caller) {
        switch (rng_() % 16) {
        case 0:
        case 1:
            Attach();
            break;
        case 2:
            KSUiDetach();
            if (Chance(2))
                DestroyHost();
            break;
        case 3:
            DestroyHost(); // attached or not: the engine must cope
            break;
        case 4:
        case 5:
            PostClick(1 + static_cast<int>(rng_() % 11));
            break;
        case 6:
            KSUiSetState(Pick({0, 1, 2, -1, 3, 1000, INT32_MIN}));
            break;
        case 7:
            KSUiSetProgress(Pick({0, 500, 1000, -5, 1001, INT32_MAX, INT32_MIN, static_cast<int>(rng_() % 1000)}));
            break;
        case 8:
            KSUiSetStatus(Text());
            break;
        case 9: {
            KSUiSetDir(Text());
            wchar_t dir[300];
            KSUiGetDir(Chance(4) ? nullptr : dir, Pick({-1, 0, 1, 5, 300}));
            break;
        }
        case 10:
            KSUiGetOption(Pick({0, 1, 2, 3, 4, 5, -1, INT32_MAX}));
            KSUiSetBranding(Text(), Pick({-1, 0, 0xFF0000, INT32_MAX}), Pick({-1, 0x00FF00, INT32_MIN}));
            break;
        case 11: {
            KSUiSetHeroDir(Text());
            wchar_t error[200];
            KSUiLastError(Chance(4) ? nullptr : error, Pick({-7, 0, 1, 200}));
            break;
        }
        case 12:
            SetEvent(caller.Request);
            break;
        case 13:
            // The user decides while the host waits.
            PostClick(Chance(2) ? 2 /* close */ : 11 /* launch */);
            PostClick(2);
            KSUiWaitDone();
            break;
        default:
            Pump(rng_() % 40);
            break;
        }
    }

    void Finish() {
        KSUiDetach();
        for (HWND w : windows_)
            if (IsWindow(w))
                DestroyWindow(w);
        windows_.clear();
        host_ = nullptr;
    }

  private:
    bool Chance(unsigned n) { return rng_() % n == 0; }
    int Pick(std::initializer_list<int> values) { return values.begin()[rng_() % values.size()]; }

    const wchar_t *Text() {
        static const std::wstring longText(5000, L'安');
        static const wchar_t *const texts[] = {L"", L"正在复制文件", L"C:\\Program Files\\Product", nullptr};
        const unsigned i = rng_() % 5;
        return i == 4 ? longText.c_str() : texts[i];
    }

    void Attach() {
        if (!host_ || !IsWindow(host_)) {
            host_ = CreateHostWindow(!Chance(4));
            windows_.push_back(host_);
        }
        KSUiAttach(host_, nullptr);
    }

    void DestroyHost() {
        if (host_ && IsWindow(host_))
            DestroyWindow(host_);
        host_ = nullptr;
    }

    void PostClick(int element) {
        if (!g_State.HostWindow)
            return;
        const D2D1_POINT_2F p = ElementCentre(element);
        const POINT px = ClientFromDesign(p.x, p.y);
        PostMessageW(g_State.HostWindow, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(px.x, px.y));
        PostMessageW(g_State.HostWindow, WM_LBUTTONUP, 0, PackPoint(px.x, px.y));
    }

    std::mt19937 rng_;
    HWND host_ = nullptr;
    std::vector<HWND> windows_;
};

} // namespace

int main(int argc, char **argv) {
    const unsigned seed = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 1;
    const int steps = argc > 2 ? std::atoi(argv[2]) : 3000;
    g_State.Module = GetModuleHandleW(nullptr);
    std::printf("stress_bench: seed %u, %d steps\n", seed, steps);
    Print("start", Measure());

    // One plain cycle first: the renderer and the system's caches settle here.
    HWND first = CreateHostWindow();
    if (KSUiAttach(first, nullptr) != 1) {
        std::printf("stress_bench: could not attach a host window\n");
        return 1;
    }
    Pump(500);
    KSUiDetach();
    DestroyWindow(first);
    Pump(200);
    const Counts baseline = Measure();
    const std::vector<ULONG_PTR> baselineBitmaps = LiveGdi(OBJ_BITMAP);
    Print("first cycle", baseline);

    ProcessCaller caller;
    caller.Seed = seed;
    HANDLE thread = CreateThread(nullptr, 0, ProcessThread, &caller, 0, nullptr);
    Mix mix(seed);
    const ULONGLONG began = GetTickCount64();
    for (int i = 0; i < steps; ++i)
        mix.Step(caller);
    mix.Finish();
    SetEvent(caller.Stop);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    Pump(500);
    const Counts end = Measure();
    Print("end", end);
    DescribeNewBitmaps(baselineBitmaps);
    std::printf("%-12s gdi dc %+d region %+d bitmap %+d  windows %+d  handles %+d  threads %+d  (%.1f s)\n",
                "end - first", end.Dc - baseline.Dc, end.Region - baseline.Region, end.Bitmap - baseline.Bitmap,
                end.Windows - baseline.Windows, end.Handles - baseline.Handles, end.Threads - baseline.Threads,
                static_cast<double>(GetTickCount64() - began) / 1000.0);
    return 0;
}

// From a double click to the first frame on screen, step by step, and what the
// program holds once its page rests, mapping by mapping; beside the NSIS MUI2
// peer, in the same run:
//   launch_bench.exe [measured runs, default 3] [only the subjects whose name holds this] [another build tree]
//
// Three subjects, each started as a process of its own, one after the other,
// once to warm the caches and then the given number of times (medians printed):
//   - the peer, ..\peer\nsis_peer.exe (scripts/bench builds it);
//   - the demo setup program, ..\demo\KestoSetup.exe with its pictures;
//   - this program as a bare host (--host): it sets what the demo sets,
//     attaches, and holds the welcome page with the same five pictures. Linked
//     with the test build of the engine, it notes the time of every step the
//     engine takes to its first frame (TestSeams::StageReached).
//
// The first frame is found on the screen itself: from the launch on, the
// subject's window is copied from the screen every few milliseconds, and the
// first copy that already shows what the window still shows three seconds
// later is its first frame, fully drawn. Clocks: QueryPerformanceCounter, which
// under Wine is the host system's monotonic clock in every process.
//
// At rest (two seconds after that), the subject's memory is read mapping by
// mapping from /proc/PID/smaps. The Windows process is a Unix process of its
// own under Wine; it is found by a tag on its command line. A mapping that Wine
// reports as committed (VirtualQueryEx) is the Windows side: heaps, stacks,
// DIB sections, the written pages of PE images. Everything else is the Unix
// side: Wine's own libraries, Mesa and LLVM, X11. CPU at rest is read from
// /proc/PID/stat for the subject, the wineserver and Xvfb over ten seconds.
// The demo and the bare host are then moved to the installing page, and their
// memory is read again once the carousel has shown every picture.
#include "bench/bench_clock.h"
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"
#include "state/seams.h"
#include "render/compositor.h"
#include "render/frame_schedule.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// --- Clock ---

double Now() { return BenchClock::Seconds(BenchClock::Counter()); }

double Median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// --- The bare host (--host) ---

// What the bare host does when the benchmark asks: show the installing page;
// let go of everything made with Direct2D; make it again and paint.
constexpr UINT kShowInstallingPage = WM_APP + 1;
constexpr UINT kLetGoOfDirect2D = WM_APP + 2;
constexpr UINT kRemakeDirect2D = WM_APP + 3;

std::vector<std::pair<const char *, double>> g_Stages;

void NoteStage(const char *stage) { g_Stages.push_back({stage, Now()}); }

LRESULT CALLBACK BareHostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kShowInstallingPage) {
        KSUiSetState(1);
        KSUiSetStatus(L"正在复制文件：KestoNotes.exe");
        KSUiSetProgress(500);
        return 0;
    }
    if (msg == kLetGoOfDirect2D) {
        // What a page at rest would hold without Direct2D: under Wine the
        // factory keeps the one Direct3D device of its DC targets, so
        // everything made with it goes, the factory last.
        ReleaseDeviceResources();
        ReleaseAndNull(g_State.StrokeStyle);
        ReleaseAndNull(g_State.D2DFactory);
        return 0;
    }
    if (msg == kRemakeDirect2D) {
        // And what the next frame would then pay: a new factory, device,
        // pictures and a whole frame. The answer is in milliseconds.
        const double start = Now();
        D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr,
                          reinterpret_cast<void **>(&g_State.D2DFactory));
        RequestFrame();
        UpdateWindow(window);
        return static_cast<LRESULT>((Now() - start) * 1000.0);
    }
    if (msg == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

// Does what the demo setup program does up to its first frame, with the
// engine linked in, and writes "stage<TAB>seconds" lines to the report file.
int BareHost(const wchar_t *report, const wchar_t *pictures) {
    g_Stages.reserve(64);
    NoteStage("main");
    TestSeams::StageReached = NoteStage;
    g_State.Module = GetModuleHandleW(nullptr);
    SetProcessDPIAware();
    KSUiSetBranding(L"《许可与隐私协议》", 0x1F6FEB, 0x14B8C4);
    KSUiSetHeroDir(pictures);
    KSUiSetDir(L"C:\\Program Files\\Kesto Notes");
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = BareHostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"KestoLaunchBenchHost";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Kesto Notes 安装程序", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 800, 600, nullptr, nullptr, wc.hInstance, nullptr);
    NoteStage("host ready");
    if (!window || !KSUiAttach(window, nullptr))
        return 1;
    NoteStage("attached");
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    NoteStage("shown");
    if (FILE *f = _wfopen(report, L"w")) {
        for (const auto &stage : g_Stages)
            std::fprintf(f, "%s\t%.6f\n", stage.first, stage.second);
        std::fclose(f);
    }
    TestSeams::StageReached = nullptr;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    KSUiDetach();
    DestroyWindow(window);
    return 0;
}

// --- Files and /proc (Z: is the Unix root under Wine) ---

std::string ReadWhole(const std::wstring &path) {
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    // Read at explicit offsets: the wineserver opens a file once and hands
    // every later opening of it the same descriptor, read position included.
    char buffer[65536];
    DWORD got = 0;
    OVERLAPPED at = {};
    while (ReadFile(file, buffer, sizeof buffer, &got, &at) && got > 0) {
        text.append(buffer, got);
        at.Offset = static_cast<DWORD>(text.size());
    }
    CloseHandle(file);
    return text;
}

std::wstring ProcPath(int pid, const wchar_t *name) {
    return L"Z:\\proc\\" + std::to_wstring(pid) + L"\\" + name;
}

// The newest Unix pid on the machine: the last field of /proc/loadavg.
int NewestUnixPid() {
    const std::string loadavg = ReadWhole(L"Z:\\proc\\loadavg");
    const size_t space = loadavg.rfind(' ');
    return space == std::string::npos ? 0 : std::atoi(loadavg.c_str() + space + 1);
}

// The NUL-separated entries of /proc/PID/environ or cmdline.
bool HasEntry(const std::string &list, const std::string &entry) {
    for (size_t at = 0; at < list.size();) {
        const size_t end = list.find('\0', at);
        if (list.compare(at, (end == std::string::npos ? list.size() : end) - at, entry) == 0)
            return true;
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return false;
}

std::string Narrow(const wchar_t *text) {
    char buffer[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

std::string EnvironmentValue(const wchar_t *name) {
    wchar_t value[1024] = {};
    GetEnvironmentVariableW(name, value, 1024);
    return Narrow(value);
}

// The Unix process among ids first..last whose environment or command line
// holds `entry`, or 0. Listing Z:\proc from Wine shows only part of it, so the
// ids are tried one by one. An id may be one of the process's threads, whose
// entry goes when the thread ends: the answer is its thread group, the process.
int FindUnixPid(int first, int last, const wchar_t *file, const std::string &entry) {
    for (int id = last; id >= first && id > 0; --id) {
        if (!HasEntry(ReadWhole(ProcPath(id, file)), entry))
            continue;
        const std::string status = ReadWhole(ProcPath(id, L"status"));
        const size_t tgid = status.find("Tgid:");
        return tgid == std::string::npos ? id : std::atoi(status.c_str() + tgid + 5);
    }
    return 0;
}

// User plus system time of a Unix process, in seconds.
double UnixCpu(int pid) {
    const std::string stat = ReadWhole(ProcPath(pid, L"stat"));
    const size_t close = stat.rfind(')');
    if (!pid || close == std::string::npos)
        return 0.0;
    // Fields after the name: state is field 3, utime 14 and stime 15.
    const char *p = stat.c_str() + close + 2;
    unsigned long long utime = 0, stime = 0;
    int field = 3;
    while (*p && field < 14) {
        if (*p++ == ' ')
            ++field;
    }
    std::sscanf(p, "%llu %llu", &utime, &stime);
    return static_cast<double>(utime + stime) / 100.0; // USER_HZ is 100 on Linux
}

// --- Memory by mapping ---

struct Memory {
    double Windows = 0;       // Wine's committed memory: the two below
    double WindowsImages = 0; // written pages of PE images (relocations, data)
    double WindowsPrivate = 0; // heaps, stacks, DIB sections, file views
    double UnixLibraries = 0; // written (relocated) pages of Unix shared objects: LLVM, Mesa, X11, Wine's .so
    double UnixHeap = 0;      // the Unix main heap ([heap])
    double UnixBlocks = 0;    // Unix anonymous mappings of 32 MiB and more
    double UnixOther = 0;     // other Unix anonymous mappings: thread arenas, stacks, Mesa and X11 allocations
    double Anonymous = 0;     // all of the above
    double Resident = 0;      // every resident page, files included
    std::vector<double> Blocks; // the sizes of the large Unix blocks, MiB
};

Memory ReadMemory(HANDLE process, int pid) {
    Memory m;
    const std::string smaps = ReadWhole(ProcPath(pid, L"smaps"));
    bool windows = false, image = false, named = false, heap = false;
    double size = 0;
    for (size_t at = 0; at < smaps.size();) {
        size_t end = smaps.find('\n', at);
        if (end == std::string::npos)
            end = smaps.size();
        const std::string line = smaps.substr(at, end - at);
        at = end + 1;
        unsigned long long start = 0, stop = 0;
        char name[512] = {};
        if (std::sscanf(line.c_str(), "%llx-%llx %*s %*s %*s %*s %511[^\n]", &start, &stop, name) >= 2 &&
            line.find(':') > line.find('-')) {
            MEMORY_BASIC_INFORMATION info = {};
            windows = VirtualQueryEx(process, reinterpret_cast<void *>(start), &info, sizeof info) &&
                      info.State == MEM_COMMIT;
            image = windows && info.Type == MEM_IMAGE;
            named = name[0] == '/';
            heap = std::strcmp(name, "[heap]") == 0;
            size = static_cast<double>(stop - start) / 1024.0;
            continue;
        }
        double kb = 0;
        if (std::sscanf(line.c_str(), "Rss: %lf kB", &kb) == 1) {
            m.Resident += kb / 1024.0;
        } else if (std::sscanf(line.c_str(), "Anonymous: %lf kB", &kb) == 1 && kb > 0) {
            const double mb = kb / 1024.0;
            m.Anonymous += mb;
            if (windows) {
                m.Windows += mb;
                (image ? m.WindowsImages : m.WindowsPrivate) += mb;
            }
            else if (named)
                m.UnixLibraries += mb;
            else if (heap)
                m.UnixHeap += mb;
            else if (size >= 32.0 * 1024.0) {
                m.UnixBlocks += mb;
                m.Blocks.push_back(size / 1024.0);
            } else
                m.UnixOther += mb;
        }
    }
    return m;
}

// --- Finding the first frame on the screen ---

struct Capture {
    double At;
    std::vector<UINT32> Samples;
};

// A grid of pixels inside the window's rectangle on the screen.
std::vector<UINT32> Sample(const RECT &r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<UINT32> samples;
    if (w < 16 || h < 16)
        return samples;
    const std::vector<UINT32> pixels = TestHost::CaptureScreen({r.left, r.top}, w, h);
    if (pixels.empty())
        return samples;
    constexpr int kGrid = 48;
    for (int j = 0; j < kGrid; ++j)
        for (int i = 0; i < kGrid; ++i)
            samples.push_back(pixels[static_cast<size_t>(4 + (h - 8) * j / (kGrid - 1)) * w +
                                     (4 + (w - 8) * i / (kGrid - 1))] & 0xFFFFFF);
    return samples;
}

bool SameLook(const std::vector<UINT32> &a, const std::vector<UINT32> &b) {
    if (a.size() != b.size() || a.empty())
        return false;
    size_t same = 0;
    for (size_t i = 0; i < a.size(); ++i)
        same += TestHost::Near(a[i], b[i], 12) ? 1 : 0;
    return same * 100 >= a.size() * 99;
}

struct FindWindowOf {
    DWORD Pid;
    HWND Found;
    LONG Area;
};

BOOL CALLBACK LargestShownWindow(HWND window, LPARAM param) {
    FindWindowOf &f = *reinterpret_cast<FindWindowOf *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    RECT r;
    if (pid == f.Pid && IsWindowVisible(window) && GetWindowRect(window, &r)) {
        const LONG area = (r.right - r.left) * (r.bottom - r.top);
        if (area > f.Area) {
            f.Found = window;
            f.Area = area;
        }
    }
    return TRUE;
}

HWND ShownWindow(DWORD pid) {
    FindWindowOf f = {pid, nullptr, 0};
    EnumWindows(LargestShownWindow, reinterpret_cast<LPARAM>(&f));
    return f.Found;
}

// --- One launch ---

struct Subject {
    const char *Name;
    std::wstring CommandLine;
    bool BareHost;      // writes its stages into the report file
    bool Demo;          // goes to the installing page on a click
    std::wstring Report;
};

struct Result {
    bool Ok = false;
    double WindowShown = 0; // launch to a visible window, seconds
    double FirstFrame = 0;  // launch to the first frame on screen
    std::vector<std::pair<std::string, double>> Stages; // the bare host's, from the launch
    Memory Welcome, Installing;
    Memory WithoutDirect2D;  // the bare host, welcome page, everything of Direct2D let go
    double RemakeMs = 0;     // and the frame after that, Direct2D made anew
    double Cpu = 0, ServerCpu = 0, XCpu = 0; // % of a core over the rest period
};

int g_Tag = 0;
int g_ServerPid = 0;
int g_XPid = 0;

std::vector<std::pair<std::string, double>> ReadStages(const std::wstring &path, double launch) {
    std::vector<std::pair<std::string, double>> stages;
    const std::string text = ReadWhole(path);
    std::map<std::string, int> seen;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        std::string name = line.substr(0, tab);
        // Repeated steps (each picture, each layer) are numbered.
        if (int n = ++seen[name]; n > 1 || name == "picture ready" || name == "still layer")
            name += " " + std::to_string(n);
        stages.push_back({name, std::atof(line.c_str() + tab + 1) - launch});
    }
    return stages;
}

void RestCpu(Result &r, int pid, double seconds) {
    const double a = UnixCpu(pid), b = UnixCpu(g_ServerPid), c = UnixCpu(g_XPid);
    const double start = Now();
    Sleep(static_cast<DWORD>(seconds * 1000));
    const double wall = Now() - start;
    r.Cpu = 100.0 * (UnixCpu(pid) - a) / wall;
    r.ServerCpu = 100.0 * (UnixCpu(g_ServerPid) - b) / wall;
    r.XCpu = 100.0 * (UnixCpu(g_XPid) - c) / wall;
}

// The install button of the demo, clicked as the window procedure would see it.
void ClickInstall(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    const float scale = static_cast<float>(client.right) / 1024.0f;
    const LPARAM at = MAKELPARAM(static_cast<int>(512 * scale), static_cast<int>(608 * scale));
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

Result Launch(const Subject &subject, bool measureRest) {
    Result r;
    // A last argument that every subject ignores finds its Unix process: Wine
    // puts the Windows command line into the Unix one.
    const std::string tag = "ksui-launch-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++g_Tag);
    if (!subject.Report.empty())
        DeleteFileW(subject.Report.c_str());

    std::wstring command = subject.CommandLine + L" " + std::wstring(tag.begin(), tag.end());
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const int pidsBefore = NewestUnixPid();
    const double launch = Now();
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("%s: could not start (error %lu)\n", subject.Name, GetLastError());
        return r;
    }

    std::vector<Capture> captures;
    HWND window = nullptr;
    while (Now() - launch < 20.0) {
        if (!window && (window = ShownWindow(pi.dwProcessId)))
            r.WindowShown = Now() - launch;
        if (window) {
            RECT rect;
            GetWindowRect(window, &rect);
            captures.push_back({Now() - launch, Sample(rect)});
            if (captures.back().At - r.WindowShown > 3.0)
                break;
        }
        if (WaitForSingleObject(pi.hProcess, 8) == WAIT_OBJECT_0)
            break;
    }
    if (!captures.empty()) {
        const std::vector<UINT32> &last = captures.back().Samples;
        for (const Capture &c : captures) {
            if (SameLook(c.Samples, last)) {
                r.FirstFrame = c.At;
                break;
            }
        }
        r.Ok = r.FirstFrame > 0;
    }
    if (subject.BareHost)
        r.Stages = ReadStages(subject.Report, launch);

    if (r.Ok && measureRest) {
        const int pid = FindUnixPid(pidsBefore, NewestUnixPid(), L"cmdline", tag);
        if (!pid) {
            std::printf("%s: its Unix process was not found\n", subject.Name);
        } else {
            Sleep(2000);
            r.Welcome = ReadMemory(pi.hProcess, pid);
            RestCpu(r, pid, 10.0);
            if (subject.BareHost) {
                DWORD_PTR ms = 0;
                SendMessageTimeoutW(window, kLetGoOfDirect2D, 0, 0, SMTO_NORMAL, 30000, &ms);
                Sleep(1000);
                r.WithoutDirect2D = ReadMemory(pi.hProcess, pid);
                SendMessageTimeoutW(window, kRemakeDirect2D, 0, 0, SMTO_NORMAL, 30000, &ms);
                r.RemakeMs = static_cast<double>(ms);
            }
            if (subject.Demo || subject.BareHost) {
                if (subject.Demo)
                    ClickInstall(window);
                else
                    PostMessageW(window, kShowInstallingPage, 0, 0);
                // Every picture has faded in once: four slides of 3.4 s each.
                Sleep(14500);
                r.Installing = ReadMemory(pi.hProcess, pid);
            }
        }
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    Sleep(500); // its window leaves the screen
    return r;
}

// --- Printing ---

void PrintTimes(const char *name, const std::vector<Result> &runs) {
    std::vector<double> shown, first;
    for (const Result &r : runs) {
        if (!r.Ok)
            continue;
        shown.push_back(r.WindowShown * 1000);
        first.push_back(r.FirstFrame * 1000);
    }
    if (first.empty()) {
        std::printf("%-26s no frame was seen\n", name);
        return;
    }
    std::printf("%-26s window shown %6.0f ms   first frame on screen %6.0f ms   (runs:", name, Median(shown),
                Median(first));
    for (double f : first)
        std::printf(" %.0f", f);
    std::printf(")\n");
}

void PrintStages(const std::vector<Result> &runs) {
    // Stage names of the first run with a report; each median over the runs that have it.
    const Result *model = nullptr;
    for (const Result &r : runs)
        if (!r.Stages.empty() && (!model || r.Stages.size() > model->Stages.size()))
            model = &r;
    if (!model)
        return;
    std::printf("  %-34s %9s %9s\n", "stage (bare host)", "at, ms", "took, ms");
    std::printf("  %-34s %9s %9s\n", "launch", "0", "");
    double previous = 0;
    for (const auto &stage : model->Stages) {
        std::vector<double> at;
        for (const Result &r : runs)
            for (const auto &s : r.Stages)
                if (s.first == stage.first)
                    at.push_back(s.second * 1000);
        const double median = Median(at);
        const char *name = stage.first == "main" ? "main (process and Wine start-up)" : stage.first.c_str();
        std::printf("  %-34s %9.0f %9.0f\n", name, median, median - previous);
        previous = median;
    }
    std::vector<double> seen;
    for (const Result &r : runs)
        if (r.Ok)
            seen.push_back(r.FirstFrame * 1000);
    std::printf("  %-34s %9.0f %9.0f\n", "first frame seen on screen", Median(seen), Median(seen) - previous);
}

void PrintMemory(const char *page, const std::vector<Result> &runs, Memory Result::*which) {
    std::vector<Memory> ms;
    for (const Result &r : runs)
        if ((r.*which).Resident > 0)
            ms.push_back(r.*which);
    if (ms.empty())
        return;
    const auto median = [&](double Memory::*field) {
        std::vector<double> v;
        for (const Memory &m : ms)
            v.push_back(m.*field);
        return Median(v);
    };
    std::printf("  %-32s anonymous %6.1f MB   resident %6.1f MB\n", page, median(&Memory::Anonymous),
                median(&Memory::Resident));
    std::printf("  %-32s   Windows side %5.1f (images %4.1f, heaps/stacks/DIBs %4.1f); Unix side: libraries "
                "%4.1f, heap %4.1f, blocks >= 32 MiB %5.1f, other %4.1f\n",
                "", median(&Memory::Windows), median(&Memory::WindowsImages), median(&Memory::WindowsPrivate),
                median(&Memory::UnixLibraries), median(&Memory::UnixHeap), median(&Memory::UnixBlocks),
                median(&Memory::UnixOther));
    if (!ms.back().Blocks.empty()) {
        std::printf("  %-32s   the blocks, MiB:", "");
        for (double b : ms.back().Blocks)
            std::printf(" %.1f", b);
        std::printf("\n");
    }
}

void PrintRest(const std::vector<Result> &runs) {
    std::vector<double> cpu, server, x;
    for (const Result &r : runs) {
        if (r.Welcome.Resident <= 0)
            continue;
        cpu.push_back(r.Cpu);
        server.push_back(r.ServerCpu);
        x.push_back(r.XCpu);
    }
    if (!cpu.empty())
        std::printf("  %-32s CPU %% of a core: program %.2f, wineserver %.2f, Xvfb %.2f (10 s)\n",
                    "welcome page at rest", Median(cpu), Median(server), Median(x));
}

std::wstring Folder(const std::wstring &path) { return path.substr(0, path.find_last_of(L'\\')); }

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The demo's pictures, painted by its own painter when they are missing.
bool EnsurePictures(const std::wstring &demo) {
    const std::wstring pictures = demo + L"\\pictures";
    if (Exists(pictures + L"\\hero5.png"))
        return true;
    std::wstring command = L"\"" + demo + L"\\hero_art.exe\" \"" + pictures + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 120000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return Exists(pictures + L"\\hero5.png");
}

} // namespace

int main() {
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc >= 4 && std::wcscmp(argv[1], L"--host") == 0)
        return BareHost(argv[2], argv[3]);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 3;

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring benchDir = Folder(self);
    const std::wstring tree = Folder(benchDir);
    const std::wstring peer = tree + L"\\peer\\nsis_peer.exe";
    const std::wstring demo = tree + L"\\demo";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring scratch = std::wstring(temp) + L"ksui_launch_bench";
    CreateDirectoryW(scratch.c_str(), nullptr);

    g_ServerPid = 0;
    // Wine opens files in the wineserver: /proc/self there is the wineserver.
    {
        const std::string stat = ReadWhole(L"Z:\\proc\\self\\stat");
        g_ServerPid = std::atoi(stat.c_str());
    }
    const std::string display = EnvironmentValue(L"DISPLAY");
    // Xvfb was started a little before the wineserver.
    g_XPid = display.empty() ? 0 : FindUnixPid(g_ServerPid - 50, g_ServerPid, L"cmdline", display);

    std::vector<Subject> subjects;
    if (Exists(peer))
        subjects.push_back({"nsis MUI2 peer", L"\"" + peer + L"\"", false, false, L""});
    else
        std::printf("nsis peer: %ls not found (scripts/bench builds it); left out\n", peer.c_str());
    if (Exists(demo + L"\\KestoSetup.exe") && EnsurePictures(demo))
        subjects.push_back({"demo setup program",
                            L"\"" + demo + L"\\KestoSetup.exe\" --dir \"" + scratch + L"\\install\" --log \"" +
                                scratch + L"\\demo.log\"",
                            false, true, L""});
    else
        std::printf("demo: %ls\\KestoSetup.exe or its pictures not found; left out\n", demo.c_str());
    const std::wstring report = scratch + L"\\stages.txt";
    subjects.push_back({"bare host (engine)",
                        L"\"" + std::wstring(self) + L"\" --host \"" + report + L"\" \"" + demo + L"\\pictures\"",
                        true, false, report});
    // A third argument names another build tree (an earlier version, say):
    // its demo and its bare host run beside these, with the same pictures.
    if (argc > 3) {
        const std::wstring other = argv[3];
        const std::wstring otherDemo = other + L"\\demo\\KestoSetup.exe";
        const std::wstring otherHost = other + L"\\bench\\launch_bench.exe";
        if (Exists(otherDemo))
            subjects.push_back({"demo setup program (other tree)",
                                L"\"" + otherDemo + L"\" --pictures \"" + demo + L"\\pictures\" --dir \"" + scratch +
                                    L"\\install\" --log \"" + scratch + L"\\demo.log\"",
                                false, true, L""});
        if (Exists(otherHost))
            subjects.push_back({"bare host (other tree)",
                                L"\"" + otherHost + L"\" --host \"" + report + L"\" \"" + demo + L"\\pictures\"",
                                true, false, report});
    }

    // A second argument keeps only the subjects whose name holds it ("peer", "demo", "host"); "-" keeps all.
    if (argc > 2 && std::wcscmp(argv[2], L"-") != 0) {
        const std::string keep = Narrow(argv[2]);
        std::vector<Subject> kept;
        for (const Subject &subject : subjects)
            if (std::string(subject.Name).find(keep) != std::string::npos)
                kept.push_back(subject);
        subjects.swap(kept);
    }
    std::printf("launch to first frame; %d measured runs after one to warm up, medians; wineserver pid %d, Xvfb "
                "pid %d\n",
                runs, g_ServerPid, g_XPid);
    std::vector<std::vector<Result>> results(subjects.size());
    for (int run = 0; run <= runs; ++run) {
        for (size_t i = 0; i < subjects.size(); ++i) {
            Result r = Launch(subjects[i], run > 0);
            if (run > 0)
                results[i].push_back(r);
            // The demo installs: start each run from an empty folder.
            TestHost::DeleteTree(scratch + L"\\install");
        }
    }

    for (size_t i = 0; i < subjects.size(); ++i) {
        PrintTimes(subjects[i].Name, results[i]);
        if (subjects[i].BareHost)
            PrintStages(results[i]);
        PrintMemory("welcome page at rest", results[i], &Result::Welcome);
        PrintRest(results[i]);
        PrintMemory("installing page, carousel", results[i], &Result::Installing);
        if (subjects[i].BareHost) {
            PrintMemory("welcome, Direct2D let go", results[i], &Result::WithoutDirect2D);
            std::vector<double> remake;
            for (const Result &r : results[i])
                if (r.RemakeMs > 0)
                    remake.push_back(r.RemakeMs);
            if (!remake.empty())
                std::printf("  %-32s the next frame, Direct2D made anew: %.0f ms\n", "", Median(remake));
        }
    }
    TestHost::DeleteTree(scratch);
    return 0;
}

// Finding and terminating processes by executable name, against real processes:
// copies of the sleeper fixture under names that no other process has. Only
// processes this test started are ever terminated by it, and every one of them
// is terminated and closed when its test ends, whatever the outcome.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <climits>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kListedTimeoutMs = 20000;

std::wstring Num(unsigned long long n) { return std::to_wstring(n); }

std::wstring ModuleDir() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    *wcsrchr(path, L'\\') = L'\0';
    return path;
}

// The long form of an existing path: the form in which the system reports image names.
std::wstring LongPath(const std::wstring &path) {
    wchar_t full[1024] = {};
    const DWORD n = GetLongPathNameW(path.c_str(), full, 1024);
    return n > 0 && n < 1024 ? std::wstring(full) : path;
}

// A folder of this run under the temp folder; every copy of the sleeper goes below it.
const std::wstring &ScratchRoot() {
    static const std::wstring root = [] {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        std::wstring dir = LongPath(temp) + L"ksui_proc_" + Num(GetCurrentProcessId());
        CreateDirectoryW(dir.c_str(), nullptr);
        return dir;
    }();
    return root;
}

// Removes this run's temporary folder once every test has ended.
class RemoveTemporaryFolder : public ::testing::Environment {
  public:
    void TearDown() override { TestHost::DeleteTree(ScratchRoot()); }
};
::testing::Environment *const g_RemoveTemporaryFolder =
    ::testing::AddGlobalTestEnvironment(new RemoveTemporaryFolder);

// A name no other process has: the test's pid keeps parallel runs apart.
std::wstring UniqueName(const std::wstring &tag) { return L"kp" + Num(GetCurrentProcessId()) + L"_" + tag + L".exe"; }

// Copies the sleeper into a sub-folder of the scratch folder under a given name.
std::wstring PlaceSleeper(const std::wstring &folder, const std::wstring &name) {
    const std::wstring dir = ScratchRoot() + L"\\" + folder;
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring path = dir + L"\\" + name;
    EXPECT_TRUE(CopyFileW((ModuleDir() + L"\\sleeper.exe").c_str(), path.c_str(), FALSE))
        << "copy failed: " << GetLastError();
    return path;
}

// The processes of the system, in snapshot order.
struct Listed {
    DWORD Pid;
    std::wstring Exe;
};

std::vector<Listed> Snapshot() {
    std::vector<Listed> list;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return list;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        list.push_back({entry.th32ProcessID, entry.szExeFile});
    CloseHandle(snapshot);
    return list;
}

// Our pids in the order a snapshot lists them (the order the reports use).
std::vector<DWORD> InSnapshotOrder(const std::vector<DWORD> &pids) {
    std::vector<DWORD> ordered;
    for (const Listed &p : Snapshot())
        if (std::find(pids.begin(), pids.end(), p.Pid) != pids.end())
            ordered.push_back(p.Pid);
    return ordered;
}

// The processes this test started. The destructor terminates whatever still
// runs and closes every handle; the handles keep the pids from being reused
// meanwhile, so nothing else is ever touched.
class Children {
  public:
    Children() = default;
    Children(const Children &) = delete;
    Children &operator=(const Children &) = delete;
    ~Children() {
        for (HANDLE h : handles_)
            TerminateProcess(h, 1);
        for (HANDLE h : handles_) {
            WaitForSingleObject(h, 5000);
            CloseHandle(h);
        }
    }

    // Starts the program at `path`; see WaitListed.
    DWORD Start(const std::wstring &path) {
        std::wstring command = L"\"" + path + L"\" " + Num(GetCurrentProcessId());
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                            &startup, &info)) {
            ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
            return 0;
        }
        CloseHandle(info.hThread);
        handles_.push_back(info.hProcess);
        pids_.push_back(info.dwProcessId);
        exes_.push_back(path.substr(path.rfind(L'\\') + 1));
        return info.dwProcessId;
    }

    // Starts `count` more copies of one program and waits until all are listed.
    void StartMany(const std::wstring &path, int count) {
        for (int i = 0; i < count; ++i)
            Start(path);
        EXPECT_TRUE(WaitListed()) << "children not listed";
    }

    // Waits until a snapshot lists every running child under its file name: a
    // process just created may not be listed by name yet.
    bool WaitListed() const {
        const ULONGLONG end = GetTickCount64() + kListedTimeoutMs;
        do {
            size_t found = 0;
            for (const Listed &p : Snapshot()) {
                const size_t i = std::find(pids_.begin(), pids_.end(), p.Pid) - pids_.begin();
                found += i < pids_.size() && exes_[i] == p.Exe;
            }
            if (found == pids_.size() - Ended())
                return true;
            Sleep(20);
        } while (GetTickCount64() < end);
        return false;
    }

    bool Exited(DWORD pid, DWORD timeoutMs = 0) const {
        const size_t i = std::find(pids_.begin(), pids_.end(), pid) - pids_.begin();
        return i < handles_.size() && WaitForSingleObject(handles_[i], timeoutMs) == WAIT_OBJECT_0;
    }

    const std::vector<DWORD> &Pids() const { return pids_; }

  private:
    size_t Ended() const {
        size_t n = 0;
        for (HANDLE h : handles_)
            n += WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        return n;
    }

    std::vector<HANDLE> handles_;
    std::vector<DWORD> pids_;
    std::vector<std::wstring> exes_;
};

std::wstring Report() {
    std::vector<wchar_t> buffer(100000, L'#');
    const int n = KSUiProcReport(buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), n);
}

// The detection report for a name and the matches in snapshot order.
std::wstring FoundReport(const std::wstring &name, const std::vector<DWORD> &ordered) {
    if (ordered.empty())
        return L"检测 " + name + L"：未发现进程";
    std::wstring text = L"检测 " + name + L"：发现 " + Num(ordered.size()) + L" 个 [";
    for (size_t i = 0; i < ordered.size() && i < 16; ++i)
        text += (i ? L"," : L"") + Num(ordered[i]);
    return text + (ordered.size() > 16 ? L",...]" : L"]");
}

std::wstring KillReport(const std::wstring &name, size_t targets, const std::vector<DWORD> &attempted,
                        const std::wstring &waited, int remaining) {
    std::wstring text = L"关闭 " + name + L"：目标 " + Num(targets) + L" 个；";
    for (DWORD pid : attempted)
        text += L"[pid" + Num(pid) + L" 已请求终止]";
    return text + L"；等待 " + waited + L"ms 后残留 " + Num(remaining) + L" 个";
}

// The waited time a termination report states, as written.
std::wstring WaitedIn(const std::wstring &report) {
    const size_t from = report.rfind(L"；等待 ");
    const size_t to = report.rfind(L"ms 后残留 ");
    if (from == std::wstring::npos || to == std::wstring::npos || to < from)
        return L"?";
    return report.substr(from + 4, to - from - 4);
}

std::wstring Upper(std::wstring text) {
    for (wchar_t &c : text)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return text;
}

std::wstring ForwardSlashes(std::wstring text) {
    std::replace(text.begin(), text.end(), L'\\', L'/');
    return text;
}

class ProcessTest : public ::testing::Test {
  protected:
    void SetUp() override { TestHost::ResetEngine(); }
    void TearDown() override { TestHost::ResetEngine(); }
};

// --- Report copy-out ---

TEST_F(ProcessTest, ReportCopyOutHonoursEveryCapacity) {
    wchar_t buffer[8] = {L'x', L'x', L'x', L'x', L'x', L'x', L'x', L'x'};
    EXPECT_EQ(0, KSUiProcReport(buffer, 8)) << "a fresh engine has an empty report";
    EXPECT_EQ(L'\0', buffer[0]);
    EXPECT_EQ(L'x', buffer[1]);

    const std::wstring name = UniqueName(L"absent");
    ASSERT_EQ(0, KSUiIsAppRunning(name.c_str()));
    const std::wstring report = L"检测 " + name + L"：未发现进程";
    const int length = static_cast<int>(report.size());
    ASSERT_EQ(report, Report());

    struct Case {
        bool NullBuffer;
        int Capacity;
        int Expected; // characters written, or -1 for "nothing written at all"
    };
    const Case cases[] = {
        {true, 100, -1},
        {false, 0, -1},
        {false, -1, -1},
        {false, INT_MIN, -1},
        {false, 1, 0},                 // only the terminator
        {false, 2, 1},
        {false, length, length - 1},   // one short: the last character is cut
        {false, length + 1, length},   // exactly enough
        {false, INT_MAX, length},      // a huge capacity writes no more than the report
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "capacity " << c.Capacity << (c.NullBuffer ? " null buffer" : ""));
        std::vector<wchar_t> out(length + 16, L'#');
        const int result = KSUiProcReport(c.NullBuffer ? nullptr : out.data(), c.Capacity);
        if (c.Expected < 0) {
            EXPECT_EQ(0, result);
            EXPECT_EQ(std::wstring(out.size(), L'#'), std::wstring(out.begin(), out.end()));
            continue;
        }
        EXPECT_EQ(c.Expected, result);
        EXPECT_EQ(report.substr(0, c.Expected), std::wstring(out.data(), c.Expected));
        EXPECT_EQ(L'\0', out[c.Expected]);
        EXPECT_EQ(L'#', out[c.Expected + 1]) << "wrote past the terminator";
    }
}

// --- Bad names ---

TEST_F(ProcessTest, BadNamesAreReportedAndMatchNothing) {
    Children children;
    const std::wstring name = UniqueName(L"bad");
    const std::wstring path = PlaceSleeper(L"bad", name);
    children.StartMany(path, 1);

    const std::wstring longBare(32000, L'k');
    // Path mode with a base name that does run: the process is opened and its
    // image path compared against a 32 000-character path.
    const std::wstring longPath = L"C:\\" + std::wstring(32000, L'd') + L"\\" + name;
    const std::wstring folder = path.substr(0, path.rfind(L'\\') + 1);

    struct Case {
        const wchar_t *Name;
        bool Kill;
        std::wstring Expected;
    };
    const Case cases[] = {
        {nullptr, false, L"检测：exe 名为空"},
        {L"", false, L"检测：exe 名为空"},
        {nullptr, true, L"关闭：exe 名为空"},
        {L"", true, L"关闭：exe 名为空"},
        {L"\\", false, L"检测 \\：未发现进程"},
        {L"/", false, L"检测 /：未发现进程"},
        {L"\\", true, L"关闭 \\：无进程可关"},
        {L"/", true, L"关闭 /：无进程可关"},
        {folder.c_str(), false, L"检测 " + folder + L"：未发现进程"},
        {longBare.c_str(), false, L"检测 " + longBare + L"：未发现进程"},
        {longBare.c_str(), true, L"关闭 " + longBare + L"：无进程可关"},
        {longPath.c_str(), false, L"检测 " + longPath + L"：未发现进程"},
        {longPath.c_str(), true, L"关闭 " + longPath + L"：无进程可关"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << (c.Kill ? "kill " : "detect ")
                                        << (c.Name ? std::wstring(c.Name).substr(0, 40) : L"(null)"));
        // Every call replaces the report whole, failures included.
        ASSERT_EQ(1, KSUiIsAppRunning(name.c_str()));
        const int result = c.Kill ? KSUiKillApp(c.Name, 1000) : KSUiIsAppRunning(c.Name);
        EXPECT_EQ(0, result);
        EXPECT_EQ(c.Expected, Report());
    }
    EXPECT_FALSE(children.Exited(children.Pids()[0])) << "a bad name terminated the sleeper";
}

// --- Matching ---

TEST_F(ProcessTest, BareNamesFoldAsciiCaseOnly) {
    Children children;
    const std::wstring lower = UniqueName(L"case");
    const std::wstring accented = L"kp" + Num(GetCurrentProcessId()) + L"_\u00e4rger.exe"; // ä
    const DWORD lowerPid = children.Start(PlaceSleeper(L"case_lower", lower));
    const DWORD upperPid = children.Start(PlaceSleeper(L"case_upper", Upper(lower)));
    const DWORD accentedPid = children.Start(PlaceSleeper(L"case_accent", accented));
    ASSERT_TRUE(children.WaitListed());

    std::wstring mixed = lower;
    mixed[0] = L'K';
    mixed[mixed.size() - 3] = L'E';
    std::wstring accentedUpper = accented;
    accentedUpper[accentedUpper.find(L'\u00e4')] = L'\u00c4'; // Ä

    struct Case {
        std::wstring Name;
        std::vector<DWORD> Matches;
    };
    const Case cases[] = {
        {lower, {lowerPid, upperPid}},
        {Upper(lower), {lowerPid, upperPid}},
        {mixed, {lowerPid, upperPid}},
        {accented, {accentedPid}},
        {Upper(accented), {accentedPid}}, // ASCII letters fold, the ä stays as it is
        {accentedUpper, {}},              // Ä is not ä
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Name);
        const std::vector<DWORD> ordered = InSnapshotOrder(c.Matches);
        EXPECT_EQ(static_cast<int>(c.Matches.size()), KSUiIsAppRunning(c.Name.c_str()));
        EXPECT_EQ(FoundReport(c.Name, ordered), Report());
    }
}

TEST_F(ProcessTest, PathsMatchTheFullImagePathWithEitherSlash) {
    Children children;
    const std::wstring name = UniqueName(L"path");
    const std::wstring pathA = PlaceSleeper(L"path_a", name);
    const std::wstring pathB = PlaceSleeper(L"path_b", name);
    const DWORD pidA = children.Start(pathA);
    const DWORD pidB = children.Start(pathB);
    ASSERT_TRUE(children.WaitListed());

    std::wstring mixedSlashes = pathA;
    std::replace(mixedSlashes.begin(), mixedSlashes.begin() + mixedSlashes.size() / 2, L'\\', L'/');
    const std::wstring relative = L"path_a\\" + name;

    struct Case {
        std::wstring Name;
        std::vector<DWORD> Matches;
    };
    const Case cases[] = {
        {pathA, {pidA}},
        {ForwardSlashes(pathA), {pidA}},
        {mixedSlashes, {pidA}},
        {Upper(pathA), {pidA}},
        {pathB, {pidB}},
        {ScratchRoot() + L"\\path_c\\" + name, {}}, // the base name runs, but from other folders
        {relative, {}},                             // nothing is resolved against any folder
        {L".\\" + name, {}},
        {name, {pidA, pidB}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Name);
        const std::vector<DWORD> ordered = InSnapshotOrder(c.Matches);
        EXPECT_EQ(static_cast<int>(c.Matches.size()), KSUiIsAppRunning(c.Name.c_str()));
        EXPECT_EQ(FoundReport(c.Name, ordered), Report());
    }
}

TEST_F(ProcessTest, OwnProcessIsFoundByItsFullPath) {
    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    EXPECT_EQ(1, KSUiIsAppRunning(own));
    EXPECT_EQ(FoundReport(own, {GetCurrentProcessId()}), Report());
}

// --- Limits and the wait ---

// The sleepers of this test leave when this event is set.
class ReleaseEvent {
  public:
    ReleaseEvent()
        : event_(CreateEventW(nullptr, TRUE, FALSE,
                              (L"Local\\ksui_sleeper_release_" + Num(GetCurrentProcessId())).c_str())) {}
    ~ReleaseEvent() { CloseHandle(event_); }
    ReleaseEvent(const ReleaseEvent &) = delete;
    ReleaseEvent &operator=(const ReleaseEvent &) = delete;
    HANDLE Handle() const { return event_; }

  private:
    HANDLE event_;
};

// Only the first 64 matches are terminated, so with more than 64 some survive
// the requests: that is how these phases keep a process present during a wait.
TEST_F(ProcessTest, SeventyMatchesListSixteenTerminateSixtyFourAndWait) {
    ReleaseEvent release;
    ASSERT_TRUE(release.Handle());
    Children children;
    const std::wstring name = UniqueName(L"many");
    const std::wstring path = PlaceSleeper(L"many", name);
    auto running = [&] {
        std::vector<DWORD> pids;
        for (DWORD pid : children.Pids())
            if (!children.Exited(pid))
                pids.push_back(pid);
        return InSnapshotOrder(pids);
    };
    // Checks that exactly the first 64 of `ordered` ended and the rest still run.
    auto expectFirst64Ended = [&](const std::vector<DWORD> &ordered) {
        for (size_t i = 0; i < ordered.size(); ++i)
            EXPECT_EQ(i < 64, children.Exited(ordered[i], i < 64 ? 5000 : 0)) << "snapshot position " << i;
    };

    // Counts on either side of the sixteen listed identifiers, then seventy.
    for (int count : {16, 17, 70}) {
        SCOPED_TRACE(testing::Message() << count << " matches");
        children.StartMany(path, count - static_cast<int>(children.Pids().size()));
        const std::vector<DWORD> ordered = running();
        ASSERT_EQ(static_cast<size_t>(count), ordered.size());
        EXPECT_EQ(count, KSUiIsAppRunning(name.c_str()));
        EXPECT_EQ(FoundReport(name, ordered), Report());
    }

    {
        SCOPED_TRACE("negative wait: one search right after the requests, no sleep");
        const std::vector<DWORD> ordered = running();
        const int result = KSUiKillApp(name.c_str(), -1);
        EXPECT_GE(result, 6);
        EXPECT_LE(result, 70);
        EXPECT_EQ(KillReport(name, 70, {ordered.begin(), ordered.begin() + 64}, L"0", result), Report());
        expectFirst64Ended(ordered);
    }
    {
        SCOPED_TRACE("limit 1000: searches every 150 ms up to the first multiple that reaches it");
        children.StartMany(path, 59);
        const std::vector<DWORD> ordered = running();
        ASSERT_EQ(65u, ordered.size());
        EXPECT_EQ(1, KSUiKillApp(name.c_str(), 1000));
        EXPECT_EQ(KillReport(name, 65, {ordered.begin(), ordered.begin() + 64}, L"1050", 1), Report());
        expectFirst64Ended(ordered);
    }
    {
        SCOPED_TRACE("limit INT_MAX: the wait ends as soon as the last process is gone");
        children.StartMany(path, 64);
        const std::vector<DWORD> ordered = running();
        ASSERT_EQ(65u, ordered.size());
        // The one process the call does not terminate leaves on its own, well after
        // the others have ended (and so after the wait's first search).
        std::thread releaser([&] {
            for (size_t i = 0; i < 64; ++i)
                children.Exited(ordered[i], 10000);
            Sleep(400);
            SetEvent(release.Handle());
        });
        const ULONGLONG start = GetTickCount64();
        const int result = KSUiKillApp(name.c_str(), INT_MAX);
        const ULONGLONG elapsed = GetTickCount64() - start;
        releaser.join();
        EXPECT_EQ(0, result);
        const std::wstring report = Report();
        const std::wstring waited = WaitedIn(report);
        EXPECT_EQ(KillReport(name, 65, {ordered.begin(), ordered.begin() + 64}, waited, 0), report);
        const int ms = _wtoi(waited.c_str());
        EXPECT_EQ(0, ms % 150) << "waited " << ms;
        EXPECT_GE(ms, 150) << "the survivor was present at the first search: the call had to wait";
        EXPECT_LT(elapsed, 10000u) << "the wait went on after the last process had gone";
        EXPECT_TRUE(children.Exited(ordered.back(), 5000));
    }
}

TEST_F(ProcessTest, KillOfOneProcessReportsTheRequestAndWhatRemains) {
    // The terminated process is normally gone by the first search, so whatever the
    // limit no sleep is needed; a limit of 0 or less never sleeps.
    const int waits[] = {2000, 0, INT_MIN};
    int row = 0;
    for (int waitMs : waits) {
        SCOPED_TRACE(testing::Message() << "wait " << waitMs);
        Children children;
        const std::wstring name = UniqueName(L"kill" + Num(row++));
        const DWORD pid = children.Start(PlaceSleeper(L"kill", name));
        ASSERT_TRUE(children.WaitListed());

        const int result = KSUiKillApp(name.c_str(), waitMs);
        const std::wstring report = Report();
        const std::wstring waited = WaitedIn(report);
        EXPECT_EQ(KillReport(name, 1, {pid}, waited, result), report);
        EXPECT_TRUE(children.Exited(pid, 5000)) << "termination was not requested";
        if (waitMs > 0) {
            EXPECT_EQ(0, result);
            EXPECT_EQ(0, _wtoi(waited.c_str()) % 150) << "waited " << waited;
        } else {
            EXPECT_EQ(L"0", waited);
            EXPECT_TRUE(result == 0 || result == 1) << result;
        }
        // Nothing left to terminate: the second call says so.
        EXPECT_EQ(0, KSUiKillApp(name.c_str(), waitMs));
        EXPECT_EQ(L"关闭 " + name + L"：无进程可关", Report());
    }
}

TEST_F(ProcessTest, ReportOutlivesDetachAndAnyThreadMayAsk) {
    Children children;
    const std::wstring name = UniqueName(L"thread");
    const DWORD pid = children.Start(PlaceSleeper(L"thread", name));
    ASSERT_TRUE(children.WaitListed());

    HWND window = TestHost::CreateHostWindow();
    ASSERT_EQ(1, KSUiAttach(window, TestHost::RecordAction));
    wchar_t lastError[64] = L"unchanged";
    const int lastErrorLength = KSUiLastError(lastError, 64);

    int found = -1;
    std::thread worker([&] { found = KSUiIsAppRunning(name.c_str()); });
    worker.join();
    EXPECT_EQ(1, found);
    KSUiDetach();
    DestroyWindow(window);

    EXPECT_EQ(FoundReport(name, {pid}), Report()) << "detaching must leave the report as it was";
    wchar_t after[64] = {};
    EXPECT_EQ(lastErrorLength, KSUiLastError(after, 64)) << "the process functions never touch the last error";
    EXPECT_EQ(std::wstring(lastError), std::wstring(after));
}

} // namespace

#include "process/process.h"

#include <tlhelp32.h>

#include <string>

namespace {

constexpr int kListedIds = 16;
constexpr DWORD kKillPollMs = 150;
constexpr DWORD kImagePathCapacity = 520;

// Equal ignoring the case of A to Z only: no locale, and other letters must match exactly.
wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualAsciiNoCase(const wchar_t *a, const wchar_t *b) {
    for (; *a && *b; ++a, ++b)
        if (FoldAscii(*a) != FoldAscii(*b))
            return false;
    return *a == *b;
}

// The full image path of a process, matched against the host's path as written
// (forward slashes read as backslashes; nothing else is canonicalised).
bool ImagePathMatches(DWORD pid, const std::wstring &wanted) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return false;
    wchar_t image[kImagePathCapacity];
    DWORD size = kImagePathCapacity;
    const BOOL ok = QueryFullProcessImageNameW(process, 0, image, &size);
    CloseHandle(process);
    return ok && EqualAsciiNoCase(image, wanted.c_str());
}

std::wstring Number(unsigned long long n) { return std::to_wstring(n); }

} // namespace

int FindProcessesByExeName(const wchar_t *name, DWORD (&ids)[kMaxProcessIds]) {
    const wchar_t *backslash = wcsrchr(name, L'\\');
    const wchar_t *slash = wcsrchr(name, L'/');
    const wchar_t *separator = backslash > slash ? backslash : slash;
    const bool pathMode = separator != nullptr;
    const wchar_t *base = pathMode ? separator + 1 : name;

    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;

    std::wstring wantedPath;
    if (pathMode) {
        wantedPath = name;
        for (wchar_t &c : wantedPath)
            if (c == L'/')
                c = L'\\';
    }

    int count = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    // A name ending in a separator has an empty base name and matches nothing.
    if (*base) {
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (!EqualAsciiNoCase(entry.szExeFile, base))
                continue;
            if (pathMode && !ImagePathMatches(entry.th32ProcessID, wantedPath))
                continue;
            if (count < kMaxProcessIds)
                ids[count] = entry.th32ProcessID;
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

int IsAppRunning(const wchar_t *name) {
    std::wstring &report = g_State.ProcessReport;
    if (!name || !*name) {
        report = L"检测：exe 名为空";
        return 0;
    }
    DWORD ids[kMaxProcessIds];
    const int n = FindProcessesByExeName(name, ids);
    if (n < 0) {
        report = L"检测：进程快照失败(CreateToolhelp32Snapshot)";
        return 0;
    }
    if (n == 0) {
        report = std::wstring(L"检测 ") + name + L"：未发现进程";
        return 0;
    }
    std::wstring text = std::wstring(L"检测 ") + name + L"：发现 " + Number(n) + L" 个 [";
    const int listed = n < kListedIds ? n : kListedIds;
    for (int i = 0; i < listed; ++i) {
        if (i > 0)
            text += L',';
        text += Number(ids[i]);
    }
    if (n > kListedIds)
        text += L",...";
    text += L']';
    report = std::move(text);
    return n;
}

int KillApp(const wchar_t *name, int waitMs) {
    std::wstring &report = g_State.ProcessReport;
    if (!name || !*name) {
        report = L"关闭：exe 名为空";
        return 0;
    }
    DWORD ids[kMaxProcessIds];
    const int n = FindProcessesByExeName(name, ids);
    if (n <= 0) {
        report = std::wstring(L"关闭 ") + name + L"：无进程可关";
        return 0;
    }
    std::wstring text = std::wstring(L"关闭 ") + name + L"：目标 " + Number(n) + L" 个；";
    const int attempts = n < kMaxProcessIds ? n : kMaxProcessIds;
    for (int i = 0; i < attempts; ++i) {
        wchar_t entry[64];
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ids[i]);
        if (!process) {
            wsprintfW(entry, L"[pid%u 打开失败 err=%u]", static_cast<unsigned>(ids[i]),
                      static_cast<unsigned>(GetLastError()));
        } else {
            // Only a request: the process ends on its own time, hence the wait below.
            if (TerminateProcess(process, 0))
                wsprintfW(entry, L"[pid%u 已请求终止]", static_cast<unsigned>(ids[i]));
            else
                wsprintfW(entry, L"[pid%u 终止失败 err=%u]", static_cast<unsigned>(ids[i]),
                          static_cast<unsigned>(GetLastError()));
            CloseHandle(process);
        }
        text += entry;
    }

    const long long limit = waitMs > 0 ? waitMs : 0;
    long long waited = 0;
    int remaining = FindProcessesByExeName(name, ids);
    if (remaining < 0)
        remaining = 0;
    while (remaining > 0 && waited < limit) {
        Sleep(kKillPollMs);
        waited += kKillPollMs;
        remaining = FindProcessesByExeName(name, ids);
        if (remaining < 0)
            remaining = 0;
    }
    // The waited time can pass INT_MAX when the limit is near it: no 32-bit formatting here.
    text += L"；等待 " + Number(static_cast<unsigned long long>(waited)) + L"ms 后残留 " + Number(remaining) + L" 个";
    report = std::move(text);
    return remaining;
}

int ProcReport(wchar_t *buffer, int capacity) { return CopyTextOut(g_State.ProcessReport, buffer, capacity); }

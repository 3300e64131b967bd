// KestoSetup.exe: the setup program of "Kesto Notes", written the way any host of
// the engine would be, with nothing but KestoUIEngine.h and the DLL.
//
// Layout beside the exe:
//   KestoUIEngine.dll   the front end
//   pictures\hero1.png .. hero5.png
//   payload\            the files of the product, KestoNotes.exe among them
//
//   KestoSetup.exe [--dir <install folder>] [--log <log file>] [--lang <BCP 47 tag>]
//                  [--pictures <folder of hero1.png .. hero5.png>]
//
// Shortcuts are written as .lnk files inside the install folder (Shortcuts\...),
// never to the real desktop, Start menu or Startup folder, so that a demo run
// changes nothing outside the folder it installs into.
#include "KestoUIEngine.h"

#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t kProductName[] = L"Kesto Notes";
const wchar_t kProductExe[] = L"KestoNotes.exe";
const wchar_t kWindowClass[] = L"KestoNotesSetup";
// Suffix of a file copied but not yet committed: a failed or cancelled install
// deletes these, so a previous install stays as it was.
const wchar_t kStagedSuffix[] = L".kesto-new";
constexpr int kBrandBlue = 0x1F6FEB;
constexpr int kBrandTeal = 0x14B8C4;
constexpr int kKillWaitMs = 3000;
// The payload's files are small and copy in microseconds; the copy is paced to
// about this long per file, so that the progress bar and the picture carousel
// can be seen at work. A slow machine, whose repaints take longer, is not slowed.
constexpr ULONGLONG kFilePaceMs = 20;
constexpr DWORD kErrorShowMs = 4000;

struct SetupState {
    HWND Window = nullptr;
    std::wstring ExeDir;
    std::wstring PayloadDir;
    FILE *Log = nullptr;
    ULONGLONG StartTick = 0;
    bool Installing = false;
    bool CancelRequested = false; // the user closed the window during the copy
    bool QuitSeen = false;        // a quit message arrived while the copy pumped messages
    bool Finished = false;
    bool ShowingFailure = false;  // the status line shows why the install stopped
};
SetupState g_Setup;

// --- The setup program's own words ---

// What this program itself says, in the language the front end speaks: the
// front end's texts come from the engine, these from here. Chinese is the
// default; --lang en-US (or any other language the engine speaks) picks
// English, which the right-to-left demonstrations share.
struct Words {
    const wchar_t *Title;
    const wchar_t *CannotStart;
    const wchar_t *LicenceLink;
    const wchar_t *LicenceTitle;
    const wchar_t *LicenceText;
    const wchar_t *Understood;
    const wchar_t *QuitTitle;
    const wchar_t *QuitQuestion;
    const wchar_t *Quit;
    const wchar_t *KeepInstalling;
    const wchar_t *Checking;
    const wchar_t *Closing;
    const wchar_t *StillRunning;
    const wchar_t *Preparing;
    const wchar_t *NeedFullPath;
    const wchar_t *Incomplete;
    const wchar_t *Copying;      // followed by the file
    const wchar_t *CannotWrite;  // followed by the file, then the reason
    const wchar_t *Linking;
    const wchar_t *CannotLink;   // followed by the shortcut, then the code
    const wchar_t *Finishing;
    const wchar_t *Done;
    const wchar_t *BackIn;       // wsprintf format of the seconds left
    const wchar_t *NotAFolder;   // between the quotes: the path
    const wchar_t *CannotReach;
    const wchar_t *CannotCreate;
    const wchar_t *NotWritable;
    const wchar_t *Colon;        // between a subject and its reason
    const wchar_t *OpenQuote, *CloseQuote;
    const wchar_t *NoWriteAccess, *WriteProtected, *DiskFull, *BadPath, *NameTaken, *InUse, *ErrorNumber;
    const wchar_t *LinkDescription;
};

const Words kChineseWords = {
    L"Kesto Notes 安装程序",
    L"Kesto Notes 安装程序无法启动",
    L"《许可与隐私协议》",
    L"Kesto Notes 用户许可协议",
    L"1. 本软件按“现状”提供。你可以在个人和工作中免费使用它，并可在任意数量的设备上安装。\r\n\r\n"
    L"2. 你的笔记只属于你。Kesto Notes 不会在未经你同意的情况下上传、分析或出售你的任何内容。\r\n\r\n"
    L"3. 同步功能使用端到端加密；密钥只保存在你的设备上，丢失后无法找回。\r\n\r\n"
    L"4. 请勿对本软件进行反向工程，或将其用于违反法律法规的用途。\r\n\r\n"
    L"5. 本演示程序只会写入你所选择的安装目录，不会修改系统设置、注册表或其他文件夹。",
    L"我知道了",
    L"退出安装",
    L"安装尚未完成。现在退出会撤销已复制的文件，确定要退出吗？",
    L"退出",
    L"继续安装",
    L"正在检查 Kesto Notes 是否正在运行…",
    L"正在关闭正在运行的 Kesto Notes…",
    L"Kesto Notes 仍在运行，请先关闭它再安装",
    L"正在准备安装目录…",
    L"请填写完整的安装路径，例如 C:\\Program Files\\Kesto Notes",
    L"安装包不完整：找不到要安装的文件",
    L"正在复制 ",
    L"无法写入 ",
    L"正在创建快捷方式…",
    L"无法创建快捷方式 ",
    L"正在完成安装…",
    L"安装完成",
    L"（%lu 秒后返回）",
    L"不是文件夹",
    L"无法访问",
    L"无法创建文件夹",
    L"安装目录不可写入",
    L"：",
    L"“", L"”",
    L"没有写入权限", L"磁盘处于写保护状态", L"磁盘空间不足", L"路径无效或无法访问", L"已有同名文件",
    L"文件正被其他程序使用", L"错误 %lu",
    L"Kesto Notes 笔记",
};

const Words kEnglishWords = {
    L"Kesto Notes Setup",
    L"Kesto Notes Setup cannot start",
    L"License and Privacy Agreement",
    L"Kesto Notes License Agreement",
    L"1. This software is provided \"as is\". You may use it free of charge at home and at work, and install it on "
    L"as many devices as you like.\r\n\r\n"
    L"2. Your notes belong to you. Kesto Notes never uploads, analyses or sells anything you write without your "
    L"consent.\r\n\r\n"
    L"3. Sync is encrypted end to end; the key stays on your devices and cannot be recovered if you lose it.\r\n\r\n"
    L"4. Do not reverse-engineer the software or use it for anything the law forbids.\r\n\r\n"
    L"5. This demonstration writes only into the folder you choose. It changes no system settings, no registry "
    L"and no other folder.",
    L"OK",
    L"Quit Setup",
    L"Setup has not finished. Quitting now removes the files copied so far. Quit anyway?",
    L"Quit",
    L"Continue",
    L"Checking whether Kesto Notes is running…",
    L"Closing the running Kesto Notes…",
    L"Kesto Notes is still running. Close it, then install again",
    L"Preparing the install folder…",
    L"Enter a full path, for example C:\\Program Files\\Kesto Notes",
    L"The setup package is incomplete: no files to install",
    L"Copying ",
    L"Cannot write ",
    L"Creating shortcuts…",
    L"Cannot create the shortcut ",
    L"Finishing the installation…",
    L"Installation complete",
    L" (back in %lu s)",
    L" is not a folder",
    L"Cannot reach ",
    L"Cannot create the folder ",
    L"The install folder refuses files",
    L": ",
    L"\u201C", L"\u201D",
    L"no write access", L"the disk is write-protected", L"the disk is full", L"the path is not valid or not reachable",
    L"a file of that name exists", L"the file is in use by another program", L"error %lu",
    L"Kesto Notes notes",
};

const Words *g_Words = &kChineseWords;
const Words &W() { return *g_Words; }

// --- Log ---

std::string Utf8(const std::wstring &text) {
    if (text.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

void Log(const wchar_t *format, ...) {
    if (!g_Setup.Log)
        return;
    wchar_t line[2048];
    va_list args;
    va_start(args, format);
    _vsnwprintf(line, 2047, format, args);
    va_end(args);
    line[2047] = L'\0';
    const ULONGLONG ms = GetTickCount64() - g_Setup.StartTick;
    fprintf(g_Setup.Log, "[%4u.%03u] %s\n", static_cast<unsigned>(ms / 1000), static_cast<unsigned>(ms % 1000),
            Utf8(line).c_str());
    fflush(g_Setup.Log);
}

void LogWindowRect(const wchar_t *what) {
    RECT r{};
    GetWindowRect(g_Setup.Window, &r);
    Log(L"%ls: window=%ld,%ld,%ld,%ld", what, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void LogProcessReport() {
    wchar_t report[1024];
    KSUiProcReport(report, 1024);
    Log(L"process report: %ls", report);
}

// --- Paths ---

std::wstring Join(const std::wstring &dir, const std::wstring &name) {
    if (dir.empty() || dir.back() == L'\\')
        return dir + name;
    return dir + L"\\" + name;
}

std::wstring ParentOf(const std::wstring &path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool IsDirectory(const std::wstring &path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The directory as the user left it in the edit box: blanks and trailing
// separators trimmed, forward slashes turned round.
std::wstring CleanDirectory(std::wstring dir) {
    for (wchar_t &c : dir)
        if (c == L'/')
            c = L'\\';
    while (!dir.empty() && (dir.front() == L' ' || dir.front() == L'\t'))
        dir.erase(dir.begin());
    while (!dir.empty() && (dir.back() == L' ' || dir.back() == L'\t'))
        dir.pop_back();
    while (dir.size() > 3 && dir.back() == L'\\')
        dir.pop_back();
    return dir;
}

bool IsAbsolute(const std::wstring &dir) {
    const bool drive = dir.size() >= 3 && iswalpha(dir[0]) && dir[1] == L':' && dir[2] == L'\\';
    const bool unc = dir.size() > 2 && dir[0] == L'\\' && dir[1] == L'\\';
    return drive || unc;
}

std::wstring ReasonFor(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return W().NoWriteAccess;
    case ERROR_WRITE_PROTECT:
        return W().WriteProtected;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return W().DiskFull;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return W().BadPath;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return W().NameTaken;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return W().InUse;
    default: {
        wchar_t text[32];
        wsprintfW(text, W().ErrorNumber, error);
        return text;
    }
    }
}

// --- Messages while busy ---

// Keeps the window responsive while the copy runs on this thread: the engine's
// timers, the title buttons and the window drag all need their messages. With
// no time to spare (ms 0) only input and posted or sent messages are handled:
// the status and progress calls repaint the window themselves, and a slow
// machine should not spend its time on extra frames.
void PumpFor(DWORD ms) {
    const UINT filter = ms ? 0 : (PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE);
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | filter)) {
            if (msg.message == WM_QUIT) {
                g_Setup.QuitSeen = true;
                g_Setup.CancelRequested = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end || g_Setup.CancelRequested)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

// --- Install transaction ---

// Everything a failed or cancelled install has to take back: the folders it made
// and the staged files it wrote.
struct Transaction {
    std::vector<std::wstring> CreatedDirs;
    std::vector<std::wstring> StagedFiles;
};

void Rollback(Transaction &t) {
    for (auto it = t.StagedFiles.rbegin(); it != t.StagedFiles.rend(); ++it)
        DeleteFileW(it->c_str());
    for (auto it = t.CreatedDirs.rbegin(); it != t.CreatedDirs.rend(); ++it)
        RemoveDirectoryW(it->c_str());
    Log(L"rolled back: %u staged files, %u folders removed", static_cast<unsigned>(t.StagedFiles.size()),
        static_cast<unsigned>(t.CreatedDirs.size()));
    t.StagedFiles.clear();
    t.CreatedDirs.clear();
}

// Creates the folder and its missing parents, remembering the ones it made.
bool MakeDirectories(const std::wstring &dir, Transaction &t, std::wstring &error) {
    if (IsDirectory(dir))
        return true;
    if (Exists(dir)) {
        error = W().OpenQuote + dir + W().CloseQuote + W().NotAFolder;
        return false;
    }
    const std::wstring parent = ParentOf(dir);
    if (parent.empty() || parent == dir) {
        error = W().CannotReach + (W().OpenQuote + dir) + W().CloseQuote;
        return false;
    }
    if (!MakeDirectories(parent, t, error))
        return false;
    if (!CreateDirectoryW(dir.c_str(), nullptr)) {
        const DWORD e = GetLastError();
        if (e == ERROR_ALREADY_EXISTS && IsDirectory(dir))
            return true;
        error = W().CannotCreate + (W().OpenQuote + dir) + W().CloseQuote + W().Colon + ReasonFor(e);
        return false;
    }
    t.CreatedDirs.push_back(dir);
    return true;
}

// A folder can exist and still refuse files (read-only media, access rights):
// only writing one tells.
bool CanWriteInto(const std::wstring &dir, std::wstring &error) {
    const std::wstring probe = Join(dir, L".kesto-setup-probe");
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = W().NotWritable + (W().Colon + ReasonFor(GetLastError()));
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(h, "ok", 2, &written, nullptr);
    const DWORD e = GetLastError();
    CloseHandle(h);
    DeleteFileW(probe.c_str());
    if (!ok || written != 2) {
        error = W().NotWritable + (W().Colon + ReasonFor(e));
        return false;
    }
    return true;
}

// Relative paths of every file under the payload folder, folders first-come.
void ListPayload(const std::wstring &root, const std::wstring &relative, std::vector<std::wstring> &out) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(Join(Join(root, relative), L"*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring rel = relative.empty() ? name : Join(relative, name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListPayload(root, rel, out);
        else
            out.push_back(rel);
    } while (FindNextFileW(h, &found));
    FindClose(h);
}

struct Shortcut {
    int Option;
    const wchar_t *Where; // inside the install folder
};
const Shortcut kShortcuts[] = {
    {KSUI_OPTION_DESKTOP_SHORTCUT, L"Shortcuts\\Desktop\\Kesto Notes.lnk"},
    {KSUI_OPTION_START_MENU, L"Shortcuts\\Start Menu\\Programs\\Kesto Notes.lnk"},
    {KSUI_OPTION_AUTO_START, L"Shortcuts\\Startup\\Kesto Notes.lnk"},
};

// Writes a shell link to the installed product; COM is already initialised on
// this thread by KSUiAttach.
HRESULT WriteShortcut(const std::wstring &linkPath, const std::wstring &installDir) {
    IShellLinkW *link = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void **>(&link));
    if (FAILED(hr))
        return hr;
    const std::wstring target = Join(installDir, kProductExe);
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(installDir.c_str());
    link->SetDescription(W().LinkDescription);
    link->SetIconLocation(target.c_str(), 0);
    IPersistFile *file = nullptr;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file));
    if (SUCCEEDED(hr)) {
        hr = file->Save(linkPath.c_str(), TRUE);
        file->Release();
    }
    link->Release();
    return hr;
}

// Shows a failure in the status line for a few seconds, then returns to the
// welcome page exactly as the user left it, so they can pick another folder.
void ShowFailureAndReturn(const std::wstring &message) {
    Log(L"install failed: %ls", message.c_str());
    g_Setup.ShowingFailure = true;
    KSUiSetProgress(0);
    for (DWORD left = kErrorShowMs / 1000; left > 0 && !g_Setup.CancelRequested; --left) {
        wchar_t tail[64];
        wsprintfW(tail, W().BackIn, left);
        KSUiSetStatus((message + tail).c_str());
        PumpFor(1000);
    }
    g_Setup.ShowingFailure = false;
    KSUiSetStatus(L"");
    KSUiSetState(KSUI_PAGE_WELCOME);
    Log(L"page: welcome (after failure)");
}

enum class InstallResult { Done, Failed, Cancelled };

InstallResult CopyProduct(const std::wstring &dir, Transaction &t) {
    // A running copy of the product would hold its files open.
    KSUiSetStatus(W().Checking);
    const int running = KSUiIsAppRunning(kProductExe);
    LogProcessReport();
    if (running > 0) {
        KSUiSetStatus(W().Closing);
        const int left = KSUiKillApp(kProductExe, kKillWaitMs);
        LogProcessReport();
        if (left > 0) {
            ShowFailureAndReturn(W().StillRunning);
            return InstallResult::Failed;
        }
    }

    KSUiSetStatus(W().Preparing);
    std::wstring error;
    if (!IsAbsolute(dir)) {
        ShowFailureAndReturn(W().NeedFullPath);
        return InstallResult::Failed;
    }
    if (!MakeDirectories(dir, t, error) || !CanWriteInto(dir, error)) {
        Rollback(t);
        ShowFailureAndReturn(error);
        return InstallResult::Failed;
    }

    std::vector<std::wstring> files;
    ListPayload(g_Setup.PayloadDir, L"", files);
    if (files.empty()) {
        Rollback(t);
        ShowFailureAndReturn(W().Incomplete);
        return InstallResult::Failed;
    }
    Log(L"copying %u files into %ls", static_cast<unsigned>(files.size()), dir.c_str());

    // Copying takes the bar to 90 %, shortcuts and committing the rest.
    const int total = static_cast<int>(files.size());
    const ULONGLONG copyStart = GetTickCount64();
    for (int i = 0; i < total; ++i) {
        const std::wstring &rel = files[static_cast<size_t>(i)];
        const std::wstring target = Join(dir, rel);
        const std::wstring staged = target + kStagedSuffix;
        KSUiSetStatus((W().Copying + rel).c_str());
        if (!MakeDirectories(ParentOf(target), t, error)) {
            Rollback(t);
            ShowFailureAndReturn(error);
            return InstallResult::Failed;
        }
        if (!CopyFileW(Join(g_Setup.PayloadDir, rel).c_str(), staged.c_str(), FALSE)) {
            const DWORD e = GetLastError();
            Rollback(t);
            ShowFailureAndReturn(W().CannotWrite + rel + W().Colon + ReasonFor(e));
            return InstallResult::Failed;
        }
        t.StagedFiles.push_back(staged);
        KSUiSetProgress((i + 1) * 900 / total);
        if ((i + 1) % 50 == 0 || i + 1 == total)
            Log(L"copied %d/%d", i + 1, total);
        const ULONGLONG due = copyStart + (i + 1) * kFilePaceMs, now = GetTickCount64();
        PumpFor(due > now ? static_cast<DWORD>(due - now) : 0);
        if (g_Setup.CancelRequested) {
            Rollback(t);
            return InstallResult::Cancelled;
        }
    }

    KSUiSetStatus(W().Linking);
    for (const Shortcut &s : kShortcuts) {
        if (!KSUiGetOption(s.Option))
            continue;
        const std::wstring link = Join(dir, s.Where);
        if (!MakeDirectories(ParentOf(link), t, error)) {
            Rollback(t);
            ShowFailureAndReturn(error);
            return InstallResult::Failed;
        }
        const HRESULT hr = WriteShortcut(link + kStagedSuffix, dir);
        if (FAILED(hr)) {
            Rollback(t);
            wchar_t code[16];
            wsprintfW(code, L"0x%08lX", static_cast<unsigned long>(hr));
            ShowFailureAndReturn(std::wstring(W().CannotLink) + s.Where + W().Colon + code);
            return InstallResult::Failed;
        }
        t.StagedFiles.push_back(link + kStagedSuffix);
        Log(L"shortcut: %ls", s.Where);
    }
    KSUiSetProgress(950);

    // Commit: every staged file takes its final name. Shortcuts of options the
    // user turned off go, so a reinstall honours the new choice.
    KSUiSetStatus(W().Finishing);
    for (const std::wstring &staged : t.StagedFiles) {
        const std::wstring final = staged.substr(0, staged.size() - (sizeof kStagedSuffix / sizeof(wchar_t) - 1));
        if (!MoveFileExW(staged.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING))
            Log(L"commit: could not replace %ls (error %lu)", final.c_str(), GetLastError());
    }
    for (const Shortcut &s : kShortcuts)
        if (!KSUiGetOption(s.Option))
            DeleteFileW(Join(dir, s.Where).c_str());
    t.StagedFiles.clear();
    t.CreatedDirs.clear();
    KSUiSetProgress(1000);
    KSUiSetStatus(W().Done);
    Log(L"installed %d files", total);
    return InstallResult::Done;
}

void LaunchProduct(const std::wstring &dir) {
    const std::wstring exe = Join(dir, kProductExe);
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
        Log(L"launch failed: %ls (error %lu)", exe.c_str(), GetLastError());
        return;
    }
    Log(L"launched %ls, pid %lu", exe.c_str(), pi.dwProcessId);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

void Install() {
    wchar_t buffer[1024];
    KSUiGetDir(buffer, 1024);
    const std::wstring dir = CleanDirectory(buffer);
    Log(L"install: dir=\"%ls\" desktop=%d startmenu=%d autostart=%d", dir.c_str(),
        KSUiGetOption(KSUI_OPTION_DESKTOP_SHORTCUT), KSUiGetOption(KSUI_OPTION_START_MENU),
        KSUiGetOption(KSUI_OPTION_AUTO_START));

    g_Setup.Installing = true;
    g_Setup.CancelRequested = false;
    KSUiSetProgress(0);
    KSUiSetState(KSUI_PAGE_INSTALLING);
    LogWindowRect(L"page: installing");

    Transaction t;
    const InstallResult result = CopyProduct(dir, t);
    g_Setup.Installing = false;

    if (result == InstallResult::Cancelled || g_Setup.CancelRequested) {
        Log(L"install cancelled by the user");
        PostQuitMessage(0);
        return;
    }
    if (result == InstallResult::Failed)
        return;

    KSUiSetState(KSUI_PAGE_FINISHED);
    g_Setup.Finished = true;
    LogWindowRect(L"page: finished");
    const int decision = KSUiWaitDone();
    Log(L"wait done: %ls", decision == KSUI_WAIT_LAUNCH ? L"launch" : L"close");
    if (decision == KSUI_WAIT_LAUNCH)
        LaunchProduct(dir);
    PostQuitMessage(0);
}

// --- Dialogs ---

// A small modal window in the setup program's own font. The system message box
// draws with the system's UI font, which on some systems (Wine's default prefix
// among them) has no Chinese glyphs.
constexpr int kDialogOk = 1;
constexpr int kDialogCancel = 2;
const wchar_t kDialogClass[] = L"KestoNotesDialog";

struct DialogState {
    int Result = kDialogCancel;
    bool Done = false;
};

LRESULT CALLBACK DialogWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    DialogState *state = reinterpret_cast<DialogState *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (msg) {
    case WM_COMMAND:
        if (state && (LOWORD(wParam) == kDialogOk || LOWORD(wParam) == kDialogCancel)) {
            state->Result = LOWORD(wParam);
            state->Done = true;
        }
        return 0;
    case WM_CLOSE:
        if (state)
            state->Done = true;
        return 0;
    case WM_CTLCOLORSTATIC:
        // The read-only text box and the title sit on the dialog's white.
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0x3A, 0x3F, 0x47));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    default:
        return DefWindowProcW(window, msg, wParam, lParam);
    }
}

HFONT DialogFont(int px, int weight) {
    return CreateFontW(-px, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Microsoft YaHei");
}

// Shows title, text and one or two buttons over the setup window; returns
// kDialogOk or kDialogCancel (also for Esc). `cancel` may be null.
int ShowDialog(const wchar_t *title, const wchar_t *text, const wchar_t *ok, const wchar_t *cancel, int width,
               int height) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, kDialogClass, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DialogWndProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kDialogClass;
        RegisterClassExW(&wc);
    }
    RECT owner{};
    GetWindowRect(g_Setup.Window, &owner);
    const int x = owner.left + (owner.right - owner.left - width) / 2;
    const int y = owner.top + (owner.bottom - owner.top - height) / 2;
    HWND dialog = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kDialogClass, title, WS_POPUP | WS_BORDER, x,
                                  y, width, height, g_Setup.Window, nullptr, instance, nullptr);
    if (!dialog)
        return kDialogCancel;
    DialogState state;
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));

    HFONT titleFont = DialogFont(18, FW_BOLD);
    HFONT textFont = DialogFont(14, FW_NORMAL);
    auto child = [&](const wchar_t *cls, const wchar_t *caption, DWORD style, int cx, int cy, int w, int h, int id,
                     HFONT font) {
        HWND c = CreateWindowExW(0, cls, caption, WS_CHILD | WS_VISIBLE | style, cx, cy, w, h, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        return c;
    };
    child(L"STATIC", title, SS_LEFT, 24, 18, width - 48, 28, -1, titleFont);
    const DWORD scroll = lstrlenW(text) > 120 ? WS_VSCROLL : 0;
    child(L"EDIT", text, ES_MULTILINE | ES_READONLY | scroll, 24, 56, width - 44, height - 56 - 68, -1, textFont);
    HWND okButton = child(L"BUTTON", ok, WS_TABSTOP | (cancel ? 0 : BS_DEFPUSHBUTTON), width - 24 - 110, height - 52,
                          110, 34, kDialogOk, textFont);
    HWND focus = okButton;
    if (cancel)
        focus = child(L"BUTTON", cancel, WS_TABSTOP | BS_DEFPUSHBUTTON, width - 24 - 110 - 12 - 110, height - 52, 110,
                      34, kDialogCancel, textFont);

    EnableWindow(g_Setup.Window, FALSE);
    ShowWindow(dialog, SW_SHOW);
    SetFocus(focus);
    bool quit = false;
    int quitCode = 0;
    MSG msg;
    while (!state.Done) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            state.Result = cancel ? kDialogCancel : kDialogOk;
            state.Done = true;
            continue;
        }
        if (IsDialogMessageW(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    EnableWindow(g_Setup.Window, TRUE);
    DestroyWindow(dialog);
    DeleteObject(titleFont);
    DeleteObject(textFont);
    SetForegroundWindow(g_Setup.Window);
    // The quit message belongs to the loops further out.
    if (quit)
        PostQuitMessage(quitCode);
    return state.Result;
}

// --- Other actions ---

void ChangeDirectory() {
    wchar_t current[1024];
    KSUiGetDir(current, 1024);
    wchar_t chosen[MAX_PATH];
    if (KSUiBrowseDir(current, chosen, MAX_PATH) <= 0) {
        Log(L"change dir: cancelled");
        return;
    }
    // Like any installer: the product gets its own folder inside the one chosen.
    std::wstring dir = CleanDirectory(chosen);
    const std::wstring tail = std::wstring(L"\\") + kProductName;
    if (dir.size() < tail.size() || lstrcmpiW(dir.c_str() + dir.size() - tail.size(), tail.c_str()) != 0)
        dir = Join(dir, kProductName);
    KSUiSetDir(dir.c_str());
    Log(L"change dir: %ls", dir.c_str());
}

void ShowLicence() {
    Log(L"licence shown");
    ShowDialog(W().LicenceTitle, W().LicenceText, W().Understood, nullptr, 480, 420);
}

// The close button, or Alt+F4: during the copy it asks first and rolls back.
void RequestClose() {
    if (!g_Setup.Installing) {
        Log(L"close requested");
        PostQuitMessage(0);
        return;
    }
    if (g_Setup.ShowingFailure) {
        // Nothing is left to undo: the failure has already been rolled back.
        Log(L"close requested while showing a failure");
        g_Setup.CancelRequested = true;
        return;
    }
    if (ShowDialog(W().QuitTitle, W().QuitQuestion, W().Quit, W().KeepInstalling, 400, 190) == kDialogOk) {
        Log(L"close requested during the copy");
        g_Setup.CancelRequested = true;
    }
}

void KSUI_CALL OnAction(int action) {
    switch (action) {
    case KSUI_ACTION_INSTALL:
        if (!g_Setup.Installing && !g_Setup.Finished)
            Install();
        break;
    case KSUI_ACTION_CHANGE_DIR:
        ChangeDirectory();
        break;
    case KSUI_ACTION_CLOSE:
        RequestClose();
        break;
    case KSUI_ACTION_LAUNCH: {
        wchar_t dir[1024];
        KSUiGetDir(dir, 1024);
        LaunchProduct(CleanDirectory(dir));
        PostQuitMessage(0);
        break;
    }
    case KSUI_ACTION_SHOW_LICENSE:
        ShowLicence();
        break;
    default:
        break;
    }
}

LRESULT CALLBACK SetupWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        RequestClose();
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

std::wstring ExeDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return ParentOf(std::wstring(path, n));
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    SetProcessDPIAware();
    g_Setup.StartTick = GetTickCount64();
    g_Setup.ExeDir = ExeDirectory();
    g_Setup.PayloadDir = Join(g_Setup.ExeDir, L"payload");

    // Without --dir the product goes beside the setup program, never into a
    // system folder: a demo run changes nothing outside its own tree.
    std::wstring installDir = Join(Join(g_Setup.ExeDir, L"installed"), kProductName);
    std::wstring logPath = Join(g_Setup.ExeDir, L"KestoSetup.log");
    std::wstring language;
    std::wstring pictures = Join(g_Setup.ExeDir, L"pictures");
    std::wstring colors; // "light" or "dark" over the user's theme
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i + 1 < argc; i += 2) {
        if (lstrcmpiW(argv[i], L"--dir") == 0)
            installDir = argv[i + 1];
        else if (lstrcmpiW(argv[i], L"--log") == 0)
            logPath = argv[i + 1];
        else if (lstrcmpiW(argv[i], L"--lang") == 0)
            language = argv[i + 1];
        else if (lstrcmpiW(argv[i], L"--pictures") == 0)
            pictures = argv[i + 1];
        else if (lstrcmpiW(argv[i], L"--colors") == 0)
            colors = argv[i + 1];
    }
    LocalFree(argv);
    g_Setup.Log = _wfopen(logPath.c_str(), L"wb");
    Log(L"Kesto Notes setup starting; payload %ls", g_Setup.PayloadDir.c_str());

    // The front end speaks the language asked for; this program's own words
    // are Chinese or, for any other language, English.
    if (!language.empty()) {
        if (KSUiSetLanguage(language.c_str())) {
            const bool chinese = _wcsnicmp(language.c_str(), L"zh", 2) == 0 &&
                                 (language.size() == 2 || language[2] == L'-' || language[2] == L'_');
            if (!chinese)
                g_Words = &kEnglishWords;
            Log(L"language: %ls", language.c_str());
        } else {
            wchar_t why[200];
            KSUiLastError(why, 200);
            Log(L"language %ls refused: %ls", language.c_str(), why);
        }
    }

    if (!colors.empty()) {
        const int mode = lstrcmpiW(colors.c_str(), L"dark") == 0    ? KSUI_COLORS_DARK
                         : lstrcmpiW(colors.c_str(), L"light") == 0 ? KSUI_COLORS_LIGHT
                                                                     : -1;
        if (mode >= 0 && KSUiSetColorMode(mode))
            Log(L"colours: %ls", colors.c_str());
        else
            Log(L"colours %ls refused", colors.c_str());
    }

    // Everything the front end shows is set before the window exists.
    KSUiSetBranding(W().LicenceLink, kBrandBlue, kBrandTeal);
    KSUiSetHeroDir(pictures.c_str());
    KSUiSetDir(installDir.c_str());

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = SetupWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
    g_Setup.Window = CreateWindowExW(0, kWindowClass, W().Title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                     CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
    if (!g_Setup.Window) {
        Log(L"CreateWindowExW failed (error %lu)", GetLastError());
        return 1;
    }
    if (!KSUiAttach(g_Setup.Window, OnAction)) {
        wchar_t why[256];
        KSUiLastError(why, 256);
        Log(L"KSUiAttach failed: %ls", why);
        MessageBoxW(g_Setup.Window, why, W().CannotStart, MB_OK | MB_ICONERROR);
        DestroyWindow(g_Setup.Window);
        return 1;
    }
    wchar_t note[256];
    if (KSUiLastError(note, 256) > 0)
        Log(L"engine note: %ls", note);
    ShowWindow(g_Setup.Window, show == SW_HIDE ? SW_SHOW : show);
    UpdateWindow(g_Setup.Window);
    LogWindowRect(L"page: welcome");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    KSUiDetach();
    Log(L"detached");
    DestroyWindow(g_Setup.Window);
    Log(L"setup ended");
    if (g_Setup.Log)
        fclose(g_Setup.Log);
    return 0;
}

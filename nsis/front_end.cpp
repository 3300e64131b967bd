#include "front_end.h"

#include "KestoUIEngine.h"

#include <commctrl.h>

#include <cwctype>

namespace kesto_nsis {

namespace {

// Messages of NSIS's window and page dialogs.
constexpr UINT kNotifyStart = WM_USER + 0x5;     // a page may start (instfiles: its worker thread)
constexpr UINT kNotifyOuterNext = WM_USER + 0x8; // the installer moves between pages
// Controls of the instfiles page.
constexpr int kNsisProgress = 1004;
constexpr int kNsisStatus = 1006;

constexpr UINT kRelayCall = WM_APP + 0x4B53;
const wchar_t kRelayClass[] = L"KestoUiNsisRelay";
const wchar_t kPrevProcProp[] = L"KestoUiNsis.PrevProc";

enum class Stage { Detached, Welcome, Installing, Finished };
enum class Choice { Pending, Install, Close };

struct PluginState {
    HMODULE Module = nullptr;
    HWND Installer = nullptr; // $HWNDPARENT, the engine's host window
    DWORD WindowThread = 0;
    HWND Relay = nullptr; // message-only window that runs section-time calls
    Stage Now = Stage::Detached;
    bool EngineAttached = false; // from KSUiAttach to KSUiDetach, also after the window has gone
    Choice WelcomeChoice = Choice::Pending;
    std::wstring DefaultDir; // the folder the welcome page started with
    bool CancelRequested = false;
    HWND MirroredPage = nullptr; // the instfiles page whose progress is mirrored
    int MirroredTenths = -1;
    nsis::ExecFlags *Flags = nullptr;
    Settings Script;
};
PluginState g;

// --- Subclassing: each window keeps the procedure it had in a property ---

WNDPROC PrevProc(HWND window) { return reinterpret_cast<WNDPROC>(GetPropW(window, kPrevProcProp)); }

void Subclass(HWND window, WNDPROC proc) {
    if (!window || PrevProc(window))
        return;
    const LONG_PTR prev = SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    SetPropW(window, kPrevProcProp, reinterpret_cast<HANDLE>(prev));
}

// Puts the window's own procedure back, if nobody has subclassed it on top of ours.
void Unsubclass(HWND window, WNDPROC proc) {
    const WNDPROC prev = PrevProc(window);
    if (!prev)
        return;
    if (GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(proc))
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prev));
    RemovePropW(window, kPrevProcProp);
}

LRESULT CallPrev(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    const WNDPROC prev = PrevProc(window);
    return prev ? CallWindowProcW(prev, window, msg, wParam, lParam) : DefWindowProcW(window, msg, wParam, lParam);
}

// WM_NCDESTROY: the window's own procedure comes back before it sees the message.
LRESULT LastMessage(HWND window, WNDPROC proc, UINT msg, WPARAM wParam, LPARAM lParam) {
    const WNDPROC prev = PrevProc(window);
    Unsubclass(window, proc);
    return prev ? CallWindowProcW(prev, window, msg, wParam, lParam) : DefWindowProcW(window, msg, wParam, lParam);
}

bool HasClass(HWND window, const wchar_t *name) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    return lstrcmpiW(cls, name) == 0;
}

// --- NSIS's own controls stay hidden while the engine paints ---

bool IsEngineControl(HWND child) { return GetDlgCtrlID(child) == KSUI_DIR_EDIT_ID && HasClass(child, L"Edit"); }

// The style bit, not IsWindowVisible: before NSIS first shows its window every
// child counts as invisible, though it would appear with the window.
void HideInstallerControls() {
    if (!g.Installer)
        return;
    for (HWND child = GetWindow(g.Installer, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (!IsEngineControl(child) && (GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE))
            ShowWindow(child, SW_HIDE);
}

// --- Progress and status of the instfiles page, mirrored ---

void MirrorProgress(HWND bar) {
    if (g.Now != Stage::Installing)
        return;
    PBRANGE range{};
    SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const long long pos = static_cast<long long>(SendMessageW(bar, PBM_GETPOS, 0, 0));
    const long long span = static_cast<long long>(range.iHigh) - range.iLow;
    if (span <= 0)
        return;
    long long tenths = (pos - range.iLow) * 1000 / span;
    tenths = tenths < 0 ? 0 : (tenths > 1000 ? 1000 : tenths);
    if (tenths == g.MirroredTenths)
        return;
    g.MirroredTenths = static_cast<int>(tenths);
    KSUiSetProgress(g.MirroredTenths);
}

LRESULT CALLBACK ProgressProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY)
        return LastMessage(window, ProgressProc, msg, wParam, lParam);
    const LRESULT result = CallPrev(window, msg, wParam, lParam);
    switch (msg) {
    case PBM_SETPOS:
    case PBM_DELTAPOS:
    case PBM_STEPIT:
    case PBM_SETRANGE:
    case PBM_SETRANGE32:
        MirrorProgress(window);
        break;
    default:
        break;
    }
    return result;
}

LRESULT CALLBACK StatusProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY)
        return LastMessage(window, StatusProc, msg, wParam, lParam);
    const LRESULT result = CallPrev(window, msg, wParam, lParam);
    if (msg == WM_SETTEXT && g.Now == Stage::Installing && lParam)
        KSUiSetStatus(reinterpret_cast<const wchar_t *>(lParam));
    return result;
}

// An inner page of NSIS, from its creation on. The instfiles page is the one
// with a progress bar; when it starts its worker thread the engine shows the
// installing page.
LRESULT CALLBACK PageProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        const LRESULT result = CallPrev(window, msg, wParam, lParam);
        HWND bar = GetDlgItem(window, kNsisProgress);
        if (bar && HasClass(bar, PROGRESS_CLASSW)) {
            g.MirroredPage = window;
            Subclass(bar, ProgressProc);
            Subclass(GetDlgItem(window, kNsisStatus), StatusProc);
        }
        return result;
    }
    case kNotifyStart:
        if (window == g.MirroredPage && g.Now != Stage::Detached) {
            g.Now = Stage::Installing;
            g.MirroredTenths = 0;
            KSUiSetProgress(0);
            KSUiSetStatus(L"");
            KSUiSetState(KSUI_PAGE_INSTALLING);
        }
        {
            const LRESULT result = CallPrev(window, msg, wParam, lParam);
            HideInstallerControls();
            return result;
        }
    case WM_NCDESTROY:
        if (window == g.MirroredPage)
            g.MirroredPage = nullptr;
        return LastMessage(window, PageProc, msg, wParam, lParam);
    default:
        return CallPrev(window, msg, wParam, lParam);
    }
}

// A cancel the user asked for is carried out once the sections have stopped:
// NSIS then waits on its "completed" page with only Cancel enabled, which runs
// .onInstFailed (where a script takes back what it wrote) and ends the installer.
bool CancelCanFinish() { return g.CancelRequested && g.Flags && g.Flags->Abort; }

// The installer's own window, under the engine's procedure.
LRESULT CALLBACK InstallerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_CREATE && HasClass(reinterpret_cast<HWND>(lParam), L"#32770"))
            Subclass(reinterpret_cast<HWND>(lParam), PageProc);
        return CallPrev(window, msg, wParam, lParam);
    case kNotifyOuterNext: {
        const LRESULT result = CallPrev(window, msg, wParam, lParam);
        HideInstallerControls();
        if (CancelCanFinish())
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        return result;
    }
    case WM_NCDESTROY:
        // The engine has already let go of the window (it saw the message first).
        g.Installer = nullptr;
        g.Now = Stage::Detached;
        return LastMessage(window, InstallerProc, msg, wParam, lParam);
    default:
        return CallPrev(window, msg, wParam, lParam);
    }
}

// --- What the user does ---

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

std::wstring EngineDir() {
    wchar_t dir[MAX_PATH * 2] = {};
    KSUiGetDir(dir, MAX_PATH * 2);
    return CleanDirectory(dir);
}

// The last part of the folder the installer started with ("Kesto Notes"): a
// folder picked with the change button gets it appended, as NSIS's own
// directory page does.
std::wstring ProductFolderName() {
    const std::wstring dir = CleanDirectory(g.DefaultDir);
    const size_t slash = dir.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 >= dir.size() || dir.size() <= 3)
        return std::wstring();
    return dir.substr(slash + 1);
}

void ChangeDirectory() {
    wchar_t chosen[MAX_PATH] = {};
    if (KSUiBrowseDir(EngineDir().c_str(), chosen, MAX_PATH) <= 0)
        return;
    std::wstring dir = CleanDirectory(chosen);
    const std::wstring leaf = ProductFolderName();
    const std::wstring tail = L"\\" + leaf;
    if (!leaf.empty() &&
        (dir.size() < tail.size() || lstrcmpiW(dir.c_str() + dir.size() - tail.size(), tail.c_str()) != 0))
        dir += (dir.empty() || dir.back() == L'\\') ? leaf : tail;
    KSUiSetDir(dir.c_str());
}

void RequestClose() {
    switch (g.Now) {
    case Stage::Welcome:
        g.WelcomeChoice = Choice::Close;
        break;
    case Stage::Installing:
        if (g.Flags && g.Flags->Abort) {
            // The sections have already stopped; leave through NSIS's Cancel.
            PostMessageW(g.Installer, WM_COMMAND, IDCANCEL, 0);
        } else if (!g.CancelRequested) {
            g.CancelRequested = true;
            KSUiSetStatus(EngineText(L"Cancelling").c_str());
        }
        break;
    default:
        // Anywhere else NSIS decides, as if its Cancel button had been clicked.
        PostMessageW(g.Installer, WM_COMMAND, IDCANCEL, 0);
        break;
    }
}

void KSUI_CALL OnAction(int action) {
    switch (action) {
    case KSUI_ACTION_INSTALL:
        if (g.Now == Stage::Welcome)
            g.WelcomeChoice = Choice::Install;
        break;
    case KSUI_ACTION_CHANGE_DIR:
        ChangeDirectory();
        break;
    case KSUI_ACTION_CLOSE:
        RequestClose();
        break;
    case KSUI_ACTION_SHOW_LICENSE:
        if (!g.Script.LicenceFile.empty())
            ShowLicenceWindow(g.Installer, g.Script.LicenceFile);
        break;
    default:
        break;
    }
}

// --- Section-time calls, carried to the window thread ---

struct RelayedCall {
    const std::function<std::wstring()> *Work;
    std::wstring Result;
};

LRESULT CALLBACK RelayProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kRelayCall && lParam) {
        RelayedCall *call = reinterpret_cast<RelayedCall *>(lParam);
        call->Result = (*call->Work)();
        return 1;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

HWND CreateRelay() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(g.Module, kRelayClass, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = RelayProc;
        wc.hInstance = g.Module;
        wc.lpszClassName = kRelayClass;
        if (!RegisterClassExW(&wc))
            return nullptr;
    }
    return CreateWindowExW(0, kRelayClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g.Module, nullptr);
}

std::wstring EngineError(const wchar_t *what) {
    wchar_t why[256] = {};
    KSUiLastError(why, 256);
    return std::wstring(L"error: ") + what + L": " + why;
}

// Attaches the engine to the installer's window; an error text on failure.
std::wstring Attach(HWND installer) {
    g.Relay = CreateRelay();
    if (!g.Relay)
        return L"error: could not create the plugin's message window";
    g.Installer = installer;
    g.WindowThread = GetCurrentThreadId();
    // Ours goes under the engine's, so the engine's detach restores it.
    Subclass(installer, InstallerProc);
    if (!KSUiAttach(installer, OnAction)) {
        const std::wstring error = EngineError(L"the front end could not start");
        Unsubclass(installer, InstallerProc);
        DestroyWindow(g.Relay);
        g.Relay = nullptr;
        g.Installer = nullptr;
        return error;
    }
    g.EngineAttached = true;
    g.Now = Stage::Welcome;
    return std::wstring();
}

} // namespace

Settings &ScriptSettings() { return g.Script; }
HMODULE PluginModule() { return g.Module; }
void SetPluginModule(HMODULE module) { g.Module = module; }
bool Attached() { return g.Now != Stage::Detached; }
bool RelayReady() { return g.Relay != nullptr; }
bool OnWindowThread() { return g.WindowThread == GetCurrentThreadId(); }
bool CancelRequested() { return g.CancelRequested; }

std::wstring RunOnWindowThread(const std::function<std::wstring()> &work) {
    if (!g.Relay)
        return L"error: the welcome page has not been shown yet";
    if (OnWindowThread())
        return work();
    RelayedCall call{&work, std::wstring()};
    if (!SendMessageW(g.Relay, kRelayCall, 0, reinterpret_cast<LPARAM>(&call)))
        return L"error: the installer window is gone";
    return call.Result;
}

std::wstring ShowWelcome(nsis::Call &call) {
    if (!call.Parent || !IsWindow(call.Parent))
        return L"error: Welcome needs the installer window; call it from a page function";
    if (GetWindowThreadProcessId(call.Parent, nullptr) != GetCurrentThreadId())
        return L"error: Welcome must be called from a page function, not from a section";
    if (g.Now == Stage::Installing || g.Now == Stage::Finished)
        return L"error: Welcome comes before the install";
    if (call.Extra)
        g.Flags = call.Extra->Flags;
    if (g.Now == Stage::Detached) {
        if (!g.Script.DirGiven)
            KSUiSetDir(call.Variable(nsis::kVarInstDir).c_str());
        if (!g.Script.LanguageGiven)
            FollowInstallerLanguage(call);
        g.DefaultDir = EngineDir();
        const std::wstring error = Attach(call.Parent);
        if (!error.empty())
            return error;
    }
    KSUiSetState(KSUI_PAGE_WELCOME);
    HideInstallerControls();
    // NSIS shows its window only once a page dialog exists; this page has none.
    if (!IsWindowVisible(g.Installer))
        ShowWindow(g.Installer, SW_SHOW);

    g.WelcomeChoice = Choice::Pending;
    while (g.WelcomeChoice == Choice::Pending) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The quit message belongs to NSIS's own loop further out.
            if (got == 0)
                PostQuitMessage(static_cast<int>(msg.wParam));
            g.WelcomeChoice = Choice::Close;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (g.WelcomeChoice == Choice::Install && !IsAbsolute(EngineDir())) {
            // Not a folder NSIS can install into: back to the one it started with.
            MessageBeep(MB_ICONWARNING);
            KSUiSetDir(g.DefaultDir.c_str());
            g.WelcomeChoice = Choice::Pending;
        }
    }
    if (g.WelcomeChoice == Choice::Close || !g.Installer)
        return L"close";
    call.SetVariable(nsis::kVarInstDir, EngineDir());
    return L"install";
}

std::wstring ShowFinished() {
    if (g.Now == Stage::Detached)
        return L"error: Finished comes after the welcome page";
    g.CancelRequested = false;
    HideInstallerControls();
    KSUiSetState(KSUI_PAGE_FINISHED);
    g.Now = Stage::Finished;
    return KSUiWaitDone() == KSUI_WAIT_LAUNCH ? L"launch" : L"close";
}

std::wstring EngineText(const wchar_t *id) {
    wchar_t text[512] = {};
    KSUiGetText(id, text, 512);
    return text;
}

bool InstallerReadsRightToLeft() { return g.Flags && g.Flags->Rtl; }

void FollowInstallerLanguage(const nsis::Call &call) {
    const std::wstring number = call.Variable(nsis::kVarLanguage);
    const LANGID language = static_cast<LANGID>(wcstoul(number.c_str(), nullptr, 10));
    wchar_t tag[LOCALE_NAME_MAX_LENGTH] = {};
    const bool named = language != 0 && LCIDToLocaleName(MAKELCID(language, SORT_DEFAULT), tag, LOCALE_NAME_MAX_LENGTH, 0) > 0;
    if (named && KSUiSetLanguage(tag))
        return;
    // A language the engine does not speak: English reads best to most
    // people, the right way round for the installer's own language.
    KSUiSetLanguage(L"en-US");
    if (call.Extra && call.Extra->Flags && call.Extra->Flags->Rtl)
        KSUiSetReadingOrder(KSUI_READING_RTL);
}

void Shutdown() {
    if (g.EngineAttached && OnWindowThread()) {
        KSUiDetach();
        g.EngineAttached = false;
    }
    if (g.Installer && IsWindow(g.Installer))
        Unsubclass(g.Installer, InstallerProc);
    if (g.Relay && OnWindowThread())
        DestroyWindow(g.Relay);
    g.Relay = nullptr;
    g.Installer = nullptr;
    g.Now = Stage::Detached;
}

} // namespace kesto_nsis

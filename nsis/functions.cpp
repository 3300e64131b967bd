// The functions an NSIS script calls (KestoUI::Welcome and the rest). Each one
// takes its arguments from the stack and leaves exactly one result there: a
// value, "ok", or a line starting with "error: ". Page functions run on the
// installer's window thread; calls from sections are carried there.
#include "front_end.h"
#include "plugin_api.h"

#include "KestoUIEngine.h"

#include <cwchar>
#include <functional>
#include <string>

namespace {

const wchar_t kNotAttached[] = L"error: the front end is not showing";

UINT_PTR __cdecl OnPluginMessage(int message) {
    if (message == nsis::kPluginGuiUnload || message == nsis::kPluginUnload)
        kesto_nsis::Shutdown();
    return 0;
}

// NSIS unloads a plugin after each call unless it registers a callback; this
// one holds subclassed windows and the engine, so it must stay.
bool KeepLoaded(const nsis::Call &call) {
    return call.Extra && call.Extra->RegisterPluginCallback &&
           call.Extra->RegisterPluginCallback(kesto_nsis::PluginModule(), OnPluginMessage) >= 0;
}

// Pops exactly `count` arguments, so that a failing call leaves the stack as
// balanced as a successful one.
bool PopArguments(nsis::Call &call, std::wstring *args, int count) {
    bool all = true;
    for (int i = 0; i < count; ++i)
        all = call.Pop(args[i]) && all;
    return all;
}

// Decimal, or hexadecimal after 0x or #; the whole text must be the number.
bool ParseNumber(const std::wstring &text, long long low, long long high, long long &value) {
    std::wstring digits = text;
    int base = 10;
    if (!digits.empty() && digits[0] == L'#') {
        digits = L"0x" + digits.substr(1);
        base = 16;
    } else if (digits.size() > 2 && digits[0] == L'0' && (digits[1] == L'x' || digits[1] == L'X')) {
        base = 16;
    }
    if (digits.empty() || digits.size() > 24)
        return false;
    wchar_t *end = nullptr;
    value = wcstoll(digits.c_str(), &end, base);
    return end && *end == L'\0' && end != digits.c_str() && value >= low && value <= high;
}

bool IsDirectory(const std::wstring &path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring &path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Engine commands that also work before the welcome page: on the window thread
// once the welcome page has been shown, directly before (.onInit, no window yet).
std::wstring Engine(const std::function<std::wstring()> &work) {
    return kesto_nsis::RelayReady() ? kesto_nsis::RunOnWindowThread(work) : work();
}

// Engine commands that only mean something while the engine paints.
std::wstring AttachedEngine(const std::function<std::wstring()> &work) {
    return kesto_nsis::RunOnWindowThread([&] { return kesto_nsis::Attached() ? work() : kNotAttached; });
}

bool OnParentThread(const nsis::Call &call) {
    return call.Parent && IsWindow(call.Parent) &&
           GetWindowThreadProcessId(call.Parent, nullptr) == GetCurrentThreadId();
}

struct OptionName {
    const wchar_t *Name;
    int Option;
};
const OptionName kOptions[] = {
    {L"agree", KSUI_OPTION_AGREE},
    {L"desktop", KSUI_OPTION_DESKTOP_SHORTCUT},
    {L"startmenu", KSUI_OPTION_START_MENU},
    {L"autostart", KSUI_OPTION_AUTO_START},
};

// Every function: stays loaded, runs its body without letting anything escape,
// and pushes the body's result.
void Run(HWND parent, int stringSize, wchar_t *variables, nsis::StackEntry **stack, nsis::ExtraParameters *extra,
         const std::function<std::wstring(nsis::Call &)> &body) {
    nsis::Call call{parent, stringSize, variables, stack, extra};
    std::wstring result;
    try {
        result = KeepLoaded(call) ? body(call)
                                  : L"error: this installer cannot keep the plugin loaded (NSIS 2.42 or later)";
    } catch (...) {
        result = L"error: out of memory";
    }
    call.Push(result);
}

#define KSUI_RUN(...) Run(parent, stringSize, variables, stack, extra, __VA_ARGS__)

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        kesto_nsis::SetPluginModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

// SetBranding caption color1 color2: the licence link's caption ("" keeps it)
// and the two brand colours (0xRRGGBB or #RRGGBB, -1 keeps one).
KSUI_NSIS_FUNCTION(SetBranding) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring args[3];
        if (!PopArguments(call, args, 3))
            return L"error: SetBranding needs a caption and two colours";
        long long color1 = 0, color2 = 0;
        if (!ParseNumber(args[1], -1, 0xFFFFFF, color1) || !ParseNumber(args[2], -1, 0xFFFFFF, color2))
            return L"error: a colour is 0xRRGGBB, #RRGGBB or -1, not \"" + args[1] + L"\" \"" + args[2] + L"\"";
        return Engine([&] {
            KSUiSetBranding(args[0].c_str(), static_cast<int>(color1), static_cast<int>(color2));
            return std::wstring(L"ok");
        });
    });
}

// SetHeroDir folder: the folder holding hero1.png .. hero5.png; before Welcome.
KSUI_NSIS_FUNCTION(SetHeroDir) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring folder;
        if (!call.Pop(folder) || folder.empty())
            return L"error: SetHeroDir needs a folder";
        if (kesto_nsis::RelayReady())
            return L"error: SetHeroDir comes before Welcome";
        if (!IsDirectory(folder))
            return L"error: no such folder: " + folder;
        KSUiSetHeroDir(folder.c_str());
        return L"ok";
    });
}

// SetDir folder: the install folder shown on the welcome page (default $INSTDIR).
KSUI_NSIS_FUNCTION(SetDir) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring folder;
        if (!call.Pop(folder) || folder.empty())
            return L"error: SetDir needs a folder";
        return Engine([&] {
            KSUiSetDir(folder.c_str());
            kesto_nsis::ScriptSettings().DirGiven = true;
            return std::wstring(L"ok");
        });
    });
}

// SetLicence file: the text file the licence link shows.
KSUI_NSIS_FUNCTION(SetLicence) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring file;
        if (!call.Pop(file) || file.empty())
            return L"error: SetLicence needs a text file";
        if (!IsFile(file))
            return L"error: no such file: " + file;
        return Engine([&] {
            kesto_nsis::ScriptSettings().LicenceFile = file;
            return std::wstring(L"ok");
        });
    });
}

// The engine's reason for a refused text or language, as a result line.
std::wstring Refused(const wchar_t *what) {
    wchar_t why[200] = {};
    KSUiLastError(why, 200);
    return std::wstring(L"error: ") + what + L": " + why;
}

// SetLanguage tag: the front end's language by BCP 47 tag ("en-US", "ar"), in
// place of the installer's own ($LANGUAGE), which it follows otherwise.
KSUI_NSIS_FUNCTION(SetLanguage) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring tag;
        if (!call.Pop(tag) || tag.empty())
            return L"error: SetLanguage needs a language tag";
        return Engine([&] {
            if (!KSUiSetLanguage(tag.c_str()))
                return Refused(L"unknown language");
            kesto_nsis::ScriptSettings().LanguageGiven = true;
            return std::wstring(L"ok");
        });
    });
}

// LoadTexts file: a table of the front end's texts ("id = text" lines, UTF-8
// or UTF-16), taken whole or not at all.
KSUI_NSIS_FUNCTION(LoadTexts) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring file;
        if (!call.Pop(file) || file.empty())
            return L"error: LoadTexts needs a text file";
        return Engine([&] {
            return KSUiLoadTexts(file.c_str()) ? std::wstring(L"ok") : Refused(L"the table was not taken");
        });
    });
}

// SetText id text: one text of the front end ("" gives it back to the language).
KSUI_NSIS_FUNCTION(SetText) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring args[2];
        if (!PopArguments(call, args, 2))
            return L"error: SetText needs an id and a text";
        return Engine([&] {
            return KSUiSetText(args[0].c_str(), args[1].c_str()) ? std::wstring(L"ok")
                                                                 : Refused(L"the text was not taken");
        });
    });
}

// SetColorMode mode: "system" (the user's app theme, the default), "light" or
// "dark", whatever the user's theme.
KSUI_NSIS_FUNCTION(SetColorMode) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring mode;
        call.Pop(mode);
        const struct {
            const wchar_t *Name;
            int Mode;
        } kModes[] = {{L"system", KSUI_COLORS_OF_SYSTEM}, {L"light", KSUI_COLORS_LIGHT}, {L"dark", KSUI_COLORS_DARK}};
        for (const auto &known : kModes) {
            if (lstrcmpiW(mode.c_str(), known.Name) == 0)
                return Engine([&] {
                    return KSUiSetColorMode(known.Mode) ? std::wstring(L"ok") : Refused(L"the colour mode was not taken");
                });
        }
        return L"error: SetColorMode needs system, light or dark";
    });
}

// SetProductName name: what high contrast shows where a picture is missing
// ("" gives it back to the installer window's title).
KSUI_NSIS_FUNCTION(SetProductName) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring name;
        if (!call.Pop(name))
            return L"error: SetProductName needs a name";
        return Engine([&] {
            return KSUiSetProductName(name.c_str()) ? std::wstring(L"ok") : Refused(L"the name was not taken");
        });
    });
}

// Welcome: shows the welcome page and waits. "install" with $INSTDIR set to the
// chosen folder, or "close". From a page function only.
KSUI_NSIS_FUNCTION(Welcome) {
    KSUI_RUN([](nsis::Call &call) { return kesto_nsis::ShowWelcome(call); });
}

// Status text: the status line of the installing page.
KSUI_NSIS_FUNCTION(Status) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring text;
        if (!call.Pop(text))
            return L"error: Status needs a text";
        return AttachedEngine([&] {
            KSUiSetStatus(text.c_str());
            return std::wstring(L"ok");
        });
    });
}

// Progress tenths: the progress bar, 0 to 1000 tenths of a percent.
KSUI_NSIS_FUNCTION(Progress) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring text;
        long long tenths = 0;
        if (!call.Pop(text) || !ParseNumber(text, 0, 1000, tenths))
            return L"error: Progress needs tenths of a percent from 0 to 1000, not \"" + text + L"\"";
        return AttachedEngine([&] {
            KSUiSetProgress(static_cast<int>(tenths));
            return std::wstring(L"ok");
        });
    });
}

// GetOption agree|desktop|startmenu|autostart: "1" when ticked, else "0".
KSUI_NSIS_FUNCTION(GetOption) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring name;
        call.Pop(name);
        for (const OptionName &o : kOptions)
            if (lstrcmpiW(name.c_str(), o.Name) == 0)
                return Engine([&] { return std::wstring(KSUiGetOption(o.Option) ? L"1" : L"0"); });
        return L"error: unknown option \"" + name + L"\" (agree, desktop, startmenu or autostart)";
    });
}

// Cancelled: "1" once the user has closed the window during the install; a
// section then ends with Abort and .onInstFailed takes back what it wrote.
KSUI_NSIS_FUNCTION(Cancelled) {
    KSUI_RUN([](nsis::Call &) {
        return AttachedEngine([] { return std::wstring(kesto_nsis::CancelRequested() ? L"1" : L"0"); });
    });
}

// Finished: shows the finished page and waits: "launch" or "close". From a page function only.
KSUI_NSIS_FUNCTION(Finished) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        if (!OnParentThread(call))
            return L"error: Finished must be called from a page function";
        return kesto_nsis::ShowFinished();
    });
}

// IsRunning exe: how many processes run that executable (a name or a full path).
KSUI_NSIS_FUNCTION(IsRunning) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring exe;
        if (!call.Pop(exe) || exe.empty())
            return L"error: IsRunning needs an executable name";
        return std::to_wstring(KSUiIsAppRunning(exe.c_str()));
    });
}

// Kill exe waitMs: ends those processes, waiting up to waitMs for each; how
// many are still running.
KSUI_NSIS_FUNCTION(Kill) {
    KSUI_RUN([](nsis::Call &call) -> std::wstring {
        std::wstring args[2];
        long long waitMs = 0;
        if (!PopArguments(call, args, 2) || args[0].empty() || !ParseNumber(args[1], 0, 60000, waitMs))
            return L"error: Kill needs an executable name and a wait of 0 to 60000 ms";
        return std::to_wstring(KSUiKillApp(args[0].c_str(), static_cast<int>(waitMs)));
    });
}

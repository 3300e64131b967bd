// The interface an NSIS installer gives every function of a plugin: the
// installer's window, its variables and its string stack. Written from NSIS's
// plugin conventions, for Unicode installers (x86-unicode and amd64-unicode).
#pragma once

#include <windows.h>

#include <string>

namespace nsis {

// One entry of the installer's stack: a link and a string of StringSize units.
struct StackEntry {
    StackEntry *Next;
    wchar_t Text[1];
};

// The installer's run-time flags; only a few are read here.
struct ExecFlags {
    int AutoClose;
    int AllUserVar;
    int ExecError;
    int Abort; // a section ended with Abort: the install failed
    int ExecReboot;
    int RebootCalled;
    int CurInstType;
    int PluginApiVersion;
    int Silent;
    int InstDirError;
    int Rtl;
    int ErrorLevel;
    int AlterRegView;
    int StatusUpdate;
};

// Messages of the plugin callback: the last one a plugin gets, and the one
// after the installer's window has gone.
constexpr int kPluginUnload = 0;
constexpr int kPluginGuiUnload = 1;
using PluginCallback = UINT_PTR(__cdecl *)(int message);

struct ExtraParameters {
    ExecFlags *Flags;
    int(__stdcall *ExecuteCodeSegment)(int, HWND);
    void(__stdcall *ValidateFilename)(wchar_t *);
    // 0 when registered, 1 when it already was, negative on failure. A plugin
    // with a callback stays loaded until the installer ends.
    int(__stdcall *RegisterPluginCallback)(HMODULE, PluginCallback);
};

// Indexes among the variables ($0..$9, $R0..$R9, $CMDLINE, $INSTDIR, $OUTDIR,
// $EXEDIR, $LANGUAGE, ...).
constexpr int kVarInstDir = 21;
constexpr int kVarLanguage = 24;

// What one call of a plugin function receives, with safe access to it: every
// pointer may be null and the sizes absurd when a script or installer misbehaves.
struct Call {
    HWND Parent;
    int StringSize;
    wchar_t *Variables;
    StackEntry **Stack;
    ExtraParameters *Extra;

    // Takes the top string off the stack; false when the stack is empty.
    bool Pop(std::wstring &text);
    // Puts a string on the stack, cut to the installer's string size.
    void Push(const std::wstring &text);
    std::wstring Variable(int index) const;
    void SetVariable(int index, const std::wstring &value);
};

} // namespace nsis

// Declares an exported plugin function, as the installer calls it.
#define KSUI_NSIS_FUNCTION(name)                                                                                    \
    extern "C" __declspec(dllexport) void __cdecl name(HWND parent, int stringSize, wchar_t *variables,          \
                                                       nsis::StackEntry **stack, nsis::ExtraParameters *extra)

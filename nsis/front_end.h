// The front end inside an NSIS installer: the engine attached to the
// installer's own window, on the installer's window thread.
//
// NSIS runs page functions on its window thread and sections on a worker
// thread, while the engine's functions belong to the thread that owns the
// window. So the plugin attaches the engine to $HWNDPARENT from the welcome
// page function (the window thread), and every later call from a section is
// carried to that thread by SendMessage to a message-only window of the plugin
// (RunOnWindowThread). The engine is never called from two threads.
//
// While the engine paints, NSIS's own controls (its buttons and the inner page
// dialogs) stay hidden. The instfiles page keeps working underneath: its
// progress bar and status line are subclassed, and what NSIS writes there,
// from the worker thread through SendMessage and so on the window thread, is
// mirrored into the engine's progress bar and status line.
#pragma once

#include "plugin_api.h"

#include <functional>
#include <string>

namespace kesto_nsis {

// The process-wide settings a script gives before the welcome page.
struct Settings {
    std::wstring LicenceFile;
    bool DirGiven = false;      // KSUiSetDir has a folder from the script
    bool LanguageGiven = false; // the script chose the front end's language itself
};
Settings &ScriptSettings();

HMODULE PluginModule();
void SetPluginModule(HMODULE module);

// Window thread only.
bool Attached();
bool OnWindowThread();
// Any thread: the message window exists from the welcome page to the end of
// the installer's window, so a section (which starts later) sees it set.
bool RelayReady();
// Runs the work on the installer's window thread and returns its result.
std::wstring RunOnWindowThread(const std::function<std::wstring()> &work);

// Window thread only. Each returns its result text for the stack.
std::wstring ShowWelcome(nsis::Call &call);
std::wstring ShowFinished();
bool CancelRequested();

// Detaches the engine and gives NSIS its window back; for the plugin callback.
void Shutdown();

// The licence viewer, modal over the installer's window.
void ShowLicenceWindow(HWND owner, const std::wstring &path);

// A text of the front end in its language (KSUiGetText), for the plugin's own windows.
std::wstring EngineText(const wchar_t *id);
// Whether the installer's language reads from right to left (NSIS's own flag).
bool InstallerReadsRightToLeft();
// Has the front end speak the installer's language ($LANGUAGE), unless the
// script chose one: the engine's language of the same tag where it has it,
// else English, mirrored when NSIS reads the language from right to left.
void FollowInstallerLanguage(const nsis::Call &call);

} // namespace kesto_nsis

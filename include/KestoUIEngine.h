/*
 * KestoUIEngine: a custom-drawn front end for setup programs.
 *
 * The host creates its own top-level window and hands it to KSUiAttach; the
 * engine then paints the whole window and reports what the user does through
 * one callback. Every function here is called from the thread that owns the
 * host window, except the three process functions, which any thread may call.
 *
 * Texts are zero-terminated UTF-16. Functions that copy text out take a buffer
 * and its capacity in UTF-16 units; a null buffer or a capacity of 0 or less
 * gives 0 and writes nothing, otherwise at most capacity - 1 characters and a
 * terminator are written and their number is returned.
 */
#ifndef KESTO_UI_ENGINE_H
#define KESTO_UI_ENGINE_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Every export uses the standard Windows calling convention. */
#define KSUI_CALL __stdcall

/* Pages, for KSUiSetState. */
#define KSUI_PAGE_WELCOME    0
#define KSUI_PAGE_INSTALLING 1
#define KSUI_PAGE_FINISHED   2

/* Options, for KSUiGetOption. Initially on, on, on, off. */
#define KSUI_OPTION_AGREE            1
#define KSUI_OPTION_DESKTOP_SHORTCUT 2
#define KSUI_OPTION_START_MENU       3
#define KSUI_OPTION_AUTO_START       4

/* Action codes passed to the host callback. */
#define KSUI_ACTION_INSTALL      1 /* install button, with the agreement ticked */
#define KSUI_ACTION_CHANGE_DIR   2 /* change button of the custom-install panel */
#define KSUI_ACTION_CLOSE        3 /* close button, outside KSUiWaitDone */
#define KSUI_ACTION_LAUNCH       4 /* launch button, outside KSUiWaitDone */
#define KSUI_ACTION_SHOW_LICENSE 5 /* licence link */

/* The directory box: a child EDIT control of the host window with this control
 * identifier, from KSUiAttach to KSUiDetach. It holds what the user typed
 * (KSUiGetDir reads it); a host that hides or restyles its own children can
 * tell it apart by this identifier. */
#define KSUI_DIR_EDIT_ID 1001

/* Results of KSUiWaitDone. */
#define KSUI_WAIT_CLOSED 0
#define KSUI_WAIT_LAUNCH 1

/* The host's action callback; its result is ignored. It runs on the window
 * thread, inside the handling of the mouse release, and may call the exports. */
typedef void (KSUI_CALL *KSUiHostCallback)(int action);

/* Lifecycle. KSUiAttach returns 1 when attached, 0 on failure (see KSUiLastError).
 * The window must be a live window that belongs to the calling thread; the
 * engine then runs on that thread only. A null or destroyed window is refused
 * with the stage KSUiAttach参数, a window of another thread with KSUiAttach线程.
 * Destroying the window without KSUiDetach is safe, and so is unloading the
 * library right after: the engine's background thread ends on its own and
 * holds the library until it has. KSUiDetach restores the window procedure
 * unless somebody subclassed the window after the engine; the engine's
 * procedure then stays in that chain and passes every message on. */
int  KSUI_CALL KSUiAttach(HWND window, KSUiHostCallback callback);
void KSUI_CALL KSUiDetach(void);
int  KSUI_CALL KSUiLastError(wchar_t *buffer, int capacity);
/* Pumps messages until the user clicks launch (returns 1) or close (returns 0),
 * the window is destroyed (0) or a quit message arrives (0; the quit is posted
 * again). A wait started from the callback during another wait shares its
 * decision: both return it. */
int  KSUI_CALL KSUiWaitDone(void);

/* Host commands; all of them also work before attaching. */
void KSUI_CALL KSUiSetState(int page);
void KSUI_CALL KSUiSetProgress(int tenthsOfPercent);
void KSUI_CALL KSUiSetStatus(const wchar_t *status);
void KSUI_CALL KSUiSetDir(const wchar_t *directory);
int  KSUI_CALL KSUiGetDir(wchar_t *buffer, int capacity);
int  KSUI_CALL KSUiGetOption(int option);
/* A null or empty caption keeps the current one; a negative colour (0xRRGGBB) keeps the current colour. */
void KSUI_CALL KSUiSetBranding(const wchar_t *licenseCaption, int color1, int color2);
/* Folder holding hero1.png .. hero5.png; read when the window is first painted. */
void KSUI_CALL KSUiSetHeroDir(const wchar_t *folder);

/* The shell's folder picker, opened on the nearest existing folder of startPath.
 * Returns the length of the chosen path, 0 when nothing was chosen. */
int  KSUI_CALL KSUiBrowseDir(const wchar_t *startPath, wchar_t *buffer, int capacity);

/* Processes by executable name: a bare file name, or a full path ('\' or '/'). */
int  KSUI_CALL KSUiIsAppRunning(const wchar_t *exeName);
int  KSUI_CALL KSUiKillApp(const wchar_t *exeName, int waitMs);
int  KSUI_CALL KSUiProcReport(wchar_t *buffer, int capacity);

#ifdef __cplusplus
}
#endif

#endif

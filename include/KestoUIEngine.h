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

/* Languages and texts. Everything here is additive: a host that calls none of
 * it gets the Simplified Chinese front end. All of it works before and after
 * KSUiAttach; an attached window shows a change at once. Each function returns
 * 1 when it took effect and 0 when it did not, with the reason in
 * KSUiLastError; a refused call changes nothing already set.
 *
 * Built-in languages, chosen by BCP 47 tag (the primary subtag decides, case
 * does not matter): "zh-CN" (the default), "en-US", "ar" and "he" (Hebrew;
 * "iw" too). Arabic and Hebrew read from right to left: the whole canvas is
 * mirrored (title buttons on the left, the agreement box right of its text,
 * the bar filling from the right, the directory box reading from the right);
 * the hero pictures are not. */
int  KSUI_CALL KSUiSetLanguage(const wchar_t *bcp47Tag);

/* One text by its id; a null or empty text gives the id back to the chosen
 * language. Ids, case-insensitive:
 *   Minimize, Close         names of the two title buttons (they paint symbols)
 *   QuickInstall            the install button
 *   Agree                   the agreement caption; the licence link follows it
 *                           directly, so end it with a space where words are
 *                           separated by spaces ("I have read and agree to the ")
 *   LicenseLink             the licence link (KSUiSetBranding's caption wins)
 *   CustomInstall           the custom-install toggle
 *   InstallLocation         the label before the directory box
 *   ChangeDir               the button beside the directory box
 *   DesktopShortcut, StartMenu, AutoStart   the three options
 *   Launch                  the finished page's button
 *   Percent                 the percentage; holds {0} exactly once ("{0}%")
 *   ProgressName            what a screen reader calls the progress bar
 *   InstallBlocked          the install button's description while the
 *                           agreement is not ticked
 *   LicenseWindowTitle, LicenseWindowOk, Cancelling
 *                           for front ends built on the engine, such as the
 *                           NSIS plugin's licence window and its cancelling status
 *   ActionCheck, ActionUncheck, ActionExpand, ActionCollapse, ActionJump,
 *   ActionPress             the default actions a screen reader announces
 *   InstallStarted, InstallFinished
 *                           what a screen reader says aloud when the install
 *                           starts ("开始安装") and when it has finished ("安装完成")
 *   FontFamily              the font every text is set in
 * A text holds at most 256 UTF-16 units and no control characters. A text that
 * does not fit its place on the canvas ends in an ellipsis; buttons and the
 * custom-install toggle first grow within the room the layout gives them.
 * Screen readers always hear the whole text. */
int  KSUI_CALL KSUiSetText(const wchar_t *id, const wchar_t *text);

/* A table of texts from a file: UTF-8 (with or without a byte-order mark) or
 * UTF-16 with its byte-order mark, at most 1 MiB, one "id = text" per line.
 * Blank lines and lines starting with # or ; are ignored; blanks around the
 * text are dropped unless it is written in double quotes. The whole table is
 * taken, or (at its first wrong line, named in KSUiLastError) none of it. */
int  KSUI_CALL KSUiLoadTexts(const wchar_t *path);

/* The text of an id as it shows now, copied out like every text here; 0 for an
 * unknown id. */
int  KSUI_CALL KSUiGetText(const wchar_t *id, wchar_t *buffer, int capacity);

/* The canvas's reading order: the language's own (the default), or one the
 * host sets for a language of its own table. */
#define KSUI_READING_ORDER_OF_LANGUAGE 0
#define KSUI_READING_LTR               1
#define KSUI_READING_RTL               2
int  KSUI_CALL KSUiSetReadingOrder(int order);

/* The palette: the user's app theme (the default: dark when
 * HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize
 * AppsUseLightTheme is 0, followed live), or always light or always dark.
 * High contrast outranks all three. The brand colours and the pictures stay
 * as they are in the dark palette; the licence link is lightened where the
 * brand colour would not read on the dark ground. 1 when taken, 0 (with the
 * reason in KSUiLastError) for any other value. */
#define KSUI_COLORS_OF_SYSTEM 0
#define KSUI_COLORS_LIGHT     1
#define KSUI_COLORS_DARK      2
int  KSUI_CALL KSUiSetColorMode(int mode);

/* A colour of the palette the engine paints in now (light, dark or the
 * system's high-contrast colours), as 0x00RRGGBB, so that a front end's own
 * windows can match the canvas; -1 for any other part. */
#define KSUI_COLOR_BACKGROUND 0
#define KSUI_COLOR_TEXT       1
#define KSUI_COLOR_SECONDARY  2
#define KSUI_COLOR_ACCENT     3
#define KSUI_COLOR_LINK       4
int  KSUI_CALL KSUiGetColor(int part);

/* The product's name, which high contrast shows in the hero's place when a
 * picture is missing. By default the window's title stands for it. At most
 * 256 UTF-16 units and no control characters; null or empty gives it back to
 * the title. 1 when taken, 0 (with the reason in KSUiLastError) otherwise. */
int  KSUI_CALL KSUiSetProductName(const wchar_t *name);

/* Texts that stay as they are in every language, because hosts may parse
 * them: the stage errors of KSUiLastError ("阶段=... HRESULT=0x........") and
 * the process reports of KSUiProcReport. */

#ifdef __cplusplus
}
#endif

#endif

// The one record of everything the engine knows, and the small types around it.
// This folder is the ground: it includes nothing else of the engine.
//
// Threads. Everything here belongs to the host window's thread (the thread that
// attaches), with these exceptions:
//   - The drag thread reads Module, HostWindow, CurrentPage, WindowScale and,
//     through HitTest, CustomPanelOpen, ContentBoost, RightToLeft and the
//     measured caption widths:
//     plain aligned 32-bit loads, no lock; a stale value at most delays or
//     refuses one press. It waits on its own duplicates of DragStopEvent and
//     DragWatchEvent.
//   - The drag thread writes GhostX and GhostY (plain stores, always before it
//     publishes DragReleased) and DragState.
//   - DragState changes only by InterlockedExchange, on both threads. After
//     each change the drag thread posts TickMessage to the host window, so the
//     window thread takes the change over at once.
//   - ProcessReport belongs to whichever thread calls the process functions.
//   - UI Automation calls its providers from threads of its own. A call that
//     arrives on another thread takes UiaCallLock, publishes itself in
//     UiaCallWaiting and is sent (SendMessage) to the window thread, which
//     runs it; that thread reads HostWindow and UiaCallMessage without a lock.
//   - The picture loader thread touches nothing here: it decodes into its own
//     PictureLoad record (render/picture_loader.h), which Loading points to.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <oaidl.h>
#include <wincodec.h>

#include "state/owners.h"

#include <string>

struct ITaskbarList3; // shobjidl.h; only window/taskbar.cpp calls it
struct IRawElementProviderSimple; // uiautomationcore.h; only window/uia_*.cpp call it

// --- Shared enumerations ---

enum Page : LONG { PageWelcome = 0, PageInstalling = 1, PageFinished = 2 };

enum ElementId : int {
    ElemNone = 0,
    ElemMinimize = 1,
    ElemClose,
    ElemInstall,
    ElemAgree,
    ElemLicenseLink,
    ElemCustomToggle,
    ElemChangeDir,
    ElemOptDesktop,
    ElemOptStartMenu,
    ElemOptAutoStart,
    ElemLaunch,
};
constexpr int kElementCount = 11;

// The texts a host may set or translate (geometry/captions.h names them).
enum TextId : int {
    TextMinimize,
    TextClose,
    TextQuickInstall,
    TextAgree,
    TextLicenseLink,
    TextCustomInstall,
    TextInstallLocation,
    TextChangeDir,
    TextDesktopShortcut,
    TextStartMenu,
    TextAutoStart,
    TextLaunch,
    TextPercent,
    TextProgressName,
    TextInstallBlocked,
    TextLicenseWindowTitle,
    TextLicenseWindowOk,
    TextCancelling,
    TextActionCheck,
    TextActionUncheck,
    TextActionExpand,
    TextActionCollapse,
    TextActionJump,
    TextActionPress,
    TextInstallStarted,
    TextInstallFinished,
    TextFontFamily,
    kTextCount
};

// Which palette the host wants: the user's app theme, or always light or dark.
enum ColorModeChoice : int { ColorModeOfSystem = 0, ColorModeLight = 1, ColorModeDark = 2 };

// The canvas's reading order: the language's own, or one the host chose.
enum ReadingOrderChoice : int { ReadingOrderOfLanguage = 0, ReadingLeftToRight = 1, ReadingRightToLeft = 2 };

enum Option : int { OptionAgree = 1, OptionDesktopShortcut, OptionStartMenu, OptionAutoStart };

enum HostAction : int {
    ActionInstall = 1,
    ActionChangeDir = 2,
    ActionClose = 3,
    ActionLaunch = 4,
    ActionShowLicense = 5,
};

enum WaitResult : LONG { WaitIdle = -2, WaitPending = -1, WaitClosed = 0, WaitLaunch = 1 };

enum DragStateValue : LONG { DragIdle = 0, DragMoving = 1, DragReleased = 2 };

typedef void(__stdcall *HostCallback)(int action);

// 0x00RRGGBB; the top byte is ignored and alpha is always separate.
typedef UINT32 RgbColor;

// The colours a frame is painted in, chosen by ChoosePalette (render/palette.h):
// the design's own light or dark one, or the system's while high contrast is
// on. Only RgbColors, so two palettes compare with memcmp.
struct Palette {
    RgbColor Background;    // clear colour; hero area under high contrast
    RgbColor Text;          // agreement and option captions, title-button icons
    RgbColor Secondary;     // status, percentage, custom toggle at rest, folder label
    RgbColor BoxFill;       // unchecked check box
    RgbColor BoxBorder;     // unchecked check box at rest
    RgbColor Accent;        // checked box, hovered box border, change button's outline, bar and buttons
    RgbColor AccentText;    // caption on Accent (buttons, check mark, hovered close icon)
    RgbColor Link;          // licence link and its underline
    RgbColor AccentInk;     // the accent as text on the page: change caption, hovered toggle
    RgbColor ChangeHover;   // hovered change button's face
    RgbColor Shade;         // faint disc behind the hovered minimise button
    RgbColor Veil;          // behind texts and icons over the hero (dark palette only)
    RgbColor Disabled;      // install button while the agreement is cleared
    RgbColor DisabledText;  // its caption
    RgbColor DirBox;        // install-directory field and its EDIT box
    RgbColor DirText;       // text of the EDIT box
    RgbColor Track;         // progress track
    RgbColor CloseHover;    // disc behind the hovered close button
};

// --- Fixed numbers of the design canvas and the window ---

constexpr float kCanvasWidth = 1024.0f;
constexpr float kCanvasBaseHeight = 745.0f;
constexpr UINT_PTR kFrameTimerId = 4936532;
constexpr UINT_PTR kRevealTimerId = 4936533;
constexpr UINT kFrameTimerMs = 33;
constexpr UINT kRevealTimerMs = 120;
constexpr int kDirEditId = 1001;

class ClientAccessible;
class UiaElement;

// uiautomationcore's functions, looked up by name when a client first asks for
// the window's UI Automation root. Each is null where the system lacks it:
// Wine 8, and Windows before 10 (1709), have no RaiseNotificationEvent, and
// under Wine RaiseStructureChangedEvent stays null (Wine 8's ends the process).
struct UiaFunctions {
    bool LookedUp = false;
    LRESULT(WINAPI *ReturnRawElementProvider)(HWND, WPARAM, LPARAM, IRawElementProviderSimple *) = nullptr;
    HRESULT(WINAPI *HostProviderFromHwnd)(HWND, IRawElementProviderSimple **) = nullptr;
    HRESULT(WINAPI *RaiseAutomationEvent)(IRawElementProviderSimple *, int eventId) = nullptr;
    HRESULT(WINAPI *RaisePropertyChangedEvent)(IRawElementProviderSimple *, int propertyId, VARIANT before,
                                               VARIANT now) = nullptr;
    HRESULT(WINAPI *RaiseStructureChangedEvent)(IRawElementProviderSimple *, int change, int *runtimeId,
                                                int length) = nullptr;
    HRESULT(WINAPI *RaiseNotificationEvent)(IRawElementProviderSimple *, int kind, int processing, BSTR text,
                                            BSTR activity) = nullptr;
    HRESULT(WINAPI *DisconnectProvider)(IRawElementProviderSimple *) = nullptr;
};
constexpr int kUiaElementSlots = 16; // the root and every reading item

// What a screen-reader user was last told aloud during an install, so that
// progress is spoken at most every 10 % and 5 s.
struct SpokenState {
    int Percent = 0;       // the progress last spoken, or where it fell back to
    ULONGLONG At = 0;      // when the last announcement went out; 0 for none
    bool FallBack = false; // the progress went back: the next status says why
};
struct PictureLoad;

// What a screen reader was last told, so that only changes are announced.
struct AnnouncedState {
    bool Valid = false; // false until the first look after attach
    LONG Page = PageWelcome;
    bool PanelOpen = false;
    int Options[4] = {};
    std::wstring Status;
    int Percent = 0;
    ULONG Texts = 0; // TextsVersion: the elements' names were told in these texts
};

// The animated values, and the status text's version, as the last frame that
// reached the screen drew them.
struct PaintedLook {
    float HoverLevel[12] = {};
    float ProgressShown = 0.0f;
    int SlideIndex = 0;
    int NextSlide = -1;
    float SlideFade = 0.0f;
    ULONG StatusVersion = 0;
    float StatusTextWidth = 0.0f;
};

// A 32-bit top-down DIB section selected into a memory DC of its own, holding
// the client pixels of the rectangle at (Left, Top).
struct DibSurface {
    HDC Dc = nullptr;
    HBITMAP Bitmap = nullptr;
    HGDIOBJ Previous = nullptr; // the DC's own bitmap, selected back before the DC is deleted
    UINT32 *Bits = nullptr;     // Width * Height pixels, row after row
    LONG Left = 0;
    LONG Top = 0;
    int Width = 0;
    int Height = 0;
};

// One entry of the still-layer cache: the still parts of a frame with one slide
// shown, in the form its presenter composes from.
struct StillLayer {
    DibSurface Pixels;                          // DC target: in memory, where fades are blended
    ID2D1BitmapRenderTarget *Target = nullptr;  // window target: a bitmap on the device
    ID2D1Bitmap *Bitmap = nullptr;              // Target's bitmap
    bool Ready = false;                         // false once the still parts change
};

// --- The record ---

struct EngineState {
    // --- Window: the host window and what the engine keeps in it ---
    HINSTANCE Module = nullptr;                     // entry point; read by the drag thread
    HWND HostWindow = nullptr;                      // AttachWindow/ReleaseWindowResources; non-null exactly while attached
    WNDPROC PrevWndProc = nullptr;                  // HookWindowProc; restored by UnhookWindowProc
    HostCallback Callback = nullptr;                // Attach; called by PerformElementAction
    bool ComInitialized = false;                    // Attach/Detach
    DWORD ComThreadId = 0;                          // Attach; only this thread may undo ComInitialized
    float WindowScale = 1.0f;                       // UpdateScaleFactors, FollowClientSize; read by the drag thread
    SIZE ClientSize = {};                           // FollowClientSize: the client size the canvas last took
    float ContentBoost = 1.0f;                      // UpdateScaleFactors
    HMONITOR CurrentMonitor = nullptr;              // UpdateScaleFactors
    ULONGLONG ShowTick = 0;                         // WM_SHOWWINDOW
    bool Revealed = false;                          // AttachWindow clears it, Reveal sets it
    bool FrameApplying = false;                     // ApplyWindowFrame
    bool FrameReapplyPending = false;               // WM_WINDOWPOSCHANGED; taken by Tick
    HWND DirEdit = nullptr;                         // AttachWindow/ReleaseWindowResources
    HFONT DirEditFont = nullptr;                    // LayoutDirEdit
    HBRUSH DirEditBrush = nullptr;                  // ReadSystemSettings
    WNDPROC DirEditPrevProc = nullptr;              // HookDirEditKeys: the EDIT box's own procedure
    UINT FrameTimerMs = 0;                          // ScheduleTick: the frame timer's period, 0 while it is killed
    UINT TickMessage = 0;                           // LookUpPlatform: posted by the drag thread to have a tick run

    // --- Page: what the host set and the user chose ---
    std::wstring LastError;                         // RecordStageError
    std::wstring ProcessReport;                     // process functions, on whichever thread calls them
    RgbColor BrandColor1 = 0x2E78F6;                // KSUiSetBranding
    RgbColor BrandColor2 = 0x7A5AF8;                // KSUiSetBranding
    std::wstring LicenseLinkText;                   // KSUiSetBranding; empty shows the built-in caption
    std::wstring HeroDir;                           // KSUiSetHeroDir
    LONG CurrentPage = PageWelcome;                 // KSUiSetState; read by the drag thread
    bool CustomPanelOpen = false;                   // PerformElementAction, KSUiSetState
    int Options[4] = {1, 1, 1, 0};                  // index Option - 1; PerformElementAction
    std::wstring StatusText;                        // KSUiSetStatus
    ULONG StatusVersion = 0;                        // KSUiSetStatus; counts the changes of StatusText
    std::wstring InstallDir;                        // KSUiSetDir
    int ProgressTarget = 0;                         // KSUiSetProgress, 0..1000
    LONG Decision = WaitIdle;                       // KSUiWaitDone, close and launch elements
    int Language = 0;                               // KSUiSetLanguage: a built-in language, 0 the default
    int ReadingOrder = ReadingOrderOfLanguage;      // KSUiSetReadingOrder
    bool RightToLeft = false;                       // ApplyTexts: the canvas is mirrored; read by the drag thread (HitTest)
    std::wstring TextOverrides[kTextCount];         // KSUiSetText, KSUiLoadTexts; empty: the language's own text
    ULONG TextsVersion = 0;                         // ApplyTexts; counts the changes of language, texts and reading order
    int WaitDepth = 0;                              // KSUiWaitDone; nested waits share one decision

    // --- Animation: the clock and what it moves ---
    float ProgressShown = 0.0f;                     // StepAnimation; KSUiSetProgress lowers it at once
    float HoverLevel[12] = {};                      // StepAnimation; index ElementId, entry 0 unused
    int SlideIndex = 0;                             // StepAnimation, KSUiSetState
    int NextSlide = -1;                             // StepAnimation, KSUiSetState
    float SlideFade = 0.0f;                         // StepAnimation, KSUiSetState
    ULONGLONG SlideShownAt = 0;                     // StepAnimation, KSUiSetState; 0 = not yet timed
    ULONGLONG LastFrameTick = 0;                    // StepAnimation; 0 = no step yet
    bool AnimationRested = false;                   // ScheduleTick sets it, StepAnimation clears it

    // --- Compositor: drawing resources and the frames made with them ---
    ID2D1Factory *D2DFactory = nullptr;             // CreateDeviceIndependentResources/Release...
    IDWriteFactory *DWriteFactory = nullptr;        // CreateDeviceIndependentResources/Release...
    IWICImagingFactory *WicFactory = nullptr;       // CreateDeviceIndependentResources; null when unavailable
    ID2D1StrokeStyle *StrokeStyle = nullptr;        // CreateDeviceIndependentResources
    IDWriteTextFormat *ButtonFormat = nullptr;      // BuildTextFormats
    IDWriteTextFormat *SmallButtonFormat = nullptr; // BuildTextFormats
    IDWriteTextFormat *CaptionFormat = nullptr;     // BuildTextFormats
    IDWriteTextFormat *LinkFormat = nullptr;        // BuildTextFormats
    IDWriteTextFormat *LabelFormat = nullptr;       // BuildTextFormats
    IDWriteTextFormat *PercentFormat = nullptr;     // BuildTextFormats
    float AgreeTextWidth = 0.0f;                    // BuildTextFormats; read by the drag thread (HitTest)
    float LicenseTextWidth = 0.0f;                  // BuildTextFormats; read by the drag thread (HitTest)
    float CustomTextWidth = 0.0f;                   // BuildTextFormats; read by the drag thread (HitTest)
    float InstallTextWidth = 0.0f;                  // BuildTextFormats; read by the drag thread (HitTest)
    float LaunchTextWidth = 0.0f;                   // BuildTextFormats; read by the drag thread (HitTest)
    float ChangeTextWidth = 0.0f;                   // BuildTextFormats; read by the drag thread (HitTest)
    float LocationTextWidth = 0.0f;                 // BuildTextFormats
    float StatusTextWidth = 0.0f;                   // KSUiSetStatus, BuildTextFormats; how far the status runs
    bool UnderWine = false;                         // LookUpPlatform: ntdll exports wine_get_version
    ID2D1RenderTarget *RenderTarget = nullptr;      // EnsureDeviceResources; kind chosen by UseDcRenderTarget
    bool RenderTargetOnDc = false;                  // CreateRenderTarget; true: an ID2D1DCRenderTarget
    ID2D1SolidColorBrush *Brush = nullptr;          // EnsureDeviceResources
    ID2D1LinearGradientBrush *BrandGradient = nullptr; // EnsureDeviceResources
    ID2D1Bitmap *HeroBitmaps[5] = {};               // HeroPicture, AdoptLoadedPictures; slot i is hero(i+1).png
    PictureLoad *Loading = nullptr;                 // LoadHeroPictures; the loader thread's run, until every slot is taken over
    bool FrameRequested = false;                    // RequestFrame; cleared by a frame that reached the screen
    PaintedLook Painted;                            // RecordPaint
    ULONGLONG LastPaintEnd = 0;                     // RecordPaint; tick at which the last paint ended
    ULONGLONG LastPaintCost = 0;                    // RecordPaint; milliseconds the last paint drew, at most 250
    ULONGLONG LastRepaintTick = 0;                  // Tick: when the last paint a host command forced ended
    StillLayer StillLayers[5];                      // the still-layer cache: layer i shows slide i
    DibSurface BackBuffer;                          // PresentRetained: pixel for pixel what the window shows
    DibSurface SlideParts[5];                       // PresentRetained: the moving parts over the hero, on slide i
    bool SlidePartsReady[5] = {};                   // PresentRetained: false once those parts change
    ID2D1Bitmap *PassBackground = nullptr;          // PresentRetained: what each pass draws over

    // --- Input: pointer, drag thread and keyboard focus ---
    int HoverElement = ElemNone;                    // window procedure
    int PressedElement = ElemNone;                  // window procedure
    bool LeaveTracking = false;                     // window procedure
    volatile LONG DragState = DragIdle;             // interlocked exchange only, both threads
    volatile LONG GhostX = 0;                       // drag thread
    volatile LONG GhostY = 0;                       // drag thread
    HANDLE DragThread = nullptr;                    // StartDragThread/StopDragThread
    HANDLE DragStopEvent = nullptr;                 // StartDragThread/StopDragThread; the thread waits on a duplicate
    HANDLE DragWatchEvent = nullptr;                // StartDragThread/StopDragThread; auto-reset, set by each page change
    int FocusItem = 0;                              // keyboard focus: a ReadingItem, 0 for none
    bool FocusCueShown = false;                     // keyboard focus: from the first Tab on

    // --- Accessibility ---
    ClientAccessible *Accessible = nullptr;         // WM_GETOBJECT; disconnected by ReleaseWindowResources
    AnnouncedState Announced;                       // AnnounceChanges, from the tick
    UINT DefaultActionMessage = 0;                  // LookUpPlatform: a reader's default action, posted to the window
    UiaFunctions Uia;                               // LookUpUiaCore, at the first request for the root
    UINT UiaCallMessage = 0;                        // LookUpPlatform: a UI Automation call sent over from another thread
    SRWLOCK UiaCallLock = SRWLOCK_INIT;             // held by another thread while its call waits to run
    void *UiaCallWaiting = nullptr;                 // that call, under UiaCallLock; read by the window thread
    UiaElement *UiaElements[kUiaElementSlots] = {}; // UiaProvider: 0 the root, then each ReadingItem; disconnected by ReleaseWindowResources
    SpokenState Spoken;                             // AnnounceInstall, from the tick

    // --- Settings: the user's display, and the taskbar ---
    bool HighContrast = false;                      // ReadSystemSettings
    bool ReducedMotion = false;                     // ReadSystemSettings
    bool DarkMode = false;                          // ReadSystemSettings: the host's ColorMode, or the user's app theme
    int ColorMode = ColorModeOfSystem;              // KSUiSetColorMode
    std::wstring ProductName;                       // KSUiSetProductName; empty: the window's title
    std::wstring WindowTitle;                       // AttachWindow, WM_SETTEXT: named when a picture is missing
    Palette Colors = {};                            // ChoosePalette
    UINT(WINAPI *GetDpiForWindow)(HWND) = nullptr;  // LookUpPlatform; null on systems without it
    DPI_AWARENESS_CONTEXT(WINAPI *GetWindowDpiAwarenessContext)(HWND) = nullptr; // LookUpPlatform; null before Windows 10
    DPI_AWARENESS(WINAPI *GetAwarenessFromDpiAwarenessContext)(DPI_AWARENESS_CONTEXT) = nullptr; // LookUpPlatform
    ITaskbarList3 *Taskbar = nullptr;               // ConnectTaskbar/DisconnectTaskbar
    UINT TaskbarButtonMessage = 0;                  // LookUpPlatform: "TaskbarButtonCreated"
    LONG TaskbarShown = -1;                         // SyncTaskbar: last value sent, kTaskbarNone, or -1 unknown
};

extern EngineState g_State;

// Fills the record's platform members: UnderWine, GetDpiForWindow and the
// registered messages. Attach calls it; the answers never change.
void LookUpPlatform();

// Formats "阶段=<stage> HRESULT=0x<code>" into LastError.
void RecordStageError(const wchar_t *stage, HRESULT code);

// --- Small shared helpers ---

// The system's 64-bit millisecond tick; tests can substitute their own clock.
ULONGLONG NowTick();

// Copies text out to a host buffer: a null buffer or a capacity of 0 or less
// gives 0 and writes nothing; otherwise at most capacity - 1 units and a
// terminator are written and their number is returned.
int CopyTextOut(const std::wstring &text, wchar_t *buffer, int capacity);

// A null pointer counts as the empty text.
inline const wchar_t *TextOrEmpty(const wchar_t *text) { return text ? text : L""; }

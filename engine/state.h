// The one record of everything the engine knows, and the small types around it.
//
// Threads. Everything here belongs to the host window's thread (the thread that
// attaches), with these exceptions:
//   - The drag thread reads Module, HostWindow, CurrentPage, WindowScale and,
//     through HitTest, CustomPanelOpen, ContentBoost and the three label widths:
//     plain aligned 32-bit loads, no lock; a stale value at most delays or
//     refuses one press. It waits on its own duplicate of DragStopEvent.
//   - The drag thread writes GhostX and GhostY (plain stores, always before it
//     publishes DragReleased) and DragState.
//   - DragState changes only by InterlockedExchange, on both threads.
//   - ProcessReport belongs to whichever thread calls the process functions.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <wincodec.h>

#include <string>

struct ITaskbarList3; // shobjidl.h; only window/taskbar.cpp calls it

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
// the design's own, or the system's while high contrast is on. Only RgbColors,
// so two palettes compare with memcmp.
struct Palette {
    RgbColor Background;    // clear colour; hero area under high contrast
    RgbColor Text;          // agreement and option captions, title-button icons
    RgbColor Secondary;     // status, percentage, custom toggle at rest, folder label
    RgbColor BoxFill;       // unchecked check box
    RgbColor BoxBorder;     // unchecked check box at rest
    RgbColor Accent;        // checked box, hovered box border and toggle, change button, bar and buttons
    RgbColor AccentText;    // caption on Accent (buttons, check mark, hovered close icon)
    RgbColor Link;          // licence link and its underline
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

// What a screen reader was last told, so that only changes are announced.
struct AnnouncedState {
    bool Valid = false; // false until the first look after attach
    LONG Page = PageWelcome;
    bool PanelOpen = false;
    int Options[4] = {};
    std::wstring Status;
    int Percent = 0;
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

// --- The record ---

struct EngineState {
    HINSTANCE Module = nullptr;                     // entry point
    HWND HostWindow = nullptr;                      // attach/detach; non-null exactly while attached
    WNDPROC PrevWndProc = nullptr;                  // attach; restored by ReleaseWindowResources
    HostCallback Callback = nullptr;                // attach; called by PerformElementAction
    bool ComInitialized = false;                    // attach/detach
    std::wstring LastError;                         // RecordStageError
    std::wstring ProcessReport;                     // process functions
    RgbColor BrandColor1 = 0x2E78F6;                // KSUiSetBranding
    RgbColor BrandColor2 = 0x7A5AF8;                // KSUiSetBranding
    std::wstring LicenseLinkText;                   // KSUiSetBranding; empty shows the built-in caption
    std::wstring HeroDir;                           // KSUiSetHeroDir
    ID2D1Factory *D2DFactory = nullptr;             // attach/detach
    IDWriteFactory *DWriteFactory = nullptr;        // attach/detach
    IWICImagingFactory *WicFactory = nullptr;       // attach/detach; null when unavailable
    ID2D1StrokeStyle *StrokeStyle = nullptr;        // attach/detach
    IDWriteTextFormat *ButtonFormat = nullptr;      // BuildTextFormats
    IDWriteTextFormat *SmallButtonFormat = nullptr; // BuildTextFormats
    IDWriteTextFormat *CaptionFormat = nullptr;     // BuildTextFormats
    IDWriteTextFormat *LinkFormat = nullptr;        // BuildTextFormats
    IDWriteTextFormat *LabelFormat = nullptr;       // BuildTextFormats
    IDWriteTextFormat *PercentFormat = nullptr;     // BuildTextFormats
    ID2D1RenderTarget *RenderTarget = nullptr;      // EnsureDeviceResources; kind chosen by UseDcRenderTarget
    ID2D1SolidColorBrush *Brush = nullptr;          // EnsureDeviceResources
    ID2D1LinearGradientBrush *BrandGradient = nullptr; // EnsureDeviceResources
    ID2D1Bitmap *HeroBitmaps[5] = {};               // LoadHeroPictures; slot i is hero(i+1).png
    LONG CurrentPage = PageWelcome;                 // KSUiSetState; read by the drag thread
    int Options[4] = {1, 1, 1, 0};                  // index Option - 1; toggled by the window procedure
    std::wstring StatusText;                        // KSUiSetStatus
    std::wstring InstallDir;                        // KSUiSetDir
    int ProgressTarget = 0;                         // KSUiSetProgress, 0..1000
    float ProgressShown = 0.0f;                     // StepAnimation
    int HoverElement = ElemNone;                    // window procedure
    int PressedElement = ElemNone;                  // window procedure
    bool LeaveTracking = false;                     // window procedure
    volatile LONG DragState = DragIdle;             // interlocked exchange only, both threads
    volatile LONG GhostX = 0;                       // drag thread
    volatile LONG GhostY = 0;                       // drag thread
    HANDLE DragThread = nullptr;                    // attach/detach
    HANDLE DragStopEvent = nullptr;                 // attach/detach; the drag thread waits on a duplicate
    float HoverLevel[12] = {};                      // StepAnimation; index ElementId, entry 0 unused
    int SlideIndex = 0;                             // StepAnimation, KSUiSetState
    int NextSlide = -1;                             // StepAnimation, KSUiSetState
    float SlideFade = 0.0f;                         // StepAnimation, KSUiSetState
    ULONGLONG SlideShownAt = 0;                     // StepAnimation, KSUiSetState; 0 = not yet timed
    ULONGLONG LastFrameTick = 0;                    // StepAnimation; 0 = no step yet
    float WindowScale = 1.0f;                       // scaling, WM_SIZE, render target; read by the drag thread
    float ContentBoost = 1.0f;                      // UpdateScaleFactors
    HMONITOR CurrentMonitor = nullptr;              // attach, RelayoutForDisplay
    float AgreeTextWidth = 0.0f;                    // BuildTextFormats
    float LicenseTextWidth = 0.0f;                  // BuildTextFormats
    float CustomTextWidth = 0.0f;                   // BuildTextFormats
    bool CustomPanelOpen = false;                   // custom-install toggle, KSUiSetState
    HWND DirEdit = nullptr;                         // attach/detach
    HFONT DirEditFont = nullptr;                    // LayoutDirEdit
    HBRUSH DirEditBrush = nullptr;                  // attach/detach
    ULONGLONG ShowTick = 0;                         // WM_SHOWWINDOW
    bool Revealed = false;                          // reveal after the first paint
    bool FrameApplying = false;                     // ApplyWindowFrame
    bool FrameReapplyPending = false;               // WM_WINDOWPOSCHANGED, frame timer, RefreshNow
    LONG Decision = WaitIdle;                       // KSUiWaitDone, close and launch elements
    // Render path: which kind of target RenderTarget is
    bool RenderTargetOnDc = false;                  // CreateRenderTarget; true: an ID2D1DCRenderTarget
    // --- Lifetime across threads and nested waits ---
    DWORD ComThreadId = 0;                          // attach; only this thread may undo ComInitialized
    int WaitDepth = 0;                              // KSUiWaitDone; nested waits share one decision

    // Accessibility and keyboard focus
    ClientAccessible *Accessible = nullptr;         // WM_GETOBJECT; disconnected by ReleaseWindowResources
    AnnouncedState Announced;                       // AnnounceChanges
    int FocusItem = 0;                              // keyboard focus: a ReadingItem, 0 for none
    bool FocusCueShown = false;                     // keyboard focus: from the first Tab on
    WNDPROC DirEditPrevProc = nullptr;              // keyboard focus: the EDIT box's own procedure

    // Frame scheduling: paint only when the picture would change, pace slow frames.
    bool FrameRequested = false;                    // RequestFrame; cleared by a frame that reached the screen
    PaintedLook Painted;                            // RecordPaint
    ULONGLONG LastPaintEnd = 0;                     // RecordPaint; tick at which the last paint ended
    ULONGLONG LastPaintCost = 0;                    // RecordPaint; milliseconds the last paint drew, at most 250
    ULONG StatusVersion = 0;                        // KSUiSetStatus; counts the changes of StatusText
    float StatusTextWidth = 0.0f;                   // KSUiSetStatus, BuildTextFormats; how far the status runs
    // Still layer: the parts of a frame that only a requested frame changes, drawn once.
    ID2D1BitmapRenderTarget *StillTarget = nullptr; // StillLayer; released with the device resources
    ID2D1Bitmap *StillBitmap = nullptr;             // StillLayer; StillTarget's bitmap
    int StillSlide = 0;                             // StillLayer; the SlideIndex it shows

    // System settings: high contrast, reduced motion, taskbar progress
    bool HighContrast = false;                      // ReadSystemSettings
    bool ReducedMotion = false;                     // ReadSystemSettings
    Palette Colors = {};                            // ChoosePalette
    ITaskbarList3 *Taskbar = nullptr;               // ConnectTaskbar/DisconnectTaskbar
    UINT TaskbarButtonMessage = 0;                  // attach; "TaskbarButtonCreated"
    LONG TaskbarShown = -1;                         // SyncTaskbar: last value sent, kTaskbarNone, or -1 unknown

    // Drag watch: the drag thread sleeps on this event off the installing page.
    HANDLE DragWatchEvent = nullptr;                // attach/detach; set while CurrentPage is PageInstalling

    // Retained frame (DC render target): the frame on screen and the still layers, in memory.
    DibSurface BackBuffer;                          // PaintRetainedFrame; pixel for pixel what the window shows
    DibSurface SlidePixels[5];                      // PaintRetainedFrame; the still layer with slide i shown
    bool SlidePixelsReady[5] = {};                  // PaintRetainedFrame; false once the still parts change
    DibSurface SlideParts[5];                       // PaintRetainedFrame; the moving parts over the hero, on slide i
    bool SlidePartsReady[5] = {};                   // PaintRetainedFrame; false once those parts change
    ID2D1Bitmap *PassBackground = nullptr;          // PaintRetainedFrame; what each pass draws over, released with the device
};

extern EngineState g_State;

// Tick at which the last repaint forced by a host command (KSUiSetState,
// KSUiSetStatus, an unthrottled KSUiSetProgress) ended.
extern ULONGLONG g_LastRepaintTick;

// --- Small shared helpers ---

// Releases a COM reference once and nulls the member, so it can never be released twice.
template <class T> inline void ReleaseAndNull(T *&p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

// The system's 64-bit millisecond tick; tests can substitute their own clock.
ULONGLONG NowTick();

// Copies text out to a host buffer: a null buffer or a capacity of 0 or less
// gives 0 and writes nothing; otherwise at most capacity - 1 units and a
// terminator are written and their number is returned.
int CopyTextOut(const std::wstring &text, wchar_t *buffer, int capacity);

// A null pointer counts as the empty text.
inline const wchar_t *TextOrEmpty(const wchar_t *text) { return text ? text : L""; }

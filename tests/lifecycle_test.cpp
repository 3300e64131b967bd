// Attaching, detaching, the stage error text and the completion wait, through
// the exports on real windows.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"
#include "state/seams.h"
#include "window/window_proc.h"

#include <dwmapi.h>

#include <climits>
#include <string>

using namespace TestHost;

namespace {

std::wstring LastError() {
    wchar_t text[256] = {};
    KSUiLastError(text, 256);
    return text;
}

// Every reference and handle that detach must leave null.
void ExpectAllReleased() {
    const EngineState &s = g_State;
    EXPECT_EQ(nullptr, s.HostWindow);
    EXPECT_EQ(nullptr, s.PrevWndProc);
    EXPECT_FALSE(s.ComInitialized);
    EXPECT_EQ(nullptr, s.D2DFactory);
    EXPECT_EQ(nullptr, s.DWriteFactory);
    EXPECT_EQ(nullptr, s.WicFactory);
    EXPECT_EQ(nullptr, s.StrokeStyle);
    EXPECT_EQ(nullptr, s.ButtonFormat);
    EXPECT_EQ(nullptr, s.SmallButtonFormat);
    EXPECT_EQ(nullptr, s.CaptionFormat);
    EXPECT_EQ(nullptr, s.LinkFormat);
    EXPECT_EQ(nullptr, s.LabelFormat);
    EXPECT_EQ(nullptr, s.PercentFormat);
    EXPECT_EQ(nullptr, s.RenderTarget);
    EXPECT_EQ(nullptr, s.Brush);
    EXPECT_EQ(nullptr, s.BrandGradient);
    for (ID2D1Bitmap *bitmap : s.HeroBitmaps)
        EXPECT_EQ(nullptr, bitmap);
    EXPECT_EQ(nullptr, s.DragThread);
    EXPECT_EQ(nullptr, s.DragStopEvent);
    EXPECT_EQ(nullptr, s.DirEdit);
    EXPECT_EQ(nullptr, s.DirEditFont);
    EXPECT_EQ(nullptr, s.DirEditBrush);
}

class Lifecycle : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngine();
        g_State.Module = GetModuleHandleW(nullptr);
        RecordDwmAttributes();
    }
    void TearDown() override {
        KSUiDetach();
        for (HWND w : windows_)
            if (IsWindow(w))
                DestroyWindow(w);
        TestSeams::WicCreateResult = S_OK;
        TestSeams::TickSource = nullptr;
        ResetEngine();
    }
    HWND NewWindow(bool visible = true) {
        HWND w = CreateHostWindow(visible);
        windows_.push_back(w);
        return w;
    }
    std::vector<HWND> windows_;
};

// --- Attach and detach ---

// A window that another thread creates and owns until told to let it go.
class ForeignWindow {
  public:
    ForeignWindow() {
        release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ready_ = ready;
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(ready, 10000);
        CloseHandle(ready);
    }
    ~ForeignWindow() {
        SetEvent(release_);
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
        CloseHandle(release_);
    }
    ForeignWindow(const ForeignWindow &) = delete;
    ForeignWindow &operator=(const ForeignWindow &) = delete;
    HWND Window() const { return window_; }

  private:
    static DWORD WINAPI Run(LPVOID self) {
        ForeignWindow &f = *static_cast<ForeignWindow *>(self);
        f.window_ = CreateWindowExW(0, L"STATIC", L"other thread", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 300,
                                    nullptr, nullptr, nullptr, nullptr);
        SetEvent(f.ready_);
        while (MsgWaitForMultipleObjects(1, &f.release_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
        }
        DestroyWindow(f.window_);
        return 0;
    }
    HANDLE thread_ = nullptr, release_ = nullptr, ready_ = nullptr;
    HWND window_ = nullptr;
};

// Only a live window of the calling thread can be attached. A refused window
// keeps its procedure, and a live window of this thread attaches right after.
TEST_F(Lifecycle, WindowsThatAreNotTheCallersLiveWindowsAreRefused) {
    HWND destroyed = CreateHostWindow();
    DestroyWindow(destroyed);
    ForeignWindow foreign;
    ASSERT_TRUE(foreign.Window());
    const struct {
        const char *name;
        HWND window;
        const wchar_t *error;
    } cases[] = {
        {"null", nullptr, L"阶段=KSUiAttach参数 HRESULT=0x80070057"},
        {"destroyed", destroyed, L"阶段=KSUiAttach参数 HRESULT=0x80070057"},
        {"another thread's", foreign.Window(), L"阶段=KSUiAttach线程 HRESULT=0x8001010E"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const LONG_PTR proc = c.window ? GetWindowLongPtrW(c.window, GWLP_WNDPROC) : 0;
        EXPECT_EQ(0, KSUiAttach(c.window, RecordAction));
        EXPECT_EQ(c.error, LastError());
        EXPECT_EQ(nullptr, g_State.HostWindow);
        EXPECT_EQ(nullptr, g_State.D2DFactory);
        EXPECT_EQ(nullptr, g_State.DragThread);
        if (c.window) {
            EXPECT_EQ(proc, GetWindowLongPtrW(c.window, GWLP_WNDPROC));
        }
        HWND live = NewWindow();
        EXPECT_EQ(1, KSUiAttach(live, RecordAction));
        KSUiDetach();
    }
}

TEST_F(Lifecycle, AttachSubclassesFramesCloaksAndStartsEverything) {
    HWND w = NewWindow();
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    EXPECT_EQ(w, g_State.HostWindow);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(HostWndProc), GetWindowLongPtrW(w, GWLP_WNDPROC));
    EXPECT_EQ(WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME,
              GetWindowLongW(w, GWL_STYLE) & (WS_CLIPCHILDREN | WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(g_State.D2DFactory && g_State.DWriteFactory && g_State.WicFactory);
    EXPECT_TRUE(g_State.ButtonFormat && g_State.PercentFormat);
    EXPECT_GT(g_State.AgreeTextWidth, 50.0f) << "is the font replacement in the prefix?";
    EXPECT_GT(g_State.LicenseTextWidth, 0.0f);
    EXPECT_GT(g_State.CustomTextWidth, 0.0f);
    ASSERT_TRUE(g_State.DirEdit);
    EXPECT_EQ(kDirEditId, GetDlgCtrlID(g_State.DirEdit));
    EXPECT_FALSE(IsWindowVisible(g_State.DirEdit)) << "the edit box shows only with the custom panel";
    EXPECT_TRUE(g_State.DragThread && g_State.DragStopEvent);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(g_State.DragThread, 0));

    // The first paint creates the render target, and the window is revealed.
    Pump(400);
    EXPECT_TRUE(g_State.RenderTarget);
    EXPECT_TRUE(g_State.Revealed);
}

TEST_F(Lifecycle, SecondAttachIsRefusedAndTheFirstKeepsWorking) {
    HWND first = NewWindow();
    HWND second = NewWindow();
    ASSERT_EQ(1, KSUiAttach(first, RecordAction));
    const WNDPROC secondProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(second, GWLP_WNDPROC));

    EXPECT_EQ(0, KSUiAttach(second, RecordAction));
    EXPECT_EQ(L"阶段=重复挂载 HRESULT=0x8000FFFF", LastError());
    EXPECT_EQ(first, g_State.HostWindow);
    EXPECT_EQ(secondProc, reinterpret_cast<WNDPROC>(GetWindowLongPtrW(second, GWLP_WNDPROC)));

    // Still driven: a click on the agreement box toggles it.
    Pump(200);
    const D2D1_POINT_2F agree = ElementCentre(ElemAgree);
    Click(first, agree.x, agree.y);
    EXPECT_EQ(0, KSUiGetOption(KSUI_OPTION_AGREE));
}

TEST_F(Lifecycle, DetachReleasesEverythingAndStateCarriesOverToTheNextAttach) {
    HWND w = NewWindow();
    KSUiSetDir(L"C:\\Product");
    KSUiSetStatus(L"正在安装");
    KSUiSetBranding(L"《服务条款》", 0x112233, 0x445566);
    KSUiSetHeroDir(L"C:\\pictures");
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    Pump(300);
    const D2D1_POINT_2F agree = ElementCentre(ElemAgree);
    Click(w, agree.x, agree.y);
    KSUiSetState(KSUI_PAGE_FINISHED);
    const WNDPROC hostProc = g_State.PrevWndProc;

    KSUiDetach();
    ExpectAllReleased();
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(hostProc), GetWindowLongPtrW(w, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, FindWindowExW(w, nullptr, L"EDIT", nullptr)) << "the edit box is destroyed";

    EXPECT_EQ(PageFinished, g_State.CurrentPage);
    EXPECT_EQ(0, KSUiGetOption(KSUI_OPTION_AGREE));
    EXPECT_EQ(L"C:\\Product", g_State.InstallDir);
    EXPECT_EQ(L"正在安装", g_State.StatusText);
    EXPECT_EQ(L"《服务条款》", g_State.LicenseLinkText);
    EXPECT_EQ(L"C:\\pictures", g_State.HeroDir);
    EXPECT_EQ(0x112233u, g_State.BrandColor1);
    EXPECT_EQ(0x445566u, g_State.BrandColor2);
    EXPECT_EQ(RecordAction, g_State.Callback);

    // Attaching again starts from what was kept: the finished page's size.
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(static_cast<int>(g_State.WindowScale * 745.0f + 0.5f), r.bottom - r.top);
    wchar_t dir[64];
    EXPECT_EQ(10, KSUiGetDir(dir, 64));
    EXPECT_STREQ(L"C:\\Product", dir);
}

TEST_F(Lifecycle, DetachWhileDetachedDoesNothing) {
    KSUiSetStatus(L"kept");
    KSUiDetach();
    KSUiDetach();
    ExpectAllReleased();
    EXPECT_EQ(L"kept", g_State.StatusText);

    HWND w = NewWindow();
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    KSUiDetach();
    KSUiDetach();
    ExpectAllReleased();
}

TEST_F(Lifecycle, MissingImagingComponentDegradesWithoutFailing) {
    TestSeams::WicCreateResult = REGDB_E_CLASSNOTREG;
    HWND w = NewWindow();
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    EXPECT_EQ(nullptr, g_State.WicFactory);
    EXPECT_EQ(L"阶段=WICImagingFactory(已降级，跳过轮播图) HRESULT=0x80040154", LastError());
    KSUiSetHeroDir(L"C:\\windows");
    Pump(300);
    EXPECT_TRUE(g_State.RenderTarget) << "everything but the pictures works";
    for (ID2D1Bitmap *bitmap : g_State.HeroBitmaps)
        EXPECT_EQ(nullptr, bitmap);

    // Success does not clear the text.
    KSUiDetach();
    TestSeams::WicCreateResult = S_OK;
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    EXPECT_EQ(L"阶段=WICImagingFactory(已降级，跳过轮播图) HRESULT=0x80040154", LastError());
}

TEST_F(Lifecycle, DestroyingTheWindowWithoutDetachLeavesTheEngineDetached) {
    HWND w = NewWindow();
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    Pump(200);
    HANDLE thread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), g_State.DragThread, GetCurrentProcess(), &thread, SYNCHRONIZE,
                                FALSE, 0));
    DestroyWindow(w);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000)) << "the drag thread outlived the window";
    CloseHandle(thread);
    EXPECT_EQ(nullptr, g_State.HostWindow);
    EXPECT_EQ(nullptr, g_State.RenderTarget);
    EXPECT_EQ(nullptr, g_State.DirEditBrush);
    EXPECT_EQ(1, CountReceived(WM_NCDESTROY)) << "the host's procedure still sees its last message";

    // Commands only store now; a new window attaches cleanly.
    KSUiSetProgress(500);
    EXPECT_EQ(500, g_State.ProgressTarget);
    HWND next = NewWindow();
    ASSERT_EQ(1, KSUiAttach(next, RecordAction));
    EXPECT_EQ(next, g_State.HostWindow);
    KSUiDetach();
    ExpectAllReleased();
}

// A host that destroys its window without detaching and unloads the library
// at once: nothing of the engine may still run in the unloaded image.
TEST_F(Lifecycle, UnloadingRightAfterTheWindowIsDestroyedIsSafe) {
    std::wstring command = L"unload_host.exe \"" KSUI_DLL_PATH "\"";
    const std::wstring path = L"" KSUI_TEST_DIR "/unload_host.exe";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &info))
        << GetLastError();
    CloseHandle(info.hThread);
    // The host's own window needs its first paint, which is slow on a loaded machine.
    const DWORD waited = WaitForSingleObject(info.hProcess, 120000);
    EXPECT_EQ(WAIT_OBJECT_0, waited);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 1); // it holds the test runner's output open
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    EXPECT_EQ(0u, code) << "0x" << std::hex << code << " (3: the library stayed loaded)";
}

// Thread A attaches and destroys its window without detaching; the next attach
// on this thread releases what A left. COM belongs to A: this thread's own
// initialisation, made by the host, must survive it.
DWORD WINAPI AttachAndDestroyWithoutDetach(LPVOID) {
    HWND w = CreateHostWindow();
    const DWORD attached = KSUiAttach(w, RecordAction);
    DestroyWindow(w);
    return attached;
}

TEST_F(Lifecycle, LeftoversOfAnotherThreadLeaveThisThreadsComAlone) {
    HANDLE other = CreateThread(nullptr, 0, AttachAndDestroyWithoutDetach, nullptr, 0, nullptr);
    ASSERT_TRUE(other);
    WaitForSingleObject(other, 60000);
    DWORD attached = 0;
    GetExitCodeThread(other, &attached);
    CloseHandle(other);
    ASSERT_EQ(1u, attached);
    ASSERT_TRUE(g_State.ComInitialized) << "the leftover this test is about";

    const HRESULT own = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(SUCCEEDED(own));
    HWND w = NewWindow();
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    KSUiDetach();
    const HRESULT after = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(S_FALSE, after) << "this thread's own COM initialisation was undone";
    if (SUCCEEDED(after))
        CoUninitialize();
    CoUninitialize();
}

// Detach gives the window back visible and with its transitions allowed, also
// when it was never revealed, or was revealed by its first paint without a show.
TEST_F(Lifecycle, DetachLeavesTheWindowUncloakedWithTransitions) {
    const struct {
        const char *name;
        bool visible;
        DWORD pumpMs;
    } cases[] = {
        {"detached before its first show", false, 0},
        {"visible at attach and revealed by a paint", true, 400},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        HWND w = NewWindow(c.visible);
        ASSERT_EQ(1, KSUiAttach(w, RecordAction));
        EXPECT_EQ(1, CloakOf(w));
        Pump(c.pumpMs);
        KSUiDetach();
        EXPECT_EQ(0, CloakOf(w));
        EXPECT_EQ(0, DwmAttributeOf(w, DWMWA_TRANSITIONS_FORCEDISABLED));
    }
}

// --- Somebody else subclasses the window after the engine ---

WNDPROC g_BelowLaterSubclass = nullptr;

LRESULT CALLBACK LaterSubclass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(g_BelowLaterSubclass, window, msg, wParam, lParam);
}

// Detach leaves a later subclass in place; the engine's procedure, still in its
// chain, passes every message through. Attaching again takes that link up
// again, so each message is handled once.
TEST_F(Lifecycle, ALaterSubclassSurvivesDetachAndTheEnginePassesThrough) {
    HWND w = NewWindow();
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    g_BelowLaterSubclass =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LaterSubclass)));
    KSUiDetach();
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(LaterSubclass), GetWindowLongPtrW(w, GWLP_WNDPROC));

    // The frame timer's messages are the engine's own while attached.
    Received().clear();
    SendMessageW(w, WM_TIMER, kFrameTimerId, 0);
    EXPECT_EQ(1, CountReceived(WM_TIMER)) << "detached, the engine passes its timer message on";

    // Attached again: the later subclass stays on top and the engine answers once.
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(LaterSubclass), GetWindowLongPtrW(w, GWLP_WNDPROC));
    Received().clear();
    SendMessageW(w, WM_TIMER, kFrameTimerId, 0);
    SendMessageW(w, WM_APP + 5, 0, 0);
    EXPECT_EQ(0, CountReceived(WM_TIMER));
    EXPECT_EQ(1, CountReceived(WM_APP + 5));

    // Attached to another window, the engine still passes this one's messages on.
    KSUiDetach();
    HWND other = NewWindow();
    ASSERT_EQ(1, KSUiAttach(other, RecordAction));
    Received().clear();
    SendMessageW(w, WM_TIMER, kFrameTimerId, 0);
    EXPECT_EQ(1, CountReceived(WM_TIMER));
    DestroyWindow(w);
    EXPECT_EQ(1, CountReceived(WM_NCDESTROY));
    EXPECT_EQ(other, g_State.HostWindow);
}

// --- The stage error text ---

TEST_F(Lifecycle, LastErrorCopiesWithinTheCapacity) {
    KSUiAttach(nullptr, nullptr);
    const std::wstring full = L"阶段=KSUiAttach参数 HRESULT=0x80070057";
    const int length = static_cast<int>(full.size());
    struct Case {
        int Capacity;
        int Expected;
    } cases[] = {{0, 0}, {-1, 0}, {INT_MIN, 0}, {1, 0}, {5, 4}, {length, length - 1}, {length + 1, length},
                 {200, length}, {INT_MAX, length}};
    for (const Case &c : cases) {
        wchar_t buffer[200];
        std::fill(std::begin(buffer), std::end(buffer), L'#');
        const int got = KSUiLastError(buffer, c.Capacity);
        EXPECT_EQ(c.Expected, got) << "capacity " << c.Capacity;
        if (c.Capacity <= 0) {
            EXPECT_EQ(L'#', buffer[0]) << "nothing written for capacity " << c.Capacity;
            continue;
        }
        EXPECT_EQ(full.substr(0, got), std::wstring(buffer, got));
        EXPECT_EQ(L'\0', buffer[got]);
        EXPECT_EQ(L'#', buffer[got + 1]) << "nothing past the terminator";
    }
    EXPECT_EQ(0, KSUiLastError(nullptr, 100));
}

// --- The completion wait ---

TEST_F(Lifecycle, WaitDoneWhileDetachedReturnsAtOnce) {
    EXPECT_EQ(0, KSUiWaitDone());
    EXPECT_EQ(WaitIdle, g_State.Decision);
}

TEST_F(Lifecycle, QuitDuringTheWaitEndsItAndReachesTheHostLoop) {
    HWND w = NewWindow();
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    PostQuitMessage(7);
    EXPECT_EQ(0, KSUiWaitDone());
    EXPECT_EQ(WaitIdle, g_State.Decision);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
}

TEST_F(Lifecycle, DestroyingTheWindowDuringTheWaitEndsIt) {
    HWND w = NewWindow();
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    // Alt+F4 reaches the host, whose default procedure destroys the window.
    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, KSUiWaitDone());
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(WaitIdle, g_State.Decision);
}

// What ends the wait may come as a message sent from another thread: the host
// destroying its window on a sent WM_CLOSE, or a click sent to the window. The
// wait must end on it, not on some later posted message. The sender posts one
// after 5 s only to rescue a wait that missed it.
enum class Send { Close, LaunchClick };

struct Sender {
    HWND Window;
    Send What;
    LPARAM Launch;
    DWORD WaiterThread;
    HANDLE Returned;
    volatile bool Rescued;
};

DWORD WINAPI SendFromAnotherThread(LPVOID param) {
    Sender &s = *static_cast<Sender *>(param);
    if (s.What == Send::Close) {
        SendMessageW(s.Window, WM_CLOSE, 0, 0);
    } else {
        SendMessageW(s.Window, WM_LBUTTONDOWN, MK_LBUTTON, s.Launch);
        SendMessageW(s.Window, WM_LBUTTONUP, 0, s.Launch);
    }
    if (WaitForSingleObject(s.Returned, 5000) == WAIT_TIMEOUT) {
        s.Rescued = true;
        PostThreadMessageW(s.WaiterThread, WM_NULL, 0, 0);
    }
    return 0;
}

TEST_F(Lifecycle, MessagesSentFromAnotherThreadEndTheWait) {
    const struct {
        const char *name;
        Send what;
        int expected;
    } cases[] = {{"WM_CLOSE, the host destroys its window", Send::Close, 0},
                 {"a click on the launch button", Send::LaunchClick, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        HWND w = NewWindow();
        ASSERT_EQ(1, KSUiAttach(w, RecordAction));
        KSUiSetState(KSUI_PAGE_FINISHED);
        Pump(300);
        const D2D1_POINT_2F launch = ElementCentre(ElemLaunch);
        const POINT px = ClientFromDesign(launch.x, launch.y);
        Sender sender = {w, c.what, PackPoint(px.x, px.y), GetCurrentThreadId(),
                         CreateEventW(nullptr, TRUE, FALSE, nullptr), false};
        HANDLE thread = CreateThread(nullptr, 0, SendFromAnotherThread, &sender, 0, nullptr);
        ASSERT_TRUE(thread);
        const int result = KSUiWaitDone();
        SetEvent(sender.Returned);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(sender.Returned);
        EXPECT_FALSE(sender.Rescued) << "the wait slept through what ended it";
        EXPECT_EQ(c.expected, result);
        EXPECT_EQ(WaitIdle, g_State.Decision);
        KSUiDetach();
    }
}

// A callback inside the wait may wait itself; the user's decision is then the
// answer of both waits.
HWND g_NestingWindow = nullptr;
int g_NestedDecisionElement = ElemNone;
int g_InnerResult = -1;

void __stdcall WaitAgainOnLicence(int action) {
    if (action != ActionShowLicense)
        return;
    KSUiSetState(KSUI_PAGE_FINISHED);
    const D2D1_POINT_2F p = ElementCentre(g_NestedDecisionElement);
    const POINT px = ClientFromDesign(p.x, p.y);
    PostMessageW(g_NestingWindow, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(px.x, px.y));
    PostMessageW(g_NestingWindow, WM_LBUTTONUP, 0, PackPoint(px.x, px.y));
    g_InnerResult = KSUiWaitDone();
}

TEST_F(Lifecycle, NestedWaitsBothReturnTheDecision) {
    const struct {
        int element;
        int expected;
    } cases[] = {{ElemLaunch, 1}, {ElemClose, 0}};
    g_NestingWindow = NewWindow();
    ASSERT_EQ(1, KSUiAttach(g_NestingWindow, WaitAgainOnLicence));
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << "element " << c.element);
        KSUiSetState(KSUI_PAGE_WELCOME);
        Pump(300);
        g_NestedDecisionElement = c.element;
        g_InnerResult = -1;
        const D2D1_POINT_2F link = ElementCentre(ElemLicenseLink);
        const POINT px = ClientFromDesign(link.x, link.y);
        PostMessageW(g_NestingWindow, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(px.x, px.y));
        PostMessageW(g_NestingWindow, WM_LBUTTONUP, 0, PackPoint(px.x, px.y));
        EXPECT_EQ(c.expected, KSUiWaitDone());
        EXPECT_EQ(c.expected, g_InnerResult);
        EXPECT_EQ(WaitIdle, g_State.Decision);
    }
}

TEST_F(Lifecycle, CloseAndLaunchDecideTheWait) {
    struct Case {
        int Page;
        int Element;
        int Expected;
    } cases[] = {{KSUI_PAGE_FINISHED, ElemClose, 0}, {KSUI_PAGE_FINISHED, ElemLaunch, 1}};
    HWND w = NewWindow();
    ASSERT_EQ(1, KSUiAttach(w, RecordAction));
    Pump(300);
    for (const Case &c : cases) {
        KSUiSetState(c.Page);
        const D2D1_POINT_2F p = ElementCentre(c.Element);
        const POINT px = ClientFromDesign(p.x, p.y);
        PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, PackPoint(px.x, px.y));
        PostMessageW(w, WM_LBUTTONUP, 0, PackPoint(px.x, px.y));
        Actions().clear();
        EXPECT_EQ(c.Expected, KSUiWaitDone()) << "element " << c.Element;
        EXPECT_TRUE(Actions().empty()) << "a decided wait calls no callback";
        EXPECT_EQ(WaitIdle, g_State.Decision);
    }
}

} // namespace

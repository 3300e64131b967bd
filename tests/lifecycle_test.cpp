// Attaching, detaching, the stage error text and the completion wait, through
// the exports on real windows.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"
#include "engine/seams.h"
#include "window/window_proc.h"

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

TEST_F(Lifecycle, NullWindowIsRefusedWithItsStageText) {
    EXPECT_EQ(0, KSUiAttach(nullptr, RecordAction));
    EXPECT_EQ(L"阶段=KSUiAttach参数 HRESULT=0x80070057", LastError());
    EXPECT_EQ(nullptr, g_State.HostWindow);
    EXPECT_EQ(nullptr, g_State.D2DFactory);
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
    DestroyWindow(w);
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

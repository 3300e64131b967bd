#include "tests/host/test_host.h"

#include "KestoUIEngine.h"
#include "geometry/layout.h"

#include <shellapi.h>
#include <wincodec.h>

#include <dwmapi.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <utility>

namespace TestHost {
namespace {

std::vector<Message> g_Received;
std::vector<int> g_Actions;

LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    g_Received.push_back({msg, wParam, lParam});
    return DefWindowProcW(window, msg, wParam, lParam);
}

const wchar_t kHostClass[] = L"KestoTestHost";

void RegisterHostClass() {
    static bool registered = false;
    if (registered)
        return;
    // Wine processes are per-monitor aware already; this makes it explicit.
    SetProcessDPIAware();
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kHostClass;
    RegisterClassW(&wc);
    registered = true;
}

} // namespace

HWND CreateHostWindow(bool visible) {
    RegisterHostClass();
    HWND window = CreateWindowExW(0, kHostClass, L"Setup", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 100,
                                  100, 800, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    g_Received.clear();
    return window;
}

std::vector<Message> &Received() { return g_Received; }

int CountReceived(UINT msg) {
    int n = 0;
    for (const Message &m : g_Received)
        n += m.Msg == msg;
    return n;
}

void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        // The clock is read after every message: when a frame takes longer to
        // paint than the frame timer's period, the queue never runs empty.
        while (GetTickCount64() < end && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            // When a paint takes longer than the frame timer's period, a timer or
            // paint message is always waiting: the deadline ends the loop anyway.
            if (GetTickCount64() >= end)
                return;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

std::vector<int> &Actions() { return g_Actions; }

void __stdcall RecordAction(int action) { g_Actions.push_back(action); }

POINT ClientFromDesign(float x, float y) {
    const float scale = g_State.WindowScale;
    return {static_cast<LONG>(x * scale + 0.5f), static_cast<LONG>(y * scale + 0.5f)};
}

LPARAM PackPoint(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

LRESULT SendMouse(HWND window, UINT msg, float x, float y) {
    const POINT p = ClientFromDesign(x, y);
    const WPARAM keys = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_MOUSEMOVE) ? MK_LBUTTON : 0;
    return SendMessageW(window, msg, keys, PackPoint(p.x, p.y));
}

void Click(HWND window, float x, float y) {
    SendMouse(window, WM_MOUSEMOVE, x, y);
    SendMouse(window, WM_LBUTTONDOWN, x, y);
    SendMouse(window, WM_LBUTTONUP, x, y);
}

D2D1_POINT_2F ElementCentre(int id) {
    const D2D1_RECT_F r = ElementRect(id);
    return D2D1::Point2F((r.left + r.right) * 0.5f, (r.top + r.bottom) * 0.5f);
}

RgbColor ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

RgbColor ClientPixel(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return ScreenPixel(p.x, p.y);
}

RgbColor DesignPixel(HWND window, float x, float y) {
    const float scale = g_State.WindowScale;
    return ClientPixel(window, static_cast<int>(x * scale), static_cast<int>(y * scale));
}

bool Near(RgbColor a, RgbColor b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255);
        if (d > tolerance || -d > tolerance)
            return false;
    }
    return true;
}

std::string Hex(RgbColor c) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(c & 0xFFFFFF));
    return text;
}

std::vector<UINT32> CaptureScreen(POINT origin, int w, int h) {
    std::vector<UINT32> pixels;
    if (w <= 0 || h <= 0)
        return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    if (bits) {
        const UINT32 *p = static_cast<const UINT32 *>(bits);
        pixels.assign(p, p + static_cast<size_t>(w) * h);
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void DeleteTree(const std::wstring &path) {
    std::wstring from = path;
    from.push_back(L'\0'); // a list of paths, ended by an empty one
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

bool SaveWindowPng(HWND window, const std::wstring &path) {
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const int w = client.right, h = client.bottom;
    std::vector<UINT32> pixels = CaptureScreen(origin, w, h);
    if (pixels.empty())
        return false;

    bool ok = false;
    IWICImagingFactory *factory = nullptr;
    IWICStream *stream = nullptr;
    IWICBitmapEncoder *encoder = nullptr;
    IWICBitmapFrameEncode *frame = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   __uuidof(IWICImagingFactory), reinterpret_cast<void **>(&factory))) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(w, h))) {
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
        ok = SUCCEEDED(frame->SetPixelFormat(&format)) &&
             SUCCEEDED(frame->WritePixels(h, w * 4, w * h * 4, reinterpret_cast<BYTE *>(pixels.data()))) &&
             SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    }
    ReleaseAndNull(frame);
    ReleaseAndNull(encoder);
    ReleaseAndNull(stream);
    ReleaseAndNull(factory);
    return ok;
}

// --- DWM attributes, as the engine asked for them ---

typedef HRESULT(WINAPI *DwmSetWindowAttributeFn)(HWND, DWORD, LPCVOID, DWORD);
#ifdef _WIN64
#define KSUI_DWM_IMPORT_SLOT "__imp_DwmSetWindowAttribute"
#else
#define KSUI_DWM_IMPORT_SLOT "__imp__DwmSetWindowAttribute@16"
#endif
extern "C" DwmSetWindowAttributeFn g_DwmSetWindowAttributeImport asm(KSUI_DWM_IMPORT_SLOT);

namespace {

DwmSetWindowAttributeFn g_RealDwmSetWindowAttribute = nullptr;
std::mutex g_DwmLock; // the drag thread sets attributes too
std::map<std::pair<HWND, DWORD>, BOOL> g_DwmAttributes;

HRESULT WINAPI RecordingDwmSetWindowAttribute(HWND window, DWORD attribute, LPCVOID value, DWORD size) {
    if ((attribute == DWMWA_CLOAK || attribute == DWMWA_TRANSITIONS_FORCEDISABLED) && value && size >= sizeof(BOOL)) {
        std::lock_guard<std::mutex> lock(g_DwmLock);
        g_DwmAttributes[{window, attribute}] = *static_cast<const BOOL *>(value);
    }
    return g_RealDwmSetWindowAttribute(window, attribute, value, size);
}

} // namespace

void RecordDwmAttributes() {
    if (g_RealDwmSetWindowAttribute)
        return;
    g_RealDwmSetWindowAttribute = g_DwmSetWindowAttributeImport;
    DWORD old = 0;
    VirtualProtect(&g_DwmSetWindowAttributeImport, sizeof(void *), PAGE_READWRITE, &old);
    g_DwmSetWindowAttributeImport = RecordingDwmSetWindowAttribute;
    VirtualProtect(&g_DwmSetWindowAttributeImport, sizeof(void *), old, &old);
}

int DwmAttributeOf(HWND window, DWORD attribute) {
    std::lock_guard<std::mutex> lock(g_DwmLock);
    const auto it = g_DwmAttributes.find({window, attribute});
    return it == g_DwmAttributes.end() ? -1 : (it->second ? 1 : 0);
}

void ResetEngine() {
    KSUiDetach();
    HINSTANCE module = g_State.Module;
    g_State = EngineState{};
    g_State.Module = module;
    g_State.LastRepaintTick = 0;
    g_Actions.clear();
}

void AttachedTest::SetUp() {
    ResetEngine();
    if (!g_State.Module)
        g_State.Module = GetModuleHandleW(nullptr);
    window_ = CreateHostWindow();
    ASSERT_TRUE(window_);
    ASSERT_EQ(1, KSUiAttach(window_, RecordAction));
    Pump(300);
}

void AttachedTest::TearDown() {
    KSUiDetach();
    if (window_ && IsWindow(window_))
        DestroyWindow(window_);
    window_ = nullptr;
    Pump(20);
    ResetEngine();
}

} // namespace TestHost

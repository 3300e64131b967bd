// Helpers for the painting tests and the paint benchmark: picture files written
// with WIC, a fake clock, a copy of the window's pixels, and counters on the
// methods that create drawing objects.
#pragma once

#include "KestoUIEngine.h"
#include "state/seams.h"
#include "state/state.h"
#include "render/animation.h"
#include "render/compositor.h"
#include "render/resources.h"
#include "tests/host/test_host.h"
#include "geometry/layout.h"
#include "window/scaling.h"

#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace PaintSupport {

// --- Picture files ---

// Colour of one picture pixel: 0xAARRGGBB, straight (not premultiplied) alpha.
typedef std::function<UINT32(UINT x, UINT y)> PixelFunction;

// Writes a w x h picture in the container format (PNG, JPEG, BMP), converting
// to whatever pixel format its encoder accepts.
inline bool WritePicture(const std::wstring &path, const GUID &container, UINT w, UINT h, const PixelFunction &pixel) {
    std::vector<UINT32> pixels(static_cast<size_t>(w) * h);
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x)
            pixels[static_cast<size_t>(y) * w + x] = pixel(x, y);

    // Fixtures are written before the engine has initialised COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory *factory = nullptr;
    IWICBitmap *bitmap = nullptr;
    IWICFormatConverter *converter = nullptr;
    IWICStream *stream = nullptr;
    IWICBitmapEncoder *encoder = nullptr;
    IWICBitmapFrameEncode *frame = nullptr;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                         __uuidof(IWICImagingFactory), reinterpret_cast<void **>(&factory))) &&
              SUCCEEDED(factory->CreateBitmapFromMemory(w, h, GUID_WICPixelFormat32bppBGRA, w * 4, w * h * 4,
                                                        reinterpret_cast<BYTE *>(pixels.data()), &bitmap)) &&
              SUCCEEDED(factory->CreateStream(&stream)) &&
              SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
              SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder)) &&
              SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
              SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
              SUCCEEDED(frame->SetSize(w, h));
    if (ok) {
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
        ok = SUCCEEDED(frame->SetPixelFormat(&format));
        IWICBitmapSource *source = bitmap;
        if (ok && format != GUID_WICPixelFormat32bppBGRA) {
            ok = SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
                 SUCCEEDED(converter->Initialize(bitmap, format, WICBitmapDitherTypeNone, nullptr, 0.0,
                                                 WICBitmapPaletteTypeCustom));
            source = converter;
        }
        ok = ok && SUCCEEDED(frame->WriteSource(source, nullptr)) && SUCCEEDED(frame->Commit()) &&
             SUCCEEDED(encoder->Commit());
    }
    ReleaseAndNull(frame);
    ReleaseAndNull(encoder);
    ReleaseAndNull(stream);
    ReleaseAndNull(converter);
    ReleaseAndNull(bitmap);
    ReleaseAndNull(factory);
    if (SUCCEEDED(com))
        CoUninitialize();
    return ok;
}

inline PixelFunction Solid(RgbColor colour) {
    return [colour](UINT, UINT) { return 0xFF000000u | colour; };
}

// An empty folder under the working directory (the build tree's tests folder).
inline std::wstring FreshFolder(const std::wstring &name) {
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    const std::wstring root = std::wstring(cwd) + L"\\paint_fixtures";
    CreateDirectoryW(root.c_str(), nullptr);
    const std::wstring folder = root + L"\\" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int n = 1; n <= 5; ++n)
        DeleteFileW((folder + L"\\hero" + std::to_wstring(n) + L".png").c_str());
    return folder;
}

inline std::wstring HeroPath(const std::wstring &folder, int n) {
    return folder + L"\\hero" + std::to_wstring(n) + L".png";
}

// --- Fake clock ---

inline ULONGLONG g_FakeNow = 0;
inline ULONGLONG FakeTick() { return g_FakeNow; }

// Stops the engine's clock at a fixed tick; time moves only through Advance.
inline void FreezeClock() {
    g_FakeNow = 10000000;
    TestSeams::TickSource = FakeTick;
}
inline void ReleaseClock() { TestSeams::TickSource = nullptr; }

// Moves the clock forward in frame-sized steps, stepping the animation each time.
inline void Advance(ULONGLONG ms, ULONGLONG step = 33) {
    for (ULONGLONG done = 0; done < ms;) {
        const ULONGLONG d = ms - done < step ? ms - done : step;
        g_FakeNow += d;
        done += d;
        StepAnimation();
    }
}

// --- The window's pixels ---

// A copy of the window's client area as it is on the screen.
class Snapshot {
  public:
    explicit Snapshot(HWND window) {
        RECT client = {};
        GetClientRect(window, &client);
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        width_ = client.right;
        height_ = client.bottom;
        pixels_ = TestHost::CaptureScreen(origin, width_, height_);
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool SameAs(const Snapshot &other) const {
        return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
    }

    RgbColor At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty())
            return 0xFFFFFFFFu;
        return pixels_[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF;
    }
    // The pixel under a design-canvas point, at the engine's current scale.
    RgbColor Design(float x, float y) const {
        const float scale = g_State.WindowScale;
        return At(static_cast<int>(x * scale), static_cast<int>(y * scale));
    }
    // Pixels of a design rectangle that are not white.
    int Ink(const D2D1_RECT_F &r) const {
        const float scale = g_State.WindowScale;
        int n = 0;
        for (int y = static_cast<int>(r.top * scale); y < static_cast<int>(r.bottom * scale); ++y)
            for (int x = static_cast<int>(r.left * scale); x < static_cast<int>(r.right * scale); ++x)
                n += At(x, y) != 0xFFFFFF;
        return n;
    }

    // Rows of a design rectangle that hold any pixel that is not white.
    int InkRows(const D2D1_RECT_F &r) const {
        const float scale = g_State.WindowScale;
        int rows = 0;
        for (int y = static_cast<int>(r.top * scale); y < static_cast<int>(r.bottom * scale); ++y) {
            bool ink = false;
            for (int x = static_cast<int>(r.left * scale); x < static_cast<int>(r.right * scale); ++x)
                ink = ink || At(x, y) != 0xFFFFFF;
            rows += ink;
        }
        return rows;
    }
    // The lightest and the darkest pixel of a design rectangle (by channel sum).
    RgbColor Lightest(const D2D1_RECT_F &r) const { return Extreme(r, true); }
    RgbColor Darkest(const D2D1_RECT_F &r) const { return Extreme(r, false); }

  private:
    static int Sum(RgbColor c) { return static_cast<int>((c & 255) + ((c >> 8) & 255) + ((c >> 16) & 255)); }
    RgbColor Extreme(const D2D1_RECT_F &r, bool lightest) const {
        const float scale = g_State.WindowScale;
        RgbColor best = lightest ? 0x000000 : 0xFFFFFF;
        for (int y = static_cast<int>(r.top * scale); y <= static_cast<int>(r.bottom * scale); ++y)
            for (int x = static_cast<int>(r.left * scale); x <= static_cast<int>(r.right * scale); ++x) {
                const RgbColor c = At(x, y);
                if (c <= 0xFFFFFF && (lightest ? Sum(c) > Sum(best) : Sum(c) < Sum(best)))
                    best = c;
            }
        return best;
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<UINT32> pixels_;
};

// Repaints now and gives the screen time to show it.
inline void Repaint(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    TestHost::Pump(120);
}

// Puts the real pointer in the middle of the screen, over the hero area of a
// centred window, where it hovers nothing.
inline void ParkCursor() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2); }

// Throws the device resources away, as a lost device does, and repaints: the
// frame creates them all again.
inline void Recreate() {
    ReleaseDeviceResources();
    Repaint(g_State.HostWindow);
}

// The pictures a first frame does not show are read after it, on the loader's
// thread; pumps until every one has been handed over (at most five seconds).
inline bool PumpUntilPicturesRead() {
    for (int i = 0; i < 100 && g_State.Loading; ++i)
        TestHost::Pump(50);
    return !g_State.Loading;
}

// Saves the window next to the tests (build tree) for a person to look at.
inline void SaveForPeople(HWND window, const wchar_t *name) {
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    TestHost::SaveWindowPng(window, std::wstring(cwd) + L"\\" + name);
}

// Distance between two colours: the largest channel difference.
inline int ColourDistance(RgbColor a, RgbColor b) {
    int worst = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int d = static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255);
        d = d < 0 ? -d : d;
        worst = d > worst ? d : worst;
    }
    return worst;
}

// --- Counting the methods that create drawing objects ---
//
// The counters replace slots of the classes' method tables (process-wide, for
// every object of the class) and count only calls made from the engine's code,
// which is linked into this executable; Direct2D's own internal calls (its
// DrawText lays text out through the shared DirectWrite factory) are not ours.

struct CreationCounts {
    int SolidBrushes = 0;
    int GradientStops = 0;
    int Gradients = 0;
    int Bitmaps = 0;
    int TextFormats = 0;
    int TextLayouts = 0;
    int TrimmingSigns = 0;
    int Decoders = 0;
    int Converters = 0;
    int Total() const {
        return SolidBrushes + GradientStops + Gradients + Bitmaps + TextFormats + TextLayouts + TrimmingSigns +
               Decoders + Converters;
    }
};

inline CreationCounts g_Counts;

inline bool CalledByEngine(void *returnAddress) {
    HMODULE module = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(returnAddress), &module) &&
           module == GetModuleHandleW(nullptr);
}

// Method-table slots, in the order the interfaces declare their methods.
constexpr int kSlotCreateBitmap = 4;
constexpr int kSlotCreateBitmapFromWicBitmap = 5;
constexpr int kSlotCreateSolidColorBrush = 8;
constexpr int kSlotCreateGradientStopCollection = 9;
constexpr int kSlotCreateLinearGradientBrush = 10;
constexpr int kSlotCreateTextFormat = 15;
constexpr int kSlotCreateTextLayout = 18;
constexpr int kSlotCreateEllipsisTrimmingSign = 20;
constexpr int kSlotCreateDecoderFromFilename = 3;
constexpr int kSlotCreateFormatConverter = 10;

struct PatchedSlot {
    void **Entry;
    void *Original;
};
inline std::vector<PatchedSlot> g_Patched;

inline void *Patch(void *object, int slot, void *replacement) {
    void **entry = *reinterpret_cast<void ***>(object) + slot;
    DWORD protection = 0;
    VirtualProtect(entry, sizeof(void *), PAGE_EXECUTE_READWRITE, &protection);
    void *original = *entry;
    *entry = replacement;
    VirtualProtect(entry, sizeof(void *), protection, &protection);
    g_Patched.push_back({entry, original});
    return original;
}

inline void *g_OrigBitmap, *g_OrigBitmapFromWic, *g_OrigSolidBrush, *g_OrigStops, *g_OrigGradient, *g_OrigTextFormat,
    *g_OrigTextLayout, *g_OrigTrimming, *g_OrigDecoder, *g_OrigConverter;

#define KSUI_COUNTING_HOOK(name, counter, original, ...)                                                           \
    template <class... A> HRESULT __stdcall name(void *self, A... args) {                                           \
        if (CalledByEngine(__builtin_return_address(0)))                                                            \
            ++g_Counts.counter;                                                                                     \
        return reinterpret_cast<HRESULT(__stdcall *)(void *, A...)>(original)(self, args...);                      \
    }

KSUI_COUNTING_HOOK(CountBitmapFromWic, Bitmaps, g_OrigBitmapFromWic)
KSUI_COUNTING_HOOK(CountSolidBrush, SolidBrushes, g_OrigSolidBrush)
KSUI_COUNTING_HOOK(CountStops, GradientStops, g_OrigStops)
KSUI_COUNTING_HOOK(CountGradient, Gradients, g_OrigGradient)
KSUI_COUNTING_HOOK(CountTextFormat, TextFormats, g_OrigTextFormat)
KSUI_COUNTING_HOOK(CountTextLayout, TextLayouts, g_OrigTextLayout)
KSUI_COUNTING_HOOK(CountTrimming, TrimmingSigns, g_OrigTrimming)
KSUI_COUNTING_HOOK(CountDecoder, Decoders, g_OrigDecoder)
KSUI_COUNTING_HOOK(CountConverter, Converters, g_OrigConverter)
#undef KSUI_COUNTING_HOOK

// A bitmap made from pixels is a picture; the compositor's own bitmaps start empty.
inline HRESULT __stdcall CountBitmap(void *self, D2D1_SIZE_U size, const void *pixels, UINT32 pitch,
                                     const void *properties, void *bitmap) {
    if (pixels && CalledByEngine(__builtin_return_address(0)))
        ++g_Counts.Bitmaps;
    return reinterpret_cast<HRESULT(__stdcall *)(void *, D2D1_SIZE_U, const void *, UINT32, const void *, void *)>(
        g_OrigBitmap)(self, size, pixels, pitch, properties, bitmap);
}

// Starts counting on the classes of the engine's current render target and
// factories. Call StopCounting before the test ends.
inline void StartCounting() {
    EngineState &s = g_State;
    g_Counts = {};
    g_OrigBitmap = Patch(s.RenderTarget, kSlotCreateBitmap,
                         reinterpret_cast<void *>(&CountBitmap));
    g_OrigBitmapFromWic = Patch(s.RenderTarget, kSlotCreateBitmapFromWicBitmap,
                                reinterpret_cast<void *>(&CountBitmapFromWic<void *, const void *, void *>));
    g_OrigSolidBrush = Patch(s.RenderTarget, kSlotCreateSolidColorBrush,
                             reinterpret_cast<void *>(&CountSolidBrush<const void *, const void *, void *>));
    g_OrigStops = Patch(s.RenderTarget, kSlotCreateGradientStopCollection,
                        reinterpret_cast<void *>(&CountStops<const void *, UINT32, int, int, void *>));
    g_OrigGradient = Patch(s.RenderTarget, kSlotCreateLinearGradientBrush,
                           reinterpret_cast<void *>(&CountGradient<const void *, const void *, void *, void *>));
    g_OrigTextFormat = Patch(
        s.DWriteFactory, kSlotCreateTextFormat,
        reinterpret_cast<void *>(&CountTextFormat<const void *, void *, int, int, int, float, const void *, void *>));
    g_OrigTextLayout = Patch(s.DWriteFactory, kSlotCreateTextLayout,
                             reinterpret_cast<void *>(&CountTextLayout<const void *, UINT32, void *, float, float, void *>));
    g_OrigTrimming = Patch(s.DWriteFactory, kSlotCreateEllipsisTrimmingSign,
                           reinterpret_cast<void *>(&CountTrimming<void *, void *>));
    if (s.WicFactory) {
        g_OrigDecoder = Patch(s.WicFactory, kSlotCreateDecoderFromFilename,
                              reinterpret_cast<void *>(&CountDecoder<const void *, const void *, DWORD, int, void *>));
        g_OrigConverter =
            Patch(s.WicFactory, kSlotCreateFormatConverter, reinterpret_cast<void *>(&CountConverter<void *>));
    }
}

inline void StopCounting() {
    for (auto it = g_Patched.rbegin(); it != g_Patched.rend(); ++it) {
        DWORD protection = 0;
        VirtualProtect(it->Entry, sizeof(void *), PAGE_EXECUTE_READWRITE, &protection);
        *it->Entry = it->Original;
        VirtualProtect(it->Entry, sizeof(void *), protection, &protection);
    }
    g_Patched.clear();
}

// --- Pixel tables ---

struct PixelCase {
    const char *What;
    float X, Y; // design units
    RgbColor Colour;
    int Tolerance; // largest channel difference
};

inline void ExpectPixels(const Snapshot &shot, const std::vector<PixelCase> &cases) {
    for (const PixelCase &c : cases) {
        const RgbColor seen = shot.Design(c.X, c.Y);
        EXPECT_LE(ColourDistance(c.Colour, seen), c.Tolerance)
            << c.What << " at (" << c.X << ", " << c.Y << "): expected " << TestHost::Hex(c.Colour) << ", seen "
            << TestHost::Hex(seen) << "; window " << shot.Width() << " x " << shot.Height();
    }
}

// The hero gradient without pictures at a design x: the brand colours mixed
// left to right across the canvas.
inline RgbColor HeroGradientAt(float x) {
    return MixColor(g_State.BrandColor1, g_State.BrandColor2, x / kCanvasWidth);
}

// Points that tell a whole, correctly placed frame of the welcome page from one
// cut off, shifted or left black: the hero at its corners, the install button
// against the hero above it, and the canvas's last rows, white under an open
// panel and hero below a closed one.
inline std::vector<PixelCase> WelcomePageCases() {
    const D2D1_RECT_F install = ElementRect(ElemInstall);
    const float cy = (install.top + install.bottom) * 0.5f;
    const float bottom = CanvasHeight() - 1.5f;
    std::vector<PixelCase> cases = {
        {"hero, top left", 2.0f, 60.0f, HeroGradientAt(2.0f), 10},
        {"hero, top right", 960.0f, 6.0f, HeroGradientAt(960.0f), 10},
        {"hero above the install button", install.left + 6.0f, install.top - 12.0f, HeroGradientAt(install.left + 6.0f),
         10},
        {"install button, left end", install.left + 6.0f, cy, g_State.BrandColor1, 14},
        {"install button, right end", install.right - 6.0f, cy, g_State.BrandColor2, 14},
    };
    if (g_State.CustomPanelOpen) {
        const float b = g_State.ContentBoost;
        const float d = DirRowTop();
        cases.push_back({"panel band, last row, left", 2.0f, bottom, 0xFFFFFF, 0});
        cases.push_back({"panel band, last row, right", 1020.0f, bottom, 0xFFFFFF, 0});
        cases.push_back({"panel band under the hero", 30.0f, kCanvasBaseHeight + 3.0f, 0xFFFFFF, 0});
        cases.push_back({"folder field, left of the edit box", 60.0f + 90.0f * b + 5.0f, d + 15.0f * b, kColorDirBox, 0});
    } else {
        cases.push_back({"hero, last row, left", 2.0f, bottom, HeroGradientAt(2.0f), 10});
        cases.push_back({"hero, last row, right", 1020.0f, bottom, HeroGradientAt(1020.0f), 10});
    }
    return cases;
}

// The directory edit box, a child window: its own background with the folder
// path drawn in the text colour, not covered by the frame.
inline void ExpectFolderBoxShowsItsText(HWND window, const Snapshot &shot) {
    HWND edit = GetDlgItem(window, kDirEditId);
    ASSERT_TRUE(edit && IsWindowVisible(edit));
    RECT r = {};
    GetWindowRect(edit, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&r), 2);
    ASSERT_GT(r.right - r.left, 20);
    const float scale = g_State.WindowScale;
    const D2D1_RECT_F box = D2D1::RectF(r.left / scale, r.top / scale, (r.right - 1) / scale, (r.bottom - 1) / scale);
    EXPECT_EQ(TestHost::Hex(kColorDirBox), TestHost::Hex(shot.Lightest(box)));
    const RgbColor text = shot.Darkest(box);
    EXPECT_LE(ColourDistance(kColorText, text), 48) << TestHost::Hex(text);
    // Text, not a bar: ink over a small part of the box only.
    int ink = 0, all = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x, ++all)
            ink += ColourDistance(kColorDirBox, shot.At(x, y)) > 60;
    EXPECT_GT(ink, 20);
    EXPECT_LT(ink, all / 3);
}

// --- Wine's surface modes ---

// Whether winex11 can load libXcomposite in this process. Without it, Wine draws
// a GL window that has child windows through an offscreen pixmap; with it,
// through a redirected child window. The test run starts the paint tests both
// ways and says which one it meant in KSUI_EXPECT_XCOMPOSITE (1 or 0). (Files are
// opened by the wineserver, so /proc/self is not this process: the check reads
// where the dynamic loader looks instead.)
inline LONGLONG UnixFileSize(std::wstring path) {
    for (wchar_t &c : path)
        c = c == L'/' ? L'\\' : c;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW((L"Z:" + path).c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

inline bool XCompositeLoadable() {
    const std::wstring name = L"/libXcomposite.so.1";
    // The loader tries LD_LIBRARY_PATH first and stops at an unloadable file there.
    wchar_t value[4096] = {};
    const DWORD length = GetEnvironmentVariableW(L"LD_LIBRARY_PATH", value, 4096);
    if (length > 0 && length < 4096) {
        std::wstring list(value);
        for (size_t start = 0; start <= list.size();) {
            const size_t end = std::min(list.find(L':', start), list.size());
            const LONGLONG size = UnixFileSize(list.substr(start, end - start) + name);
            if (size >= 0)
                return size > 0;
            start = end + 1;
        }
    }
    return UnixFileSize((sizeof(void *) == 8 ? L"/usr/lib/x86_64-linux-gnu" : L"/usr/lib/i386-linux-gnu") + name) > 0;
}

// 1 or 0 as the test run asked, -1 when the program was started by hand.
inline int ExpectedXComposite() {
    wchar_t value[8] = {};
    if (!GetEnvironmentVariableW(L"KSUI_EXPECT_XCOMPOSITE", value, 8))
        return -1;
    return value[0] == L'1' ? 1 : 0;
}

// --- A freshly attached engine ---

class PaintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ParkCursor();
        TestHost::ResetEngine();
        if (!g_State.Module)
            g_State.Module = GetModuleHandleW(nullptr);
    }
    void TearDown() override {
        ReleaseClock();
        StopCounting();
        KSUiDetach();
        if (window_ && IsWindow(window_))
            DestroyWindow(window_);
        window_ = nullptr;
        TestHost::Pump(20);
        TestHost::ResetEngine();
    }
    // Attaches a new host window; `before` runs first, as a host's calls before attach would.
    void Attach(const std::function<void()> &before = nullptr) {
        if (before)
            before();
        window_ = TestHost::CreateHostWindow();
        ASSERT_TRUE(window_);
        ASSERT_EQ(1, KSUiAttach(window_, TestHost::RecordAction));
        TestHost::Pump(200);
        Repaint(window_);
    }
    // Attaches with five one-colour hero pictures written into a fresh folder
    // of that name; `before` runs after the folder is set.
    void AttachWithSolidPictures(const wchar_t *folderName, const RgbColor (&colours)[5],
                                 const std::function<void()> &before = nullptr) {
        const std::wstring folder = FreshFolder(folderName);
        for (int n = 1; n <= 5; ++n)
            ASSERT_TRUE(WritePicture(HeroPath(folder, n), GUID_ContainerFormatPng, 64, 48, Solid(colours[n - 1])));
        Attach([folder, before] {
            KSUiSetHeroDir(folder.c_str());
            if (before)
                before();
        });
    }
    // Opens or closes the custom panel with a click, as a user does after the
    // first paint: the window grows or shrinks downwards.
    void TogglePanel() {
        TestHost::Click(window_, TestHost::ElementCentre(ElemCustomToggle).x, TestHost::ElementCentre(ElemCustomToggle).y);
        TestHost::Pump(200);
        ParkCursor();
        TestHost::SendMouse(window_, WM_MOUSEMOVE, 500.0f, 400.0f);
        Repaint(window_);
    }
    // Rests the mouse on an element until its hover level has eased in, then repaints.
    void HoverOver(int id) {
        const D2D1_POINT_2F c = TestHost::ElementCentre(id);
        POINT screen = TestHost::ClientFromDesign(c.x, c.y);
        ClientToScreen(window_, &screen);
        SetCursorPos(screen.x, screen.y);
        TestHost::SendMouse(window_, WM_MOUSEMOVE, c.x, c.y);
        for (int i = 0; i < 50 && g_State.HoverLevel[id] < 0.995f; ++i)
            TestHost::Pump(50);
        Repaint(window_);
    }
    HWND window_ = nullptr;
};

// --- A second process at another DPI ---

// A Wine process reads LogPixels once, when it starts: a test at another DPI
// runs in a copy of this program, started with `marker` set in its
// environment and a gtest filter that selects `tests` tests, its output in a
// file beside the program. The parent keeps answering messages meanwhile, and
// puts the DPI back after.
inline std::string ReadFileText(const std::wstring &path) {
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

inline void ExpectChildPassesAtDpi(DWORD dpi, const wchar_t *marker, const char *filter, const wchar_t *logName,
                                   int tests) {
    HKEY desktop = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0,
                                           KEY_QUERY_VALUE | KEY_SET_VALUE, &desktop));
    DWORD previous = 0, size = sizeof previous;
    if (RegQueryValueExW(desktop, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE *>(&previous), &size) !=
        ERROR_SUCCESS)
        previous = 0;
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dpi), sizeof dpi);

    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(exe) + L"\" --gtest_filter=" + std::wstring(filter, filter + strlen(filter));
    std::wstring logPath = exe;
    logPath = logPath.substr(0, logPath.find_last_of(L'\\') + 1) + logName;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE log = CreateFileW(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = log;
    startup.hStdError = log;
    PROCESS_INFORMATION process = {};
    SetEnvironmentVariableW(marker, L"1");
    const BOOL started = CreateProcessW(exe, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                        &process);
    SetEnvironmentVariableW(marker, nullptr);
    DWORD exitCode = 1;
    if (started) {
        // Keep answering messages while the child runs: a message it sends to
        // every top-level window must not wait on this thread.
        const ULONGLONG end = GetTickCount64() + 300000;
        while (GetTickCount64() < end &&
               MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0)
            TestHost::Pump(0);
        GetExitCodeProcess(process.hProcess, &exitCode);
        if (exitCode == STILL_ACTIVE)
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(log);
    // Later processes of this prefix get the bench's DPI again.
    if (previous)
        RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&previous), sizeof previous);
    else
        RegDeleteValueW(desktop, L"LogPixels");
    RegCloseKey(desktop);

    ASSERT_TRUE(started) << "CreateProcess failed: " << GetLastError();
    const std::string output = ReadFileText(logPath);
    EXPECT_EQ(0u, exitCode) << output;
    EXPECT_EQ(std::string::npos, output.find("[  SKIPPED ]")) << output;
    EXPECT_NE(std::string::npos, output.find("[  PASSED  ] " + std::to_string(tests) + " test")) << output;
}

} // namespace PaintSupport

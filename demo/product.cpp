// KestoNotes.exe: the "product" that the demo installs. It only shows that it
// runs, and from where; the setup program closes it before it replaces its files.
#include <windows.h>

#include <string>

namespace {

const wchar_t kClass[] = L"KestoNotesMain";
constexpr int kWidth = 460;
constexpr int kHeight = 260;

void FillGradient(HDC dc, const RECT &r, COLORREF from, COLORREF to) {
    TRIVERTEX v[2] = {
        {r.left, r.top, static_cast<COLOR16>(GetRValue(from) << 8), static_cast<COLOR16>(GetGValue(from) << 8),
         static_cast<COLOR16>(GetBValue(from) << 8), 0},
        {r.right, r.bottom, static_cast<COLOR16>(GetRValue(to) << 8), static_cast<COLOR16>(GetGValue(to) << 8),
         static_cast<COLOR16>(GetBValue(to) << 8), 0},
    };
    GRADIENT_RECT g = {0, 1};
    GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_H);
}

void DrawText(HDC dc, const std::wstring &text, int height, int weight, COLORREF color, RECT r, UINT format) {
    HFONT font = CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Microsoft YaHei");
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), -1, &r, format);
    SelectObject(dc, old);
    DeleteObject(font);
}

LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        RECT band = {0, 0, client.right, 92};
        FillGradient(dc, band, RGB(0x1F, 0x6F, 0xEB), RGB(0x14, 0xB8, 0xC4));
        DrawText(dc, L"Kesto Notes", 30, FW_BOLD, RGB(255, 255, 255), RECT{28, 18, client.right, 60},
                 DT_LEFT | DT_SINGLELINE);
        DrawText(dc, L"晴空笔记 · 已安装完成，欢迎使用", 15, FW_NORMAL, RGB(230, 244, 255),
                 RECT{30, 58, client.right, 84}, DT_LEFT | DT_SINGLELINE);
        wchar_t path[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        DrawText(dc, L"正在运行：" + std::wstring(path, n), 13, FW_NORMAL, RGB(0x5B, 0x64, 0x78),
                 RECT{30, 112, client.right - 24, client.bottom - 20}, DT_LEFT | DT_WORDBREAK | DT_PATH_ELLIPSIS);
        DrawText(dc, L"这是演示用的“产品”：安装程序会在覆盖文件前关闭正在运行的它。", 13, FW_NORMAL,
                 RGB(0x8A, 0x8F, 0x99), RECT{30, 170, client.right - 24, client.bottom - 12},
                 DT_LEFT | DT_WORDBREAK);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, msg, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    SetProcessDPIAware();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);

    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame = {0, 0, kWidth, kHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, FALSE);
    const int w = frame.right - frame.left;
    const int h = frame.bottom - frame.top;
    HWND window = CreateWindowExW(0, kClass, L"Kesto Notes", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  work.left + (work.right - work.left - w) / 2,
                                  work.top + (work.bottom - work.top - h) / 2, w, h, nullptr, nullptr, instance,
                                  nullptr);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

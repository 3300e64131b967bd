// The licence viewer: the text file the script named, in a read-only box over
// the installer's window, until the user closes it.
#include "front_end.h"

#include "KestoUIEngine.h"

#include <string>
#include <vector>

namespace kesto_nsis {

namespace {

const wchar_t kLicenceClass[] = L"KestoUiNsisLicence";
constexpr int kOkId = 1;
constexpr DWORD kMaxLicenceBytes = 1 << 20;
constexpr int kWidth = 520;
constexpr int kHeight = 440;

// UTF-16 with its byte-order mark, or UTF-8 (with or without one), or else the
// system's code page; line ends become CR LF for the edit control.
std::wstring ReadLicence(const std::wstring &path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return L"无法打开许可协议文件：" + path;
    std::vector<char> bytes(kMaxLicenceBytes);
    DWORD read = 0;
    const BOOL ok = ReadFile(file, bytes.data(), kMaxLicenceBytes, &read, nullptr);
    CloseHandle(file);
    if (!ok)
        return L"无法读取许可协议文件：" + path;
    bytes.resize(read);

    std::wstring text;
    if (read >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t *>(bytes.data() + 2), (read - 2) / 2);
    } else {
        size_t skip = 0;
        if (read >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF && static_cast<unsigned char>(bytes[1]) == 0xBB &&
            static_cast<unsigned char>(bytes[2]) == 0xBF)
            skip = 3;
        const char *start = bytes.data() + skip;
        const int length = static_cast<int>(read - skip);
        UINT codePage = CP_UTF8;
        int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, start, length, nullptr, 0);
        if (n <= 0 && length > 0) {
            codePage = CP_ACP;
            n = MultiByteToWideChar(codePage, 0, start, length, nullptr, 0);
        }
        if (n > 0) {
            text.resize(static_cast<size_t>(n));
            MultiByteToWideChar(codePage, 0, start, length, &text[0], n);
        }
    }
    std::wstring lines;
    lines.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            lines += L'\r';
        lines += text[i];
    }
    return lines;
}

HFONT LicenceFont(int px, int weight) {
    return CreateFontW(-px, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, EngineText(L"FontFamily").c_str());
}

// The window's state while it shows: whether the user closed it, and the
// front end's colours, so that it reads as part of the canvas (dark too).
struct LicenceLook {
    bool Done = false;
    COLORREF Back = RGB(255, 255, 255);
    COLORREF Text = RGB(0, 0, 0);
    bool OwnText = false; // false on white: the controls keep their own text colour, as they always had
    HBRUSH Brush = nullptr;
};

COLORREF EngineColor(int part, COLORREF fallback) {
    const int rgb = KSUiGetColor(part);
    return rgb < 0 ? fallback : RGB((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255);
}

LRESULT CALLBACK LicenceProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    LicenceLook *look = reinterpret_cast<LicenceLook *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kOkId && look)
            look->Done = true;
        return 0;
    case WM_CLOSE:
        if (look)
            look->Done = true;
        return 0;
    case WM_ERASEBKGND:
        if (look) {
            RECT r{};
            GetClientRect(window, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, look->Brush);
            return 1;
        }
        break;
    case WM_CTLCOLORSTATIC:
        // The title and the read-only text sit on the window's colour.
        if (!look)
            break;
        SetBkColor(reinterpret_cast<HDC>(wParam), look->Back);
        if (look->OwnText)
            SetTextColor(reinterpret_cast<HDC>(wParam), look->Text);
        return reinterpret_cast<LRESULT>(look->Brush);
    default:
        break;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

bool RegisterLicenceClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(PluginModule(), kLicenceClass, &wc))
        return true;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = LicenceProc;
    wc.hInstance = PluginModule();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kLicenceClass;
    return RegisterClassExW(&wc) != 0;
}

} // namespace

void ShowLicenceWindow(HWND owner, const std::wstring &path) {
    if (!RegisterLicenceClass())
        return;
    RECT over{};
    GetWindowRect(owner, &over);
    const int x = over.left + (over.right - over.left - kWidth) / 2;
    const int y = over.top + (over.bottom - over.top - kHeight) / 2;
    // The title is drawn inside, in the text's font: the system's caption font
    // may have no Chinese glyphs (Wine's default prefix has none). The window
    // speaks the front end's language, and reads from the right where it does.
    const std::wstring titleText = EngineText(L"LicenseWindowTitle");
    const DWORD layout = InstallerReadsRightToLeft() ? WS_EX_LAYOUTRTL : 0;
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | layout, kLicenceClass, titleText.c_str(),
                                  WS_POPUP | WS_BORDER, x, y, kWidth, kHeight, owner, nullptr, PluginModule(), nullptr);
    if (!window)
        return;
    LicenceLook look;
    look.Back = EngineColor(KSUI_COLOR_BACKGROUND, look.Back);
    look.Text = EngineColor(KSUI_COLOR_TEXT, look.Text);
    look.OwnText = look.Back != RGB(255, 255, 255);
    look.Brush = CreateSolidBrush(look.Back);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&look));

    RECT client{};
    GetClientRect(window, &client);
    HFONT font = LicenceFont(14, FW_NORMAL);
    HFONT titleFont = LicenceFont(18, FW_BOLD);
    HWND title = CreateWindowExW(0, L"STATIC", titleText.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 16, 14, client.right - 32, 28,
                                 window, nullptr, PluginModule(), nullptr);
    HWND text = CreateWindowExW(0, L"EDIT", ReadLicence(path).c_str(),
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 16, 52,
                                client.right - 32, client.bottom - 52 - 62, window, nullptr, PluginModule(), nullptr);
    HWND ok = CreateWindowExW(0, L"BUTTON", EngineText(L"LicenseWindowOk").c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                              client.right - 16 - 110, client.bottom - 16 - 34, 110, 34, window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOkId)), PluginModule(), nullptr);
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont), TRUE);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

    EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    SetFocus(ok);
    MSG msg;
    while (!look.Done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The quit message belongs to the loops further out.
            if (got == 0)
                PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN)) {
            look.Done = true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    EnableWindow(owner, TRUE);
    DestroyWindow(window);
    DeleteObject(font);
    DeleteObject(titleFont);
    DeleteObject(look.Brush);
    SetForegroundWindow(owner);
}

} // namespace kesto_nsis

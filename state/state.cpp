#include "state/state.h"

#include "state/seams.h"

#include <algorithm>

// Constructed before DllMain runs and destroyed when the library unloads: only
// the texts own memory, so unloading frees exactly those, in reverse order.
EngineState g_State;

#ifdef KSUI_TESTING
namespace TestSeams {
ULONGLONG (*TickSource)() = nullptr;
HRESULT WicCreateResult = S_OK;
LONG PaintCount = 0;
int ForcedDcRenderTarget = -1;
bool OnePassFrames = false;
int HighContrast = -1;
LONG DragThreadWakes = 0;
HRESULT (*TaskbarCreate)(ITaskbarList3 **) = nullptr;
void (*UiaEventRaised)(int, int, int, const wchar_t *) = nullptr;
HRESULT(WINAPI *UiaRaiseNotification)(IRawElementProviderSimple *, int, int, BSTR, BSTR) = nullptr;
HRESULT(WINAPI *UiaRaiseStructureChanged)(IRawElementProviderSimple *, int, int *, int) = nullptr;
void (*StageReached)(const char *) = nullptr;
} // namespace TestSeams

ULONGLONG NowTick() { return TestSeams::TickSource ? TestSeams::TickSource() : GetTickCount64(); }
#else
ULONGLONG NowTick() { return GetTickCount64(); }
#endif

int CopyTextOut(const std::wstring &text, wchar_t *buffer, int capacity) {
    if (!buffer || capacity <= 0)
        return 0;
    const size_t count = std::min(text.size(), static_cast<size_t>(capacity) - 1);
    std::copy_n(text.data(), count, buffer);
    buffer[count] = L'\0';
    return static_cast<int>(count);
}

void LookUpPlatform() {
    EngineState &s = g_State;
    // Wine's ntdll exports its version; Windows' never does.
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    s.UnderWine = ntdll && GetProcAddress(ntdll, "wine_get_version");
    // Looked up by name: systems before Windows 10 do not have it.
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    s.GetDpiForWindow = user32 ? reinterpret_cast<UINT(WINAPI *)(HWND)>(
                                     reinterpret_cast<void *>(GetProcAddress(user32, "GetDpiForWindow")))
                               : nullptr;
    s.GetWindowDpiAwarenessContext =
        user32 ? reinterpret_cast<DPI_AWARENESS_CONTEXT(WINAPI *)(HWND)>(
                     reinterpret_cast<void *>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")))
               : nullptr;
    s.GetAwarenessFromDpiAwarenessContext =
        user32 ? reinterpret_cast<DPI_AWARENESS(WINAPI *)(DPI_AWARENESS_CONTEXT)>(
                     reinterpret_cast<void *>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")))
               : nullptr;
    s.TickMessage = RegisterWindowMessageW(L"KestoUiTick");
    s.DefaultActionMessage = RegisterWindowMessageW(L"KestoUiDefaultAction");
    s.UiaCallMessage = RegisterWindowMessageW(L"KestoUiUiaCall");
    s.TaskbarButtonMessage = RegisterWindowMessageW(L"TaskbarButtonCreated");
}

void RecordStageError(const wchar_t *stage, HRESULT code) {
    // At most 159 units, as a 160-unit buffer holds: a long stage (one that
    // names a host's text) is cut, never written past the end.
    constexpr size_t kCodeLength = 20; // " HRESULT=0x" and eight digits
    std::wstring text = L"阶段=";
    text.append(stage, wcsnlen(stage, 159 - 3 - kCodeLength));
    wchar_t code8[kCodeLength + 1];
    wsprintfW(code8, L" HRESULT=0x%08X", static_cast<unsigned>(code));
    g_State.LastError = text + code8;
}

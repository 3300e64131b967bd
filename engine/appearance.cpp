#include "engine/appearance.h"

#include "engine/texts.h"
#include "render/frame_schedule.h"
#include "window/system_settings.h"

#include <string>

int SetColorMode(int mode) {
    if (mode != ColorModeOfSystem && mode != ColorModeLight && mode != ColorModeDark) {
        RecordTextError(L"KSUiSetColorMode", L"unknown colour mode " + std::to_wstring(mode));
        return 0;
    }
    g_State.ColorMode = mode;
    // Attached, the palette changes at once; before, attach reads it.
    if (g_State.HostWindow)
        ReadSystemSettings();
    return 1;
}

int SetProductName(const wchar_t *name) {
    const wchar_t *given = TextOrEmpty(name);
    // Measured before it is copied: a host's megabyte is refused, not stored.
    const size_t length = wcsnlen(given, kMaxTextLength + 1);
    const wchar_t *why = length > kMaxTextLength ? L"text too long" : TextRefusal(-1, std::wstring(given, length));
    if (why) {
        RecordTextError(L"KSUiSetProductName", why);
        return 0;
    }
    g_State.ProductName.assign(given, length);
    if (g_State.HostWindow)
        RequestFrame();
    return 1;
}

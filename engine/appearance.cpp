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

int GetColor(int part) {
    // The settings as they are now, also before attach, when no frame has chosen yet.
    ReadSystemSettings();
    const Palette &p = g_State.Colors;
    const RgbColor parts[] = {p.Background, p.Text, p.Secondary, p.Accent, p.Link};
    if (part < 0 || part >= static_cast<int>(sizeof parts / sizeof parts[0]))
        return -1;
    return static_cast<int>(parts[part] & 0xFFFFFF);
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

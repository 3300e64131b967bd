#include "window/system_settings.h"

#include "render/compositor.h"
#include "render/frame_schedule.h"
#include "render/palette.h"
#include "state/seams.h"

#include <cstring>

namespace {

bool HighContrastOn() {
#ifdef KSUI_TESTING
    if (TestSeams::HighContrast >= 0)
        return TestSeams::HighContrast != 0;
#endif
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// The user's app theme: AppsUseLightTheme 0 asks for dark. A missing value
// (older systems, a fresh Wine prefix) means light.
bool AppsUseDarkTheme() {
    DWORD light = 1;
    DWORD size = sizeof light;
    const LSTATUS status =
        RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                     L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size);
    return status == ERROR_SUCCESS && light == 0;
}

bool DarkWanted() {
    switch (g_State.ColorMode) {
    case ColorModeLight:
        return false;
    case ColorModeDark:
        return true;
    default:
        return AppsUseDarkTheme();
    }
}

bool ClientAreaAnimationOff() {
    BOOL animate = TRUE;
    // A system that cannot tell animates, as it always did.
    return SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &animate, 0) && !animate;
}

} // namespace

void ReadSystemSettings() {
    EngineState &s = g_State;
    const Palette before = s.Colors;
    const bool motionBefore = s.ReducedMotion;
    s.HighContrast = HighContrastOn();
    s.ReducedMotion = ClientAreaAnimationOff();
    s.DarkMode = DarkWanted();
    ChoosePalette();
    if (!s.HostWindow)
        return;

    const bool colorsChanged = std::memcmp(&before, &s.Colors, sizeof before) != 0;
    if (colorsChanged || !s.DirEditBrush) {
        // The EDIT box is painted by the system with this brush (WM_CTLCOLOREDIT).
        DeleteObjectAndNull(s.DirEditBrush);
        s.DirEditBrush = CreateSolidBrush(ColorRefFrom(s.Colors.DirBox));
        if (s.DirEdit)
            InvalidateRect(s.DirEdit, nullptr, TRUE);
    }
    if (colorsChanged) {
        // Pictures, the gradient and anything kept from earlier frames were made
        // for the old look; the next paint makes them again.
        ReleaseDeviceResources();
        RequestFrame();
    } else if (s.ReducedMotion != motionBefore) {
        RequestFrame();
    }
}

// The exported KSUi functions: thin, C, and never throwing. Each hands its
// arguments to the engine's free functions; an exception (only an allocation
// failure can raise one) ends at this boundary with a harmless answer.
#include "KestoUIEngine.h"

#include "engine/appearance.h"
#include "engine/commands.h"
#include "engine/folder_picker.h"
#include "engine/lifecycle.h"
#include "engine/texts.h"
#include "process/process.h"

// The header promises hosts the EDIT box's identifier; the engine gives it.
static_assert(KSUI_DIR_EDIT_ID == kDirEditId, "the directory box keeps its published identifier");
static_assert(KSUI_READING_ORDER_OF_LANGUAGE == ReadingOrderOfLanguage && KSUI_READING_LTR == ReadingLeftToRight &&
                  KSUI_READING_RTL == ReadingRightToLeft,
              "the published reading orders are the engine's");
static_assert(KSUI_COLORS_OF_SYSTEM == ColorModeOfSystem && KSUI_COLORS_LIGHT == ColorModeLight &&
                  KSUI_COLORS_DARK == ColorModeDark,
              "the published colour modes are the engine's");
static_assert(KSUI_COLOR_BACKGROUND == 0 && KSUI_COLOR_LINK == 4, "the published palette parts keep their numbers");

namespace {

template <class F> int Guarded(int fallback, F body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <class F> void Guarded(F body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

} // namespace

extern "C" {

int KSUI_CALL KSUiAttach(HWND window, KSUiHostCallback callback) {
    return Guarded(0, [&] { return Attach(window, callback); });
}

void KSUI_CALL KSUiDetach(void) {
    Guarded([] { Detach(); });
}

int KSUI_CALL KSUiLastError(wchar_t *buffer, int capacity) { return LastErrorText(buffer, capacity); }

int KSUI_CALL KSUiWaitDone(void) {
    return Guarded(0, [] { return WaitDone(); });
}

void KSUI_CALL KSUiSetState(int page) {
    Guarded([&] { SetState(page); });
}

void KSUI_CALL KSUiSetProgress(int tenthsOfPercent) {
    Guarded([&] { SetProgress(tenthsOfPercent); });
}

void KSUI_CALL KSUiSetStatus(const wchar_t *status) {
    Guarded([&] { SetStatus(status); });
}

void KSUI_CALL KSUiSetDir(const wchar_t *directory) {
    Guarded([&] { SetDir(directory); });
}

int KSUI_CALL KSUiGetDir(wchar_t *buffer, int capacity) { return GetDir(buffer, capacity); }

int KSUI_CALL KSUiGetOption(int option) { return GetOption(option); }

void KSUI_CALL KSUiSetBranding(const wchar_t *licenseCaption, int color1, int color2) {
    Guarded([&] { SetBranding(licenseCaption, color1, color2); });
}

void KSUI_CALL KSUiSetHeroDir(const wchar_t *folder) {
    Guarded([&] { SetHeroDir(folder); });
}

int KSUI_CALL KSUiBrowseDir(const wchar_t *startPath, wchar_t *buffer, int capacity) {
    return Guarded(0, [&] { return BrowseDir(startPath, buffer, capacity); });
}

int KSUI_CALL KSUiIsAppRunning(const wchar_t *exeName) {
    return Guarded(0, [&] { return IsAppRunning(exeName); });
}

int KSUI_CALL KSUiKillApp(const wchar_t *exeName, int waitMs) {
    return Guarded(0, [&] { return KillApp(exeName, waitMs); });
}

int KSUI_CALL KSUiProcReport(wchar_t *buffer, int capacity) { return ProcReport(buffer, capacity); }

int KSUI_CALL KSUiSetLanguage(const wchar_t *tag) {
    return Guarded(0, [&] { return SetLanguage(tag); });
}

int KSUI_CALL KSUiSetText(const wchar_t *id, const wchar_t *text) {
    return Guarded(0, [&] { return SetText(id, text); });
}

int KSUI_CALL KSUiLoadTexts(const wchar_t *path) {
    return Guarded(0, [&] { return LoadTexts(path); });
}

int KSUI_CALL KSUiGetText(const wchar_t *id, wchar_t *buffer, int capacity) {
    return Guarded(0, [&] { return GetText(id, buffer, capacity); });
}

int KSUI_CALL KSUiSetReadingOrder(int order) {
    return Guarded(0, [&] { return SetReadingOrder(order); });
}

int KSUI_CALL KSUiSetColorMode(int mode) {
    return Guarded(0, [&] { return SetColorMode(mode); });
}

int KSUI_CALL KSUiGetColor(int part) {
    return Guarded(-1, [&] { return GetColor(part); });
}

int KSUI_CALL KSUiSetProductName(const wchar_t *name) {
    return Guarded(0, [&] { return SetProductName(name); });
}

} // extern "C"

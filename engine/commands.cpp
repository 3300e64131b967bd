#include "engine/commands.h"

#include "render/frame_schedule.h"
#include "render/resources.h"
#include "window/drag.h"
#include "window/scaling.h"
#include "window/tick.h"

void RefreshNow(bool throttled) {
    // A throttled call only stores its value, and sees that the frame timer
    // will show it: the timer, or the first call after the pause, paints.
    if (!HostRepaintDue(throttled)) {
        // Most such calls come while the timer runs at its frame rate already.
        if (g_State.HostWindow && g_State.FrameTimerMs != kFrameTimerMs)
            ScheduleTick();
        return;
    }
    Tick(TickCause::HostCommand);
}

void SetState(int page) {
    EngineState &s = g_State;
    if (static_cast<unsigned>(page) > PageFinished)
        return;
    s.CurrentPage = page;
    WatchForDrags();
    s.HoverElement = ElemNone;
    s.PressedElement = ElemNone;
    if (page != PageWelcome)
        s.CustomPanelOpen = false;

    if (page == PageInstalling) {
        s.SlideShownAt = 0;
        if (s.SlideIndex == 0) {
            s.SlideIndex = 1;
            s.NextSlide = -1;
            s.SlideFade = 0.0f;
        }
    } else {
        if (s.NextSlide >= 0) {
            s.SlideIndex = s.NextSlide;
            s.NextSlide = -1;
            s.SlideFade = 0.0f;
        }
        s.SlideIndex = 0;
    }

    if (s.HostWindow)
        ApplyWindowSize(false);
    LayoutDirEdit();
    RequestFrame();
    RefreshNow(false);
}

void SetProgress(int progress) {
    EngineState &s = g_State;
    const int clamped = progress < 0 ? 0 : (progress > 1000 ? 1000 : progress);
    s.ProgressTarget = clamped;
    // The bar falls back at once; only rises are eased.
    if (s.ProgressShown > static_cast<float>(clamped))
        s.ProgressShown = static_cast<float>(clamped);
    RefreshNow(true);
}

void SetStatus(const wchar_t *text) {
    EngineState &s = g_State;
    // A status line is a moving part: a new text redraws that line, not the page.
    if (s.StatusText != TextOrEmpty(text)) {
        s.StatusText = TextOrEmpty(text);
        s.StatusTextWidth = MeasureTextWidth(s.StatusText.c_str(), s.CaptionFormat);
        ++s.StatusVersion;
    }
    RefreshNow(false);
}

void SetDir(const wchar_t *directory) {
    EngineState &s = g_State;
    s.InstallDir = TextOrEmpty(directory);
    if (s.DirEdit)
        SetWindowTextW(s.DirEdit, s.InstallDir.c_str());
    RequestFrame();
}

int GetDir(wchar_t *buffer, int capacity) {
    if (!buffer || capacity <= 0)
        return 0;
    // While attached, the edit control holds what the user typed.
    if (g_State.DirEdit)
        return GetWindowTextW(g_State.DirEdit, buffer, capacity);
    return CopyTextOut(g_State.InstallDir, buffer, capacity);
}

int GetOption(int option) {
    if (option < OptionAgree || option > OptionAutoStart)
        return 0;
    return g_State.Options[option - 1] != 0 ? 1 : 0;
}

void SetBranding(const wchar_t *caption, int color1, int color2) {
    EngineState &s = g_State;
    if (caption && *caption)
        s.LicenseLinkText = caption;
    const RgbColor before1 = s.BrandColor1, before2 = s.BrandColor2;
    if (color1 >= 0)
        s.BrandColor1 = static_cast<RgbColor>(color1);
    if (color2 >= 0)
        s.BrandColor2 = static_cast<RgbColor>(color2);
    // The gradient holds its colours from creation; drop it so the next paint
    // makes it again in the new colours.
    if (s.BrandColor1 != before1 || s.BrandColor2 != before2)
        ReleaseAndNull(s.BrandGradient);
    if (s.HostWindow) {
        // Re-measures the link, so its rectangle follows the new caption.
        BuildTextFormats();
        RequestFrame();
    }
}

void SetHeroDir(const wchar_t *folder) { g_State.HeroDir = TextOrEmpty(folder); }

#include "window/element_actions.h"

#include "geometry/layout.h"
#include "render/frame_schedule.h"
#include "window/scaling.h"
#include "window/tick.h"

namespace {

void CallBack(HostAction action) {
    if (g_State.Callback)
        g_State.Callback(action);
}

void Toggle(int &flag) { flag = flag == 0 ? 1 : 0; }

} // namespace

bool ElementPressable(int element) {
    return element != ElemNone && !(element == ElemInstall && g_State.Options[OptionAgree - 1] == 0);
}

bool ElementActionable(int element) { return ElementLive(element) && ElementPressable(element); }

void PerformElementAction(int element) {
    EngineState &s = g_State;
    switch (element) {
    case ElemMinimize:
        ShowWindow(s.HostWindow, SW_MINIMIZE);
        break;
    case ElemClose:
        if (s.Decision == WaitPending)
            s.Decision = WaitClosed;
        else
            CallBack(ActionClose);
        break;
    case ElemInstall:
        if (s.Options[OptionAgree - 1] != 0)
            CallBack(ActionInstall);
        break;
    case ElemAgree:
        Toggle(s.Options[OptionAgree - 1]);
        break;
    case ElemLicenseLink:
        CallBack(ActionShowLicense);
        break;
    case ElemCustomToggle:
        s.CustomPanelOpen = !s.CustomPanelOpen;
        ApplyWindowSize(false);
        LayoutDirEdit();
        break;
    case ElemChangeDir:
        CallBack(ActionChangeDir);
        break;
    case ElemOptDesktop:
        Toggle(s.Options[OptionDesktopShortcut - 1]);
        break;
    case ElemOptStartMenu:
        Toggle(s.Options[OptionStartMenu - 1]);
        break;
    case ElemOptAutoStart:
        Toggle(s.Options[OptionAutoStart - 1]);
        break;
    case ElemLaunch:
        if (s.Decision == WaitPending)
            s.Decision = WaitLaunch;
        else
            CallBack(ActionLaunch);
        break;
    default:
        break;
    }
    // The callback may have detached or destroyed the window. A user's action
    // is answered at once: the tick tells readers what changed now, not after
    // the frame that shows it.
    if (s.HostWindow) {
        RequestFrame();
        Tick(TickCause::FrameTimer);
    }
}

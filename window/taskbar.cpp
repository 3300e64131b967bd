#include "window/taskbar.h"

#include "state/seams.h"

#include <shobjidl.h>

namespace {

constexpr LONG kTaskbarUnknown = -1; // nothing sent to this object yet
constexpr ULONGLONG kTaskbarTotal = 1000; // tenths of a percent, as the bar counts

HRESULT CreateTaskbar(ITaskbarList3 **taskbar) {
#ifdef KSUI_TESTING
    if (TestSeams::TaskbarCreate)
        return TestSeams::TaskbarCreate(taskbar);
#endif
    return CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskbarList3),
                            reinterpret_cast<void **>(taskbar));
}

// The button shows the bar's value while installing, nothing otherwise.
LONG WantedTaskbarValue() {
    const EngineState &s = g_State;
    if (s.CurrentPage != PageInstalling)
        return kTaskbarNone;
    const float shown = s.ProgressShown < 0.0f ? 0.0f : s.ProgressShown;
    return static_cast<LONG>(shown + 0.5f);
}

} // namespace

void StartTaskbar() {
    EngineState &s = g_State;
    // An elevated setup program would otherwise never hear the shell's message.
    if (s.TaskbarButtonMessage)
        ChangeWindowMessageFilterEx(s.HostWindow, s.TaskbarButtonMessage, MSGFLT_ALLOW, nullptr);
    if (IsWindowVisible(s.HostWindow))
        ConnectTaskbar();
}

void ConnectTaskbar() {
    EngineState &s = g_State;
    ReleaseAndNull(s.Taskbar);
    s.TaskbarShown = kTaskbarUnknown;
    ITaskbarList3 *taskbar = nullptr;
    if (FAILED(CreateTaskbar(&taskbar)) || !taskbar)
        return;
    if (FAILED(taskbar->HrInit())) {
        taskbar->Release();
        return;
    }
    s.Taskbar = taskbar;
    SyncTaskbar();
}

void SyncTaskbar() {
    EngineState &s = g_State;
    if (!s.Taskbar || !s.HostWindow)
        return;
    const LONG wanted = WantedTaskbarValue();
    if (wanted == s.TaskbarShown)
        return;
    // The button is a courtesy: a call the shell refuses is not sent again every
    // tick, and nothing else depends on it.
    if (wanted == kTaskbarNone) {
        s.Taskbar->SetProgressState(s.HostWindow, TBPF_NOPROGRESS);
    } else {
        if (s.TaskbarShown < 0)
            s.Taskbar->SetProgressState(s.HostWindow, TBPF_NORMAL);
        s.Taskbar->SetProgressValue(s.HostWindow, static_cast<ULONGLONG>(wanted), kTaskbarTotal);
    }
    s.TaskbarShown = wanted;
}

void DisconnectTaskbar() {
    EngineState &s = g_State;
    if (s.Taskbar && s.HostWindow && s.TaskbarShown != kTaskbarNone)
        s.Taskbar->SetProgressState(s.HostWindow, TBPF_NOPROGRESS);
    ReleaseAndNull(s.Taskbar);
    s.TaskbarShown = kTaskbarUnknown;
}

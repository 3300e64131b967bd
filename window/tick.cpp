#include "window/tick.h"

#include "render/animation.h"
#include "render/carousel.h"
#include "render/frame_schedule.h"
#include "window/accessibility.h"
#include "window/drag.h"
#include "window/scaling.h"
#include "window/taskbar.h"

void Tick(TickCause cause) {
    EngineState &s = g_State;
    SyncDragState();
    // Pictures the loader thread has decoded since (render/picture_loader.h).
    AdoptLoadedPictures();
    if (s.FrameReapplyPending && s.DragState == DragIdle) {
        s.FrameReapplyPending = false;
        ApplyWindowFrame();
    }
    HWND window = s.HostWindow;
    if (!window)
        return;
    // A command for a hidden window only stores its value: nothing on screen
    // is to be kept current, and showing the window paints it.
    const bool command = cause == TickCause::HostCommand;
    const bool shown = !command || IsWindowVisible(window);
    if (shown) {
        StepAnimation();
        SyncTaskbar();
    }
    // Readers hear at most one round of events per tick, whatever the commands
    // and clicks since the last one changed.
    AnnounceChanges();
    if (!command) {
        // A moving page is painted about 30 times a second at most, fewer when
        // its frames are slow.
        if (FrameDue())
            InvalidateRect(window, nullptr, FALSE);
    } else if (shown && PictureStale()) {
        // A value the window already shows costs no frame.
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        // The throttle counts from the end of the paint: counted from its
        // start, a paint slower than the throttle would let every following
        // call paint again.
        s.LastRepaintTick = NowTick();
    }
    // What still moves keeps the timer going; a page at rest stops it. The
    // host, or a callback inside the paint, may have let go of the window.
    if (s.HostWindow)
        ScheduleTick();
}

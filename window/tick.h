// One tick: the work that keeps the window current, run by the frame timer and
// by a host command that needs the window now. In this order: take over a
// finished drag, apply the frame again if somebody changed it, step the
// animation clock, mirror the progress on the taskbar, tell screen readers
// what changed, put the frame on screen if it is due, and arm the frame timer
// for what still moves (render/frame_schedule.h).
#pragma once

#include "state/state.h"

enum class TickCause {
    FrameTimer,  // WM_TIMER, or the drag thread's TickMessage: the frame is invalidated when due
    HostCommand, // a host command that changed the picture: it is painted before the command returns
};

void Tick(TickCause cause);

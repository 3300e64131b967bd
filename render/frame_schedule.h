// When frames are painted. A frame is painted only when it would differ from
// the one on screen: something asked for it through RequestFrame, or an
// animation moved since the last paint. Slow frames are paced, so the window
// thread always has time left for the host's own messages.
#pragma once

#include "state/state.h"

// Asks for a new frame because something that reaches the picture changed.
// Every change of page, options, texts, press, scale, branding or pictures
// comes through here; the window is invalidated at once. The animated values
// and the status text are compared with what was painted instead.
void RequestFrame();

// Whether the picture on screen is out of date: a frame was requested, a hover
// level, the shown progress or the carousel moved since the last paint, or the
// window still waits for its reveal.
bool PictureStale();

// What moved since the last frame that reached the screen: element id's hover
// level (by more than any pixel shows), the shown progress, the status text of
// the installing page, the carousel (its slide, or the fade under way).
bool HoverLevelMoved(int id);
bool ProgressMoved();
bool StatusMoved();
bool CarouselMoved();

// The frame timer's decision: the picture is stale and the last paint's pause
// is over (a paint that took P ms is followed by at least P ms without a
// timer-driven frame).
bool FrameDue();

// How long the frame timer may sleep before the next tick: a frame period
// while something moves, a frame is wanted or a drag is to be taken over; the
// rest of the carousel's hold while the installing page waits for its next
// slide; 0 (no timer at all) while the page is at rest or the window hidden.
UINT NextTickMs();

// Arms the frame timer for NextTickMs, or kills it: called after every change
// that may start something moving, and by every tick. Sets the timer only when
// its period changes. Whenever it stops running at its frame rate, it marks
// the animation as rested (StepAnimation).
void ScheduleTick();

// The host commands' decision: an unthrottled command may always paint; a
// throttled one (progress) only 30 ms, or as long as the last paint took if
// that was longer, after the end of the last paint a command made.
bool HostRepaintDue(bool throttled);

// Called by PaintFrame after drawing that began at startTick: records how long
// it took and, when the frame reached the screen, what it showed.
void RecordPaint(ULONGLONG startTick, bool reachedScreen);

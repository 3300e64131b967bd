// Failure and clock seams. They exist only in the test build (KSUI_TESTING);
// the shipped library always uses the real platform.
#pragma once

#include <windows.h>
#include <oaidl.h>

struct ITaskbarList3;
struct IRawElementProviderSimple;

#ifdef KSUI_TESTING
namespace TestSeams {
// When set, NowTick() returns this instead of GetTickCount64().
extern ULONGLONG (*TickSource)();
// When a failure code, creating the imaging factory fails with it.
extern HRESULT WicCreateResult;
// Frames drawn (BeginDraw to EndDraw) since the process started.
extern LONG PaintCount;
// 1 draws through a DC target, 0 through the window's own target; -1 (the
// default) leaves the choice to the platform.
extern int ForcedDcRenderTarget;
// When true, frames through the DC target are drawn whole, in one pass over the
// client area: the reference that frames redrawing only what changed are
// compared with.
extern bool OnePassFrames;
// 0 or 1: the high-contrast setting reads as this. Wine 8 neither stores nor
// reports the setting (SPI_SETHIGHCONTRAST fails), so tests can only set it here.
// -1 asks the system.
extern int HighContrast;
// Wake-ups of the drag thread since the process started: every return from
// one of its waits.
extern LONG DragThreadWakes;
// When set, makes the taskbar object instead of CoCreateInstance, so tests can
// watch the calls (Wine's taskbar shows nothing) or make the creation fail.
extern HRESULT (*TaskbarCreate)(ITaskbarList3 **taskbar);
// When set, hears every UI Automation event the engine raises, as it raises
// it: the event id, the reading item it is about (0 the root), the property of
// a property change, and the text of an announcement (null otherwise). Wine 8
// delivers none of these events to a client.
extern void (*UiaEventRaised)(int eventId, int item, int propertyId, const wchar_t *text);
// When set, stand in for uiautomationcore's functions that Wine 8 lacks
// (UiaRaiseNotificationEvent) or exports as a stub that ends the process when
// called (UiaRaiseStructureChangedEvent): the engine raises through them as
// through the system's.
extern HRESULT(WINAPI *UiaRaiseNotification)(IRawElementProviderSimple *provider, int kind, int processing,
                                              BSTR text, BSTR activity);
extern HRESULT(WINAPI *UiaRaiseStructureChanged)(IRawElementProviderSimple *provider, int change, int *runtimeId,
                                                  int length);
// When set, told each time the engine finishes a step on the way to the first
// frame (a factory, the fonts, the render target, a picture, a layer), so that
// the launch benchmark can time each step.
extern void (*StageReached)(const char *stage);
} // namespace TestSeams

inline void MarkStage(const char *stage) {
    if (TestSeams::StageReached)
        TestSeams::StageReached(stage);
}
#else
inline void MarkStage(const char *) {}
#endif

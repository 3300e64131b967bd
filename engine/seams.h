// Failure and clock seams. They exist only in the test build (KSUI_TESTING);
// the shipped library always uses the real platform.
#pragma once

#include <windows.h>

#ifdef KSUI_TESTING
namespace TestSeams {
// When set, NowTick() returns this instead of GetTickCount64().
extern ULONGLONG (*TickSource)();
// When a failure code, creating the imaging factory fails with it.
extern HRESULT WicCreateResult;
// 1 draws through a DC target, 0 through the window's own target; -1 (the
// default) leaves the choice to the platform.
extern int ForcedDcRenderTarget;
} // namespace TestSeams
#endif

#include "engine/state.h"

#include "engine/seams.h"

#include <algorithm>

// Constructed before DllMain runs and destroyed when the library unloads: only
// the texts own memory, so unloading frees exactly those, in reverse order.
EngineState g_State;

ULONGLONG g_LastRepaintTick = 0;

#ifdef KSUI_TESTING
namespace TestSeams {
ULONGLONG (*TickSource)() = nullptr;
HRESULT WicCreateResult = S_OK;
LONG PaintCount = 0;
int ForcedDcRenderTarget = -1;
bool OnePassFrames = false;
int HighContrast = -1;
HRESULT (*TaskbarCreate)(ITaskbarList3 **) = nullptr;
} // namespace TestSeams

ULONGLONG NowTick() { return TestSeams::TickSource ? TestSeams::TickSource() : GetTickCount64(); }
#else
ULONGLONG NowTick() { return GetTickCount64(); }
#endif

int CopyTextOut(const std::wstring &text, wchar_t *buffer, int capacity) {
    if (!buffer || capacity <= 0)
        return 0;
    const size_t count = std::min(text.size(), static_cast<size_t>(capacity) - 1);
    std::copy_n(text.data(), count, buffer);
    buffer[count] = L'\0';
    return static_cast<int>(count);
}

// The library's entry point. EngineState is already constructed with its
// load-time values when this runs; unloading destroys only its texts.
#include "state/state.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_State.Module = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

// The shipped DLL itself: its export table and a first attach through it.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"

namespace {

const char *const kExports[] = {
    "KSUiAttach",    "KSUiDetach",    "KSUiLastError",   "KSUiWaitDone",  "KSUiSetState",     "KSUiSetProgress",
    "KSUiSetStatus", "KSUiSetDir",    "KSUiGetDir",      "KSUiGetOption", "KSUiSetBranding",  "KSUiSetHeroDir",
    "KSUiBrowseDir", "KSUiIsAppRunning", "KSUiKillApp", "KSUiProcReport",
};

TEST(ExportTable, EverySixteenPlainNamesResolve) {
    HMODULE dll = LoadLibraryW(L"" KSUI_DLL_PATH);
    ASSERT_TRUE(dll) << "LoadLibrary failed: " << GetLastError();
    for (const char *name : kExports)
        EXPECT_TRUE(GetProcAddress(dll, name)) << name;
    FreeLibrary(dll);
}

} // namespace

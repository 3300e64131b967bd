// The folder picker: the walk up to the nearest existing folder on a real
// folder tree, and the shell's dialog itself, driven from a helper thread that
// finds it among the calling thread's windows and presses OK or Cancel.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"
#include "engine/folder_picker.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kFindTimeoutMs = 20000;
constexpr DWORD kSelectionTimeoutMs = 8000;

std::wstring LongPath(const std::wstring &path) {
    wchar_t full[1024] = {};
    const DWORD n = GetLongPathNameW(path.c_str(), full, 1024);
    return n > 0 && n < 1024 ? std::wstring(full) : path;
}

// A folder tree of this run under the temp folder:
//   <root>\apps\setup.ini, <root>\other
struct Tree {
    std::wstring Root, Apps, File, Other;
};

const Tree &PickerTree() {
    static const Tree tree = [] {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        Tree t;
        t.Root = LongPath(temp) + L"ksui_pick_" + std::to_wstring(GetCurrentProcessId());
        t.Apps = t.Root + L"\\apps";
        t.File = t.Apps + L"\\setup.ini";
        t.Other = t.Root + L"\\other";
        CreateDirectoryW(t.Root.c_str(), nullptr);
        CreateDirectoryW(t.Apps.c_str(), nullptr);
        CreateDirectoryW(t.Other.c_str(), nullptr);
        HANDLE file = CreateFileW(t.File.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
        return t;
    }();
    return tree;
}

// Removes this run's temporary folder once every test has ended.
class RemoveTemporaryFolder : public ::testing::Environment {
  public:
    void TearDown() override { TestHost::DeleteTree(PickerTree().Root); }
};
::testing::Environment *const g_RemoveTemporaryFolder =
    ::testing::AddGlobalTestEnvironment(new RemoveTemporaryFolder);

std::wstring ForwardSlashes(std::wstring text) {
    std::replace(text.begin(), text.end(), L'\\', L'/');
    return text;
}

// --- The walk up ---

TEST(FolderPickerWalk, StopsAtTheNearestExistingPart) {
    const Tree &t = PickerTree();
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(t.File.c_str()));
    struct Case {
        std::wstring Start, Expected;
    };
    const Case cases[] = {
        {t.Apps, t.Apps},                                   // exists: no change
        {t.Apps + L"\\product", t.Apps},                    // a missing child
        {t.Apps + L"\\product\\bin\\x64", t.Apps},          // several missing levels
        {t.File, t.File},                                   // a file exists too
        {t.File + L"\\sub", t.File},                        // below a file
        {t.Root + L"\\missing\\", t.Root},                  // a trailing backslash is one more level
        {ForwardSlashes(t.Apps + L"\\product"), L""},       // only backslashes separate: emptied at once
        {ForwardSlashes(t.Apps), ForwardSlashes(t.Apps)},   // but an existing one is kept
        {L"C:\\no_such_folder_anywhere", L"C:\\"},          // a drive's root keeps its backslash
        {L"Q:\\missing", L""},                               // no such drive at all
        {L"no_such_folder_anywhere", L""},                  // nothing left to cut
        {L"", L""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Start);
        wchar_t path[kPickerPathCapacity] = {};
        ASSERT_LT(c.Start.size(), static_cast<size_t>(kPickerPathCapacity));
        std::copy(c.Start.begin(), c.Start.end(), path);
        WalkUpToExisting(path);
        EXPECT_EQ(c.Expected, std::wstring(path));
    }
}

// --- Driving the dialog ---

bool HasClass(HWND window, const wchar_t *name) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    return wcscmp(cls, name) == 0;
}

BOOL CALLBACK TakeVisibleDialog(HWND window, LPARAM out) {
    if (HasClass(window, L"#32770") && IsWindowVisible(window)) {
        *reinterpret_cast<HWND *>(out) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialogOf(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, TakeVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct ClassSearch {
    const wchar_t *Class;
    HWND Found;
};

BOOL CALLBACK TakeChildOfClass(HWND window, LPARAM search) {
    auto *s = reinterpret_cast<ClassSearch *>(search);
    if (!HasClass(window, s->Class))
        return TRUE;
    s->Found = window;
    return FALSE;
}

HWND FindChild(HWND parent, const wchar_t *cls) {
    ClassSearch search = {cls, nullptr};
    EnumChildWindows(parent, TakeChildOfClass, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

BOOL CALLBACK AddText(HWND window, LPARAM texts) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);

    reinterpret_cast<std::vector<std::wstring> *>(texts)->push_back(text);
    return TRUE;
}

std::vector<std::wstring> ChildTexts(HWND parent) {
    std::vector<std::wstring> texts;
    EnumChildWindows(parent, AddText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// The labels of the tree's selected item and its ancestors, nearest first.
std::vector<std::wstring> SelectedChain(HWND tree) {
    std::vector<std::wstring> chain;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    while (item) {
        wchar_t text[260] = {};
        TVITEMW tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = 260;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        chain.push_back(text);
        const LRESULT parent = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item));
        item = reinterpret_cast<HTREEITEM>(parent);
    }
    return chain;
}

std::wstring Join(const std::vector<std::wstring> &parts) {
    std::wstring text;
    for (const std::wstring &p : parts)
        text += (text.empty() ? L"" : L" < ") + p;
    return text;
}

// The folder names of a path, nearest first.
std::vector<std::wstring> NamesOf(const std::wstring &path) {
    std::vector<std::wstring> names;
    size_t end = path.size();
    while (end > 0) {
        const size_t slash = path.rfind(L'\\', end - 1);
        const size_t begin = slash == std::wstring::npos ? 0 : slash + 1;
        if (end > begin)
            names.push_back(path.substr(begin, end - begin));
        if (slash == std::wstring::npos)
            break;
        end = slash;
    }
    return names;
}

// Whether the selection shows `path`: its own name and its parents' names lead the chain.
bool Shows(const std::vector<std::wstring> &chain, const std::wstring &path, size_t levels) {
    const std::vector<std::wstring> names = NamesOf(path);
    if (chain.size() < levels || names.size() < levels)
        return false;
    for (size_t i = 0; i < levels; ++i)
        if (_wcsicmp(chain[i].c_str(), names[i].c_str()) != 0)
            return false;
    return true;
}

enum class Press { Ok, Cancel };

// What the helper thread saw of the dialog.
struct Seen {
    HWND Dialog = nullptr;
    HWND Owner = nullptr;
    std::vector<std::wstring> Texts;
    std::vector<std::wstring> Chain; // the selection when the helper stopped waiting for it
};

// Runs on a helper thread while the test's thread sits in the dialog: finds the
// dialog, waits for the tree to show `expect` (empty: does not wait), optionally
// selects `choose` as a user would, then presses the button. It always presses,
// so the test's thread never stays stuck in the dialog.
class DialogDriver {
  public:
    DialogDriver(DWORD thread, std::wstring expect, Press press, std::wstring choose = L"")
        : thread_([=] { Run(thread, expect, press, choose); }) {}
    ~DialogDriver() {
        if (thread_.joinable())
            thread_.join();
    }
    const Seen &Result() {
        if (thread_.joinable())
            thread_.join();
        return seen_;
    }
    // For calls that must not open a dialog: stops looking once they have returned.
    const Seen &StopLooking() {
        stop_ = true;
        return Result();
    }

  private:
    void Run(DWORD thread, const std::wstring &expect, Press press, const std::wstring &choose) {
        const ULONGLONG end = GetTickCount64() + kFindTimeoutMs;
        while (!(seen_.Dialog = FindDialogOf(thread)) && !stop_ && GetTickCount64() < end)
            Sleep(50);
        if (!seen_.Dialog)
            return;
        seen_.Owner = GetWindow(seen_.Dialog, GW_OWNER);
        HWND tree = FindChild(seen_.Dialog, WC_TREEVIEWW);
        if (!expect.empty())
            WaitShown(tree, expect);
        if (!choose.empty()) {
            SendMessageW(seen_.Dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(choose.c_str()));
            WaitShown(tree, choose);
        }
        seen_.Texts = ChildTexts(seen_.Dialog);
        const int id = press == Press::Ok ? IDOK : IDCANCEL;
        PostMessageW(seen_.Dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(seen_.Dialog, id)));
    }

    void WaitShown(HWND tree, const std::wstring &path) {
        const ULONGLONG end = GetTickCount64() + kSelectionTimeoutMs;
        do {
            seen_.Chain = SelectedChain(tree);
            if (Shows(seen_.Chain, path, 3))
                return;
            Sleep(50);
        } while (GetTickCount64() < end);
    }

    Seen seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

const wchar_t kTitle[] = L"选择安装目录";

bool HasText(const Seen &seen, const wchar_t *text) {
    return std::find(seen.Texts.begin(), seen.Texts.end(), std::wstring(text)) != seen.Texts.end();
}

// Wine's first browse dialog of a process may stop short of the start selection
// (it then shows a parent of it). One dialog opened and cancelled up front makes
// the dialogs of the tests open where they should; nothing is checked on it.
void WarmUpShellDialog() {
    static bool done = false;
    if (done)
        return;
    done = true;
    DialogDriver driver(GetCurrentThreadId(), L"", Press::Cancel);
    wchar_t buffer[kPickerPathCapacity] = {};
    BrowseDir(PickerTree().Apps.c_str(), buffer, kPickerPathCapacity);
}

// One attached host window for the whole suite: attaching is slow under Wine.
class FolderPickerDialog : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        TestHost::ResetEngine();
        if (!g_State.Module)
            g_State.Module = GetModuleHandleW(nullptr);
        host_ = TestHost::CreateHostWindow();
        attached_ = host_ && KSUiAttach(host_, TestHost::RecordAction) == 1;
        TestHost::Pump(300);
        if (attached_)
            WarmUpShellDialog();
    }
    static void TearDownTestSuite() {
        KSUiDetach();
        if (host_)
            DestroyWindow(host_);
        host_ = nullptr;
        TestHost::Pump(20);
        TestHost::ResetEngine();
    }
    void SetUp() override { ASSERT_TRUE(attached_) << "the host window could not be attached"; }

    static HWND host_;
    static bool attached_;
};

HWND FolderPickerDialog::host_ = nullptr;
bool FolderPickerDialog::attached_ = false;

TEST_F(FolderPickerDialog, OpensOnTheNearestExistingFolderAndOkReturnsIt) {
    const Tree &t = PickerTree();
    struct Case {
        std::wstring Start, Shown;
    };
    const Case cases[] = {
        {t.Apps + L"\\product\\bin", t.Apps},
        // Cut at 259 characters, then walked up like any other missing path.
        {t.Apps + L"\\" + std::wstring(300, L'x'), t.Apps},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Start.substr(0, 80));
        DialogDriver driver(GetCurrentThreadId(), c.Shown, Press::Ok);
        wchar_t buffer[400];
        std::fill(std::begin(buffer), std::end(buffer), L'#');
        const int result = KSUiBrowseDir(c.Start.c_str(), buffer, 400);
        const Seen &seen = driver.Result();
        ASSERT_TRUE(seen.Dialog) << "no dialog appeared";
        EXPECT_EQ(host_, seen.Owner) << "the dialog belongs to the host window";
        EXPECT_TRUE(HasText(seen, kTitle)) << "title label missing";
        EXPECT_TRUE(Shows(seen.Chain, c.Shown, 3)) << "selected: " << testing::PrintToString(Join(seen.Chain));
        EXPECT_EQ(static_cast<int>(c.Shown.size()), result);
        EXPECT_EQ(c.Shown, std::wstring(buffer));
        EXPECT_EQ(L'#', buffer[c.Shown.size() + 1]) << "wrote past the terminator";
    }
}

TEST_F(FolderPickerDialog, OkReturnsTheFolderTheUserChoseInTheHostsOwnBuffer) {
    const Tree &t = PickerTree();
    wchar_t current[kPickerPathCapacity] = {};
    const int currentLength = KSUiGetDir(current, kPickerPathCapacity);

    // A host may pass one buffer as both the start path and the result.
    wchar_t buffer[kPickerPathCapacity] = {};
    std::copy(t.Apps.begin(), t.Apps.end(), buffer);
    DialogDriver driver(GetCurrentThreadId(), t.Apps, Press::Ok, t.Other);
    const int result = KSUiBrowseDir(buffer, buffer, kPickerPathCapacity);
    const Seen &seen = driver.Result();
    ASSERT_TRUE(seen.Dialog);
    EXPECT_TRUE(Shows(seen.Chain, t.Other, 3)) << "selected: " << testing::PrintToString(Join(seen.Chain));
    EXPECT_EQ(static_cast<int>(t.Other.size()), result);
    EXPECT_EQ(t.Other, std::wstring(buffer));

    // Choosing a folder changes nothing until the host stores it.
    wchar_t after[kPickerPathCapacity] = {};
    EXPECT_EQ(currentLength, KSUiGetDir(after, kPickerPathCapacity));
    EXPECT_EQ(std::wstring(current), std::wstring(after));
}

TEST_F(FolderPickerDialog, CancelReturnsZeroAndLeavesTheBufferAlone) {
    const wchar_t *starts[] = {nullptr, L""};
    for (const wchar_t *start : starts) {
        SCOPED_TRACE(start ? "empty start" : "null start");
        DialogDriver driver(GetCurrentThreadId(), L"", Press::Cancel);
        wchar_t buffer[16] = L"keep me";
        EXPECT_EQ(0, KSUiBrowseDir(start, buffer, 16));
        ASSERT_TRUE(driver.Result().Dialog) << "no dialog appeared";
        EXPECT_EQ(std::wstring(L"keep me"), std::wstring(buffer));
    }
}

TEST_F(FolderPickerDialog, CapacityOneWritesOnlyTheTerminator) {
    DialogDriver driver(GetCurrentThreadId(), PickerTree().Apps, Press::Ok);
    wchar_t buffer[4] = {L'a', L'b', L'c', L'\0'};
    EXPECT_EQ(0, KSUiBrowseDir(PickerTree().Apps.c_str(), buffer, 1));
    ASSERT_TRUE(driver.Result().Dialog) << "no dialog appeared";
    EXPECT_EQ(L'\0', buffer[0]);
    EXPECT_EQ(L'b', buffer[1]);
}

TEST_F(FolderPickerDialog, NoBufferOrNoRoomOpensNothing) {
    struct Case {
        bool NullBuffer;
        int Capacity;
    };
    const Case cases[] = {{true, 260}, {false, 0}, {false, -1}, {false, INT_MIN}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "capacity " << c.Capacity << (c.NullBuffer ? " null buffer" : ""));
        // Closes any dialog that opens, so that a fault fails here instead of hanging.
        DialogDriver watcher(GetCurrentThreadId(), L"", Press::Cancel);
        wchar_t buffer[4] = L"abc";
        EXPECT_EQ(0, KSUiBrowseDir(PickerTree().Apps.c_str(), c.NullBuffer ? nullptr : buffer, c.Capacity));
        EXPECT_FALSE(watcher.StopLooking().Dialog) << "a dialog was shown";
        EXPECT_EQ(std::wstring(L"abc"), std::wstring(buffer));
    }
}

// A host may open the picker before attaching, having initialised COM itself:
// the dialog then has no owner and runs on the caller's thread.
TEST(FolderPickerDetached, WorksWithTheCallersComBeforeAttach) {
    TestHost::ResetEngine();
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ASSERT_TRUE(SUCCEEDED(com)) << std::hex << com;
    WarmUpShellDialog();

    const Tree &t = PickerTree();
    DialogDriver driver(GetCurrentThreadId(), t.Apps, Press::Ok);
    wchar_t buffer[kPickerPathCapacity] = {};
    const int result = KSUiBrowseDir((t.Apps + L"\\missing").c_str(), buffer, kPickerPathCapacity);
    const Seen &seen = driver.Result();
    CoUninitialize();
    ASSERT_TRUE(seen.Dialog) << "no dialog appeared";
    EXPECT_EQ(nullptr, seen.Owner);
    EXPECT_TRUE(Shows(seen.Chain, t.Apps, 3)) << "selected: " << testing::PrintToString(Join(seen.Chain));
    EXPECT_EQ(static_cast<int>(t.Apps.size()), result);
    EXPECT_EQ(t.Apps, std::wstring(buffer));
}

} // namespace

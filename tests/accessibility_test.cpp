// The screen reader's view of a real attached window under Wine: the accessible
// tree of every page, default actions against clicks, the events a WinEvent
// hook sees, and an object that a reader keeps across a detach.
#include "tests/host/test_host.h"

#include "KestoUIEngine.h"
#include "geometry/layout.h"
#include "geometry/reading_order.h"

#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace TestHost;

VARIANT Child(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring Take(BSTR text) {
    std::wstring s = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return s;
}

LONG NumberOf(HRESULT hr, const VARIANT &v) { return SUCCEEDED(hr) && v.vt == VT_I4 ? v.lVal : -1; }

class AccessibilityTest : public AttachedTest {
  protected:
    void SetUp() override {
        SetCursorPos(0, 0); // no hover from the real pointer
        AttachedTest::SetUp();
        ASSERT_EQ(S_OK, AccessibleObjectFromWindow(window_, OBJID_CLIENT, __uuidof(IAccessible),
                                                   reinterpret_cast<void **>(&acc_)));
        ASSERT_TRUE(acc_);
    }
    void TearDown() override {
        ReleaseAndNull(acc_);
        AttachedTest::TearDown();
    }

    std::wstring Name(LONG child) {
        BSTR name = nullptr;
        acc_->get_accName(Child(child), &name);
        return Take(name);
    }
    std::wstring Value(LONG child) {
        BSTR value = nullptr;
        acc_->get_accValue(Child(child), &value);
        return Take(value);
    }
    LONG Role(LONG child) {
        VARIANT v;
        return NumberOf(acc_->get_accRole(Child(child), &v), v);
    }
    LONG State(LONG child) {
        VARIANT v;
        return NumberOf(acc_->get_accState(Child(child), &v), v);
    }
    long ChildCount() {
        long n = -1;
        acc_->get_accChildCount(&n);
        return n;
    }
    // The child a reader finds under a screen point: a child id, or 0 for the
    // EDIT box's own object (VT_DISPATCH), -1 for nothing.
    LONG HitChild(long x, long y, bool *isObject) {
        VARIANT v;
        VariantInit(&v);
        const HRESULT hr = acc_->accHitTest(x, y, &v);
        *isObject = v.vt == VT_DISPATCH;
        LONG child = -1;
        if (hr == S_OK && v.vt == VT_I4)
            child = v.lVal;
        VariantClear(&v);
        return child;
    }

    void ShowPage(int page, bool panelOpen) {
        KSUiSetState(page);
        if (panelOpen && !g_State.CustomPanelOpen)
            Click(window_, ElementCentre(ElemCustomToggle).x, ElementCentre(ElemCustomToggle).y);
        Actions().clear();
    }

    IAccessible *acc_ = nullptr;
};

// --- The tree ---

struct TreeRow {
    int item;
    const wchar_t *name;
    LONG role;
    LONG state; // without FOCUSED and HOTTRACKED
    const wchar_t *value;
};

struct TreeCase {
    const char *name;
    int page;
    bool panelOpen;
    bool agree;
    std::vector<TreeRow> rows;
};

constexpr LONG kPush = ROLE_SYSTEM_PUSHBUTTON;
constexpr LONG kFocusable = STATE_SYSTEM_FOCUSABLE;

const TreeCase kTrees[] = {
    {"welcome",
     PageWelcome,
     false,
     true,
     {{ElemMinimize, L"最小化", kPush, kFocusable, L""},
      {ElemClose, L"关闭", kPush, kFocusable, L""},
      {ElemInstall, L"快速安装", kPush, kFocusable, L""},
      {ElemAgree, L"我已阅读并同意《用户许可协议》", ROLE_SYSTEM_CHECKBUTTON, kFocusable | STATE_SYSTEM_CHECKED, L""},
      {ElemLicenseLink, L"《用户许可协议》", ROLE_SYSTEM_LINK, kFocusable | STATE_SYSTEM_LINKED, L""},
      {ElemCustomToggle, L"自定义安装", kPush, kFocusable | STATE_SYSTEM_COLLAPSED, L""}}},
    {"welcome with the panel, agreement unticked",
     PageWelcome,
     true,
     false,
     {{ElemMinimize, L"最小化", kPush, kFocusable, L""},
      {ElemClose, L"关闭", kPush, kFocusable, L""},
      {ElemInstall, L"快速安装", kPush, kFocusable | STATE_SYSTEM_UNAVAILABLE, L""},
      {ItemDirEdit, L"安装位置", ROLE_SYSTEM_TEXT, kFocusable, L"C:\\Kesto"},
      {ElemChangeDir, L"更改", kPush, kFocusable, L""},
      {ElemOptDesktop, L"桌面快捷方式", ROLE_SYSTEM_CHECKBUTTON, kFocusable | STATE_SYSTEM_CHECKED, L""},
      {ElemOptStartMenu, L"添加到开始菜单", ROLE_SYSTEM_CHECKBUTTON, kFocusable | STATE_SYSTEM_CHECKED, L""},
      {ElemOptAutoStart, L"开机自动启动", ROLE_SYSTEM_CHECKBUTTON, kFocusable, L""},
      {ElemAgree, L"我已阅读并同意《用户许可协议》", ROLE_SYSTEM_CHECKBUTTON, kFocusable, L""},
      {ElemLicenseLink, L"《用户许可协议》", ROLE_SYSTEM_LINK, kFocusable | STATE_SYSTEM_LINKED, L""},
      {ElemCustomToggle, L"自定义安装", kPush, kFocusable | STATE_SYSTEM_EXPANDED, L""}}},
    {"installing",
     PageInstalling,
     false,
     true,
     {{ElemMinimize, L"最小化", kPush, kFocusable, L""},
      {ElemClose, L"关闭", kPush, kFocusable, L""},
      {ItemStatusLine, L"正在复制 notes.exe", ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY, L""},
      {ItemProgressBar, L"安装进度", ROLE_SYSTEM_PROGRESSBAR, STATE_SYSTEM_READONLY, L"45%"}}},
    {"finished",
     PageFinished,
     false,
     true,
     {{ElemMinimize, L"最小化", kPush, kFocusable, L""},
      {ElemClose, L"关闭", kPush, kFocusable, L""},
      {ElemLaunch, L"立即体验", kPush, kFocusable, L""}}},
};

TEST_F(AccessibilityTest, EveryPageListsItsLiveItemsInReadingOrder) {
    KSUiSetDir(L"C:\\Kesto");
    KSUiSetStatus(L"正在复制 notes.exe");
    KSUiSetProgress(450);
    const float scale = g_State.WindowScale;
    POINT origin = {0, 0};
    ClientToScreen(window_, &origin);
    for (const TreeCase &c : kTrees) {
        SCOPED_TRACE(c.name);
        ShowPage(c.page, c.panelOpen);
        g_State.Options[OptionAgree - 1] = c.agree ? 1 : 0;

        EXPECT_EQ(ROLE_SYSTEM_CLIENT, Role(CHILDID_SELF));
        ASSERT_EQ(static_cast<long>(c.rows.size()), ChildCount());
        for (size_t i = 0; i < c.rows.size(); ++i) {
            const TreeRow &row = c.rows[i];
            const LONG child = static_cast<LONG>(i + 1);
            SCOPED_TRACE(::testing::Message() << "child " << child);
            EXPECT_EQ(row.name, Name(child));
            EXPECT_EQ(row.role, Role(child));
            EXPECT_EQ(row.state, State(child) & ~(STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HOTTRACKED));
            EXPECT_EQ(row.value, Value(child));

            // The location is the item's rectangle in screen pixels, and a
            // reader that hits its middle finds the same child.
            const D2D1_RECT_F r = ItemRect(row.item);
            long x = 0, y = 0, w = 0, h = 0;
            ASSERT_EQ(S_OK, acc_->accLocation(&x, &y, &w, &h, Child(child)));
            EXPECT_NEAR(origin.x + r.left * scale, x, 1.0);
            EXPECT_NEAR(origin.y + r.top * scale, y, 1.0);
            EXPECT_NEAR((r.right - r.left) * scale, w, 1.0);
            EXPECT_NEAR((r.bottom - r.top) * scale, h, 1.0);
            bool isObject = false;
            const LONG hit = HitChild(x + w / 2, y + h / 2, &isObject);
            if (row.item == ItemDirEdit)
                EXPECT_TRUE(isObject || hit == child);
            else
                EXPECT_EQ(child, hit);
        }
        bool isObject = false;
        EXPECT_EQ(CHILDID_SELF, HitChild(origin.x + 5, origin.y + 300, &isObject)) << "empty hero area";
        EXPECT_EQ(-1, HitChild(-5000, -5000, &isObject)) << "outside the window";
        KSUiSetState(PageWelcome);
        if (g_State.CustomPanelOpen)
            Click(window_, ElementCentre(ElemCustomToggle).x, ElementCentre(ElemCustomToggle).y);
        g_State.Options[OptionAgree - 1] = 1;
    }
}

TEST_F(AccessibilityTest, NavigationWalksTheChildrenAndStopsAtTheEnds) {
    const long n = ChildCount();
    ASSERT_EQ(6, n);
    VARIANT v;
    ASSERT_EQ(S_OK, acc_->accNavigate(NAVDIR_FIRSTCHILD, Child(CHILDID_SELF), &v));
    EXPECT_EQ(1, NumberOf(S_OK, v));
    ASSERT_EQ(S_OK, acc_->accNavigate(NAVDIR_LASTCHILD, Child(CHILDID_SELF), &v));
    EXPECT_EQ(n, NumberOf(S_OK, v));
    for (LONG child = 1; child < n; ++child) {
        ASSERT_EQ(S_OK, acc_->accNavigate(NAVDIR_NEXT, Child(child), &v));
        EXPECT_EQ(child + 1, NumberOf(S_OK, v));
        ASSERT_EQ(S_OK, acc_->accNavigate(NAVDIR_PREVIOUS, Child(child + 1), &v));
        EXPECT_EQ(child, NumberOf(S_OK, v));
    }
    EXPECT_EQ(S_FALSE, acc_->accNavigate(NAVDIR_NEXT, Child(n), &v));
    EXPECT_EQ(VT_EMPTY, v.vt);
    EXPECT_EQ(S_FALSE, acc_->accNavigate(NAVDIR_PREVIOUS, Child(1), &v));
    EXPECT_EQ(E_INVALIDARG, acc_->accNavigate(NAVDIR_FIRSTCHILD, Child(1), &v));
    EXPECT_EQ(E_INVALIDARG, acc_->accNavigate(12345, Child(1), &v));
}

TEST_F(AccessibilityTest, TheEditBoxIsItsOwnObjectInItsPlace) {
    ShowPage(PageWelcome, true);
    const LONG child = 4; // after the title buttons and the install button
    ASSERT_EQ(ROLE_SYSTEM_TEXT, Role(child));
    IDispatch *edit = nullptr;
    ASSERT_EQ(S_OK, acc_->get_accChild(Child(child), &edit));
    ASSERT_TRUE(edit);
    IAccessible *editAcc = nullptr;
    ASSERT_EQ(S_OK, edit->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void **>(&editAcc)));
    // It is the EDIT's own object: its window is the EDIT control.
    HWND found = nullptr;
    EXPECT_EQ(S_OK, WindowFromAccessibleObject(editAcc, &found));
    EXPECT_EQ(GetDlgItem(window_, kDirEditId), found);
    ReleaseAndNull(editAcc);
    ReleaseAndNull(edit);
    // Simple children have no object of their own.
    EXPECT_EQ(S_FALSE, acc_->get_accChild(Child(1), &edit));
    EXPECT_EQ(nullptr, edit);
}

TEST_F(AccessibilityTest, BadChildIdsAndNullPointersAreRefused) {
    const LONG bad[] = {-1, 7, 100000, LONG(0x80000000)};
    for (LONG child : bad) {
        SCOPED_TRACE(child);
        BSTR text = reinterpret_cast<BSTR>(1);
        EXPECT_EQ(E_INVALIDARG, acc_->get_accName(Child(child), &text));
        EXPECT_EQ(nullptr, text);
        VARIANT v;
        EXPECT_EQ(E_INVALIDARG, acc_->get_accRole(Child(child), &v));
        EXPECT_EQ(E_INVALIDARG, acc_->accDoDefaultAction(Child(child)));
        long x, y, w, h;
        EXPECT_EQ(E_INVALIDARG, acc_->accLocation(&x, &y, &w, &h, Child(child)));
    }
    VARIANT notAnId;
    VariantInit(&notAnId);
    notAnId.vt = VT_BSTR;
    notAnId.bstrVal = nullptr;
    BSTR text = nullptr;
    EXPECT_EQ(E_INVALIDARG, acc_->get_accName(notAnId, &text));
    EXPECT_EQ(E_POINTER, acc_->get_accName(Child(1), nullptr));
    EXPECT_EQ(E_POINTER, acc_->get_accRole(Child(1), nullptr));
    EXPECT_EQ(E_POINTER, acc_->get_accChildCount(nullptr));
    EXPECT_EQ(E_POINTER, acc_->accLocation(nullptr, nullptr, nullptr, nullptr, Child(1)));
    EXPECT_EQ(E_POINTER, acc_->accHitTest(0, 0, nullptr));
    EXPECT_EQ(E_POINTER, acc_->accNavigate(NAVDIR_NEXT, Child(1), nullptr));
    EXPECT_EQ(E_POINTER, acc_->get_accFocus(nullptr));
}

TEST_F(AccessibilityTest, VeryLongStatusIsNamedAsFarAsItIsPainted) {
    KSUiSetState(PageInstalling);
    KSUiSetStatus(std::wstring(200000, L'字').c_str());
    EXPECT_EQ(std::wstring(1024, L'字'), Name(3));
}

TEST_F(AccessibilityTest, OtherObjectIdsGoToTheHost) {
    Received().clear();
    SendMessageW(window_, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_WINDOW));
    SendMessageW(window_, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CARET));
    EXPECT_EQ(2, CountReceived(WM_GETOBJECT));
    SendMessageW(window_, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    EXPECT_EQ(2, CountReceived(WM_GETOBJECT));
}

// --- Default action ---

struct ActionCase {
    const char *name;
    int page;
    bool panelOpen;
    bool agree;
    int element;
    HRESULT result;
    std::vector<int> actions;
    std::vector<int> options; // OptionAgree .. OptionAutoStart afterwards
};

const ActionCase kActions[] = {
    {"close", PageWelcome, false, true, ElemClose, S_OK, {ActionClose}, {1, 1, 1, 0}},
    {"install", PageWelcome, false, true, ElemInstall, S_OK, {ActionInstall}, {1, 1, 1, 0}},
    {"install refused while unticked", PageWelcome, false, false, ElemInstall, E_ACCESSDENIED, {}, {0, 1, 1, 0}},
    {"agreement", PageWelcome, false, true, ElemAgree, S_OK, {}, {0, 1, 1, 0}},
    {"licence link", PageWelcome, false, true, ElemLicenseLink, S_OK, {ActionShowLicense}, {1, 1, 1, 0}},
    {"change directory", PageWelcome, true, true, ElemChangeDir, S_OK, {ActionChangeDir}, {1, 1, 1, 0}},
    {"start at boot", PageWelcome, true, true, ElemOptAutoStart, S_OK, {}, {1, 1, 1, 1}},
    {"launch", PageFinished, false, true, ElemLaunch, S_OK, {ActionLaunch}, {1, 1, 1, 0}},
};

std::vector<int> OptionsNow() {
    return {KSUiGetOption(1), KSUiGetOption(2), KSUiGetOption(3), KSUiGetOption(4)};
}

TEST_F(AccessibilityTest, DefaultActionDoesWhatAClickDoes) {
    for (const ActionCase &c : kActions) {
        SCOPED_TRACE(c.name);
        for (bool byReader : {false, true}) {
            SCOPED_TRACE(byReader ? "default action" : "click");
            ShowPage(c.page, c.panelOpen);
            const int defaults[4] = {c.agree ? 1 : 0, 1, 1, 0};
            std::copy(defaults, defaults + 4, g_State.Options);
            if (byReader) {
                int items[kReadingItemCount];
                const int n = ReadingOrder(items);
                const LONG child = static_cast<LONG>(std::find(items, items + n, c.element) - items) + 1;
                EXPECT_EQ(c.result, acc_->accDoDefaultAction(Child(child)));
                Pump(50); // the action arrives as a posted message
            } else {
                Click(window_, ElementCentre(c.element).x, ElementCentre(c.element).y);
            }
            EXPECT_EQ(c.actions, Actions());
            EXPECT_EQ(c.options, OptionsNow());
            KSUiSetState(PageWelcome);
            if (g_State.CustomPanelOpen)
                Click(window_, ElementCentre(ElemCustomToggle).x, ElementCentre(ElemCustomToggle).y);
        }
    }
}

TEST_F(AccessibilityTest, DefaultActionOnThePanelToggleOpensThePanel) {
    EXPECT_EQ(S_OK, acc_->accDoDefaultAction(Child(6)));
    Pump(50);
    EXPECT_TRUE(g_State.CustomPanelOpen);
    EXPECT_EQ(STATE_SYSTEM_EXPANDED, State(11) & STATE_SYSTEM_EXPANDED);
    // Static text and the client area itself have no default action.
    KSUiSetState(PageInstalling);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, acc_->accDoDefaultAction(Child(3)));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, acc_->accDoDefaultAction(Child(CHILDID_SELF)));
}

// --- Events ---

struct SeenEvent {
    DWORD event;
    LONG child;
};
std::vector<SeenEvent> g_Events;
HWND g_EventWindow = nullptr;

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window == g_EventWindow && object == OBJID_CLIENT)
        g_Events.push_back({event, child});
}

struct EventCase {
    const char *name;
    std::function<void(HWND)> act;
    std::vector<SeenEvent> expected; // in order, among the events of these kinds
};

void PostKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 1 | (3u << 30));
}

const EventCase kEvents[] = {
    {"ticking the agreement off",
     [](HWND w) { Click(w, ElementCentre(ElemAgree).x, ElementCentre(ElemAgree).y); },
     {{EVENT_OBJECT_STATECHANGE, 4}, {EVENT_OBJECT_STATECHANGE, 3}}},
    {"and on again",
     [](HWND w) { Click(w, ElementCentre(ElemAgree).x, ElementCentre(ElemAgree).y); },
     {{EVENT_OBJECT_STATECHANGE, 4}, {EVENT_OBJECT_STATECHANGE, 3}}},
    {"first Tab", [](HWND w) { PostKey(w, VK_TAB); }, {{EVENT_OBJECT_FOCUS, 1}}},
    {"second Tab", [](HWND w) { PostKey(w, VK_TAB); }, {{EVENT_OBJECT_FOCUS, 2}}},
    {"opening the panel",
     [](HWND w) { Click(w, ElementCentre(ElemCustomToggle).x, ElementCentre(ElemCustomToggle).y); },
     {{EVENT_OBJECT_REORDER, CHILDID_SELF}, {EVENT_OBJECT_STATECHANGE, 11}}},
    {"an option", [](HWND w) { Click(w, ElementCentre(ElemOptDesktop).x, ElementCentre(ElemOptDesktop).y); },
     {{EVENT_OBJECT_STATECHANGE, 6}}},
    {"page change", [](HWND) { KSUiSetState(PageInstalling); }, {{EVENT_OBJECT_REORDER, CHILDID_SELF}}},
    {"status", [](HWND) { KSUiSetStatus(L"正在复制 a.dll"); }, {{EVENT_OBJECT_NAMECHANGE, 3}}},
    {"same status again", [](HWND) { KSUiSetStatus(L"正在复制 a.dll"); }, {}},
    {"progress to 45%", [](HWND) { KSUiSetProgress(450); }, {{EVENT_OBJECT_VALUECHANGE, 4}}},
    {"progress within the same percent",
     [](HWND) {
         KSUiSetProgress(451);
         KSUiSetProgress(454);
     },
     {}},
    {"progress over many percents at once",
     [](HWND) {
         KSUiSetProgress(455);
         KSUiSetProgress(470);
     },
     {{EVENT_OBJECT_VALUECHANGE, 4}, {EVENT_OBJECT_VALUECHANGE, 4}}},
    {"finished page", [](HWND) { KSUiSetState(PageFinished); }, {{EVENT_OBJECT_REORDER, CHILDID_SELF}}},
    // Another language renames every element of the page.
    {"English", [](HWND) { KSUiSetLanguage(L"en-US"); },
     {{EVENT_OBJECT_NAMECHANGE, 1}, {EVENT_OBJECT_NAMECHANGE, 2}, {EVENT_OBJECT_NAMECHANGE, 3}}},
    {"and Chinese again", [](HWND) { KSUiSetLanguage(L"zh-CN"); },
     {{EVENT_OBJECT_NAMECHANGE, 1}, {EVENT_OBJECT_NAMECHANGE, 2}, {EVENT_OBJECT_NAMECHANGE, 3}}},
};

TEST_F(AccessibilityTest, AWinEventHookHearsEveryKindOfChange) {
    g_EventWindow = window_;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, RecordEvent, GetCurrentProcessId(), 0,
                                         WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    SetFocus(window_);
    const DWORD kinds[] = {EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_FOCUS, EVENT_OBJECT_REORDER,
                           EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE};
    for (const EventCase &c : kEvents) {
        SCOPED_TRACE(c.name);
        Pump(30);
        g_Events.clear();
        c.act(window_);
        Pump(100); // out-of-context events arrive through this thread's queue
        std::vector<std::pair<DWORD, LONG>> seen, expected;
        for (const SeenEvent &e : g_Events)
            if (std::find(std::begin(kinds), std::end(kinds), e.event) != std::end(kinds))
                seen.push_back({e.event, e.child});
        for (const SeenEvent &e : c.expected)
            expected.push_back({e.event, e.child});
        EXPECT_EQ(expected, seen);
    }
    UnhookWinEvent(hook);
}

// --- Lifetime ---

TEST_F(AccessibilityTest, AnObjectHeldAcrossDetachAnswersNotConnected) {
    KSUiDetach();
    BSTR text = nullptr;
    VARIANT v;
    long n = 0, x = 0, y = 0, w = 0, h = 0;
    IDispatch *dispatch = nullptr;
    const HRESULT answers[] = {
        acc_->get_accName(Child(1), &text),
        acc_->get_accRole(Child(1), &v),
        acc_->get_accState(Child(CHILDID_SELF), &v),
        acc_->get_accChildCount(&n),
        acc_->get_accChild(Child(1), &dispatch),
        acc_->get_accParent(&dispatch),
        acc_->get_accValue(Child(1), &text),
        acc_->get_accFocus(&v),
        acc_->accLocation(&x, &y, &w, &h, Child(1)),
        acc_->accHitTest(0, 0, &v),
        acc_->accNavigate(NAVDIR_NEXT, Child(1), &v),
        acc_->accDoDefaultAction(Child(2)),
        acc_->accSelect(SELFLAG_TAKEFOCUS, Child(1)),
        acc_->get_accDefaultAction(Child(1), &text),
    };
    for (HRESULT hr : answers)
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, hr);
    Pump(50);
    EXPECT_TRUE(Actions().empty());

    // Still so after the window is gone and the engine is attached elsewhere.
    DestroyWindow(window_);
    window_ = CreateHostWindow();
    ASSERT_EQ(1, KSUiAttach(window_, RecordAction));
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, acc_->get_accChildCount(&n));
    IAccessible *fresh = nullptr;
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(window_, OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void **>(&fresh)));
    EXPECT_EQ(S_OK, fresh->get_accChildCount(&n));
    EXPECT_EQ(6, n);
    ReleaseAndNull(fresh);
}

TEST_F(AccessibilityTest, AnObjectHeldWhenTheHostDestroysItsWindowAnswersNotConnected) {
    DestroyWindow(window_);
    window_ = nullptr;
    long n = 0;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, acc_->get_accChildCount(&n));
}

} // namespace

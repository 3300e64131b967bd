// UI Automation on a real attached window under Wine 8: every page's elements
// as a client reads them through the node API; control patterns, rectangles
// and focus through the provider's own interfaces (Wine 8's pattern functions
// are stubs and its UiaGetPropertyValue has no BoundingRectangle); events and
// announcements through a seam (Wine 8 delivers none); elements a client
// keeps across a detach.
#include "tests/host/test_host.h"
#include "tests/host/uia_client.h"

#include "KestoUIEngine.h"
#include "geometry/reading_order.h"
#include "state/seams.h"
#include "window/accessibility.h"
#include "window/keyboard_focus.h"
#include "window/uia_api.h"
#include "window/uia_provider.h"

#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace TestHost;

// --- What the seam hears ---

struct Raised {
    int event;
    int item;
    int property;
    std::wstring text;
    bool operator==(const Raised &o) const {
        return event == o.event && item == o.item && property == o.property && text == o.text;
    }
};

std::vector<Raised> g_Raised;

void RecordRaised(int event, int item, int property, const wchar_t *text) {
    g_Raised.push_back({event, item, property, text ? text : L""});
}

// Stand-ins for what Wine 8 lacks, or has as a stub that ends the process.
HRESULT WINAPI AcceptNotification(IRawElementProviderSimple *provider, int, int, BSTR text, BSTR activity) {
    return provider && text && activity ? S_OK : E_INVALIDARG;
}

HRESULT WINAPI AcceptStructureChange(IRawElementProviderSimple *provider, int change, int *, int) {
    return provider && change == UiaChildrenInvalidated ? S_OK : E_INVALIDARG;
}

std::ostream &operator<<(std::ostream &os, const Raised &r) {
    os << "{event " << r.event << ", item " << r.item << ", property " << r.property << ", text of "
       << r.text.size() << "}";
    return os;
}

constexpr int kProperty = kUiaPropertyChangedEvent;
constexpr int kStructure = kUiaStructureChangedEvent;
constexpr int kFocus = kUiaFocusChangedEvent;
constexpr int kNotification = kUiaNotificationEvent;
constexpr int kLiveRegion = kUiaLiveRegionChangedEvent;

// A clock that moves only when the test says so.
ULONGLONG g_Now = 0;
ULONGLONG FakeNow() { return g_Now; }

void PostKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 1 | (3u << 30));
}

void ClickElement(HWND window, int element) { Click(window, ElementCentre(element).x, ElementCentre(element).y); }

std::vector<int> OptionsNow() {
    return {KSUiGetOption(1), KSUiGetOption(2), KSUiGetOption(3), KSUiGetOption(4)};
}

// The engine's own provider of an item, as one of its interfaces.
template <class I> I *Interface(int item) {
    IRawElementProviderSimple *simple = UiaProvider(item);
    I *out = nullptr;
    if (simple)
        simple->QueryInterface(__uuidof(I), reinterpret_cast<void **>(&out));
    return out;
}

// A pattern as a client gets it: through GetPatternProvider.
template <class I> I *Pattern(int item, PATTERNID pattern) {
    IRawElementProviderSimple *simple = UiaProvider(item);
    IUnknown *unknown = nullptr;
    if (!simple || FAILED(simple->GetPatternProvider(pattern, &unknown)) || !unknown)
        return nullptr;
    I *out = nullptr;
    unknown->QueryInterface(__uuidof(I), reinterpret_cast<void **>(&out));
    unknown->Release();
    return out;
}

class UiaTest : public AttachedTest {
  protected:
    void SetUp() override {
        SetCursorPos(0, 0); // no hover from the real pointer
        g_Raised.clear();
        TestSeams::UiaEventRaised = RecordRaised;
        TestSeams::UiaRaiseNotification = AcceptNotification;
        TestSeams::UiaRaiseStructureChanged = AcceptStructureChange;
        AttachedTest::SetUp();
        ASSERT_TRUE(UiaClient::Available());
        root_ = Connect(window_);
        ASSERT_TRUE(root_);
        ASSERT_TRUE(UiaProvider(0));
    }
    void TearDown() override {
        UiaClient::Node root = root_;
        UiaClient::OffThread([root] { UiaClient::Release(root); });
        root_ = nullptr;
        AttachedTest::TearDown();
        TestSeams::UiaEventRaised = nullptr;
        TestSeams::UiaRaiseNotification = nullptr;
        TestSeams::UiaRaiseStructureChanged = nullptr;
        TestSeams::TickSource = nullptr;
    }

    // A client asks the window for its element, as Narrator does when the
    // window comes to the front.
    static UiaClient::Node Connect(HWND window) {
        UiaClient::Node node = nullptr;
        UiaClient::OffThread([&] { node = UiaClient::FromWindow(window); });
        return node;
    }

    void ShowPage(int page, bool panelOpen, bool agree = true) {
        KSUiSetState(page);
        if (panelOpen != g_State.CustomPanelOpen)
            ClickElement(window_, ElemCustomToggle);
        g_State.Options[OptionAgree - 1] = agree ? 1 : 0;
        Pump(30);
        Actions().clear();
        g_Raised.clear();
    }

    UiaClient::Node root_ = nullptr;
};

// --- Every page, as a client reads it ---

struct ElementRow {
    int item;
    CONTROLTYPEID type;
    const wchar_t *name;
    const wchar_t *automationId;
    bool enabled;
};

struct PageCase {
    const char *name;
    int page;
    bool panelOpen;
    bool agree;
    std::vector<ElementRow> rows;
};

const PageCase kPages[] = {
    {"welcome",
     PageWelcome,
     false,
     true,
     {{ElemMinimize, kUiaButton, L"最小化", L"Minimize", true},
      {ElemClose, kUiaButton, L"关闭", L"Close", true},
      {ElemInstall, kUiaButton, L"快速安装", L"QuickInstall", true},
      {ElemAgree, kUiaCheckBox, L"我已阅读并同意《用户许可协议》", L"Agreement", true},
      {ElemLicenseLink, kUiaHyperlink, L"《用户许可协议》", L"LicenseLink", true},
      {ElemCustomToggle, kUiaButton, L"自定义安装", L"CustomInstall", true}}},
    {"welcome with the panel, agreement unticked",
     PageWelcome,
     true,
     false,
     {{ElemMinimize, kUiaButton, L"最小化", L"Minimize", true},
      {ElemClose, kUiaButton, L"关闭", L"Close", true},
      {ElemInstall, kUiaButton, L"快速安装", L"QuickInstall", false},
      {ItemDirEdit, kUiaEdit, L"安装位置", L"InstallDir", true},
      {ElemChangeDir, kUiaButton, L"更改", L"ChangeDir", true},
      {ElemOptDesktop, kUiaCheckBox, L"桌面快捷方式", L"DesktopShortcut", true},
      {ElemOptStartMenu, kUiaCheckBox, L"添加到开始菜单", L"StartMenu", true},
      {ElemOptAutoStart, kUiaCheckBox, L"开机自动启动", L"AutoStart", true},
      {ElemAgree, kUiaCheckBox, L"我已阅读并同意《用户许可协议》", L"Agreement", true},
      {ElemLicenseLink, kUiaHyperlink, L"《用户许可协议》", L"LicenseLink", true},
      {ElemCustomToggle, kUiaButton, L"自定义安装", L"CustomInstall", true}}},
    {"installing",
     PageInstalling,
     false,
     true,
     {{ElemMinimize, kUiaButton, L"最小化", L"Minimize", true},
      {ElemClose, kUiaButton, L"关闭", L"Close", true},
      {ItemStatusLine, kUiaText, L"正在复制 notes.exe", L"InstallStatus", true},
      {ItemProgressBar, kUiaProgressBar, L"安装进度", L"InstallProgress", true}}},
    {"finished",
     PageFinished,
     false,
     true,
     {{ElemMinimize, kUiaButton, L"最小化", L"Minimize", true},
      {ElemClose, kUiaButton, L"关闭", L"Close", true},
      {ElemLaunch, kUiaButton, L"立即体验", L"Launch", true}}},
};

struct SeenElement {
    std::wstring name, automationId;
    int type, live;
    bool enabled, focusable, offscreen;
};

std::vector<SeenElement> ReadChildren(UiaClient::Node root) {
    std::vector<SeenElement> seen;
    UiaClient::OffThread([&] {
        using namespace UiaClient;
        for (Node node = FirstChild(root); node && seen.size() < 32;) {
            seen.push_back({Text(node, UIA_NamePropertyId), Text(node, UIA_AutomationIdPropertyId),
                            Int(node, UIA_ControlTypePropertyId), Int(node, UIA_LiveSettingPropertyId),
                            Bool(node, UIA_IsEnabledPropertyId), Bool(node, UIA_IsKeyboardFocusablePropertyId),
                            Bool(node, UIA_IsOffscreenPropertyId)});
            Node next = NextSibling(node);
            Release(node);
            node = next;
        }
    });
    return seen;
}

TEST_F(UiaTest, EveryPageListsItsElementsInReadingOrderWithTheirIdsAndRectangles) {
    KSUiSetDir(L"C:\\Kesto");
    KSUiSetStatus(L"正在复制 notes.exe");
    KSUiSetProgress(450);
    const float scale = g_State.WindowScale;
    POINT origin = {0, 0};
    ClientToScreen(window_, &origin);
    IRawElementProviderFragmentRoot *fragmentRoot = Interface<IRawElementProviderFragmentRoot>(0);
    IRawElementProviderFragment *rootFragment = Interface<IRawElementProviderFragment>(0);
    ASSERT_TRUE(fragmentRoot && rootFragment);
    for (const PageCase &c : kPages) {
        SCOPED_TRACE(c.name);
        ShowPage(c.page, c.panelOpen, c.agree);
        const std::vector<SeenElement> seen = ReadChildren(root_);
        ASSERT_EQ(c.rows.size(), seen.size());
        for (size_t i = 0; i < c.rows.size(); ++i) {
            const ElementRow &row = c.rows[i];
            SCOPED_TRACE(::testing::Message() << "element " << i);
            EXPECT_EQ(row.name, seen[i].name);
            EXPECT_EQ(row.type, seen[i].type);
            EXPECT_EQ(row.automationId, seen[i].automationId);
            EXPECT_EQ(row.enabled, seen[i].enabled);
            EXPECT_EQ(ItemFocusable(row.item), seen[i].focusable);
            EXPECT_FALSE(seen[i].offscreen);
            EXPECT_EQ(row.item == ItemStatusLine ? UiaLivePolite : UiaLiveOff, seen[i].live);

            // The rectangle is the item's hit-testing rectangle in screen
            // pixels, and the root finds the same element at its middle.
            IRawElementProviderFragment *fragment = Interface<IRawElementProviderFragment>(row.item);
            ASSERT_TRUE(fragment);
            UiaRect r = {};
            ASSERT_EQ(S_OK, fragment->get_BoundingRectangle(&r));
            const D2D1_RECT_F d = ItemRect(row.item);
            EXPECT_NEAR(origin.x + d.left * scale, r.left, 1.0);
            EXPECT_NEAR(origin.y + d.top * scale, r.top, 1.0);
            EXPECT_NEAR((d.right - d.left) * scale, r.width, 1.0);
            EXPECT_NEAR((d.bottom - d.top) * scale, r.height, 1.0);
            IRawElementProviderFragment *hit = nullptr;
            ASSERT_EQ(S_OK, fragmentRoot->ElementProviderFromPoint(r.left + r.width / 2, r.top + r.height / 2, &hit));
            EXPECT_EQ(fragment, hit);
            ReleaseAndNull(hit);
            ReleaseAndNull(fragment);
        }
        // The hero area is the root itself; outside the window there is nothing.
        IRawElementProviderFragment *hit = nullptr;
        ASSERT_EQ(S_OK, fragmentRoot->ElementProviderFromPoint(origin.x + 5, origin.y + 300, &hit));
        EXPECT_EQ(rootFragment, hit);
        ReleaseAndNull(hit);
        ASSERT_EQ(S_OK, fragmentRoot->ElementProviderFromPoint(-5000, -5000, &hit));
        EXPECT_EQ(nullptr, hit);
    }
    ReleaseAndNull(rootFragment);
    ReleaseAndNull(fragmentRoot);
}

// Elements read the MSAA tree's texts in the chosen language, and stand where
// the MSAA children stand: in the mirrored places of a right-to-left canvas.
TEST_F(UiaTest, ElementsSpeakTheChosenLanguageAndStandInTheMirroredPlaces) {
    const struct {
        const wchar_t *tag;
        const wchar_t *install; // what the install button is called
    } cases[] = {{L"en-US", L"Quick install"}, {L"ar", L"تثبيت سريع"}, {L"zh-CN", L"快速安装"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << "language " << c.install);
        ASSERT_EQ(1, KSUiSetLanguage(c.tag));
        ShowPage(PageWelcome, true);
        IAccessible *acc = nullptr;
        ASSERT_EQ(S_OK, AccessibleObjectFromWindow(window_, OBJID_CLIENT, __uuidof(IAccessible),
                                                   reinterpret_cast<void **>(&acc)));
        const std::vector<SeenElement> seen = ReadChildren(root_);
        int items[kReadingItemCount];
        const int n = ReadingOrder(items);
        ASSERT_EQ(static_cast<size_t>(n), seen.size());
        for (int i = 0; i < n; ++i) {
            SCOPED_TRACE(::testing::Message() << "item " << items[i]);
            VARIANT child;
            VariantInit(&child);
            child.vt = VT_I4;
            child.lVal = i + 1;
            BSTR name = nullptr;
            ASSERT_EQ(S_OK, acc->get_accName(child, &name));
            EXPECT_EQ(std::wstring(name, SysStringLen(name)), seen[i].name);
            SysFreeString(name);
            long x = 0, y = 0, w = 0, h = 0;
            ASSERT_EQ(S_OK, acc->accLocation(&x, &y, &w, &h, child));
            IRawElementProviderFragment *fragment = Interface<IRawElementProviderFragment>(items[i]);
            ASSERT_TRUE(fragment);
            UiaRect r = {};
            ASSERT_EQ(S_OK, fragment->get_BoundingRectangle(&r));
            EXPECT_EQ(double(x), r.left);
            EXPECT_EQ(double(y), r.top);
            EXPECT_EQ(double(w), r.width);
            EXPECT_EQ(double(h), r.height);
            ReleaseAndNull(fragment);
        }
        EXPECT_EQ(c.install, ItemName(ElemInstall));
        // The title button read first stands at the leading end.
        IRawElementProviderFragment *minimize = Interface<IRawElementProviderFragment>(ElemMinimize);
        IRawElementProviderFragment *close = Interface<IRawElementProviderFragment>(ElemClose);
        UiaRect minimizeRect = {}, closeRect = {};
        ASSERT_EQ(S_OK, minimize->get_BoundingRectangle(&minimizeRect));
        ASSERT_EQ(S_OK, close->get_BoundingRectangle(&closeRect));
        EXPECT_EQ(g_State.RightToLeft, minimizeRect.left > closeRect.left);
        ReleaseAndNull(minimize);
        ReleaseAndNull(close);
        ReleaseAndNull(acc);
    }
}

TEST_F(UiaTest, TheDirectoryBoxIsTheRealEditThroughItsWindowsProvider) {
    ShowPage(PageWelcome, true);
    IRawElementProviderSimple *host = nullptr;
    ASSERT_EQ(S_OK, UiaProvider(ItemDirEdit)->get_HostRawElementProvider(&host));
    ASSERT_TRUE(host);
    VARIANT handle;
    VariantInit(&handle);
    EXPECT_EQ(S_OK, host->GetPropertyValue(UIA_NativeWindowHandlePropertyId, &handle));
    EXPECT_EQ(VT_I4, handle.vt);
    EXPECT_EQ(GetDlgItem(window_, kDirEditId), reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle.lVal)));
    ReleaseAndNull(host);
    // The painted elements have no window of their own.
    EXPECT_EQ(S_OK, UiaProvider(ElemClose)->get_HostRawElementProvider(&host));
    EXPECT_EQ(nullptr, host);
}

TEST_F(UiaTest, KeyboardFocusIsWhereTheFocusCueIs) {
    SetFocus(window_);
    IRawElementProviderFragmentRoot *fragmentRoot = Interface<IRawElementProviderFragmentRoot>(0);
    ASSERT_TRUE(fragmentRoot);
    IRawElementProviderFragment *focused = nullptr;
    ASSERT_EQ(S_OK, fragmentRoot->GetFocus(&focused));
    EXPECT_EQ(nullptr, focused) << "nothing before the first Tab";
    PostKey(window_, VK_TAB);
    PostKey(window_, VK_TAB);
    Pump(50);
    ASSERT_EQ(S_OK, fragmentRoot->GetFocus(&focused));
    IRawElementProviderFragment *close = Interface<IRawElementProviderFragment>(ElemClose);
    EXPECT_EQ(close, focused);
    bool hasFocus = false, minimizeHasFocus = true;
    UiaClient::OffThread([&] {
        UiaClient::Node minimize = UiaClient::FirstChild(root_);
        UiaClient::Node next = UiaClient::NextSibling(minimize);
        minimizeHasFocus = UiaClient::Bool(minimize, UIA_HasKeyboardFocusPropertyId);
        hasFocus = UiaClient::Bool(next, UIA_HasKeyboardFocusPropertyId);
        UiaClient::Release(minimize);
        UiaClient::Release(next);
    });
    EXPECT_TRUE(hasFocus);
    EXPECT_FALSE(minimizeHasFocus);
    // A client moves the focus too, and the status line takes none.
    IRawElementProviderFragment *install = Interface<IRawElementProviderFragment>(ElemInstall);
    EXPECT_EQ(S_OK, install->SetFocus());
    EXPECT_EQ(ElemInstall, KeyboardFocusItem());
    ReleaseAndNull(install);
    KSUiSetState(PageInstalling);
    IRawElementProviderFragment *status = Interface<IRawElementProviderFragment>(ItemStatusLine);
    EXPECT_EQ(kUiaInvalidOperation, status->SetFocus());
    ReleaseAndNull(status);
    ReleaseAndNull(close);
    ReleaseAndNull(focused);
    ReleaseAndNull(fragmentRoot);
}

// --- Control patterns do what a click does ---

enum class Use { Invoke, Toggle, Expand, Collapse };

struct PatternCase {
    const char *name;
    int page;
    bool panelOpen;
    bool agree;
    int item;
    Use use;
    HRESULT result;
    std::vector<int> actions;
    std::vector<int> options; // OptionAgree .. OptionAutoStart afterwards
    bool panelAfter;
};

const PatternCase kPatterns[] = {
    {"close", PageWelcome, false, true, ElemClose, Use::Invoke, S_OK, {ActionClose}, {1, 1, 1, 0}, false},
    {"install", PageWelcome, false, true, ElemInstall, Use::Invoke, S_OK, {ActionInstall}, {1, 1, 1, 0}, false},
    {"install refused while unticked", PageWelcome, false, false, ElemInstall, Use::Invoke, kUiaElementNotEnabled,
     {}, {0, 1, 1, 0}, false},
    {"licence link", PageWelcome, false, true, ElemLicenseLink, Use::Invoke, S_OK, {ActionShowLicense},
     {1, 1, 1, 0}, false},
    {"change directory", PageWelcome, true, true, ElemChangeDir, Use::Invoke, S_OK, {ActionChangeDir},
     {1, 1, 1, 0}, true},
    {"launch", PageFinished, false, true, ElemLaunch, Use::Invoke, S_OK, {ActionLaunch}, {1, 1, 1, 0}, false},
    {"agreement", PageWelcome, false, true, ElemAgree, Use::Toggle, S_OK, {}, {0, 1, 1, 0}, false},
    {"start at boot", PageWelcome, true, true, ElemOptAutoStart, Use::Toggle, S_OK, {}, {1, 1, 1, 1}, true},
    {"expand", PageWelcome, false, true, ElemCustomToggle, Use::Expand, S_OK, {}, {1, 1, 1, 0}, true},
    {"expand when expanded", PageWelcome, true, true, ElemCustomToggle, Use::Expand, S_OK, {}, {1, 1, 1, 0}, true},
    {"collapse", PageWelcome, true, true, ElemCustomToggle, Use::Collapse, S_OK, {}, {1, 1, 1, 0}, false},
    {"collapse when collapsed", PageWelcome, false, true, ElemCustomToggle, Use::Collapse, S_OK, {}, {1, 1, 1, 0},
     false},
    {"an element of another page", PageInstalling, false, true, ElemInstall, Use::Invoke, kUiaElementNotAvailable,
     {}, {1, 1, 1, 0}, false},
};

HRESULT UsePattern(int item, Use use) {
    HRESULT hr = E_NOINTERFACE;
    if (use == Use::Invoke) {
        IInvokeProvider *invoke = Interface<IInvokeProvider>(item);
        if (invoke) {
            hr = invoke->Invoke();
            invoke->Release();
        }
    } else if (use == Use::Toggle) {
        IToggleProvider *toggle = Interface<IToggleProvider>(item);
        if (toggle) {
            hr = toggle->Toggle();
            toggle->Release();
        }
    } else {
        IExpandCollapseProvider *expand = Interface<IExpandCollapseProvider>(item);
        if (expand) {
            hr = use == Use::Expand ? expand->Expand() : expand->Collapse();
            expand->Release();
        }
    }
    return hr;
}

TEST_F(UiaTest, PatternsDoWhatAClickDoesWithTheSameRefusal) {
    for (const PatternCase &c : kPatterns) {
        SCOPED_TRACE(c.name);
        ShowPage(c.page, c.panelOpen, c.agree);
        const int defaults[4] = {c.agree ? 1 : 0, 1, 1, 0};
        std::copy(defaults, defaults + 4, g_State.Options);
        EXPECT_EQ(c.result, UsePattern(c.item, c.use));
        EXPECT_TRUE(Actions().empty()) << "the action waits for the message loop";
        Pump(50);
        EXPECT_EQ(c.actions, Actions());
        EXPECT_EQ(c.options, OptionsNow());
        EXPECT_EQ(c.panelAfter, g_State.CustomPanelOpen);
        // What the patterns report follows.
        if (c.use == Use::Toggle) {
            IToggleProvider *toggle = Pattern<IToggleProvider>(c.item, UIA_TogglePatternId);
            ASSERT_TRUE(toggle);
            int state = -1;
            EXPECT_EQ(S_OK, toggle->get_ToggleState(&state));
            EXPECT_EQ(c.options[ItemOption(c.item) - 1] ? UiaToggleOn : UiaToggleOff, state);
            ReleaseAndNull(toggle);
        } else if (c.use != Use::Invoke) {
            IExpandCollapseProvider *expand = Pattern<IExpandCollapseProvider>(c.item, UIA_ExpandCollapsePatternId);
            ASSERT_TRUE(expand);
            int state = -1;
            EXPECT_EQ(S_OK, expand->get_ExpandCollapseState(&state));
            EXPECT_EQ(c.panelAfter ? UiaExpanded : UiaCollapsed, state);
            ReleaseAndNull(expand);
        }
        KSUiSetState(PageWelcome);
    }
}

TEST_F(UiaTest, TwoExpandsBeforeTheMessageLoopRunsOpenThePanelOnce) {
    EXPECT_EQ(S_OK, UsePattern(ElemCustomToggle, Use::Expand));
    EXPECT_EQ(S_OK, UsePattern(ElemCustomToggle, Use::Expand));
    Pump(50);
    EXPECT_TRUE(g_State.CustomPanelOpen);
}

TEST_F(UiaTest, EachElementGivesOnlyItsOwnPattern) {
    struct Row {
        int item;
        PATTERNID pattern;
    };
    const Row rows[] = {{ElemClose, UIA_InvokePatternId},     {ElemAgree, UIA_TogglePatternId},
                        {ElemLicenseLink, UIA_InvokePatternId}, {ElemCustomToggle, UIA_ExpandCollapsePatternId},
                        {ElemInstall, UIA_InvokePatternId}};
    const PATTERNID all[] = {UIA_InvokePatternId, UIA_TogglePatternId, UIA_ExpandCollapsePatternId,
                             UIA_RangeValuePatternId, UIA_ValuePatternId};
    for (const Row &row : rows) {
        for (PATTERNID pattern : all) {
            SCOPED_TRACE(::testing::Message() << "item " << row.item << ", pattern " << pattern);
            IUnknown *unknown = reinterpret_cast<IUnknown *>(1);
            EXPECT_EQ(S_OK, UiaProvider(row.item)->GetPatternProvider(pattern, &unknown));
            EXPECT_EQ(pattern == row.pattern, unknown != nullptr);
            if (unknown)
                unknown->Release();
        }
    }
    // Only the root is a fragment root.
    EXPECT_EQ(nullptr, Interface<IRawElementProviderFragmentRoot>(ElemClose));
}

TEST_F(UiaTest, TheProgressBarIsAReadOnlyRangeOfWholePercents) {
    KSUiSetState(PageInstalling);
    KSUiSetProgress(456);
    IRangeValueProvider *range = Pattern<IRangeValueProvider>(ItemProgressBar, UIA_RangeValuePatternId);
    ASSERT_TRUE(range);
    double value = -1, minimum = -1, maximum = -1, step = 0;
    BOOL readOnly = FALSE;
    EXPECT_EQ(S_OK, range->get_Value(&value));
    EXPECT_EQ(46.0, value);
    EXPECT_EQ(S_OK, range->get_Minimum(&minimum));
    EXPECT_EQ(S_OK, range->get_Maximum(&maximum));
    EXPECT_EQ(0.0, minimum);
    EXPECT_EQ(100.0, maximum);
    EXPECT_EQ(S_OK, range->get_IsReadOnly(&readOnly));
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(S_OK, range->get_SmallChange(&step));
    EXPECT_TRUE(std::isnan(step));
    EXPECT_EQ(kUiaInvalidOperation, range->SetValue(80.0));
    EXPECT_EQ(456, g_State.ProgressTarget);
    ReleaseAndNull(range);
}

// --- Events ---

struct EventCase {
    const char *name;
    std::function<void(HWND)> act;
    std::vector<Raised> expected; // in order
};

const EventCase kEvents[] = {
    {"ticking the agreement off",
     [](HWND w) { ClickElement(w, ElemAgree); },
     {{kProperty, ElemAgree, UIA_ToggleToggleStatePropertyId, L""},
      {kProperty, ElemInstall, UIA_IsEnabledPropertyId, L""}}},
    {"and on again",
     [](HWND w) { ClickElement(w, ElemAgree); },
     {{kProperty, ElemAgree, UIA_ToggleToggleStatePropertyId, L""},
      {kProperty, ElemInstall, UIA_IsEnabledPropertyId, L""}}},
    {"first Tab", [](HWND w) { PostKey(w, VK_TAB); }, {{kFocus, ElemMinimize, 0, L""}}},
    {"second Tab", [](HWND w) { PostKey(w, VK_TAB); }, {{kFocus, ElemClose, 0, L""}}},
    {"opening the panel",
     [](HWND w) { ClickElement(w, ElemCustomToggle); },
     {{kStructure, 0, 0, L""}, {kProperty, ElemCustomToggle, UIA_ExpandCollapseExpandCollapseStatePropertyId, L""}}},
    {"an option",
     [](HWND w) { ClickElement(w, ElemOptDesktop); },
     {{kProperty, ElemOptDesktop, UIA_ToggleToggleStatePropertyId, L""}}},
    {"page change",
     [](HWND) { KSUiSetState(PageInstalling); },
     {{kStructure, 0, 0, L""}, {kNotification, 0, 0, L"开始安装"}}},
    {"status",
     [](HWND) { KSUiSetStatus(L"正在复制 a.dll"); },
     {{kProperty, ItemStatusLine, UIA_NamePropertyId, L""}}},
    {"same status again", [](HWND) { KSUiSetStatus(L"正在复制 a.dll"); }, {}},
    {"a progress step",
     [](HWND) { KSUiSetProgress(450); },
     {{kProperty, ItemProgressBar, UIA_RangeValueValuePropertyId, L""}}},
    {"progress within the same percent",
     [](HWND) {
         KSUiSetProgress(451);
         KSUiSetProgress(454);
     },
     {}},
    {"finished page",
     [](HWND) { KSUiSetState(PageFinished); },
     {{kStructure, 0, 0, L""}, {kNotification, 0, 0, L"安装完成"}}},
};

// Pumps until the seam has heard as many events as expected (a frame that
// opens the panel can take long under a software renderer), then a little
// longer, so that anything more shows too.
void PumpUntilHeard(size_t count) {
    const ULONGLONG end = GetTickCount64() + 3000;
    while (g_Raised.size() < count && GetTickCount64() < end)
        Pump(20);
    Pump(100);
}

TEST_F(UiaTest, EventsFollowToggleProgressFocusAndPageChanges) {
    SetFocus(window_);
    for (const EventCase &c : kEvents) {
        SCOPED_TRACE(c.name);
        Pump(30);
        g_Raised.clear();
        c.act(window_);
        PumpUntilHeard(c.expected.size());
        EXPECT_EQ(c.expected, g_Raised);
    }
}

// Another language, or a host's own text, renames what a reader already
// listed: each element of the page says so once, the host's status line and
// the EDIT box (its own window) excepted.
TEST_F(UiaTest, ANewLanguageOrTextRenamesEveryElementOfThePage) {
    const struct {
        const char *name;
        int page;
        std::function<void()> act;
        bool renames;
    } cases[] = {
        {"English, welcome page with the panel open", PageWelcome, [] { KSUiSetLanguage(L"en-US"); }, true},
        {"a host's text, installing page", PageInstalling, [] { KSUiSetText(L"ProgressName", L"Progress"); }, true},
        {"a refused language", PageInstalling, [] { KSUiSetLanguage(L"xx-nowhere"); }, false},
        {"right to left, finished page", PageFinished, [] { KSUiSetReadingOrder(KSUI_READING_RTL); }, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ShowPage(c.page, c.page == PageWelcome);
        Pump(300); // the panel's opening eases out
        std::vector<Raised> expected;
        int items[kReadingItemCount];
        const int n = ReadingOrder(items);
        for (int i = 0; c.renames && i < n; ++i)
            if (items[i] != ItemStatusLine && items[i] != ItemDirEdit)
                expected.push_back({kProperty, items[i], UIA_NamePropertyId, L""});
        g_Raised.clear();
        c.act();
        PumpUntilHeard(expected.size());
        EXPECT_EQ(expected, g_Raised);
    }
    // A client reads the new names.
    std::vector<SeenElement> seen = ReadChildren(root_);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(ItemName(ElemLaunch), seen.back().name);
    KSUiSetReadingOrder(KSUI_READING_ORDER_OF_LANGUAGE);
    KSUiSetLanguage(L"zh-CN");
}

TEST_F(UiaTest, NothingIsRaisedBeforeAClientAsksForTheRoot) {
    KSUiDetach();
    ASSERT_EQ(1, KSUiAttach(window_, RecordAction));
    Pump(50);
    g_Raised.clear();
    ClickElement(window_, ElemAgree);
    KSUiSetState(PageInstalling);
    KSUiSetProgress(500);
    Pump(100);
    EXPECT_TRUE(g_Raised.empty());
    EXPECT_EQ(nullptr, UiaProvider(0));
}

// --- What a screen-reader user hears during an install ---

std::vector<std::wstring> Heard() {
    std::vector<std::wstring> texts;
    for (const Raised &r : g_Raised)
        if (r.event == kNotification || r.event == kLiveRegion)
            texts.push_back(r.text);
    return texts;
}

// 200 files, 150 ms each, the status naming each file and the progress
// following it: 30 s in all, on a clock that moves only here.
void InstallTwoHundredFiles() {
    KSUiSetStatus(L"正在准备安装目录…");
    KSUiSetProgress(0);
    KSUiSetState(PageInstalling);
    for (int file = 1; file <= 200; ++file) {
        g_Now += 150;
        wchar_t status[64];
        wsprintfW(status, L"正在复制 file%d.dat", file);
        KSUiSetStatus(status);
        KSUiSetProgress(file * 5);
    }
    g_Now += 150;
    KSUiSetState(PageFinished);
}

TEST_F(UiaTest, AnInstallIsHeardAtItsStartEveryTenPercentAndFiveSecondsAndAtItsEnd) {
    // After 5.1 s file 34 is being copied (17 %), after 10.2 s file 68, ...;
    // the 10 % step is always passed by then, the 5 s pause decides. The
    // words are the chosen language's.
    const struct {
        const wchar_t *tag;
        std::vector<std::wstring> heard;
    } cases[] = {
        {L"zh-CN",
         {L"开始安装", L"安装进度 17%", L"安装进度 34%", L"安装进度 51%", L"安装进度 68%", L"安装进度 85%",
          L"安装完成"}},
        {L"en-US",
         {L"Installation started", L"Installation progress 17%", L"Installation progress 34%",
          L"Installation progress 51%", L"Installation progress 68%", L"Installation progress 85%",
          L"Installation complete"}},
    };
    g_Now = 1000000;
    TestSeams::TickSource = FakeNow;
    for (const auto &c : cases) {
        ASSERT_EQ(1, KSUiSetLanguage(c.tag));
        ShowPage(PageWelcome, false);
        g_Now += 60000;
        g_Raised.clear();
        InstallTwoHundredFiles();
        EXPECT_EQ(c.heard, Heard());
    }
}

TEST_F(UiaTest, ProgressIsHeardAtMostEveryTenPercent) {
    g_Now = 1000000;
    TestSeams::TickSource = FakeNow;
    KSUiSetState(PageInstalling);
    g_Raised.clear();
    // A slow install: 1 % every 5 s.
    for (int percent = 1; percent <= 25; ++percent) {
        g_Now += 5000;
        KSUiSetProgress(percent * 10);
    }
    const std::vector<std::wstring> expected = {L"安装进度 10%", L"安装进度 20%"};
    EXPECT_EQ(expected, Heard());
}

TEST_F(UiaTest, AFailureReportedThroughTheStatusIsHeardAtOnce) {
    g_Now = 1000000;
    TestSeams::TickSource = FakeNow;
    KSUiSetState(PageInstalling);
    g_Now += 1000;
    KSUiSetStatus(L"正在复制 a.dll");
    g_Now += 100;
    KSUiSetProgress(450);
    g_Raised.clear();
    // The demo's way: the bar goes back, the status says why and counts down.
    g_Now += 100;
    KSUiSetProgress(0);
    KSUiSetStatus(L"无法写入安装目录（3 秒后返回）");
    g_Now += 1000;
    KSUiSetStatus(L"无法写入安装目录（2 秒后返回）");
    g_Now += 1000;
    KSUiSetStatus(L"");
    KSUiSetState(PageWelcome);
    const std::vector<std::wstring> expected = {L"无法写入安装目录（3 秒后返回）"};
    EXPECT_EQ(expected, Heard());
}

TEST_F(UiaTest, WithoutNotificationsTheStatusLineIsALiveRegionAtTheSameMoments) {
    // Wine 8 and Windows before 10 (1709) have no UiaRaiseNotificationEvent.
    TestSeams::UiaRaiseNotification = nullptr;
    ASSERT_EQ(nullptr, g_State.Uia.RaiseNotificationEvent);
    g_Now = 1000000;
    TestSeams::TickSource = FakeNow;
    g_Raised.clear();
    InstallTwoHundredFiles();
    // The reader reads the status line; the finished page has none.
    const std::vector<std::wstring> expected = {L"正在准备安装目录…", L"正在复制 file34.dat", L"正在复制 file68.dat",
                                                L"正在复制 file102.dat", L"正在复制 file136.dat",
                                                L"正在复制 file170.dat"};
    EXPECT_EQ(expected, Heard());
    for (const Raised &r : g_Raised) {
        if (r.event == kLiveRegion) {
            EXPECT_EQ(ItemStatusLine, r.item);
        }
    }
}

TEST_F(UiaTest, AnnouncementsStopAtDetach) {
    KSUiSetState(PageInstalling);
    KSUiDetach();
    g_Raised.clear();
    KSUiSetProgress(1000);
    KSUiSetState(PageFinished);
    EXPECT_TRUE(g_Raised.empty());
}

// --- Lifetime ---

TEST_F(UiaTest, ElementsHeldAcrossDetachAnswerNotAvailable) {
    IRawElementProviderSimple *close = UiaProvider(ElemClose);
    IRawElementProviderFragment *fragment = Interface<IRawElementProviderFragment>(ElemInstall);
    IRawElementProviderFragmentRoot *fragmentRoot = Interface<IRawElementProviderFragmentRoot>(0);
    IInvokeProvider *invoke = Interface<IInvokeProvider>(ElemClose);
    IToggleProvider *toggle = Interface<IToggleProvider>(ElemAgree);
    ASSERT_TRUE(close && fragment && fragmentRoot && invoke && toggle);
    close->AddRef();
    UiaClient::Node held = nullptr;
    UiaClient::OffThread([&] {
        UiaClient::Node first = UiaClient::FirstChild(root_);
        held = UiaClient::NextSibling(first);
        UiaClient::Release(first);
    });
    ASSERT_TRUE(held);

    KSUiDetach();
    VARIANT v;
    IUnknown *unknown = nullptr;
    IRawElementProviderFragment *next = nullptr;
    IRawElementProviderSimple *host = nullptr;
    SAFEARRAY *id = nullptr;
    UiaRect rect;
    int state = 0;
    const HRESULT answers[] = {
        close->GetPropertyValue(UIA_NamePropertyId, &v),
        close->GetPatternProvider(UIA_InvokePatternId, &unknown),
        close->get_HostRawElementProvider(&host),
        fragment->Navigate(NavigateDirection_NextSibling, &next),
        fragment->GetRuntimeId(&id),
        fragment->get_BoundingRectangle(&rect),
        fragment->SetFocus(),
        fragmentRoot->ElementProviderFromPoint(0, 0, &next),
        fragmentRoot->GetFocus(&next),
        invoke->Invoke(),
        toggle->Toggle(),
        toggle->get_ToggleState(&state),
    };
    for (HRESULT hr : answers)
        EXPECT_EQ(kUiaElementNotAvailable, hr);
    EXPECT_EQ(VT_EMPTY, v.vt);
    EXPECT_EQ(nullptr, unknown);
    EXPECT_EQ(nullptr, next);
    // And to a client through the node API.
    HRESULT read = S_OK;
    UiaClient::OffThread([&] {
        UiaClient::Text(held, UIA_NamePropertyId, &read);
        UiaClient::Release(held);
    });
    EXPECT_EQ(kUiaElementNotAvailable, read);
    Pump(50);
    EXPECT_TRUE(Actions().empty());

    // Still so once the window is gone and the engine attached elsewhere,
    // where a client gets elements that answer.
    DestroyWindow(window_);
    window_ = CreateHostWindow();
    ASSERT_EQ(1, KSUiAttach(window_, RecordAction));
    EXPECT_EQ(kUiaElementNotAvailable, close->GetPropertyValue(UIA_NamePropertyId, &v));
    UiaClient::Node fresh = Connect(window_);
    ASSERT_TRUE(fresh);
    std::wstring name;
    UiaClient::OffThread([&] {
        UiaClient::Node first = UiaClient::FirstChild(fresh);
        name = UiaClient::Text(first, UIA_NamePropertyId);
        UiaClient::Release(first);
        UiaClient::Release(fresh);
    });
    EXPECT_EQ(L"最小化", name);
    for (IUnknown *p : std::vector<IUnknown *>{close, fragment, fragmentRoot, invoke, toggle})
        p->Release();
}

TEST_F(UiaTest, AnElementHeldWhenTheHostDestroysItsWindowAnswersNotAvailable) {
    IRawElementProviderSimple *close = UiaProvider(ElemClose);
    close->AddRef();
    DestroyWindow(window_);
    window_ = nullptr;
    VARIANT v;
    EXPECT_EQ(kUiaElementNotAvailable, close->GetPropertyValue(UIA_NamePropertyId, &v));
    close->Release();
}

// --- The window's answers ---

TEST_F(UiaTest, TheRootAnswersOnlyItsOwnIdAndTheClientObjectStays) {
    Received().clear();
    UiaClient::Node second = Connect(window_);
    EXPECT_TRUE(second);
    UiaClient::OffThread([second] { UiaClient::Release(second); });
    EXPECT_EQ(0, CountReceived(WM_GETOBJECT));
    SendMessageW(window_, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_WINDOW));
    EXPECT_EQ(1, CountReceived(WM_GETOBJECT));
    IAccessible *acc = nullptr;
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(window_, OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void **>(&acc)));
    long children = 0;
    EXPECT_EQ(S_OK, acc->get_accChildCount(&children));
    EXPECT_EQ(6, children);
    ReleaseAndNull(acc);
    EXPECT_EQ(1, CountReceived(WM_GETOBJECT));
}

TEST_F(UiaTest, BadArgumentsAreRefused) {
    IRawElementProviderSimple *simple = UiaProvider(ElemClose);
    IRawElementProviderFragment *fragment = Interface<IRawElementProviderFragment>(ElemClose);
    IRawElementProviderFragmentRoot *fragmentRoot = Interface<IRawElementProviderFragmentRoot>(0);
    EXPECT_EQ(E_POINTER, simple->GetPropertyValue(UIA_NamePropertyId, nullptr));
    EXPECT_EQ(E_POINTER, simple->GetPatternProvider(UIA_InvokePatternId, nullptr));
    EXPECT_EQ(E_POINTER, simple->get_ProviderOptions(nullptr));
    EXPECT_EQ(E_POINTER, fragment->Navigate(NavigateDirection_NextSibling, nullptr));
    EXPECT_EQ(E_POINTER, fragment->get_BoundingRectangle(nullptr));
    EXPECT_EQ(E_POINTER, simple->QueryInterface(__uuidof(IUnknown), nullptr));
    IRawElementProviderFragment *out = reinterpret_cast<IRawElementProviderFragment *>(1);
    EXPECT_EQ(S_OK, fragment->Navigate(static_cast<NavigateDirection>(12345), &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_OK, fragment->Navigate(NavigateDirection_FirstChild, &out));
    EXPECT_EQ(nullptr, out) << "an element has no children";
    EXPECT_EQ(S_OK, fragmentRoot->ElementProviderFromPoint(std::nan(""), 1e300, &out));
    EXPECT_EQ(nullptr, out);
    VARIANT v;
    EXPECT_EQ(S_OK, simple->GetPropertyValue(-7, &v));
    EXPECT_EQ(VT_EMPTY, v.vt);
    EXPECT_EQ(nullptr, UiaProvider(-1));
    EXPECT_EQ(nullptr, UiaProvider(kUiaElementSlots + 100));
    ReleaseAndNull(fragment);
    ReleaseAndNull(fragmentRoot);
}

} // namespace

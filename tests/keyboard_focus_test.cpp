// Keyboard use on a real attached window under Wine: posted key messages walk
// the focus through the live items and act on them, the EDIT box included,
// every key still reaches the host, and the focus ring is painted around the
// focused element's shape.
#include "tests/paint_support.h"

#include "render/frame_schedule.h"
#include "window/keyboard_focus.h"
#include "geometry/layout.h"
#include "geometry/reading_order.h"

#include <vector>

using namespace TestHost;
using namespace PaintSupport;

namespace {

// Shift as the thread sees it: posted key messages do not change the key state.
void SetShift(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Where a key typed now would go: the EDIT box while it has the focus, else the host window.
HWND KeyTarget(HWND window) {
    HWND edit = GetDlgItem(window, kDirEditId);
    return GetFocus() == edit ? edit : window;
}

void TypeKey(HWND window, WPARAM key, bool shift, bool repeat) {
    SetShift(shift);
    HWND target = KeyTarget(window);
    PostMessageW(target, WM_KEYDOWN, key, 1 | (repeat ? 1u << 30 : 0));
    PostMessageW(target, WM_KEYUP, key, 1 | (3u << 30));
    Pump(40);
    SetShift(false);
}

std::vector<int> OptionsNow() {
    return {KSUiGetOption(1), KSUiGetOption(2), KSUiGetOption(3), KSUiGetOption(4)};
}

struct KeyStep {
    const char *name;
    WPARAM key;
    bool shift;
    bool repeat;
    int focus; // expected focused item afterwards, 0 for none
    std::vector<int> actions;
    std::vector<int> options;
};

const KeyStep kWalk[] = {
    {"space before any Tab", VK_SPACE, false, false, 0, {}, {1, 1, 1, 0}},
    {"enter before any Tab", VK_RETURN, false, false, 0, {}, {1, 1, 1, 0}},
    {"first Tab", VK_TAB, false, false, ElemMinimize, {}, {1, 1, 1, 0}},
    {"Tab", VK_TAB, false, false, ElemClose, {}, {1, 1, 1, 0}},
    {"Tab", VK_TAB, false, false, ElemInstall, {}, {1, 1, 1, 0}},
    {"enter installs", VK_RETURN, false, false, ElemInstall, {ActionInstall}, {1, 1, 1, 0}},
    {"a held enter acts once", VK_RETURN, false, true, ElemInstall, {}, {1, 1, 1, 0}},
    {"Tab", VK_TAB, false, false, ElemAgree, {}, {1, 1, 1, 0}},
    {"space unticks", VK_SPACE, false, false, ElemAgree, {}, {0, 1, 1, 0}},
    {"shift+Tab", VK_TAB, true, false, ElemInstall, {}, {0, 1, 1, 0}},
    {"enter refused while unticked", VK_RETURN, false, false, ElemInstall, {}, {0, 1, 1, 0}},
    {"Tab", VK_TAB, false, false, ElemAgree, {}, {0, 1, 1, 0}},
    {"space ticks", VK_SPACE, false, false, ElemAgree, {}, {1, 1, 1, 0}},
    {"Tab", VK_TAB, false, false, ElemLicenseLink, {}, {1, 1, 1, 0}},
    {"enter on the link", VK_RETURN, false, false, ElemLicenseLink, {ActionShowLicense}, {1, 1, 1, 0}},
    {"Tab", VK_TAB, false, false, ElemCustomToggle, {}, {1, 1, 1, 0}},
    {"space opens the panel", VK_SPACE, false, false, ElemCustomToggle, {}, {1, 1, 1, 0}},
    {"Tab wraps around", VK_TAB, false, false, ElemMinimize, {}, {1, 1, 1, 0}},
    {"shift+Tab wraps back", VK_TAB, true, false, ElemCustomToggle, {}, {1, 1, 1, 0}},
    {"shift+Tab", VK_TAB, true, false, ElemLicenseLink, {}, {1, 1, 1, 0}},
    {"shift+Tab", VK_TAB, true, false, ElemAgree, {}, {1, 1, 1, 0}},
    {"shift+Tab into the panel", VK_TAB, true, false, ElemOptAutoStart, {}, {1, 1, 1, 0}},
    {"space ticks start at boot", VK_SPACE, false, false, ElemOptAutoStart, {}, {1, 1, 1, 1}},
    {"shift+Tab", VK_TAB, true, false, ElemOptStartMenu, {}, {1, 1, 1, 1}},
    {"shift+Tab", VK_TAB, true, false, ElemOptDesktop, {}, {1, 1, 1, 1}},
    {"shift+Tab", VK_TAB, true, false, ElemChangeDir, {}, {1, 1, 1, 1}},
    {"enter on change", VK_RETURN, false, false, ElemChangeDir, {ActionChangeDir}, {1, 1, 1, 1}},
    {"shift+Tab into the EDIT box", VK_TAB, true, false, ItemDirEdit, {}, {1, 1, 1, 1}},
    {"space is typed into the box", VK_SPACE, false, false, ItemDirEdit, {}, {1, 1, 1, 1}},
    {"Tab leaves the box", VK_TAB, false, false, ElemChangeDir, {}, {1, 1, 1, 1}},
    {"shift+Tab back into it", VK_TAB, true, false, ItemDirEdit, {}, {1, 1, 1, 1}},
    {"shift+Tab leaves it backwards", VK_TAB, true, false, ElemInstall, {}, {1, 1, 1, 1}},
};

class KeyboardFocusTest : public AttachedTest {
  protected:
    void SetUp() override {
        SetCursorPos(0, 0);
        AttachedTest::SetUp();
        SetFocus(window_);
        Pump(20);
    }
};

TEST_F(KeyboardFocusTest, PostedKeysWalkTheFocusAndActLikeClicks) {
    HWND edit = GetDlgItem(window_, kDirEditId);
    int keysToHost = 0;
    Received().clear();
    for (const KeyStep &step : kWalk) {
        SCOPED_TRACE(step.name);
        Actions().clear();
        keysToHost += KeyTarget(window_) == window_;
        TypeKey(window_, step.key, step.shift, step.repeat);
        EXPECT_EQ(step.focus, KeyboardFocusItem());
        EXPECT_EQ(step.focus != 0, g_State.FocusCueShown);
        EXPECT_EQ(step.focus == ItemDirEdit, GetFocus() == edit);
        EXPECT_EQ(step.actions, Actions());
        EXPECT_EQ(step.options, OptionsNow());
    }
    EXPECT_TRUE(g_State.CustomPanelOpen);
    // Every key typed at the host window reached the host's own procedure.
    EXPECT_EQ(keysToHost, CountReceived(WM_KEYDOWN));
    EXPECT_EQ(keysToHost, CountReceived(WM_KEYUP));
    wchar_t typed[MAX_PATH] = {};
    GetWindowTextW(edit, typed, MAX_PATH);
    EXPECT_EQ(std::wstring(L" "), std::wstring(typed).substr(0, 1)) << "the space went into the box";
}

TEST_F(KeyboardFocusTest, FocusOnAnItemThatLeftThePageStartsAgainAtTheTop) {
    for (int i = 0; i < 3; ++i)
        TypeKey(window_, VK_TAB, false, false);
    ASSERT_EQ(ElemInstall, KeyboardFocusItem());
    KSUiSetState(PageFinished);
    EXPECT_EQ(0, KeyboardFocusItem());
    TypeKey(window_, VK_RETURN, false, false);
    EXPECT_TRUE(Actions().empty());
    TypeKey(window_, VK_TAB, false, false);
    EXPECT_EQ(ElemMinimize, KeyboardFocusItem());
    TypeKey(window_, VK_TAB, true, false);
    EXPECT_EQ(ElemLaunch, KeyboardFocusItem());
    TypeKey(window_, VK_RETURN, false, false);
    EXPECT_EQ(std::vector<int>{ActionLaunch}, Actions());
}

void __stdcall DetachOnAction(int) { KSUiDetach(); }

TEST_F(KeyboardFocusTest, AHostThatDetachesInsideTheCallbackStillGetsItsKeys) {
    KSUiDetach();
    ASSERT_EQ(1, KSUiAttach(window_, DetachOnAction));
    for (int i = 0; i < 3; ++i)
        TypeKey(window_, VK_TAB, false, false);
    Received().clear();
    TypeKey(window_, VK_RETURN, false, false);
    EXPECT_EQ(nullptr, g_State.HostWindow);
    EXPECT_EQ(1, CountReceived(WM_KEYDOWN));
    TypeKey(window_, VK_TAB, false, false);
    EXPECT_EQ(2, CountReceived(WM_KEYDOWN));
}

// --- The focus ring on screen ---

class FocusRingPaintTest : public PaintTest {};

// Whether a pixel within one pixel of a design point is close to a colour.
bool ColourNear(const Snapshot &shot, float x, float y, RgbColor colour) {
    const float scale = g_State.WindowScale;
    const int px = static_cast<int>(x * scale), py = static_cast<int>(y * scale);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (ColourDistance(shot.At(px + dx, py + dy), colour) <= 48)
                return true;
    return false;
}

TEST_F(FocusRingPaintTest, TheRingFollowsTheShapeOfEachElement) {
    constexpr RgbColor kBrand = 0x2E78F6;
    // A soft light picture, on which neither the brand colour nor white occurs.
    const std::wstring folder = FreshFolder(L"focus_ring");
    ASSERT_TRUE(WritePicture(HeroPath(folder, 1), GUID_ContainerFormatPng, 64, 48, [](UINT x, UINT y) {
        return 0xFF000000u | ((0xC8 + y / 2) << 16) | ((0xD2 + y / 2) << 8) | (0xE0 + x / 8);
    }));
    Attach([&] { KSUiSetHeroDir(folder.c_str()); });
    ParkCursor();

    struct RingCase {
        const char *name;
        int tabs;
        int item;
        D2D1_POINT_2F (*onRing)(); // a point on the ring's centre line
    };
    // The ring's centre line lies 4 units (times ButtonBoost) outside the shape.
    static const RingCase kRings[] = {
        {"close: circle", 2, ElemClose,
         [] {
             const D2D1_POINT_2F c = ElementCentre(ElemClose);
             return D2D1::Point2F(c.x - 19.0f * ButtonBoost(), c.y);
         }},
        {"install: pill", 3, ElemInstall,
         [] { return D2D1::Point2F(ElementRect(ElemInstall).left - 4.0f * ButtonBoost(), ElementCentre(ElemInstall).y); }},
        {"agreement: box", 4, ElemAgree,
         [] { return D2D1::Point2F(ElementCentre(ElemAgree).x, ElementRect(ElemAgree).bottom + 4.0f * ButtonBoost()); }},
        {"custom toggle: its text", 6, ElemCustomToggle,
         [] {
             return D2D1::Point2F(ElementRect(ElemCustomToggle).right + 4.0f * ButtonBoost(),
                                  ElementCentre(ElemCustomToggle).y);
         }},
    };
    for (const RingCase &c : kRings) {
        SCOPED_TRACE(c.name);
        g_State.FocusItem = 0;
        g_State.FocusCueShown = false;
        Repaint(window_);
        const D2D1_POINT_2F p = c.onRing();
        {
            const Snapshot before(window_);
            EXPECT_FALSE(ColourNear(before, p.x, p.y, kBrand)) << "a mouse user sees no ring";
        }
        for (int i = 0; i < c.tabs; ++i)
            TypeKey(window_, VK_TAB, false, false);
        ASSERT_EQ(c.item, KeyboardFocusItem());
        Repaint(window_);
        const Snapshot after(window_);
        EXPECT_TRUE(ColourNear(after, p.x, p.y, kBrand));
        if (c.item == ElemInstall)
            SaveForPeople(window_, L"focus_ring.png");
    }
}

} // namespace

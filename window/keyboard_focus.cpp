#include "window/keyboard_focus.h"

#include "geometry/reading_order.h"
#include "render/frame_schedule.h"
#include "window/accessibility.h"
#include "window/element_actions.h"

namespace {

bool ShiftDown() { return GetKeyState(VK_SHIFT) < 0; }

// The next focusable item after the focused one (before it, backwards),
// wrapping around; the first (last) one when nothing live has the focus.
int NextFocusItem(bool backwards) {
    int items[kReadingItemCount];
    int focusable[kReadingItemCount];
    const int all = ReadingOrder(items);
    int n = 0, current = -1;
    for (int i = 0; i < all; ++i) {
        if (!ItemFocusable(items[i]))
            continue;
        if (items[i] == KeyboardFocusItem())
            current = n;
        focusable[n++] = items[i];
    }
    if (n == 0)
        return 0;
    if (current < 0)
        return focusable[backwards ? n - 1 : 0];
    return focusable[(current + (backwards ? n - 1 : 1)) % n];
}

void StepFocus(bool backwards) {
    const int next = NextFocusItem(backwards);
    if (next)
        MoveKeyboardFocus(next);
}

LRESULT CALLBACK DirEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    EngineState &s = g_State;
    const WNDPROC previous = s.DirEditPrevProc;
    switch (msg) {
    case WM_KEYDOWN:
        if (wParam == VK_TAB && s.HostWindow) {
            s.FocusItem = ItemDirEdit;
            StepFocus(ShiftDown());
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L'\t')
            return 0; // a single-line EDIT would only beep
        break;
    case WM_SETFOCUS:
        // A click into the box puts the keyboard focus there as well.
        s.FocusItem = ItemDirEdit;
        RequestFrame();
        break;
    case WM_KILLFOCUS:
        RequestFrame();
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        break;
    default:
        break;
    }
    if (previous)
        return CallWindowProcW(previous, edit, msg, wParam, lParam);
    return DefWindowProcW(edit, msg, wParam, lParam);
}

} // namespace

void OnHostKeyDown(WPARAM key, LPARAM flags) {
    EngineState &s = g_State;
    if (key == VK_TAB) {
        // The first Tab shows the cue on the first (Shift: last) item.
        StepFocus(ShiftDown());
        return;
    }
    // Bit 30: the key was already down; a held key acts once.
    const bool repeat = (flags & (1 << 30)) != 0;
    if ((key != VK_SPACE && key != VK_RETURN) || !s.FocusCueShown || repeat)
        return;
    const int item = KeyboardFocusItem();
    if (item >= ElemMinimize && item <= ElemLaunch && ElementActionable(item))
        PerformElementAction(item);
}

void HookDirEditKeys() {
    EngineState &s = g_State;
    if (!s.DirEdit)
        return;
    const LONG_PTR previous =
        SetWindowLongPtrW(s.DirEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DirEditProc));
    s.DirEditPrevProc = reinterpret_cast<WNDPROC>(previous);
}

void MoveKeyboardFocus(int item) {
    EngineState &s = g_State;
    if (!s.HostWindow || !ItemFocusable(item) || !ItemLive(item))
        return;
    s.FocusItem = item;
    s.FocusCueShown = true;
    if (item == ItemDirEdit) {
        // The EDIT tells screen readers about its own focus.
        SetFocus(s.DirEdit);
    } else {
        if (s.DirEdit && GetFocus() == s.DirEdit)
            SetFocus(s.HostWindow);
        AnnounceFocus(item);
    }
    RequestFrame();
}

int KeyboardFocusItem() {
    const int item = g_State.FocusItem;
    return ItemLive(item) ? item : 0;
}

int FocusRingItem() {
    const EngineState &s = g_State;
    const int item = KeyboardFocusItem();
    if (!s.FocusCueShown || item == 0)
        return 0;
    // The EDIT box has its ring only while it really has the focus.
    if (item == ItemDirEdit && GetFocus() != s.DirEdit)
        return 0;
    return item;
}

void ForgetKeyboardFocus() {
    g_State.FocusItem = 0;
    g_State.FocusCueShown = false;
}

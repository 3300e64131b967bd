#include "geometry/reading_order.h"

#include "geometry/layout.h"

namespace {

const int kOrder[] = {
    ElemMinimize,   ElemClose,        ElemInstall,      ElemLaunch,     ItemStatusLine,  ItemProgressBar, ItemDirEdit,
    ElemChangeDir,  ElemOptDesktop,   ElemOptStartMenu, ElemOptAutoStart, ElemAgree,     ElemLicenseLink, ElemCustomToggle,
};
static_assert(sizeof kOrder / sizeof kOrder[0] == kReadingItemCount, "every item has its place in the order");

bool Contains(const D2D1_RECT_F &r, float x, float y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

} // namespace

bool ItemLive(int item) {
    const EngineState &s = g_State;
    switch (item) {
    case ItemDirEdit:
        return s.DirEdit && s.CurrentPage == PageWelcome && s.CustomPanelOpen;
    case ItemStatusLine:
    case ItemProgressBar:
        return s.CurrentPage == PageInstalling;
    default:
        return ElementLive(item);
    }
}

int ReadingOrder(int (&items)[kReadingItemCount]) {
    int n = 0;
    for (int item : kOrder)
        if (ItemLive(item))
            items[n++] = item;
    return n;
}

bool ItemFocusable(int item) { return item >= ElemMinimize && item <= ItemDirEdit; }

D2D1_RECT_F ItemRect(int item) {
    switch (item) {
    case ItemDirEdit:
        return DirFieldRect();
    case ItemStatusLine:
        return StatusLineRect();
    case ItemProgressBar:
        return ProgressTrackRect();
    default:
        return ElementRect(item);
    }
}

int ItemAt(float x, float y) {
    const int element = HitTest(x, y);
    if (element != ElemNone)
        return element;
    for (int item = ItemDirEdit; item <= ItemProgressBar; ++item)
        if (ItemLive(item) && Contains(ItemRect(item), x, y))
            return item;
    return 0;
}

// What a screen reader lists and the keyboard walks: the live elements plus the
// directory EDIT box, the status line and the progress bar, in reading order.
// Geometry comes from layout.h; nothing here keeps a copy of it.
#pragma once

#include "state/state.h"

// Items beyond the eleven elements (ElementId 1..11 are items too).
enum ReadingItem : int {
    ItemDirEdit = kElementCount + 1,
    ItemStatusLine,
    ItemProgressBar,
};
constexpr int kReadingItemCount = ItemProgressBar;

// The live items of the current page, top to bottom and left to right; returns
// their number. The panel lies above the bottom row, so it is read before it.
int ReadingOrder(int (&items)[kReadingItemCount]);
bool ItemLive(int item);
// Whether Tab stops at the item: all but the status line and the progress bar.
bool ItemFocusable(int item);
// Design-unit rectangle of an item; for the EDIT box the painted field around it.
D2D1_RECT_F ItemRect(int item);
// HitTest first, then the items that are not elements; 0 for none.
int ItemAt(float x, float y);

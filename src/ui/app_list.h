#pragma once

#include "model/window_state.h"

// The app list is a virtual list: it holds no rows, only their count, and
// asks the window for the name and check mark of each row it paints.
//
// Since the list keeps no check marks, a tick reaches the catalog entry by
// every route without passing through the list's own state: a click on a
// row's check box, Space on the focused row, and LVM_SETITEMSTATE with a
// state image (what another program, a screen reader's toggle, or the list
// itself sends), for one row or, with row -1, for every shown row. Each
// changes the entry, repaints its row, tells screen readers of each mark that
// changed and updates the status line. A click on a box and Space also make
// the row the focused and selected one; other selection, focus and scrolling
// changes pass to the list untouched. Installed on the list before any other
// subclass.
void routeTicksOfAppList(HWND list);

// WM_NOTIFY from the app list: LVN_GETDISPINFOW gets a row's name and check
// mark from its entry, and LVN_ODFINDITEMW (typing the first letters of a
// name) the row found. Returns false for any other notification.
bool answerAppList(const WindowState& state, const NMHDR* header, LRESULT& result);

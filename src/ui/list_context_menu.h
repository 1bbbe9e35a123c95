#pragma once

#include "model/owners.h"
#include "model/window_state.h"

// The app list's context menu: tick or untick every row the list shows, each
// item with the number of shown apps it would change, and greyed when that
// is none; then "只显示已勾选的应用", checked while that filter is on.
OwnedMenu buildListContextMenu(const WindowState& state);

// WM_CONTEXTMENU from the list: opens the menu at `screenPosition`, or, when
// it came from the keyboard (-1, -1), at the focused row or else the list's
// top-left corner. The chosen item arrives as WM_COMMAND.
void showListContextMenu(const WindowState& state, POINT screenPosition);

#pragma once

#include "model/window_state.h"

// WM_COMMAND from the controls, the list's context menu and the window's
// keys (F5, Ctrl+F, Ctrl+S), and from the dialog keyboard handling: IDCANCEL
// for Esc, IDOK for Enter.
void onCommand(WindowState& state, int controlId, int notificationCode);

// The list's context menu commands: every row the list shows now becomes
// ticked or unticked, as if by hand; hidden rows, the recommended app and the
// kept SIDs are left alone. Screen readers are told of each row that changed.
void setShownAppsExempt(WindowState& state, bool exempt);

// Switches between compact mode and expanded mode, in the size of the mode
// (ui/window_size.h): the expanded window gets back the size the user gave it
// before it was collapsed, or the size it opens with. Expanding keeps the
// window's position unless its bottom would leave its monitor's work area.
void setExpanded(WindowState& state, bool expanded);

// A tick or untick of the shown row `row` (which must be one): its catalog
// entry changes, the row is repainted, screen readers are told when its mark
// changed, and the status line says whether anything now differs from the
// system's list.
void setListedAppExempt(WindowState& state, int row, bool exempt);

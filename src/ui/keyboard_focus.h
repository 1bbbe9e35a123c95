#pragma once

#include "model/window_state.h"

// Keeps the keyboard working as in a dialog, for one of the window's
// controls that can take the focus.
//
// The window remembers which of them had the focus last. Disabling the
// control that has the focus (Apply and Refresh disable themselves while they
// run) leaves no window with it, and Windows then hands every key to the
// active window as a system key, which the dialog keyboard handling ignores:
// Tab, Space and Esc would do nothing until a click. Such a control hands the
// focus to the main window and gets it back when it is enabled again, unless
// the user has moved it meanwhile.
void keepTrackOfFocus(HWND control);

// WM_ACTIVATE: the window regaining the activation gives the focus back to
// the control that had it last (a message box, another program, or a
// disabled owner took it away); the first time, and when that control can no
// longer take it, the first tab stop gets it.
void onActivate(WindowState& state, bool active);

// Enter: the owner-drawn buttons answer only DLGC_BUTTON, so the dialog
// keyboard handling sends IDOK for Enter on them. A focused, enabled button
// of the window is pressed; anything else does nothing.
void pressFocusedButton(WindowState& state);

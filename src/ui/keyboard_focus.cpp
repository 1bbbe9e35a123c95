#include "ui/keyboard_focus.h"

#include "ui/commands.h"

#include <commctrl.h>

namespace {

constexpr UINT_PTR focusKeeperId = 1;

LRESULT CALLBACK focusKeeper(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    // The record is looked up each time: it is gone before the children are
    // destroyed, and their last messages must find none.
    switch (message) {
    case WM_SETFOCUS:
        if (WindowState* state = windowStateOf(GetParent(control))) {
            state->lastFocusedControl = control;
        }
        break;
    case WM_KILLFOCUS:
        // EnableWindow(FALSE) marks the control disabled, then takes its focus
        // away with nothing to receive it, then sends WM_ENABLE.
        if (!wParam && !IsWindowEnabled(control)) {
            if (WindowState* state = windowStateOf(GetParent(control))) {
                state->focusParkedFrom = control;
            }
        }
        break;
    case WM_ENABLE:
        if (WindowState* state = windowStateOf(GetParent(control)); state && state->focusParkedFrom == control) {
            if (!wParam) {
                if (!GetFocus()) {
                    SetFocus(state->window);
                }
            } else {
                if (GetFocus() == state->window) {
                    SetFocus(control);
                }
                state->focusParkedFrom = nullptr;
            }
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(control, focusKeeper, focusKeeperId);
        break;
    default:
        break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

bool canTakeFocus(HWND window)
{
    return window && IsWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window);
}

} // namespace

void keepTrackOfFocus(HWND control)
{
    SetWindowSubclass(control, focusKeeper, focusKeeperId, 0);
}

void onActivate(WindowState& state, bool active)
{
    if (!active) {
        return;
    }
    // A control disabled while it had the focus waits for it on the main
    // window, also across a message box that took the activation meanwhile.
    if (state.focusParkedFrom && !IsWindowEnabled(state.focusParkedFrom)) {
        SetFocus(state.window);
        return;
    }
    HWND target = state.lastFocusedControl;
    if (!canTakeFocus(target)) {
        target = GetNextDlgTabItem(state.window, nullptr, FALSE);
    }
    SetFocus(canTakeFocus(target) ? target : state.window);
}

void pressFocusedButton(WindowState& state)
{
    HWND focus = GetFocus();
    for (HWND button : {state.moreAppsButton, state.refreshButton, state.applyButton, state.closeButton}) {
        if (focus && focus == button && IsWindowEnabled(button)) {
            onCommand(state, GetDlgCtrlID(button), BN_CLICKED);
            return;
        }
    }
}

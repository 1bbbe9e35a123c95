#include "ui/keyboard_focus.h"

#include "ui/commands.h"

namespace {

// The control's own procedure, kept in its user data. A plain subclass
// rather than SetWindowSubclass, whose lookup of the subclass on every
// message is a round trip to the server under Wine, and the list view takes
// thousands of messages per refill.
WNDPROC originalProcedureOf(HWND control)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_USERDATA));
}

LRESULT CALLBACK focusKeeper(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
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
    default:
        break;
    }
    return CallWindowProcW(originalProcedureOf(control), control, message, wParam, lParam);
}

bool canTakeFocus(HWND window)
{
    return window && IsWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window);
}

} // namespace

void keepTrackOfFocus(HWND control)
{
    SetWindowLongPtrW(control, GWLP_USERDATA, GetWindowLongPtrW(control, GWLP_WNDPROC));
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&focusKeeper));
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

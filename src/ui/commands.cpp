#include "ui/commands.h"

#include "catalog/populate_app_list.h"
#include "catalog/user_changes.h"
#include "model/control_ids.h"
#include "model/resource_ids.h"
#include "model/window_table.h"
#include "store/load_catalog.h"
#include "ui/closing.h"
#include "ui/keyboard_focus.h"

#include <commctrl.h>

#include <algorithm>

namespace {

bool workAreaOf(HWND window, RECT& work)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return false;
    }
    work = monitor.rcWork;
    return true;
}

// How much shorter the expanded window must be to fit the work area of its
// monitor (a small screen, or a scaled one that the program, declaring no
// DPI awareness, sees as small).
int listShorteningFor(const RECT& work)
{
    const int room = static_cast<int>(work.bottom - work.top);
    return std::clamp(layout::expandedWindowHeight - room, 0, layout::maximumListShortening);
}

// The window grows downwards when it expands. Where that would take its
// bottom past the work area, it moves up just enough, never above the work
// area's top.
void keepBottomInsideWorkArea(HWND window, const RECT& work)
{
    RECT place = {};
    if (!GetWindowRect(window, &place)) {
        return;
    }
    if (place.bottom <= work.bottom) {
        return;
    }
    const LONG top = std::max(work.top, place.top - (place.bottom - work.bottom));
    SetWindowPos(window, nullptr, place.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void place(HWND control, const Box& box)
{
    SetWindowPos(control, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER);
}

// After a tick or untick: the reminder to apply while anything differs from
// the system's list, and the text of the last load or save again once the
// user's ticks have cancelled out.
void showTickStatus(WindowState& state)
{
    SetWindowTextW(state.statusLabel, hasUserChanges(state.apps) ? texts::settingsChanged : state.settledStatus.c_str());
}

void onRecommendedCheckToggled(WindowState& state)
{
    const LRESULT check = SendMessageW(state.recommendedCheck, BM_GETCHECK, 0, 0);
    state.apps[static_cast<std::size_t>(state.recommendedIndex)].exempt = check == BST_CHECKED;
    showTickStatus(state);
}

// A key stands for its button: it does what a click does, and nothing while
// the button is disabled or hidden, or while a message box waits.
void pressByKey(WindowState& state, HWND button, int buttonId)
{
    if (!state.inModalLoop && IsWindowVisible(button) && IsWindowEnabled(button)) {
        onCommand(state, buttonId, BN_CLICKED);
    }
}

// Ctrl+F: the search box, shown first when the window is compact, with its
// text selected so that typing replaces the last query.
void focusSearch(WindowState& state)
{
    if (state.inModalLoop) {
        return;
    }
    if (!state.expanded) {
        setExpanded(state, true);
    }
    SetFocus(state.searchEdit);
    SendMessageW(state.searchEdit, EM_SETSEL, 0, -1);
}

// Esc in the search box empties it first, so that a user clearing a query
// does not close the window; Esc anywhere else, and "关闭", close it.
bool clearSearchOnEscape(WindowState& state)
{
    if (GetFocus() != state.searchEdit || GetWindowTextLengthW(state.searchEdit) == 0) {
        return false;
    }
    SetWindowTextW(state.searchEdit, L"");
    return true;
}

} // namespace

void onCommand(WindowState& state, int controlId, int notificationCode)
{
    switch (controlId) {
    case IDOK:
        pressFocusedButton(state);
        break;
    case closeButtonId:
        if (notificationCode == BN_CLICKED && !clearSearchOnEscape(state)) {
            closeAtUserRequest(state);
        }
        break;
    case recommendedCheckId:
        if (notificationCode == BN_CLICKED && state.recommendedIndex >= 0) {
            onRecommendedCheckToggled(state);
        }
        break;
    case moreAppsButtonId:
        if (notificationCode == BN_CLICKED) {
            setExpanded(state, !state.expanded);
        }
        break;
    case searchEditId:
        if (notificationCode == EN_CHANGE && !state.populating) {
            populateAppList(state);
        }
        break;
    case refreshButtonId:
        if (notificationCode == BN_CLICKED) {
            loadCatalog(state);
        }
        break;
    case applyButtonId:
        if (notificationCode == BN_CLICKED) {
            applySettings(state);
        }
        break;
    case IDK_REFRESH:
        pressByKey(state, state.refreshButton, refreshButtonId);
        break;
    case IDK_APPLY:
        pressByKey(state, state.applyButton, applyButtonId);
        break;
    case IDK_FIND:
        focusSearch(state);
        break;
    case showOnlyTickedId:
        if (notificationCode == 0) {
            // Apps unticked while the filter is on stay listed until the next
            // search or refresh, so that a slip can be undone.
            state.showOnlyTicked = !state.showOnlyTicked;
            populateAppList(state);
        }
        break;
    case tickAllShownId:
    case untickAllShownId:
        if (notificationCode == 0) {
            setShownAppsExempt(state, controlId == tickAllShownId);
        }
        break;
    default:
        break;
    }
}

void setShownAppsExempt(WindowState& state, bool exempt)
{
    if (state.visibleRows.empty()) {
        return;
    }
    for (std::uint64_t index : state.visibleRows) {
        state.apps[index].exempt = exempt;
    }
    // One change of the user's, told once, and the list repainted once.
    showExemptStates(state);
    showTickStatus(state);
}

void setExpanded(WindowState& state, bool expanded)
{
    state.expanded = expanded;
    RECT work = {};
    const bool knowsWorkArea = expanded && workAreaOf(state.window, work);
    state.listShortening = knowsWorkArea ? listShorteningFor(work) : 0;
    const int shortening = state.listShortening;
    for (HWND control : state.advancedControls) {
        ShowWindow(control, expanded ? SW_SHOW : SW_HIDE);
    }
    SetWindowTextW(state.moreAppsButton, expanded ? texts::moreAppsExpanded : texts::moreAppsCollapsed);
    SetWindowPos(state.window, nullptr, 0, 0, layout::windowWidth,
                 expanded ? layout::expandedWindowHeight - shortening : layout::compactWindowHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (knowsWorkArea) {
        keepBottomInsideWorkArea(state.window, work);
    }
    place(state.appList, shortenedBy(layout::appList, shortening));
    place(state.closeButton, movedUpBy(layout::closeButton, shortening));
    place(state.statusLabel, expanded ? movedUpBy(layout::expandedStatusLabel, shortening) : layout::compactStatusLabel);
    showEmptyListText(state);
    // The status card moves with the mode, so the whole client area is repainted.
    InvalidateRect(state.window, nullptr, TRUE);
}

void setListedAppExempt(WindowState& state, int row, bool exempt)
{
    state.apps[state.visibleRows[static_cast<std::size_t>(row)]].exempt = exempt;
    SendMessageW(state.appList, LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
    showTickStatus(state);
}

#include "ui/commands.h"

#include "catalog/populate_app_list.h"
#include "catalog/user_changes.h"
#include "model/control_ids.h"
#include "model/resource_ids.h"
#include "model/window_table.h"
#include "store/load_catalog.h"
#include "store/save_exemption_list.h"
#include "ui/closing.h"
#include "ui/keyboard_focus.h"
#include "ui/screen_reader.h"
#include "ui/window_layout.h"
#include "ui/window_size.h"

#include <commctrl.h>

namespace {

// After a tick or untick: the reminder to apply while anything differs from
// the system's list, and the text of the last load or save again once the
// user's ticks have cancelled out.
void showTickStatus(WindowState& state)
{
    // A read that runs shows its progress; its end tells of the ticks.
    if (state.runningRead) {
        return;
    }
    SetWindowTextW(state.statusLabel, tickStatusText(state).c_str());
}

// Apps unticked while the filter is on stay listed until the next search or
// refresh, so that a slip can be undone. The heading, and the list's name
// for screen readers, say the filter is on, so that an app it leaves out is
// not taken for one that is not installed.
void toggleShowOnlyTicked(WindowState& state)
{
    state.showOnlyTicked = !state.showOnlyTicked;
    const wchar_t* heading = state.showOnlyTicked ? texts::appColumnTickedOnly : texts::appColumn;
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(heading);
    SendMessageW(state.appList, LVM_SETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    nameAppList(state.appList, heading);
    populateAppList(state);
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
            saveExemptionList(state);
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
            toggleShowOnlyTicked(state);
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
    const std::vector<bool> shownBefore = shownTicks(state);
    for (std::uint64_t index : state.visibleRows) {
        state.apps[index].exempt = exempt;
    }
    announceTicksChangedSince(state, shownBefore);
    // One change of the user's, told once, and the list repainted once.
    showExemptStates(state);
    showTickStatus(state);
}

void setExpanded(WindowState& state, bool expanded)
{
    if (state.expanded && !expanded) {
        rememberExpandedSize(state);
    }
    state.expanded = expanded;
    for (HWND control : state.advancedControls) {
        ShowWindow(control, expanded ? SW_SHOW : SW_HIDE);
    }
    SetWindowTextW(state.moreAppsButton, expanded ? texts::moreAppsExpanded : texts::moreAppsCollapsed);
    sizeWindowForMode(state);
    // Also where the size stays the same, as when the window did not know
    // its work area or could not be resized.
    placeControls(state);
    showEmptyListText(state);
}

void setListedAppExempt(WindowState& state, int row, bool exempt)
{
    bool& entryExempt = state.apps[state.visibleRows[static_cast<std::size_t>(row)]].exempt;
    if (entryExempt != exempt) {
        entryExempt = exempt;
        announceTickChange(state.appList, static_cast<std::size_t>(row));
    }
    SendMessageW(state.appList, LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
    showTickStatus(state);
}

#include "ui/app_list.h"

#include "catalog/display_name.h"
#include "catalog/populate_app_list.h"
#include "ui/commands.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

// The list view's own procedure: this subclass is the first, so it is the
// class's, and it needs no storage that could be gone while the list is
// destroyed after the window's record.
LRESULT callListView(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto procedure = reinterpret_cast<WNDPROC>(GetClassLongPtrW(list, GCLP_WNDPROC));
    return CallWindowProcW(procedure, list, message, wParam, lParam);
}

bool isListedRow(const WindowState& state, int row)
{
    return row >= 0 && static_cast<std::size_t>(row) < state.visibleRows.size();
}

void toggleRow(WindowState& state, int row)
{
    if (isListedRow(state, row)) {
        setListedAppExempt(state, row, !state.apps[state.visibleRows[static_cast<std::size_t>(row)]].exempt);
    }
}

// Image 1 is the empty box, 2 the ticked one. Other images and a load in
// progress leave the entries alone; the rest of the change goes to the list.
LRESULT setItemState(HWND list, WindowState* state, WPARAM rowParameter, const LVITEMW& item)
{
    const UINT image = (item.state & LVIS_STATEIMAGEMASK) >> 12;
    if (!state || state->populating || (item.stateMask & LVIS_STATEIMAGEMASK) == 0 || (image != 1 && image != 2)) {
        return callListView(list, LVM_SETITEMSTATE, rowParameter, reinterpret_cast<LPARAM>(&item));
    }
    const bool exempt = image == 2;
    const auto row = static_cast<int>(rowParameter);
    if (row == -1) {
        setShownAppsExempt(*state, exempt);
    } else if (!isListedRow(*state, row)) {
        return FALSE;
    } else {
        setListedAppExempt(*state, row, exempt);
    }
    LVITEMW rest = item;
    rest.stateMask &= ~static_cast<UINT>(LVIS_STATEIMAGEMASK);
    if (rest.stateMask == 0) {
        return TRUE;
    }
    return callListView(list, LVM_SETITEMSTATE, rowParameter, reinterpret_cast<LPARAM>(&rest));
}

int stateIconRowAt(HWND list, LPARAM point)
{
    LVHITTESTINFO hit = {};
    hit.pt = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    const auto row = static_cast<int>(callListView(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) ? row : -1;
}

// A click on a row's box and Space on the focused row tick it and make it the
// focused and selected row, as the list does for the rows it keeps itself.
void tickAndSelectRow(HWND list, WindowState& state, int row)
{
    LVITEMW selection = {};
    selection.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    selection.state = LVIS_SELECTED | LVIS_FOCUSED;
    callListView(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&selection));
    callListView(list, LVM_SETSELECTIONMARK, 0, row);
    toggleRow(state, row);
}

// The character that TranslateMessage queued for a Space that ticked is taken
// from the queue: it would otherwise reach the list as a letter typed to find
// a row. A Space sent without a character leaves any other in place.
void dropSpaceCharacter(HWND list)
{
    MSG next = {};
    if (PeekMessageW(&next, list, WM_CHAR, WM_CHAR, PM_NOREMOVE) && next.wParam == L' ') {
        PeekMessageW(&next, list, WM_CHAR, WM_CHAR, PM_REMOVE);
    }
}

void tickFocusedRow(HWND list, WindowState& state)
{
    const auto row = static_cast<int>(callListView(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (isListedRow(state, row)) {
        tickAndSelectRow(list, state, row);
        dropSpaceCharacter(list);
    }
}

// The clicks and keys that tick are answered here and never reach the list,
// which would otherwise tick a second time where it handles them itself.
LRESULT CALLBACK tickRoutes(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Looked up each time: the record is gone before the list is destroyed.
    WindowState* state = windowStateOf(GetParent(list));
    switch (message) {
    case LVM_SETITEMSTATE:
        if (lParam) {
            return setItemState(list, state, wParam, *reinterpret_cast<const LVITEMW*>(lParam));
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (const int row = state ? stateIconRowAt(list, lParam) : -1; row >= 0) {
            if (GetFocus() != list) {
                SetFocus(list);
            }
            tickAndSelectRow(list, *state, row);
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (state && wParam == VK_SPACE) {
            tickFocusedRow(list, *state);
            return 0;
        }
        break;
    default:
        break;
    }
    return callListView(list, message, wParam, lParam);
}

// Copies as much of the name as the window shows of it as the buffer holds,
// as the list does with the names of the rows it keeps. Each row is one name,
// so leaving the bidirectional controls out is all it takes to keep a name
// from disguising itself.
void copyName(const std::wstring& name, wchar_t* buffer, int capacity)
{
    if (!buffer || capacity <= 0) {
        return;
    }
    std::size_t length = 0;
    for (auto unit = name.begin(); unit != name.end() && length + 1 < static_cast<std::size_t>(capacity); ++unit) {
        if (!isBidiControl(*unit)) {
            buffer[length++] = *unit;
        }
    }
    buffer[length] = L'\0';
}

void describeRow(const WindowState& state, LVITEMW& item)
{
    const AppEntry* entry = nullptr;
    if (item.iSubItem == 0 && isListedRow(state, item.iItem) &&
        state.visibleRows[static_cast<std::size_t>(item.iItem)] < state.apps.size()) {
        entry = &state.apps[state.visibleRows[static_cast<std::size_t>(item.iItem)]];
    }
    if (item.mask & LVIF_TEXT) {
        copyName(entry ? entry->displayName : std::wstring(), item.pszText, item.cchTextMax);
    }
    if (item.mask & LVIF_STATE) {
        item.state = (item.state & ~static_cast<UINT>(LVIS_STATEIMAGEMASK)) |
                     INDEXTOSTATEIMAGEMASK(entry && entry->exempt ? 2 : 1);
    }
}

LRESULT findRow(const WindowState& state, const NMLVFINDITEMW& request)
{
    const LVFINDINFOW& find = request.lvfi;
    const bool partial = (find.flags & LVFI_PARTIAL) != 0;
    if (!find.psz || (!partial && (find.flags & LVFI_STRING) == 0)) {
        return -1;
    }
    return findListedRow(state, find.psz, request.iStart, !partial, (find.flags & LVFI_WRAP) != 0);
}

} // namespace

void routeTicksOfAppList(HWND list)
{
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&tickRoutes));
}

bool answerAppList(const WindowState& state, const NMHDR* header, LRESULT& result)
{
    if (header->hwndFrom != state.appList || !state.appList) {
        return false;
    }
    switch (header->code) {
    case LVN_GETDISPINFOW:
        describeRow(state, const_cast<NMLVDISPINFOW*>(reinterpret_cast<const NMLVDISPINFOW*>(header))->item);
        result = 0;
        return true;
    case LVN_ODFINDITEMW:
        result = findRow(state, *reinterpret_cast<const NMLVFINDITEMW*>(header));
        return true;
    default:
        return false;
    }
}

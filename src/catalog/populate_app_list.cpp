#include "catalog/populate_app_list.h"

#include "catalog/display_name.h"
#include "catalog/recommended_app.h"
#include "model/window_table.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// A Chinese input method in full-width mode types "ｅｄｇｅ" for "edge" and
// the ideographic space for a space: the full-width forms of ASCII become
// ASCII before the query is folded.
wchar_t asciiFormOf(wchar_t unit)
{
    constexpr wchar_t fullWidthFirst = 0xFF01;
    constexpr wchar_t fullWidthLast = 0xFF5E;
    constexpr wchar_t fullWidthOffset = 0xFF01 - 0x21;
    constexpr wchar_t ideographicSpace = 0x3000;
    if (unit == ideographicSpace) {
        return L' ';
    }
    return (unit >= fullWidthFirst && unit <= fullWidthLast) ? static_cast<wchar_t>(unit - fullWidthOffset) : unit;
}

// A pasted name often brings the spaces around it; those inside still count.
// Other white space is left: the box takes no tab or line break from the
// keyboard, so a query with one is looking for a name that has it.
std::wstring_view trimmed(std::wstring_view text)
{
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

// The box takes no more than the limit from the keyboard, but a text set
// otherwise may be longer: the query is its first units, and never half of a
// surrogate pair cut at the limit.
std::wstring searchQuery(HWND searchEdit)
{
    wchar_t buffer[texts::searchTextLimit + 2] = {};
    GetWindowTextW(searchEdit, buffer, texts::searchTextLimit + 2);
    std::wstring_view query(buffer);
    if (query.size() > static_cast<std::size_t>(texts::searchTextLimit)) {
        const bool pairCut = IS_HIGH_SURROGATE(query[texts::searchTextLimit - 1]) &&
                             IS_LOW_SURROGATE(query[texts::searchTextLimit]);
        query = query.substr(0, static_cast<std::size_t>(texts::searchTextLimit) - (pairCut ? 1 : 0));
    }
    std::wstring ascii(query);
    for (wchar_t& unit : ascii) {
        unit = asciiFormOf(unit);
    }
    return lowerCase(std::wstring(trimmed(ascii)));
}

// The catalog entry a row of the list stands for, or -1 for no row.
std::int64_t entryAtRow(const WindowState& state, LRESULT row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= state.visibleRows.size()) {
        return -1;
    }
    return static_cast<std::int64_t>(state.visibleRows[static_cast<std::size_t>(row)]);
}

// The row that shows a catalog entry, or -1 when it is not shown. The rows
// keep the catalog's order.
int rowOfEntry(const WindowState& state, std::int64_t entry)
{
    if (entry < 0) {
        return -1;
    }
    const auto found =
        std::lower_bound(state.visibleRows.begin(), state.visibleRows.end(), static_cast<std::uint64_t>(entry));
    if (found == state.visibleRows.end() || *found != static_cast<std::uint64_t>(entry)) {
        return -1;
    }
    return static_cast<int>(found - state.visibleRows.begin());
}

void setRowState(HWND list, int row, UINT state, UINT mask)
{
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

bool rowSelected(HWND list, LRESULT row)
{
    return row >= 0 && (SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED);
}

// The focused and the selected row, as catalog entries, so that they can
// follow their apps to new rows. The list allows one selected row; it is
// looked for among the focused row and the selection mark, since asking every
// row would cost a notification each.
struct KeptRows {
    int focusedRow = -1;
    int selectedRow = -1;
    std::int64_t focusedEntry = -1;
    std::int64_t selectedEntry = -1;
};

KeptRows rowsToKeep(const WindowState& state)
{
    HWND list = state.appList;
    KeptRows kept;
    kept.focusedRow = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0) {
        const auto mark = static_cast<int>(SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0));
        kept.selectedRow = rowSelected(list, kept.focusedRow) ? kept.focusedRow : rowSelected(list, mark) ? mark : -1;
    }
    kept.focusedEntry = entryAtRow(state, kept.focusedRow);
    kept.selectedEntry = entryAtRow(state, kept.selectedRow);
    return kept;
}

} // namespace

void populateAppList(WindowState& state)
{
    const std::wstring query = searchQuery(state.searchEdit);
    HWND list = state.appList;

    // Rows are positions: before they change meaning, focus and selection
    // leave them, and afterwards they return to the rows of the same apps.
    const KeptRows kept = rowsToKeep(state);
    if (kept.selectedRow >= 0) {
        setRowState(list, kept.selectedRow, 0, LVIS_SELECTED);
    }
    if (kept.focusedRow >= 0) {
        setRowState(list, kept.focusedRow, 0, LVIS_FOCUSED);
    }

    state.visibleRows.clear();
    const std::wstring_view keys(state.searchKeys);
    const std::vector<std::size_t>& starts = state.searchKeyStarts;
    for (std::size_t i = 0; i < state.apps.size(); ++i) {
        // The app behind the recommended box has its own control.
        if (static_cast<std::int64_t>(i) == state.recommendedIndex) {
            continue;
        }
        if (!query.empty() && keys.substr(starts[i], starts[i + 1] - starts[i]).find(query) == std::wstring_view::npos) {
            continue;
        }
        if (state.showOnlyTicked && !state.apps[i].exempt) {
            continue;
        }
        state.visibleRows.push_back(i);
    }
    // The list holds no rows of its own: it asks for the few it paints, and
    // the new count repaints it once.
    SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(state.visibleRows.size()), LVSICF_NOSCROLL);

    const int focusedRow = rowOfEntry(state, kept.focusedEntry);
    const int selectedRow = rowOfEntry(state, kept.selectedEntry);
    if (selectedRow >= 0) {
        setRowState(list, selectedRow, LVIS_SELECTED, LVIS_SELECTED);
        SendMessageW(list, LVM_SETSELECTIONMARK, 0, selectedRow);
    }
    if (focusedRow >= 0) {
        setRowState(list, focusedRow, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    // The kept row stays in sight; otherwise the results start at the top.
    const int shownRow = focusedRow >= 0 ? focusedRow : selectedRow >= 0 ? selectedRow : 0;
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(shownRow), FALSE);
    showEmptyListText(state);
}

void showEmptyListText(WindowState& state)
{
    // An empty catalog is said on the status line; this says that the search
    // or the filter left nothing of it, and names the filter, lest an app it
    // leaves out be taken for one that is not installed. The query is read
    // again only then.
    bool show = state.expanded && state.visibleRows.empty();
    if (show) {
        const bool searching = !searchQuery(state.searchEdit).empty();
        show = state.showOnlyTicked || searching;
        const wchar_t* text = !state.showOnlyTicked ? texts::noMatchingApps
                              : searching           ? texts::noTickedAppsMatch
                                                    : texts::noTickedApps;
        wchar_t current[64] = {};
        GetWindowTextW(state.emptyListText, current, 64);
        if (std::wstring_view(current) != text) {
            SetWindowTextW(state.emptyListText, text);
        }
    }
    const bool shown = (GetWindowLongPtrW(state.emptyListText, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != show) {
        ShowWindow(state.emptyListText, show ? SW_SHOWNA : SW_HIDE);
    }
}

void showExemptStates(WindowState& state)
{
    // The rows draw their check marks from the entries when next painted.
    InvalidateRect(state.appList, nullptr, FALSE);
    if (state.recommendedIndex >= 0) {
        const bool exempt = state.apps[static_cast<std::size_t>(state.recommendedIndex)].exempt;
        SendMessageW(state.recommendedCheck, BM_SETCHECK, exempt ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void indexCatalogForSearch(const std::vector<AppEntry>& apps, std::wstring& keys, std::vector<std::size_t>& starts)
{
    std::size_t length = 0;
    for (const AppEntry& entry : apps) {
        length += entry.displayName.size() + entry.containerName.size() + 2;
    }
    keys.clear();
    keys.reserve(length);
    starts.clear();
    starts.reserve(apps.size() + 1);
    for (const AppEntry& entry : apps) {
        starts.push_back(keys.size());
        keys.append(entry.displayName).push_back(L'\0');
        keys.append(entry.containerName).push_back(L'\0');
    }
    starts.push_back(keys.size());
    for (wchar_t& unit : keys) {
        unit = foldAsciiLetter(unit);
    }
}

int findListedRow(const WindowState& state, std::wstring_view text, int start, bool wholeName, bool wrap)
{
    const std::size_t rows = state.visibleRows.size();
    if (rows == 0 || text.empty()) {
        return -1;
    }
    const std::size_t first = start >= 0 && static_cast<std::size_t>(start) < rows ? static_cast<std::size_t>(start) : 0;
    const std::size_t steps = wrap ? rows : rows - first;
    for (std::size_t step = 0; step < steps; ++step) {
        const std::size_t row = (first + step) % rows;
        // What the user reads in the row, which the letters typed are of.
        const std::wstring name = shownName(state.apps[state.visibleRows[row]].displayName);
        if (name.size() < text.size() || (wholeName && name.size() != text.size())) {
            continue;
        }
        if (CompareStringOrdinal(name.data(), static_cast<int>(text.size()), text.data(),
                                 static_cast<int>(text.size()), TRUE) == CSTR_EQUAL) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

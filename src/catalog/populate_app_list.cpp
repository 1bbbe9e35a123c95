#include "catalog/populate_app_list.h"

#include "catalog/recommended_app.h"
#include "model/window_table.h"

#include <commctrl.h>

namespace {

// `folded` is scratch space reused across entries so that a rebuild does not
// allocate once per name.
bool foldedContains(std::wstring_view text, std::wstring_view query, std::wstring& folded)
{
    if (query.size() > text.size()) {
        return false;
    }
    folded.assign(text);
    for (wchar_t& unit : folded) {
        unit = foldAsciiLetter(unit);
    }
    return folded.find(query) != std::wstring::npos;
}

void showCheckMark(HWND list, int row, bool checked)
{
    LVITEMW checkState = {};
    checkState.stateMask = LVIS_STATEIMAGEMASK;
    checkState.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&checkState));
}

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

} // namespace

void populateAppList(WindowState& state)
{
    const std::wstring query = searchQuery(state.searchEdit);

    state.populating = true;
    SendMessageW(state.appList, LVM_DELETEALLITEMS, 0, 0);
    state.visibleRows.clear();

    std::wstring folded;
    for (std::size_t i = 0; i < state.apps.size(); ++i) {
        const AppEntry& entry = state.apps[i];
        // The app behind the recommended box has its own control.
        if (static_cast<std::int64_t>(i) == state.recommendedIndex) {
            continue;
        }
        if (!query.empty() && !foldedContains(entry.displayName, query, folded) &&
            !foldedContains(entry.containerName, query, folded)) {
            continue;
        }

        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(state.visibleRows.size());
        item.pszText = const_cast<wchar_t*>(entry.displayName.c_str());
        const auto row = static_cast<int>(SendMessageW(state.appList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        // A row that could not be inserted gets no mapping, so rows and
        // visibleRows stay in step.
        if (row < 0) {
            continue;
        }
        state.visibleRows.push_back(i);
        showCheckMark(state.appList, row, entry.exempt);
    }
    state.populating = false;
}

void showExemptStates(WindowState& state)
{
    state.populating = true;
    for (std::size_t row = 0; row < state.visibleRows.size(); ++row) {
        showCheckMark(state.appList, static_cast<int>(row), state.apps[state.visibleRows[row]].exempt);
    }
    if (state.recommendedIndex >= 0) {
        const bool exempt = state.apps[static_cast<std::size_t>(state.recommendedIndex)].exempt;
        SendMessageW(state.recommendedCheck, BM_SETCHECK, exempt ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    state.populating = false;
}

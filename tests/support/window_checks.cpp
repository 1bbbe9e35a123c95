#include "support/window_checks.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <set>

std::wstring displayKey(std::wstring_view name)
{
    std::wstring key(name);
    for (wchar_t& unit : key) {
        if (unit >= L'A' && unit <= L'Z') {
            unit = static_cast<wchar_t>(unit - L'A' + L'a');
        }
    }
    return key;
}

std::pair<std::string, std::wstring> displayOrderKey(std::wstring_view name)
{
    const DWORD flags = LCMAP_SORTKEY | LINGUISTIC_IGNORECASE | SORT_DIGITSASNUMBERS;
    const auto length = static_cast<int>(name.size());
    std::string key(static_cast<std::size_t>(LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, name.data(), length,
                                                           nullptr, 0, nullptr, nullptr, 0)), '\0');
    LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, name.data(), length, reinterpret_cast<LPWSTR>(key.data()),
                  static_cast<int>(key.size()), nullptr, nullptr, 0);
    return {key, displayKey(name)};
}

WindowSnapshot snapshotOf(const TestWindow& window)
{
    const WindowState& state = window.state();
    WindowSnapshot result;
    for (const AppEntry& entry : state.apps) {
        result.apps.emplace_back(entry.displayName, entry.containerName, entry.sidString, entry.exempt,
                                 entry.recommended);
    }
    result.preservedSids = state.preservedSids;
    result.retainedBinarySids = state.retainedBinarySids;
    result.recommendedIndex = state.recommendedIndex;
    result.checkText = windowText(state.recommendedCheck);
    result.checkState = SendMessageW(state.recommendedCheck, BM_GETCHECK, 0, 0);
    result.checkEnabled = IsWindowEnabled(state.recommendedCheck) != FALSE;
    result.visibleRows = state.visibleRows;
    for (int row = 0; row < window.rowCount(); ++row) {
        result.rows.emplace_back(fullRowText(state.appList, row), window.rowChecked(row));
    }
    return result;
}

namespace {

template <typename Broken>
std::optional<std::size_t> firstWhere(std::size_t count, Broken broken)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (broken(i)) {
            return i;
        }
    }
    return std::nullopt;
}

// Failures name the first difference only: a catalog of 30,000 entries or
// a name of 100,000 units would otherwise bury the report.
template <typename Item, typename Describe>
void expectSameSequence(const char* what, const std::vector<Item>& before, const std::vector<Item>& after,
                        Describe describe)
{
    if (before.size() != after.size()) {
        ADD_FAILURE() << what << ": " << before.size() << " before, " << after.size() << " after";
        return;
    }
    if (const auto found = firstWhere(before.size(), [&](std::size_t i) { return !(before[i] == after[i]); })) {
        ADD_FAILURE() << what << " differ at " << *found << ": " << describe(before[*found]) << " became "
                      << describe(after[*found]);
    }
}

} // namespace

std::string brief(std::wstring_view text)
{
    std::string shown;
    for (wchar_t unit : text.substr(0, 40)) {
        if (unit >= 0x20 && unit < 0x7F) {
            shown += static_cast<char>(unit);
        } else {
            char escape[8] = {};
            std::snprintf(escape, sizeof escape, "\\x%04X", static_cast<unsigned>(unit));
            shown += escape;
        }
    }
    return "\"" + shown + (text.size() > 40 ? "\"... (" + std::to_string(text.size()) + " units)" : "\"");
}

void expectSameSet(const char* what, const std::multiset<std::wstring>& expected,
                   const std::multiset<std::wstring>& actual)
{
    if (expected == actual) {
        return;
    }
    std::vector<std::wstring> missing;
    std::vector<std::wstring> extra;
    std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(), std::back_inserter(missing));
    std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(), std::back_inserter(extra));
    ADD_FAILURE() << what << ": " << missing.size() << " missing"
                  << (missing.empty() ? "" : ", first " + brief(missing.front())) << "; " << extra.size()
                  << " unexpected" << (extra.empty() ? "" : ", first " + brief(extra.front()));
}

void expectSameWindow(const WindowSnapshot& before, const WindowSnapshot& after)
{
    expectSameSequence("entries", before.apps, after.apps, [](const auto& entry) {
        return brief(std::get<0>(entry)) + " " + brief(std::get<2>(entry)) + (std::get<3>(entry) ? " exempt" : "");
    });
    EXPECT_EQ(after.preservedSids, before.preservedSids);
    EXPECT_EQ(after.retainedBinarySids, before.retainedBinarySids);
    EXPECT_EQ(after.recommendedIndex, before.recommendedIndex);
    EXPECT_EQ(after.checkText, before.checkText);
    EXPECT_EQ(after.checkState, before.checkState);
    EXPECT_EQ(after.checkEnabled, before.checkEnabled);
    EXPECT_EQ(after.visibleRows, before.visibleRows);
    expectSameSequence("rows", before.rows, after.rows,
                       [](const auto& row) { return brief(row.first) + (row.second ? " [x]" : " [ ]"); });
}

void expectWindowInvariants(const TestWindow& window)
{
    const WindowState& state = window.state();
    const std::vector<AppEntry>& apps = state.apps;
    std::set<std::wstring> sids;
    if (const auto found = firstWhere(apps.size(), [&](std::size_t i) {
            return apps[i].sidString.empty() || !sids.insert(apps[i].sidString).second;
        })) {
        ADD_FAILURE() << "entry " << *found << " has an empty or repeated SID " << brief(apps[*found].sidString);
    }
    if (const auto found = firstWhere(apps.size(), [&](std::size_t i) {
            return i > 0 && std::tuple(displayOrderKey(apps[i].displayName), apps[i].sidString) <
                               std::tuple(displayOrderKey(apps[i - 1].displayName), apps[i - 1].sidString);
        })) {
        ADD_FAILURE() << "out of display order at entry " << *found << ": " << brief(apps[*found - 1].displayName)
                      << " before " << brief(apps[*found].displayName);
    }
    const std::vector<std::wstring>& preserved = state.preservedSids;
    if (const auto found = firstWhere(preserved.size(), [&](std::size_t i) {
            return sids.count(preserved[i]) != 0 || (i > 0 && !(preserved[i - 1] < preserved[i]));
        })) {
        ADD_FAILURE() << "preserved SID " << *found << " " << brief(preserved[*found])
                      << " is listed, repeated or out of order";
    }

    // The box stands for the package before any keyword match, then for the
    // first in display order, then for the lowest SID.
    std::int32_t expectedIndex = -1;
    const auto bindingKey = [&](std::size_t i) {
        return std::make_tuple(!apps[i].packageMatch, displayOrderKey(apps[i].displayName), apps[i].sidString);
    };
    for (std::size_t i = 0; i < apps.size(); ++i) {
        if (apps[i].recommended &&
            (expectedIndex < 0 || bindingKey(i) < bindingKey(static_cast<std::size_t>(expectedIndex)))) {
            expectedIndex = static_cast<std::int32_t>(i);
        }
    }
    EXPECT_EQ(state.recommendedIndex, expectedIndex);
    if (state.recommendedIndex >= 0 && state.recommendedIndex == expectedIndex) {
        const bool exempt = apps[static_cast<std::size_t>(state.recommendedIndex)].exempt;
        EXPECT_EQ(SendMessageW(state.recommendedCheck, BM_GETCHECK, 0, 0), exempt ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_TRUE(IsWindowEnabled(state.recommendedCheck));
    }

    ASSERT_EQ(static_cast<std::size_t>(window.rowCount()), state.visibleRows.size());
    const std::vector<std::uint64_t>& rows = state.visibleRows;
    if (const auto badRow = firstWhere(rows.size(), [&](std::size_t row) {
            return rows[row] >= apps.size() || (row > 0 && rows[row] <= rows[row - 1]) ||
                   static_cast<std::int64_t>(rows[row]) == state.recommendedIndex;
        })) {
        ADD_FAILURE() << "row " << *badRow << " maps to entry " << rows[*badRow]
                      << ": out of range, out of catalog order or bound to the recommended box";
        return;
    }
    if (const auto badRow = firstWhere(rows.size(), [&](std::size_t row) {
            const AppEntry& entry = apps[rows[row]];
            return fullRowText(state.appList, static_cast<int>(row)) != entry.displayName ||
                window.rowChecked(static_cast<int>(row)) != entry.exempt;
        })) {
        const AppEntry& entry = apps[rows[*badRow]];
        ADD_FAILURE() << "row " << *badRow << " shows " << brief(fullRowText(state.appList, static_cast<int>(*badRow)))
                      << (window.rowChecked(static_cast<int>(*badRow)) ? " [x]" : " [ ]") << " for "
                      << brief(entry.displayName) << (entry.exempt ? " [x]" : " [ ]");
    }
}

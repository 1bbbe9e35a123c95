#include "catalog/sort_catalog.h"

#include <gtest/gtest.h>

namespace {

std::vector<AppEntry> catalogOf(std::initializer_list<const wchar_t*> names)
{
    std::vector<AppEntry> apps;
    unsigned number = 0;
    for (const wchar_t* name : names) {
        apps.push_back(AppEntry{name, L"container" + std::to_wstring(number), L"S-1-15-2-" + std::to_wstring(number),
                                number % 2 == 0, number % 3 == 0});
        ++number;
    }
    return apps;
}

std::vector<std::wstring> sortedNames(std::initializer_list<const wchar_t*> names)
{
    std::vector<AppEntry> apps = catalogOf(names);
    sortCatalog(apps);
    std::vector<std::wstring> result;
    for (const AppEntry& entry : apps) {
        result.push_back(entry.displayName);
    }
    return result;
}

TEST(SortCatalog, EmptyAndSingleCatalogsComeBackUnchanged)
{
    std::vector<AppEntry> empty;
    sortCatalog(empty);
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(sortedNames({L"Only"}), (std::vector<std::wstring>{L"Only"}));
}

TEST(SortCatalog, FoldsOnlyAsciiLettersAndPutsPrefixesFirst)
{
    EXPECT_LT(compareDisplayNames(L"app", L"Apple"), 0);
    EXPECT_EQ(compareDisplayNames(L"Apple", L"APPLE"), 0);
    EXPECT_LT(compareDisplayNames(L"_Tools", L"alpha"), 0);
    EXPECT_GT(compareDisplayNames(L"Zeta", L"_Tools"), 0);
    EXPECT_GT(compareDisplayNames(L"Äpfel", L"zebra"), 0);
    EXPECT_LT(compareDisplayNames(L"Äpfel", L"äpfel"), 0);
    EXPECT_GT(compareDisplayNames(L"\xFF21pp", L"\x4E00\x9FFF"), 0);
    EXPECT_LT(compareDisplayNames(L"9 Lives", L"a"), 0);
    EXPECT_LT(compareDisplayNames(L"", L"a"), 0);
}

// As Explorer orders names: digits as numbers, case ignored; then code units
// after folding A-Z, then the SID. Each name is listed with its SID's number.
TEST(SortCatalog, OrdersAsExplorerThenByCodeUnitsThenBySid)
{
    const std::pair<std::vector<std::pair<std::wstring, int>>, std::wstring> cases[] = {
        {{{L"zebra", 1}, {L"计算器", 2}, {L"Äpfel", 3}, {L"_Tools", 4}, {L"Apple", 5}, {L"app", 6}, {L"2048", 7},
          {L"邮件", 8}, {L"alpha", 9}},
         L"_Tools 4, 2048 7, alpha 9, Äpfel 3, app 6, Apple 5, zebra 1, 计算器 2, 邮件 8"},
        {{{L"App 10", 1}, {L"app 9", 2}, {L"App 100", 3}, {L"App 2", 4}}, L"App 2 4, app 9 2, App 10 1, App 100 3"},
        {{{L"zune", 3}, {L"äpfel", 1}, {L"Zune", 5}, {L"ZUNE", 2}, {L"Äpfel", 6}, {L"Zune", 4}},
         L"Äpfel 6, äpfel 1, ZUNE 2, zune 3, Zune 4, Zune 5"},
    };
    for (const auto& [names, expected] : cases) {
        std::vector<AppEntry> apps;
        for (const auto& [name, sid] : names) {
            apps.push_back(AppEntry{name, L"", L"S-1-15-2-" + std::to_wstring(sid)});
        }
        sortCatalog(apps);
        std::wstring order;
        for (const AppEntry& entry : apps) {
            order += (order.empty() ? L"" : L", ") + entry.displayName + L' ' + entry.sidString.substr(9);
        }
        EXPECT_EQ(order, expected);
    }
}

TEST(SortCatalog, EntriesMoveWithAllTheirFields)
{
    std::vector<AppEntry> apps = catalogOf({L"c", L"a", L"b"});
    sortCatalog(apps);
    ASSERT_EQ(apps.size(), 3u);
    for (const AppEntry& entry : apps) {
        const std::wstring number = entry.sidString.substr(entry.sidString.rfind(L'-') + 1);
        const unsigned original = static_cast<unsigned>(std::stoul(number));
        EXPECT_EQ(entry.containerName, L"container" + number);
        EXPECT_EQ(entry.exempt, original % 2 == 0);
        EXPECT_EQ(entry.recommended, original % 3 == 0);
    }
    EXPECT_EQ(apps[0].displayName, L"a");
}

TEST(SortCatalog, LargeCatalogIsInAscendingOrder)
{
    std::vector<AppEntry> apps;
    for (unsigned i = 0; i < 5000; ++i) {
        const unsigned scrambled = (i * 7919u) % 5000u;
        apps.push_back(AppEntry{(scrambled % 2 ? L"App " : L"app ") + std::to_wstring(scrambled), L"", L"", false, false});
    }
    sortCatalog(apps);
    for (std::size_t i = 1; i < apps.size(); ++i) {
        const std::wstring& previous = apps[i - 1].displayName;
        const std::wstring& next = apps[i].displayName;
        const int order = CompareStringEx(LOCALE_NAME_USER_DEFAULT, LINGUISTIC_IGNORECASE | SORT_DIGITSASNUMBERS,
                                          previous.data(), -1, next.data(), -1, nullptr, nullptr, 0);
        EXPECT_TRUE(order == CSTR_LESS_THAN || (order == CSTR_EQUAL && compareDisplayNames(previous, next) <= 0)) << i;
    }
}

} // namespace

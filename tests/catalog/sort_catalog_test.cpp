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

// Digits as numbers, case ignored; then code units; then SIDs ("S-1-15-2-10" before "-9").
TEST(SortCatalog, OrdersByDisplayNameAcrossScripts)
{
    EXPECT_EQ(sortedNames({L"zebra", L"计算器", L"äpfel", L"_Tools", L"App 10", L"app", L"2048", L"app 9", L"Äpfel",
                           L"zune", L"Zune", L"邮件", L"alpha"}),
              (std::vector<std::wstring>{L"_Tools", L"2048", L"alpha", L"Äpfel", L"äpfel", L"app", L"app 9", L"App 10",
                                         L"zebra", L"Zune", L"zune", L"计算器", L"邮件"}));
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
        EXPECT_NE(CompareStringEx(LOCALE_NAME_USER_DEFAULT, LINGUISTIC_IGNORECASE | SORT_DIGITSASNUMBERS,
                                  apps[i - 1].displayName.c_str(), -1, apps[i].displayName.c_str(), -1, nullptr,
                                  nullptr, 0),
                  CSTR_GREATER_THAN)
            << i;
    }
}

} // namespace

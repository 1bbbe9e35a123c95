#include "catalog/populate_app_list.h"

#include "support/catalog_fixture.h"

namespace {

class SearchFilter : public CatalogTest {
protected:
    // Catalog order: ChatGPT (recommended), Mail, Photos, Zune, 计算器.
    TestWindow& openCatalog()
    {
        addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
        addApp(2, L"Zune", L"Microsoft.ZuneMusic_8wekyb3d8bbwe");
        addApp(3, L"Photos", L"Microsoft.Windows.Photos_8wekyb3d8bbwe");
        addApp(4, L"Mail", L"microsoft.windowscommunicationsapps_8wekyb3d8bbwe");
        addApp(5, L"计算器", L"Microsoft.WindowsCalculator_8wekyb3d8bbwe");
        addExemption(3);
        return open();
    }

    // The rows as shown, checked ones marked, verified against visibleRows.
    std::vector<std::wstring> rows(const TestWindow& window)
    {
        std::vector<std::wstring> result;
        EXPECT_EQ(static_cast<std::size_t>(window.rowCount()), state().visibleRows.size());
        for (int row = 0; row < window.rowCount(); ++row) {
            const AppEntry& entry = state().apps[state().visibleRows[static_cast<std::size_t>(row)]];
            EXPECT_EQ(window.rowText(row), entry.displayName);
            EXPECT_EQ(window.rowChecked(row), entry.exempt) << row;
            EXPECT_NE(static_cast<std::int64_t>(state().visibleRows[static_cast<std::size_t>(row)]),
                      state().recommendedIndex);
            result.push_back(window.rowText(row) + (window.rowChecked(row) ? L" [x]" : L""));
        }
        return result;
    }
};

TEST_F(SearchFilter, EmptyQueryListsEveryAppButTheRecommendedInCatalogOrder)
{
    TestWindow& window = openCatalog();
    EXPECT_EQ(rows(window), (std::vector<std::wstring>{L"Mail", L"Photos [x]", L"Zune", L"计算器"}));
    EXPECT_EQ(state().visibleRows, (std::vector<std::uint64_t>{1, 2, 3, 4}));
}

TEST_F(SearchFilter, RecommendedAppIsNeverListedEvenWhenSearchedFor)
{
    TestWindow& window = openCatalog();
    window.setSearchText(L"ChatGPT");
    EXPECT_TRUE(rows(window).empty());
}

// A Chinese input method in full-width mode types "Ｚｕｎｅ" for "Zune".
TEST_F(SearchFilter, AsciiCaseAndFullWidthFormsAreIgnoredButOtherLettersMatchExactly)
{
    TestWindow& window = openCatalog();
    window.setSearchText(L"ZUNE");
    EXPECT_EQ(rows(window), (std::vector<std::wstring>{L"Zune"}));
    window.setSearchText(L"计算");
    EXPECT_EQ(rows(window), (std::vector<std::wstring>{L"计算器"}));
    window.setSearchText(L"\xFF3A\xFF55\xFF4E\xFF45");
    EXPECT_EQ(rows(window), (std::vector<std::wstring>{L"Zune"}));
    window.setSearchText(L"zun\x00C9");
    EXPECT_TRUE(rows(window).empty());
    // A name cannot reorder its row to pass for another; the search matches it as stored.
    addApp(6, L"\x202E" L"evil.exe\x202C txt.abc");
    window.command(refreshButtonId);
    window.setSearchText(L"evil.exe");
    EXPECT_EQ(window.rowText(0), L"evil.exe txt.abc");
    EXPECT_EQ(findListedRow(state(), L"evil", 0, false, true), 0) << "typing the letters one sees";
}

TEST_F(SearchFilter, ContainerNameMatchesListTheApp)
{
    TestWindow& window = openCatalog();
    window.setSearchText(L"8wekyb3d8bbwe");
    EXPECT_EQ(rows(window).size(), 4u);
    window.setSearchText(L"communicationsapps");
    EXPECT_EQ(rows(window), (std::vector<std::wstring>{L"Mail"}));
    window.setSearchText(L"mailmicrosoft");
    EXPECT_TRUE(rows(window).empty()) << "no match across the two names";
}

// White space around a pasted query is ignored; inside it, a space counts,
// whether typed half-width or as the ideographic space of a Chinese IME.
TEST_F(SearchFilter, SpacesAroundTheQueryAreIgnoredAndSpacesInsideCount)
{
    addApp(6, L"Microsoft Edge", L"Microsoft.MicrosoftEdge_8wekyb3d8bbwe");
    TestWindow& window = openCatalog();
    const struct {
        const wchar_t* query;
        std::vector<std::wstring> rows;
    } cases[] = {
        {L"  Mail  ", {L"Mail"}},
        {L"\x3000Mail\x3000 ", {L"Mail"}},
        {L"microsoft\x3000" L"edge", {L"Microsoft Edge"}},
        {L"microsoft  edge", {}},
        {L"Ma il", {}},
        {L" \x3000 ", {L"Mail", L"Microsoft Edge", L"Photos [x]", L"Zune", L"计算器"}},
    };
    for (const auto& test : cases) {
        window.setSearchText(test.query);
        EXPECT_EQ(rows(window), test.rows) << testing::PrintToString(std::wstring(test.query));
    }
    window.setSearchText(std::wstring(200, L'x'));
    EXPECT_TRUE(rows(window).empty());
}

// The box takes 255 units from the keyboard; a longer text set otherwise
// counts up to there, and a pair cut at the limit is left out whole.
TEST_F(SearchFilter, OnlyTheFirst255UnitsOfTheSearchTextCountAndNoHalfPair)
{
    addApp(9, std::wstring(255, L'q') + L"tail");
    addApp(8, std::wstring(254, L'q') + L"\xD83D");
    TestWindow& window = open();
    EXPECT_EQ(SendMessageW(state().searchEdit, EM_GETLIMITTEXT, 0, 0), texts::searchTextLimit);

    window.setSearchText(std::wstring(255, L'q') + std::wstring(45, L'z'));
    EXPECT_EQ(rows(window).size(), 1u);

    // Half a pair would match only the name that ends in that half.
    window.setSearchText(std::wstring(254, L'q') + L"\xD83D\xDE00" + std::wstring(44, L'z'));
    EXPECT_EQ(rows(window).size(), 2u);
}

TEST_F(SearchFilter, TicksSurviveFilteringAndShowAgain)
{
    TestWindow& window = openCatalog();
    window.setRowChecked(0, true);  // Mail
    window.setSearchText(L"zune");
    EXPECT_EQ(rows(window), (std::vector<std::wstring>{L"Zune"}));
    window.setSearchText(L"");
    EXPECT_EQ(rows(window), (std::vector<std::wstring>{L"Mail [x]", L"Photos [x]", L"Zune", L"计算器"}));
}

// The ticked-only filter works with the search; an app unticked under it
// stays listed until the list is rebuilt. An expanded list left empty by
// either says so, and a screen reader hears it; a compact window or an
// unfiltered list does not.
TEST_F(SearchFilter, TickedOnlyFilterAndTheTextOfAnEmptyResult)
{
    TestWindow& window = openCatalog();
    window.command(moreAppsButtonId);
    const auto emptyTextShown = [&] { return (GetWindowLongPtrW(state().emptyListText, GWL_STYLE) & WS_VISIBLE) != 0; };
    const auto heading = [&] {
        wchar_t text[32] = {};
        LVCOLUMNW column = {.mask = LVCF_TEXT, .pszText = text, .cchTextMax = 32};
        SendMessageW(state().appList, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        return std::wstring(text);
    };
    EXPECT_EQ(windowText(state().emptyListText), texts::noMatchingApps);

    window.command(showOnlyTickedId, 0);
    EXPECT_EQ(rows(window), (std::vector<std::wstring>{L"Photos [x]"}));
    window.setRowChecked(0, false);
    EXPECT_EQ(rows(window), (std::vector<std::wstring>{L"Photos"})) << "kept until the next search";
    EXPECT_FALSE(emptyTextShown());
    accessibility().events.clear();
    window.setSearchText(L"photos");
    EXPECT_TRUE(rows(window).empty());
    EXPECT_TRUE(emptyTextShown());
    ASSERT_EQ(accessibility().events.size(), 1u);
    EXPECT_EQ(accessibility().events[0].event, static_cast<DWORD>(EVENT_OBJECT_LIVEREGIONCHANGED));
    EXPECT_EQ(accessibility().events[0].window, state().emptyListText);
    EXPECT_EQ(windowText(state().emptyListText), texts::noTickedAppsMatch);
    EXPECT_EQ(heading(), texts::appColumnTickedOnly);
    EXPECT_EQ(accessibility().annotations.back().text, texts::appColumnTickedOnly) << "the list's name";
    RECT strip = {}, inside = {};
    GetWindowRect(state().emptyListText, &strip);
    GetClientRect(state().appList, &inside);
    MapWindowPoints(state().appList, nullptr, reinterpret_cast<POINT*>(&inside), 2);
    EXPECT_TRUE(strip.left >= inside.left && strip.right <= inside.right);
    window.setSearchText(L"");
    EXPECT_EQ(accessibility().events.back().text, texts::noTickedApps) << "read out again";
    window.setSearchText(L"photos");

    window.command(showOnlyTickedId, 0);
    EXPECT_EQ(rows(window), (std::vector<std::wstring>{L"Photos"}));
    EXPECT_FALSE(emptyTextShown());
    EXPECT_EQ(heading(), texts::appColumn);
    window.setSearchText(L"no such app");
    EXPECT_TRUE(emptyTextShown());
    EXPECT_EQ(windowText(state().emptyListText), texts::noMatchingApps);
    window.command(moreAppsButtonId);
    EXPECT_FALSE(emptyTextShown()) << "compact";
    window.command(moreAppsButtonId);
    EXPECT_TRUE(emptyTextShown());
    window.setSearchText(L"");
    EXPECT_FALSE(emptyTextShown());
    window.command(showOnlyTickedId, 0);
    EXPECT_TRUE(emptyTextShown()) << "nothing ticked";
}

TEST_F(SearchFilter, ListIsRebuiltWhileTheWindowIsCompact)
{
    TestWindow& window = openCatalog();
    ASSERT_FALSE(state().expanded);
    window.setSearchText(L"photos");
    EXPECT_EQ(rows(window), (std::vector<std::wstring>{L"Photos [x]"}));
}

TEST_F(SearchFilter, RebuildingTheListChangesNoExemption)
{
    TestWindow& window = openCatalog();
    const std::vector<bool> before = exemptFlags();
    populateAppList(state());
    window.setSearchText(L"a");
    EXPECT_EQ(exemptFlags(), before);
    EXPECT_FALSE(state().populating);
    EXPECT_EQ(status(), loadedStatus(5));
}

// Rows are positions in a virtual list: focus and selection follow their app.
TEST_F(SearchFilter, FocusAndSelectionStayWithTheirAppWhileASearchShowsIt)
{
    TestWindow& window = openCatalog();
    HWND list = state().appList;
    const auto rowWith = [&](UINT flag) {
        return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flag));
    };
    setRowState(list, 2, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);  // Zune

    window.setSearchText(L"zune");
    ASSERT_EQ(rows(window), (std::vector<std::wstring>{L"Zune"}));
    EXPECT_EQ(rowWith(LVNI_FOCUSED), 0);
    EXPECT_EQ(rowWith(LVNI_SELECTED), 0);
    window.setSearchText(L"");
    EXPECT_EQ(rowWith(LVNI_FOCUSED), 2);
    EXPECT_EQ(rowWith(LVNI_SELECTED), 2);
    window.setSearchText(L"windows");
    EXPECT_EQ(rowWith(LVNI_FOCUSED), -1) << "Zune is no longer shown, the app after it is";
    EXPECT_EQ(rowWith(LVNI_SELECTED), -1);
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
}

// Typing a name's first letters in the list moves to it, as in a list that
// keeps its rows: from the row after the focused one, round to the top.
TEST_F(SearchFilter, TypingTheFirstLettersOfANameSelectsItsRow)
{
    openCatalog();
    HWND list = state().appList;
    setRowState(list, 2, LVIS_FOCUSED, LVIS_FOCUSED);  // Zune, before the last row
    SendMessageW(list, WM_CHAR, L'm', 1);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED | LVNI_SELECTED), 0);

    WindowState listed;
    for (const wchar_t* name : {L"Mail", L"Maps", L"Photos", L"mahjong", L"Ma"}) {
        listed.apps.emplace_back().displayName = name;
    }
    listed.visibleRows = {0, 1, 2, 3};  // "Ma" is not shown
    const struct {
        const wchar_t* text;
        int start;
        bool wholeName;
        bool wrap;
        int row;
    } cases[] = {
        {L"ma", 0, false, true, 0},  {L"ma", 1, false, true, 1},  {L"MA", 2, false, true, 3},
        {L"map", 2, false, true, 1}, {L"map", 2, false, false, -1}, {L"ma", 0, true, true, -1},
        {L"maps", 3, true, true, 1}, {L"x", 0, false, true, -1},    {L"", 0, false, true, -1},
        {L"ph", 99, false, true, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findListedRow(listed, c.text, c.start, c.wholeName, c.wrap), c.row)
            << testing::PrintToString(std::wstring(c.text)) << " from " << c.start;
    }
}

} // namespace

#include "driver/program_test.h"
#include "test_apps.h"

namespace {

using namespace testApps;
using Saving = ProgramTest;

TEST_F(Saving, RecommendedAppIsAddedAndEveryOtherExemptionKept)
{
    writeStore(smallStore());
    const std::vector<std::string> appLines = otherLinesIn(storeBytes());
    ASSERT_TRUE(start());
    ASSERT_TRUE(statusBecomes(loadedStatus(4)));

    click(control(recommendedCheckId));
    ASSERT_TRUE(statusBecomes(texts::settingsChanged));
    EXPECT_TRUE(isChecked(control(recommendedCheckId)));
    click(control(applyButtonId));
    ASSERT_TRUE(statusBecomes(texts::saved));

    EXPECT_EQ(exemptionsIn(storeBytes()), sorted({rawSidHex, chatGptSid, orphanSid, weatherSid}));
    EXPECT_EQ(otherLinesIn(storeBytes()), appLines);
    EXPECT_FALSE(std::filesystem::exists(store_.wstring() + L".tmp"));
    EXPECT_TRUE(IsWindowEnabled(control(applyButtonId)));
}

TEST_F(Saving, RowsTickedInASearchAreSavedAfterTheListIsCollapsed)
{
    writeStore(smallStore());
    ASSERT_TRUE(start());
    ASSERT_TRUE(setExpanded(true));

    typeText(control(searchEditId), L"TELE");
    ASSERT_TRUE(waitUntil([&] { return rows() == std::vector<ListRow>{{L"Telegram Desktop", false}}; }))
        << testing::PrintToString(rows().size()) << " rows";
    ASSERT_TRUE(setChecked(L"Telegram Desktop", true));
    ASSERT_TRUE(statusBecomes(texts::settingsChanged));

    typeText(control(searchEditId), L"");
    ASSERT_TRUE(waitUntil([&] { return rows().size() == 3; }));
    EXPECT_EQ(rows(), (std::vector<ListRow>{{L"Spotify Music", false}, {L"Telegram Desktop", true}, {L"天气", true}}));
    ASSERT_TRUE(setChecked(L"天气", false));

    ASSERT_TRUE(setExpanded(false));
    click(control(applyButtonId));
    ASSERT_TRUE(statusBecomes(texts::saved));
    EXPECT_EQ(exemptionsIn(storeBytes()), sorted({rawSidHex, orphanSid, telegramSid}));
}

// Another program changes the list while the window is open: a save keeps
// what it did and adds the user's own tick.
TEST_F(Saving, KeepsWhatAnotherProgramChangedWhileTheWindowWasOpen)
{
    writeStore(smallStore());
    ASSERT_TRUE(start());
    ASSERT_TRUE(setExpanded(true));
    ASSERT_TRUE(setChecked(L"Telegram Desktop", true));
    ASSERT_TRUE(statusBecomes(texts::settingsChanged));

    writeStore(storeText({chatGptLine(), weatherLine(), telegramLine(), spotifyLine(), "exempt " + weatherSid,
                          "exempt " + spotifySid, "exempt-raw " + rawSidHex}));
    click(control(applyButtonId));
    // Spotify, which the user left alone, is exempt now: the user is told.
    ASSERT_TRUE(statusBecomes(L"设置已保存。其他程序同时更改了 1 个应用的设置：\x2068Spotify Music\x2069。列表已更新为系统当前的状态。"));

    EXPECT_EQ(exemptionsIn(storeBytes()), sorted({rawSidHex, spotifySid, telegramSid, weatherSid}));
    EXPECT_EQ(rows(), (std::vector<ListRow>{{L"Spotify Music", true}, {L"Telegram Desktop", true}, {L"天气", true}}));
}

TEST_F(Saving, AnAppTheSystemRefusesIsNamedAndEverythingElseIsSaved)
{
    writeStore(smallStore("refuse " + telegramSid + "\n"));
    ASSERT_TRUE(start());
    ASSERT_TRUE(setExpanded(true));
    ASSERT_TRUE(setChecked(L"Telegram Desktop", true));
    ASSERT_TRUE(setChecked(L"Spotify Music", true));
    click(control(applyButtonId));

    HWND box = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (box = findMessageBox(run_.processId())) != nullptr; }));
    EXPECT_EQ(textOf(box), texts::windowCaption);
    EXPECT_EQ(messageBoxText(box), texts::refusedBox + std::wstring(L"\x2068Telegram Desktop\x2069"));
    EXPECT_EQ(status(), texts::refusedBeforeCount + std::wstring(L"1") + texts::refusedAfterCount +
                            L"\x2068Telegram Desktop\x2069" + texts::refusedEnd);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(waitUntil([&] { return IsWindowEnabled(control(applyButtonId)) != FALSE; }));

    EXPECT_EQ(exemptionsIn(storeBytes()), sorted({rawSidHex, orphanSid, spotifySid, weatherSid}));
    EXPECT_EQ(rows(), (std::vector<ListRow>{{L"Spotify Music", true}, {L"Telegram Desktop", false}, {L"天气", true}}));
}

// The context menu's command, posted as the menu posts it: every row the
// search shows is ticked, the rest stays as it was.
TEST_F(Saving, TickingEveryShownAppTicksTheSearchResultsOnly)
{
    writeStore(smallStore());
    ASSERT_TRUE(start());
    ASSERT_TRUE(setExpanded(true));
    typeText(control(searchEditId), L"tele");
    ASSERT_TRUE(waitUntil([&] { return rows() == std::vector<ListRow>{{L"Telegram Desktop", false}}; }));

    PostMessageW(run_.window(), WM_COMMAND, MAKEWPARAM(tickAllShownId, 0), 0);
    ASSERT_TRUE(statusBecomes(texts::settingsChanged));
    click(control(applyButtonId));
    ASSERT_TRUE(statusBecomes(texts::saved));

    EXPECT_EQ(exemptionsIn(storeBytes()), sorted({rawSidHex, orphanSid, telegramSid, weatherSid}));
    EXPECT_FALSE(isChecked(control(recommendedCheckId)));
}

} // namespace

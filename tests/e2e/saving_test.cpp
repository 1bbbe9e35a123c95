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

} // namespace

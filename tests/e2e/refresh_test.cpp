#include "driver/program_test.h"
#include "test_apps.h"

namespace {

using namespace testApps;
using Refresh = ProgramTest;

TEST_F(Refresh, ShowsAppsAndExemptionsChangedOutsideSinceTheStart)
{
    writeStore(smallStore());
    ASSERT_TRUE(start());
    ASSERT_TRUE(statusBecomes(loadedStatus(4)));

    const std::string newAppSid = "S-1-15-2-1-2-3-4-5-6-7";
    writeStore(storeText({chatGptLine(), weatherLine(), telegramLine(), spotifyLine(),
                          appLine(newAppSid, "哔哩哔哩", "36699Atelier39.forWin10_pc1k8kzfnqk3p",
                                  "36699Atelier39.forWin10_1.6.1.0_x64__pc1k8kzfnqk3p"),
                          "exempt " + chatGptSid, "exempt " + newAppSid}));
    click(control(refreshButtonId));
    ASSERT_TRUE(statusBecomes(loadedStatus(5)));

    EXPECT_TRUE(isChecked(control(recommendedCheckId)));
    ASSERT_TRUE(setExpanded(true));
    EXPECT_EQ(rows(), (std::vector<ListRow>{{L"Spotify Music", false},
                                            {L"Telegram Desktop", false},
                                            {L"哔哩哔哩", true},
                                            {L"天气", false}}));
}

} // namespace

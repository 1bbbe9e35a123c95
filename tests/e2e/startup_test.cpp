#include "driver/program_test.h"
#include "driver/test_paths.h"

#include <algorithm>

namespace {

using Startup = ProgramTest;

// The sample store has 41 app records: one without a SID and a second record
// for Microsoft Edge's SID are left out, and ChatGPT sits in the check box.
constexpr int sampleAppCount = 39;

TEST_F(Startup, OpensCompactWithEveryAppOfTheSampleMachineCounted)
{
    writeStore(readFile(testPaths().sampleStore));
    ASSERT_TRUE(start());

    EXPECT_EQ(status(), loadedStatus(sampleAppCount));
    EXPECT_EQ(textOf(control(recommendedCheckId)), texts::recommendedFound);
    EXPECT_TRUE(IsWindowEnabled(control(recommendedCheckId)));
    EXPECT_FALSE(isChecked(control(recommendedCheckId)));
    EXPECT_EQ(textOf(control(moreAppsButtonId)), texts::moreAppsCollapsed);
    EXPECT_TRUE(IsWindowEnabled(control(applyButtonId)));
    for (const int advanced : {searchEditId, appListId, closeButtonId}) {
        EXPECT_FALSE(IsWindowVisible(control(advanced))) << "control " << advanced;
    }
}

TEST_F(Startup, ListShowsResolvedNamesFallbacksAndTheExistingExemptions)
{
    writeStore(readFile(testPaths().sampleStore));
    ASSERT_TRUE(start());
    ASSERT_TRUE(setExpanded(true));
    EXPECT_EQ(textOf(control(moreAppsButtonId)), texts::moreAppsExpanded);

    const std::vector<ListRow> shown = rows();
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(sampleAppCount - 1));
    const auto rowOf = [&](const std::wstring& text) {
        return std::find_if(shown.begin(), shown.end(), [&](const ListRow& row) { return row.text == text; });
    };
    // Resolved from the simulated DLL's string table.
    EXPECT_NE(rowOf(L"工作或学校帐户"), shown.end());
    // Package resources do not resolve, and empty or missing names fall back:
    // each shows its container name.
    for (const wchar_t* containerName :
         {L"Microsoft.WindowsCalculator_8wekyb3d8bbwe", L"Microsoft.Win32WebViewHost_cw5n1h2txyewy",
          L"Microsoft.Windows.OOBENetworkConnectionFlow_cw5n1h2txyewy"}) {
        EXPECT_NE(rowOf(containerName), shown.end()) << testing::PrintToString(std::wstring(containerName));
    }
    EXPECT_EQ(rowOf(L"ChatGPT"), shown.end());
    EXPECT_EQ(std::count(shown.begin(), shown.end(), ListRow{L"Microsoft Edge", false}), 1);

    std::vector<std::wstring> checked;
    for (const ListRow& row : shown) {
        if (row.checked) {
            checked.push_back(row.text);
        }
    }
    EXPECT_EQ(checked, (std::vector<std::wstring>{L"Spotify Music", L"天气", L"手机连接"}));
}

} // namespace

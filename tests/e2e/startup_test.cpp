#include "driver/program_test.h"
#include "driver/test_paths.h"
#include "test_apps.h"

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
    EXPECT_EQ(checked, (std::vector<std::wstring>{L"Spotify Music", L"天气"}));
}

// A screen of 1024 x 768 of the test's own: a Wine virtual desktop of that
// size, which the test's thread joins so that it sees the program's windows.
class SmallScreen {
public:
    explicit SmallScreen(const wchar_t* name) : name_(name), previous_(GetThreadDesktop(GetCurrentThreadId()))
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, desktopSizes, name, REG_SZ, L"1024x768", sizeof(L"1024x768"));
        desktop_ = CreateDesktopW(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        joined_ = desktop_ && SetThreadDesktop(desktop_);
    }
    SmallScreen(const SmallScreen&) = delete;
    SmallScreen& operator=(const SmallScreen&) = delete;
    ~SmallScreen()
    {
        SetThreadDesktop(previous_);
        if (desktop_) {
            CloseDesktop(desktop_);
        }
        RegDeleteKeyValueW(HKEY_CURRENT_USER, desktopSizes, name_.c_str());
    }

    bool joined() const { return joined_; }
    const std::wstring& name() const { return name_; }

private:
    static constexpr wchar_t desktopSizes[] = L"Software\\Wine\\Explorer\\Desktops";
    std::wstring name_;
    HDESK previous_;
    HDESK desktop_ = nullptr;
    bool joined_ = false;
};

TEST_F(Startup, OnASmallScreenTheExpandedWindowStaysInsideTheWorkArea)
{
    const SmallScreen screen(L"OrvaSmallScreen");
    ASSERT_TRUE(screen.joined());
    writeStore(testApps::smallStore());
    ASSERT_TRUE(startProgram(testPaths().program, {}, screen.name()));
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT compact = {};
    GetWindowRect(run_.window(), &compact);

    ASSERT_TRUE(setExpanded(true));
    // The status line moves last, after the window has grown and moved.
    ASSERT_TRUE(waitUntil([&] {
        RECT status = {};
        GetWindowRect(control(statusLabelId), &status);
        MapWindowPoints(nullptr, run_.window(), reinterpret_cast<POINT*>(&status), 2);
        return status.top == layout::expandedStatusLabel.y;
    }));

    RECT expanded = {};
    GetWindowRect(run_.window(), &expanded);
    EXPECT_EQ(work.bottom - work.top, 768) << "the screen the test made";
    EXPECT_EQ(expanded.left, compact.left);
    EXPECT_GE(expanded.top, work.top);
    EXPECT_LE(expanded.bottom, work.bottom);
    EXPECT_EQ(expanded.bottom - expanded.top, layout::expandedWindowHeight);
}

} // namespace

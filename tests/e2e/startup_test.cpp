#include "driver/program_test.h"
#include "driver/test_paths.h"
#include "test_apps.h"

#include <algorithm>

namespace {

using Startup = ProgramTest;

SIZE clientSizeOf(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// Where a control of the program's window is, in the window's client area.
RECT clientRectOf(HWND control)
{
    RECT place = {};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

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

// A screen of the test's own: a Wine virtual desktop of `size` ("1024x768"),
// which the test's thread joins so that it sees the program's windows.
class SmallScreen {
public:
    SmallScreen(const wchar_t* name, const std::wstring& size)
        : name_(name), previous_(GetThreadDesktop(GetCurrentThreadId()))
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, desktopSizes, name, REG_SZ, size.c_str(),
                        static_cast<DWORD>((size.size() + 1) * sizeof(wchar_t)));
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

// The work area of the window's monitor. This process keeps the work area of
// the first desktop it saw (SPI_GETWORKAREA); the monitor's own is the
// desktop's it was started on.
RECT workAreaOf(HWND window)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    EXPECT_TRUE(GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor));
    return monitor.rcWork;
}

// A work area lower than the expanded window: a laptop at 150 % (1280 x 720
// less the taskbar), and a netbook. Wine keeps the size of the last virtual
// desktop made as the screen of every process started after it, so this runs
// before the test below, whose 1024 x 768 is what the tests after them see. The window takes the work area's height
// from its top, the list gives up the difference, and the status line and
// the close button stay on screen; collapsing gives the compact window back.
TEST_F(Startup, OnAWorkAreaLowerThanTheExpandedWindowEveryControlStaysOnScreen)
{
    for (const wchar_t* size : {L"1280x672", L"1024x600"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(size)));
        const SmallScreen screen(L"OrvaLowScreen", size);
        ASSERT_TRUE(screen.joined());
        writeStore(testApps::smallStore());
        ASSERT_TRUE(startProgram(testPaths().program, {}, screen.name()));
        const RECT work = workAreaOf(run_.window());
        RECT compact = {};
        GetWindowRect(run_.window(), &compact);

        ASSERT_TRUE(setExpanded(true));
        // The status line moves last, once the window has moved and grown.
        ASSERT_TRUE(
            waitUntil([&] { return clientRectOf(control(statusLabelId)).top > layout::compactStatusLabel.y; }));
        RECT expanded = {};
        GetWindowRect(run_.window(), &expanded);
        // The expanded window's frame, with its sizing border.
        const int frameHeight = static_cast<int>(expanded.bottom - expanded.top) - clientSizeOf(run_.window()).cy;
        const int shortening =
            layout::expandedClientHeight + frameHeight - static_cast<int>(work.bottom - work.top);
        ASSERT_GT(shortening, 0);
        EXPECT_EQ(clientRectOf(control(statusLabelId)).top, layout::expandedStatusLabel.y - shortening);
        EXPECT_EQ(expanded.left, compact.left);
        EXPECT_EQ(expanded.top, work.top);
        EXPECT_EQ(expanded.bottom, work.bottom);
        for (const int id : {statusLabelId, closeButtonId, appListId}) {
            RECT place = {};
            GetWindowRect(control(id), &place);
            EXPECT_LE(place.bottom, work.bottom) << id;
            EXPECT_TRUE(IsWindowVisible(control(id))) << id;
        }
        RECT list = {};
        GetWindowRect(control(appListId), &list);
        EXPECT_EQ(list.bottom - list.top, layout::appList.height - shortening);

        ASSERT_TRUE(setExpanded(false));
        ASSERT_TRUE(waitUntil([&] { return clientSizeOf(run_.window()).cy == layout::compactClientHeight; }));
        PostMessageW(run_.window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(run_.waitForExit(), std::optional<DWORD>(0));
    }
}

// Wine reports the prefix's LogPixels as the DPI of the programs started
// while it is set; 96, the default, again when the test ends.
struct ScreenDpi {
    explicit ScreenDpi(DWORD dpi) { set(dpi); }
    ~ScreenDpi() { set(USER_DEFAULT_SCREEN_DPI); }
    static void set(DWORD dpi)
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    }
};

// A 1920 x 1080 screen at 150 %, whole and less a taskbar, and at 200 %: the
// window is laid out in its own pixels, and the expanded window, as high as
// the screen or higher, stays inside the work area with every control inside
// it. Before the test below, for the reason given above.
TEST_F(Startup, At150And200PercentOnA1080PixelScreenTheExpandedWindowFitsWithEveryControlInside)
{
    for (const auto& [dpi, size] : {std::pair{144, L"1920x1080"}, {144, L"1920x1032"}, {192, L"1920x1080"}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(size)) + " at " + std::to_string(dpi));
        const ScreenDpi screenDpi(dpi);
        const SmallScreen screen(L"OrvaScaledScreen", size);
        ASSERT_TRUE(screen.joined());
        writeStore(testApps::smallStore());
        ASSERT_TRUE(startProgram(testPaths().program, {}, screen.name()));
        EXPECT_EQ(clientSizeOf(run_.window()).cx, MulDiv(layout::clientWidth, dpi, USER_DEFAULT_SCREEN_DPI));
        const RECT work = workAreaOf(run_.window());

        ASSERT_TRUE(setExpanded(true));
        // The status line moves last, once the window has moved and grown.
        ASSERT_TRUE(
            waitUntil([&] { return clientRectOf(control(statusLabelId)).top > layout::expandedStatusLabel.y; }));
        const auto inside = [](const RECT& inner, const RECT& outer) {
            RECT common = {};
            return IntersectRect(&common, &inner, &outer) && EqualRect(&common, &inner);
        };
        RECT window = {};
        GetWindowRect(run_.window(), &window);
        EXPECT_TRUE(inside(window, work));
        const RECT client = {0, 0, clientSizeOf(run_.window()).cx, clientSizeOf(run_.window()).cy};
        for (const int id : {recommendedCheckId, moreAppsButtonId, refreshButtonId, applyButtonId, searchEditId,
                             appListId, statusLabelId, closeButtonId}) {
            EXPECT_TRUE(IsWindowVisible(control(id)) && inside(clientRectOf(control(id)), client)) << id;
        }
        PostMessageW(run_.window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(run_.waitForExit(), std::optional<DWORD>(0));
    }
}

TEST_F(Startup, OnASmallScreenTheExpandedWindowStaysInsideTheWorkArea)
{
    const SmallScreen screen(L"OrvaSmallScreen", L"1024x768");
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
    EXPECT_EQ(clientSizeOf(run_.window()).cy, layout::expandedClientHeight);
}

} // namespace

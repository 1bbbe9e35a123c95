#include "bench_window.h"
#include "catalog_memory.h"
#include "control_outline.h"
#include "design_floor.h"
#include "prebuilt_store.h"
#include "stall_meter.h"
#include "startup_probe.h"
#include "synthetic_catalog.h"
#include "timing.h"

#include "app/main_window.h"
#include "model/control_ids.h"
#include "catalog/populate_app_list.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

TEST(Median, TakesTheMiddleOrTheMeanOfTheTwoMiddleValues)
{
    EXPECT_EQ(median({}), 0.0);
    EXPECT_EQ(median({5.0}), 5.0);
    EXPECT_EQ(median({9.0, 1.0, 5.0}), 5.0);
    EXPECT_EQ(median({8.0, 1.0, 4.0, 2.0}), 3.0);
    EXPECT_EQ(median({7.0, 7.0, 1.0, 100.0, 2.0}), 7.0);
}

TEST(CatalogBytes, CountsTheArrayAsAllocatedAndOnlyStringsOutsideTheirEntry)
{
    std::vector<AppEntry> apps;
    apps.reserve(4);
    apps.push_back(AppEntry{L"A", L"", L"", false, false});
    apps.push_back(AppEntry{std::wstring(100, L'x'), L"", L"", false, false});
    const std::size_t longName = (apps[1].displayName.capacity() + 1) * sizeof(wchar_t);
    EXPECT_EQ(catalogBytes(apps), apps.capacity() * sizeof(AppEntry) + longName);
}

class BenchList : public testing::Test {
protected:
    BenchList() : store_(makeSyntheticCatalog(60)) { window_ = std::make_unique<BenchWindow>(); }

    HWND list() const { return window_->state().appList; }

    PrebuiltStore store_;
    std::unique_ptr<BenchWindow> window_;
};

TEST_F(BenchList, ShownListIsFullVisibleAndPaintedBeforeEachTimedSearch)
{
    WindowState& state = window_->state();
    window_->setListShown(true);
    window_->showEveryApp();
    const std::size_t fullRows = state.visibleRows.size();
    window_->setSearchTextQuietly(matchNoApp.text);
    populateAppList(state);
    ASSERT_EQ(state.visibleRows.size(), 0u);

    window_->showEveryApp();
    EXPECT_TRUE(state.expanded);
    EXPECT_TRUE(IsWindowVisible(list()));
    EXPECT_EQ(state.visibleRows.size(), fullRows);
    EXPECT_EQ(static_cast<std::size_t>(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0)), fullRows);
    EXPECT_FALSE(GetUpdateRect(list(), nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(state.window, nullptr, FALSE));

    window_->setListShown(false);
    EXPECT_FALSE(IsWindowVisible(list()));
}

TEST(StallMeter, TakesTheLongestTimeTheThreadAnsweredNothing)
{
    StallMeter meter;
    pumpMessages();
    meter.reset();
    Sleep(150);
    const std::uint64_t answers = meter.answers();
    while (meter.answers() == answers) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        pumpMessages();
    }
    EXPECT_GE(meter.longestMilliseconds(), 140.0);
    EXPECT_GE(meter.firstAnswerMilliseconds(), 140.0);
    meter.reset();
    EXPECT_EQ(meter.longestMilliseconds(), 0.0);
}

std::wstring besideThisProgram(const wchar_t* name)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory = path;
    return directory.substr(0, directory.find_last_of(L'\\') + 1) + name;
}

DWORD windowsOfClass(const wchar_t* windowClass)
{
    DWORD count = 0;
    for (HWND window = FindWindowExW(nullptr, nullptr, windowClass, nullptr); window;
         window = FindWindowExW(nullptr, window, windowClass, nullptr)) {
        ++count;
    }
    return count;
}

TEST(StartupProbe, TimesAProgramUntilItsWindowIsPaintedAndThenClosesIt)
{
    const std::optional<StartupResult> floor =
        measureStartup(besideThisProgram(L"bench_design_floor.exe"), designFloorClassName, 0);
    ASSERT_TRUE(floor.has_value());
    EXPECT_GT(floor->milliseconds, 0.0);
    EXPECT_EQ(windowsOfClass(designFloorClassName), 0u);
}

TEST(StartupProbe, ReadsTheProgramsStatusLineFromTheOtherProcess)
{
    const std::optional<StartupResult> program =
        measureStartup(besideThisProgram(L"..\\OrvaLoopback.exe"), L"OrvaLoopbackWindow", statusLabelId);
    ASSERT_TRUE(program.has_value());
    EXPECT_FALSE(program->status.empty());
}

// The floor's time stands for the program's visible work only while it
// builds the same window; the comparison must also see where it does not.
// Both read the store through the simulated FirewallAPI.dll: one of another
// size than the start-up store shows that they do.
TEST(StartupProbe, DesignFloorHasTheProgramsControlsAndListsTheStoresRowsHidden)
{
    constexpr std::size_t storeApps = 120;
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(CopyFileW(besideThisProgram(L"..\\sim\\FirewallAPI.dll").c_str(),
                          (std::wstring(system) + L"\\FirewallAPI.dll").c_str(), FALSE));
    const std::wstring store = besideThisProgram(L"startup-store.txt");
    std::ofstream(store.c_str(), std::ios::binary) << storeFileText(makeSyntheticCatalog(storeApps));
    SetEnvironmentVariableW(L"ORVA_LOOPBACK_STORE", store.c_str());

    const std::optional<StartupResult> program =
        measureStartup(besideThisProgram(L"..\\OrvaLoopback.exe"), mainWindowClassName, statusLabelId);
    const std::optional<StartupResult> floor =
        measureStartup(besideThisProgram(L"bench_design_floor.exe"), designFloorClassName, 0);
    ASSERT_TRUE(program.has_value());
    ASSERT_TRUE(floor.has_value());
    EXPECT_EQ(firstControlDifference(program->outline, floor->outline), "");
    // Every app but the recommended one.
    EXPECT_EQ(program->outline.listRows, static_cast<int>(storeApps) - 1);
    EXPECT_EQ(floor->outline.listRows, static_cast<int>(storeApps) - 1);

    const auto list = std::find_if(floor->outline.controls.begin(), floor->outline.controls.end(),
                                   [](const ControlOutline& control) { return control.className == WC_LISTVIEWW; });
    ASSERT_NE(list, floor->outline.controls.end());
    const auto listIndex = static_cast<std::size_t>(list - floor->outline.controls.begin());
    WindowOutline changed = floor->outline;
    changed.controls[listIndex].style |= WS_VISIBLE;
    EXPECT_NE(firstControlDifference(program->outline, changed)
                  .find("control " + std::to_string(listIndex + 1) + " (SysListView32): style"),
              std::string::npos);
    changed = floor->outline;
    changed.controls[listIndex].listExtendedStyle &= ~static_cast<DWORD>(LVS_EX_CHECKBOXES);
    EXPECT_NE(firstControlDifference(program->outline, changed), "");
    changed = floor->outline;
    changed.controls[0].bounds.right += 1;
    EXPECT_NE(firstControlDifference(program->outline, changed), "");
    changed = floor->outline;
    changed.controls.pop_back();
    EXPECT_NE(firstControlDifference(program->outline, changed), "");
}

TEST(StartupProbe, ReportsNothingForAProgramThatDoesNotStartOrEndsWithoutAWindow)
{
    EXPECT_FALSE(measureStartup(besideThisProgram(L"no-such-program.exe"), designFloorClassName, 0).has_value());
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_FALSE(measureStartup(std::wstring(system) + L"\\hostname.exe", designFloorClassName, 0).has_value());
}

} // namespace

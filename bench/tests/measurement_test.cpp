#include "bench_window.h"
#include "catalog_memory.h"
#include "list_view_meter.h"
#include "minimal_window.h"
#include "prebuilt_store.h"
#include "startup_probe.h"
#include "timing.h"

#include "model/control_ids.h"
#include "catalog/populate_app_list.h"

#include <commctrl.h>
#include <gtest/gtest.h>

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

class MeteredList : public testing::Test {
protected:
    MeteredList() : store_(makeSyntheticCatalog(60)) { window_ = std::make_unique<BenchWindow>(); }

    HWND list() const { return window_->state().appList; }

    PrebuiltStore store_;
    std::unique_ptr<BenchWindow> window_;
};

TEST_F(MeteredList, CountsEachMessageOfARefillOnceWithItsTime)
{
    ListViewMeter meter(list());
    EXPECT_EQ(meter.messages(), 0u);
    populateAppList(window_->state());
    const std::size_t rows = window_->state().visibleRows.size();
    ASSERT_GT(rows, 0u);
    // LVM_DELETEALLITEMS, then LVM_INSERTITEMW and LVM_SETITEMSTATE per row;
    // what the list sends itself meanwhile belongs to those.
    EXPECT_EQ(meter.messages(), 1 + 2 * rows);
    EXPECT_GT(meter.milliseconds(), 0.0);

    meter.reset();
    EXPECT_EQ(meter.messages(), 0u);
    EXPECT_EQ(meter.milliseconds(), 0.0);
}

TEST_F(MeteredList, GivesTheListItsOwnProcedureBack)
{
    const LONG_PTR listProc = GetWindowLongPtrW(list(), GWLP_WNDPROC);
    {
        const ListViewMeter meter(list());
        EXPECT_NE(GetWindowLongPtrW(list(), GWLP_WNDPROC), listProc);
    }
    EXPECT_EQ(GetWindowLongPtrW(list(), GWLP_WNDPROC), listProc);
    populateAppList(window_->state());
    EXPECT_EQ(static_cast<std::size_t>(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0)),
              window_->state().visibleRows.size());
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
    const std::optional<StartupResult> minimal =
        measureStartup(besideThisProgram(L"bench_minimal_window.exe"), minimalWindowClassName, 0);
    ASSERT_TRUE(minimal.has_value());
    EXPECT_GT(minimal->milliseconds, 0.0);
    EXPECT_EQ(windowsOfClass(minimalWindowClassName), 0u);
}

TEST(StartupProbe, ReadsTheProgramsStatusLineFromTheOtherProcess)
{
    const std::optional<StartupResult> program =
        measureStartup(besideThisProgram(L"..\\OrvaLoopback.exe"), L"OrvaLoopbackWindow", statusLabelId);
    ASSERT_TRUE(program.has_value());
    EXPECT_FALSE(program->status.empty());
}

TEST(StartupProbe, ReportsNothingForAProgramThatDoesNotStartOrEndsWithoutAWindow)
{
    EXPECT_FALSE(measureStartup(besideThisProgram(L"no-such-program.exe"), minimalWindowClassName, 0).has_value());
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_FALSE(measureStartup(std::wstring(system) + L"\\hostname.exe", minimalWindowClassName, 0).has_value());
}

} // namespace

#include "bench_window.h"
#include "prebuilt_store.h"
#include "synthetic_catalog.h"

#include "catalog/populate_app_list.h"
#include "catalog/recommended_app.h"
#include "store/load_catalog.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <set>

namespace {

constexpr std::size_t appCount = 400;

TEST(SyntheticCatalog, EveryAppHasItsOwnConvertibleSidAndOnlyOneIsRecommended)
{
    const SyntheticCatalog catalog = makeSyntheticCatalog(appCount);
    ASSERT_EQ(catalog.apps.size(), appCount);
    std::set<std::wstring> sids;
    int recommended = 0;
    for (const SyntheticApp& app : catalog.apps) {
        PSID sid = nullptr;
        EXPECT_TRUE(ConvertStringSidToSidW(app.sid.c_str(), &sid)) << app.sid;
        LocalFree(sid);
        sids.insert(app.sid);
        recommended += isRecommendedApp(app.displayName, app.containerName, app.packageFullName) ? 1 : 0;
    }
    EXPECT_EQ(sids.size(), appCount);
    EXPECT_EQ(recommended, 1);
}

TEST(SyntheticCatalog, IsTheSameForEveryRun)
{
    const SyntheticCatalog first = makeSyntheticCatalog(50);
    const SyntheticCatalog second = makeSyntheticCatalog(50);
    ASSERT_EQ(first.apps.size(), second.apps.size());
    for (std::size_t i = 0; i < first.apps.size(); ++i) {
        EXPECT_EQ(first.apps[i].sid, second.apps[i].sid);
        EXPECT_EQ(first.apps[i].displayName, second.apps[i].displayName);
        EXPECT_EQ(first.apps[i].containerName, second.apps[i].containerName);
    }
    EXPECT_EQ(first.exemptions, second.exemptions);
}

TEST(SyntheticCatalog, StoreFileHasOneTabSeparatedLinePerAppAndExemptionInUtf8)
{
    SyntheticCatalog catalog;
    catalog.apps.push_back(SyntheticApp{L"S-1-15-2-1-2-3-4-5-6-7", L"计算器 42", L"Microsoft.Calc_8wekyb3d8bbwe",
                                        L"Microsoft.Calc_1.0.0.0_x64__8wekyb3d8bbwe"});
    catalog.exemptions.push_back(L"S-1-15-2-1-2-3-4-5-6-8");
    const std::string text = storeFileText(catalog);
    EXPECT_NE(text.find("\napp S-1-15-2-1-2-3-4-5-6-7\t\xE8\xAE\xA1\xE7\xAE\x97\xE5\x99\xA8 42\t"
                        "Microsoft.Calc_8wekyb3d8bbwe\tMicrosoft.Calc_1.0.0.0_x64__8wekyb3d8bbwe\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nexempt S-1-15-2-1-2-3-4-5-6-8\n"), std::string::npos) << text;
}

// The stand-ins and the program's own load, search and list together: the
// figures are labelled with what these checks establish.
class BenchCatalog : public testing::Test {
protected:
    BenchCatalog() : store_(makeSyntheticCatalog(appCount)) { window_ = std::make_unique<BenchWindow>(); }

    std::size_t rowsFor(const wchar_t* query)
    {
        window_->setSearchTextQuietly(query);
        populateAppList(window_->state());
        return window_->state().visibleRows.size();
    }

    PrebuiltStore store_;
    std::unique_ptr<BenchWindow> window_;
};

TEST_F(BenchCatalog, LoadsEveryAppWithItsExemptionAndKeepsThoseOfAbsentApps)
{
    const WindowState& state = window_->state();
    ASSERT_EQ(state.apps.size(), appCount);
    const std::set<std::wstring> exempt(store_.catalog().exemptions.begin(), store_.catalog().exemptions.end());
    for (const AppEntry& entry : state.apps) {
        EXPECT_EQ(entry.exempt, exempt.count(entry.sidString) == 1) << entry.sidString;
    }
    EXPECT_EQ(state.preservedSids.size(), 3u);
    EXPECT_GE(state.recommendedIndex, 0);
}

TEST_F(BenchCatalog, QueriesReachEveryListedAppHalfOfThemAndNone)
{
    EXPECT_EQ(rowsFor(matchEveryApp.text), appCount - 1);
    const std::size_t half = rowsFor(matchHalfOfTheApps.text);
    EXPECT_GE(half, appCount * 45 / 100);
    EXPECT_LE(half, appCount * 55 / 100);
    EXPECT_EQ(rowsFor(matchNoApp.text), 0u);
}

TEST_F(BenchCatalog, QuietSearchTextLeavesTheListAsItWas)
{
    const std::size_t shown = window_->state().visibleRows.size();
    window_->setSearchTextQuietly(matchNoApp.text);
    EXPECT_EQ(window_->state().visibleRows.size(), shown);
    EXPECT_FALSE(window_->state().populating);
}

TEST_F(BenchCatalog, EveryLoadFindsTheSameRecordsAndTheTimeSpentInThem)
{
    WindowState& state = window_->state();
    store_.resetCallTime();
    EXPECT_EQ(store_.callMilliseconds(), 0.0);
    const std::vector<std::wstring> sidsBefore = [&] {
        std::vector<std::wstring> sids;
        for (const AppEntry& entry : state.apps) {
            sids.push_back(entry.sidString);
        }
        return sids;
    }();
    window_->load();
    ASSERT_EQ(state.apps.size(), sidsBefore.size());
    for (std::size_t i = 0; i < sidsBefore.size(); ++i) {
        EXPECT_EQ(state.apps[i].sidString, sidsBefore[i]);
    }
    EXPECT_GT(store_.callMilliseconds(), 0.0);
}

TEST(PrebuiltStore, ItsBindingGoesWithIt)
{
    auto store = std::make_unique<PrebuiltStore>(makeSyntheticCatalog(3));
    BenchWindow window;
    store.reset();
    window.load();
    EXPECT_EQ(window.state().apps.size(), 3u);
}

} // namespace

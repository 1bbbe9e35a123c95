#include "support/catalog_fixture.h"
#include "support/program_texts.h"

#include "store/loopback_api.h"

namespace {

class LoadFailures : public CatalogTest {
protected:
    // A successful first load to fail against: one listed app ticked, one
    // recommended app, one preserved exemption.
    TestWindow& openLoadedWindow()
    {
        addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
        addApp(2, L"Alpha");
        addApp(3, L"Beta");
        addExemption(1);
        addExemption(3);
        addExemption(40);
        return open();
    }

    struct Snapshot {
        std::vector<std::wstring> names;
        std::vector<bool> exempt;
        std::vector<std::wstring> preserved;
        std::int32_t recommendedIndex;
        std::wstring checkText;
        LRESULT checkState;
        BOOL checkEnabled;
        std::vector<std::wstring> rows;
        std::vector<std::uint64_t> visibleRows;
    };

    Snapshot snapshot(const TestWindow& window)
    {
        Snapshot result{{}, {}, state().preservedSids, state().recommendedIndex,
                        windowText(state().recommendedCheck), SendMessageW(state().recommendedCheck, BM_GETCHECK, 0, 0),
                        IsWindowEnabled(state().recommendedCheck), {}, state().visibleRows};
        for (const AppEntry& entry : state().apps) {
            result.names.push_back(entry.displayName);
            result.exempt.push_back(entry.exempt);
        }
        for (int row = 0; row < window.rowCount(); ++row) {
            result.rows.push_back(window.rowText(row) + (window.rowChecked(row) ? L" [x]" : L" [ ]"));
        }
        return result;
    }

    void expectUnchanged(const Snapshot& before, const TestWindow& window)
    {
        const Snapshot after = snapshot(window);
        EXPECT_EQ(after.names, before.names);
        EXPECT_EQ(after.exempt, before.exempt);
        EXPECT_EQ(after.preserved, before.preserved);
        EXPECT_EQ(after.recommendedIndex, before.recommendedIndex);
        EXPECT_EQ(after.checkText, before.checkText);
        EXPECT_EQ(after.checkState, before.checkState);
        EXPECT_EQ(after.checkEnabled, before.checkEnabled);
        EXPECT_EQ(after.rows, before.rows);
        EXPECT_EQ(after.visibleRows, before.visibleRows);
    }

    void expectFailedExit(const std::wstring& expectedStatus)
    {
        EXPECT_EQ(status(), expectedStatus);
        EXPECT_FALSE(state().populating);
        EXPECT_TRUE(IsWindowEnabled(state().refreshButton));
        EXPECT_FALSE(IsWindowEnabled(state().applyButton));
    }
};

TEST_F(LoadFailures, UnavailableFunctionsGiveTheUnsupportedExitEveryTime)
{
    TestWindow& window = openLoadedWindow();
    const Snapshot before = snapshot(window);
    loopbackApi.setAppContainerConfig = nullptr;

    window.command(refreshButtonId);
    expectFailedExit(texts::unsupported);
    window.command(refreshButtonId);
    expectUnchanged(before, window);
    EXPECT_EQ(fake().getConfigCalls, 1);
}

TEST_F(LoadFailures, ReadFailureShowsTheSystemMessageAndKeepsTheEarlierCatalog)
{
    TestWindow& window = openLoadedWindow();
    window.setRowChecked(0, true);
    const Snapshot before = snapshot(window);
    restartRecording();
    fake().getConfigResult = ERROR_ACCESS_DENIED;

    window.command(refreshButtonId);

    expectFailedExit(std::wstring(texts::readConfigFailed) + systemText(ERROR_ACCESS_DENIED));
    expectUnchanged(before, window);
    EXPECT_EQ(fake().enumCalls, 1);
    expectNothingLeftBehind();
}

TEST_F(LoadFailures, EnumerationFailureWithAnUnknownCodeShowsTheCodeInDecimal)
{
    TestWindow& window = openLoadedWindow();
    const Snapshot before = snapshot(window);
    fake().enumResult = 0x80071234;
    fake().configuredSids.clear();
    addExemption(99);

    window.command(refreshButtonId);

    expectFailedExit(std::wstring(texts::readAppsFailed) + unknownCodeText(2147947060));
    expectUnchanged(before, window);
    // The exemption list that was read before the failure is freed and forgotten.
    EXPECT_EQ(state().preservedSids, before.preserved);
    EXPECT_EQ(fake().freeCalls, 1);
    expectNothingLeftBehind();
}

// A box that stands for no app takes no clicks.
TEST_F(LoadFailures, FirstLoadFailureLeavesTheCheckBoxAsCreatedAndDisabled)
{
    fake().getConfigResult = ERROR_ACCESS_DENIED;

    open();

    expectFailedExit(std::wstring(texts::readConfigFailed) + systemText(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(state().apps.empty());
    EXPECT_EQ(state().recommendedIndex, -1);
    EXPECT_EQ(windowText(state().recommendedCheck), texts::recommendedFound);
    EXPECT_FALSE(IsWindowEnabled(state().recommendedCheck));
}

TEST_F(LoadFailures, SuccessfulRefreshAfterAFailureEnablesApplyAgain)
{
    TestWindow& window = openLoadedWindow();
    fake().enumResult = ERROR_OUTOFMEMORY;
    window.command(refreshButtonId);
    ASSERT_FALSE(IsWindowEnabled(state().applyButton));
    fake().enumResult = ERROR_SUCCESS;

    window.command(refreshButtonId);

    EXPECT_TRUE(IsWindowEnabled(state().applyButton));
    EXPECT_EQ(status(), loadedStatus(3));
}

TEST_F(LoadFailures, UnconvertibleSidsAndFailedConversionsNeverLeak)
{
    addApp(1, L"One");
    addApp(2, L"Two");
    addExemption(2);
    addExemption(50);
    spy().failSidToStringCall = 2;

    open();

    expectNothingLeftBehind();
    EXPECT_EQ(status(), loadedStatus(2));
}

} // namespace

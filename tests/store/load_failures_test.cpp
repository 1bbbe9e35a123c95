#include "support/catalog_fixture.h"
#include "support/program_texts.h"
#include "support/window_checks.h"

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

    void expectFailedExit(const std::wstring& expectedStatus, bool earlierReadSucceeded = true)
    {
        EXPECT_EQ(status(), expectedStatus);
        EXPECT_FALSE(state().populating);
        EXPECT_TRUE(IsWindowEnabled(state().refreshButton));
        EXPECT_EQ(IsWindowEnabled(state().applyButton) != FALSE, earlierReadSucceeded);
    }
};

TEST_F(LoadFailures, UnavailableFunctionsGiveTheUnsupportedExitEveryTime)
{
    TestWindow& window = openLoadedWindow();
    const WindowSnapshot before = snapshotOf(window);
    loopbackApi.setAppContainerConfig = nullptr;

    window.command(refreshButtonId);
    expectFailedExit(texts::unsupported);
    window.command(refreshButtonId);
    expectSameWindow(before, snapshotOf(window));
    EXPECT_EQ(fake().getConfigCalls, 1);
}

TEST_F(LoadFailures, ReadFailureShowsTheSystemMessageAndKeepsTheEarlierCatalog)
{
    TestWindow& window = openLoadedWindow();
    window.setRowChecked(0, true);
    const WindowSnapshot before = snapshotOf(window);
    restartRecording();
    fake().getConfigResult = ERROR_ACCESS_DENIED;

    window.command(refreshButtonId);

    expectFailedExit(texts::readConfigFailed + systemText(ERROR_ACCESS_DENIED) + L' ' + texts::settingsChanged);
    expectSameWindow(before, snapshotOf(window));
    EXPECT_EQ(fake().enumCalls, 1);
    expectNothingLeftBehind();
}

TEST_F(LoadFailures, EnumerationFailureWithAnUnknownCodeShowsTheCodeInDecimal)
{
    TestWindow& window = openLoadedWindow();
    const WindowSnapshot before = snapshotOf(window);
    fake().enumResult = 0x80071234;
    fake().configuredSids.clear();
    addExemption(99);

    window.command(refreshButtonId);

    expectFailedExit(std::wstring(texts::readAppsFailed) + unknownCodeText(2147947060));
    expectSameWindow(before, snapshotOf(window));
    // The exemption list that was read before the failure is freed and forgotten.
    EXPECT_EQ(state().preservedSids, before.preservedSids);
    EXPECT_EQ(fake().freeCalls, 1);
    expectNothingLeftBehind();
}

// A box that stands for no app takes no clicks.
TEST_F(LoadFailures, FirstLoadFailureLeavesTheCheckBoxAsCreatedAndDisabled)
{
    fake().getConfigResult = ERROR_ACCESS_DENIED;

    open();

    expectFailedExit(std::wstring(texts::readConfigFailed) + systemText(ERROR_ACCESS_DENIED), false);
    EXPECT_TRUE(state().apps.empty());
    EXPECT_EQ(state().recommendedIndex, -1);
    EXPECT_EQ(windowText(state().recommendedCheck), texts::recommendedFound);
    EXPECT_FALSE(IsWindowEnabled(state().recommendedCheck));
}

// The failure stays in sight until a save through the button succeeds.
TEST_F(LoadFailures, AfterAFailedRefreshATickIsSavedAndTheFailureStaysInSight)
{
    TestWindow& window = openLoadedWindow();
    fake().enumResult = ERROR_OUTOFMEMORY;
    window.command(refreshButtonId);
    const std::wstring failure = texts::readAppsFailed + systemText(ERROR_OUTOFMEMORY);
    expectFailedExit(failure);
    fake().enumResult = ERROR_SUCCESS;

    window.setRowChecked(0, true);
    EXPECT_EQ(status(), failure + L' ' + texts::settingsChanged);
    window.command(applyButtonId);
    EXPECT_EQ(fake().configuredSids.size(), 4u);
    window.setRowChecked(1, false);
    EXPECT_EQ(status(), texts::settingsChanged);
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

// The round trip (tests/roundtrip/) under Wine, against the simulated
// FirewallAPI.dll and the CheckNetIsolation stand-in (sim/tools/): what it
// compares, what it leaves on the list, and when it passes, fails or skips.

#include "driver/program_test.h"
#include "driver/test_paths.h"
#include "test_apps.h"

namespace {

using namespace testApps;

constexpr DWORD passed = 0;
constexpr DWORD failed = 1;
constexpr DWORD skipped = 77;

class RoundTrip : public ProgramTest {
protected:
    std::optional<DWORD> run(const EnvironmentOverrides& extra = {},
                             const std::wstring& checkNetIsolation = testPaths().checkNetIsolation)
    {
        EnvironmentOverrides environment = {{L"ORVA_LOOPBACK_STORE", store_.wstring()}};
        environment.insert(environment.end(), extra.begin(), extra.end());
        return runToExit(testPaths().roundTrip, environment, 120000,
                         L"\"--check-net-isolation=" + checkNetIsolation + L"\" \"--report=" + report_.wstring() +
                             L"\"");
    }

    testing::AssertionResult reportSays(const std::string& text) const
    {
        const std::string report = readFile(report_);
        if (report.find(text) != std::string::npos) {
            return testing::AssertionSuccess();
        }
        return testing::AssertionFailure() << "the report does not say \"" << text << "\":\n" << report;
    }

    // The store's exemptions and everything else in it are as `before` had them.
    void expectStoreAsBefore(const std::string& before) const
    {
        EXPECT_EQ(exemptionsIn(storeBytes()), exemptionsIn(before));
        EXPECT_EQ(otherLinesIn(storeBytes()), otherLinesIn(before));
    }

    std::filesystem::path report_ = folder_.path() / L"report.txt";
};

// Spotify Music is listed first and refused, so Telegram Desktop is the one
// put on the list and taken off; the orphan and the SID without a text form
// stay throughout.
TEST_F(RoundTrip, NamesARefusedAppTicksTheNextAndLeavesTheListAsItWas)
{
    writeStore(smallStore("refuse " + spotifySid + "\n"));
    const std::string before = storeBytes();

    EXPECT_EQ(run(), passed);
    EXPECT_TRUE(reportSays("CheckNetIsolation against the program's read: as expected, 2 SIDs"));
    EXPECT_TRUE(reportSays("load: AppContainers enumerated: 4, in the program's list: 4"));
    EXPECT_TRUE(reportSays("load: loadCatalog, median of 5: "));
    EXPECT_TRUE(reportSays("try: Spotify Music"));
    EXPECT_TRUE(reportSays("refused by the system"));
    EXPECT_TRUE(reportSays("try: Telegram Desktop"));
    EXPECT_TRUE(reportSays("CheckNetIsolation after ticking and saving: as expected, 3 SIDs"));
    EXPECT_TRUE(reportSays("CheckNetIsolation after unticking and saving: as expected, 2 SIDs"));
    EXPECT_TRUE(reportSays("result: passed"));
    expectStoreAsBefore(before);
}

TEST_F(RoundTrip, FailsWithoutWritingWhenCheckNetIsolationListsSomethingElse)
{
    writeStore(smallStore());
    const std::string before = storeBytes();
    const std::filesystem::path otherStore = folder_.path() / L"other.txt";
    writeFile(otherStore, smallStore("exempt " + telegramSid + "\n"));

    EXPECT_EQ(run({{L"ORVA_CHECK_NET_ISOLATION_STORE", otherStore.wstring()}}), failed);
    EXPECT_TRUE(reportSays("unexpected " + telegramSid));
    EXPECT_TRUE(reportSays("restore: the list is as it was, nothing to write"));
    EXPECT_EQ(storeBytes(), before);
}

// The tick is written, the untick's write fails: the list still holds the
// ticked app until the round trip puts the original back.
TEST_F(RoundTrip, WriteFailingInTheMiddleIsReportedAndTheOriginalListPutBack)
{
    writeStore(smallStore("fail set 5 2\n"));
    const std::string before = storeBytes();

    EXPECT_EQ(run(), failed);
    EXPECT_TRUE(reportSays("CheckNetIsolation after ticking and saving: as expected, 3 SIDs"));
    EXPECT_TRUE(reportSays("the save of the untick failed"));
    EXPECT_TRUE(reportSays("restore: the original list written back"));
    EXPECT_TRUE(reportSays("CheckNetIsolation after the restore: as expected, 2 SIDs"));
    EXPECT_TRUE(reportSays("result: FAILED"));
    expectStoreAsBefore(before);
}

TEST_F(RoundTrip, IsSkippedWithoutCheckNetIsolationOrAnAppToTry)
{
    writeStore(smallStore());
    EXPECT_EQ(run({}, (folder_.path() / L"CheckNetIsolation.exe").wstring()), skipped);
    EXPECT_TRUE(reportSays("no CheckNetIsolation at "));

    writeStore(smallStore("exempt " + telegramSid + "\nrefuse " + spotifySid + "\n"));
    const std::string before = storeBytes();
    EXPECT_EQ(run(), skipped);
    EXPECT_TRUE(reportSays("no AppContainer to try"));
    EXPECT_TRUE(reportSays("result: skipped"));
    EXPECT_EQ(exemptionsIn(storeBytes()), exemptionsIn(before));
}

} // namespace

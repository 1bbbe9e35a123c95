#include "reliability/generated_store.h"
#include "support/window_checks.h"
#include "store/loopback_api.h"
#include "support/program_texts.h"
#include "support/catalog_fixture.h"
#include "support/message_box_catcher.h"

#include <functional>
#include <set>

namespace {

// The bytes of appContainerSid(number), which the tests compare with what
// the program retained.
std::vector<BYTE> bytesOfSid(unsigned number)
{
    std::vector<BYTE> bytes{1, 8, 0, 0, 0, 0, 0, 15};
    for (DWORD part : {2u, 1000u, 2000u, 3000u, 4000u, 5000u, 6000u, number}) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<BYTE>(part >> shift));
        }
    }
    return bytes;
}

// Realistic SIDs without a text form: revision 2 and revision 0.
const std::vector<BYTE> revisionTwo = unconvertibleSidBytes(2);
const std::vector<BYTE> revisionZero = [] {
    std::vector<BYTE> bytes = unconvertibleSidBytes(3);
    bytes[0] = 0;
    return bytes;
}();

// A written SID as text, or its bytes in hex when it has no text form.
std::wstring identity(const WrittenSid& sid)
{
    if (!sid.text.empty()) {
        return sid.text;
    }
    const std::string hex = hexOf(sid.bytes);
    return L"bytes " + std::wstring(hex.begin(), hex.end());
}
std::wstring identity(const std::vector<BYTE>& bytes)
{
    return identity(WrittenSid{L"", bytes, 0});
}

std::vector<std::wstring> identities(const WrittenList& written)
{
    std::vector<std::wstring> result;
    for (const WrittenSid& sid : written.sids) {
        result.push_back(identity(sid));
    }
    return result;
}

class FailurePoints : public CatalogTest {
protected:
    // Enumeration: ChatGPT (SID 1, recommended), Beta (2), 计算器 (3, an
    // indirect name), Alpha (4), one record whose SID has no text, Beta's SID
    // again under another name, one record without a SID.
    // Exemption list: 2, 40, revision 2, 1, 30, revision 0, 2.
    // Display order: Alpha, Beta, ChatGPT, 计算器.
    void describeMachine()
    {
        installFakeNetworkIsolation();
        restartRecording();
        addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
        addApp(2, L"Beta", L"beta.container");
        addApp(3, L"@" + testExecutablePath() + L",-201", L"Microsoft.WindowsCalculator_8wekyb3d8bbwe");
        addApp(4, L"Alpha", L"alpha.container");
        fake().appContainers.push_back(FakeAppContainer{FakeSid::raw(revisionTwo), L"Broken", L"", L""});
        addApp(2, L"Beta duplicate", L"beta.duplicate");
        fake().appContainers.push_back(FakeAppContainer{FakeSid::none(), L"Nameless", L"", L""});
        for (const FakeSid& sid :
             {FakeSid::of(appContainerSid(2)), FakeSid::of(appContainerSid(40)), FakeSid::raw(revisionTwo),
              FakeSid::of(appContainerSid(1)), FakeSid::of(appContainerSid(30)), FakeSid::raw(revisionZero),
              FakeSid::of(appContainerSid(2))}) {
            fake().configuredSids.push_back(sid);
        }
    }

    // Every exemption of the machine, each once.
    static std::set<std::wstring> machineExemptions()
    {
        return {appContainerSid(1),  appContainerSid(2),    appContainerSid(30),
                appContainerSid(40), identity(revisionTwo), identity(revisionZero)};
    }

    // The user's changes that a failed load must not undo: Alpha ticked, the
    // list searched, the window expanded.
    TestWindow& openChanged()
    {
        TestWindow& window = open();
        window.setRowChecked(0, true);
        window.setSearchText(L"A");
        window.command(moreAppsButtonId);
        restartRecording();
        return window;
    }

    std::vector<std::wstring> rows(const TestWindow& window)
    {
        std::vector<std::wstring> result;
        for (int row = 0; row < window.rowCount(); ++row) {
            result.push_back(fullRowText(state().appList, row) + (window.rowChecked(row) ? L" [x]" : L" [ ]"));
        }
        return result;
    }

    // "caption [x]", with " disabled" when it cannot be clicked.
    std::wstring recommendedCheck()
    {
        const HWND check = state().recommendedCheck;
        return windowText(check) + (SendMessageW(check, BM_GETCHECK, 0, 0) == BST_CHECKED ? L" [x]" : L" [ ]") +
            (IsWindowEnabled(check) ? L"" : L" disabled");
    }

    // A save right after the load writes every exemption of the machine, the
    // unreadable ones included, so nothing is lost whatever the load met.
    // An app whose exemption the degraded load could not read shows ticked
    // afterwards, and the status line counts it.
    void expectSaveKeepsEveryExemption(const std::set<std::wstring>& alsoTicked = {})
    {
        fake().writes.clear();
        const std::vector<bool> shownBefore = exemptFlags();
        window_->command(applyButtonId);
        ASSERT_EQ(fake().writes.size(), 1u);
        const std::vector<std::wstring> written = identities(fake().writes[0]);
        std::set<std::wstring> expected = machineExemptions();
        expected.insert(alsoTicked.begin(), alsoTicked.end());
        EXPECT_EQ(std::set<std::wstring>(written.begin(), written.end()), expected);
        std::vector<std::wstring> changed;
        for (std::size_t i = 0; i < shownBefore.size(); ++i) {
            if (state().apps[i].exempt != shownBefore[i]) {
                changed.push_back(state().apps[i].displayName);
            }
        }
        EXPECT_EQ(status(), savedStatusText(changed));
        expectNothingLeftBehind();
    }
};

struct DegradedLoad {
    const char* what;
    std::function<void(FakeNetworkIsolation&, PlatformSpy&)> arrange;
    std::vector<std::wstring> rows;
    std::wstring recommended;
    std::vector<unsigned> preserved;
    // Valid SIDs kept as bytes, besides the two of revisions 2 and 0.
    std::vector<unsigned> alsoRetained;
};

std::function<void(FakeNetworkIsolation&, PlatformSpy&)> failingCall(int call)
{
    return [call](FakeNetworkIsolation&, PlatformSpy& spy) { spy.failSidToStringCall = call; };
}

std::function<void(FakeNetworkIsolation&, PlatformSpy&)> indirectName(std::wstring name)
{
    return [name](FakeNetworkIsolation& fake, PlatformSpy&) { fake.appContainers[2].displayName = name; };
}

void failRelease(FakeNetworkIsolation& fake, PlatformSpy&)
{
    fake.freeResult = ERROR_ACCESS_DENIED;
}

const std::wstring checked = texts::recommendedFound + std::wstring(L" [x]");
const std::wstring unchecked = texts::recommendedFound + std::wstring(L" [ ]");
const std::wstring absent = texts::recommendedMissing + std::wstring(L" [ ] disabled");
const std::vector<std::wstring> allRows = {L"Alpha [ ]", L"Beta [x]", L"计算器 [ ]"};
const std::vector<std::wstring> betaRenamed = {L"Alpha [ ]", L"Beta duplicate [x]", L"计算器 [ ]"};
const std::vector<std::wstring> calculatorUnnamed = {L"Alpha [ ]", L"Beta [x]",
                                                     L"Microsoft.WindowsCalculator_8wekyb3d8bbwe [ ]"};

// A load goes on past these: a SID that does not convert is kept as bytes
// (from the exemption list) or costs its record (from the enumeration).
const std::vector<DegradedLoad> degradedLoads = {
    {"exemption 2 (first of two)", failingCall(1), allRows, checked, {30, 40}, {2}},
    {"exemption 40", failingCall(2), allRows, checked, {30}, {40}},
    {"exemption of revision 2", failingCall(3), allRows, checked, {30, 40}, {}},
    {"exemption 1 (recommended)", failingCall(4), allRows, unchecked, {30, 40}, {1}},
    {"exemption 30", failingCall(5), allRows, checked, {40}, {30}},
    {"exemption of revision 0", failingCall(6), allRows, checked, {30, 40}, {}},
    {"exemption 2 (second of two)", failingCall(7), allRows, checked, {30, 40}, {2}},
    {"record of ChatGPT", failingCall(8), allRows, absent, {1, 30, 40}, {}},
    {"first record of Beta", failingCall(9), betaRenamed, checked, {30, 40}, {}},
    {"record of 计算器", failingCall(10), {L"Alpha [ ]", L"Beta [x]"}, checked, {30, 40}, {}},
    {"record of Alpha", failingCall(11), {L"Beta [x]", L"计算器 [ ]"}, checked, {30, 40}, {}},
    {"record without a text SID", failingCall(12), allRows, checked, {30, 40}, {}},
    {"second record of Beta", failingCall(13), allRows, checked, {30, 40}, {}},
    {"release of the enumeration", failRelease, allRows, checked, {30, 40}, {}},
    {"indirect name, missing module",
     indirectName(L"@Z:\\no\\such.dll,-201"),
     calculatorUnnamed,
     checked,
     {30, 40},
     {}},
    {"indirect name, missing string",
     indirectName(L"@" + testExecutablePath() + L",-999"),
     calculatorUnnamed,
     checked,
     {30, 40},
     {}},
};

TEST_F(FailurePoints, TheTablesCoverEverySidConversionOfALoadAndASave)
{
    describeMachine();
    TestWindow& window = open();
    EXPECT_EQ(spy().sidToStringCalls, 13);
    window.setRowChecked(0, true);
    restartRecording();
    window.command(applyButtonId);
    // Preserved 30 and 40, then Alpha, Beta and ChatGPT; the unreadable two are not converted.
    EXPECT_EQ(spy().stringToSidCalls, 5);
}

TEST_F(FailurePoints, LoadsThatMeetAnUnreadableSidOrNameKeepEveryExemption)
{
    for (const DegradedLoad& load : degradedLoads) {
        for (const bool refresh : {false, true}) {
            SCOPED_TRACE(std::string(load.what) + (refresh ? ", on refresh" : ", on the first load"));
            describeMachine();
            if (refresh) {
                openChanged();
                // A tick not yet saved would be kept over the refresh.
                window_->setRowChecked(0, false);
                load.arrange(fake(), spy());
                window_->command(refreshButtonId);
            } else {
                load.arrange(fake(), spy());
                open();
            }
            spy().failSidToStringCall = 0;

            EXPECT_EQ(rows(*window_), load.rows);
            EXPECT_EQ(recommendedCheck(), load.recommended);
            std::vector<std::wstring> preserved;
            for (unsigned number : load.preserved) {
                preserved.push_back(appContainerSid(number));
            }
            EXPECT_EQ(state().preservedSids, preserved);
            std::vector<std::vector<BYTE>> retained = {revisionTwo, revisionZero};
            for (unsigned number : load.alsoRetained) {
                retained.push_back(bytesOfSid(number));
            }
            EXPECT_EQ(sortedHex(state().retainedBinarySids), sortedHex(retained));
            EXPECT_EQ(status(), loadedStatus(load.rows.size() + (load.recommended == absent ? 0 : 1)));
            EXPECT_TRUE(IsWindowEnabled(state().applyButton));
            EXPECT_TRUE(IsWindowEnabled(state().refreshButton));
            expectWindowInvariants(*window_);
            expectNothingLeftBehind();
            expectSaveKeepsEveryExemption();
        }
    }
}

struct FailedLoad {
    const char* what;
    std::function<void(FakeNetworkIsolation&)> arrange;
    std::wstring status;
    int configReads; // calls the failure lets through
};

const std::vector<FailedLoad> failedLoads = {
    {"enumeration function missing", [](FakeNetworkIsolation&) { loopbackApi.enumAppContainers = nullptr; },
     texts::unsupported, 0},
    {"release function missing", [](FakeNetworkIsolation&) { loopbackApi.freeAppContainers = nullptr; },
     texts::unsupported, 0},
    {"read function missing", [](FakeNetworkIsolation&) { loopbackApi.getAppContainerConfig = nullptr; },
     texts::unsupported, 0},
    {"write function missing", [](FakeNetworkIsolation&) { loopbackApi.setAppContainerConfig = nullptr; },
     texts::unsupported, 0},
    {"read denied", [](FakeNetworkIsolation& fake) { fake.getConfigResult = ERROR_ACCESS_DENIED; },
     texts::readConfigFailed + systemText(ERROR_ACCESS_DENIED), 1},
    {"read fails with an insert in its message",
     [](FakeNetworkIsolation& fake) { fake.getConfigResult = ERROR_BAD_EXE_FORMAT; },
     texts::readConfigFailed + systemText(ERROR_BAD_EXE_FORMAT), 1},
    {"read fails with a code without message", [](FakeNetworkIsolation& fake) { fake.getConfigResult = 0x80071234; },
     std::wstring(texts::readConfigFailed) + unknownCodeText(2147947060), 1},
    {"enumeration denied", [](FakeNetworkIsolation& fake) { fake.enumResult = ERROR_ACCESS_DENIED; },
     texts::readAppsFailed + systemText(ERROR_ACCESS_DENIED), 1},
    {"enumeration fails with an insert in its message",
     [](FakeNetworkIsolation& fake) { fake.enumResult = ERROR_BAD_EXE_FORMAT; },
     texts::readAppsFailed + systemText(ERROR_BAD_EXE_FORMAT), 1},
    {"enumeration out of memory", [](FakeNetworkIsolation& fake) { fake.enumResult = ERROR_OUTOFMEMORY; },
     std::wstring(texts::readAppsFailed) + L"Out of memory.", 1},
};

TEST_F(FailurePoints, AFailedRefreshLeavesEverythingAsItWasAndTheNextOneRecovers)
{
    for (const FailedLoad& load : failedLoads) {
        SCOPED_TRACE(load.what);
        describeMachine();
        TestWindow& window = openChanged();
        // The machine changes meanwhile: a failed load must not show any of it.
        fake().appContainers.erase(fake().appContainers.begin() + 3);
        addExemption(50);
        const WindowSnapshot before = snapshotOf(window);
        load.arrange(fake());

        window.command(refreshButtonId);

        EXPECT_EQ(status(), load.status + L' ' + texts::settingsChanged);
        EXPECT_TRUE(IsWindowEnabled(state().applyButton));
        EXPECT_TRUE(IsWindowEnabled(state().refreshButton));
        EXPECT_FALSE(state().populating);
        EXPECT_TRUE(state().expanded);
        EXPECT_EQ(windowText(state().searchEdit), L"A");
        EXPECT_EQ(fake().getConfigCalls, 1 + load.configReads);
        expectSameWindow(before, snapshotOf(window));
        expectWindowInvariants(window);
        expectNothingLeftBehind();

        installFakeNetworkIsolation();
        describeMachine();
        window.command(refreshButtonId);
        EXPECT_EQ(status(), loadedWithChangesStatus(4)) << "Alpha's tick, not yet saved, is kept";
        EXPECT_TRUE(IsWindowEnabled(state().applyButton));
        expectSaveKeepsEveryExemption({appContainerSid(4)});
    }
}

TEST_F(FailurePoints, AFailedFirstLoadShowsAnEmptyCatalogWithApplyDisabled)
{
    for (const FailedLoad& load : failedLoads) {
        SCOPED_TRACE(load.what);
        describeMachine();
        load.arrange(fake());

        TestWindow& window = open();

        EXPECT_EQ(status(), load.status);
        EXPECT_FALSE(IsWindowEnabled(state().applyButton));
        EXPECT_TRUE(IsWindowEnabled(state().refreshButton));
        EXPECT_TRUE(state().apps.empty());
        EXPECT_TRUE(state().preservedSids.empty());
        EXPECT_TRUE(state().retainedBinarySids.empty());
        EXPECT_EQ(window.rowCount(), 0);
        EXPECT_EQ(recommendedCheck(), unchecked + L" disabled") << "as created, bound to no app";
        expectWindowInvariants(window);
        expectNothingLeftBehind();
    }
}

struct FailedSave {
    const char* what;
    DWORD readResult;
    int failingConversion;
    DWORD writeResult;
    std::wstring status;
    std::wstring messageBox; // empty when none
};

std::wstring saveFailedWith(const std::wstring& error)
{
    return texts::saveFailed + error;
}
std::wstring saveFailedBoxWith(const std::wstring& error)
{
    return texts::saveFailedBox + error;
}

const std::vector<FailedSave> failedSaves = {
    {"read of the current list denied", ERROR_ACCESS_DENIED, 0, ERROR_SUCCESS, saveFailedWith(systemText(ERROR_ACCESS_DENIED)),
     saveFailedBoxWith(systemText(ERROR_ACCESS_DENIED))},
    {"conversion of preserved 30", ERROR_SUCCESS, 1, ERROR_SUCCESS, unreadableSidStatus(), L""},
    {"conversion of preserved 40", ERROR_SUCCESS, 2, ERROR_SUCCESS, unreadableSidStatus(), L""},
    {"conversion of Alpha", ERROR_SUCCESS, 3, ERROR_SUCCESS, unreadableSidStatus(), L""},
    {"conversion of Beta", ERROR_SUCCESS, 4, ERROR_SUCCESS, unreadableSidStatus(), L""},
    {"conversion of ChatGPT", ERROR_SUCCESS, 5, ERROR_SUCCESS, unreadableSidStatus(), L""},
    {"write denied", ERROR_SUCCESS, 0, ERROR_ACCESS_DENIED, saveFailedWith(systemText(ERROR_ACCESS_DENIED)),
     saveFailedBoxWith(systemText(ERROR_ACCESS_DENIED))},
    {"write fails with an insert in its message", ERROR_SUCCESS, 0, ERROR_BAD_EXE_FORMAT,
     saveFailedWith(systemText(ERROR_BAD_EXE_FORMAT)), saveFailedBoxWith(systemText(ERROR_BAD_EXE_FORMAT))},
    {"write fails with a code without message", ERROR_SUCCESS, 0, 0x80071234,
     saveFailedWith(unknownCodeText(0x80071234)), saveFailedBoxWith(unknownCodeText(0x80071234))},
};

TEST_F(FailurePoints, AFailedSaveWritesNothingOrTheWholeListAndKeepsTheWindow)
{
    const std::vector<std::wstring> wholeList = {appContainerSid(30),    appContainerSid(40), identity(revisionTwo),
                                                 identity(revisionZero), appContainerSid(4),  appContainerSid(2),
                                                 appContainerSid(1)};
    for (const FailedSave& save : failedSaves) {
        SCOPED_TRACE(save.what);
        describeMachine();
        TestWindow& window = openChanged();
        const WindowSnapshot before = snapshotOf(window);
        fake().getConfigResult = save.readResult;
        spy().failStringToSidCall = save.failingConversion;
        fake().setConfigResult = save.writeResult;

        {
            const MessageBoxCatcher messageBoxes;
            window.command(applyButtonId);
            if (save.messageBox.empty()) {
                EXPECT_TRUE(messageBoxes.boxes().empty());
            } else {
                ASSERT_EQ(messageBoxes.boxes().size(), 1u);
                EXPECT_EQ(messageBoxes.boxes()[0].text, save.messageBox);
                EXPECT_EQ(messageBoxes.boxes()[0].caption, texts::windowCaption);
            }
        }

        if (save.readResult != ERROR_SUCCESS || save.failingConversion != 0) {
            EXPECT_TRUE(fake().writes.empty());
        } else {
            ASSERT_EQ(fake().writes.size(), 1u);
            EXPECT_EQ(identities(fake().writes[0]), wholeList);
        }
        EXPECT_EQ(status(), save.status);
        EXPECT_TRUE(IsWindowEnabled(state().applyButton));
        expectSameWindow(before, snapshotOf(window));
        expectNothingLeftBehind();

        // Nothing about the failure stays behind: the next click writes it all.
        fake().getConfigResult = ERROR_SUCCESS;
        spy().failStringToSidCall = 0;
        fake().setConfigResult = ERROR_SUCCESS;
        fake().writes.clear();
        window.command(applyButtonId);
        ASSERT_EQ(fake().writes.size(), 1u);
        EXPECT_EQ(identities(fake().writes[0]), wholeList);
        EXPECT_EQ(status(), texts::saved);
    }
}

} // namespace

#include "support/catalog_fixture.h"
#include "support/program_texts.h"

#include "store/error_text.h"
#include "support/message_box_catcher.h"

#include <algorithm>
#include <set>
#include <thread>

namespace {

class SaveExemptionList : public CatalogTest {
protected:
    // Catalog order: Alpha(2), Beta(3), ChatGPT(1), Gamma(4); ChatGPT is the
    // recommended app and is not listed.
    TestWindow& openCatalog()
    {
        addApp(4, L"Gamma");
        addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
        addApp(3, L"Beta");
        addApp(2, L"Alpha");
        addExemption(3);
        addExemption(77);
        return open();
    }

    const WrittenList& lastWrite()
    {
        EXPECT_FALSE(fake().writes.empty());
        return fake().writes.back();
    }

    // What the system's list holds now, as text.
    std::vector<std::wstring> systemList()
    {
        std::vector<std::wstring> sids;
        for (const FakeSid& sid : fake().configuredSids) {
            sids.push_back(sid.text);
        }
        return sids;
    }

    // The check marks the window shows: recommended, then the rows.
    std::vector<bool> shownChecks(TestWindow& window)
    {
        std::vector<bool> checks = {SendMessageW(state().recommendedCheck, BM_GETCHECK, 0, 0) == BST_CHECKED};
        for (int row = 0; row < window.rowCount(); ++row) {
            checks.push_back(window.rowChecked(row));
        }
        return checks;
    }

    // Every entry shows what it is, and nothing is left for Apply to change.
    void expectWindowShowsTheSystemList(TestWindow& window)
    {
        const std::vector<std::wstring> list = systemList();
        std::vector<bool> expected = {false};
        for (std::size_t i = 0; i < state().apps.size(); ++i) {
            const AppEntry& entry = state().apps[i];
            const bool listed = std::find(list.begin(), list.end(), entry.sidString) != list.end();
            EXPECT_EQ(entry.exempt, listed) << entry.sidString;
            EXPECT_EQ(entry.baselineExempt, listed) << entry.sidString;
            if (entry.recommended) {
                expected[0] = listed;
            } else {
                expected.push_back(listed);
            }
        }
        EXPECT_EQ(shownChecks(window), expected);
    }
};

std::vector<std::wstring> sids(std::initializer_list<unsigned> numbers)
{
    std::vector<std::wstring> result;
    for (unsigned number : numbers) {
        result.push_back(appContainerSid(number));
    }
    return result;
}

// Finds the message box the program shows, reads it and dismisses it.
struct MessageBoxReport {
    std::wstring caption;
    std::wstring text;
};

const MessageBoxReport& dismissMessageBoxLater(DWORD threadId, std::thread& watcher)
{
    static MessageBoxReport report;
    report = {};
    watcher = std::thread([threadId] {
        for (int attempt = 0; attempt < 500; ++attempt) {
            HWND box = nullptr;
            EnumThreadWindows(
                threadId,
                [](HWND window, LPARAM found) {
                    wchar_t className[16] = {};
                    GetClassNameW(window, className, 16);
                    if (std::wstring(className) == L"#32770" && IsWindowVisible(window)) {
                        *reinterpret_cast<HWND*>(found) = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&box));
            if (box) {
                report.caption = windowText(box);
                for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                    wchar_t className[16] = {};
                    GetClassNameW(child, className, 16);
                    const std::wstring text = windowText(child);
                    if (std::wstring(className) == L"Static" && !text.empty()) {
                        report.text = text;
                    }
                }
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(10);
        }
    });
    return report;
}

TEST_F(SaveExemptionList, WritesPreservedThenRetainedThenExemptEntriesInDisplayOrder)
{
    const std::vector<BYTE> unreadable = unconvertibleSidBytes(9);
    fake().configuredSids.push_back(FakeSid::raw(unreadable));
    TestWindow& window = openCatalog();
    window.setRowChecked(2, true);  // Gamma
    window.setRowChecked(0, true);  // Alpha
    SendMessageW(state().recommendedCheck, BM_SETCHECK, BST_CHECKED, 0);
    window.command(recommendedCheckId);
    restartRecording();

    window.command(applyButtonId);

    const WrittenList& written = lastWrite();
    ASSERT_EQ(written.count, 6u);
    EXPECT_EQ(written.sids[0].text, appContainerSid(77));
    EXPECT_EQ(written.sids[1].bytes, unreadable);
    EXPECT_EQ(written.texts(), (std::vector<std::wstring>{appContainerSid(77), L"", appContainerSid(2),
                                                          appContainerSid(3), appContainerSid(1),
                                                          appContainerSid(4)}));
    for (const WrittenSid& sid : written.sids) {
        EXPECT_EQ(sid.attributes, 0u);
    }
    EXPECT_EQ(status(), texts::saved);
    EXPECT_TRUE(IsWindowEnabled(state().applyButton));
    EXPECT_TRUE(spy().liveConversions.empty());
    EXPECT_EQ(spy().stringToSidCalls, 5);  // the retained SID is not converted
}

TEST_F(SaveExemptionList, TickedEntryHiddenByTheSearchIsWritten)
{
    TestWindow& window = openCatalog();
    window.setRowChecked(0, true);  // Alpha
    window.setSearchText(L"gamma");
    ASSERT_EQ(window.rowCount(), 1);

    window.command(applyButtonId);

    EXPECT_EQ(lastWrite().texts(), (std::vector<std::wstring>{appContainerSid(77), appContainerSid(2),
                                                              appContainerSid(3)}));
}

TEST_F(SaveExemptionList, NothingToWriteEmptiesTheListWithANullArray)
{
    addApp(1, L"Alpha");
    open();

    window_->command(applyButtonId);

    EXPECT_EQ(lastWrite().count, 0u);
    EXPECT_TRUE(lastWrite().arrayWasNull);
    EXPECT_EQ(status(), texts::saved);
}

TEST_F(SaveExemptionList, SavingTwiceWritesTheSameListTwice)
{
    openCatalog();

    window_->command(applyButtonId);
    window_->command(applyButtonId);

    ASSERT_EQ(fake().writes.size(), 2u);
    EXPECT_EQ(fake().writes[0].texts(), fake().writes[1].texts());
    EXPECT_EQ(status(), texts::saved);
}

TEST_F(SaveExemptionList, UnconvertibleSidStringWritesNothingAndReleasesWhatWasConverted)
{
    openCatalog();
    state().apps[0].exempt = true;
    state().apps[0].sidString = L"not a SID";
    restartRecording();

    window_->command(applyButtonId);

    EXPECT_TRUE(fake().writes.empty());
    EXPECT_EQ(status(), unreadableSidStatus());
    EXPECT_TRUE(IsWindowEnabled(state().applyButton));
    EXPECT_GE(spy().stringToSidCalls, 2);
    EXPECT_TRUE(spy().liveConversions.empty());
}

TEST_F(SaveExemptionList, EachFailedConversionStopsTheSaveWithNothingLeaked)
{
    TestWindow& window = openCatalog();
    window.setRowChecked(0, true);
    window.setRowChecked(2, true);
    const auto preservedBefore = state().preservedSids;
    for (int failing = 1; failing <= 4; ++failing) {
        restartRecording().failStringToSidCall = failing;

        window.command(applyButtonId);

        EXPECT_TRUE(fake().writes.empty()) << failing;
        EXPECT_EQ(status(), unreadableSidStatus()) << failing;
        EXPECT_TRUE(spy().liveConversions.empty()) << failing;
        EXPECT_TRUE(IsWindowEnabled(state().applyButton)) << failing;
        EXPECT_EQ(state().preservedSids, preservedBefore);
    }
}

TEST_F(SaveExemptionList, FailedWriteShowsTheStatusAndAMessageBoxThenEnablesApply)
{
    openCatalog();
    fake().setConfigResult = ERROR_ACCESS_DENIED;
    restartRecording();
    std::thread watcher;
    const MessageBoxReport& report = dismissMessageBoxLater(GetCurrentThreadId(), watcher);

    window_->command(applyButtonId);
    watcher.join();

    EXPECT_EQ(report.caption, texts::windowCaption);
    EXPECT_EQ(report.text, std::wstring(texts::saveFailedBox) + systemText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(status(), std::wstring(texts::saveFailed) + systemText(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(IsWindowEnabled(state().applyButton));
    EXPECT_TRUE(spy().liveConversions.empty());
    // The ticks stay, so Apply retries the same list.
    EXPECT_TRUE(state().apps[1].exempt);
}

TEST_F(SaveExemptionList, FailedWriteWithAnUnknownCodeShowsTheDecimalCode)
{
    openCatalog();
    fake().setConfigResult = 0x80071234;
    std::thread watcher;
    const MessageBoxReport& report = dismissMessageBoxLater(GetCurrentThreadId(), watcher);

    window_->command(applyButtonId);
    watcher.join();

    EXPECT_EQ(report.text, std::wstring(texts::saveFailedBox) + unknownCodeText(2147947060));
    EXPECT_EQ(status(), std::wstring(texts::saveFailed) + unknownCodeText(2147947060));
}

// Catalog order: Alpha(2), Beta(3), ChatGPT(1), Gamma(4). Since the window
// read the list {3, 77}, another program made it {2, 3, 4, 1, 88}.
TEST_F(SaveExemptionList, AppliesTheUsersChangesOnTopOfWhatOtherProgramsChanged)
{
    TestWindow& window = openCatalog();
    window.setRowChecked(0, true);   // Alpha, also exempted outside meanwhile
    window.setRowChecked(1, false);  // Beta, still on the list
    fake().configuredSids.clear();
    for (unsigned number : {2u, 3u, 4u, 1u, 88u}) {
        addExemption(number);
    }
    restartRecording();
    const int readsBefore = fake().getConfigCalls;

    window.command(applyButtonId);

    // 88 belongs to no app; 77 stays removed; Beta's untick wins; ChatGPT and
    // Gamma keep the exemption they got outside; Alpha is written once.
    EXPECT_EQ(lastWrite().texts(), sids({88, 2, 1, 4}));
    EXPECT_EQ(fake().getConfigCalls, readsBefore + 1);
    // ChatGPT and Gamma now stand otherwise than the window showed them.
    EXPECT_EQ(status(), savedStatusText({L"ChatGPT", L"Gamma"}));
    EXPECT_EQ(accessibility().stateChanges[state().appList], std::vector<LONG>{3}) << "Gamma's row ticked";
    EXPECT_EQ(state().preservedSids, sids({88}));
    expectWindowShowsTheSystemList(window);
    expectNothingLeftBehind();

    // The window now starts from what it wrote: a second save changes nothing.
    window.command(applyButtonId);
    EXPECT_EQ(fake().writes.back().texts(), sids({88, 2, 1, 4}));
    EXPECT_EQ(status(), texts::saved);
}

TEST_F(SaveExemptionList, AFailedReadWritesNothingReleasesEverythingAndKeepsTheTicks)
{
    TestWindow& window = openCatalog();
    window.setRowChecked(0, true);
    fake().getConfigResult = ERROR_ACCESS_DENIED;
    restartRecording();
    const MessageBoxCatcher boxes;

    window.command(applyButtonId);

    EXPECT_TRUE(fake().writes.empty());
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, texts::saveFailedBox + systemText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(status(), texts::saveFailed + systemText(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(IsWindowEnabled(state().applyButton));
    EXPECT_TRUE(state().apps[0].exempt);
    expectNothingLeftBehind();
}

struct RefusalCase {
    const char* what;
    std::set<std::wstring> refused;
    std::vector<int> tickedRows;  // -1 for the recommended check box
    std::vector<std::wstring> finalList;
    std::wstring refusedNames;  // as the status line joins them
    std::wstring boxNames;
    unsigned exemptedOutside = 0;    // by another program, before the save
    std::wstring outsideNames = {};  // what the status line says of it
};

// The system refuses some of the apps the user added: everything else is
// written, the refused apps are unticked and named, and so are the apps
// another program changed meanwhile.
TEST_F(SaveExemptionList, RefusedAdditionsAreUntickedAndNamedAndEverythingElseIsWritten)
{
    const RefusalCase cases[] = {
        {"one among several", {appContainerSid(4)}, {0, 2, -1}, sids({77, 2, 3, 1}), L"\x2068Gamma\x2069",
         L"\x2068Gamma\x2069"},
        {"several, the recommended app among them", {appContainerSid(1), appContainerSid(4)}, {0, 2, -1},
         sids({77, 2, 3}), std::wstring(L"\x2068" L"ChatGPT\x2069") + texts::nameSeparator + L"\x2068Gamma\x2069",
         L"\x2068" L"ChatGPT\x2069\n\x2068Gamma\x2069"},
        {"every addition", {appContainerSid(2), appContainerSid(4)}, {0, 2}, sids({77, 3}),
         std::wstring(L"\x2068" L"Alpha\x2069") + texts::nameSeparator + L"\x2068Gamma\x2069",
         L"\x2068" L"Alpha\x2069\n\x2068Gamma\x2069"},
        {"one, and another program exempted an app", {appContainerSid(4)}, {0, 2}, sids({77, 2, 3, 1}),
         L"\x2068Gamma\x2069", L"\x2068Gamma\x2069", 1,
         texts::outsideBeforeCount + std::wstring(L"1") + texts::outsideAfterCount + L"\x2068" L"ChatGPT\x2069" +
             texts::outsideEnd},
    };
    for (const RefusalCase& test : cases) {
        SCOPED_TRACE(test.what);
        installFakeNetworkIsolation();
        TestWindow& window = openCatalog();
        fake().refusedSids = test.refused;
        for (int row : test.tickedRows) {
            if (row < 0) {
                SendMessageW(state().recommendedCheck, BM_SETCHECK, BST_CHECKED, 0);
                window.command(recommendedCheckId);
            } else {
                window.setRowChecked(row, true);
            }
        }
        if (test.exemptedOutside) {
            addExemption(test.exemptedOutside);
        }
        restartRecording();
        const MessageBoxCatcher boxes;

        window.command(applyButtonId);

        EXPECT_EQ(systemList(), test.finalList);
        EXPECT_EQ(status(), texts::refusedBeforeCount + std::to_wstring(test.refused.size()) +
                                texts::refusedAfterCount + test.refusedNames + texts::refusedEnd + test.outsideNames);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].caption, texts::windowCaption);
        EXPECT_EQ(boxes.boxes()[0].text, texts::refusedBox + test.boxNames);
        EXPECT_EQ(boxes.boxes()[0].icon, LoadIconW(nullptr, IDI_WARNING));
        EXPECT_TRUE(IsWindowEnabled(state().applyButton));
        expectWindowShowsTheSystemList(window);
        expectNothingLeftBehind();
    }
}

// Nothing the user added is to blame: the plain failure, nothing written.
TEST_F(SaveExemptionList, AListRefusedWithoutTheAdditionsIsAPlainFailure)
{
    TestWindow& window = openCatalog();
    fake().refusedSids = {appContainerSid(77)};
    window.setRowChecked(0, true);
    restartRecording();
    const MessageBoxCatcher boxes;

    window.command(applyButtonId);

    EXPECT_EQ(fake().writes.size(), 2u);
    EXPECT_EQ(systemList(), sids({3, 77}));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, texts::saveFailedBox + errorText(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(boxes.boxes()[0].icon, LoadIconW(nullptr, IDI_HAND));
    EXPECT_EQ(status(), texts::saveFailed + errorText(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(state().apps[0].exempt) << "the tick stays for a retry";
    EXPECT_FALSE(state().apps[0].baselineExempt);
}

TEST_F(SaveExemptionList, AnotherErrorStopsTheSearchAndTheWindowShowsWhatWasWritten)
{
    TestWindow& window = openCatalog();
    window.setRowChecked(0, true);  // Alpha
    window.setRowChecked(2, true);  // Gamma, refused
    window.setRowChecked(1, false); // Beta, removed
    fake().refusedSids = {appContainerSid(4)};
    // The whole list is refused, the list without additions written, then
    // the first try with Alpha fails otherwise.
    fake().failingWrite = 3;
    fake().failingWriteResult = ERROR_ACCESS_DENIED;
    restartRecording();
    const MessageBoxCatcher boxes;

    window.command(applyButtonId);

    EXPECT_EQ(systemList(), sids({77}));
    EXPECT_EQ(status(), texts::saveFailed + systemText(ERROR_ACCESS_DENIED));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_FALSE(state().apps[1].exempt);
    EXPECT_FALSE(state().apps[1].baselineExempt);
    // The additions not yet written stay ticked, and Apply tries them again.
    EXPECT_EQ(shownChecks(window), (std::vector<bool>{false, true, false, true}));
    fake().failingWrite = 0;

    window.command(applyButtonId);

    EXPECT_EQ(systemList(), sids({77, 2}));
    expectWindowShowsTheSystemList(window);
}

} // namespace

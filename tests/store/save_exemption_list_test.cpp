#include "support/catalog_fixture.h"

#include "store/save_exemption_list.h"

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
};

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

    saveExemptionList(state());

    EXPECT_EQ(lastWrite().count, 0u);
    EXPECT_TRUE(lastWrite().arrayWasNull);
    EXPECT_EQ(status(), texts::saved);
}

TEST_F(SaveExemptionList, SavingTwiceWritesTheSameListTwice)
{
    openCatalog();

    saveExemptionList(state());
    saveExemptionList(state());

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

    saveExemptionList(state());

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

    saveExemptionList(state());
    watcher.join();

    EXPECT_EQ(report.caption, texts::windowCaption);
    EXPECT_EQ(report.text, std::wstring(texts::saveFailedBox) + L"Access denied.");
    EXPECT_EQ(status(), std::wstring(texts::saveFailed) + L"Access denied.");
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

    saveExemptionList(state());
    watcher.join();

    EXPECT_EQ(report.text, std::wstring(texts::saveFailedBox) + unknownCodeText(2147947060));
    EXPECT_EQ(status(), std::wstring(texts::saveFailed) + unknownCodeText(2147947060));
}

} // namespace

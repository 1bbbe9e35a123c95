#include "support/catalog_fixture.h"

#include <algorithm>
#include <string_view>

namespace {

using LoadCatalog = CatalogTest;

std::vector<std::wstring> displayNames(const WindowState& state)
{
    std::vector<std::wstring> names;
    for (const AppEntry& entry : state.apps) {
        names.push_back(entry.displayName);
    }
    return names;
}

const AppEntry* entryWithSid(const WindowState& state, unsigned sidNumber)
{
    const std::wstring sid = appContainerSid(sidNumber);
    for (const AppEntry& entry : state.apps) {
        if (entry.sidString == sid) {
            return &entry;
        }
    }
    return nullptr;
}

TEST_F(LoadCatalog, BuildsOneEntryPerAppWithExemptionsAndReportsTheCount)
{
    addApp(1, L"Zune Music", L"Microsoft.ZuneMusic_8wekyb3d8bbwe");
    addApp(2, L"Alarms", L"Microsoft.WindowsAlarms_8wekyb3d8bbwe");
    addApp(3, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
    addExemption(2);
    addExemption(3);

    open();

    EXPECT_EQ(displayNames(state()), (std::vector<std::wstring>{L"Alarms", L"ChatGPT", L"Zune Music"}));
    EXPECT_TRUE(entryWithSid(state(), 2)->exempt);
    EXPECT_TRUE(entryWithSid(state(), 3)->exempt);
    EXPECT_FALSE(entryWithSid(state(), 1)->exempt);
    EXPECT_EQ(entryWithSid(state(), 1)->containerName, L"Microsoft.ZuneMusic_8wekyb3d8bbwe");
    EXPECT_TRUE(state().preservedSids.empty());
    EXPECT_EQ(status(), loadedStatus(3));
    EXPECT_TRUE(IsWindowEnabled(state().refreshButton));
    EXPECT_TRUE(IsWindowEnabled(state().applyButton));
    EXPECT_FALSE(state().populating);
    EXPECT_EQ(fake().freeCalls, 1);
    expectNothingLeftBehind();
}

TEST_F(LoadCatalog, EmptyEnumerationKeepsEveryExemptionAsPreserved)
{
    addExemption(9);
    addExemption(10);
    addExemption(9);

    open();

    EXPECT_TRUE(state().apps.empty());
    // Ascending code-unit order: "...-10" before "...-9"; the duplicate counts once.
    EXPECT_EQ(state().preservedSids, (std::vector<std::wstring>{appContainerSid(10), appContainerSid(9)}));
    EXPECT_EQ(windowText(state().recommendedCheck), texts::recommendedMissing);
    EXPECT_FALSE(IsWindowEnabled(state().recommendedCheck));
    EXPECT_EQ(SendMessageW(state().recommendedCheck, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(status(), loadedStatus(0));
    EXPECT_TRUE(IsWindowEnabled(state().applyButton));
    EXPECT_EQ(fake().freeCalls, 1);
    expectNothingLeftBehind();
}

TEST_F(LoadCatalog, PassesNoNullArrayToTheFreeFunctionWhenTheEnumerationReturnedNone)
{
    fake().enumerationReturnsNullArray = true;
    fake().configReturnsNullArray = true;

    open();

    EXPECT_TRUE(state().apps.empty());
    EXPECT_EQ(fake().freeCalls, 0);
    EXPECT_EQ(status(), loadedStatus(0));
}

TEST_F(LoadCatalog, DuplicateSidsGiveOneEntryFromTheFirstRecord)
{
    addApp(5, L"First", L"first.container");
    addApp(5, L"Second", L"second.container");
    addApp(6, L"Other");

    open();

    ASSERT_EQ(state().apps.size(), 2u);
    EXPECT_EQ(entryWithSid(state(), 5)->displayName, L"First");
    EXPECT_EQ(entryWithSid(state(), 5)->containerName, L"first.container");
    EXPECT_EQ(status(), loadedStatus(2));
}

TEST_F(LoadCatalog, RecordsWithoutAReadableSidGiveNoEntry)
{
    fake().appContainers.push_back(FakeAppContainer{FakeSid::none(), L"No SID", L"", L""});
    fake().appContainers.push_back(FakeAppContainer{FakeSid::raw(unconvertibleSidBytes(1)), L"Bad SID", L"", L""});
    addApp(1, L"Good");

    open();

    EXPECT_EQ(displayNames(state()), (std::vector<std::wstring>{L"Good"}));
    EXPECT_EQ(status(), loadedStatus(1));
    expectNothingLeftBehind();
}

TEST_F(LoadCatalog, DisplayNamesFallBackToContainerNameThenPlaceholder)
{
    const std::wstring module = testExecutablePath();
    addApp(1, L"@" + module + L",-201", L"calc.container");
    addApp(2, L"@Z:\\no\\such\\module.dll,-7", L"unresolved.container");
    addApp(3, L"@Z:\\no\\such\\module.dll,-7", L"");
    addApp(4, L"", L"empty.name.container");
    fake().appContainers.push_back(FakeAppContainer{FakeSid::of(appContainerSid(5)), std::nullopt, std::nullopt,
                                                    std::nullopt});
    addApp(6, L"Mail@Home", L"mail.container");
    addApp(7, L"@{Microsoft.Photos_8wekyb3d8bbwe?ms-resource://Microsoft.Photos/Resources/AppName}",
           L"Microsoft.Photos_8wekyb3d8bbwe");
    addApp(8, L" \x3000\x200B\xFEFF\t\x2800", L"blank.name.container");
    addApp(9, L"\x202E\x2069\xDB40\xDC20", L"\x00A0");
    addApp(10, L"\x200B.", L"dot.container");

    open();

    EXPECT_EQ(entryWithSid(state(), 1)->displayName, L"计算器");
    EXPECT_EQ(entryWithSid(state(), 2)->displayName, L"unresolved.container");
    EXPECT_EQ(entryWithSid(state(), 3)->displayName, texts::unnamedApp);
    EXPECT_EQ(entryWithSid(state(), 4)->displayName, L"empty.name.container");
    EXPECT_EQ(entryWithSid(state(), 5)->displayName, texts::unnamedApp);
    EXPECT_EQ(entryWithSid(state(), 5)->containerName, L"");
    EXPECT_EQ(entryWithSid(state(), 6)->displayName, L"Mail@Home");
    EXPECT_EQ(entryWithSid(state(), 7)->displayName, L"Microsoft.Photos_8wekyb3d8bbwe");
    EXPECT_EQ(entryWithSid(state(), 8)->displayName, L"blank.name.container");
    EXPECT_EQ(entryWithSid(state(), 9)->displayName, texts::unnamedApp);
    EXPECT_EQ(entryWithSid(state(), 10)->displayName, L"\x200B.");
}

// What the status line shows, one text after another, while it is recorded.
std::vector<std::wstring>* shownStatus = nullptr;
WNDPROC statusProcedure = nullptr;
LRESULT CALLBACK recordStatus(HWND line, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT && shownStatus) {
        shownStatus->push_back(reinterpret_cast<const wchar_t*>(lParam));
    }
    return CallWindowProcW(statusProcedure, line, message, wParam, lParam);
}

// A package's name is read from its resources once: a refresh reads only
// those of new packages, and again a name that did not resolve. While names
// are read, the status line counts them, at most every 100 ms.
TEST_F(LoadCatalog, EachPackagesNameIsResolvedOnceAndCountedWhileRead)
{
    const std::wstring calculator = L"@" + testExecutablePath() + L",-201";
    addApp(1, calculator, L"calc.a", L"Calc.A_1.0.0.0_x64__8wekyb3d8bbwe");
    addApp(2, calculator, L"calc.b", L"Calc.B_1.0.0.0_x64__8wekyb3d8bbwe");
    addApp(3, L"@Z:\\no\\such\\module.dll,-7", L"unresolved.container", L"Gone_1.0.0.0_x64__8wekyb3d8bbwe");
    TestWindow& window = open();
    EXPECT_EQ(spy().indirectStringCalls, 3);
    window.command(refreshButtonId);
    EXPECT_EQ(spy().indirectStringCalls, 4);
    // An update of package B names it from elsewhere.
    fake().appContainers[1].displayName = L"@Z:\\no\\such\\module.dll,-8";
    window.command(refreshButtonId);
    EXPECT_EQ(spy().indirectStringCalls, 6);
    EXPECT_EQ(entryWithSid(state(), 2)->displayName, L"calc.b");

    for (unsigned number = 4; number < 8; ++number) {
        addApp(number, calculator, L"calc", L"Calc." + std::to_wstring(number) + L"_1.0.0.0_x64__8wekyb3d8bbwe");
    }
    std::vector<std::wstring> shown;
    shownStatus = &shown;
    statusProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(state().statusLabel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordStatus)));
    spy().indirectStringDelay = 50;
    window.command(refreshButtonId);
    shownStatus = nullptr;

    EXPECT_EQ(spy().indirectStringCalls, 12);
    EXPECT_EQ(entryWithSid(state(), 7)->displayName, L"计算器");
    EXPECT_EQ(entryWithSid(state(), 3)->displayName, L"unresolved.container");
    // Counts on the way: one to five of the six names done.
    const auto counts = std::count_if(shown.begin(), shown.end(), [](const std::wstring& text) {
        const std::size_t digit = std::wstring_view(texts::loadingNamesBeforeCount).size();
        return text.rfind(texts::loadingNamesBeforeCount, 0) == 0 && text.size() == digit + 4 &&
               text[digit] >= L'1' && text[digit] <= L'5' && text.compare(digit + 1, 3, L"/6）") == 0;
    });
    EXPECT_GE(counts, 1);
    EXPECT_LT(counts, 6) << "not a text per name";
    EXPECT_EQ(shown.back(), loadedStatus(7));
}

TEST_F(LoadCatalog, ExemptionsOfUninstalledAppsArePreservedAndTheRestMatchExactly)
{
    addApp(1, L"Installed");
    addApp(2, L"Also installed");
    addExemption(30);
    addExemption(1);
    addExemption(1);
    addExemption(20);

    open();

    EXPECT_TRUE(entryWithSid(state(), 1)->exempt);
    EXPECT_FALSE(entryWithSid(state(), 2)->exempt);
    EXPECT_EQ(state().preservedSids, (std::vector<std::wstring>{appContainerSid(20), appContainerSid(30)}));
    for (const std::wstring& preserved : state().preservedSids) {
        EXPECT_EQ(std::count_if(state().apps.begin(), state().apps.end(),
                                [&](const AppEntry& entry) { return entry.sidString == preserved; }),
                  0);
    }
}

TEST_F(LoadCatalog, UnreadableExemptionsAreRetainedAsBinaryOnce)
{
    const std::vector<BYTE> unreadable = unconvertibleSidBytes(7);
    fake().configuredSids.push_back(FakeSid::raw(unreadable));
    fake().configuredSids.push_back(FakeSid::none());
    fake().configuredSids.push_back(FakeSid::raw(unreadable));
    addExemption(1);

    open();

    EXPECT_EQ(state().retainedBinarySids, (std::vector<std::vector<BYTE>>{unreadable}));
    EXPECT_EQ(state().preservedSids, (std::vector<std::wstring>{appContainerSid(1)}));
    expectNothingLeftBehind();
}

TEST_F(LoadCatalog, BindsTheCheckBoxToTheRecommendedAppWithItsExemption)
{
    addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
    addApp(2, L"Another");
    addExemption(1);

    open();

    ASSERT_GE(state().recommendedIndex, 0);
    EXPECT_EQ(state().apps[static_cast<std::size_t>(state().recommendedIndex)].sidString, appContainerSid(1));
    EXPECT_EQ(windowText(state().recommendedCheck), texts::recommendedFound);
    EXPECT_TRUE(IsWindowEnabled(state().recommendedCheck));
    EXPECT_EQ(SendMessageW(state().recommendedCheck, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(LoadCatalog, RefreshAfterThePackageIsGoneUnbindsTheCheckBox)
{
    addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
    addExemption(1);
    TestWindow& window = open();
    fake().appContainers.clear();

    window.command(refreshButtonId);

    EXPECT_EQ(state().recommendedIndex, -1);
    EXPECT_EQ(windowText(state().recommendedCheck), texts::recommendedMissing);
    EXPECT_FALSE(IsWindowEnabled(state().recommendedCheck));
    EXPECT_EQ(SendMessageW(state().recommendedCheck, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // Its exemption now belongs to no installed app and is kept.
    EXPECT_EQ(state().preservedSids, (std::vector<std::wstring>{appContainerSid(1)}));
}

TEST_F(LoadCatalog, StatusCountIncludesTheRecommendedAppAndIgnoresTheSearch)
{
    addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
    addApp(2, L"Alpha");
    addApp(3, L"Beta");
    TestWindow& window = open();
    window.setSearchText(L"alpha");

    window.command(refreshButtonId);

    EXPECT_EQ(status(), loadedStatus(3));
    EXPECT_EQ(window.rowCount(), 1);
    EXPECT_EQ(window.rowText(0), L"Alpha");
}

} // namespace

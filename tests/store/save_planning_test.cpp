#include "store/find_refused_additions.h"
#include "store/merge_exemptions.h"
#include "store/save_report.h"
#include "support/program_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

// The plain functions behind a save, without a window: the merge of the
// user's changes with the list as it is now, the search for refused SIDs and
// the texts that name them.

std::wstring sid(int number)
{
    return L"S-1-15-2-1-" + std::to_wstring(number);
}

struct EntryCase {
    int sid;
    bool exempt;
    bool baseline;
};

struct MergeCase {
    const char* what;
    std::vector<EntryCase> entries;
    std::set<int> current;
    std::vector<bool> written;
    std::vector<std::size_t> additions;
    std::vector<int> preserved;
    // Apps the user left alone that the list now holds otherwise.
    std::vector<std::size_t> changedOutside = {};
};

TEST(MergeExemptions, TheUsersChangesGoOnTopOfTheListAsItIsNow)
{
    const MergeCase cases[] = {
        {"nothing changed anywhere", {{1, true, true}, {2, false, false}}, {1, 9}, {true, false}, {}, {9}},
        {"exempted outside for a shown app", {{1, false, false}}, {1}, {true}, {}, {}, {0}},
        {"exempted outside for an app the catalog lacks", {{1, false, false}}, {7, 3}, {false}, {}, {3, 7}},
        {"removed outside stays removed", {{1, true, true}, {2, true, true}}, {}, {false, false}, {}, {}, {0, 1}},
        {"the user's untick wins", {{1, false, true}}, {1}, {false}, {}, {}},
        {"ticked by the user and exempted outside: written once", {{1, true, false}}, {1}, {true}, {}, {}},
        {"ticked by the user: an addition", {{1, true, false}, {2, true, false}, {3, false, false}},
         {}, {true, true, false}, {0, 1}, {}},
    };
    for (const MergeCase& test : cases) {
        SCOPED_TRACE(test.what);
        std::vector<AppEntry> apps;
        for (const EntryCase& entry : test.entries) {
            AppEntry app;
            app.sidString = sid(entry.sid);
            app.exempt = entry.exempt;
            app.baselineExempt = entry.baseline;
            apps.push_back(app);
        }
        ExemptionList current;
        for (int number : test.current) {
            current.sidStrings.insert(sid(number));
        }
        current.binarySids = {{2, 0, 0, 0, 0, 0, 0, 5}};

        const SavePlan plan = mergeExemptions(current, apps);

        EXPECT_EQ(plan.exempt, test.written);
        EXPECT_EQ(plan.additions, test.additions);
        std::vector<std::wstring> preserved;
        for (int number : test.preserved) {
            preserved.push_back(sid(number));
        }
        std::sort(preserved.begin(), preserved.end());
        EXPECT_EQ(plan.preservedSids, preserved);
        EXPECT_EQ(plan.binarySids, current.binarySids);
        EXPECT_EQ(plan.changedOutside, test.changedOutside);
    }
}

// A system that refuses any list holding one of `refused`, and remembers
// every list it was given.
struct RefusingSystem {
    // `failingWrite` (1-based; 0 for none) fails with `otherError` instead.
    explicit RefusingSystem(std::set<std::size_t> refusedAdditions, DWORD error = ERROR_SUCCESS,
                            std::size_t failing = 0)
        : refused(std::move(refusedAdditions)), otherError(error), failingWrite(failing)
    {
    }

    std::set<std::size_t> refused;
    DWORD otherError;
    std::size_t failingWrite;
    std::vector<std::vector<std::size_t>> writes;

    DWORD write(const std::vector<std::size_t>& additions)
    {
        writes.push_back(additions);
        if (writes.size() == failingWrite) {
            return otherError;
        }
        for (std::size_t addition : additions) {
            if (refused.count(addition) != 0) {
                return ERROR_INVALID_PARAMETER;
            }
        }
        return ERROR_SUCCESS;
    }

    RefusalSearch search(std::size_t additionCount)
    {
        return findRefusedAdditions(additionCount,
                                    [this](const std::vector<std::size_t>& additions) { return write(additions); });
    }
};

std::vector<std::size_t> allBut(std::size_t count, const std::set<std::size_t>& refused)
{
    std::vector<std::size_t> rest;
    for (std::size_t i = 0; i < count; ++i) {
        if (refused.count(i) == 0) {
            rest.push_back(i);
        }
    }
    return rest;
}

// No write drops an addition that an earlier accepted write held.
void expectEveryWriteKeepsWhatWasAccepted(const RefusingSystem& system)
{
    std::set<std::size_t> accepted;
    for (const std::vector<std::size_t>& written : system.writes) {
        for (std::size_t held : accepted) {
            EXPECT_NE(std::find(written.begin(), written.end(), held), written.end()) << "dropped " << held;
        }
        bool refused = false;
        for (std::size_t addition : written) {
            refused = refused || system.refused.count(addition) != 0;
        }
        if (!refused) {
            accepted.insert(written.begin(), written.end());
        }
    }
}

TEST(FindRefusedAdditions, FindsEveryRefusedAdditionAndWritesTheRest)
{
    const std::pair<std::size_t, std::set<std::size_t>> cases[] = {
        {10, {0}}, {10, {9}}, {10, {4}}, {10, {2, 7}}, {7, {0, 1, 5, 6}}, {4, {0, 1, 2, 3}}, {1, {0}},
    };
    for (const auto& [count, refused] : cases) {
        SCOPED_TRACE(testing::Message() << count << " additions, " << refused.size() << " refused");
        RefusingSystem system(refused);

        const RefusalSearch search = system.search(count);

        EXPECT_TRUE(search.restWritten);
        EXPECT_EQ(search.failure, static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(search.refused, std::vector<std::size_t>(refused.begin(), refused.end()));
        EXPECT_EQ(search.accepted, allBut(count, refused));
        EXPECT_TRUE(search.undecided.empty());
        ASSERT_FALSE(system.writes.empty());
        EXPECT_TRUE(system.writes.front().empty()) << "the list without additions goes first";
        expectEveryWriteKeepsWhatWasAccepted(system);
    }
}

// With the save's own first write of the whole list: the list without the
// additions, at most four halvings to single one out of ten, and one write of
// the rest when any is left untried.
TEST(FindRefusedAdditions, OneRefusedAmongTenCostsFiveToSevenWritesWithTheFirst)
{
    std::size_t total = 0;
    for (std::size_t refused = 0; refused < 10; ++refused) {
        RefusingSystem system({refused});
        system.search(10);
        const std::size_t writes = system.writes.size() + 1;
        EXPECT_GE(writes, 5u) << "refused " << refused;
        EXPECT_LE(writes, 7u) << "refused " << refused;
        total += writes;
    }
    EXPECT_LE(total, 63u) << "on average";
}

// The failure reported is that of the write without the additions, which
// failed last, not the refusal of the full list before it.
TEST(FindRefusedAdditions, AListRefusedWithoutAnyAdditionEndsTheSearchAtOnceWithItsError)
{
    for (const DWORD error : {DWORD{ERROR_INVALID_PARAMETER}, DWORD{ERROR_ACCESS_DENIED}}) {
        RefusingSystem system({}, error, 1);

        const RefusalSearch search = system.search(5);

        EXPECT_FALSE(search.restWritten);
        EXPECT_EQ(search.failure, error);
        EXPECT_EQ(system.writes.size(), 1u);
        EXPECT_TRUE(search.accepted.empty());
        EXPECT_TRUE(search.refused.empty());
    }
}

TEST(FindRefusedAdditions, AnotherErrorStopsTheSearchAndKeepsWhatWasAccepted)
{
    // Additions 0-4 are accepted at the second write; the third fails.
    RefusingSystem system({9}, ERROR_ACCESS_DENIED, 3);

    const RefusalSearch search = system.search(10);

    EXPECT_TRUE(search.restWritten);
    EXPECT_EQ(search.failure, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(system.writes.size(), 3u);
    EXPECT_EQ(search.accepted, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(search.undecided, (std::vector<std::size_t>{5, 6, 7, 8, 9}));
    EXPECT_TRUE(search.refused.empty());
}

TEST(SaveReport, ASaveAfterOutsideChangesNamesTheAppsInsteadOfTheHintToGoAhead)
{
    EXPECT_EQ(savedStatusText({}), texts::saved);
    EXPECT_EQ(savedStatusText({L"天气", L"\x202E" L"evil.exe\x2066"}),
              L"设置已保存。其他程序同时更改了 2 个应用的设置：\x2068天气\x2069、\x2068" L"evil.exe\x2069。列表已更新为系统当前的状态。");
    EXPECT_EQ(savedStatusText({L"A", L"B", L"C", L"D"}),
              L"设置已保存。其他程序同时更改了 4 个应用的设置：\x2068" L"A\x2069、\x2068" L"B\x2069、\x2068" L"C\x2069 等。列表已更新为系统当前的状态。");
    EXPECT_EQ(refusalStatusText({L"OneDrive"}, {L"天气"}),
              L"设置已保存，但系统拒绝了 1 个应用：\x2068OneDrive\x2069。其他程序同时更改了 1 个应用的设置：\x2068天气\x2069。列表已更新为系统当前的状态。");
}

TEST(SaveReport, NamesAtMostThreeRefusedAppsInTheStatusAndTwentyInTheMessage)
{
    const std::vector<std::wstring> one = {L"OneDrive"};
    EXPECT_EQ(refusalStatusText(one, {}), texts::refusedBeforeCount + std::wstring(L"1") + texts::refusedAfterCount +
                                             L"\x2068OneDrive\x2069" + texts::refusedEnd);
    EXPECT_EQ(refusalMessageText(one), texts::refusedBox + std::wstring(L"\x2068OneDrive\x2069"));

    const std::vector<std::wstring> four = {L"A", L"B", L"C", L"D"};
    EXPECT_EQ(refusalStatusText(four, {}), texts::refusedBeforeCount + std::wstring(L"4") + texts::refusedAfterCount +
                                           L"\x2068" L"A\x2069" + texts::nameSeparator + L"\x2068" L"B\x2069" +
                                           texts::nameSeparator + L"\x2068" L"C\x2069" + texts::moreNames +
                                           texts::refusedEnd);

    std::vector<std::wstring> many;
    std::wstring expected = texts::refusedBox;
    for (int i = 0; i < 21; ++i) {
        many.push_back(L"App " + std::to_wstring(i));
        if (i < 20) {
            expected += (i > 0 ? L"\n\x2068" : L"\x2068") + many.back() + L"\x2069";
        }
    }
    EXPECT_EQ(refusalMessageText(many), expected + L"\n" + texts::refusedBoxMore);
    many.pop_back();
    EXPECT_EQ(refusalMessageText(many), expected);
}

} // namespace

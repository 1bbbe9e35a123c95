#include "support/allocation_count.h"
#include "support/catalog_fixture.h"
#include "support/dib_canvas.h"

#include <cstdint>

namespace {

// Bytes in busy blocks, by HeapWalk: Wine has no HeapSummary (calling it
// ends the process).
SIZE_T bytesInUse(HANDLE heap)
{
    SIZE_T total = 0;
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heap);
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
            total += entry.cbData;
        }
    }
    HeapUnlock(heap);
    return total;
}

// The process heap, where the platform's and the fakes' blocks live, and
// what the program holds through operator new.
struct HeapUse {
    std::int64_t processHeap = 0;
    std::int64_t heldByNew = 0;
};

HeapUse heapUse()
{
    return {static_cast<std::int64_t>(bytesInUse(GetProcessHeap())), bytesHeldByNew()};
}

class NoGrowth : public CatalogTest {
protected:
    void describeMachine()
    {
        addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
        addApp(2, L"@" + testExecutablePath() + L",-201", L"calc.container");
        addApp(3, L"@Z:\\no\\such\\module.dll,-5", L"unresolved.container");
        for (unsigned number = 10; number < 18; ++number) {
            addApp(number, (number % 2 ? L"Beta " : L"alpha ") + std::to_wstring(number));
        }
        addExemption(1);
        addExemption(12);
        addExemption(900);
        fake().configuredSids.push_back(FakeSid::raw(unconvertibleSidBytes(4)));
    }

    // Everything the program draws: the window (WM_PAINT reaches paintWindow
    // whether or not the window is shown), the four owner-drawn buttons and
    // the colours of every control.
    void paintEverything(DibCanvas& canvas, UINT itemState)
    {
        SendMessageW(state().window, WM_PAINT, 0, 0);
        for (HWND button : {state().moreAppsButton, state().refreshButton, state().applyButton, state().closeButton}) {
            ASSERT_EQ(drawButtonInto(canvas, button, itemState), TRUE);
        }
        for (HWND control = GetWindow(state().window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            SendMessageW(state().window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.context()),
                         reinterpret_cast<LPARAM>(control));
        }
    }
};

TEST_F(NoGrowth, AThousandCyclesOfEveryActionLeaveTheHeapsWhereTheyWere)
{
    describeMachine();
    TestWindow& window = open();
    DibCanvas canvas(200, 50);
    // Load, tick, filter or unfilter, expand or collapse, paint and save.
    const auto cycle = [&](int round) {
        restartRecording();
        fake().writes.clear();
        window.command(refreshButtonId);
        // A search that wrongly hides every row fails here, not as a
        // division by zero that ends the whole executable.
        const int rowCount = window.rowCount();
        ASSERT_GT(rowCount, 0) << "round " << round;
        const int row = round % rowCount;
        window.setRowChecked(row, !window.rowChecked(row));
        window.setSearchText(round % 2 ? L"" : L"BETA 1");
        window.command(moreAppsButtonId);
        paintEverything(canvas, round % 3 == 0 ? ODS_SELECTED : 0);
        window.command(applyButtonId);
        EXPECT_TRUE(spy().liveGdiObjects.empty()) << "round " << round;
        EXPECT_EQ(fake().writes.size(), 1u) << "round " << round;
        EXPECT_EQ(status(), texts::saved) << "round " << round;
        // What the workers free, they free on their own threads: counted
        // only once they have ended.
        EXPECT_TRUE(waitForWorkerThreads(30000)) << "round " << round;
    };

    for (int round = 0; round < 100 && !HasFailure(); ++round) {
        cycle(round);
    }
    restartRecording();
    fake().writes.clear();
    std::vector<HeapUse> samples;
    samples.reserve(9);
    const HeapUse start = heapUse();
    for (int round = 100; round < 1000 && !HasFailure(); ++round) {
        cycle(round);
        if (round % 100 == 99) {
            restartRecording();
            fake().writes.clear();
            samples.push_back(heapUse());
        }
    }

    // The program's own allocations are counted exactly, so a leak of two
    // bytes a cycle shows; Wine's blocks on the process heap get more room.
    constexpr std::int64_t newSlack = 1024;
    constexpr std::int64_t processHeapSlack = 4096;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        EXPECT_LE(samples[i].heldByNew, start.heldByNew + newSlack) << "after " << (i + 2) * 100 << " cycles";
        EXPECT_LE(samples[i].processHeap, start.processHeap + processHeapSlack)
            << "after " << (i + 2) * 100 << " cycles";
    }
    ASSERT_EQ(samples.size(), 9u);
    EXPECT_LE(samples.back().heldByNew, samples.front().heldByNew + newSlack / 2) << "an upward trend";
    EXPECT_LE(samples.back().processHeap, samples.front().processHeap + processHeapSlack / 2) << "an upward trend";
}

TEST_F(NoGrowth, TwentyThousandPaintsAndButtonDrawingsKeepTheRightColours)
{
    describeMachine();
    TestWindow& window = open();
    restartRecording();
    DibCanvas canvas(200, 50);

    for (int round = 0; round < 20000 && !HasFailure(); ++round) {
        paintEverything(canvas, round % 3 == 0 ? ODS_SELECTED : round % 3 == 1 ? ODS_FOCUS : 0);
    }

    EXPECT_TRUE(spy().liveGdiObjects.empty());
    SetWindowPos(window.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    DibCanvas client(720, 360);
    client.capture(window.window());
    EXPECT_EQ(client.pixel(10, 10), palette::background); // background
    EXPECT_EQ(client.pixel(30, 40), palette::accent); // accent bar
    EXPECT_EQ(client.pixel(35, 104), palette::highlight); // recommended card
    EXPECT_EQ(client.pixel(34, 236), palette::panel); // status card
    EXPECT_EQ(client.pixel(560, 200), palette::accent); // apply button
    EXPECT_EQ(client.pixel(230, 200), palette::white); // refresh button
    drawButtonInto(canvas, state().applyButton, 0);
    EXPECT_EQ(canvas.pixel(0, 25), palette::background);
    EXPECT_EQ(canvas.pixel(8, 25), palette::accent);
    EXPECT_GT(canvas.inkWidth(RECT{20, 5, 180, 45}, palette::accent), 10) << "label text";
    drawButtonInto(canvas, state().refreshButton, 0);
    EXPECT_EQ(canvas.pixel(1, 25), palette::panelOutline);
    EXPECT_EQ(canvas.pixel(8, 25), palette::white);
    EXPECT_GT(canvas.inkWidth(RECT{20, 5, 180, 45}, palette::white), 10) << "label text";
}

} // namespace

#include "user_waits.h"

#include "prebuilt_store.h"
#include "simulated_store.h"
#include "synthetic_catalog.h"
#include "timing.h"

#include "model/control_ids.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr std::size_t waitSizes[] = {300, 3000, 30000};
constexpr std::size_t targetSize = 30000;
// One frame at 60 Hz.
constexpr double frameMilliseconds = 16.0;
constexpr double loadTargetMilliseconds = 1000.0;
constexpr double resizeGrowthTarget = 1.5;

// Paints whatever the step left invalid in the window and its controls, as
// the message loop would before it takes the next input.
void paintNow(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

template <typename Step>
double timePainted(HWND window, Step&& step)
{
    return timeMilliseconds([&] {
        step();
        paintNow(window);
    });
}

int runsAt(const WaitRuns& runs, std::size_t apps)
{
    return apps >= targetSize ? runs.large : runs.regular;
}

// The box holds all of the query but its last character while the list still
// shows every app; the user then types that character.
double typeLastCharacter(const BenchWindow& window, const std::wstring& query)
{
    WindowState& state = window.state();
    window.setSearchTextQuietly(query.substr(0, query.size() - 1));
    const auto end = static_cast<WPARAM>(query.size() - 1);
    SendMessageW(state.searchEdit, EM_SETSEL, end, static_cast<LPARAM>(end));
    pumpMessages();
    paintNow(state.window);
    const double waited = timePainted(state.window, [&] {
        SendMessageW(state.searchEdit, WM_CHAR, static_cast<WPARAM>(query.back()), 1);
    });
    pumpMessages();
    return waited;
}

struct KeystrokeFigures {
    std::size_t rows = 0;
    double painted = 0.0;
};

KeystrokeFigures measureKeystroke(const BenchWindow& window, const SearchQuery& query, std::size_t fullRows, int runs)
{
    WindowState& state = window.state();
    std::vector<double> painted;
    std::size_t rows = 0;
    for (int run = 0; run < runs; ++run) {
        if (state.visibleRows.size() != fullRows) {
            window.showEveryApp();
        }
        painted.push_back(typeLastCharacter(window, query.text));
        rows = state.visibleRows.size();
    }
    return KeystrokeFigures{rows, median(painted)};
}

// Loaded into the hidden list, as at start-up, then expanded.
void loadAndExpand(const BenchWindow& window)
{
    window.setListShown(false);
    window.setSearchTextQuietly(L"");
    window.load();
    pumpMessages();
    window.setListShown(true);
}

double keystrokeFloor(const BenchWindow& window, int runs)
{
    const PrebuiltStore empty(SyntheticCatalog{});
    loadAndExpand(window);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        times.push_back(typeLastCharacter(window, matchEveryApp.text));
    }
    return median(times);
}

void measureKeystrokes(const BenchWindow& window, const WaitRuns& runs, const std::vector<std::size_t>& sizes)
{
    const double floor = keystrokeFloor(window, runs.regular);
    std::printf("\nKeystroke: WM_CHAR to the search box until the list is painted with the results, expanded "
                "window, from the full list\n");
    std::printf("  %7s %6s %7s %12s %10s\n", "entries", "query", "rows", "painted ms", "floor ms");
    bool measuredTarget = false;
    bool met = true;
    for (const std::size_t size : sizes) {
        const PrebuiltStore store(makeSyntheticCatalog(size));
        loadAndExpand(window);
        const std::size_t fullRows = window.state().visibleRows.size();
        for (const SearchQuery& query : searchQueries) {
            const KeystrokeFigures figures = measureKeystroke(window, query, fullRows, runsAt(runs, size));
            std::printf("  %7zu %6s %7zu %12.2f %10.2f\n", size, query.label, figures.rows, figures.painted, floor);
            std::fflush(stdout);
            if (size == targetSize) {
                measuredTarget = true;
                met = met && figures.painted <= frameMilliseconds;
            }
        }
    }
    window.setListShown(false);
    std::printf("  floor: the same keystroke with an empty list\n");
    std::printf("  target: within %.0f ms at %zu entries, every query: %s\n", frameMilliseconds, targetSize,
                measuredTarget ? verdict(met) : "not measured");
}

double tickAllFloor(const BenchWindow& window, int runs)
{
    const PrebuiltStore empty(SyntheticCatalog{});
    loadAndExpand(window);
    WindowState& state = window.state();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        times.push_back(timePainted(state.window, [&] { InvalidateRect(state.appList, nullptr, TRUE); }));
    }
    window.setListShown(false);
    return median(times);
}

void measureTickAll(const BenchWindow& window, const WaitRuns& runs, std::size_t size)
{
    const double floor = tickAllFloor(window, runs.regular);
    const PrebuiltStore store(makeSyntheticCatalog(size));
    loadAndExpand(window);
    WindowState& state = window.state();
    std::vector<double> times;
    for (int run = 0; run < runsAt(runs, size); ++run) {
        const int command = run % 2 == 0 ? tickAllShownId : untickAllShownId;
        times.push_back(timePainted(state.window, [&] {
            SendMessageW(state.window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
        }));
        pumpMessages();
    }
    window.setListShown(false);
    const double painted = median(times);
    std::printf("\nTick all shown (the list's context menu), expanded window, every app shown, until painted\n");
    std::printf("  %7s %12s %10s\n", "entries", "painted ms", "floor ms");
    std::printf("  %7zu %12.2f %10.2f\n", size, painted, floor);
    std::printf("  floor: the empty list painting once\n");
    std::printf("  target: within %.0f ms at %zu entries: %s\n", frameMilliseconds, targetSize,
                size == targetSize ? verdict(painted <= frameMilliseconds) : "not measured");
}

// Steps of a drag of the expanded window's sizing border: the window grows by
// a few pixels each way and back, alternately, each step until the window and
// its list are painted.
double resizeSteps(const BenchWindow& window, int runs)
{
    HWND mainWindow = window.state().window;
    RECT outer = {};
    GetWindowRect(mainWindow, &outer);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const int grown = run % 2 == 0 ? 16 : 0;
        times.push_back(timePainted(mainWindow, [&] {
            SetWindowPos(mainWindow, nullptr, 0, 0, outer.right - outer.left + grown, outer.bottom - outer.top + grown,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }));
        pumpMessages();
    }
    return median(times);
}

// A drag is smooth at any size of catalog when a step costs what it costs
// with a small one: the list holds only the rows it paints.
void measureResizes(const BenchWindow& window, const WaitRuns& runs, const std::vector<std::size_t>& sizes)
{
    // As many steps as a short drag has, whatever the runs of the other figures.
    const int steps = std::max(runs.regular, 20);
    double floor = 0.0;
    {
        const PrebuiltStore empty(SyntheticCatalog{});
        loadAndExpand(window);
        floor = resizeSteps(window, steps);
    }
    std::printf("\nResize: one step of a drag of the expanded window's border (16 pixels each way), every app"
                " shown, until painted\n");
    std::printf("  %7s %12s %10s\n", "entries", "painted ms", "floor ms");
    double smallest = -1.0;
    double atTarget = -1.0;
    for (const std::size_t size : sizes) {
        const PrebuiltStore store(makeSyntheticCatalog(size));
        loadAndExpand(window);
        const double painted = resizeSteps(window, steps);
        std::printf("  %7zu %12.2f %10.2f\n", size, painted, floor);
        std::fflush(stdout);
        smallest = smallest < 0.0 ? painted : smallest;
        atTarget = size == targetSize ? painted : atTarget;
    }
    window.setListShown(false);
    std::printf("  floor: the same step with an empty list\n");
    std::printf("  target: a step at %zu entries within %.1fx the step at %zu: %s\n", targetSize,
                resizeGrowthTarget, sizes.empty() ? std::size_t{0} : sizes.front(),
                atTarget < 0.0 ? "not measured" : verdict(atTarget <= resizeGrowthTarget * smallest));
}

bool useSimulatedCatalog(const SyntheticCatalog& catalog)
{
    return useSimulatedStore(storeFileText(catalog), L"load-store.txt");
}

// Each timed load finds the list holding the previous load's rows, as 刷新
// does.
double measureLoad(const BenchWindow& window, int runs)
{
    WindowState& state = window.state();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        times.push_back(timePainted(state.window, [&] { window.load(); }));
        pumpMessages();
    }
    return median(times);
}

void measureLoads(const BenchWindow& window, const WaitRuns& runs, const std::vector<std::size_t>& sizes)
{
    if (!useSimulatedCatalog(SyntheticCatalog{})) {
        std::printf("\nLoad: no simulated FirewallAPI.dll in the system directory, not measured\n");
        return;
    }
    window.setSearchTextQuietly(L"");
    window.setListShown(true);
    window.load();
    pumpMessages();
    const double floor = measureLoad(window, runs.regular);

    std::printf("\nLoad: a refresh through the simulated FirewallAPI.dll until the read has ended and the list is painted,\n"
                "expanded window, list holding the previous load's rows\n");
    std::printf("  %7s %12s %10s\n", "apps", "painted ms", "floor ms");
    double atTarget = -1.0;
    for (const std::size_t size : sizes) {
        useSimulatedCatalog(makeSyntheticCatalog(size));
        window.load();
        pumpMessages();
        const double painted = measureLoad(window, runsAt(runs, size));
        std::printf("  %7zu %12.2f %10.2f\n", size, painted, floor);
        std::fflush(stdout);
        if (size == targetSize) {
            atTarget = painted;
        }
    }
    window.setListShown(false);
    std::printf("  floor: the load of an empty store\n");
    std::printf("  target: %zu apps within %.0f ms: %s\n", targetSize, loadTargetMilliseconds,
                atTarget < 0.0 ? "not measured" : verdict(atTarget <= loadTargetMilliseconds));
}

} // namespace

std::vector<std::size_t> measuredSizes(const WaitRuns& runs)
{
    std::vector<std::size_t> sizes;
    for (const std::size_t size : waitSizes) {
        if (size <= runs.largestCatalog) {
            sizes.push_back(size);
        }
    }
    return sizes;
}

void measureUserWaits(const BenchWindow& window, const WaitRuns& runs)
{
    const std::vector<std::size_t> sizes = measuredSizes(runs);
    measureKeystrokes(window, runs, sizes);
    measureTickAll(window, runs, sizes.empty() ? 0 : sizes.back());
    std::fflush(stdout);
    measureResizes(window, runs, sizes);
    std::fflush(stdout);
    measureLoads(window, runs, sizes);
    std::fflush(stdout);
}

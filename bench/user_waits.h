#pragma once

#include "bench_window.h"

#include <cstddef>
#include <vector>

struct WaitRuns {
    int regular = 7;
    // Runs at 30,000 entries, where a run of the stall figures takes a
    // minute.
    int large = 3;
    // Catalogs above this size are left out, for a quicker run.
    std::size_t largestCatalog = 30000;
};

// The catalog sizes the figures are measured at: 300, 3,000 and 30,000
// apps, those above the largest left out.
std::vector<std::size_t> measuredSizes(const WaitRuns& runs);

// Times what a user waits for in the expanded window, each beside its floor:
// the same window with an empty list painting once.
// - a keystroke: a WM_CHAR to the search box until the list is painted with
//   the results, from the full list, for a query matching every entry, half
//   and none;
// - a load (刷新) through the simulated FirewallAPI.dll, from the press to
//   the painted list, the worker's read waited for through the message
//   loop; this unbinds any prebuilt store;
// - 全部勾选 (tick all shown) until painted;
// - a step of a drag of the window's sizing border until painted, at each
//   size of catalog.
// Prints the medians with the targets marked met or missed.
void measureUserWaits(const BenchWindow& window, const WaitRuns& runs);

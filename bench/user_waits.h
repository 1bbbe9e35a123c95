#pragma once

#include "bench_window.h"

#include <cstddef>

struct WaitRuns {
    int regular = 7;
    // Runs at 30,000 entries, where the old list took seconds a run.
    int large = 3;
    // Catalogs above this size are left out, so that a list that inserts its
    // rows one by one can be measured at the sizes where it ends at all.
    std::size_t largestCatalog = 30000;
};

// Times what a user waits for in the expanded window, each beside its floor:
// the same window with an empty list painting once.
// - a keystroke: a WM_CHAR to the search box until the list is painted with
//   the results, from the full list, for a query matching every entry, half
//   and none;
// - a load (刷新): loadCatalog through the simulated FirewallAPI.dll, from
//   enumeration to the painted list; this unbinds any prebuilt store;
// - 全部勾选 (tick all shown) until painted;
// - a step of a drag of the window's sizing border until painted, at each
//   size of catalog.
// Prints the medians with the targets marked met or missed.
void measureUserWaits(const BenchWindow& window, const WaitRuns& runs);

#pragma once

#include "model/window_state.h"
#include "store/loopback_api.h"
#include "store/worker_thread.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// One read of the catalog as a worker runs it: what the window lends it, and
// what it hands back for the window to put in place.
struct CatalogRead {
    // Taken along.
    LoopbackApi api;
    // The window's names, handed back with those this read resolved added.
    DisplayNameCache displayNames;

    // Handed back. A read that failed says so in `failure`, the status
    // line's text, and leaves the rest empty.
    std::wstring failure;
    // In display order; each entry's exempt flag and baseline as read.
    std::vector<AppEntry> apps;
    std::vector<std::wstring> preservedSids;
    std::vector<std::vector<BYTE>> retainedBinarySids;
    // The search index of `apps` (WindowState::searchKeys).
    std::wstring searchKeys;
    std::vector<std::size_t> searchKeyStarts;
};

// Reads the exemption list, enumerates the AppContainers and copies every
// record out before the enumeration is freed, then resolves the indirect
// display names that `read.displayNames` does not hold (a failed one is
// resolved again next time), reporting how many of how many, and orders and
// indexes the catalog. Touches nothing but `read`.
void readCatalog(CatalogRead& read, const ReportProgress& report);

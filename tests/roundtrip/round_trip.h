#pragma once

#include "report.h"

#include <string>

// How the round trip ends. A skip is never a pass: the proof did not happen.
enum RoundTripExit : int {
    roundTripPassed = 0,
    roundTripFailed = 1,
    roundTripUsage = 2,
    roundTripSkipped = 77,
};

// Against the system's loopback exemption list, with the program's own load
// and save in a hidden main window: compares the list the program reads with
// the SIDs CheckNetIsolation (`tool`) prints; ticks an AppContainer that is
// not exempt, saves, checks with CheckNetIsolation that it alone was added;
// unticks it, saves, checks that the list is as it was. A container the
// system refuses is named and the next one tried. The original list is put
// back on every path. Before anything is written, the load's figures on this
// system are reported (load_figures.h). Skipped when there is no
// CheckNetIsolation or no container to try.
RoundTripExit runRoundTrip(const std::wstring& tool, Report& report);

#pragma once

#include "user_waits.h"

#include <windows.h>

#include <cstddef>
#include <vector>

// How slow the simulated system is made for the stall figures.
struct SystemDelays {
    // Every call of the simulated FirewallAPI.dll (its `delay` line).
    DWORD callMilliseconds = 250;
    // Every indirect display name (SlowDisplayNames).
    DWORD nameMilliseconds = 1;
};

// The longest time the program's window thread answers no message
// (StallMeter) during what makes a user wait on the system, at each size of
// `sizes`, with the simulated FirewallAPI.dll and the display names made
// slow by `delays`, every name indirect:
// - the first load, from the window's first paint until its list is read,
//   and how long after that paint the window first answers;
// - a refresh (刷新) of the expanded window;
// - a save (应用设置) that adds ten apps, one of which the system refuses,
//   until it has ended, its message box kept from appearing (MessageBoxVeto
//   in window_stalls.cpp says why);
// beside the floor: the expanded window's list painting all its rows once,
// which every refresh, save and scroll makes it do. Prints the medians
// with the targets marked met or missed: every stall within a frame (16 ms),
// the first answer within 100 ms of the first paint.
void measureWindowStalls(const WaitRuns& runs, const std::vector<std::size_t>& sizes, const SystemDelays& delays);

#pragma once

#include "model/window_state.h"

#include <vector>

// Whether the user has ticked or unticked any app since the window last read
// or wrote the system's list: some entry's exempt differs from its baseline.
bool hasUserChanges(const std::vector<AppEntry>& apps);

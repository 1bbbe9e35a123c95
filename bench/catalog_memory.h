#pragma once

#include "model/window_state.h"

#include <cstddef>
#include <vector>

// The bytes the catalog holds: its array of entries as allocated, plus the
// heap block of every string too long to live inside its entry.
std::size_t catalogBytes(const std::vector<AppEntry>& apps);

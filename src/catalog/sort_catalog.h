#pragma once

#include "model/window_state.h"

#include <string_view>
#include <vector>

// Compares two names code unit by code unit after folding A-Z to a-z, as
// _wcsicmp does in the start-up locale: negative, zero or positive.
int compareDisplayNames(std::wstring_view left, std::wstring_view right);

// Puts the catalog into display order: ascending display name, no second key.
void sortCatalog(std::vector<AppEntry>& apps);

#pragma once

#include "model/window_state.h"

#include <string_view>
#include <vector>

// Compares two names code unit by code unit after folding A-Z to a-z, as
// _wcsicmp does in the start-up locale: negative, zero or positive. The
// display order's tie-break among names the user's locale sorts as equal.
int compareDisplayNames(std::wstring_view left, std::wstring_view right);

// Puts the catalog into display order: names as Explorer orders file names,
// in the user's locale with case ignored and digits taken as numbers
// ("App 9" before "App 10", Chinese by pinyin on a Chinese system); names
// that still tie by compareDisplayNames, and then by SID, so that the order
// is total and every refresh gives the same one.
void sortCatalog(std::vector<AppEntry>& apps);

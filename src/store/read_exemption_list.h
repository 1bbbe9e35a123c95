#pragma once

#include "store/loopback_api.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

// The system's loopback exemption list as the program works with it: the SIDs
// in text form, ascending and once each, and those without a text form byte
// for byte, in list order and once each.
struct ExemptionList {
    std::set<std::wstring> sidStrings;
    std::vector<std::vector<BYTE>> binarySids;
};

// Reads the list with NetworkIsolationGetAppContainerConfig. Everything the
// call hands out is released before this returns, whatever the outcome.
// Returns the call's code; `list` is filled only on success.
DWORD readExemptionList(const LoopbackApi& api, ExemptionList& list);

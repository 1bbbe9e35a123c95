#pragma once

#include "store_model.h"

// Hands out the exemption list the way NetworkIsolationGetAppContainerConfig
// does: an array on the process heap whose every Sid is a separate block on
// the process heap, for the caller to HeapFree one by one and then the array.
// No exemptions give a count of zero and a null array.
DWORD handOutConfiguredSids(const std::vector<SidBytes>& exemptions, DWORD& count, SID_AND_ATTRIBUTES*& records);

#pragma once

#include "store_model.h"

// Reads and parses the state file that the environment names. Returns
// ERROR_SUCCESS, the error of finding or reading it (ERROR_FILE_NOT_FOUND
// when the variable is not set), or ERROR_INVALID_DATA for a malformed file.
DWORD readStore(StoreContents& contents);

// Rewrites the state file with `exemptions` in place of its exemption lines:
// they go where the first one stood, or at the end, and every other line is
// kept byte for byte. The file is replaced whole or not at all.
DWORD writeExemptions(const StoreContents& contents, const std::vector<SidBytes>& exemptions);

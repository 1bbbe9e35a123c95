#pragma once

#include "store_model.h"

#include <string_view>

// Parses the whole state file (UTF-8, an optional byte order mark, LF or
// CR LF line ends). Returns ERROR_SUCCESS, or ERROR_INVALID_DATA when any
// line is malformed, in which case `contents` is not to be used.
DWORD parseStore(std::string_view bytes, StoreContents& contents);

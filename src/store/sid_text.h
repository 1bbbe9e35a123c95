#pragma once

#include <windows.h>

#include <string>

// The standard text form of a SID (S-1-15-2-…), or an empty string for a
// null SID or one that has no text form.
std::wstring sidToString(PSID sid);

#pragma once

#include <string>

// Writes `storeText` (the simulated FirewallAPI.dll's state file) beside the
// benchmark under `fileName`, points ORVA_LOOPBACK_STORE at it (the DLL reads
// it on every call) and binds the program anew to the DLL in the system
// directory, in place of any prebuilt store. False when there is none.
bool useSimulatedStore(const std::string& storeText, const wchar_t* fileName);

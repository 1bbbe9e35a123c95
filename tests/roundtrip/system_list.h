#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

// The system's loopback exemption list byte for byte and in the system's
// order, as the round trip keeps it to put back: read and written with the
// program's own binding to FirewallAPI.dll (bindLoopbackApi must have
// succeeded), not with the program's load or save, which are under test.
using SidList = std::vector<std::vector<BYTE>>;

DWORD readSystemList(SidList& list);
DWORD writeSystemList(const SidList& list);

// The SIDs of the list that have a text form, in that form.
std::set<std::wstring> sidTexts(const SidList& list);

// The list's SIDs as text, those without a text form in hexadecimal.
std::vector<std::wstring> describeList(const SidList& list);

#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

// The system's exemption list as the system's own CheckNetIsolation.exe
// reports it, the round trip's independent witness.
struct CheckNetIsolationListing {
    // Empty when the tool ran and listed; otherwise what went wrong.
    std::wstring failure;
    std::set<std::wstring> sids;
};

// Runs `tool LoopbackExempt -s` and collects the SIDs it prints.
CheckNetIsolationListing listLoopbackExemptions(const std::wstring& tool);

// Every SID in the output, in canonical text form. Each token that reads as
// a SID counts, whatever the lines around it say, so the labels' wording and
// language do not matter; a tool that writes UTF-16 is read as well.
std::set<std::wstring> sidsInListing(std::string_view output);

// Where Windows keeps CheckNetIsolation.exe.
std::wstring systemCheckNetIsolation();

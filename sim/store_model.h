#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The bytes of one SID. An empty vector stands for a record without a SID.
using SidBytes = std::vector<BYTE>;

struct StoredApp {
    SidBytes sid;
    std::optional<std::wstring> displayName;
    std::optional<std::wstring> containerName;
    std::optional<std::wstring> packageFullName;
};

// The four calls, in the order the store's `fail` lines may name them.
enum class SimulatedCall : std::size_t { get, enumerate, set, free };
inline constexpr std::size_t simulatedCallCount = 4;

// The state file as read: its lines, kept byte for byte so that a write can
// reproduce every line it does not replace, and what they describe.
struct StoreContents {
    std::vector<std::string> lines;
    // Parallel to `lines`: whether the line is an exemption, which a write replaces.
    std::vector<bool> isExemptionLine;
    std::vector<StoredApp> apps;
    std::vector<SidBytes> exemptions;
    // SIDs the system will not exempt: a list that holds one is refused whole.
    std::vector<SidBytes> refused;
    // Milliseconds every call waits before it answers, as a slow system does:
    // 0 unless a `delay` line says otherwise.
    DWORD callDelay = 0;
    // ERROR_SUCCESS where the call is not asked to fail.
    std::array<DWORD, simulatedCallCount> failures{};
    // The one call of the function, counted from 1 since the DLL was loaded,
    // that fails; 0 where every call fails.
    std::array<DWORD, simulatedCallCount> failingCallNumbers{};

    // What the `callNumber`th call of `call` is to return instead of doing its work.
    DWORD failureOf(SimulatedCall call, DWORD callNumber) const
    {
        const auto index = static_cast<std::size_t>(call);
        const DWORD only = failingCallNumbers[index];
        return only == 0 || only == callNumber ? failures[index] : static_cast<DWORD>(ERROR_SUCCESS);
    }
};

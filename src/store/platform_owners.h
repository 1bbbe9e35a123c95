#pragma once

#include "store/loopback_api.h"

#include <memory>

// Owners for what the SID conversions, FormatMessageW and the network
// isolation functions hand out, each released with the call that belongs to it.

struct LocalFreeDeleter {
    void operator()(void* memory) const { LocalFree(memory); }
};
using LocalText = std::unique_ptr<wchar_t, LocalFreeDeleter>;
using LocalSid = std::unique_ptr<void, LocalFreeDeleter>;

// The exemption list as NetworkIsolationGetAppContainerConfig returns it: each
// SID and then the array itself live on the process heap.
class ConfiguredSidArray {
public:
    ConfiguredSidArray() = default;
    ConfiguredSidArray(const ConfiguredSidArray&) = delete;
    ConfiguredSidArray& operator=(const ConfiguredSidArray&) = delete;
    ~ConfiguredSidArray()
    {
        if (!records) {
            return;
        }
        HANDLE heap = GetProcessHeap();
        for (DWORD i = 0; i < count; ++i) {
            if (records[i].Sid) {
                HeapFree(heap, 0, records[i].Sid);
            }
        }
        HeapFree(heap, 0, records);
    }

    DWORD count = 0;
    SID_AND_ATTRIBUTES* records = nullptr;
};

// A successful enumeration, released with exactly one
// NetworkIsolationFreeAppContainers call whatever the count, zero included.
class EnumeratedAppContainers {
public:
    EnumeratedAppContainers() = default;
    EnumeratedAppContainers(const EnumeratedAppContainers&) = delete;
    EnumeratedAppContainers& operator=(const EnumeratedAppContainers&) = delete;
    ~EnumeratedAppContainers()
    {
        if (succeeded) {
            loopbackApi.freeAppContainers(records);
        }
    }

    bool succeeded = false;
    DWORD count = 0;
    INET_FIREWALL_APP_CONTAINER* records = nullptr;
};

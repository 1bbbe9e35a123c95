#pragma once

#include "model/network_isolation.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

// A SID as the fakes hand it out: null, built from its string form, or raw
// bytes (for SIDs that do not convert to text, such as revision 2).
struct FakeSid {
    static FakeSid none() { return {}; }
    static FakeSid of(std::wstring sidText) { return {Kind::text, std::move(sidText), {}}; }
    static FakeSid raw(std::vector<BYTE> sidBytes) { return {Kind::raw, {}, std::move(sidBytes)}; }

    enum class Kind { none, text, raw } kind = Kind::none;
    std::wstring text;
    std::vector<BYTE> bytes;
};

struct FakeAppContainer {
    FakeSid sid;
    std::optional<std::wstring> displayName;
    std::optional<std::wstring> containerName;
    std::optional<std::wstring> packageFullName;
};

// One SID_AND_ATTRIBUTES record the program wrote: its text form when the
// SID converts, otherwise its bytes.
struct WrittenSid {
    std::wstring text;
    std::vector<BYTE> bytes;
    DWORD attributes = 0;
};

struct WrittenList {
    DWORD count = 0;
    bool arrayWasNull = false;
    std::vector<WrittenSid> sids;
    std::vector<std::wstring> texts() const;
};

// The four network isolation functions, faked. Each can fail with any code,
// and everything they hand out is tracked until the program releases it.
struct FakeNetworkIsolation {
    std::vector<FakeSid> configuredSids;
    std::vector<FakeAppContainer> appContainers;
    // Returned count 0 with this pointer instead of an array when set.
    bool enumerationReturnsNullArray = false;
    bool configReturnsNullArray = false;

    DWORD getConfigResult = ERROR_SUCCESS;
    DWORD enumResult = ERROR_SUCCESS;
    DWORD setConfigResult = ERROR_SUCCESS;
    // A write that holds one of these fails with ERROR_INVALID_PARAMETER.
    std::set<std::wstring> refusedSids;
    // The n-th write (1-based, counted in `writes`) fails with this code.
    std::size_t failingWrite = 0;
    DWORD failingWriteResult = ERROR_SUCCESS;
    // Returned by the release, which frees the enumeration all the same.
    DWORD freeResult = ERROR_SUCCESS;
    // Run as the enumeration and each write begin: a look at the window while
    // the system works.
    std::function<void()> whileBusy;

    int getConfigCalls = 0;
    int enumCalls = 0;
    int freeCalls = 0;
    std::vector<WrittenList> writes;

    // Process-heap blocks handed out by the config read and not yet freed
    // (checked against the HeapFree calls the platform spy records).
    std::vector<void*> configBlocks;
    std::set<INET_FIREWALL_APP_CONTAINER*> liveEnumerations;
    // Releases of an array it never handed out, a null one included.
    int freeOfUnknownArray = 0;
};

// Resets the fake and binds the program's LoopbackApi table to it.
FakeNetworkIsolation& installFakeNetworkIsolation();
FakeNetworkIsolation& fakeNetworkIsolation();

// A syntactically valid AppContainer SID string, distinct for each number.
std::wstring appContainerSid(unsigned number);

// A SID with revision 2, which ConvertSidToStringSidW refuses.
std::vector<BYTE> unconvertibleSidBytes(BYTE marker);

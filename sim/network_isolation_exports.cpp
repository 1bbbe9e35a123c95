// The four network isolation functions of FirewallAPI.dll, answered from the
// state file that ORVA_LOOPBACK_STORE names. Every call reads the file anew,
// so a test or a user may edit it while the program runs.

#include "configured_sids.h"
#include "enumeration_registry.h"
#include "load_by_name.h"
#include "sid_bytes.h"
#include "store_file.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <new>

namespace {

// Counts the calls of each function since the DLL was loaded, for the
// `fail` lines that name one call: a failure in the middle of a session.
DWORD countCall(SimulatedCall call)
{
    static std::array<std::atomic<DWORD>, simulatedCallCount> calls{};
    return ++calls[static_cast<std::size_t>(call)];
}

// Reads the store, then takes as long as its `delay` line asks, as a system
// that walks many packages does.
DWORD readStoreAndWait(StoreContents& store)
{
    const DWORD result = readStore(store);
    if (result == ERROR_SUCCESS && store.callDelay > 0) {
        Sleep(store.callDelay);
    }
    return result;
}

// No exception may cross into the caller, who expects only an error code.
template <typename Call>
DWORD answer(Call call)
{
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

} // namespace

extern "C" DWORD WINAPI NetworkIsolationGetAppContainerConfig(DWORD* count, SID_AND_ATTRIBUTES** appContainerSids)
{
    loadByNameOnFirstCall();
    const DWORD callNumber = countCall(SimulatedCall::get);
    if (!count || !appContainerSids) {
        return ERROR_INVALID_PARAMETER;
    }
    *count = 0;
    *appContainerSids = nullptr;
    return answer([&] {
        StoreContents store;
        if (const DWORD result = readStoreAndWait(store); result != ERROR_SUCCESS) {
            return result;
        }
        if (const DWORD failure = store.failureOf(SimulatedCall::get, callNumber); failure != ERROR_SUCCESS) {
            return failure;
        }
        return handOutConfiguredSids(store.exemptions, *count, *appContainerSids);
    });
}

extern "C" DWORD WINAPI NetworkIsolationEnumAppContainers(DWORD /*flags*/, DWORD* count,
                                                          INET_FIREWALL_APP_CONTAINER** appContainers)
{
    loadByNameOnFirstCall();
    const DWORD callNumber = countCall(SimulatedCall::enumerate);
    if (!count || !appContainers) {
        return ERROR_INVALID_PARAMETER;
    }
    *count = 0;
    *appContainers = nullptr;
    return answer([&] {
        StoreContents store;
        if (const DWORD result = readStoreAndWait(store); result != ERROR_SUCCESS) {
            return result;
        }
        if (const DWORD failure = store.failureOf(SimulatedCall::enumerate, callNumber); failure != ERROR_SUCCESS) {
            return failure;
        }
        const auto appCount = static_cast<DWORD>(store.apps.size());
        *appContainers = handOutEnumeration(std::move(store.apps));
        *count = appCount;
        return static_cast<DWORD>(ERROR_SUCCESS);
    });
}

extern "C" DWORD WINAPI NetworkIsolationFreeAppContainers(INET_FIREWALL_APP_CONTAINER* appContainers)
{
    loadByNameOnFirstCall();
    const DWORD callNumber = countCall(SimulatedCall::free);
    return answer([&] {
        if (!releaseEnumeration(appContainers)) {
            return static_cast<DWORD>(ERROR_INVALID_PARAMETER);
        }
        // The records are released whatever the store says; a `fail free`
        // line only changes what the caller is told.
        StoreContents store;
        if (const DWORD result = readStoreAndWait(store); result != ERROR_SUCCESS) {
            return result;
        }
        return store.failureOf(SimulatedCall::free, callNumber);
    });
}

extern "C" DWORD WINAPI NetworkIsolationSetAppContainerConfig(DWORD count, SID_AND_ATTRIBUTES* appContainerSids)
{
    loadByNameOnFirstCall();
    const DWORD callNumber = countCall(SimulatedCall::set);
    if (count > 0 && !appContainerSids) {
        return ERROR_INVALID_PARAMETER;
    }
    return answer([&] {
        StoreContents store;
        if (const DWORD result = readStoreAndWait(store); result != ERROR_SUCCESS) {
            return result;
        }
        if (const DWORD failure = store.failureOf(SimulatedCall::set, callNumber); failure != ERROR_SUCCESS) {
            return failure;
        }
        std::vector<SidBytes> exemptions;
        exemptions.reserve(count);
        for (DWORD i = 0; i < count; ++i) {
            std::optional<SidBytes> sid = copyCallerSid(appContainerSids[i].Sid);
            if (!sid) {
                return static_cast<DWORD>(ERROR_INVALID_PARAMETER);
            }
            // As the firewall does: one AppContainer it will not exempt
            // fails the whole call, and nothing is written.
            if (std::find(store.refused.begin(), store.refused.end(), *sid) != store.refused.end()) {
                return static_cast<DWORD>(ERROR_INVALID_PARAMETER);
            }
            exemptions.push_back(std::move(*sid));
        }
        return writeExemptions(store, exemptions);
    });
}

#include "support/fake_network_isolation.h"

#include "store/loopback_api.h"

#include <sddl.h>

#include <algorithm>
#include <cstring>

namespace {

FakeNetworkIsolation fake;

// Unowned strings and SIDs of one enumeration, kept until it is freed.
struct EnumerationStorage {
    INET_FIREWALL_APP_CONTAINER* records = nullptr;
    std::vector<std::wstring> strings;
    std::vector<std::vector<BYTE>> sids;
};
std::vector<EnumerationStorage*> enumerations;

std::vector<BYTE> sidBytesOf(const FakeSid& sid)
{
    if (sid.kind == FakeSid::Kind::raw) {
        return sid.bytes;
    }
    PSID converted = nullptr;
    if (!ConvertStringSidToSidW(sid.text.c_str(), &converted)) {
        return {};
    }
    const auto* begin = static_cast<const BYTE*>(converted);
    std::vector<BYTE> bytes(begin, begin + GetLengthSid(converted));
    LocalFree(converted);
    return bytes;
}

DWORD WINAPI fakeGetConfig(DWORD* count, SID_AND_ATTRIBUTES** sids)
{
    ++fake.getConfigCalls;
    *count = 0;
    *sids = nullptr;
    if (fake.getConfigResult != ERROR_SUCCESS) {
        return fake.getConfigResult;
    }
    if (fake.configReturnsNullArray) {
        return ERROR_SUCCESS;
    }
    HANDLE heap = GetProcessHeap();
    auto* records = static_cast<SID_AND_ATTRIBUTES*>(
        HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(SID_AND_ATTRIBUTES) * (fake.configuredSids.size() + 1)));
    fake.configBlocks.push_back(records);
    for (std::size_t i = 0; i < fake.configuredSids.size(); ++i) {
        const std::vector<BYTE> bytes = sidBytesOf(fake.configuredSids[i]);
        if (fake.configuredSids[i].kind == FakeSid::Kind::none || bytes.empty()) {
            continue;
        }
        void* sid = HeapAlloc(heap, 0, bytes.size());
        std::memcpy(sid, bytes.data(), bytes.size());
        records[i].Sid = sid;
        fake.configBlocks.push_back(sid);
    }
    *count = static_cast<DWORD>(fake.configuredSids.size());
    *sids = records;
    return ERROR_SUCCESS;
}

DWORD WINAPI fakeEnum(DWORD flags, DWORD* count, INET_FIREWALL_APP_CONTAINER** records)
{
    ++fake.enumCalls;
    *count = 0;
    *records = nullptr;
    if (flags != 0 || fake.enumResult != ERROR_SUCCESS) {
        return flags != 0 ? ERROR_INVALID_PARAMETER : fake.enumResult;
    }
    if (fake.enumerationReturnsNullArray) {
        return ERROR_SUCCESS;
    }
    auto* storage = new EnumerationStorage;
    storage->records = new INET_FIREWALL_APP_CONTAINER[fake.appContainers.size() + 1]();
    storage->strings.reserve(fake.appContainers.size() * 3);
    storage->sids.reserve(fake.appContainers.size());
    const auto keep = [storage](const std::optional<std::wstring>& text) -> LPWSTR {
        if (!text) {
            return nullptr;
        }
        storage->strings.push_back(*text);
        return storage->strings.back().data();
    };
    for (std::size_t i = 0; i < fake.appContainers.size(); ++i) {
        const FakeAppContainer& app = fake.appContainers[i];
        INET_FIREWALL_APP_CONTAINER& record = storage->records[i];
        if (app.sid.kind != FakeSid::Kind::none) {
            storage->sids.push_back(sidBytesOf(app.sid));
            record.appContainerSid = reinterpret_cast<SID*>(storage->sids.back().data());
        }
        record.displayName = keep(app.displayName);
        record.appContainerName = keep(app.containerName);
        record.packageFullName = keep(app.packageFullName);
    }
    enumerations.push_back(storage);
    fake.liveEnumerations.insert(storage->records);
    *count = static_cast<DWORD>(fake.appContainers.size());
    *records = storage->records;
    return ERROR_SUCCESS;
}

DWORD WINAPI fakeFree(INET_FIREWALL_APP_CONTAINER* records)
{
    ++fake.freeCalls;
    const auto found = std::find_if(enumerations.begin(), enumerations.end(),
                                    [records](const EnumerationStorage* storage) { return storage->records == records; });
    if (found == enumerations.end()) {
        if (records) {
            ++fake.freeOfUnknownArray;
        }
        return ERROR_SUCCESS;
    }
    fake.liveEnumerations.erase(records);
    delete[] (*found)->records;
    delete *found;
    enumerations.erase(found);
    return fake.freeResult;
}

DWORD WINAPI fakeSetConfig(DWORD count, SID_AND_ATTRIBUTES* sids)
{
    WrittenList written;
    written.count = count;
    written.arrayWasNull = sids == nullptr;
    for (DWORD i = 0; sids && i < count; ++i) {
        WrittenSid sid;
        sid.attributes = sids[i].Attributes;
        wchar_t* text = nullptr;
        if (ConvertSidToStringSidW(sids[i].Sid, &text)) {
            sid.text = text;
            LocalFree(text);
        } else {
            const auto* bytes = static_cast<const BYTE*>(sids[i].Sid);
            sid.bytes.assign(bytes, bytes + 8 + 4 * bytes[1]);
        }
        written.sids.push_back(std::move(sid));
    }
    fake.writes.push_back(std::move(written));
    return fake.setConfigResult;
}

} // namespace

std::vector<std::wstring> WrittenList::texts() const
{
    std::vector<std::wstring> result;
    for (const WrittenSid& sid : sids) {
        result.push_back(sid.text);
    }
    return result;
}

FakeNetworkIsolation& installFakeNetworkIsolation()
{
    for (EnumerationStorage* storage : enumerations) {
        delete[] storage->records;
        delete storage;
    }
    enumerations.clear();
    fake = FakeNetworkIsolation{};
    if (!loopbackApi.module) {
        // A real module handle, so that the release at exit balances a load.
        loopbackApi.module.reset(LoadLibraryW(L"kernel32.dll"));
    }
    loopbackApi.getAppContainerConfig = fakeGetConfig;
    loopbackApi.enumAppContainers = fakeEnum;
    loopbackApi.freeAppContainers = fakeFree;
    loopbackApi.setAppContainerConfig = fakeSetConfig;
    return fake;
}

FakeNetworkIsolation& fakeNetworkIsolation()
{
    return fake;
}

std::wstring appContainerSid(unsigned number)
{
    return L"S-1-15-2-1000-2000-3000-4000-5000-6000-" + std::to_wstring(number);
}

std::vector<BYTE> unconvertibleSidBytes(BYTE marker)
{
    // Revision 2, two sub-authorities.
    return {2, 2, 0, 0, 0, 0, 0, 15, marker, 0, 0, 0, 7, 0, 0, 0};
}

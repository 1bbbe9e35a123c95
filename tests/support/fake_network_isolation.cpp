#include "support/fake_network_isolation.h"

#include "store/loopback_api.h"
#include "support/platform_spy.h"

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

// The fake reads and writes SIDs itself rather than through the conversions
// the platform spy counts and fails, which belong to the program.
std::vector<BYTE> bytesOfSidText(const std::wstring& text)
{
    if (text.rfind(L"S-1-", 0) != 0) {
        return {};
    }
    std::vector<unsigned long long> parts;
    std::size_t position = 4;
    while (position <= text.size()) {
        const std::size_t end = std::min(text.find(L'-', position), text.size());
        const std::wstring part = text.substr(position, end - position);
        if (part.empty() || part.size() > 15 || part.find_first_not_of(L"0123456789") != std::wstring::npos) {
            return {};
        }
        parts.push_back(std::stoull(part));
        position = end + 1;
    }
    if (parts.size() < 2 || parts.size() > 16) {
        return {};
    }
    std::vector<BYTE> bytes = {1, static_cast<BYTE>(parts.size() - 1)};
    for (int shift = 40; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<BYTE>(parts[0] >> shift));
    }
    for (std::size_t i = 1; i < parts.size(); ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<BYTE>(parts[i] >> shift));
        }
    }
    return bytes;
}

// The text form of a SID, empty where the system has none: another revision
// than 1, or more sub-authorities than a SID may have.
std::wstring textOfSid(const BYTE* bytes)
{
    if (bytes[0] != SID_REVISION || bytes[1] > SID_MAX_SUB_AUTHORITIES) {
        return {};
    }
    unsigned long long authority = 0;
    for (int i = 2; i < 8; ++i) {
        authority = (authority << 8) | bytes[i];
    }
    std::wstring text = L"S-1-" + std::to_wstring(authority);
    for (int i = 0; i < bytes[1]; ++i) {
        const BYTE* part = bytes + 8 + 4 * i;
        text += L"-" + std::to_wstring(part[0] | part[1] << 8 | part[2] << 16 | static_cast<unsigned long>(part[3]) << 24);
    }
    return text;
}

std::vector<BYTE> sidBytesOf(const FakeSid& sid)
{
    return sid.kind == FakeSid::Kind::raw ? sid.bytes : bytesOfSidText(sid.text);
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
    watchHeapBlock(records);
    for (std::size_t i = 0; i < fake.configuredSids.size(); ++i) {
        const std::vector<BYTE> bytes = sidBytesOf(fake.configuredSids[i]);
        if (fake.configuredSids[i].kind == FakeSid::Kind::none || bytes.empty()) {
            continue;
        }
        void* sid = HeapAlloc(heap, 0, bytes.size());
        std::memcpy(sid, bytes.data(), bytes.size());
        records[i].Sid = sid;
        fake.configBlocks.push_back(sid);
        watchHeapBlock(sid);
    }
    *count = static_cast<DWORD>(fake.configuredSids.size());
    *sids = records;
    return ERROR_SUCCESS;
}

DWORD WINAPI fakeEnum(DWORD flags, DWORD* count, INET_FIREWALL_APP_CONTAINER** records)
{
    ++fake.enumCalls;
    if (fake.whileBusy) {
        fake.whileBusy();
    }
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
        ++fake.freeOfUnknownArray;
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
    if (fake.whileBusy) {
        fake.whileBusy();
    }
    WrittenList written;
    written.count = count;
    written.arrayWasNull = sids == nullptr;
    for (DWORD i = 0; sids && i < count; ++i) {
        WrittenSid sid;
        sid.attributes = sids[i].Attributes;
        const auto* bytes = static_cast<const BYTE*>(sids[i].Sid);
        sid.text = textOfSid(bytes);
        if (sid.text.empty()) {
            sid.bytes.assign(bytes, bytes + 8 + 4 * bytes[1]);
        }
        written.sids.push_back(std::move(sid));
    }
    // As the system does: a list that holds a refused SID is refused whole,
    // and a list that is taken replaces the one the next read returns.
    DWORD result = fake.writes.size() + 1 == fake.failingWrite ? fake.failingWriteResult : fake.setConfigResult;
    for (const WrittenSid& sid : written.sids) {
        if (result == ERROR_SUCCESS && fake.refusedSids.count(sid.text) != 0) {
            result = ERROR_INVALID_PARAMETER;
        }
    }
    if (result == ERROR_SUCCESS) {
        fake.configReturnsNullArray = false;
        fake.configuredSids.clear();
        for (const WrittenSid& sid : written.sids) {
            fake.configuredSids.push_back(sid.text.empty() ? FakeSid::raw(sid.bytes) : FakeSid::of(sid.text));
        }
    }
    fake.writes.push_back(std::move(written));
    return result;
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

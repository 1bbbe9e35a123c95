#include "prebuilt_store.h"

#include "timing.h"

#include "store/loopback_api.h"

#include <sddl.h>

#include <cstring>

namespace {

PrebuiltStore* boundStore = nullptr;

std::vector<BYTE> sidBytes(const std::wstring& text)
{
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(text.c_str(), &sid)) {
        return {};
    }
    const auto* bytes = static_cast<const BYTE*>(sid);
    std::vector<BYTE> copy(bytes, bytes + GetLengthSid(sid));
    LocalFree(sid);
    return copy;
}

class CallTimer {
public:
    explicit CallTimer(double& total) : total_(total), start_(counterNow()) {}
    CallTimer(const CallTimer&) = delete;
    CallTimer& operator=(const CallTimer&) = delete;
    ~CallTimer() { total_ += millisecondsBetween(start_, counterNow()); }

private:
    double& total_;
    LARGE_INTEGER start_;
};

} // namespace

struct PrebuiltStoreCalls {
    static DWORD WINAPI getConfig(DWORD* count, SID_AND_ATTRIBUTES** sids)
    {
        const CallTimer timer(boundStore->callMilliseconds_);
        const std::vector<std::vector<BYTE>>& exemptions = boundStore->exemptionSids_;
        // The program releases every SID and then the array with HeapFree, as
        // it does for the system's answer.
        HANDLE heap = GetProcessHeap();
        auto* records = static_cast<SID_AND_ATTRIBUTES*>(
            HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(SID_AND_ATTRIBUTES) * (exemptions.size() + 1)));
        for (std::size_t i = 0; i < exemptions.size(); ++i) {
            records[i].Sid = HeapAlloc(heap, 0, exemptions[i].size());
            std::memcpy(records[i].Sid, exemptions[i].data(), exemptions[i].size());
        }
        *count = static_cast<DWORD>(exemptions.size());
        *sids = records;
        return ERROR_SUCCESS;
    }

    static DWORD WINAPI enumerate(DWORD, DWORD* count, INET_FIREWALL_APP_CONTAINER** records)
    {
        const CallTimer timer(boundStore->callMilliseconds_);
        *count = static_cast<DWORD>(boundStore->records_.size());
        *records = boundStore->records_.data();
        return ERROR_SUCCESS;
    }

    // The records stay with the store for the next load.
    static DWORD WINAPI release(INET_FIREWALL_APP_CONTAINER*)
    {
        return ERROR_SUCCESS;
    }

    static DWORD WINAPI setConfig(DWORD, SID_AND_ATTRIBUTES*)
    {
        return ERROR_SUCCESS;
    }
};

PrebuiltStore::PrebuiltStore(SyntheticCatalog catalog) : catalog_(std::move(catalog))
{
    appSids_.reserve(catalog_.apps.size());
    records_.resize(catalog_.apps.size());
    for (std::size_t i = 0; i < catalog_.apps.size(); ++i) {
        SyntheticApp& app = catalog_.apps[i];
        appSids_.push_back(sidBytes(app.sid));
        INET_FIREWALL_APP_CONTAINER& record = records_[i];
        record.appContainerSid = reinterpret_cast<SID*>(appSids_.back().data());
        record.displayName = app.displayName.data();
        record.appContainerName = app.containerName.data();
        record.packageFullName = app.packageFullName.data();
    }
    for (const std::wstring& sid : catalog_.exemptions) {
        exemptionSids_.push_back(sidBytes(sid));
    }

    boundStore = this;
    if (!loopbackApi.module) {
        // Any real module: with one set, the program looks nothing up itself.
        loopbackApi.module.reset(LoadLibraryW(L"kernel32.dll"));
    }
    loopbackApi.getAppContainerConfig = &PrebuiltStoreCalls::getConfig;
    loopbackApi.enumAppContainers = &PrebuiltStoreCalls::enumerate;
    loopbackApi.freeAppContainers = &PrebuiltStoreCalls::release;
    loopbackApi.setAppContainerConfig = &PrebuiltStoreCalls::setConfig;
}

PrebuiltStore::~PrebuiltStore()
{
    loopbackApi.getAppContainerConfig = nullptr;
    loopbackApi.enumAppContainers = nullptr;
    loopbackApi.freeAppContainers = nullptr;
    loopbackApi.setAppContainerConfig = nullptr;
    boundStore = nullptr;
}

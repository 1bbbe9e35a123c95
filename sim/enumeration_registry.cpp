#include "enumeration_registry.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace {

struct Enumeration {
    std::vector<StoredApp> apps;
    std::unique_ptr<INET_FIREWALL_APP_CONTAINER[]> records;
};

struct Registry {
    std::mutex lock;
    std::map<const INET_FIREWALL_APP_CONTAINER*, std::unique_ptr<Enumeration>> outstanding;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

LPWSTR textOf(std::optional<std::wstring>& text)
{
    return text ? text->data() : nullptr;
}

} // namespace

INET_FIREWALL_APP_CONTAINER* handOutEnumeration(std::vector<StoredApp> apps)
{
    auto enumeration = std::make_unique<Enumeration>();
    enumeration->apps = std::move(apps);
    // Value-initialised: capabilities, binaries and the other fields the
    // simulation does not model are zero and null.
    enumeration->records = std::make_unique<INET_FIREWALL_APP_CONTAINER[]>(std::max<std::size_t>(1, enumeration->apps.size()));
    for (std::size_t i = 0; i < enumeration->apps.size(); ++i) {
        StoredApp& app = enumeration->apps[i];
        INET_FIREWALL_APP_CONTAINER& record = enumeration->records[i];
        record.appContainerSid = app.sid.empty() ? nullptr : reinterpret_cast<SID*>(app.sid.data());
        record.appContainerName = textOf(app.containerName);
        record.displayName = textOf(app.displayName);
        record.packageFullName = textOf(app.packageFullName);
    }
    INET_FIREWALL_APP_CONTAINER* records = enumeration->records.get();
    Registry& shared = registry();
    const std::lock_guard<std::mutex> guard(shared.lock);
    shared.outstanding.emplace(records, std::move(enumeration));
    return records;
}

bool releaseEnumeration(const INET_FIREWALL_APP_CONTAINER* records)
{
    Registry& shared = registry();
    const std::lock_guard<std::mutex> guard(shared.lock);
    return shared.outstanding.erase(records) != 0;
}

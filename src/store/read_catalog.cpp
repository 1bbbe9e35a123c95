#include "store/read_catalog.h"

#include "catalog/populate_app_list.h"
#include "catalog/recommended_app.h"
#include "catalog/sort_catalog.h"
#include "model/owners.h"
#include "model/window_table.h"
#include "store/error_text.h"
#include "store/read_exemption_list.h"
#include "store/sid_text.h"

#include <shlwapi.h>

#include <optional>
#include <unordered_set>

namespace {

// One enumerated AppContainer, copied out of the system's records.
struct EnumeratedApp {
    std::wstring sidString;
    std::optional<std::wstring> displayName;
    std::wstring containerName;
    std::wstring packageFullName;
};

std::wstring textOrEmpty(const wchar_t* text)
{
    return text ? std::wstring(text) : std::wstring();
}

// The records with a SID that has a text form, the first of each SID only,
// copied before the enumeration is released.
DWORD enumerateApps(const LoopbackApi& api, std::vector<EnumeratedApp>& apps)
{
    EnumeratedAppContainers enumerated(api.freeAppContainers);
    if (const DWORD result = api.enumAppContainers(0, &enumerated.count, &enumerated.records);
        result != ERROR_SUCCESS) {
        return result;
    }
    enumerated.succeeded = true;
    std::unordered_set<std::wstring> seenSids;
    apps.reserve(enumerated.records ? enumerated.count : 0);
    for (DWORD i = 0; enumerated.records && i < enumerated.count; ++i) {
        const INET_FIREWALL_APP_CONTAINER& record = enumerated.records[i];
        std::wstring sidString = sidToString(record.appContainerSid);
        if (sidString.empty() || !seenSids.insert(sidString).second) {
            continue;
        }
        EnumeratedApp app;
        app.sidString = std::move(sidString);
        if (record.displayName) {
            app.displayName = record.displayName;
        }
        app.containerName = textOrEmpty(record.appContainerName);
        app.packageFullName = textOrEmpty(record.packageFullName);
        apps.push_back(std::move(app));
    }
    return ERROR_SUCCESS;
}

bool isIndirect(const std::optional<std::wstring>& name)
{
    return name && !name->empty() && name->front() == L'@';
}

std::wstring resolveIndirectName(const std::wstring& reference)
{
    wchar_t resolved[512] = {};
    const HRESULT result = SHLoadIndirectString(reference.c_str(), resolved, 512, nullptr);
    if (FAILED(result) || resolved[0] == L'\0') {
        return {};
    }
    resolved[511] = L'\0';
    return resolved;
}

// The display name of each app, in order: a plain name as it is, an
// indirect one from the names resolved before when its package's reference
// is the same, else resolved now and kept when it resolves.
std::vector<std::wstring> displayNamesOf(const std::vector<EnumeratedApp>& apps, DisplayNameCache& known,
                                         const ReportProgress& report)
{
    std::vector<std::wstring> names(apps.size());
    std::vector<std::size_t> unresolved;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const EnumeratedApp& app = apps[i];
        if (!isIndirect(app.displayName)) {
            names[i] = app.displayName.value_or(std::wstring());
            continue;
        }
        const auto found = known.find(app.packageFullName);
        if (found != known.end() && found->second.reference == *app.displayName) {
            names[i] = found->second.text;
        } else {
            unresolved.push_back(i);
        }
    }
    for (std::size_t done = 0; done < unresolved.size(); ++done) {
        const EnumeratedApp& app = apps[unresolved[done]];
        std::wstring& name = names[unresolved[done]];
        name = resolveIndirectName(*app.displayName);
        // A package without a name cannot be found again, and a name that
        // did not resolve is tried again next time.
        if (!name.empty() && !app.packageFullName.empty()) {
            known.insert_or_assign(app.packageFullName, ResolvedName{*app.displayName, name});
        }
        report(done + 1, unresolved.size());
    }
    return names;
}

} // namespace

void readCatalog(CatalogRead& read, const ReportProgress& report)
{
    ExemptionList configured;
    if (const DWORD result = readExemptionList(read.api, configured); result != ERROR_SUCCESS) {
        read.failure = texts::readConfigFailed + errorText(result);
        return;
    }
    std::vector<EnumeratedApp> enumerated;
    if (const DWORD result = enumerateApps(read.api, enumerated); result != ERROR_SUCCESS) {
        read.failure = texts::readAppsFailed + errorText(result);
        return;
    }
    const std::vector<std::wstring> names = displayNamesOf(enumerated, read.displayNames, report);

    std::unordered_set<std::wstring> catalogSids;
    read.apps.reserve(enumerated.size());
    for (std::size_t i = 0; i < enumerated.size(); ++i) {
        EnumeratedApp& app = enumerated[i];
        AppEntry entry;
        entry.displayName = names[i];
        entry.containerName = std::move(app.containerName);
        if (entry.displayName.empty()) {
            entry.displayName = entry.containerName;
        }
        if (entry.displayName.empty()) {
            entry.displayName = texts::unnamedApp;
        }
        entry.recommended = isRecommendedApp(entry.displayName, entry.containerName, app.packageFullName);
        entry.packageMatch = entry.recommended && isRecommendedPackage(entry.containerName, app.packageFullName);
        entry.exempt = configured.sidStrings.count(app.sidString) != 0;
        entry.baselineExempt = entry.exempt;
        catalogSids.insert(app.sidString);
        entry.sidString = std::move(app.sidString);
        read.apps.push_back(std::move(entry));
    }
    for (const std::wstring& sidString : configured.sidStrings) {
        if (catalogSids.count(sidString) == 0) {
            read.preservedSids.push_back(sidString);
        }
    }
    read.retainedBinarySids = std::move(configured.binarySids);
    sortCatalog(read.apps);
    indexCatalogForSearch(read.apps, read.searchKeys, read.searchKeyStarts);
}

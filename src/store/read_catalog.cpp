#include "store/read_catalog.h"

#include "catalog/display_name.h"
#include "catalog/populate_app_list.h"
#include "catalog/recommended_app.h"
#include "catalog/sort_catalog.h"
#include "model/owners.h"
#include "model/window_table.h"
#include "store/error_text.h"
#include "store/read_exemption_list.h"
#include "store/sid_text.h"

#include <shlwapi.h>

#include <unordered_set>

namespace {

// One enumerated AppContainer, copied out of the system's records.
struct EnumeratedApp {
    std::wstring sidString;
    // As the record gives it (empty for none), then, once resolved, the
    // name to show (empty when an indirect one did not resolve).
    std::wstring displayName;
    std::wstring containerName;
    std::wstring packageFullName;
};

std::wstring textOrEmpty(const wchar_t* text)
{
    return text ? std::wstring(text) : std::wstring();
}

// The records with a SID that has a text form, the first of each SID only,
// copied before the enumeration is released; `seenSids` gets their SIDs.
DWORD enumerateApps(const LoopbackApi& api, std::vector<EnumeratedApp>& apps,
                    std::unordered_set<std::wstring>& seenSids)
{
    EnumeratedAppContainers enumerated(api.freeAppContainers);
    if (const DWORD result = api.enumAppContainers(0, &enumerated.count, &enumerated.records);
        result != ERROR_SUCCESS) {
        return result;
    }
    enumerated.succeeded = true;
    apps.reserve(enumerated.records ? enumerated.count : 0);
    for (DWORD i = 0; enumerated.records && i < enumerated.count; ++i) {
        const INET_FIREWALL_APP_CONTAINER& record = enumerated.records[i];
        std::wstring sidString = sidToString(record.appContainerSid);
        if (sidString.empty() || !seenSids.insert(sidString).second) {
            continue;
        }
        EnumeratedApp app;
        app.sidString = std::move(sidString);
        app.displayName = textOrEmpty(record.displayName);
        app.containerName = textOrEmpty(record.appContainerName);
        app.packageFullName = textOrEmpty(record.packageFullName);
        apps.push_back(std::move(app));
    }
    return ERROR_SUCCESS;
}

bool isIndirect(const std::wstring& name)
{
    return !name.empty() && name.front() == L'@';
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

// Replaces each indirect display name with its text: from the names
// resolved before when its package's reference is the same, else resolved
// now and kept when it resolves.
void resolveDisplayNames(std::vector<EnumeratedApp>& apps, DisplayNameCache& known, const ReportProgress& report)
{
    std::vector<std::size_t> unresolved;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        EnumeratedApp& app = apps[i];
        if (!isIndirect(app.displayName)) {
            continue;
        }
        const auto found = known.find(app.packageFullName);
        if (found != known.end() && found->second.reference == app.displayName) {
            app.displayName = found->second.text;
        } else {
            unresolved.push_back(i);
        }
    }
    for (std::size_t done = 0; done < unresolved.size(); ++done) {
        EnumeratedApp& app = apps[unresolved[done]];
        std::wstring text = resolveIndirectName(app.displayName);
        // A package without a name cannot be found again, and a name that
        // did not resolve is tried again next time.
        if (!text.empty() && !app.packageFullName.empty()) {
            known.insert_or_assign(app.packageFullName, ResolvedName{app.displayName, text});
        }
        app.displayName = std::move(text);
        report(done + 1, unresolved.size());
    }
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
    std::unordered_set<std::wstring> catalogSids;
    if (const DWORD result = enumerateApps(read.api, enumerated, catalogSids); result != ERROR_SUCCESS) {
        read.failure = texts::readAppsFailed + errorText(result);
        return;
    }
    resolveDisplayNames(enumerated, read.displayNames, report);

    read.apps.reserve(enumerated.size());
    for (EnumeratedApp& app : enumerated) {
        AppEntry entry;
        entry.displayName = std::move(app.displayName);
        entry.containerName = std::move(app.containerName);
        // A name that shows nothing would be an empty row.
        if (isBlankName(entry.displayName)) {
            entry.displayName = entry.containerName;
        }
        if (isBlankName(entry.displayName)) {
            entry.displayName = texts::unnamedApp;
        }
        entry.recommended = isRecommendedApp(entry.displayName, entry.containerName, app.packageFullName);
        entry.packageMatch = entry.recommended && isRecommendedPackage(entry.containerName, app.packageFullName);
        entry.exempt = configured.sidStrings.count(app.sidString) != 0;
        entry.baselineExempt = entry.exempt;
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

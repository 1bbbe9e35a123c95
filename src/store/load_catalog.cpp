#include "store/load_catalog.h"

#include "catalog/display_name.h"
#include "catalog/populate_app_list.h"
#include "catalog/recommended_app.h"
#include "catalog/sort_catalog.h"
#include "catalog/user_changes.h"
#include "model/owners.h"
#include "model/window_table.h"
#include "store/error_text.h"
#include "store/loopback_api.h"
#include "store/read_exemption_list.h"
#include "store/show_progress.h"
#include "store/sid_text.h"

#include <shlwapi.h>

#include <unordered_set>

namespace {

std::wstring displayNameOf(const INET_FIREWALL_APP_CONTAINER& record)
{
    const wchar_t* name = record.displayName;
    if (!name || name[0] == L'\0') {
        return {};
    }
    if (name[0] != L'@') {
        return name;
    }
    wchar_t resolved[512] = {};
    const HRESULT result = SHLoadIndirectString(name, resolved, 512, nullptr);
    if (FAILED(result) || resolved[0] == L'\0') {
        return {};
    }
    resolved[511] = L'\0';
    return resolved;
}

std::wstring textOrEmpty(const wchar_t* text)
{
    return text ? std::wstring(text) : std::wstring();
}

void endLoad(WindowState& state, const std::wstring& statusText)
{
    SetWindowTextW(state.statusLabel, statusText.c_str());
    state.populating = false;
    EnableWindow(state.refreshButton, TRUE);
}

// A failed load changes nothing, so the catalog of the last good read can
// still be saved: a save reads the system's list again before it writes.
bool endFailedLoad(WindowState& state, std::wstring failure)
{
    state.settledStatus = std::move(failure);
    state.settledOnFailure = true;
    endLoad(state, tickStatusText(state));
    EnableWindow(state.applyButton, state.catalogRead);
    return false;
}

} // namespace

bool loadCatalog(WindowState& state)
{
    state.populating = true;
    EnableWindow(state.refreshButton, FALSE);
    EnableWindow(state.applyButton, FALSE);
    showProgress(state, texts::loading);

    if (!bindLoopbackApi()) {
        return endFailedLoad(state, texts::unsupported);
    }

    ExemptionList configured;
    if (const DWORD result = readExemptionList(configured); result != ERROR_SUCCESS) {
        return endFailedLoad(state, texts::readConfigFailed + errorText(result));
    }

    std::unordered_set<std::wstring> seenSids;
    {
        EnumeratedAppContainers enumerated(loopbackApi.freeAppContainers);
        const DWORD result = loopbackApi.enumAppContainers(0, &enumerated.count, &enumerated.records);
        if (result != ERROR_SUCCESS) {
            return endFailedLoad(state, texts::readAppsFailed + errorText(result));
        }
        enumerated.succeeded = true;

        // Ticks not yet saved survive a refresh: a user who installs one more
        // app and refreshes to see it keeps them.
        const UserChanges changes = userChangesOf(state.apps);
        // The shown rows index the catalog being replaced: until the list is
        // filled again, a row the list asks about stands for nothing.
        state.visibleRows.clear();
        state.apps.clear();
        state.apps.reserve(enumerated.records ? enumerated.count : 0);
        for (DWORD i = 0; enumerated.records && i < enumerated.count; ++i) {
            const INET_FIREWALL_APP_CONTAINER& record = enumerated.records[i];
            std::wstring sidString = sidToString(record.appContainerSid);
            if (sidString.empty() || !seenSids.insert(sidString).second) {
                continue;
            }
            AppEntry entry;
            entry.displayName = displayNameOf(record);
            entry.containerName = textOrEmpty(record.appContainerName);
            // A name that shows nothing would be an empty row.
            if (isBlankName(entry.displayName)) {
                entry.displayName = entry.containerName;
            }
            if (isBlankName(entry.displayName)) {
                entry.displayName = texts::unnamedApp;
            }
            const std::wstring packageFullName = textOrEmpty(record.packageFullName);
            entry.recommended = isRecommendedApp(entry.displayName, entry.containerName, packageFullName);
            entry.packageMatch = entry.recommended && isRecommendedPackage(entry.containerName, packageFullName);
            entry.exempt = configured.sidStrings.count(sidString) != 0;
            entry.baselineExempt = entry.exempt;
            entry.sidString = std::move(sidString);
            state.apps.push_back(std::move(entry));
        }
        reapplyUserChanges(state.apps, changes);
    }

    state.preservedSids.clear();
    for (const std::wstring& sidString : configured.sidStrings) {
        if (seenSids.count(sidString) == 0) {
            state.preservedSids.push_back(sidString);
        }
    }
    state.retainedBinarySids = std::move(configured.binarySids);

    sortCatalog(state.apps);
    indexCatalogForSearch(state);
    bindRecommendedApp(state);
    populateAppList(state);

    // The hint to tick and apply gives way to the reminder when ticks not yet
    // saved were kept: both in one line would say the same twice. With no
    // app there is nothing to tick.
    const std::wstring loaded = texts::loadedBeforeCount + std::to_wstring(state.apps.size()) + texts::loadedAfterCount;
    state.settledStatus = state.apps.empty() ? loaded : loaded + texts::loadedHint;
    state.settledOnFailure = false;
    state.catalogRead = true;
    endLoad(state, hasUserChanges(state.apps) ? loaded + texts::settingsChanged : state.settledStatus);
    EnableWindow(state.applyButton, TRUE);
    return true;
}

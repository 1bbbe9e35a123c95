#include "store/load_catalog.h"

#include "catalog/populate_app_list.h"
#include "catalog/recommended_app.h"
#include "catalog/sort_catalog.h"
#include "model/owners.h"
#include "model/window_table.h"
#include "store/error_text.h"
#include "store/loopback_api.h"

#include <sddl.h>
#include <shlwapi.h>

#include <algorithm>
#include <set>
#include <unordered_set>

namespace {

std::wstring sidToString(PSID sid)
{
    wchar_t* buffer = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &buffer)) {
        return {};
    }
    const LocalText text(buffer);
    return text.get();
}

// The bytes of a SID that has no text form. The block came from the process
// heap, so its size bounds what may be read even when the SID's own
// sub-authority count is corrupt.
std::vector<BYTE> sidBytes(PSID sid)
{
    const SIZE_T blockSize = HeapSize(GetProcessHeap(), 0, sid);
    if (blockSize == static_cast<SIZE_T>(-1) || blockSize < 2) {
        return {};
    }
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    const SIZE_T declaredSize = 8 + 4 * SIZE_T{bytes[1]};
    return std::vector<BYTE>(bytes, bytes + std::min(declaredSize, blockSize));
}

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

} // namespace

bool loadCatalog(WindowState& state)
{
    state.populating = true;
    EnableWindow(state.refreshButton, FALSE);
    EnableWindow(state.applyButton, FALSE);
    SetWindowTextW(state.statusLabel, texts::loading);

    if (!bindLoopbackApi()) {
        endLoad(state, texts::unsupported);
        return false;
    }

    std::set<std::wstring> configuredSids;
    std::vector<std::vector<BYTE>> unreadableSids;
    {
        ConfiguredSidArray configured;
        const DWORD result = loopbackApi.getAppContainerConfig(&configured.count, &configured.records);
        if (result != ERROR_SUCCESS) {
            // Whatever a failing call handed out is still released by the owner.
            endLoad(state, texts::readConfigFailed + errorText(result));
            return false;
        }
        for (DWORD i = 0; configured.records && i < configured.count; ++i) {
            const PSID sid = configured.records[i].Sid;
            std::wstring sidString = sidToString(sid);
            if (!sidString.empty()) {
                configuredSids.insert(std::move(sidString));
            } else if (sid) {
                std::vector<BYTE> bytes = sidBytes(sid);
                if (!bytes.empty() && std::find(unreadableSids.begin(), unreadableSids.end(), bytes) ==
                                          unreadableSids.end()) {
                    unreadableSids.push_back(std::move(bytes));
                }
            }
        }
    }

    std::unordered_set<std::wstring> seenSids;
    {
        EnumeratedAppContainers enumerated(loopbackApi.freeAppContainers);
        const DWORD result = loopbackApi.enumAppContainers(0, &enumerated.count, &enumerated.records);
        if (result != ERROR_SUCCESS) {
            endLoad(state, texts::readAppsFailed + errorText(result));
            return false;
        }
        enumerated.succeeded = true;

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
            if (entry.displayName.empty()) {
                entry.displayName = entry.containerName;
            }
            if (entry.displayName.empty()) {
                entry.displayName = texts::unnamedApp;
            }
            entry.recommended =
                isRecommendedApp(entry.displayName, entry.containerName, textOrEmpty(record.packageFullName));
            entry.exempt = configuredSids.count(sidString) != 0;
            entry.sidString = std::move(sidString);
            state.apps.push_back(std::move(entry));
        }
    }

    state.preservedSids.clear();
    for (const std::wstring& sidString : configuredSids) {
        if (seenSids.count(sidString) == 0) {
            state.preservedSids.push_back(sidString);
        }
    }
    state.retainedBinarySids = std::move(unreadableSids);

    sortCatalog(state.apps);
    bindRecommendedApp(state);
    populateAppList(state);

    endLoad(state, texts::loadedBeforeCount + std::to_wstring(state.apps.size()) + texts::loadedAfterCount);
    EnableWindow(state.applyButton, TRUE);
    return true;
}

#include "store/save_exemption_list.h"

#include "model/owners.h"
#include "model/window_table.h"
#include "store/error_text.h"
#include "store/loopback_api.h"

#include <sddl.h>

void saveExemptionList(WindowState& state)
{
    EnableWindow(state.applyButton, FALSE);
    SetWindowTextW(state.statusLabel, texts::saving);

    std::size_t exemptCount = 0;
    for (const AppEntry& entry : state.apps) {
        if (entry.exempt) {
            ++exemptCount;
        }
    }

    // The converted SIDs are owned here and released on every path, after the
    // write whatever its result, or at once when a later conversion fails.
    std::vector<LocalSid> convertedSids;
    std::vector<SID_AND_ATTRIBUTES> exemptions;
    convertedSids.reserve(state.preservedSids.size() + exemptCount);
    exemptions.reserve(state.preservedSids.size() + state.retainedBinarySids.size() + exemptCount);

    const auto appendConverted = [&](const std::wstring& sidString) {
        PSID sid = nullptr;
        if (!ConvertStringSidToSidW(sidString.c_str(), &sid)) {
            return false;
        }
        convertedSids.emplace_back(sid);
        exemptions.push_back(SID_AND_ATTRIBUTES{sid, 0});
        return true;
    };

    bool converted = true;
    for (const std::wstring& sidString : state.preservedSids) {
        if (!(converted = appendConverted(sidString))) {
            break;
        }
    }
    if (converted) {
        for (std::vector<BYTE>& bytes : state.retainedBinarySids) {
            exemptions.push_back(SID_AND_ATTRIBUTES{bytes.data(), 0});
        }
        for (const AppEntry& entry : state.apps) {
            if (entry.exempt && !(converted = appendConverted(entry.sidString))) {
                break;
            }
        }
    }
    if (!converted) {
        convertedSids.clear();
        SetWindowTextW(state.statusLabel, (std::wstring(texts::saveFailed) + texts::unreadableSid).c_str());
        EnableWindow(state.applyButton, TRUE);
        return;
    }

    const DWORD result = loopbackApi.setAppContainerConfig(static_cast<DWORD>(exemptions.size()),
                                                           exemptions.empty() ? nullptr : exemptions.data());
    convertedSids.clear();

    if (result == ERROR_SUCCESS) {
        SetWindowTextW(state.statusLabel, texts::saved);
    } else {
        SetWindowTextW(state.statusLabel, (texts::saveFailed + errorText(result)).c_str());
        const std::wstring message = texts::saveFailedBox + errorText(result);
        MessageBoxW(state.window, message.c_str(), texts::windowCaption, MB_OK | MB_ICONERROR);
    }
    EnableWindow(state.applyButton, TRUE);
}

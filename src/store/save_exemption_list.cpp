#include "store/save_exemption_list.h"

#include "catalog/populate_app_list.h"
#include "model/owners.h"
#include "model/window_table.h"
#include "store/error_text.h"
#include "store/find_refused_additions.h"
#include "store/loopback_api.h"
#include "store/merge_exemptions.h"
#include "store/read_exemption_list.h"
#include "store/save_report.h"
#include "store/show_progress.h"

#include <sddl.h>

namespace {

std::vector<std::wstring> namesOf(const std::vector<AppEntry>& apps, const std::vector<std::size_t>& indexes)
{
    std::vector<std::wstring> names;
    names.reserve(indexes.size());
    for (std::size_t index : indexes) {
        names.push_back(apps[index].displayName);
    }
    return names;
}

// The plan's SIDs as the set call takes them. The converted SIDs are owned
// here and released on every path when the save ends.
class SidsToWrite {
public:
    // Converts the preserved SIDs, then every entry the plan writes as
    // exempt, in catalog order; false when a string does not convert.
    bool convert(const SavePlan& plan, const std::vector<AppEntry>& apps)
    {
        owned_.reserve(plan.preservedSids.size() + apps.size());
        for (const std::wstring& sidString : plan.preservedSids) {
            PSID sid = convertOne(sidString);
            if (!sid) {
                return false;
            }
            preserved_.push_back(sid);
        }
        entries_.assign(apps.size(), nullptr);
        for (std::size_t i = 0; i < apps.size(); ++i) {
            if (plan.exempt[i] && !(entries_[i] = convertOne(apps[i].sidString))) {
                return false;
            }
        }
        return true;
    }

    // Replaces the system's list with the preserved SIDs, the binary SIDs,
    // then the entries `written` marks, in catalog order.
    DWORD write(std::vector<std::vector<BYTE>>& binarySids, const std::vector<bool>& written) const
    {
        std::vector<SID_AND_ATTRIBUTES> exemptions;
        exemptions.reserve(preserved_.size() + binarySids.size() + entries_.size());
        for (PSID sid : preserved_) {
            exemptions.push_back(SID_AND_ATTRIBUTES{sid, 0});
        }
        for (std::vector<BYTE>& bytes : binarySids) {
            exemptions.push_back(SID_AND_ATTRIBUTES{bytes.data(), 0});
        }
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (written[i]) {
                exemptions.push_back(SID_AND_ATTRIBUTES{entries_[i], 0});
            }
        }
        return loopbackApi.setAppContainerConfig(static_cast<DWORD>(exemptions.size()),
                                                 exemptions.empty() ? nullptr : exemptions.data());
    }

private:
    PSID convertOne(const std::wstring& sidString)
    {
        PSID sid = nullptr;
        if (!ConvertStringSidToSidW(sidString.c_str(), &sid)) {
            return nullptr;
        }
        owned_.emplace_back(sid);
        return sid;
    }

    std::vector<LocalSid> owned_;
    std::vector<PSID> preserved_;
    std::vector<PSID> entries_;
};

void reportFailedWrite(WindowState& state, DWORD code)
{
    SetWindowTextW(state.statusLabel, (texts::saveFailed + errorText(code)).c_str());
    const std::wstring message = texts::saveFailedBox + errorText(code);
    MessageBoxW(state.window, message.c_str(), texts::windowCaption, MB_OK | MB_ICONERROR);
}

// The system's list now holds the plan's kept SIDs and the entries marked in
// `written`: that becomes the window's baseline. An entry in `pending` keeps
// the user's exempt flag, so that Apply tries it again.
void adoptWrittenList(WindowState& state, SavePlan& plan, const std::vector<bool>& written,
                      const std::vector<bool>& pending)
{
    for (std::size_t i = 0; i < state.apps.size(); ++i) {
        AppEntry& entry = state.apps[i];
        entry.baselineExempt = written[i];
        if (!pending[i]) {
            entry.exempt = written[i];
        }
    }
    state.preservedSids = std::move(plan.preservedSids);
    state.retainedBinarySids = std::move(plan.binarySids);
    showExemptStates(state);
}

// `entries` with the given additions (indices into `additions`) marked too.
std::vector<bool> withAdditions(std::vector<bool> entries, const std::vector<std::size_t>& additions,
                                const std::vector<std::size_t>& chosen)
{
    for (std::size_t addition : chosen) {
        entries[additions[addition]] = true;
    }
    return entries;
}

// The system refused the whole list, which holds additions of the user's:
// find which of them it refuses and keep the rest.
SaveOutcome saveAroundRefusals(WindowState& state, SavePlan& plan, const SidsToWrite& sids)
{
    std::vector<bool> withoutAdditions = plan.exempt;
    for (std::size_t entry : plan.additions) {
        withoutAdditions[entry] = false;
    }
    const RefusalSearch search =
        findRefusedAdditions(plan.additions.size(), [&](const std::vector<std::size_t>& chosen) {
            return sids.write(plan.binarySids, withAdditions(withoutAdditions, plan.additions, chosen));
        });
    if (!search.restWritten) {
        reportFailedWrite(state, search.failure);
        return SaveOutcome::failed;
    }
    const std::vector<bool> written = withAdditions(withoutAdditions, plan.additions, search.accepted);
    if (search.failure != ERROR_SUCCESS) {
        // Undecided and refused additions alike stay the user's changes: the
        // failure is what the user is told about.
        std::vector<std::size_t> unwritten = search.undecided;
        unwritten.insert(unwritten.end(), search.refused.begin(), search.refused.end());
        const std::vector<bool> pending =
            withAdditions(std::vector<bool>(state.apps.size(), false), plan.additions, unwritten);
        adoptWrittenList(state, plan, written, pending);
        reportFailedWrite(state, search.failure);
        return SaveOutcome::failed;
    }
    std::vector<std::size_t> refused;
    for (std::size_t addition : search.refused) {
        refused.push_back(plan.additions[addition]);
    }
    const std::vector<std::wstring> refusedNames = namesOf(state.apps, refused);
    adoptWrittenList(state, plan, written, std::vector<bool>(state.apps.size(), false));
    state.settledStatus = refusalStatusText(refusedNames, namesOf(state.apps, plan.changedOutside));
    state.settledOnFailure = false;
    SetWindowTextW(state.statusLabel, state.settledStatus.c_str());
    MessageBoxW(state.window, refusalMessageText(refusedNames).c_str(), texts::windowCaption, MB_OK | MB_ICONWARNING);
    return SaveOutcome::savedWithRefusals;
}

SaveOutcome readMergeAndWrite(WindowState& state)
{
    ExemptionList current;
    if (const DWORD result = readExemptionList(current); result != ERROR_SUCCESS) {
        reportFailedWrite(state, result);
        return SaveOutcome::failed;
    }
    SavePlan plan = mergeExemptions(current, state.apps);

    SidsToWrite sids;
    if (!sids.convert(plan, state.apps)) {
        SetWindowTextW(state.statusLabel, (std::wstring(texts::saveFailed) + texts::unreadableSid).c_str());
        return SaveOutcome::failed;
    }

    const DWORD result = sids.write(plan.binarySids, plan.exempt);
    if (result == ERROR_SUCCESS) {
        adoptWrittenList(state, plan, plan.exempt, std::vector<bool>(state.apps.size(), false));
        state.settledStatus = savedStatusText(namesOf(state.apps, plan.changedOutside));
        state.settledOnFailure = false;
        SetWindowTextW(state.statusLabel, state.settledStatus.c_str());
        return SaveOutcome::saved;
    }
    if (result == ERROR_INVALID_PARAMETER && !plan.additions.empty()) {
        return saveAroundRefusals(state, plan, sids);
    }
    reportFailedWrite(state, result);
    return SaveOutcome::failed;
}

} // namespace

SaveOutcome saveExemptionList(WindowState& state)
{
    EnableWindow(state.applyButton, FALSE);
    showProgress(state, texts::saving);
    const SaveOutcome outcome = readMergeAndWrite(state);
    EnableWindow(state.applyButton, TRUE);
    return outcome;
}

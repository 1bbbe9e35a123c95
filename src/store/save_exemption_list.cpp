#include "store/save_exemption_list.h"

#include "catalog/populate_app_list.h"
#include "model/window_table.h"
#include "store/error_text.h"
#include "store/save_report.h"
#include "store/show_progress.h"
#include "store/worker_thread.h"

#include <memory>

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

void enableWhatTheSaveDisabled(WindowState& state)
{
    EnableWindow(state.appList, TRUE);
    EnableWindow(state.recommendedCheck, state.recommendedIndex >= 0);
    EnableWindow(state.refreshButton, TRUE);
    EnableWindow(state.applyButton, TRUE);
}

} // namespace

bool saveExemptionList(WindowState& state)
{
    if (state.runningRead || state.runningSave) {
        return false;
    }
    if (!bindLoopbackApi()) {
        SetWindowTextW(state.statusLabel, texts::unsupported);
        return false;
    }
    EnableWindow(state.applyButton, FALSE);
    EnableWindow(state.refreshButton, FALSE);
    EnableWindow(state.appList, FALSE);
    EnableWindow(state.recommendedCheck, FALSE);
    showProgress(state, texts::saving);
    auto save = std::make_shared<ExemptionSave>();
    save->api = copyOfLoopbackApi();
    takeCatalogAlong(*save, state.apps);
    state.runningSave = save;
    startWorker(state.window, ++state.workerGeneration,
                [save](const ReportProgress&) { writeExemptionList(*save); });
    return true;
}

SaveOutcome finishSave(WindowState& state)
{
    std::shared_ptr<ExemptionSave> save = std::move(state.runningSave);
    if (save->listWritten) {
        adoptWrittenList(state, save->plan, save->written, save->pending);
    }
    const std::vector<std::wstring> changedOutside = namesOf(state.apps, save->plan.changedOutside);
    switch (save->outcome) {
    case SaveOutcome::saved:
        state.settledStatus = savedStatusText(changedOutside);
        state.settledOnFailure = false;
        SetWindowTextW(state.statusLabel, state.settledStatus.c_str());
        break;
    case SaveOutcome::savedWithRefusals: {
        const std::vector<std::wstring> refusedNames = namesOf(state.apps, save->refused);
        state.settledStatus = refusalStatusText(refusedNames, changedOutside);
        state.settledOnFailure = false;
        SetWindowTextW(state.statusLabel, state.settledStatus.c_str());
        MessageBoxW(state.window, refusalMessageText(refusedNames).c_str(), texts::windowCaption,
                    MB_OK | MB_ICONWARNING);
        break;
    }
    case SaveOutcome::failed:
        if (save->unreadableSid) {
            SetWindowTextW(state.statusLabel, (std::wstring(texts::saveFailed) + texts::unreadableSid).c_str());
        } else {
            reportFailedWrite(state, save->failure);
        }
        break;
    }
    enableWhatTheSaveDisabled(state);
    const SaveOutcome outcome = save->outcome;
    // Its copy of the catalog is freed off the window's thread.
    releaseOnWorker(std::move(save));
    return outcome;
}

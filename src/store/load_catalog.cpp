#include "store/load_catalog.h"

#include "catalog/populate_app_list.h"
#include "catalog/recommended_app.h"
#include "catalog/user_changes.h"
#include "model/window_table.h"
#include "store/loopback_api.h"
#include "store/read_catalog.h"
#include "store/show_progress.h"
#include "store/worker_thread.h"

#include <memory>
#include <string>

namespace {

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

void loadCatalog(WindowState& state)
{
    if (state.runningRead || state.runningSave) {
        return;
    }
    EnableWindow(state.refreshButton, FALSE);
    EnableWindow(state.applyButton, FALSE);
    showProgress(state, texts::loading);

    if (!bindLoopbackApi()) {
        endFailedLoad(state, texts::unsupported);
        return;
    }
    auto read = std::make_shared<CatalogRead>();
    read->api = copyOfLoopbackApi();
    read->displayNames = std::move(state.displayNames);
    state.runningRead = read;
    startWorker(state.window, ++state.workerGeneration,
                [read](const ReportProgress& report) { readCatalog(*read, report); });
}

bool finishLoad(WindowState& state)
{
    std::shared_ptr<CatalogRead> read = std::move(state.runningRead);
    state.displayNames = std::move(read->displayNames);
    if (!read->failure.empty()) {
        return endFailedLoad(state, std::move(read->failure));
    }
    state.populating = true;
    // Ticks not yet saved survive a refresh: a user who installs one more
    // app and refreshes to see it keeps them, and so does one who ticks
    // while the refresh runs.
    const UserChanges changes = userChangesOf(state.apps);
    // The shown rows index the catalog being replaced: until the list is
    // filled again, a row the list asks about stands for nothing.
    state.visibleRows.clear();
    // The catalog replaced goes with the read, freed off the window's thread.
    state.apps.swap(read->apps);
    reapplyUserChanges(state.apps, changes);
    state.preservedSids = std::move(read->preservedSids);
    state.retainedBinarySids = std::move(read->retainedBinarySids);
    state.searchKeys = std::move(read->searchKeys);
    state.searchKeyStarts = std::move(read->searchKeyStarts);
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
    releaseOnWorker(std::move(read));
    return true;
}

void showLoadProgress(WindowState& state, std::size_t done, std::size_t total)
{
    const std::wstring text = texts::loadingNamesBeforeCount + std::to_wstring(done) + texts::loadingNamesOf +
                              std::to_wstring(total) + texts::loadingNamesAfterCount;
    SetWindowTextW(state.statusLabel, text.c_str());
}

#include "ui/closing.h"

#include "catalog/user_changes.h"
#include "model/window_table.h"
#include "store/save_exemption_list.h"
#include "ui/screen_reader.h"

namespace {

// Runs `operation`, which may wait in a message box, with close requests
// remembered meanwhile. The window is destroyed afterwards when the operation
// says so or a close was requested; the record is gone then, and the caller
// must not touch it.
template <typename Operation>
void withCloseDeferred(WindowState& state, Operation operation)
{
    state.inModalLoop = true;
    const bool closeAfterwards = operation();
    state.inModalLoop = false;
    if (closeAfterwards || state.closePending) {
        DestroyWindow(state.window);
    }
}

} // namespace

void applySettings(WindowState& state)
{
    withCloseDeferred(state, [&] {
        const std::vector<bool> shownBefore = shownTicks(state);
        saveExemptionList(state);
        announceTicksChangedSince(state, shownBefore);
        return false;
    });
}

void closeAtUserRequest(WindowState& state)
{
    if (state.inModalLoop) {
        state.closePending = true;
        return;
    }
    if (!hasUserChanges(state.apps)) {
        DestroyWindow(state.window);
        return;
    }
    withCloseDeferred(state, [&] {
        switch (MessageBoxW(state.window, texts::closeQuestion, texts::windowCaption, MB_YESNOCANCEL | MB_ICONWARNING)) {
        case IDYES:
            // Apps the system refused are named and unticked; the rest was
            // written, which is what the user asked for.
            return saveExemptionList(state) != SaveOutcome::failed;
        case IDNO:
            return true;
        default:
            return false;
        }
    });
}

void closeAtOutsideRequest(WindowState& state)
{
    if (state.inModalLoop) {
        state.closePending = true;
        return;
    }
    DestroyWindow(state.window);
}

#include "ui/closing.h"

#include "catalog/user_changes.h"
#include "model/window_table.h"
#include "store/load_catalog.h"
#include "store/save_exemption_list.h"
#include "ui/screen_reader.h"

namespace {

// Runs `operation`, which may wait in a message box or a message loop of its
// own, with close requests remembered meanwhile. The window is destroyed
// afterwards when the operation says so or a close was requested, unless an
// operation outside this one still waits: the close is then left to it. The
// record is gone after that, and the caller must not touch it.
template <typename Operation>
void withCloseDeferred(WindowState& state, Operation operation)
{
    const bool nested = state.inModalLoop;
    state.inModalLoop = true;
    const bool closeAfterwards = operation();
    state.inModalLoop = nested;
    state.closePending = state.closePending || closeAfterwards;
    if (!nested && state.closePending) {
        DestroyWindow(state.window);
    }
}

// The user's "是" to the close question: the save begins, or, while a read
// runs, once the read has ended; the window closes when it has ended well.
void saveThenClose(WindowState& state)
{
    state.closeAfterSave = true;
    if (state.runningRead) {
        state.saveAfterRead = true;
    } else if (!saveExemptionList(state)) {
        state.closeAfterSave = false;
    }
}

} // namespace

void closeAtUserRequest(WindowState& state)
{
    if (state.inModalLoop) {
        state.closePending = true;
        return;
    }
    if (state.runningSave) {
        // The status line says "正在保存…" until then.
        state.closeAfterSave = true;
        return;
    }
    if (!hasUserChanges(state.apps)) {
        DestroyWindow(state.window);
        return;
    }
    withCloseDeferred(state, [&] {
        switch (MessageBoxW(state.window, texts::closeQuestion, texts::windowCaption, MB_YESNOCANCEL | MB_ICONWARNING)) {
        case IDYES:
            saveThenClose(state);
            return false;
        case IDNO:
            return true;
        default:
            return false;
        }
    });
}

void closeAtOutsideRequest(WindowState& state)
{
    if (state.inModalLoop || state.runningSave) {
        state.closePending = true;
        return;
    }
    DestroyWindow(state.window);
}

void endRead(WindowState& state)
{
    finishLoad(state);
    if (state.saveAfterRead) {
        state.saveAfterRead = false;
        saveThenClose(state);
    }
}

void endSave(WindowState& state)
{
    withCloseDeferred(state, [&] {
        const bool closeWanted = state.closeAfterSave;
        state.closeAfterSave = false;
        const std::vector<bool> shownBefore = shownTicks(state);
        const SaveOutcome outcome = finishSave(state);
        announceTicksChangedSince(state, shownBefore);
        // Apps the system refused do not make the save a failure: the rest
        // was written, which is what the user asked for.
        return outcome != SaveOutcome::failed && closeWanted;
    });
}

void waitForSaveToEnd(WindowState& state)
{
    withCloseDeferred(state, [&] {
        MSG message = {};
        while (state.runningSave) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got <= 0) {
                if (got == 0) {
                    PostQuitMessage(static_cast<int>(message.wParam));
                }
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return false;
    });
}

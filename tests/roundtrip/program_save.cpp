#include "program_save.h"

#include "model/window_table.h"
#include "store/save_exemption_list.h"
#include "support/message_box_catcher.h"
#include "support/test_window.h"

#include <algorithm>

ProgramSave saveThroughProgram(WindowState& state, const std::wstring& sid)
{
    const auto entryOf = [&]() -> const AppEntry* {
        const auto found = std::find_if(state.apps.begin(), state.apps.end(),
                                        [&](const AppEntry& entry) { return entry.sidString == sid; });
        return found == state.apps.end() ? nullptr : &*found;
    };
    const AppEntry* before = entryOf();
    const bool wanted = before && before->exempt;

    ProgramSave save;
    bool begun = false;
    {
        const MessageBoxCatcher catcher;
        begun = saveExemptionList(state);
        runUntilWorkerIdle(state.window);
        for (const MessageBoxCatcher::Report& box : catcher.boxes()) {
            save.boxes.push_back(box.text);
        }
    }
    save.status = windowText(state.statusLabel);

    const AppEntry* after = entryOf();
    if (!begun || save.status.rfind(texts::saveFailed, 0) == 0 || !after) {
        save.result = SaveResult::failed;
    } else if (save.status.rfind(texts::refusedBeforeCount, 0) == 0 && wanted && !after->exempt) {
        save.result = SaveResult::refused;
    } else {
        save.result = SaveResult::written;
    }
    return save;
}

#include "program_save.h"

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
    SaveOutcome outcome = SaveOutcome::failed;
    {
        const MessageBoxCatcher catcher;
        outcome = saveExemptionList(state);
        for (const MessageBoxCatcher::Report& box : catcher.boxes()) {
            save.boxes.push_back(box.text);
        }
    }
    save.status = windowText(state.statusLabel);

    const AppEntry* after = entryOf();
    if (outcome == SaveOutcome::failed || !after) {
        save.result = SaveResult::failed;
    } else if (outcome == SaveOutcome::savedWithRefusals && wanted && !after->exempt) {
        save.result = SaveResult::refused;
    } else {
        save.result = SaveResult::written;
    }
    return save;
}

#include "program_save.h"

#include "store/save_exemption_list.h"
#include "support/message_box_catcher.h"
#include "support/test_window.h"

#include <algorithm>

SaveOutcome saveThroughProgram(WindowState& state, const std::wstring& sid)
{
    const auto entryOf = [&]() -> const AppEntry* {
        const auto found = std::find_if(state.apps.begin(), state.apps.end(),
                                        [&](const AppEntry& entry) { return entry.sidString == sid; });
        return found == state.apps.end() ? nullptr : &*found;
    };
    const AppEntry* before = entryOf();
    const bool wanted = before && before->exempt;

    SaveOutcome outcome;
    {
        const MessageBoxCatcher catcher;
        saveExemptionList(state);
        for (const MessageBoxCatcher::Report& box : catcher.boxes()) {
            outcome.boxes.push_back(box.text);
        }
    }
    outcome.status = windowText(state.statusLabel);

    const AppEntry* after = entryOf();
    if (after && after->baselineExempt == wanted) {
        outcome.result = SaveResult::written;
    } else if (after && wanted && !after->exempt) {
        outcome.result = SaveResult::refused;
    }
    return outcome;
}

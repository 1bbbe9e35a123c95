#pragma once

#include "model/window_state.h"

#include <string>
#include <vector>

enum class SaveResult { written, refused, failed };

struct SaveOutcome {
    SaveResult result = SaveResult::failed;
    // The status line and every message box, as the user would have read them.
    std::wstring status;
    std::vector<std::wstring> boxes;
};

// The one place the round trip saves: the program's own save, as its Apply
// button runs it, with every message box it shows answered. Whether the
// change to the entry of `sid` was written, refused by the system or not
// written is read from that entry afterwards: the save makes the entry's
// baseline what the system now holds, unticks an addition the system
// refused, and keeps a change it failed to write.
SaveOutcome saveThroughProgram(WindowState& state, const std::wstring& sid);

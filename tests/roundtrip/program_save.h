#pragma once

#include "model/window_state.h"

#include <string>
#include <vector>

enum class SaveResult { written, refused, failed };

struct ProgramSave {
    SaveResult result = SaveResult::failed;
    // The status line and every message box, as the user would have read them.
    std::wstring status;
    std::vector<std::wstring> boxes;
};

// The one place the round trip saves: the program's own save, as its Apply
// button runs it, with every message box it shows answered. The save tells
// whether it wrote the list; whether the system refused the entry of `sid`
// is read from that entry, which a refused addition leaves unticked.
ProgramSave saveThroughProgram(WindowState& state, const std::wstring& sid);

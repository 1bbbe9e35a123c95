#pragma once

#include "model/window_state.h"

// Rebuilds the list from empty: every entry that is not recommended and whose
// display name or container name contains the search text, with its check box
// drawn from the entry's exempt flag. Rows and visibleRows stay in step.
void populateAppList(WindowState& state);

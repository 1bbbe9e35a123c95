#pragma once

#include "model/window_state.h"

// Rebuilds the catalog from the system's AppContainers and exemption list,
// orders it, binds the recommended check box, fills the list and reports the
// outcome in the status line. The user's ticks not yet saved are put back on
// the apps that are still there. A failed load leaves the earlier catalog
// alone.
bool loadCatalog(WindowState& state);

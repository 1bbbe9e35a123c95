#pragma once

#include "model/window_state.h"

// Builds the brushes, fonts and every child control, tells screen readers
// what the controls' texts leave unsaid, puts the window into compact mode
// and ends with the first catalog load, whose result it returns.
bool createControls(WindowState& state);

#pragma once

#include "model/window_state.h"

// Builds the fonts, every child control and the brushes of the colour scheme,
// tells screen readers what the controls' texts leave unsaid, puts the window
// into compact mode and ends with the first catalog load, whose result it
// returns.
bool createControls(WindowState& state);

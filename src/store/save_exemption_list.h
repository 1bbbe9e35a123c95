#pragma once

#include "model/window_state.h"

// Replaces the system's exemption list with the preserved SIDs, the retained
// binary SIDs and every exempt entry, in that order. Reports in the status
// line, and with a message box when the write fails.
void saveExemptionList(WindowState& state);

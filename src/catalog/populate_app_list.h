#pragma once

#include "model/window_state.h"

// Rebuilds the list from empty: every entry but the one bound to the
// recommended box whose display name or container name contains the search
// text (full-width letters, digits and signs in it taken as ASCII), with its
// check box drawn from the entry's exempt flag. Rows and visibleRows stay in
// step.
void populateAppList(WindowState& state);

// Sets the check marks of the listed rows and the recommended check box from
// the entries' exempt flags. The list's change notifications meanwhile are
// not the user's ticks and change nothing.
void showExemptStates(WindowState& state);

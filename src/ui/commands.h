#pragma once

#include "model/window_state.h"

// WM_COMMAND from the controls (and IDCANCEL from Esc).
void onCommand(WindowState& state, int controlId, int notificationCode);

// Switches between compact mode (720 x 360) and expanded mode (720 x 700).
void setExpanded(WindowState& state, bool expanded);

// WM_NOTIFY: records a tick or untick of a list row in its catalog entry.
void onListItemChanged(WindowState& state, const NMHDR* header);

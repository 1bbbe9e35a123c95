#pragma once

#include "model/window_state.h"

// Puts `text` in the status line and paints the line before the caller goes
// on, so that the user sees at once that the press was taken, even when
// input queued behind it keeps the message loop from painting for a moment.
// The rest of the window is left to the loop, one control at a time.
void showProgress(WindowState& state, const wchar_t* text);

#pragma once

#include "model/window_state.h"

// Puts `text` in the status line and paints it, with whatever else of the
// window waits to be painted, before the caller goes on: the user sees at
// once that the press was taken, even when input queued behind it keeps the
// message loop from painting for a moment.
void showProgress(WindowState& state, const wchar_t* text);

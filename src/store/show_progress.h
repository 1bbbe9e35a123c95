#pragma once

#include "model/window_state.h"

// Puts `text` in the status line and paints it, with whatever else of the
// window waits to be painted, before the caller holds the thread: a load
// that reads every app's package resources, or a save's writes, keeps the
// message loop waiting, and the line would show its earlier text until the
// operation had ended.
void showProgress(WindowState& state, const wchar_t* text);

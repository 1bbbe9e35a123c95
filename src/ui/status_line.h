#pragma once

#include "model/window_state.h"

#include <string>

// The status line tells the outcome of every load, refresh and save; it
// keeps its text until the next. A text too long for the line ends in "…"
// (its style says so) and shows whole in a tooltip while the pointer rests
// on the line; a text that fits has no tooltip, and where the tooltip cannot
// be created the line goes without it. Every change of the text
// is announced to screen readers (ui/screen_reader.h).
void setUpStatusLine(WindowState& state);

// What the tooltip shows, asked for each time it is about to appear: the
// whole text when the line, at its present width, cuts it, else nothing.
std::wstring statusTipText(const WindowState& state);

// WM_NOTIFY from the tooltip asking for its text; false for any other.
bool answerStatusTip(const WindowState& state, const NMHDR* header);

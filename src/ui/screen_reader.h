#pragma once

#include "model/window_state.h"

#include <cstddef>
#include <vector>

// What a screen reader is told beyond what the controls say themselves. The
// search box is named by its cue and the list by its column, since no label
// precedes either and a cue banner is no name; the buttons and the check box
// keep the names their texts give them. The status line is a polite live
// region: its changes are read out once the reader has finished what it is
// saying, without the focus moving; so is the text that stands in for an
// empty list, when it appears. Each call that fails (Wine answers
// E_NOTIMPL) leaves its control as it was.
void annotateForScreenReaders(const WindowState& state);

// Names the list by its column's heading, which says whether the list shows
// ticked apps only.
void nameAppList(HWND list, const wchar_t* heading);

// Tells screen readers that the status line's text has changed.
void announceStatusChange(HWND statusLabel);

// Tells screen readers that the check mark of the list's row `row` has
// changed. The list keeps no check marks of its own, so it raises no such
// event itself; the row's new mark must already be in its entry.
void announceTickChange(HWND appList, std::size_t row);

// The check marks of the rows the list shows, in row order.
std::vector<bool> shownTicks(const WindowState& state);

// Tells screen readers of each shown row whose mark differs from `before`,
// taken by shownTicks while the list showed the same rows: a save can tick
// an app another program exempted and untick one the system refused.
void announceTicksChangedSince(const WindowState& state, const std::vector<bool>& before);

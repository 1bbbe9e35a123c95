#pragma once

#include "model/window_state.h"

#include <string>
#include <unordered_map>
#include <vector>

// What the status line says after the user ticks or unticks: the reminder to
// apply while anything differs from the system's list, after a failed load's
// text (which stays in sight); the text of the last load or save once the
// ticks cancel out.
std::wstring tickStatusText(const WindowState& state);

// Whether the user has ticked or unticked any app since the window last read
// or wrote the system's list: some entry's exempt differs from its baseline.
bool hasUserChanges(const std::vector<AppEntry>& apps);

// The user's own changes: for each changed entry's SID, the state the user
// gave it.
using UserChanges = std::unordered_map<std::wstring, bool>;
UserChanges userChangesOf(const std::vector<AppEntry>& apps);

// Puts the user's changes back on a catalog just read from the system, so
// that a refresh does not drop ticks not yet saved. A change whose app is
// gone is dropped; one that the system's list now agrees with is no longer a
// change.
void reapplyUserChanges(std::vector<AppEntry>& apps, const UserChanges& changes);

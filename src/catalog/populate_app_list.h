#pragma once

#include "model/window_state.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Recomputes the shown rows: every entry but the one bound to the recommended
// box whose display name or container name contains the search text
// (full-width letters, digits and signs in it taken as ASCII, spaces around
// it ignored), and only ticked ones while showOnlyTicked is on, in catalog
// order, as indexes into the catalog in visibleRows. The list holds no rows:
// it gets their count and asks for what it paints. The focused and the
// selected app stay so while they are shown; the list scrolls to the focused
// row, or else to the top.
void populateAppList(WindowState& state);

// Shows the text that stands in for the list while the expanded window's
// search or filter leaves it without rows, and hides it otherwise.
void showEmptyListText(WindowState& state);

// Makes the search index of a catalog in its display order (what
// WindowState::searchKeys and searchKeyStarts hold): both names of each
// entry folded as the search text is. Every read makes it for the catalog it
// read, before the window lists the entries.
void indexCatalogForSearch(const std::vector<AppEntry>& apps, std::wstring& keys, std::vector<std::size_t>& starts);

// The entries' exempt flags changed under the shown rows: the list repaints
// its check marks once, and the recommended check box follows its entry.
void showExemptStates(WindowState& state);

// The first shown row from `start` on whose display name begins with `text`
// (is `text`, when `wholeName`), ignoring case, going on from the first row
// after the last when `wrap`; -1 when none. What the list asks for when the
// user types the first letters of a name.
int findListedRow(const WindowState& state, std::wstring_view text, int start, bool wholeName, bool wrap);

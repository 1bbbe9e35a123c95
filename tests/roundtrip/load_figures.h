#pragma once

#include "report.h"

#include "model/window_state.h"

// What only a real system can tell: how many AppContainers its enumeration
// returns and how long the program's own load takes over them, reported on
// lines that begin "load: " (the Windows workflow copies them out of the
// report). `firstLoad` is the time the hidden main window took to be created
// and make its first load; then the enumeration alone, the display names
// alone (the package resource reads of the indirect ones) and five more
// loads with `loadCatalog`, each until its worker's read has ended, are
// timed: they resolve no name the first load resolved. Nothing is written.
void reportLoadFigures(WindowState& state, double firstLoad, Report& report);

// A steady clock in milliseconds, and the time since one of its readings.
double timeNow();
double millisecondsSince(double start);

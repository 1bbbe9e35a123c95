#pragma once

#include "model/window_state.h"

enum class SaveOutcome {
    saved,
    // Everything was written but the apps the system refused, which are
    // named and unticked.
    savedWithRefusals,
    // The read, a conversion or the write failed; the user's changes stand.
    failed,
};

// Reads the system's list as it is now and writes it back with the user's
// own changes applied: the SIDs of no catalog entry, then the binary SIDs,
// then every entry the merge makes exempt, in catalog order. When the system
// refuses apps the user added, everything else is written and the refused
// apps are named and unticked. Afterwards the window shows what the system
// holds, and says so when another program changed apps meanwhile. Reports in
// the status line, and with a message box when the read or the write fails or
// apps were refused: the caller must expect other messages meanwhile.
SaveOutcome saveExemptionList(WindowState& state);

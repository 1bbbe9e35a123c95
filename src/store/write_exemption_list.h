#pragma once

#include "model/window_state.h"
#include "store/loopback_api.h"
#include "store/merge_exemptions.h"

#include <windows.h>

#include <cstddef>
#include <vector>

enum class SaveOutcome {
    saved,
    // Everything was written but the apps the system refused, which are
    // named and unticked.
    savedWithRefusals,
    // The read, a conversion or the write failed; the user's changes stand.
    failed,
};

// One save of the exemption list as a worker runs it: what it takes along,
// and what it hands back for the window to put in place.
struct ExemptionSave {
    // Taken along: the binding, and what the save's plan reads of the
    // catalog as it stood when the user pressed 应用设置 (takeCatalogAlong).
    LoopbackApi api;
    // Every entry's SID, in catalog order, one after another, each ended by
    // a NUL: one block, which the window's thread copies in a moment, where
    // a string per entry would take it longer than a frame at 30,000 apps.
    std::wstring sidStrings;
    std::vector<bool> exempt;
    std::vector<bool> baselineExempt;

    // Handed back.
    SaveOutcome outcome = SaveOutcome::failed;
    // The code of the read or the write that failed, or ERROR_SUCCESS.
    DWORD failure = ERROR_SUCCESS;
    // A SID did not convert, and nothing was written.
    bool unreadableSid = false;
    SavePlan plan;
    // The system's list was written, in whole or but for refused apps. Not
    // told by `written`, which an empty catalog leaves empty.
    bool listWritten = false;
    // Per catalog entry, in catalog order, once the list was written: whether
    // the system's list now holds it, and whether it keeps the user's flag
    // because it was not written yet.
    std::vector<bool> written;
    std::vector<bool> pending;
    // The entries the system refused, in catalog order.
    std::vector<std::size_t> refused;
};

// Copies what a save needs of the catalog into `save`.
void takeCatalogAlong(ExemptionSave& save, const std::vector<AppEntry>& apps);

// Reads the system's list as it is now and writes it back with the user's
// own changes applied: the SIDs of no catalog entry, then the binary SIDs,
// then every entry the merge makes exempt, in catalog order. When the system
// refuses apps the user added, everything else is written and the refused
// apps are singled out. Touches nothing but `save`.
void writeExemptionList(ExemptionSave& save);

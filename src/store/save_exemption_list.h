#pragma once

#include "model/window_state.h"
#include "store/write_exemption_list.h"

// Begins a save of the exemption list on a worker thread (see
// writeExemptionList) and returns at once: the status line says "正在保存…",
// and 刷新, 应用设置, the list and the recommended check box are disabled
// until the save ends, since its plan is taken from the catalog as it stands
// now. False when no save could begin: one runs already, a read runs, or the
// system has no network isolation functions (which the status line says).
bool saveExemptionList(WindowState& state);

// The save has ended (workerDoneMessage): the window shows what the system
// holds, and says so when another program changed apps meanwhile; apps the
// system refused are named and unticked. Reports in the status line, and
// with a message box when the read or the write failed or apps were refused:
// the caller must expect other messages meanwhile.
SaveOutcome finishSave(WindowState& state);

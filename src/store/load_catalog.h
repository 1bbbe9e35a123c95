#pragma once

#include "model/window_state.h"

#include <cstddef>

// Begins a read of the catalog from the system's AppContainers and exemption
// list on a worker thread (see readCatalog) and returns at once. The status
// line says "正在读取应用…", and 刷新 and 应用设置 are disabled until the read
// ends; meanwhile the list keeps the catalog it shows, and searching and
// ticking go on. Nothing begins while a read or a save runs; a system without
// the network isolation functions is reported at once.
void loadCatalog(WindowState& state);

// The read has ended (workerDoneMessage): its catalog takes the old one's
// place, the recommended check box is bound, the list filled and the outcome
// reported. The user's ticks not yet saved, those made while the read ran
// included, are put back on the apps that are still there. A failed read
// leaves the earlier catalog alone. Returns whether the read succeeded.
bool finishLoad(WindowState& state);

// How far the read has got with the display names: "正在读取应用名称…（120/300）".
void showLoadProgress(WindowState& state, std::size_t done, std::size_t total);

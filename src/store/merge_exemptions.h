#pragma once

#include "model/window_state.h"
#include "store/read_exemption_list.h"

#include <cstddef>
#include <string>
#include <vector>

// What a save writes: the user's own changes applied on top of the list as
// it is at that moment, so that a change another program made since the
// window read the list is kept rather than undone.
struct SavePlan {
    // SIDs of the current list that belong to no catalog entry, ascending.
    std::vector<std::wstring> preservedSids;
    // SIDs of the current list without a text form, byte for byte.
    std::vector<std::vector<BYTE>> binarySids;
    // Per catalog entry, in catalog order: written as exempt. An entry whose
    // exempt differs from its baseline takes the user's state; every other
    // entry takes its state in the current list.
    std::vector<bool> exempt;
    // Entries written as exempt that the current list does not hold, in
    // catalog order: the only SIDs the system can refuse.
    std::vector<std::size_t> additions;
    // Entries the user did not change whose state in the current list differs
    // from what the window shows, in catalog order: another program changed
    // them meanwhile.
    std::vector<std::size_t> changedOutside;
};

SavePlan mergeExemptions(const ExemptionList& current, const std::vector<AppEntry>& apps);

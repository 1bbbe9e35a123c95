#include "store/write_exemption_list.h"

#include "model/owners.h"
#include "store/find_refused_additions.h"
#include "store/read_exemption_list.h"

#include <sddl.h>

namespace {

// The plan's SIDs as the set call takes them. The converted SIDs are owned
// here and released on every path when the save ends.
class SidsToWrite {
public:
    // Converts the preserved SIDs, then every entry the plan writes as
    // exempt, in catalog order; false when a string does not convert.
    bool convert(const SavePlan& plan, const std::vector<AppEntry>& apps)
    {
        owned_.reserve(plan.preservedSids.size() + apps.size());
        for (const std::wstring& sidString : plan.preservedSids) {
            PSID sid = convertOne(sidString);
            if (!sid) {
                return false;
            }
            preserved_.push_back(sid);
        }
        entries_.assign(apps.size(), nullptr);
        for (std::size_t i = 0; i < apps.size(); ++i) {
            if (plan.exempt[i] && !(entries_[i] = convertOne(apps[i].sidString))) {
                return false;
            }
        }
        return true;
    }

    // Replaces the system's list with the preserved SIDs, the binary SIDs,
    // then the entries `written` marks, in catalog order.
    DWORD write(const LoopbackApi& api, std::vector<std::vector<BYTE>>& binarySids,
                const std::vector<bool>& written) const
    {
        std::vector<SID_AND_ATTRIBUTES> exemptions;
        exemptions.reserve(preserved_.size() + binarySids.size() + entries_.size());
        for (PSID sid : preserved_) {
            exemptions.push_back(SID_AND_ATTRIBUTES{sid, 0});
        }
        for (std::vector<BYTE>& bytes : binarySids) {
            exemptions.push_back(SID_AND_ATTRIBUTES{bytes.data(), 0});
        }
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (written[i]) {
                exemptions.push_back(SID_AND_ATTRIBUTES{entries_[i], 0});
            }
        }
        return api.setAppContainerConfig(static_cast<DWORD>(exemptions.size()),
                                         exemptions.empty() ? nullptr : exemptions.data());
    }

private:
    PSID convertOne(const std::wstring& sidString)
    {
        PSID sid = nullptr;
        if (!ConvertStringSidToSidW(sidString.c_str(), &sid)) {
            return nullptr;
        }
        owned_.emplace_back(sid);
        return sid;
    }

    std::vector<LocalSid> owned_;
    std::vector<PSID> preserved_;
    std::vector<PSID> entries_;
};

// `entries` with the given additions (indices into `additions`) marked too.
std::vector<bool> withAdditions(std::vector<bool> entries, const std::vector<std::size_t>& additions,
                                const std::vector<std::size_t>& chosen)
{
    for (std::size_t addition : chosen) {
        entries[additions[addition]] = true;
    }
    return entries;
}

// The catalog as the plan reads it: the entries' SIDs and flags.
std::vector<AppEntry> catalogOf(const ExemptionSave& save)
{
    std::vector<AppEntry> apps(save.exempt.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const std::size_t end = save.sidStrings.find(L'\0', start);
        apps[i].sidString.assign(save.sidStrings, start, end - start);
        apps[i].exempt = save.exempt[i];
        apps[i].baselineExempt = save.baselineExempt[i];
        start = end + 1;
    }
    return apps;
}

// The system refused the whole list, which holds additions of the user's:
// find which of them it refuses and keep the rest.
void writeAroundRefusals(ExemptionSave& save, const SidsToWrite& sids)
{
    SavePlan& plan = save.plan;
    std::vector<bool> withoutAdditions = plan.exempt;
    for (std::size_t entry : plan.additions) {
        withoutAdditions[entry] = false;
    }
    const RefusalSearch search =
        findRefusedAdditions(plan.additions.size(), [&](const std::vector<std::size_t>& chosen) {
            return sids.write(save.api, plan.binarySids, withAdditions(withoutAdditions, plan.additions, chosen));
        });
    if (!search.restWritten) {
        save.failure = search.failure;
        return;
    }
    save.written = withAdditions(withoutAdditions, plan.additions, search.accepted);
    save.listWritten = true;
    if (search.failure != ERROR_SUCCESS) {
        // Undecided and refused additions alike stay the user's changes: the
        // failure is what the user is told about.
        std::vector<std::size_t> unwritten = search.undecided;
        unwritten.insert(unwritten.end(), search.refused.begin(), search.refused.end());
        save.pending = withAdditions(std::vector<bool>(plan.exempt.size(), false), plan.additions, unwritten);
        save.failure = search.failure;
        return;
    }
    save.pending.assign(plan.exempt.size(), false);
    for (std::size_t addition : search.refused) {
        save.refused.push_back(plan.additions[addition]);
    }
    save.outcome = SaveOutcome::savedWithRefusals;
}

} // namespace

void takeCatalogAlong(ExemptionSave& save, const std::vector<AppEntry>& apps)
{
    std::size_t length = 0;
    for (const AppEntry& entry : apps) {
        length += entry.sidString.size() + 1;
    }
    save.sidStrings.reserve(length);
    save.exempt.reserve(apps.size());
    save.baselineExempt.reserve(apps.size());
    for (const AppEntry& entry : apps) {
        save.sidStrings.append(entry.sidString).push_back(L'\0');
        save.exempt.push_back(entry.exempt);
        save.baselineExempt.push_back(entry.baselineExempt);
    }
}

void writeExemptionList(ExemptionSave& save)
{
    ExemptionList current;
    if (const DWORD result = readExemptionList(save.api, current); result != ERROR_SUCCESS) {
        save.failure = result;
        return;
    }
    const std::vector<AppEntry> apps = catalogOf(save);
    save.plan = mergeExemptions(current, apps);

    SidsToWrite sids;
    if (!sids.convert(save.plan, apps)) {
        save.unreadableSid = true;
        return;
    }
    const DWORD result = sids.write(save.api, save.plan.binarySids, save.plan.exempt);
    if (result == ERROR_SUCCESS) {
        save.written = save.plan.exempt;
        save.listWritten = true;
        save.pending.assign(apps.size(), false);
        save.outcome = SaveOutcome::saved;
    } else if (result == ERROR_INVALID_PARAMETER && !save.plan.additions.empty()) {
        writeAroundRefusals(save, sids);
    } else {
        save.failure = result;
    }
}

#include "store/merge_exemptions.h"

#include <unordered_set>

SavePlan mergeExemptions(const ExemptionList& current, const std::vector<AppEntry>& apps)
{
    SavePlan plan;
    plan.exempt.reserve(apps.size());
    std::unordered_set<std::wstring> catalogSids;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const AppEntry& entry = apps[i];
        catalogSids.insert(entry.sidString);
        const bool listed = current.sidStrings.count(entry.sidString) != 0;
        const bool changedByUser = entry.exempt != entry.baselineExempt;
        const bool exempt = changedByUser ? entry.exempt : listed;
        plan.exempt.push_back(exempt);
        if (exempt != entry.exempt) {
            plan.changedOutside.push_back(i);
        }
        if (exempt && !listed) {
            plan.additions.push_back(i);
        }
    }
    for (const std::wstring& sidString : current.sidStrings) {
        if (catalogSids.count(sidString) == 0) {
            plan.preservedSids.push_back(sidString);
        }
    }
    plan.binarySids = current.binarySids;
    return plan;
}

#include "catalog/user_changes.h"

#include <algorithm>

bool hasUserChanges(const std::vector<AppEntry>& apps)
{
    return std::any_of(apps.begin(), apps.end(),
                       [](const AppEntry& entry) { return entry.exempt != entry.baselineExempt; });
}

#include "catalog/user_changes.h"

#include "model/window_table.h"

#include <algorithm>

std::wstring tickStatusText(const WindowState& state)
{
    if (!hasUserChanges(state.apps)) {
        return state.settledStatus;
    }
    return state.settledOnFailure ? state.settledStatus + L' ' + texts::settingsChanged : texts::settingsChanged;
}

bool hasUserChanges(const std::vector<AppEntry>& apps)
{
    return std::any_of(apps.begin(), apps.end(),
                       [](const AppEntry& entry) { return entry.exempt != entry.baselineExempt; });
}

UserChanges userChangesOf(const std::vector<AppEntry>& apps)
{
    UserChanges changes;
    for (const AppEntry& entry : apps) {
        if (entry.exempt != entry.baselineExempt) {
            changes.emplace(entry.sidString, entry.exempt);
        }
    }
    return changes;
}

void reapplyUserChanges(std::vector<AppEntry>& apps, const UserChanges& changes)
{
    if (changes.empty()) {
        return;
    }
    for (AppEntry& entry : apps) {
        if (const auto change = changes.find(entry.sidString); change != changes.end()) {
            entry.exempt = change->second;
        }
    }
}

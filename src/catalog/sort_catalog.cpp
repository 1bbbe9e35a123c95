#include "catalog/sort_catalog.h"

#include "catalog/recommended_app.h"

#include <algorithm>

int compareDisplayNames(std::wstring_view left, std::wstring_view right)
{
    const std::size_t length = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < length; ++i) {
        const auto a = static_cast<std::uint16_t>(foldAsciiLetter(left[i]));
        const auto b = static_cast<std::uint16_t>(foldAsciiLetter(right[i]));
        if (a != b) {
            return a < b ? -1 : 1;
        }
    }
    if (left.size() == right.size()) {
        return 0;
    }
    return left.size() < right.size() ? -1 : 1;
}

void sortCatalog(std::vector<AppEntry>& apps)
{
    std::sort(apps.begin(), apps.end(), [](const AppEntry& left, const AppEntry& right) {
        return compareDisplayNames(left.displayName, right.displayName) < 0;
    });
}

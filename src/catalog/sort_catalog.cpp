#include "catalog/sort_catalog.h"

#include "catalog/recommended_app.h"

#include <algorithm>
#include <compare>
#include <numeric>
#include <utility>

namespace {

constexpr DWORD explorerOrder = LINGUISTIC_IGNORECASE | SORT_DIGITSASNUMBERS;

// Every entry's sort key in the user's locale, in one block: a sort orders by
// comparing keys bytewise, as CompareStringEx with the same flags would, but
// without redoing the locale's work at each of its n log n comparisons (a
// 30,000-app sort took over a second that way under Wine).
class SortKeys {
public:
    explicit SortKeys(const std::vector<AppEntry>& apps)
    {
        starts_.reserve(apps.size() + 1);
        for (const AppEntry& entry : apps) {
            starts_.push_back(bytes_.size());
            append(entry.displayName);
        }
        starts_.push_back(bytes_.size());
    }

    // Negative, zero or positive. A name the locale could not map has an
    // empty key and ties with the others that have none.
    int compare(std::size_t left, std::size_t right) const
    {
        const BYTE* bytes = bytes_.data();
        const auto order = std::lexicographical_compare_three_way(bytes + starts_[left], bytes + starts_[left + 1],
                                                                  bytes + starts_[right], bytes + starts_[right + 1]);
        return order < 0 ? -1 : order > 0 ? 1 : 0;
    }

private:
    void append(const std::wstring& name)
    {
        if (name.empty()) {
            return;
        }
        const int length = static_cast<int>(name.size());
        const DWORD flags = LCMAP_SORTKEY | explorerOrder;
        const int size =
            LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, name.data(), length, nullptr, 0, nullptr, nullptr, 0);
        if (size <= 0) {
            return;
        }
        const std::size_t start = bytes_.size();
        bytes_.resize(start + static_cast<std::size_t>(size));
        // With LCMAP_SORTKEY the destination is bytes and its size a count of bytes.
        const int written = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, name.data(), length,
                                          reinterpret_cast<LPWSTR>(bytes_.data() + start), size, nullptr, nullptr, 0);
        bytes_.resize(start + static_cast<std::size_t>(std::max(written, 0)));
    }

    std::vector<BYTE> bytes_;
    std::vector<std::size_t> starts_;
};

} // namespace

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
    const SortKeys keys(apps);
    std::vector<std::size_t> order(apps.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t left, std::size_t right) {
        if (const int byKey = keys.compare(left, right); byKey != 0) {
            return byKey < 0;
        }
        if (const int byName = compareDisplayNames(apps[left].displayName, apps[right].displayName); byName != 0) {
            return byName < 0;
        }
        return apps[left].sidString < apps[right].sidString;
    });
    std::vector<AppEntry> sorted;
    sorted.reserve(apps.size());
    for (std::size_t index : order) {
        sorted.push_back(std::move(apps[index]));
    }
    apps = std::move(sorted);
}

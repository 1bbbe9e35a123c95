#include "store/find_refused_additions.h"

#include <algorithm>

namespace {

std::vector<std::size_t> joined(const std::vector<std::size_t>& accepted, const std::vector<std::size_t>& group)
{
    std::vector<std::size_t> additions = accepted;
    additions.insert(additions.end(), group.begin(), group.end());
    std::sort(additions.begin(), additions.end());
    return additions;
}

void append(std::vector<std::size_t>& to, const std::vector<std::size_t>& from)
{
    to.insert(to.end(), from.begin(), from.end());
}

} // namespace

RefusalSearch findRefusedAdditions(std::size_t additionCount, const WriteWithAdditions& write)
{
    RefusalSearch search;
    if (const DWORD result = write({}); result != ERROR_SUCCESS) {
        search.failure = result;
        return search;
    }
    search.restWritten = true;

    // `group` holds additions not yet decided; `groupRefused` says whether
    // the list with it is known to be refused. `untried` collects the other
    // halves set aside while a refused group is narrowed down.
    std::vector<std::size_t> group(additionCount);
    for (std::size_t i = 0; i < additionCount; ++i) {
        group[i] = i;
    }
    bool groupRefused = true;
    std::vector<std::size_t> untried;

    const auto stop = [&](DWORD failure) {
        search.failure = failure;
        search.undecided = group;
        append(search.undecided, untried);
        std::sort(search.undecided.begin(), search.undecided.end());
    };

    while (!group.empty()) {
        if (!groupRefused) {
            const DWORD result = write(joined(search.accepted, group));
            if (result == ERROR_SUCCESS) {
                append(search.accepted, group);
                group.clear();
            } else if (result == ERROR_INVALID_PARAMETER) {
                groupRefused = true;
            } else {
                stop(result);
                return search;
            }
        }
        if (groupRefused && group.size() == 1) {
            search.refused.push_back(group.front());
            group = std::move(untried);
            untried.clear();
            groupRefused = false;
        } else if (groupRefused) {
            const auto middle = group.begin() + static_cast<std::ptrdiff_t>((group.size() + 1) / 2);
            const std::vector<std::size_t> firstHalf(group.begin(), middle);
            std::vector<std::size_t> secondHalf(middle, group.end());
            const DWORD result = write(joined(search.accepted, firstHalf));
            if (result == ERROR_SUCCESS) {
                // The whole group was refused, so the rest of it must be.
                append(search.accepted, firstHalf);
                group = std::move(secondHalf);
            } else if (result == ERROR_INVALID_PARAMETER) {
                group = firstHalf;
                secondHalf.insert(secondHalf.end(), untried.begin(), untried.end());
                untried = std::move(secondHalf);
            } else {
                stop(result);
                return search;
            }
        }
    }
    std::sort(search.accepted.begin(), search.accepted.end());
    std::sort(search.refused.begin(), search.refused.end());
    return search;
}

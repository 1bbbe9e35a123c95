#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

// Writes the list that holds everything but the additions, plus the given
// additions (indices, ascending), and returns the set call's code.
using WriteWithAdditions = std::function<DWORD(const std::vector<std::size_t>& additions)>;

struct RefusalSearch {
    // The list without any addition was accepted; when false, nothing was
    // written, `failure` is that write's code and the rest is empty.
    bool restWritten = false;
    std::vector<std::size_t> accepted;
    std::vector<std::size_t> refused;
    // Additions not yet decided when another error stopped the search.
    std::vector<std::size_t> undecided;
    // The error of the write that failed last and stopped the search, or
    // ERROR_SUCCESS.
    DWORD failure = ERROR_SUCCESS;
};

// The system refuses a whole list (ERROR_INVALID_PARAMETER) when it holds an
// AppContainer it will not exempt. Called after the full list with all
// `additionCount` additions was refused, this finds which additions the
// system refuses by halving, and leaves the rest written. Every write holds
// everything accepted so far, so none drops an exemption the one before it
// held. A group known to be refused is halved; when one half is accepted the
// other is known refused without a write; the additions left over once a
// refused one is found are tried together. One refused among k costs about
// log2(k) + 2 writes.
RefusalSearch findRefusedAdditions(std::size_t additionCount, const WriteWithAdditions& write);

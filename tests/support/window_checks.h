#pragma once

#include "support/test_window.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

// A name as the search compares it: only A-Z folded.
std::wstring displayKey(std::wstring_view name);

// The key of the display order, computed here rather than taken from the
// program: the sort key as Explorer orders names, then displayKey.
std::pair<std::string, std::wstring> displayOrderKey(std::wstring_view name);

// A text as a failure message shows it: the first 40 units, printable ASCII
// as itself and everything else as \x escapes, then the length.
std::string brief(std::wstring_view text);

// Reports the first element in which two sets differ, not all of them.
void expectSameSet(const char* what, const std::multiset<std::wstring>& expected,
                   const std::multiset<std::wstring>& actual);

// Everything that a failed load or save must leave as it was.
struct WindowSnapshot {
    std::vector<std::tuple<std::wstring, std::wstring, std::wstring, bool, bool>> apps;
    std::vector<std::wstring> preservedSids;
    std::vector<std::vector<BYTE>> retainedBinarySids;
    std::int32_t recommendedIndex = -1;
    std::wstring checkText;
    LRESULT checkState = 0;
    bool checkEnabled = false;
    std::vector<std::uint64_t> visibleRows;
    std::vector<std::pair<std::wstring, bool>> rows;
};
WindowSnapshot snapshotOf(const TestWindow& window);
void expectSameWindow(const WindowSnapshot& before, const WindowSnapshot& after);

// The rules that hold after every step, whatever happened before it.
void expectWindowInvariants(const TestWindow& window);

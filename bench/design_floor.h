#pragma once

#include <cstddef>

// The start-up benchmark's design floor (design_floor.cpp) and the program
// both start over the synthetic catalog of this many apps.
inline constexpr std::size_t startupAppCount = 300;

inline constexpr wchar_t designFloorClassName[] = L"OrvaBenchDesignFloor";

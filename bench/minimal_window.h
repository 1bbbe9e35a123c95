#pragma once

inline constexpr wchar_t minimalWindowClassName[] = L"OrvaBenchMinimalWindow";

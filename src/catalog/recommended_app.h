#pragma once

#include "model/window_state.h"

#include <string>
#include <string_view>

// The start-up locale's case folding: only A-Z become a-z; accented, Greek,
// Cyrillic and fullwidth letters stay as they are.
constexpr wchar_t foldAsciiLetter(wchar_t unit)
{
    return (unit >= L'A' && unit <= L'Z') ? static_cast<wchar_t>(unit + (L'a' - L'A')) : unit;
}

std::wstring lowerCase(std::wstring_view text);

// Folds `text` and looks for `keyword`, which callers pass in lower case.
bool containsKeyword(std::wstring_view text, std::wstring_view keyword);

bool isRecommendedPackage(std::wstring_view containerName, std::wstring_view packageFullName);
bool isRecommendedApp(std::wstring_view displayName, std::wstring_view containerName,
                      std::wstring_view packageFullName);

// Binds the recommended check box to the first recommended entry of the
// ordered catalog and sets its caption, enabled state and check mark.
void bindRecommendedApp(WindowState& state);

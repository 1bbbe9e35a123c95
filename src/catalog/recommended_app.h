#pragma once

#include "model/window_state.h"

#include <string>
#include <string_view>
#include <vector>

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

// The entry the recommended box stands for, or -1 when no entry is
// recommended. The package itself wins over an app that only mentions
// ChatGPT, so that a look-alike can never take its place; among matches of
// the same kind the first in the catalog, which is in display order, whose
// ties go to the lowest SID, so that every refresh binds the same app.
std::int32_t chooseRecommendedEntry(const std::vector<AppEntry>& apps);

// Binds the recommended box to the chosen entry and sets its caption, enabled
// state and check mark. The box is disabled while no entry is bound; every
// recommended entry that is not bound is listed like any other app.
void bindRecommendedApp(WindowState& state);

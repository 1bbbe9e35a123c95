#pragma once

#include <optional>
#include <string>
#include <string_view>

// The state file is UTF-8; the Windows calls speak UTF-16.
// Returns nothing for bytes that are not valid UTF-8.
std::optional<std::wstring> fromUtf8(std::string_view bytes);
std::string toUtf8(std::wstring_view text);

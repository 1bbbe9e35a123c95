#pragma once

#include <cstddef>
#include <string>
#include <vector>

// What the window says after a save that wrote the list. `changedOutside` is
// the number of apps the user did not change that another program changed
// meanwhile, which the window then shows as the system has them.
std::wstring savedStatusText(std::size_t changedOutside);

// ... when the system refused some of the apps a save added: `names` are
// their display names in catalog order.
std::wstring refusalStatusText(const std::vector<std::wstring>& names, std::size_t changedOutside);
std::wstring refusalMessageText(const std::vector<std::wstring>& names);

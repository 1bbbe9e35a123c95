#pragma once

#include <string>
#include <vector>

// What the window says after a save that wrote the list. `changedOutside`
// holds the display names, in catalog order, of the apps the user did not
// change that another program changed meanwhile, which the window then shows
// as the system has them.
std::wstring savedStatusText(const std::vector<std::wstring>& changedOutside);

// ... when the system refused some of the apps a save added: `names` are
// their display names in catalog order.
std::wstring refusalStatusText(const std::vector<std::wstring>& names, const std::vector<std::wstring>& changedOutside);
std::wstring refusalMessageText(const std::vector<std::wstring>& names);

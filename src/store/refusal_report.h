#pragma once

#include <string>
#include <vector>

// What the window says when the system refused some of the apps a save
// added: `names` are their display names in catalog order.
std::wstring refusalStatusText(const std::vector<std::wstring>& names);
std::wstring refusalMessageText(const std::vector<std::wstring>& names);

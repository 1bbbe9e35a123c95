#include "store/refusal_report.h"

#include "model/window_table.h"

#include <algorithm>

namespace {

constexpr std::size_t namesInStatus = 3;
constexpr std::size_t namesInMessage = 20;

} // namespace

std::wstring refusalStatusText(const std::vector<std::wstring>& names)
{
    std::wstring text = texts::refusedBeforeCount + std::to_wstring(names.size()) + texts::refusedAfterCount;
    const std::size_t shown = std::min(names.size(), namesInStatus);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) {
            text += texts::nameSeparator;
        }
        text += names[i];
    }
    if (names.size() > shown) {
        text += texts::moreNames;
    }
    return text + texts::refusedEnd;
}

std::wstring refusalMessageText(const std::vector<std::wstring>& names)
{
    std::wstring text = texts::refusedBox;
    const std::size_t shown = std::min(names.size(), namesInMessage);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) {
            text += L'\n';
        }
        text += names[i];
    }
    if (names.size() > shown) {
        text += L'\n';
        text += texts::refusedBoxMore;
    }
    return text;
}

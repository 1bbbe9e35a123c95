#include "store/save_report.h"

#include "model/window_table.h"

#include <algorithm>

namespace {

constexpr std::size_t namesInStatus = 3;
constexpr std::size_t namesInMessage = 20;

std::wstring outsideChangesText(std::size_t changedOutside)
{
    return texts::outsideBeforeCount + std::to_wstring(changedOutside) + texts::outsideAfterCount;
}

} // namespace

std::wstring savedStatusText(std::size_t changedOutside)
{
    if (changedOutside == 0) {
        return texts::saved;
    }
    return texts::savedFirstSentence + outsideChangesText(changedOutside);
}

std::wstring refusalStatusText(const std::vector<std::wstring>& names, std::size_t changedOutside)
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
    text += texts::refusedEnd;
    if (changedOutside > 0) {
        text += outsideChangesText(changedOutside);
    }
    return text;
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

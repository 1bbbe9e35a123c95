#include "store/save_report.h"

#include "catalog/display_name.h"
#include "model/window_table.h"

#include <algorithm>

namespace {

constexpr std::size_t namesInStatus = 3;
constexpr std::size_t namesInMessage = 20;

// The count, then at most three names joined by the separator, "等" after
// them when there are more: how the status line names apps wherever it does.
// Each name is isolated, so that none can reorder the text around it.
std::wstring countedNames(const wchar_t* beforeCount, const wchar_t* afterCount, const std::vector<std::wstring>& names)
{
    std::wstring text = beforeCount + std::to_wstring(names.size()) + afterCount;
    const std::size_t shown = std::min(names.size(), namesInStatus);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) {
            text += texts::nameSeparator;
        }
        text += isolatedName(names[i]);
    }
    if (names.size() > shown) {
        text += texts::moreNames;
    }
    return text;
}

std::wstring outsideChangesText(const std::vector<std::wstring>& changedOutside)
{
    return countedNames(texts::outsideBeforeCount, texts::outsideAfterCount, changedOutside) + texts::outsideEnd;
}

} // namespace

std::wstring savedStatusText(const std::vector<std::wstring>& changedOutside)
{
    if (changedOutside.empty()) {
        return texts::saved;
    }
    return texts::savedFirstSentence + outsideChangesText(changedOutside);
}

std::wstring refusalStatusText(const std::vector<std::wstring>& names, const std::vector<std::wstring>& changedOutside)
{
    std::wstring text = countedNames(texts::refusedBeforeCount, texts::refusedAfterCount, names) + texts::refusedEnd;
    if (!changedOutside.empty()) {
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
        text += isolatedName(names[i]);
    }
    if (names.size() > shown) {
        text += L'\n';
        text += texts::refusedBoxMore;
    }
    return text;
}

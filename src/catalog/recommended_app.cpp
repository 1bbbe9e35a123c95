#include "catalog/recommended_app.h"

#include "model/window_table.h"

namespace {

constexpr std::wstring_view recommendedFamilyName = L"openai.codex_2p2nqsd0c76g0";
constexpr std::wstring_view recommendedFullNamePrefix = L"openai.codex_";
constexpr std::wstring_view recommendedFullNameSuffix = L"__2p2nqsd0c76g0";

} // namespace

std::wstring lowerCase(std::wstring_view text)
{
    std::wstring folded(text);
    for (wchar_t& unit : folded) {
        unit = foldAsciiLetter(unit);
    }
    return folded;
}

bool containsKeyword(std::wstring_view text, std::wstring_view keyword)
{
    if (keyword.size() > text.size()) {
        return false;
    }
    return lowerCase(text).find(keyword) != std::wstring::npos;
}

bool isRecommendedPackage(std::wstring_view containerName, std::wstring_view packageFullName)
{
    if (lowerCase(containerName) == recommendedFamilyName) {
        return true;
    }
    const std::wstring fullName = lowerCase(packageFullName);
    if (fullName.size() < recommendedFullNamePrefix.size() + recommendedFullNameSuffix.size()) {
        return false;
    }
    const std::wstring_view name = fullName;
    return name.substr(0, recommendedFullNamePrefix.size()) == recommendedFullNamePrefix &&
           name.substr(name.size() - recommendedFullNameSuffix.size()) == recommendedFullNameSuffix;
}

bool isRecommendedApp(std::wstring_view displayName, std::wstring_view containerName,
                      std::wstring_view packageFullName)
{
    const bool mentionsCodex = containsKeyword(displayName, L"codex") || containsKeyword(containerName, L"codex") ||
                               containsKeyword(packageFullName, L"codex");
    if (isRecommendedPackage(containerName, packageFullName)) {
        return true;
    }
    // Another package that mentions codex is a different product, even when it
    // also mentions chatgpt.
    if (mentionsCodex) {
        return false;
    }
    return containsKeyword(displayName, L"chatgpt") || containsKeyword(containerName, L"chatgpt") ||
           containsKeyword(packageFullName, L"chatgpt");
}

std::int32_t chooseRecommendedEntry(const std::vector<AppEntry>& apps)
{
    std::int32_t chosen = -1;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        if (apps[i].packageMatch) {
            return static_cast<std::int32_t>(i);
        }
        if (apps[i].recommended && chosen < 0) {
            chosen = static_cast<std::int32_t>(i);
        }
    }
    return chosen;
}

void bindRecommendedApp(WindowState& state)
{
    state.recommendedIndex = chooseRecommendedEntry(state.apps);
    if (state.recommendedIndex < 0) {
        SetWindowTextW(state.recommendedCheck, texts::recommendedMissing);
        SendMessageW(state.recommendedCheck, BM_SETCHECK, BST_UNCHECKED, 0);
        EnableWindow(state.recommendedCheck, FALSE);
        return;
    }
    SetWindowTextW(state.recommendedCheck, texts::recommendedFound);
    EnableWindow(state.recommendedCheck, TRUE);
    const bool exempt = state.apps[static_cast<std::size_t>(state.recommendedIndex)].exempt;
    SendMessageW(state.recommendedCheck, BM_SETCHECK, exempt ? BST_CHECKED : BST_UNCHECKED, 0);
}

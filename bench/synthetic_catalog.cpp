#include "synthetic_catalog.h"

#include <windows.h>

#include <iterator>
#include <random>
#include <string_view>

namespace {

constexpr std::wstring_view adjectives[] = {L"Swift",  L"Quiet",  L"Bright", L"Clever", L"Happy",   L"Lunar",
                                            L"Solar",  L"Urban",  L"Wild",   L"Cosy",   L"Rapid",   L"Silent",
                                            L"Golden", L"Polar",  L"Amber",  L"Pixel"};
constexpr std::wstring_view nouns[] = {L"Notes",  L"Photos",   L"Mail",     L"Player", L"Reader", L"Studio",
                                       L"Weather", L"Maps",    L"Camera",   L"Chat",   L"Calendar", L"Terminal",
                                       L"Paint",  L"Clock",    L"Music",    L"Video"};
// Names outside ASCII sort after every ASCII name and are never case folded.
constexpr std::wstring_view chineseNames[] = {L"计算器", L"邮件", L"天气", L"相机",
                                              L"画图",   L"记事本", L"终端", L"音乐"};
// Publisher ids of other publishers avoid 'z', so that no name holds the
// query that must match nothing.
constexpr std::wstring_view publisherIdLetters = L"abcdefghijkmnpqrstvwxy0123456789";

template <typename Words>
std::wstring_view pick(const Words& words, std::mt19937& random)
{
    return words[random() % std::size(words)];
}

std::wstring sidOf(std::size_t index, std::mt19937& random)
{
    std::wstring sid = L"S-1-15-2";
    for (int i = 0; i < 6; ++i) {
        sid += L'-' + std::to_wstring(random());
    }
    // The last sub-authority alone keeps the SIDs distinct.
    return sid + L'-' + std::to_wstring(index);
}

std::wstring publisherIdOf(std::mt19937& random)
{
    std::wstring id;
    for (int i = 0; i < 13; ++i) {
        id += publisherIdLetters[random() % publisherIdLetters.size()];
    }
    return id;
}

SyntheticApp makeApp(std::size_t index, std::mt19937& random)
{
    SyntheticApp app;
    app.sid = sidOf(index, random);
    const std::wstring number = std::to_wstring(random() % 100000);
    const std::wstring_view noun = pick(nouns, random);
    app.displayName = index % 5 == 4 ? std::wstring(pick(chineseNames, random)) + L' ' + number
                                     : std::wstring(pick(adjectives, random)) + L' ' + std::wstring(noun) + L' ' + number;
    const bool microsoft = index % 2 == 0;
    const std::wstring publisherId = microsoft ? L"8wekyb3d8bbwe" : publisherIdOf(random);
    const std::wstring publisher = microsoft ? L"Microsoft" : L"Contoso" + std::to_wstring(random() % 1000);
    const std::wstring package = publisher + L'.' + std::wstring(noun) + std::to_wstring(index);
    app.containerName = package + L'_' + publisherId;
    app.packageFullName = package + L"_1.0." + std::to_wstring(index) + L".0_x64__" + publisherId;
    return app;
}

std::string utf8(std::wstring_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    return bytes;
}

} // namespace

SyntheticCatalog makeSyntheticCatalog(std::size_t appCount)
{
    std::mt19937 random(20240601);
    SyntheticCatalog catalog;
    catalog.apps.reserve(appCount);
    for (std::size_t i = 0; i < appCount; ++i) {
        catalog.apps.push_back(makeApp(i, random));
        if (i % 10 == 3) {
            catalog.exemptions.push_back(catalog.apps.back().sid);
        }
    }
    if (appCount > 0) {
        // Enumeration order is the system's, so the recommended app sits
        // anywhere; the middle is as good as any.
        SyntheticApp& chatGpt = catalog.apps[appCount / 2];
        chatGpt.displayName = recommendedAppName;
        chatGpt.containerName = L"openai.codex_2p2nqsd0c76g0";
        chatGpt.packageFullName = L"OpenAI.Codex_1.2.3.0_x64__2p2nqsd0c76g0";
    }
    for (std::size_t i = 0; i < 3; ++i) {
        catalog.exemptions.push_back(sidOf(appCount + i, random));
    }
    return catalog;
}

std::string storeFileText(const SyntheticCatalog& catalog)
{
    std::string text = "# A synthetic machine for the start-up benchmark (bench/).\n";
    for (const SyntheticApp& app : catalog.apps) {
        text += "app " + utf8(app.sid) + '\t' + utf8(app.displayName) + '\t' + utf8(app.containerName) + '\t' +
                utf8(app.packageFullName) + '\n';
    }
    for (const std::wstring& sid : catalog.exemptions) {
        text += "exempt " + utf8(sid) + '\n';
    }
    return text;
}

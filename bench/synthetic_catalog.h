#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct SyntheticApp {
    std::wstring sid;
    std::wstring displayName;
    std::wstring containerName;
    std::wstring packageFullName;
};

// A machine's AppContainers and exemption list, the same for every run of a
// given size: one ChatGPT package (the recommended app, never listed), every
// other app published by Microsoft, every tenth app exempt, and a few
// exemptions of apps that are no longer installed.
struct SyntheticCatalog {
    std::vector<SyntheticApp> apps;
    std::vector<std::wstring> exemptions;
};

SyntheticCatalog makeSyntheticCatalog(std::size_t appCount);

// The display name of the catalog's one ChatGPT package.
inline constexpr wchar_t recommendedAppName[] = L"ChatGPT";

// Search texts whose reach over a synthetic catalog is known. Each matches
// only container names, so that every entry has both of its names tried.
struct SearchQuery {
    const char* label;
    const wchar_t* text;
};
// Every container name has the underscore before its publisher id.
inline constexpr SearchQuery matchEveryApp{"every", L"_"};
// Microsoft's publisher id: the Microsoft half of the apps.
inline constexpr SearchQuery matchHalfOfTheApps{"half", L"8wekyb3d8bbwe"};
// No name holds a 'z' after case folding.
inline constexpr SearchQuery matchNoApp{"none", L"zzz"};
inline constexpr SearchQuery searchQueries[] = {matchEveryApp, matchHalfOfTheApps, matchNoApp};

// The catalog in the text format of the simulated FirewallAPI.dll (sim/),
// UTF-8.
std::string storeFileText(const SyntheticCatalog& catalog);

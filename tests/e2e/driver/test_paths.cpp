#include "driver/test_paths.h"

#include <algorithm>
#include <string_view>

namespace {

TestPaths paths;

std::wstring windowsPath(std::wstring_view path)
{
    std::wstring converted(path);
    if (!converted.empty() && converted.front() == L'/') {
        std::replace(converted.begin(), converted.end(), L'/', L'\\');
        converted.insert(0, L"Z:");
    }
    return converted;
}

} // namespace

const TestPaths& testPaths()
{
    return paths;
}

bool readTestPaths(int argc, wchar_t** argv)
{
    const std::pair<std::wstring_view, std::wstring*> options[] = {
        {L"--program=", &paths.program},
        {L"--sim-dll=", &paths.simulatedDll},
        {L"--planted-dll=", &paths.plantedDll},
        {L"--unhardened-caller=", &paths.unhardenedCaller},
        {L"--sample-store=", &paths.sampleStore},
        {L"--round-trip=", &paths.roundTrip},
        {L"--check-net-isolation=", &paths.checkNetIsolation},
    };
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view argument = argv[i];
        for (const auto& [prefix, target] : options) {
            if (argument.substr(0, prefix.size()) == prefix) {
                *target = windowsPath(argument.substr(prefix.size()));
            }
        }
    }
    return std::all_of(std::begin(options), std::end(options),
                       [](const auto& option) { return !option.second->empty(); });
}

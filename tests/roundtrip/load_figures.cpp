#include "load_figures.h"

#include "store/load_catalog.h"
#include "store/loopback_api.h"
#include "support/test_window.h"

#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

std::wstring milliseconds(double value)
{
    wchar_t text[32] = {};
    std::swprintf(text, 32, L"%.1f ms", value);
    return text;
}

} // namespace

double timeNow()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double millisecondsSince(double start)
{
    return timeNow() - start;
}

void reportLoadFigures(WindowState& state, double firstLoad, Report& report)
{
    report.line(L"load: the program's own load on this system (enumeration, display names, list)");
    report.line(L"load: hidden main window created, first load included: " + milliseconds(firstLoad));
    if (!bindLoopbackApi()) {
        report.line(L"load: FirewallAPI.dll not bound, nothing more to measure");
        return;
    }
    {
        const double start = timeNow();
        EnumeratedAppContainers enumerated(loopbackApi.freeAppContainers);
        if (loopbackApi.enumAppContainers(0, &enumerated.count, &enumerated.records) != ERROR_SUCCESS) {
            report.line(L"load: the enumeration failed");
            return;
        }
        enumerated.succeeded = true;
        const double enumeration = millisecondsSince(start);
        report.line(L"load: AppContainers enumerated: " + std::to_wstring(enumerated.records ? enumerated.count : 0) +
                    L", in the program's list: " + std::to_wstring(state.apps.size()));
        report.line(L"load: enumeration alone: " + milliseconds(enumeration));

        // The call the load makes for every indirect name ("@..."), the ones
        // that read package resources.
        int indirect = 0;
        const double namesStart = timeNow();
        for (DWORD i = 0; enumerated.records && i < enumerated.count; ++i) {
            const wchar_t* name = enumerated.records[i].displayName;
            if (name && name[0] == L'@') {
                wchar_t resolved[512] = {};
                SHLoadIndirectString(name, resolved, 512, nullptr);
                ++indirect;
            }
        }
        report.line(L"load: display names alone: " + milliseconds(millisecondsSince(namesStart)) + L" for " +
                    std::to_wstring(indirect) + L" indirect names");
    }
    std::vector<double> loads;
    for (int run = 0; run < 5; ++run) {
        const double start = timeNow();
        loadCatalog(state);
        runUntilWorkerIdle(state.window);
        loads.push_back(millisecondsSince(start));
    }
    std::sort(loads.begin(), loads.end());
    report.line(L"load: loadCatalog, median of 5: " + milliseconds(loads[2]) + L" (fastest " +
                milliseconds(loads.front()) + L", slowest " + milliseconds(loads.back()) + L")");
}

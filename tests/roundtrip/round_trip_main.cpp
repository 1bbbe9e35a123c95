// The round trip against the system's loopback exemption list (round_trip.h),
// for a CI runner's real list or, under Wine, the simulated one.
//
//   orva_round_trip.exe [--check-net-isolation=EXE] [--report=FILE]
//
// --check-net-isolation names the tool to check with instead of the system's
// CheckNetIsolation.exe; --report also writes the report to FILE. Exit code 0
// when it passed, 1 when it failed, 77 when it was skipped, 2 for a wrong
// command line.

#include "check_net_isolation_list.h"
#include "round_trip.h"

#include "support/crash_report.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string_view>

int wmain(int argc, wchar_t** argv)
{
    exitOnCrash();
    std::wstring tool = systemCheckNetIsolation();
    std::wstring reportFile;
    constexpr std::wstring_view toolOption = L"--check-net-isolation=";
    constexpr std::wstring_view reportOption = L"--report=";
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view argument = argv[i];
        if (argument.substr(0, toolOption.size()) == toolOption) {
            tool = argument.substr(toolOption.size());
        } else if (argument.substr(0, reportOption.size()) == reportOption) {
            reportFile = argument.substr(reportOption.size());
        } else {
            std::fputs("usage: orva_round_trip.exe [--check-net-isolation=EXE] [--report=FILE]\n", stderr);
            return roundTripUsage;
        }
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    Report report(reportFile);
    return runRoundTrip(tool, report);
}

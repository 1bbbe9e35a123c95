#include "round_trip.h"

#include "check_net_isolation_list.h"
#include "load_figures.h"
#include "program_save.h"
#include "system_list.h"

#include "model/window_table.h"
#include "support/test_window.h"

#include <algorithm>
#include <set>

namespace {

using SidSet = std::set<std::wstring>;

// What `listed` lacks and what it has beyond `expected`, in words; empty when
// they are the same.
std::wstring differenceBetween(const SidSet& expected, const SidSet& listed)
{
    std::wstring text;
    for (const std::wstring& sid : expected) {
        if (listed.count(sid) == 0) {
            text += L" missing " + sid + L";";
        }
    }
    for (const std::wstring& sid : listed) {
        if (expected.count(sid) == 0) {
            text += L" unexpected " + sid + L";";
        }
    }
    return text;
}

bool checkNetIsolationLists(const std::wstring& tool, const SidSet& expected, const std::wstring& when,
                            Report& report)
{
    const CheckNetIsolationListing listing = listLoopbackExemptions(tool);
    if (!listing.failure.empty()) {
        report.line(L"  CheckNetIsolation " + when + L": " + listing.failure);
        return false;
    }
    const std::wstring difference = differenceBetween(expected, listing.sids);
    if (!difference.empty()) {
        report.line(L"  CheckNetIsolation " + when + L" differs:" + difference);
        return false;
    }
    report.line(L"  CheckNetIsolation " + when + L": as expected, " + std::to_wstring(listing.sids.size()) +
                L" SIDs");
    return true;
}

// The list as the program read it: its exempt entries and the SIDs of no
// app it shows.
SidSet listReadByProgram(const WindowState& state)
{
    SidSet sids(state.preservedSids.begin(), state.preservedSids.end());
    for (const AppEntry& entry : state.apps) {
        if (entry.baselineExempt) {
            sids.insert(entry.sidString);
        }
    }
    return sids;
}

bool sameSids(const SidList& left, const SidList& right)
{
    std::vector<std::wstring> leftSids = describeList(left);
    std::vector<std::wstring> rightSids = describeList(right);
    std::sort(leftSids.begin(), leftSids.end());
    std::sort(rightSids.begin(), rightSids.end());
    return leftSids == rightSids;
}

void reportSave(const ProgramSave& outcome, Report& report)
{
    report.line(L"  status line: " + outcome.status);
    for (std::wstring box : outcome.boxes) {
        std::replace(box.begin(), box.end(), L'\n', L' ');
        report.line(L"  message box: " + box);
    }
}

// The list row that shows catalog entry `entry`, or -1.
int rowOf(const WindowState& state, std::size_t entry)
{
    const auto found = std::find(state.visibleRows.begin(), state.visibleRows.end(), entry);
    return found == state.visibleRows.end() ? -1 : static_cast<int>(found - state.visibleRows.begin());
}

// Puts the list read at the start back when the round trip ends, on every
// path, failures and exceptions included: the system's list is somebody's
// data.
class OriginalListKeeper {
public:
    OriginalListKeeper(SidList original, const std::wstring& tool, Report& report)
        : original_(std::move(original)), tool_(tool), report_(report)
    {
    }
    OriginalListKeeper(const OriginalListKeeper&) = delete;
    OriginalListKeeper& operator=(const OriginalListKeeper&) = delete;
    ~OriginalListKeeper()
    {
        if (!restored_) {
            restore();
        }
    }

    // True when the system's list is as it was and CheckNetIsolation agrees.
    bool restore()
    {
        restored_ = true;
        SidList now;
        if (readSystemList(now) == ERROR_SUCCESS && sameSids(now, original_)) {
            report_.line(L"restore: the list is as it was, nothing to write");
        } else if (const DWORD result = writeSystemList(original_); result != ERROR_SUCCESS) {
            report_.line(L"restore: FAILED with error " + std::to_wstring(result) +
                         L"; the original list is printed above, put it back by hand");
            return false;
        } else {
            report_.line(L"restore: the original list written back");
        }
        return checkNetIsolationLists(tool_, sidTexts(original_), L"after the restore", report_);
    }

private:
    SidList original_;
    std::wstring tool_;
    Report& report_;
    bool restored_ = false;
};

RoundTripExit tickAndUntick(const TestWindow& window, const std::wstring& tool, const SidSet& original,
                            Report& report)
{
    WindowState& state = window.state();
    for (std::size_t entry = 0; entry < state.apps.size(); ++entry) {
        const int row = rowOf(state, entry);
        if (row < 0 || state.apps[entry].exempt) {
            continue;
        }
        const AppEntry& app = state.apps[entry];
        const std::wstring sid = app.sidString;
        report.line(L"try: " + app.displayName + L" (" + app.containerName + L") " + sid);
        window.setRowChecked(row, true);
        if (!app.exempt) {
            report.line(L"  ticking the row did not reach the program's catalog");
            return roundTripFailed;
        }
        const ProgramSave ticked = saveThroughProgram(state, sid);
        reportSave(ticked, report);
        if (ticked.result == SaveResult::refused) {
            report.line(L"  refused by the system; the next one is tried");
            if (!checkNetIsolationLists(tool, original, L"after the refusal", report)) {
                return roundTripFailed;
            }
            continue;
        }
        if (ticked.result == SaveResult::failed) {
            report.line(L"  the save of the tick failed");
            return roundTripFailed;
        }
        SidSet withIt = original;
        withIt.insert(sid);
        if (!checkNetIsolationLists(tool, withIt, L"after ticking and saving", report)) {
            return roundTripFailed;
        }

        window.setRowChecked(rowOf(state, entry), false);
        const ProgramSave unticked = saveThroughProgram(state, sid);
        reportSave(unticked, report);
        if (unticked.result != SaveResult::written) {
            report.line(L"  the save of the untick failed");
            return roundTripFailed;
        }
        return checkNetIsolationLists(tool, original, L"after unticking and saving", report) ? roundTripPassed
                                                                                           : roundTripFailed;
    }
    report.line(L"no AppContainer to try: every listed app is exempt or was refused");
    return roundTripSkipped;
}

RoundTripExit finish(RoundTripExit result, Report& report)
{
    report.line(result == roundTripPassed    ? L"result: passed"
                : result == roundTripSkipped ? L"result: skipped"
                                             : L"result: FAILED");
    return result;
}

} // namespace

RoundTripExit runRoundTrip(const std::wstring& tool, Report& report)
{
    report.line(L"Orva Loopback: round trip against the system's loopback exemption list");
    if (GetFileAttributesW(tool.c_str()) == INVALID_FILE_ATTRIBUTES) {
        report.line(L"no CheckNetIsolation at " + tool);
        return finish(roundTripSkipped, report);
    }
    report.line(L"CheckNetIsolation: " + tool);

    const double creation = timeNow();
    const TestWindow window;
    const double firstLoad = millisecondsSince(creation);
    if (!window.window()) {
        report.line(L"the program's main window could not be created");
        return finish(roundTripFailed, report);
    }
    WindowState& state = window.state();
    window.command(refreshButtonId);
    const bool loaded = windowText(state.statusLabel).rfind(texts::loadedBeforeCount, 0) == 0;
    report.line(L"the program's load: " + windowText(state.statusLabel));
    if (!loaded) {
        return finish(roundTripFailed, report);
    }
    reportLoadFigures(state, firstLoad, report);

    SidList original;
    if (const DWORD result = readSystemList(original); result != ERROR_SUCCESS) {
        report.line(L"reading the list to keep failed with error " + std::to_wstring(result));
        return finish(roundTripFailed, report);
    }
    report.line(L"the system's list, to be put back at the end: " + std::to_wstring(original.size()) + L" SIDs");
    for (const std::wstring& sid : describeList(original)) {
        report.line(L"  " + sid);
    }
    OriginalListKeeper keeper(original, tool, report);
    const SidSet originalTexts = sidTexts(original);

    RoundTripExit result = roundTripFailed;
    report.line(L"the program's read against CheckNetIsolation:");
    if (checkNetIsolationLists(tool, listReadByProgram(state), L"against the program's read", report)) {
        result = tickAndUntick(window, tool, originalTexts, report);
    }
    if (!keeper.restore()) {
        result = roundTripFailed;
    }
    return finish(result, report);
}

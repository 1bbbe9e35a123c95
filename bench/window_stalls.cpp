#include "window_stalls.h"

#include "simulated_store.h"
#include "slow_display_names.h"
#include "stall_meter.h"
#include "synthetic_catalog.h"
#include "timing.h"

#include "app/main_window.h"
#include "model/control_ids.h"
#include "model/window_state.h"
#include "model/window_table.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <string>

namespace {

// One frame at 60 Hz.
constexpr double frameMilliseconds = 16.0;
constexpr double firstAnswerTargetMilliseconds = 100.0;
constexpr std::size_t addedApps = 10;
constexpr double patienceMilliseconds = 600000.0;

std::wstring textOf(HWND control)
{
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    return text;
}

// The synthetic machine with every display name indirect, the system slow
// by `delays`, and the apps a save adds: ten not yet exempt, the system
// refusing the sixth.
struct StallStore {
    std::string text;
    std::set<std::wstring> added;
};

StallStore stallStore(std::size_t appCount, const SystemDelays& delays)
{
    SyntheticCatalog catalog = makeSyntheticCatalog(appCount);
    for (SyntheticApp& app : catalog.apps) {
        app.displayName = L"@" + app.displayName;
    }
    const std::set<std::wstring> exempt(catalog.exemptions.begin(), catalog.exemptions.end());
    StallStore store;
    std::wstring refused;
    for (const SyntheticApp& app : catalog.apps) {
        if (store.added.size() == addedApps) {
            break;
        }
        if (exempt.count(app.sid) == 0 && app.displayName != std::wstring(L"@") + recommendedAppName) {
            store.added.insert(app.sid);
            refused = store.added.size() == 6 ? app.sid : refused;
        }
    }
    store.text = storeFileText(catalog);
    if (delays.callMilliseconds > 0) {
        store.text += "delay " + std::to_string(delays.callMilliseconds) + "\n";
    }
    if (!refused.empty()) {
        store.text += "refuse " + ascii(refused) + "\n";
    }
    return store;
}

// Runs the program's own message loop until `done` holds; false when it
// does not within the patience.
template <typename Done>
bool runUntil(HWND window, Done done)
{
    const LARGE_INTEGER start = counterNow();
    while (!done()) {
        if (millisecondsBetween(start, counterNow()) > patienceMilliseconds) {
            return false;
        }
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            dispatchWindowMessage(window, nullptr, message);
        } else {
            MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }
    return true;
}

void runFor(HWND window, double milliseconds)
{
    const LARGE_INTEGER start = counterNow();
    runUntil(window, [&] { return millisecondsBetween(start, counterNow()) >= milliseconds; });
}

// Keeps every message box of this thread from appearing while it lives, as
// if the user closed it at once: without a window manager, Wine takes two
// seconds to show one (on Windows, a few milliseconds), which is Wine's wait
// and not the program's.
class MessageBoxVeto {
public:
    MessageBoxVeto() : hook_(SetWindowsHookExW(WH_CBT, &onCbt, nullptr, GetCurrentThreadId())) {}
    MessageBoxVeto(const MessageBoxVeto&) = delete;
    MessageBoxVeto& operator=(const MessageBoxVeto&) = delete;
    ~MessageBoxVeto() { UnhookWindowsHookEx(hook_); }

private:
    static LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
            const LPCWSTR className = create->lpcs->lpszClass;
            // The dialog class's atom, 0x8002, which message boxes are made of.
            if (IS_INTRESOURCE(className) ? reinterpret_cast<ULONG_PTR>(className) == 0x8002
                                          : std::wstring(className) == L"#32770") {
                return 1;
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK hook_;
};

struct StallRun {
    double load = 0.0;
    double firstAnswer = 0.0;
    double refresh = 0.0;
    double save = 0.0;
    double floor = 0.0;
    std::wstring saveStatus;
};

bool idle(const WindowState& state)
{
    return IsWindowEnabled(state.refreshButton) && IsWindowEnabled(state.applyButton);
}

// Runs the loop until `done` holds and then until the window has answered
// a probe: one that waited through the operation's last stall.
template <typename Done>
bool runUntilAnswered(StallMeter& meter, HWND window, Done done)
{
    if (!runUntil(window, done)) {
        return false;
    }
    const std::uint64_t answers = meter.answers();
    return runUntil(window, [&] { return meter.answers() > answers; });
}

// Presses the button through the window procedure, as a click does, and
// runs the loop until the window is idle again; the longest stall meanwhile.
double pressAndWait(StallMeter& meter, const WindowState& state, int buttonId, bool& ended)
{
    meter.reset();
    SendMessageW(state.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(state.window, buttonId)));
    ended = runUntilAnswered(meter, state.window, [&] { return idle(state); }) && ended;
    return meter.longestMilliseconds();
}

// One run at one size: a window of its own, shown and painted, then loaded,
// expanded, refreshed and saved with the store's additions.
std::optional<StallRun> runOnce(StallMeter& meter, const StallStore& store)
{
    if (!useSimulatedStore(store.text, L"stall-store.txt")) {
        return std::nullopt;
    }
    StallRun run;
    HWND window = createMainWindow(GetModuleHandleW(nullptr));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    const WindowState& state = *windowStateOf(window);
    meter.reset();
    showAndLoad(window, SW_SHOWNOACTIVATE);
    bool ended = runUntilAnswered(meter, window, [&] { return IsWindowEnabled(state.refreshButton); });
    run.load = meter.longestMilliseconds();
    run.firstAnswer = meter.firstAnswerMilliseconds();

    SendMessageW(window, WM_COMMAND, MAKEWPARAM(moreAppsButtonId, BN_CLICKED), 0);
    runFor(window, 200.0);
    meter.reset();
    InvalidateRect(state.appList, nullptr, TRUE);
    ended = runUntilAnswered(meter, window, [&] { return !GetUpdateRect(state.appList, nullptr, FALSE); }) && ended;
    run.floor = meter.longestMilliseconds();

    run.refresh = pressAndWait(meter, state, refreshButtonId, ended);

    for (AppEntry& entry : windowStateOf(window)->apps) {
        entry.exempt = entry.exempt || store.added.count(entry.sidString) != 0;
    }
    {
        const MessageBoxVeto veto;
        run.save = pressAndWait(meter, state, applyButtonId, ended);
    }
    run.saveStatus = textOf(state.statusLabel);

    DestroyWindow(window);
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return ended ? std::optional<StallRun>(run) : std::nullopt;
}

} // namespace

void measureWindowStalls(const WaitRuns& runs, const std::vector<std::size_t>& sizes, const SystemDelays& delays)
{
    std::printf("\nStalls: the longest time the window's thread answers no message (a probe posted every\n"
                "millisecond), the simulated FirewallAPI.dll taking %lu ms a call and every display name %lu ms\n"
                "(indirect, through the benchmark's own SHLoadIndirectString)\n",
                static_cast<unsigned long>(delays.callMilliseconds),
                static_cast<unsigned long>(delays.nameMilliseconds));
    const SlowDisplayNames names(delays.nameMilliseconds);
    if (!names.active()) {
        std::printf("  the program's SHLoadIndirectString import was not found: not measured\n");
        return;
    }
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), mainWindowClassName, &existing)) {
        registerMainWindowClass(GetModuleHandleW(nullptr));
    }
    StallMeter meter;
    std::printf("  %7s %9s %16s %11s %9s %9s  %s\n", "apps", "load ms", "first answer ms", "refresh ms", "save ms",
                "floor ms", "status after the save");
    bool measured = false;
    bool withinFrame = true;
    bool answeredSoon = true;
    for (const std::size_t size : sizes) {
        const StallStore store = stallStore(size, delays);
        std::vector<double> load, firstAnswer, refresh, save, floor;
        std::wstring saveStatus;
        for (int run = 0; run < (size >= 30000 ? runs.large : runs.regular); ++run) {
            const std::optional<StallRun> result = runOnce(meter, store);
            if (!result) {
                std::printf("  %7zu: no simulated FirewallAPI.dll, or the window did not become idle\n", size);
                return;
            }
            load.push_back(result->load);
            firstAnswer.push_back(result->firstAnswer);
            refresh.push_back(result->refresh);
            save.push_back(result->save);
            floor.push_back(result->floor);
            saveStatus = result->saveStatus;
        }
        std::printf("  %7zu %9.1f %16.1f %11.1f %9.1f %9.1f  %s\n", size, median(load), median(firstAnswer),
                    median(refresh), median(save), median(floor),
                    saveStatus.rfind(texts::refusedBeforeCount, 0) == 0 ? "one app refused, as meant"
                                                                         : "no refusal reported");
        std::fflush(stdout);
        measured = true;
        withinFrame = withinFrame && std::max({median(load), median(refresh), median(save)}) <= frameMilliseconds;
        answeredSoon = answeredSoon && median(firstAnswer) <= firstAnswerTargetMilliseconds;
    }
    std::printf("  floor: the expanded window's list painting all its rows once, as any repaint does\n");
    std::printf("  target: every stall within %.0f ms at every size: %s; the first answer within %.0f ms of the\n"
                "  first paint: %s\n",
                frameMilliseconds, measured ? verdict(withinFrame) : "not measured", firstAnswerTargetMilliseconds,
                measured ? verdict(answeredSoon) : "not measured");
}

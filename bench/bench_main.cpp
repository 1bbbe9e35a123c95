// Times what a user of the program waits for (a keystroke in the search box,
// a load, ticking every shown app), how long the window's thread goes
// without answering while a slow system is read and written, and the
// program's start-up, and measures the memory a large catalog takes, in the
// conditions the program meets: its own main window and list view, the real
// SID conversions, and the system's records handed over by stand-ins of the
// four network isolation functions or by the simulated FirewallAPI.dll. The
// start-up is timed beside a design floor that builds the same window.
// Prints a table of medians. scripts/bench.sh builds and runs it.
//
//   orva_bench.exe [--runs N] [--large-runs N] [--largest N]
//                  [--call-delay MS] [--name-delay MS]

#include "bench_window.h"
#include "catalog_memory.h"
#include "design_floor.h"
#include "prebuilt_store.h"
#include "startup_probe.h"
#include "synthetic_catalog.h"
#include "timing.h"
#include "user_waits.h"
#include "window_stalls.h"

#include "app/main_window.h"
#include "catalog/populate_app_list.h"
#include "model/control_ids.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::size_t memoryApps = 30000;

constexpr double startupFloorRatioTarget = 1.15;

// The count in the program's status line ("已读取 300 个应用…"), or what the
// line says when it holds none.
std::string appCountIn(const std::wstring& status)
{
    const std::size_t digits = status.find_first_of(L"0123456789");
    if (digits == std::wstring::npos) {
        return "no app count: '" + ascii(status) + "'";
    }
    return ascii(status.substr(digits, status.find_first_not_of(L"0123456789", digits) - digits)) + " apps read";
}

std::string runtimeName()
{
    using WineVersionFunction = const char* (*)();
    const auto wineVersion = reinterpret_cast<WineVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
    return wineVersion ? std::string("Wine ") + wineVersion() : std::string("Windows");
}

std::string processorName()
{
    wchar_t name[128] = {};
    DWORD size = sizeof(name);
    RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"ProcessorNameString",
                 RRF_RT_REG_SZ, nullptr, name, &size);
    SYSTEM_INFO system = {};
    GetNativeSystemInfo(&system);
    return ascii(name) + ", " + std::to_string(system.dwNumberOfProcessors) + " processors";
}

std::wstring directoryOfThisProgram()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory = path;
    return directory.substr(0, directory.find_last_of(L'\\') + 1);
}

PROCESS_MEMORY_COUNTERS memoryCounters()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

double megabytes(SIZE_T bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// The first load of the largest catalog, while the process has done nothing
// that could have raised its peak yet.
void measureMemory(const BenchWindow& window)
{
    const PROCESS_MEMORY_COUNTERS before = memoryCounters();
    window.load();
    const PROCESS_MEMORY_COUNTERS after = memoryCounters();
    pumpMessages();
    const std::vector<AppEntry>& apps = window.state().apps;
    const std::size_t bytes = catalogBytes(apps);

    std::printf("\nMemory: the first load of %zu apps (GetProcessMemoryInfo)\n", apps.size());
    std::printf("  working set before the load      %8.1f MB\n", megabytes(before.WorkingSetSize));
    std::printf("  working set after the load       %8.1f MB\n", megabytes(after.WorkingSetSize));
    std::printf("  peak working set after the load  %8.1f MB  (+%.1f MB over the working set before)\n",
                megabytes(after.PeakWorkingSetSize),
                megabytes(after.PeakWorkingSetSize - std::min(after.PeakWorkingSetSize, before.WorkingSetSize)));
    std::printf("  catalog                          %8.1f MB  = %zu bytes per app (AppEntry %zu + string blocks)\n",
                megabytes(bytes), apps.empty() ? 0 : bytes / apps.size(), sizeof(AppEntry));
    std::fflush(stdout);
}

// The program reads the simulated system's state from a file named by
// ORVA_LOOPBACK_STORE, which the started programs inherit.
void writeStartupStore()
{
    const std::wstring path = directoryOfThisProgram() + L"startup-store.txt";
    std::ofstream(path.c_str(), std::ios::binary) << storeFileText(makeSyntheticCatalog(startupAppCount));
    SetEnvironmentVariableW(L"ORVA_LOOPBACK_STORE", path.c_str());
}

bool systemHasFirewallApi()
{
    wchar_t directory[MAX_PATH] = {};
    GetSystemDirectoryW(directory, MAX_PATH);
    return GetFileAttributesW((std::wstring(directory) + L"\\FirewallAPI.dll").c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct StartupSubject {
    const char* label;
    std::wstring path;
    const wchar_t* windowClass;
    int statusControlId;
};

// Where the design floor's window differs from the program's, in words;
// empty when it has the same controls and list rows. Its time is a floor only
// while it builds what the program shows.
std::string floorDifference(const WindowOutline& program, const WindowOutline& floor)
{
    const std::string difference = firstControlDifference(program, floor);
    if (difference.empty() && floor.listRows != program.listRows) {
        return "list rows " + std::to_string(floor.listRows) + " against " + std::to_string(program.listRows);
    }
    return difference;
}

void measureStartups(const WaitRuns& runs)
{
    const std::wstring directory = directoryOfThisProgram();
    const StartupSubject subjects[] = {
        {"OrvaLoopback.exe", directory + L"..\\OrvaLoopback.exe", mainWindowClassName, statusLabelId},
        {"design floor", directory + L"bench_design_floor.exe", designFloorClassName, 0},
    };
    writeStartupStore();

    std::vector<std::vector<double>> times(std::size(subjects));
    std::vector<StartupResult> last(std::size(subjects));
    // The first start of each reads its files from disk.
    for (int run = -1; run < runs.regular; ++run) {
        for (std::size_t i = 0; i < std::size(subjects); ++i) {
            const StartupSubject& subject = subjects[i];
            std::optional<StartupResult> start =
                measureStartup(subject.path, subject.windowClass, subject.statusControlId);
            if (!start) {
                std::printf("\nStart-up: %s did not start and paint within ten seconds\n", subject.label);
                return;
            }
            if (run >= 0) {
                times[i].push_back(start->milliseconds);
            }
            last[i] = std::move(*start);
        }
    }
    const double programMedian = median(times[0]);
    const double floorMedian = median(times[1]);
    const std::string floorDiffers = floorDifference(last[0].outline, last[1].outline);

    std::printf("\nStart-up: CreateProcessW to the window painted, its list read and waiting for input\n");
    if (systemHasFirewallApi()) {
        std::printf("  store: FirewallAPI.dll in the system directory, ORVA_LOOPBACK_STORE of %zu apps\n",
                    startupAppCount);
    } else {
        std::printf("  store: no FirewallAPI.dll in the system directory (the program shows 'unsupported')\n");
    }
    std::printf("  program's status line: %s\n", appCountIn(last[0].status).c_str());
    if (floorDiffers.empty()) {
        std::printf("  design floor: the program's manifest, its %zu controls and %d list rows, read through\n"
                    "  FirewallAPI.dll with the program's start-up calls (get, enumerate, free)\n",
                    last[1].outline.controls.size(), last[1].outline.listRows);
    } else {
        std::printf("  design floor differs from the program: %s\n", floorDiffers.c_str());
    }
    std::printf("  %-24s %10s\n", "program", "ms");
    for (std::size_t i = 0; i < std::size(subjects); ++i) {
        std::printf("  %-24s %10.1f\n", subjects[i].label, median(times[i]));
    }
    std::printf("  ratio to the design floor %.3f; target <= %.2f: %s\n", programMedian / floorMedian,
                startupFloorRatioTarget,
                floorDiffers.empty() ? verdict(programMedian <= startupFloorRatioTarget * floorMedian)
                                     : "no verdict, the floor differs from the program");
}

} // namespace

int main(int argc, char** argv)
{
    WaitRuns runs;
    SystemDelays delays;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0) {
            runs.regular = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--large-runs") == 0) {
            runs.large = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--largest") == 0) {
            runs.largestCatalog = static_cast<std::size_t>(std::max(0, std::atoi(argv[i + 1])));
        } else if (std::strcmp(argv[i], "--call-delay") == 0) {
            delays.callMilliseconds = static_cast<DWORD>(std::max(0, std::atoi(argv[i + 1])));
        } else if (std::strcmp(argv[i], "--name-delay") == 0) {
            delays.nameMilliseconds = static_cast<DWORD>(std::max(0, std::atoi(argv[i + 1])));
        }
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    std::printf("Orva Loopback benchmark: medians of %d runs (%d at 30000 entries); %s; %s\n",
                runs.regular, runs.large, runtimeName().c_str(), processorName().c_str());
    std::fflush(stdout);
    {
        // Creating the window loads a catalog: an empty one, so that the
        // memory figure's first real load still sets the process's peak.
        std::optional<PrebuiltStore> emptyStore(std::in_place, SyntheticCatalog{});
        BenchWindow window;
        emptyStore.reset();
        {
            const PrebuiltStore store(makeSyntheticCatalog(memoryApps));
            measureMemory(window);
        }
        measureUserWaits(window, runs);
    }
    measureWindowStalls(runs, measuredSizes(runs), delays);
    measureStartups(runs);
    return 0;
}

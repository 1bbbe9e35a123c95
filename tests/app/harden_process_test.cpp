#include "app/harden_process.h"

#include "model/owners.h"
#include "support/platform_spy.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The heap setting leaves nothing to observe: Windows cannot read it back,
// and Wine accepts it and does nothing. What the test can see is the call.
struct HeapSetting {
    HANDLE heap;
    HEAP_INFORMATION_CLASS informationClass;
    void* information;
    SIZE_T length;
};

std::vector<HeapSetting> heapSettings;
decltype(&HeapSetInformation) realHeapSetInformation = nullptr;

BOOL WINAPI recordHeapSetting(HANDLE heap, HEAP_INFORMATION_CLASS informationClass, void* information, SIZE_T length)
{
    heapSettings.push_back({heap, informationClass, information, length});
    return realHeapSetInformation(heap, informationClass, information, length);
}

// A copy of the impostor FirewallAPI.dll under a name that no other folder
// holds, beside the test executable, for as long as the test runs.
class PlantedBesideTheTests {
public:
    PlantedBesideTheTests()
    {
        fs::copy_file(folder_ / L"FirewallAPI.dll", path(), fs::copy_options::overwrite_existing);
    }
    PlantedBesideTheTests(const PlantedBesideTheTests&) = delete;
    PlantedBesideTheTests& operator=(const PlantedBesideTheTests&) = delete;
    ~PlantedBesideTheTests()
    {
        std::error_code ignored;
        fs::remove(path(), ignored);
    }

    static constexpr wchar_t name[] = L"OrvaPlantedBesideTheTests.dll";
    fs::path path() const { return folder_ / name; }

private:
    const fs::path folder_ = fs::path(testExecutablePath()).parent_path();
};

fs::path moduleFile(HMODULE module)
{
    wchar_t path[MAX_PATH] = {};
    return fs::path(std::wstring(path, GetModuleFileNameW(module, path, MAX_PATH)));
}

// The setting cannot be undone: the rest of this test process runs with it,
// as the program does.
TEST(HardenProcess, LoadsByNameOnlyFromTheSystemDirectoryAndAsksToEndOnHeapCorruption)
{
    const PlantedBesideTheTests planted;
    {
        const OwnedModule before(LoadLibraryW(PlantedBesideTheTests::name));
        ASSERT_NE(before, nullptr) << "the loader does not look beside the test executable to begin with";
        EXPECT_TRUE(fs::equivalent(moduleFile(before.get()), planted.path()));
    }
    ASSERT_EQ(GetModuleHandleW(PlantedBesideTheTests::name), nullptr);

    heapSettings.clear();
    realHeapSetInformation = reinterpret_cast<decltype(&HeapSetInformation)>(
        redirectImport("kernel32.dll", "HeapSetInformation", reinterpret_cast<void*>(&recordHeapSetting)));
    ASSERT_NE(realHeapSetInformation, nullptr);
    hardenProcess();
    redirectImport("kernel32.dll", "HeapSetInformation", reinterpret_cast<void*>(realHeapSetInformation));

    const OwnedModule after(LoadLibraryW(PlantedBesideTheTests::name));
    const DWORD error = GetLastError();
    EXPECT_EQ(after, nullptr) << moduleFile(after.get());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    // The system's own DLLs still load by name, from the system directory,
    // where kernel32.dll is.
    const OwnedModule system(LoadLibraryW(L"version.dll"));
    ASSERT_NE(system, nullptr);
    EXPECT_TRUE(fs::equivalent(moduleFile(system.get()).parent_path(),
                               moduleFile(GetModuleHandleW(L"kernel32.dll")).parent_path()));

    ASSERT_EQ(heapSettings.size(), 1u);
    EXPECT_EQ(heapSettings[0].heap, nullptr);
    EXPECT_EQ(heapSettings[0].informationClass, HeapEnableTerminationOnCorruption);
    EXPECT_EQ(heapSettings[0].information, nullptr);
    EXPECT_EQ(heapSettings[0].length, 0u);
}

} // namespace

#include "driver/program_test.h"
#include "driver/test_paths.h"
#include "test_apps.h"

#include <algorithm>
#include <string>

namespace {

namespace fs = std::filesystem;
using DllLoading = ProgramTest;

fs::path fromUtf8(const std::string& text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

// Wine's settings for programs of one file name: an empty DllOverrides value
// under HKCU\Software\Wine\AppDefaults\<file name> keeps that DLL from
// loading. (WINEDLLOVERRIDES in the environment block given to CreateProcessW
// has no effect under Wine 8.)
class DllDisabledForProgram {
public:
    DllDisabledForProgram(const std::wstring& programFileName, const wchar_t* dllName)
        : key_(L"Software\\Wine\\AppDefaults\\" + programFileName)
    {
        const std::wstring subKey = key_ + L"\\DllOverrides";
        created_ = RegSetKeyValueW(HKEY_CURRENT_USER, subKey.c_str(), dllName, REG_SZ, L"", sizeof(wchar_t)) ==
                   ERROR_SUCCESS;
    }
    DllDisabledForProgram(const DllDisabledForProgram&) = delete;
    DllDisabledForProgram& operator=(const DllDisabledForProgram&) = delete;
    ~DllDisabledForProgram() { RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }

    bool created() const { return created_; }

private:
    std::wstring key_;
    bool created_ = false;
};

// A Windows without FirewallAPI.dll, as the program sees it. Only a copy of
// the program with a name of its own is affected: the system directory,
// which other tests use, stays as it is.
TEST_F(DllLoading, WithoutTheSystemDllTheProgramSaysTheSystemHasNoSupport)
{
    writeStore(testApps::smallStore());
    const std::wstring programName = L"OrvaLoopback-e2e-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    const fs::path program = folder_.path() / programName;
    fs::copy_file(testPaths().program, program);
    const DllDisabledForProgram disabled(programName, L"firewallapi");
    ASSERT_TRUE(disabled.created());

    ASSERT_TRUE(startProgram(program.wstring(), {}));
    EXPECT_TRUE(statusBecomes(texts::unsupported));
    EXPECT_FALSE(IsWindowEnabled(control(applyButtonId)));
}

// The copy beside the program reads its own store, which lists a single app:
// had it been loaded, the program would show that app alone.
TEST_F(DllLoading, ACopyBesideTheProgramIsNeverLoaded)
{
    writeStore(testApps::smallStore());
    const fs::path plantedStore = folder_.path() / L"planted-store.txt";
    writeFile(plantedStore, storeText({appLine("S-1-15-2-9-9-9-9-9-9-9", "Planted App", "planted_x", "planted_1")}));
    const fs::path programFolder = folder_.path() / L"downloads";
    fs::create_directories(programFolder);
    fs::copy_file(testPaths().program, programFolder / L"OrvaLoopback.exe");
    fs::copy_file(testPaths().plantedDll, programFolder / L"FirewallAPI.dll");

    ASSERT_TRUE(startProgram((programFolder / L"OrvaLoopback.exe").wstring(),
                             {{L"ORVA_PLANTED_STORE", plantedStore.wstring()}}));
    EXPECT_TRUE(statusBecomes(loadedStatus(4)));
    ASSERT_TRUE(setExpanded(true));
    const std::vector<ListRow> shown = rows();
    EXPECT_TRUE(std::none_of(shown.begin(), shown.end(), [](const ListRow& row) { return row.text == L"Planted App"; }));
}

// Anything in the program's process may load a DLL by its bare name after
// start-up (a system DLL on the program's behalf, say); the simulated
// FirewallAPI.dll does so on request (see sim/README.md). A program that
// skips the hardening gets the copy planted beside it; inside OrvaLoopback.exe
// the loader looks in the system directory only.
TEST_F(DllLoading, ALibraryLoadedByNameAfterStartUpNeverComesFromBesideTheProgram)
{
    writeStore(testApps::smallStore());
    const std::wstring plantedName = L"OrvaPlantedLibrary.dll";
    const fs::path downloads = folder_.path() / L"downloads";
    fs::create_directories(downloads);
    fs::copy_file(testPaths().program, downloads / L"OrvaLoopback.exe");
    fs::copy_file(testPaths().unhardenedCaller, downloads / L"unhardened_caller.exe");
    fs::copy_file(testPaths().plantedDll, downloads / plantedName);
    const fs::path report = folder_.path() / L"load-report.txt";
    const EnvironmentOverrides loadByName = {{L"ORVA_SIM_LOAD_BY_NAME", plantedName},
                                             {L"ORVA_SIM_LOAD_REPORT", report.wstring()}};

    ASSERT_EQ(runToExit((downloads / L"unhardened_caller.exe").wstring(), loadByName), 0u);
    const std::string unhardened = readFile(report);
    const std::string loaded = "loaded ";
    ASSERT_EQ(unhardened.rfind(loaded, 0), 0u) << unhardened;
    EXPECT_TRUE(fs::equivalent(fromUtf8(unhardened.substr(loaded.size(), unhardened.find('\n') - loaded.size())),
                               downloads / plantedName))
        << unhardened;

    fs::remove(report);
    ASSERT_TRUE(startProgram((downloads / L"OrvaLoopback.exe").wstring(), loadByName));
    EXPECT_TRUE(statusBecomes(loadedStatus(4)));
    EXPECT_EQ(readFile(report), "refused " + std::to_string(ERROR_MOD_NOT_FOUND) + "\n");
}

} // namespace

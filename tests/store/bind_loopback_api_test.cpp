#include "store/loopback_api.h"

#include "support/test_window.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

fs::path systemDirectory()
{
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

fs::path besideTheProgram()
{
    return fs::path(testExecutablePath()).parent_path() / L"FirewallAPI.dll";
}

// Moves whatever FirewallAPI.dll the system directory holds out of the way
// for the test and puts it back afterwards.
class BindLoopbackApi : public testing::Test {
protected:
    void SetUp() override
    {
        loopbackApi = LoopbackApi{};
        if (fs::exists(installed_)) {
            fs::rename(installed_, setAside_);
        }
    }

    void TearDown() override
    {
        loopbackApi = LoopbackApi{};
        std::error_code ignored;
        fs::remove(installed_, ignored);
        if (fs::exists(setAside_)) {
            fs::rename(setAside_, installed_);
        }
    }

    const fs::path installed_ = systemDirectory() / L"FirewallAPI.dll";
    const fs::path setAside_ = systemDirectory() / L"FirewallAPI.dll.set-aside";
};

TEST_F(BindLoopbackApi, NeverLoadsTheDllBesideTheProgramAndRetriesAfterAFailedLoad)
{
    ASSERT_TRUE(fs::exists(besideTheProgram()));

    EXPECT_FALSE(bindLoopbackApi());
    EXPECT_EQ(loopbackApi.module, nullptr);
    EXPECT_EQ(GetModuleHandleW(besideTheProgram().c_str()), nullptr);

    fs::copy_file(besideTheProgram(), installed_);
    EXPECT_TRUE(bindLoopbackApi());

    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(loopbackApi.module.get(), loaded, MAX_PATH);
    EXPECT_TRUE(fs::equivalent(fs::path(loaded), installed_)) << fs::path(loaded);
    EXPECT_EQ(GetModuleHandleW(besideTheProgram().c_str()), nullptr);
}

TEST_F(BindLoopbackApi, BoundTableIsNotLookedUpAgainAndAMissingFunctionFailsEveryBind)
{
    fs::copy_file(besideTheProgram(), installed_);
    ASSERT_TRUE(bindLoopbackApi());
    HMODULE module = loopbackApi.module.get();

    loopbackApi.freeAppContainers = nullptr;

    EXPECT_FALSE(bindLoopbackApi());
    EXPECT_FALSE(bindLoopbackApi());
    EXPECT_EQ(loopbackApi.module.get(), module);
    EXPECT_EQ(loopbackApi.freeAppContainers, nullptr);
}

} // namespace

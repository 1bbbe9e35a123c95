// The simulated FirewallAPI.dll on its own: what its four functions hand out,
// who frees it, and how it treats its state file.

#include "driver/test_files.h"
#include "driver/test_paths.h"
#include "test_apps.h"

#include "model/network_isolation.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <memory>
#include <optional>

namespace {

namespace fs = std::filesystem;
using namespace testApps;

struct ModuleFreer {
    using pointer = HMODULE;
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using OwnedModule = std::unique_ptr<HINSTANCE__, ModuleFreer>;

std::vector<BYTE> sidBytes(const std::string& text)
{
    PSID sid = nullptr;
    if (!ConvertStringSidToSidA(text.c_str(), &sid)) {
        return {};
    }
    const auto* bytes = static_cast<const BYTE*>(sid);
    std::vector<BYTE> copy(bytes, bytes + GetLengthSid(sid));
    LocalFree(sid);
    return copy;
}

std::vector<BYTE> hexBytes(const std::string& hex)
{
    std::vector<BYTE> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<BYTE>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::optional<std::wstring> textOrNull(const wchar_t* text)
{
    return text ? std::optional<std::wstring>(text) : std::nullopt;
}

struct EnumeratedApp {
    std::vector<BYTE> sid;
    std::optional<std::wstring> displayName;
    std::optional<std::wstring> containerName;
    std::optional<std::wstring> packageFullName;

    bool operator==(const EnumeratedApp&) const = default;
};

class SimulatedDll : public testing::Test {
protected:
    void SetUp() override
    {
        module_.reset(LoadLibraryW(testPaths().simulatedDll.c_str()));
        ASSERT_TRUE(module_) << "LoadLibraryW failed with " << GetLastError();
        enumerate_ = lookUp<EnumAppContainersFunction>("NetworkIsolationEnumAppContainers");
        free_ = lookUp<FreeAppContainersFunction>("NetworkIsolationFreeAppContainers");
        get_ = lookUp<GetAppContainerConfigFunction>("NetworkIsolationGetAppContainerConfig");
        set_ = lookUp<SetAppContainerConfigFunction>("NetworkIsolationSetAppContainerConfig");
        ASSERT_TRUE(enumerate_ && free_ && get_ && set_);
        SetEnvironmentVariableW(L"ORVA_LOOPBACK_STORE", store_.c_str());
    }

    void TearDown() override { SetEnvironmentVariableW(L"ORVA_LOOPBACK_STORE", nullptr); }

    template <typename Function>
    Function* lookUp(const char* name) const
    {
        return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
    }

    // The exemption list as the caller sees it, released as the caller must:
    // each SID with HeapFree, then the array.
    std::vector<std::vector<BYTE>> configuredSids(DWORD& result) const
    {
        DWORD count = 0;
        SID_AND_ATTRIBUTES* records = nullptr;
        result = get_(&count, &records);
        std::vector<std::vector<BYTE>> sids;
        HANDLE heap = GetProcessHeap();
        if (records) {
            EXPECT_GE(HeapSize(heap, 0, records), count * sizeof(SID_AND_ATTRIBUTES));
        }
        for (DWORD i = 0; records && i < count; ++i) {
            const SIZE_T blockSize = HeapSize(heap, 0, records[i].Sid);
            EXPECT_NE(blockSize, static_cast<SIZE_T>(-1)) << "SID " << i << " is not a process heap block";
            EXPECT_GE(blockSize, GetLengthSid(records[i].Sid));
            const auto* bytes = static_cast<const BYTE*>(records[i].Sid);
            sids.emplace_back(bytes, bytes + 8 + 4 * bytes[1]);
            EXPECT_TRUE(HeapFree(heap, 0, records[i].Sid));
        }
        if (records) {
            EXPECT_TRUE(HeapFree(heap, 0, records));
        }
        return sids;
    }

    std::vector<EnumeratedApp> enumeratedApps(DWORD& result) const
    {
        DWORD count = 0;
        INET_FIREWALL_APP_CONTAINER* records = nullptr;
        result = enumerate_(0, &count, &records);
        std::vector<EnumeratedApp> apps;
        for (DWORD i = 0; records && i < count; ++i) {
            const INET_FIREWALL_APP_CONTAINER& record = records[i];
            std::vector<BYTE> sid;
            if (record.appContainerSid) {
                const auto* bytes = reinterpret_cast<const BYTE*>(record.appContainerSid);
                sid.assign(bytes, bytes + GetLengthSid(record.appContainerSid));
            }
            apps.push_back({sid, textOrNull(record.displayName), textOrNull(record.appContainerName),
                            textOrNull(record.packageFullName)});
        }
        if (result == ERROR_SUCCESS) {
            EXPECT_EQ(free_(records), static_cast<DWORD>(ERROR_SUCCESS));
            EXPECT_EQ(free_(records), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << "the first free kept them";
        }
        return apps;
    }

    DWORD setSids(const std::vector<std::vector<BYTE>>& sids) const
    {
        std::vector<std::vector<BYTE>> copies = sids;
        std::vector<SID_AND_ATTRIBUTES> records;
        for (std::vector<BYTE>& sid : copies) {
            records.push_back({sid.data(), 0});
        }
        return set_(static_cast<DWORD>(records.size()), records.empty() ? nullptr : records.data());
    }

    TemporaryFolder folder_;
    fs::path store_ = folder_.path() / L"store.txt";
    OwnedModule module_;
    EnumAppContainersFunction* enumerate_ = nullptr;
    FreeAppContainersFunction* free_ = nullptr;
    GetAppContainerConfigFunction* get_ = nullptr;
    SetAppContainerConfigFunction* set_ = nullptr;
};

TEST_F(SimulatedDll, ExemptionListIsHandedOutAsProcessHeapBlocksInStoreOrder)
{
    writeFile(store_, smallStore());
    DWORD result = 0;
    EXPECT_EQ(configuredSids(result), (std::vector<std::vector<BYTE>>{sidBytes(weatherSid), sidBytes(orphanSid),
                                                                      hexBytes(rawSidHex)}));
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_SUCCESS));

    writeFile(store_, storeText({chatGptLine()}));
    EXPECT_TRUE(configuredSids(result).empty());
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(SimulatedDll, EnumerationHandsOutEveryRecordAsStoredAndOneFreeReleasesIt)
{
    writeFile(store_, storeText({
                          chatGptLine(),
                          "app -\t\\N\tMicrosoft.LockApp_cw5n1h2txyewy\t",
                          "app " + weatherSid + "\ttab\\there\\\\back\tweather\t\\N",
                          "  app  " + chatGptSid + "\t\tcopy\tcopy_1",
                      }));
    DWORD result = 0;
    const std::vector<EnumeratedApp> apps = enumeratedApps(result);
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(apps, (std::vector<EnumeratedApp>{
                        {sidBytes(chatGptSid), L"ChatGPT", L"openai.codex_2p2nqsd0c76g0",
                         L"OpenAI.Codex_1.2.3.0_x64__2p2nqsd0c76g0"},
                        {{}, std::nullopt, L"Microsoft.LockApp_cw5n1h2txyewy", L""},
                        {sidBytes(weatherSid), L"tab\there\\back", L"weather", std::nullopt},
                        {sidBytes(chatGptSid), L"", L"copy", L"copy_1"},
                    }));

    writeFile(store_, "");
    EXPECT_TRUE(enumeratedApps(result).empty());
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(SimulatedDll, WriteReplacesOnlyTheExemptionLinesAndReadsBackTheSame)
{
    writeFile(store_, storeText({"# machine", chatGptLine(), "exempt " + weatherSid, weatherLine(),
                                 "exempt " + orphanSid, "fail free 87"}));
    const std::vector<std::vector<BYTE>> written = {sidBytes(chatGptSid), hexBytes(rawSidHex)};
    ASSERT_EQ(setSids(written), static_cast<DWORD>(ERROR_SUCCESS));

    EXPECT_EQ(readFile(store_), storeText({"# machine", chatGptLine(), "exempt " + chatGptSid,
                                           "exempt-raw " + rawSidHex, weatherLine(), "fail free 87"}));
    DWORD result = 0;
    EXPECT_EQ(configuredSids(result), written);
    EXPECT_FALSE(fs::exists(store_.wstring() + L".tmp"));

    ASSERT_EQ(setSids({}), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(readFile(store_), storeText({"# machine", chatGptLine(), weatherLine(), "fail free 87"}));
}

TEST_F(SimulatedDll, FailedWriteLeavesTheOldFileWhole)
{
    writeFile(store_, smallStore());
    const std::string before = readFile(store_);
    // The temporary file cannot be created where a folder of its name stands.
    fs::create_directory(store_.wstring() + L".tmp");

    EXPECT_NE(setSids({sidBytes(chatGptSid)}), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(readFile(store_), before);
    EXPECT_TRUE(fs::is_directory(store_.wstring() + L".tmp"));
}

TEST_F(SimulatedDll, FailLinesMakeTheirCallFailWithTheirCode)
{
    DWORD result = 0;
    writeFile(store_, smallStore("fail get 5\n"));
    EXPECT_TRUE(configuredSids(result).empty());
    EXPECT_EQ(result, 5u);

    writeFile(store_, smallStore("fail enum 0x80071234\n"));
    EXPECT_TRUE(enumeratedApps(result).empty());
    EXPECT_EQ(result, 0x80071234u);

    writeFile(store_, smallStore("fail set 32\n"));
    const std::string before = readFile(store_);
    EXPECT_EQ(setSids({}), 32u);
    EXPECT_EQ(readFile(store_), before);

    // The records are released even though the call reports a failure.
    writeFile(store_, smallStore("fail free 87\n"));
    DWORD count = 0;
    INET_FIREWALL_APP_CONTAINER* records = nullptr;
    ASSERT_EQ(enumerate_(0, &count, &records), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(free_(records), 87u);
    writeFile(store_, smallStore());
    EXPECT_EQ(free_(records), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// A write that fails in the middle of a session, and the next one works.
TEST_F(SimulatedDll, FailLineWithACallNumberFailsOnlyThatCallSinceTheDllWasLoaded)
{
    writeFile(store_, smallStore("fail set 5 2\n"));
    EXPECT_EQ(setSids({sidBytes(chatGptSid)}), static_cast<DWORD>(ERROR_SUCCESS));
    const std::string afterFirst = readFile(store_);
    EXPECT_EQ(setSids({}), 5u);
    EXPECT_EQ(readFile(store_), afterFirst);
    EXPECT_EQ(setSids({}), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(exemptionsIn(readFile(store_)).empty());
}

TEST_F(SimulatedDll, MalformedStateIsAnsweredWithInvalidDataAndNeverRewritten)
{
    const std::string malformed[] = {
        "app " + chatGptSid + " ChatGPT\topenai\tOpenAI",       // a space where the tab belongs
        "app " + chatGptSid + "\tChatGPT\topenai",             // a field short
        "app " + chatGptSid + "\tChatGPT\topenai\tOpenAI\tx",  // a field too many
        "app BA\tAdministrators\tadmins\tadmins_1",            // an alias, not a SID
        "app " + chatGptSid + "\t@C:\\Windows\\x.dll,-1\ta\tb", // single backslashes
        "app " + chatGptSid + "\tname\\\ta\tb",                 // a field ending in a backslash
        "exempt",
        "exempt S-1-15-2-x",
        "exempt " + weatherSid + " " + orphanSid,
        "exempt-raw 0102",
        "exempt-raw 020200000000000515000000",  // declares two parts, holds one
        "exempt-raw 0201000000000005150000g0",
        "fail get 0",
        "fail get five",
        "fail later 5",
        "fail get 0x100000000",
        "fail set 5 0",
        "fail set 5 2 3",
        "allow " + weatherSid,
        "app " + chatGptSid + "\t\xff\xfe\tx\ty",  // not UTF-8
    };
    for (const std::string& line : malformed) {
        SCOPED_TRACE(line);
        writeFile(store_, smallStore(line + "\n"));
        const std::string before = readFile(store_);
        DWORD result = 0;
        configuredSids(result);
        EXPECT_EQ(result, static_cast<DWORD>(ERROR_INVALID_DATA));
        enumeratedApps(result);
        EXPECT_EQ(result, static_cast<DWORD>(ERROR_INVALID_DATA));
        EXPECT_EQ(setSids({sidBytes(chatGptSid)}), static_cast<DWORD>(ERROR_INVALID_DATA));
        EXPECT_EQ(readFile(store_), before);
    }
}

TEST_F(SimulatedDll, MissingStateIsAnsweredWithFileNotFound)
{
    DWORD result = 0;
    configuredSids(result);
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(setSids({}), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(fs::exists(store_));

    SetEnvironmentVariableW(L"ORVA_LOOPBACK_STORE", nullptr);
    enumeratedApps(result);
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SimulatedDll, CallerMistakesAreRefused)
{
    writeFile(store_, smallStore());
    EXPECT_EQ(set_(1, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SID_AND_ATTRIBUTES noSid = {nullptr, 0};
    EXPECT_EQ(set_(1, &noSid), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    INET_FIREWALL_APP_CONTAINER notHandedOut = {};
    EXPECT_EQ(free_(&notHandedOut), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(get_(nullptr, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

} // namespace

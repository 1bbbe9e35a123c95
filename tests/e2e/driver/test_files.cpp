#include "driver/test_files.h"

#include "driver/test_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;

TemporaryFolder::TemporaryFolder()
{
    static int created = 0;
    path_ = fs::temp_directory_path() /
            (L"orva-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++created));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    ASSERT_TRUE(file.good()) << path;
}

std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string storeText(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

std::string appLine(const std::string& sid, const std::string& displayName, const std::string& containerName,
                    const std::string& packageFullName)
{
    return "app " + sid + "\t" + displayName + "\t" + containerName + "\t" + packageFullName;
}

namespace {

std::vector<std::string> linesOf(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::istringstream stream(bytes);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool isExemption(const std::string& line)
{
    return line.rfind("exempt ", 0) == 0 || line.rfind("exempt-raw ", 0) == 0;
}

} // namespace

std::vector<std::string> exemptionsIn(const std::string& storeBytes)
{
    std::vector<std::string> sids;
    for (const std::string& line : linesOf(storeBytes)) {
        if (isExemption(line)) {
            sids.push_back(line.substr(line.find(' ') + 1));
        }
    }
    return sorted(std::move(sids));
}

std::vector<std::string> sorted(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> otherLinesIn(const std::string& storeBytes)
{
    std::vector<std::string> lines = linesOf(storeBytes);
    lines.erase(std::remove_if(lines.begin(), lines.end(), isExemption), lines.end());
    return lines;
}

std::wstring systemMessage(DWORD code)
{
    struct LocalFreeDeleter {
        void operator()(wchar_t* text) const { LocalFree(text); }
    };
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                            FORMAT_MESSAGE_FROM_SYSTEM,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreeDeleter> owner(buffer);
    std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

void installSimulatedDll()
{
    wchar_t systemDirectory[MAX_PATH] = {};
    ASSERT_NE(GetSystemDirectoryW(systemDirectory, MAX_PATH), 0u);
    const fs::path target = fs::path(systemDirectory) / L"FirewallAPI.dll";
    ASSERT_TRUE(CopyFileW(testPaths().simulatedDll.c_str(), target.c_str(), FALSE))
        << "copying " << fs::path(testPaths().simulatedDll) << " failed with " << GetLastError();
}

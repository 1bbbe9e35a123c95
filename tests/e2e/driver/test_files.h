#pragma once

#include <windows.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

// A folder of its own for one test, removed with everything in it afterwards.
class TemporaryFolder {
public:
    TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

// A store file's text: the lines joined with line feeds.
std::string storeText(std::initializer_list<std::string> lines);
std::string appLine(const std::string& sid, const std::string& displayName, const std::string& containerName,
                    const std::string& packageFullName);

// The SIDs of a store file's `exempt` lines and the hex of its `exempt-raw`
// lines, sorted: the program writes them in an order of its own.
std::vector<std::string> exemptionsIn(const std::string& storeBytes);
std::vector<std::string> sorted(std::vector<std::string> lines);
// Every line that is not an exemption, in order.
std::vector<std::string> otherLinesIn(const std::string& storeBytes);

// The system's message for `code` as one line, as the program shows it.
std::wstring systemMessage(DWORD code);

// Puts the simulated FirewallAPI.dll where the program loads it from.
void installSimulatedDll();

#pragma once

#include <filesystem>
#include <fstream>
#include <string>

// The round trip's report: every line goes to standard output as UTF-8 and,
// when a file is named, into that file too, for the CI run's artifacts.
class Report {
public:
    explicit Report(const std::filesystem::path& file);

    void line(const std::wstring& text);

private:
    std::ofstream file_;
};

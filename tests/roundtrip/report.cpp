#include "report.h"

#include <windows.h>

#include <cstdio>

namespace {

std::string utf8(const std::wstring& text)
{
    if (text.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                        nullptr);
    return bytes;
}

} // namespace

Report::Report(const std::filesystem::path& file)
{
    // App names may be Chinese; a console shows UTF-8 once told to.
    SetConsoleOutputCP(CP_UTF8);
    if (!file.empty()) {
        file_.open(file, std::ios::binary | std::ios::trunc);
    }
}

void Report::line(const std::wstring& text)
{
    const std::string bytes = utf8(text) + "\n";
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
    if (file_.is_open()) {
        file_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file_.flush();
    }
}

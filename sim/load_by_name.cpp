#include "load_by_name.h"

#include "replace_file.h"
#include "utf8.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <new>
#include <optional>
#include <string>

namespace {

struct ModuleFreer {
    using pointer = HMODULE;
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using OwnedModule = std::unique_ptr<HINSTANCE__, ModuleFreer>;

std::optional<std::wstring> environmentVariable(const wchar_t* name)
{
    const DWORD length = GetEnvironmentVariableW(name, nullptr, 0);
    if (length == 0) {
        return std::nullopt;
    }
    std::wstring value(length, L'\0');
    const DWORD copied = GetEnvironmentVariableW(name, value.data(), length);
    if (copied == 0 || copied >= length) {
        return std::nullopt;
    }
    value.resize(copied);
    return value;
}

std::string outcomeOfLoading(const std::wstring& name)
{
    const OwnedModule module(LoadLibraryW(name.c_str()));
    if (!module) {
        return "refused " + std::to_string(GetLastError());
    }
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module.get(), path, MAX_PATH);
    return "loaded " + toUtf8(std::wstring_view(path, length));
}

} // namespace

void loadByNameOnFirstCall()
{
    static std::atomic<bool> done = false;
    if (done.exchange(true)) {
        return;
    }
    // No exception may cross into the caller of the exported function.
    try {
        const std::optional<std::wstring> name = environmentVariable(L"ORVA_SIM_LOAD_BY_NAME");
        const std::optional<std::wstring> report = environmentVariable(L"ORVA_SIM_LOAD_REPORT");
        if (name && report) {
            replaceFile(*report, outcomeOfLoading(*name) + "\n");
        }
    } catch (const std::bad_alloc&) {
    }
}

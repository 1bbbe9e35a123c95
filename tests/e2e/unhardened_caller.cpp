// A program that skips the hardening OrvaLoopback.exe does first: it loads
// the system's FirewallAPI.dll and makes one call into it, so that the
// end-to-end tests can compare what a DLL loaded by name during that call
// finds here with what the same load finds inside the program. The call is
// the one that hands nothing out. Exit code 0 once the call is made, 1 when
// the DLL or the function is missing.
#include <windows.h>

#include <memory>

namespace {

struct ModuleFreer {
    using pointer = HMODULE;
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

using FreeAppContainersFunction = DWORD WINAPI(void* appContainers);

} // namespace

int wmain()
{
    const std::unique_ptr<HINSTANCE__, ModuleFreer> module(
        LoadLibraryExW(L"FirewallAPI.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!module) {
        return 1;
    }
    auto* freeAppContainers = reinterpret_cast<FreeAppContainersFunction*>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "NetworkIsolationFreeAppContainers")));
    if (!freeAppContainers) {
        return 1;
    }
    freeAppContainers(nullptr);
    return 0;
}

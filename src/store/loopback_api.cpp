#include "store/loopback_api.h"

LoopbackApi loopbackApi;

namespace {

template <typename Function>
Function* lookUp(HMODULE module, const char* name)
{
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

bool bindLoopbackApi()
{
    if (!loopbackApi.module) {
        // The program runs elevated: a FirewallAPI.dll planted beside it (in a
        // downloads folder, say) must never be the one that gets loaded.
        loopbackApi.module.reset(LoadLibraryExW(L"FirewallAPI.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
        if (!loopbackApi.module) {
            return false;
        }
        HMODULE module = loopbackApi.module.get();
        loopbackApi.enumAppContainers = lookUp<EnumAppContainersFunction>(module, "NetworkIsolationEnumAppContainers");
        loopbackApi.freeAppContainers = lookUp<FreeAppContainersFunction>(module, "NetworkIsolationFreeAppContainers");
        loopbackApi.getAppContainerConfig =
            lookUp<GetAppContainerConfigFunction>(module, "NetworkIsolationGetAppContainerConfig");
        loopbackApi.setAppContainerConfig =
            lookUp<SetAppContainerConfigFunction>(module, "NetworkIsolationSetAppContainerConfig");
    }
    return loopbackApi.enumAppContainers && loopbackApi.freeAppContainers && loopbackApi.getAppContainerConfig &&
           loopbackApi.setAppContainerConfig;
}

LoopbackApi copyOfLoopbackApi()
{
    LoopbackApi copy;
    HMODULE module = nullptr;
    // A module's handle is its base address, which lies in it.
    if (loopbackApi.module && GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                                 reinterpret_cast<LPCWSTR>(loopbackApi.module.get()), &module)) {
        copy.module.reset(module);
    }
    copy.enumAppContainers = loopbackApi.enumAppContainers;
    copy.freeAppContainers = loopbackApi.freeAppContainers;
    copy.getAppContainerConfig = loopbackApi.getAppContainerConfig;
    copy.setAppContainerConfig = loopbackApi.setAppContainerConfig;
    return copy;
}

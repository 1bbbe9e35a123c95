#include "simulated_store.h"

#include "store/loopback_api.h"

#include <windows.h>

#include <fstream>

bool useSimulatedStore(const std::string& storeText, const wchar_t* fileName)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring storePath = path;
    storePath = storePath.substr(0, storePath.find_last_of(L'\\') + 1) + fileName;
    std::ofstream(storePath.c_str(), std::ios::binary | std::ios::trunc) << storeText;
    SetEnvironmentVariableW(L"ORVA_LOOPBACK_STORE", storePath.c_str());
    loopbackApi.enumAppContainers = nullptr;
    loopbackApi.freeAppContainers = nullptr;
    loopbackApi.getAppContainerConfig = nullptr;
    loopbackApi.setAppContainerConfig = nullptr;
    loopbackApi.module.reset();
    return bindLoopbackApi();
}

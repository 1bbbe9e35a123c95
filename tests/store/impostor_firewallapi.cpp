// A FirewallAPI.dll that must never be loaded: the tests put it beside the
// test executable and into the system directory to see which one binds.
#include <windows.h>

extern "C" {

DWORD WINAPI NetworkIsolationEnumAppContainers(DWORD, DWORD*, void**)
{
    return ERROR_ACCESS_DENIED;
}

DWORD WINAPI NetworkIsolationFreeAppContainers(void*)
{
    return ERROR_SUCCESS;
}

DWORD WINAPI NetworkIsolationGetAppContainerConfig(DWORD*, void**)
{
    return ERROR_ACCESS_DENIED;
}

DWORD WINAPI NetworkIsolationSetAppContainerConfig(DWORD, void*)
{
    return ERROR_ACCESS_DENIED;
}
}

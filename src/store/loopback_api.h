#pragma once

#include "model/network_isolation.h"
#include "model/owners.h"

// The process-wide binding to FirewallAPI.dll. The module is released when
// the process exits. A table whose module is already set is not looked up
// again, so whoever sets it (a test, say) also supplies the four functions.
struct LoopbackApi {
    OwnedModule module;
    EnumAppContainersFunction* enumAppContainers = nullptr;
    FreeAppContainersFunction* freeAppContainers = nullptr;
    GetAppContainerConfigFunction* getAppContainerConfig = nullptr;
    SetAppContainerConfigFunction* setAppContainerConfig = nullptr;
};

extern LoopbackApi loopbackApi;

// Loads FirewallAPI.dll on first use (again after a failed load) and reports
// whether all four functions are available.
bool bindLoopbackApi();

// The binding as a worker takes it along: the four functions, and a
// reference of its own on their module, which keeps the module loaded while
// the worker may still be inside it, even when the window has closed and the
// process releases its binding at exit.
LoopbackApi copyOfLoopbackApi();

#pragma once

#include "synthetic_catalog.h"

#include "model/network_isolation.h"

#include <windows.h>

#include <vector>

// Binds the program's four network isolation functions to a catalog whose
// records are built up front, so that a timed load spends next to nothing in
// them: what the system's enumeration costs is not the program's work. The
// time spent inside the four calls is kept all the same, to be set apart.
// One store is bound at a time; the binding goes with it.
class PrebuiltStore {
public:
    explicit PrebuiltStore(SyntheticCatalog catalog);
    PrebuiltStore(const PrebuiltStore&) = delete;
    PrebuiltStore& operator=(const PrebuiltStore&) = delete;
    ~PrebuiltStore();

    const SyntheticCatalog& catalog() const { return catalog_; }

    // Milliseconds spent inside the four functions since the last reset.
    double callMilliseconds() const { return callMilliseconds_; }
    void resetCallTime() { callMilliseconds_ = 0.0; }

private:
    friend struct PrebuiltStoreCalls;

    SyntheticCatalog catalog_;
    std::vector<std::vector<BYTE>> appSids_;
    std::vector<std::vector<BYTE>> exemptionSids_;
    std::vector<INET_FIREWALL_APP_CONTAINER> records_;
    double callMilliseconds_ = 0.0;
};

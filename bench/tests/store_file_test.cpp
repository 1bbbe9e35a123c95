// The start-up benchmark hands its synthetic machine to the simulated
// FirewallAPI.dll as a state file; the simulation's own parser must take it
// whole, or the program would start with fewer apps, or none, than the table
// says.

#include "synthetic_catalog.h"

#include "parse_store.h"

#include <gtest/gtest.h>

namespace {

TEST(StoreFile, TheSimulationReadsEveryAppAndExemption)
{
    const SyntheticCatalog catalog = makeSyntheticCatalog(300);
    StoreContents contents;
    ASSERT_EQ(parseStore(storeFileText(catalog), contents), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(contents.apps.size(), catalog.apps.size());
    EXPECT_EQ(contents.exemptions.size(), catalog.exemptions.size());
    for (std::size_t i = 0; i < catalog.apps.size(); ++i) {
        EXPECT_EQ(contents.apps[i].displayName, catalog.apps[i].displayName) << i;
        EXPECT_EQ(contents.apps[i].containerName, catalog.apps[i].containerName) << i;
        EXPECT_EQ(contents.apps[i].packageFullName, catalog.apps[i].packageFullName) << i;
        EXPECT_FALSE(contents.apps[i].sid.empty()) << i;
    }
}

} // namespace

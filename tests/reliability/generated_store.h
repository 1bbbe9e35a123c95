#pragma once

#include "support/fake_network_isolation.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// SplitMix64: the same numbers for a seed with every compiler and library,
// which the standard distributions do not promise.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) { }
    std::uint64_t next();
    // 0 when bound is 0.
    std::size_t below(std::size_t bound);
    bool percent(unsigned chance) { return below(100) < chance; }

private:
    std::uint64_t state_;
};

// One enumeration record, with what the program is expected to make of it.
struct GeneratedApp {
    FakeAppContainer record;
    // The SID's text form; empty when the record has no SID or one without text.
    std::wstring sid;
    std::wstring expectedName;
    bool recommended = false;
    // Recommended as the package itself rather than by its name.
    bool packageMatch = false;
};

// A machine: the AppContainers and the exemption list.
struct GeneratedStore {
    std::vector<GeneratedApp> apps;
    std::vector<FakeSid> exemptions;
    bool enumerationNullArray = false;
    bool configNullArray = false;

    void install(FakeNetworkIsolation& fake) const;
    // What a successful write leaves on the machine.
    void replaceExemptions(const WrittenList& written);
};

struct ExpectedEntry {
    std::wstring name;
    std::wstring container;
    bool recommended = false;
    bool exempt = false;
    // The state the last load or save left; exempt differs once the user changed it.
    bool baseline = false;
    bool packageMatch = false;
};

// What a load of the store must give, derived from the generator's records
// rather than from the program.
struct ExpectedCatalog {
    std::map<std::wstring, ExpectedEntry> entries; // by SID text
    std::vector<std::wstring> preserved;
    std::vector<std::string> retained; // in hex, sorted, each once
};
ExpectedCatalog expectedCatalog(const GeneratedStore& store);
// What a successful save leaves: the user's changes on top of the store's
// exemption list as it is now, derived independently of the program.
void mergeSavedList(ExpectedCatalog& catalog, const GeneratedStore& store);

// Unreadable SIDs are compared in hex, which also reads well in a failure.
std::string hexOf(const std::vector<BYTE>& bytes);
std::vector<std::string> sortedHex(const std::vector<std::vector<BYTE>>& sids);

class StoreGenerator {
public:
    // `resourceModule` holds the strings 201 and 202 that indirect names resolve to.
    StoreGenerator(Random& random, std::wstring resourceModule);

    GeneratedStore store(std::size_t appCount);
    // An outside change between two loads: installs, removals and another
    // tool's edits of the exemption list.
    void change(GeneratedStore& store);
    std::wstring searchText(const ExpectedCatalog& catalog);
    std::vector<BYTE> unconvertibleSid();

private:
    GeneratedApp app();
    FakeSid exemption(const GeneratedStore& store);
    std::wstring word();
    std::wstring name();
    std::wstring container();
    std::wstring withRandomCase(std::wstring text);

    Random& random_;
    std::wstring resourceModule_;
    unsigned nextSidNumber_ = 1;
    bool bigCatalog_ = false;
};

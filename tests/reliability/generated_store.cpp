#include "reliability/generated_store.h"
#include "support/program_texts.h"

#include <algorithm>
#include <iterator>
#include <set>

std::string hexOf(const std::vector<BYTE>& bytes)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (BYTE byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

std::vector<std::string> sortedHex(const std::vector<std::vector<BYTE>>& sids)
{
    std::vector<std::string> texts;
    for (const std::vector<BYTE>& sid : sids) {
        texts.push_back(hexOf(sid));
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::uint64_t Random::next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::size_t Random::below(std::size_t bound)
{
    return bound == 0 ? 0 : static_cast<std::size_t>(next() % bound);
}

void GeneratedStore::install(FakeNetworkIsolation& fake) const
{
    fake.appContainers.clear();
    for (const GeneratedApp& app : apps) {
        fake.appContainers.push_back(app.record);
    }
    fake.configuredSids = exemptions;
    fake.enumerationReturnsNullArray = enumerationNullArray;
    fake.configReturnsNullArray = configNullArray;
}

void GeneratedStore::replaceExemptions(const WrittenList& written)
{
    exemptions.clear();
    for (const WrittenSid& sid : written.sids) {
        exemptions.push_back(sid.text.empty() ? FakeSid::raw(sid.bytes) : FakeSid::of(sid.text));
    }
    configNullArray = false;
}

namespace {

struct ListedSids {
    std::set<std::wstring> texts;
    std::set<std::string> unconvertible;
};

ListedSids listedSids(const GeneratedStore& store)
{
    ListedSids listed;
    for (const FakeSid& sid : store.configNullArray ? std::vector<FakeSid>{} : store.exemptions) {
        if (sid.kind == FakeSid::Kind::text) {
            listed.texts.insert(sid.text);
        } else if (sid.kind == FakeSid::Kind::raw) {
            listed.unconvertible.insert(hexOf(sid.bytes));
        }
    }
    return listed;
}

void keepUnmatched(ExpectedCatalog& catalog, const ListedSids& listed)
{
    catalog.preserved.clear();
    for (const std::wstring& sid : listed.texts) {
        if (catalog.entries.count(sid) == 0) {
            catalog.preserved.push_back(sid);
        }
    }
    catalog.retained.assign(listed.unconvertible.begin(), listed.unconvertible.end());
}

} // namespace

ExpectedCatalog expectedCatalog(const GeneratedStore& store)
{
    const ListedSids listed = listedSids(store);
    ExpectedCatalog catalog;
    for (const GeneratedApp& app : store.enumerationNullArray ? std::vector<GeneratedApp>{} : store.apps) {
        // The first record of a SID is the one that counts.
        if (!app.sid.empty() && catalog.entries.count(app.sid) == 0) {
            const bool exempt = listed.texts.count(app.sid) != 0;
            catalog.entries[app.sid] = ExpectedEntry{app.expectedName, app.record.containerName.value_or(L""),
                                                     app.recommended, exempt, exempt, app.packageMatch};
        }
    }
    keepUnmatched(catalog, listed);
    return catalog;
}

void mergeSavedList(ExpectedCatalog& catalog, const GeneratedStore& store)
{
    const ListedSids listed = listedSids(store);
    for (auto& [sid, entry] : catalog.entries) {
        if (entry.exempt == entry.baseline) {
            entry.exempt = listed.texts.count(sid) != 0;
        }
        entry.baseline = entry.exempt;
    }
    keepUnmatched(catalog, listed);
}

StoreGenerator::StoreGenerator(Random& random, std::wstring resourceModule)
    : random_(random), resourceModule_(std::move(resourceModule))
{
}

std::wstring StoreGenerator::withRandomCase(std::wstring text)
{
    for (wchar_t& unit : text) {
        if (random_.percent(35)) {
            if (unit >= L'a' && unit <= L'z') {
                unit = static_cast<wchar_t>(unit - L'a' + L'A');
            } else if (unit >= L'A' && unit <= L'Z') {
                unit = static_cast<wchar_t>(unit - L'A' + L'a');
            }
        }
    }
    return text;
}

// Syllables without c, g or x cannot spell the words that make an app the
// recommended one, so only the records built for that purpose are.
std::wstring StoreGenerator::word()
{
    static constexpr const wchar_t* syllables[] = {L"al", L"be", L"ta", L"zu", L"ne", L"mo",  L"ri",
                                                   L"po", L"ka", L"ve", L"si", L"lu", L"dor", L"fin"};
    std::wstring text;
    for (std::size_t count = 1 + random_.below(3); count > 0; --count) {
        text += syllables[random_.below(std::size(syllables))];
    }
    return withRandomCase(text);
}

std::wstring StoreGenerator::name()
{
    switch (random_.below(12)) {
    case 0:
        return word() + L" " + word();
    case 1:
        return std::wstring(L"计算器照片邮件地图").substr(random_.below(7), 1 + random_.below(2)) + word();
    case 2:
        return L"\u00C9" + word() + L"\u03A9\uFF21"; // folded by no rule of the program
    case 3:
        return word() + L'\xD800' + word() + L'\xDC00';
    case 4:
        return word() + L"\t" + word() + L"\r\n\x01\x7F";
    case 5:
        return L"%s%n%1 " + word() + L" 100%";
    case 6:
        return word() + L" & " + word() + L"&&";
    case 7:
        if (!bigCatalog_ && random_.percent(20)) {
            return std::wstring(100000, random_.percent(50) ? L'W' : L'm') + word();
        }
        return word();
    default:
        return word();
    }
}

std::wstring StoreGenerator::container()
{
    switch (random_.below(10)) {
    case 0:
        return L"";
    case 1:
        return name();
    default:
        return L"Pkg." + word() + L"_" + std::to_wstring(random_.next() % 100000000);
    }
}

std::vector<BYTE> StoreGenerator::unconvertibleSid()
{
    // Wrong revisions, or revision 1 with more sub-authorities than a SID may have.
    static constexpr BYTE revisions[] = {0, 2, 3, 255};
    const bool wrongRevision = random_.percent(75);
    const BYTE count = static_cast<BYTE>(wrongRevision ? 1 + random_.below(5) : 16 + random_.below(4));
    std::vector<BYTE> bytes{wrongRevision ? revisions[random_.below(4)] : BYTE{1}, count, 0, 0, 0, 0, 0, 15};
    for (int i = 0; i < 4 * count; ++i) {
        bytes.push_back(static_cast<BYTE>(random_.below(256)));
    }
    return bytes;
}

GeneratedApp StoreGenerator::app()
{
    GeneratedApp app;
    const std::size_t sidKind = random_.below(100);
    if (sidKind < 5) {
        app.record.sid = FakeSid::none();
    } else if (sidKind < 10) {
        app.record.sid = FakeSid::raw(unconvertibleSid());
    } else {
        app.sid = appContainerSid(nextSidNumber_++);
        app.record.sid = FakeSid::of(app.sid);
    }

    if (!random_.percent(8)) {
        app.record.containerName = container();
    }
    std::wstring resolvedName;
    const std::size_t nameKind = random_.below(100);
    if (nameKind < 6) {
        app.record.displayName = std::nullopt;
    } else if (nameKind < 10) {
        app.record.displayName = L"";
    } else if (nameKind < 15) {
        const bool calculator = random_.percent(50);
        app.record.displayName = L"@" + resourceModule_ + (calculator ? L",-201" : L",-202");
        resolvedName = calculator ? L"计算器" : L"Microsoft Photos";
    } else if (nameKind < 19) {
        app.record.displayName =
            random_.percent(50) ? L"@Z:\\no\\such\\module.dll,-201" : L"@" + resourceModule_ + L",-999";
    } else {
        app.record.displayName = name();
        resolvedName = *app.record.displayName;
    }
    if (random_.percent(10)) {
        app.record.packageFullName = L"Pkg." + word() + L"_1.0.0.0_x64__" + std::to_wstring(random_.below(1000));
    }

    if (random_.percent(6)) {
        app.recommended = true;
        switch (random_.below(3)) {
        case 0:
            app.record.containerName = withRandomCase(L"OpenAI.Codex_2p2nqsd0c76g0");
            app.packageMatch = true;
            break;
        case 1:
            resolvedName = withRandomCase(L"ChatGPT");
            app.record.displayName = resolvedName;
            break;
        default:
            app.record.packageFullName = withRandomCase(L"OpenAI.Codex_1.2.3.0_x64__2p2nqsd0c76g0");
            app.packageMatch = true;
            break;
        }
    }

    const std::wstring containerName = app.record.containerName.value_or(L"");
    app.expectedName = !resolvedName.empty() ? resolvedName : !containerName.empty() ? containerName : texts::unnamedApp;
    return app;
}

FakeSid StoreGenerator::exemption(const GeneratedStore& store)
{
    const std::size_t kind = random_.below(100);
    if (kind < 45 && !store.apps.empty()) {
        const GeneratedApp& app = store.apps[random_.below(store.apps.size())];
        if (app.record.sid.kind != FakeSid::Kind::none) {
            return app.record.sid;
        }
    }
    if (kind < 65) {
        return FakeSid::of(appContainerSid(nextSidNumber_++)); // no installed app has it
    }
    if (kind < 75 && !store.exemptions.empty()) {
        return store.exemptions[random_.below(store.exemptions.size())];
    }
    if (kind < 90) {
        return FakeSid::raw(unconvertibleSid());
    }
    return FakeSid::none();
}

GeneratedStore StoreGenerator::store(std::size_t appCount)
{
    bigCatalog_ = appCount > 1000;
    GeneratedStore store;
    for (std::size_t i = 0; i < appCount; ++i) {
        GeneratedApp next = app();
        if (!store.apps.empty() && random_.percent(4)) {
            const GeneratedApp& earlier = store.apps[random_.below(store.apps.size())];
            next.sid = earlier.sid;
            next.record.sid = earlier.record.sid;
        }
        if (!store.apps.empty() && !next.recommended && random_.percent(6)) {
            // The name of an earlier app in other ASCII case: equal in display order.
            const GeneratedApp& earlier = store.apps[random_.below(store.apps.size())];
            const std::wstring earlierName = earlier.record.displayName.value_or(L"");
            if (!earlier.recommended && !earlierName.empty() && earlierName[0] != L'@') {
                next.record.displayName = withRandomCase(earlierName);
                next.expectedName = *next.record.displayName;
            }
        }
        store.apps.push_back(std::move(next));
    }
    for (std::size_t count = random_.below(std::min<std::size_t>(appCount, 25) + 6); count > 0; --count) {
        store.exemptions.push_back(exemption(store));
    }
    store.enumerationNullArray = store.apps.empty() && random_.percent(30);
    store.configNullArray = store.exemptions.empty() && random_.percent(30);
    return store;
}

void StoreGenerator::change(GeneratedStore& store)
{
    for (std::size_t count = random_.below(4); count > 0; --count) {
        store.apps.insert(store.apps.begin() + static_cast<std::ptrdiff_t>(random_.below(store.apps.size() + 1)),
                          app());
    }
    for (std::size_t count = random_.below(3); count > 0 && !store.apps.empty(); --count) {
        store.apps.erase(store.apps.begin() + static_cast<std::ptrdiff_t>(random_.below(store.apps.size())));
    }
    if (!store.apps.empty() && random_.percent(40)) {
        // The same package under a new name.
        GeneratedApp& renamed = store.apps[random_.below(store.apps.size())];
        GeneratedApp replacement = app();
        replacement.sid = renamed.sid;
        replacement.record.sid = renamed.record.sid;
        renamed = std::move(replacement);
    }
    for (std::size_t count = random_.below(3); count > 0; --count) {
        store.exemptions.push_back(exemption(store));
    }
    for (std::size_t count = random_.below(3); count > 0 && !store.exemptions.empty(); --count) {
        store.exemptions.erase(store.exemptions.begin() +
                               static_cast<std::ptrdiff_t>(random_.below(store.exemptions.size())));
    }
    store.enumerationNullArray = store.apps.empty() && random_.percent(30);
    store.configNullArray = store.exemptions.empty() && random_.percent(30);
}

std::wstring StoreGenerator::searchText(const ExpectedCatalog& catalog)
{
    const std::size_t kind = random_.below(100);
    const auto someEntry = [&]() -> const ExpectedEntry* {
        if (catalog.entries.empty()) {
            return nullptr;
        }
        return &std::next(catalog.entries.begin(), static_cast<std::ptrdiff_t>(random_.below(catalog.entries.size())))
                    ->second;
    };
    if (kind < 25) {
        return L"";
    }
    if (kind < 55) {
        if (const ExpectedEntry* entry = someEntry()) {
            const std::wstring& source =
                random_.percent(70) || entry->container.empty() ? entry->name : entry->container;
            // From the start now and then, where the accented and fullwidth letters are.
            const std::size_t start = random_.percent(30) ? 0 : random_.below(source.size());
            const std::wstring part = withRandomCase(source.substr(start, 1 + random_.below(8)));
            // Pasted with spaces around, or typed after an IME's full-width space.
            return random_.percent(20) ? L"\x3000" + part + L"  " : part;
        }
        return word();
    }
    if (kind < 65) {
        return word();
    }
    if (kind < 75) {
        static constexpr const wchar_t* odd[] = {L"%s", L"%n%1", L"&", L"\t", L"\x01", L"100%", L"\xD800"};
        return odd[random_.below(std::size(odd))];
    }
    if (kind < 85) {
        return name();
    }
    if (const ExpectedEntry* entry = someEntry(); entry && kind < 95) {
        // Only the first 255 units count; what follows matches nothing.
        return entry->name.substr(0, 255) + std::wstring(300 + random_.below(3000), L'q');
    }
    return std::wstring(255, L'W') + L"tail";
}

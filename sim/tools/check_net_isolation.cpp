// Stands in for CheckNetIsolation.exe, which Wine does not have, in the tests
// of the round trip (tests/roundtrip/): `LoopbackExempt -s` prints the
// simulated system's loopback exemption list, the store file that
// ORVA_LOOPBACK_STORE names, in CheckNetIsolation's layout: a numbered block
// per exemption with the AppContainer's name ("AppContainer NOT FOUND" for a
// SID no app has) and its SID, then "OK.". A SID without a text form is left
// out. ORVA_CHECK_NET_ISOLATION_STORE, when set, names another store file to
// print, so that a test can make this list differ from the one the DLL gives.
//
//   check_net_isolation.exe LoopbackExempt -s
//
// Exit code 0 after the list, 1 when the store cannot be read, 2 for any other
// command line.

#include "store_file.h"
#include "utf8.h"

#include "model/owners.h"

#include <sddl.h>

#include <cwchar>
#include <string>

namespace {

std::wstring environmentVariable(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

std::wstring sidText(const SidBytes& sid)
{
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(const_cast<BYTE*>(sid.data()), &text)) {
        return {};
    }
    const LocalText owner(text);
    return text;
}

std::wstring containerNameOf(const StoreContents& store, const SidBytes& sid)
{
    for (const StoredApp& app : store.apps) {
        if (app.sid == sid && app.containerName) {
            return *app.containerName;
        }
    }
    return L"AppContainer NOT FOUND";
}

void print(const std::wstring& text)
{
    const std::string bytes = toUtf8(text);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3 || _wcsicmp(argv[1], L"LoopbackExempt") != 0 || _wcsicmp(argv[2], L"-s") != 0) {
        print(L"usage: check_net_isolation.exe LoopbackExempt -s\r\n");
        return 2;
    }
    if (const std::wstring other = environmentVariable(L"ORVA_CHECK_NET_ISOLATION_STORE"); !other.empty()) {
        SetEnvironmentVariableW(L"ORVA_LOOPBACK_STORE", other.c_str());
    }
    StoreContents store;
    if (const DWORD result = readStore(store); result != ERROR_SUCCESS) {
        print(L"Failed to read the loopback exemption list: " + std::to_wstring(result) + L"\r\n");
        return 1;
    }
    std::wstring listing = L"\r\nList Loopback Exempted AppContainers\r\n\r\n";
    int number = 0;
    for (const SidBytes& sid : store.exemptions) {
        const std::wstring text = sidText(sid);
        if (text.empty()) {
            continue;
        }
        listing += L"[" + std::to_wstring(++number) +
                   L"] -----------------------------------------------------------------\r\n";
        listing += L"    Name: " + containerNameOf(store, sid) + L"\r\n";
        listing += L"    SID:  " + text + L"\r\n\r\n";
    }
    print(listing + L"OK.\r\n");
    return 0;
}

#include "store_file.h"

#include "owned_file.h"
#include "parse_store.h"
#include "replace_file.h"
#include "sid_bytes.h"

namespace {

// A copy built for the tests that plant a look-alike DLL reads its own
// variable, so that whichever copy the program loads shows in its list.
#ifdef FIREWALL_SIM_PLANTED
constexpr wchar_t storeVariable[] = L"ORVA_PLANTED_STORE";
#else
constexpr wchar_t storeVariable[] = L"ORVA_LOOPBACK_STORE";
#endif

// Larger files are not state files of this simulation.
constexpr LONGLONG maximumStoreSize = 16 * 1024 * 1024;

DWORD storePath(std::wstring& path)
{
    const DWORD length = GetEnvironmentVariableW(storeVariable, nullptr, 0);
    if (length == 0) {
        return ERROR_FILE_NOT_FOUND;
    }
    path.assign(length, L'\0');
    const DWORD copied = GetEnvironmentVariableW(storeVariable, path.data(), length);
    if (copied == 0 || copied >= length) {
        return ERROR_FILE_NOT_FOUND;
    }
    path.resize(copied);
    return ERROR_SUCCESS;
}

DWORD readBytes(const std::wstring& path, std::string& bytes)
{
    HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    const OwnedFile file(opened);
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size)) {
        return GetLastError();
    }
    if (size.QuadPart > maximumStoreSize) {
        return ERROR_INVALID_DATA;
    }
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &read, nullptr)) {
            return GetLastError();
        }
        if (read == 0) {
            break;
        }
        filled += read;
    }
    bytes.resize(filled);
    return ERROR_SUCCESS;
}

} // namespace

DWORD readStore(StoreContents& contents)
{
    std::wstring path;
    std::string bytes;
    DWORD result = storePath(path);
    if (result == ERROR_SUCCESS) {
        result = readBytes(path, bytes);
    }
    if (result == ERROR_SUCCESS) {
        result = parseStore(bytes, contents);
    }
    return result;
}

DWORD writeExemptions(const StoreContents& contents, const std::vector<SidBytes>& exemptions)
{
    std::wstring path;
    if (const DWORD result = storePath(path); result != ERROR_SUCCESS) {
        return result;
    }
    std::string replacement;
    for (const SidBytes& sid : exemptions) {
        replacement += exemptionLine(sid);
        replacement += '\n';
    }
    std::string bytes;
    bool replaced = false;
    for (std::size_t i = 0; i < contents.lines.size(); ++i) {
        if (!contents.isExemptionLine[i]) {
            bytes += contents.lines[i];
            bytes += '\n';
        } else if (!replaced) {
            bytes += replacement;
            replaced = true;
        }
    }
    if (!replaced) {
        bytes += replacement;
    }
    return replaceFile(path, bytes);
}

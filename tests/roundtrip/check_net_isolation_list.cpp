#include "check_net_isolation_list.h"

#include "e2e/driver/owned_handle.h"
#include "model/owners.h"

#include <windows.h>
#include <sddl.h>

#include <cwctype>

namespace {

constexpr DWORD patienceMilliseconds = 60000;

// UTF-16 text keeps its ASCII, which is all a SID or an error is read for,
// once its zero bytes go.
std::wstring asciiOf(std::string_view bytes)
{
    std::wstring text;
    for (char byte : bytes) {
        if (byte != '\0') {
            text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
        }
    }
    return text;
}

std::optional<std::wstring> canonicalSid(const std::wstring& text)
{
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(text.c_str(), &sid)) {
        return std::nullopt;
    }
    const LocalSid ownedSid(sid);
    wchar_t* canonical = nullptr;
    if (!ConvertSidToStringSidW(sid, &canonical)) {
        return std::nullopt;
    }
    const LocalText ownedText(canonical);
    return std::wstring(canonical);
}

std::string readAll(HANDLE pipe)
{
    std::string output;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        output.append(buffer, read);
    }
    return output;
}

} // namespace

std::set<std::wstring> sidsInListing(std::string_view output)
{
    const std::wstring text = asciiOf(output);
    std::set<std::wstring> sids;
    std::wstring token;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const wchar_t character = i < text.size() ? text[i] : L' ';
        if (std::iswalnum(character) || character == L'-') {
            token += character;
            continue;
        }
        if (token.rfind(L"S-1-", 0) == 0) {
            if (std::optional<std::wstring> sid = canonicalSid(token)) {
                sids.insert(std::move(*sid));
            }
        }
        token.clear();
    }
    return sids;
}

CheckNetIsolationListing listLoopbackExemptions(const std::wstring& tool)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return {L"CreatePipe failed with " + std::to_wstring(GetLastError()), {}};
    }
    const OwnedHandle reader(readEnd);
    OwnedHandle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring commandLine = L"\"" + tool + L"\" LoopbackExempt -s";
    PROCESS_INFORMATION created = {};
    if (!CreateProcessW(tool.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &created)) {
        return {L"starting " + tool + L" failed with " + std::to_wstring(GetLastError()), {}};
    }
    const OwnedHandle process(created.hProcess);
    const OwnedHandle thread(created.hThread);
    // Only the tool may hold the write end now, so that the read ends with it.
    writer.reset();
    const std::string output = readAll(reader.get());

    DWORD exitCode = 0;
    if (WaitForSingleObject(process.get(), patienceMilliseconds) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.get(), &exitCode)) {
        return {L"CheckNetIsolation did not end", {}};
    }
    if (exitCode != 0) {
        return {L"CheckNetIsolation ended with exit code " + std::to_wstring(exitCode) + L": " + asciiOf(output), {}};
    }
    return {{}, sidsInListing(output)};
}

std::wstring systemCheckNetIsolation()
{
    wchar_t directory[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    return std::wstring(directory, length < MAX_PATH ? length : 0) + L"\\CheckNetIsolation.exe";
}

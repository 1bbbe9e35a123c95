#include "driver/program_run.h"

#include "driver/wait_until.h"
#include "model/control_ids.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <utility>

namespace {

constexpr wchar_t mainWindowClass[] = L"OrvaLoopbackWindow";

bool sameName(const std::wstring& left, const std::wstring& right)
{
    return CompareStringOrdinal(left.c_str(), -1, right.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The test's own environment with `overrides` replacing or adding variables,
// as the double-null-terminated block CreateProcessW takes.
std::wstring environmentBlock(const EnvironmentOverrides& overrides)
{
    struct EnvironmentFreer {
        void operator()(wchar_t* block) const { FreeEnvironmentStringsW(block); }
    };
    const std::unique_ptr<wchar_t, EnvironmentFreer> current(GetEnvironmentStringsW());
    std::wstring block;
    for (const wchar_t* entry = current.get(); *entry; entry += wcslen(entry) + 1) {
        const std::wstring text(entry);
        const std::wstring name = text.substr(0, text.find(L'=', 1));
        bool replaced = false;
        for (const auto& [overrideName, value] : overrides) {
            replaced = replaced || sameName(name, overrideName);
        }
        if (!replaced) {
            block += text;
            block += L'\0';
        }
    }
    for (const auto& [name, value] : overrides) {
        block += name + L"=" + value;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

struct StartedProcess {
    OwnedHandle process;
    OwnedHandle thread;
    DWORD processId = 0;
};

// Null handles (and a failure added to the test) when it could not be started.
StartedProcess createProcess(const std::wstring& program, const EnvironmentOverrides& overrides,
                             const std::wstring& desktop = {}, const std::wstring& arguments = {})
{
    std::wstring environment = environmentBlock(overrides);
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    std::wstring desktopName = desktop;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.lpDesktop = desktopName.empty() ? nullptr : desktopName.data();
    PROCESS_INFORMATION created = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        environment.data(), nullptr, &startup, &created)) {
        ADD_FAILURE() << "CreateProcessW failed with " << GetLastError();
        return {};
    }
    return {OwnedHandle(created.hProcess), OwnedHandle(created.hThread), created.dwProcessId};
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK matchMainWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (owner == search->processId && wcscmp(className, mainWindowClass) == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

ProgramRun::~ProgramRun()
{
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
}

bool ProgramRun::start(const std::wstring& program, const EnvironmentOverrides& overrides, const std::wstring& desktop)
{
    StartedProcess started = createProcess(program, overrides, desktop);
    if (!started.process) {
        return false;
    }
    process_ = std::move(started.process);
    processId_ = started.processId;

    WindowSearch search = {processId_, nullptr};
    const bool shown = waitUntil([&] {
        EnumWindows(matchMainWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
    }, 20000);
    window_ = search.found;
    if (!shown || !window_) {
        ADD_FAILURE() << "the program's window did not appear";
        return false;
    }
    if (!waitUntil([&] { return IsWindowEnabled(control(refreshButtonId)) != FALSE; }, 20000)) {
        ADD_FAILURE() << "the program's first read did not end";
        return false;
    }
    return true;
}

HWND ProgramRun::control(int id) const
{
    return GetDlgItem(window_, id);
}

std::optional<DWORD> ProgramRun::waitForExit(DWORD timeoutMs) const
{
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process_.get(), &exitCode);
    return exitCode;
}

std::optional<DWORD> runToExit(const std::wstring& program, const EnvironmentOverrides& overrides, DWORD timeoutMs,
                               const std::wstring& arguments)
{
    const StartedProcess started = createProcess(program, overrides, {}, arguments);
    if (!started.process) {
        return std::nullopt;
    }
    if (WaitForSingleObject(started.process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(started.process.get(), 1);
        ADD_FAILURE() << "the program did not end within " << timeoutMs << " ms";
        return std::nullopt;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(started.process.get(), &exitCode);
    return exitCode;
}

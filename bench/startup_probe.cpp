#include "startup_probe.h"

#include "timing.h"

#include "model/window_table.h"

#include <memory>

namespace {

constexpr DWORD patienceMilliseconds = 10000;

struct HandleCloser {
    using pointer = HANDLE;
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

HWND visibleWindowOf(DWORD processId, const wchar_t* windowClass)
{
    for (HWND window = FindWindowExW(nullptr, nullptr, windowClass, nullptr); window;
         window = FindWindowExW(nullptr, window, windowClass, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

bool paintedAndWaiting(HWND window)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, patienceMilliseconds, &ignored) != 0 &&
           !GetUpdateRect(window, nullptr, FALSE);
}

std::wstring textOf(HWND control)
{
    wchar_t buffer[256] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                        patienceMilliseconds, &ignored);
    return buffer;
}

// "正在读取应用…", or the count of names read so far.
bool saysItReads(const std::wstring& status)
{
    return status == texts::loading || status.rfind(texts::loadingNamesBeforeCount, 0) == 0;
}

} // namespace

std::optional<StartupResult> measureStartup(const std::wstring& program, const wchar_t* windowClass,
                                            int statusControlId)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created = {};
    std::wstring commandLine = L"\"" + program + L"\"";
    const LARGE_INTEGER start = counterNow();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &created)) {
        return std::nullopt;
    }
    const OwnedHandle process(created.hProcess);
    const OwnedHandle thread(created.hThread);

    std::optional<StartupResult> result;
    WaitForInputIdle(process.get(), patienceMilliseconds);
    HWND window = nullptr;
    while (millisecondsBetween(start, counterNow()) < patienceMilliseconds) {
        window = visibleWindowOf(created.dwProcessId, windowClass);
        if (window && paintedAndWaiting(window) &&
            (statusControlId == 0 || !saysItReads(textOf(GetDlgItem(window, statusControlId))))) {
            result = StartupResult{millisecondsBetween(start, counterNow()), {}, {}};
            break;
        }
        if (WaitForSingleObject(process.get(), 1) == WAIT_OBJECT_0) {
            return std::nullopt;
        }
    }
    if (result) {
        if (statusControlId != 0) {
            result->status = textOf(GetDlgItem(window, statusControlId));
        }
        result->outline = outlineOf(window);
    }
    if (window) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.get(), patienceMilliseconds) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
    }
    return result;
}

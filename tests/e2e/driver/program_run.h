#pragma once

#include "driver/owned_handle.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

using EnvironmentOverrides = std::vector<std::pair<std::wstring, std::wstring>>;

// One run of OrvaLoopback.exe, seen from outside: its process and its main
// window. A run still going when the test ends is terminated, so that a
// failing test leaves no program behind.
class ProgramRun {
public:
    ProgramRun() = default;
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;
    ~ProgramRun();

    // Starts `program` with the test's environment plus `overrides`, on
    // `desktop` when one is named (the calling thread must be on it too), and
    // waits until its main window is shown and its first read has ended (刷新
    // enabled again). False (with the reason added to the test's failures)
    // when it does not come up.
    bool start(const std::wstring& program, const EnvironmentOverrides& overrides,
               const std::wstring& desktop = {});

    HANDLE process() const { return process_.get(); }
    DWORD processId() const { return processId_; }
    HWND window() const { return window_; }
    HWND control(int id) const;

    // The exit code once the process has ended, nothing on timeout.
    std::optional<DWORD> waitForExit(DWORD timeoutMs = 10000) const;

private:
    OwnedHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// Runs a program that has no window of its own to wait for, with the test's
// environment plus `overrides` and the command line's `arguments`; its exit
// code, or nothing (with the reason added to the test's failures) when it
// does not start or does not end in time.
std::optional<DWORD> runToExit(const std::wstring& program, const EnvironmentOverrides& overrides,
                               DWORD timeoutMs = 20000, const std::wstring& arguments = {});

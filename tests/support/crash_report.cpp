#include "support/crash_report.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

LONG WINAPI reportAndExit(EXCEPTION_POINTERS* exception)
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    char report[512] = {};
    const int length = std::snprintf(
        report, sizeof(report), "Crashed %s%s%s%s: exception 0x%08lX at %p\n", test ? "in " : "outside any test",
        test ? test->test_suite_name() : "", test ? "." : "", test ? test->name() : "",
        static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode),
        exception->ExceptionRecord->ExceptionAddress);
    // Straight to the handle: the crash may have happened inside the C
    // runtime's stream functions, holding the lock a fprintf would wait for.
    if (length > 0) {
        const auto size = static_cast<DWORD>(std::min(length, static_cast<int>(sizeof(report)) - 1));
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), report, size, &written, nullptr);
    }
    // A fixed code rather than the exception's: ctest sees only the low byte
    // of a Windows exit code under Wine, which an exception code may have 0 in.
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

void exitOnCrash()
{
    SetUnhandledExceptionFilter(reportAndExit);
}

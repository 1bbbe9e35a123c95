#include <windows.h>

#include <cstdio>

namespace {

// Wine starts its debugger on an unhandled exception and waits for it, so a
// crash under hostile input would hang the run; the process ends with a
// report instead.
LONG WINAPI reportAndExit(EXCEPTION_POINTERS* exception)
{
    std::fprintf(stderr, "Crashed: exception 0x%08lX at %p\n",
                 static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode),
                 exception->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

struct CrashExit {
    CrashExit() { SetUnhandledExceptionFilter(reportAndExit); }
} const crashExit;

} // namespace

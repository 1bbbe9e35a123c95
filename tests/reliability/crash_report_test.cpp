#include "support/test_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct HandleCloser {
    using pointer = HANDLE;
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// Run only by the test below, in a process of its own. Everything is
// volatile: the compiler may neither see that the pointer is null nor drop
// the write.
TEST(CrashReport, DISABLED_WritesThroughANullPointer)
{
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

// What a second run of this executable wrote to its standard output and
// error, once it has ended.
std::string readBack(HANDLE file)
{
    std::string text;
    LARGE_INTEGER start = {};
    SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    return text;
}

// This executable runs itself with only the crashing case selected.
// gtest_catch_exceptions=0 leaves the crash to the process, as a crash
// outside any test would be (an MSVC build of gtest would catch it itself).
TEST(CrashReport, ACrashEndsTheTestExecutableAtOnceWithTheReportAndExitCodeThree)
{
    const std::wstring outputPath =
        testExecutablePath() + L".crash-report-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
    const OwnedHandle output(CreateFileW(outputPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_NE(output.get(), INVALID_HANDLE_VALUE);

    std::wstring commandLine = L"\"" + testExecutablePath() +
                               L"\" --gtest_filter=CrashReport.DISABLED_WritesThroughANullPointer"
                               L" --gtest_also_run_disabled_tests --gtest_catch_exceptions=0";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION created = {};
    ASSERT_TRUE(CreateProcessW(testExecutablePath().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &startup, &created))
        << GetLastError();
    const OwnedHandle process(created.hProcess);
    const OwnedHandle thread(created.hThread);

    // Far longer than a start under Wine takes; a crash left to Wine's
    // debugger would never end.
    if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        FAIL() << "the crashed run did not end";
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 3u);
    const std::string report = readBack(output.get());
    EXPECT_NE(report.find("Crashed in CrashReport.DISABLED_WritesThroughANullPointer: exception 0xC0000005 at "),
              std::string::npos)
        << report;
}

} // namespace

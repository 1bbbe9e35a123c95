#include "driver/program_test.h"
#include "test_apps.h"

#include <optional>

namespace {

using Closing = ProgramTest;

const std::optional<DWORD> exitCodeZero = 0;

TEST_F(Closing, EscapeEndsTheProgramWithExitCodeZero)
{
    writeStore(testApps::smallStore());
    ASSERT_TRUE(start());
    pressKey(control(recommendedCheckId), VK_ESCAPE);
    EXPECT_EQ(run_.waitForExit(), exitCodeZero);
}

TEST_F(Closing, CloseButtonEndsTheProgramWithExitCodeZero)
{
    writeStore(testApps::smallStore());
    ASSERT_TRUE(start());
    ASSERT_TRUE(setExpanded(true));
    click(control(closeButtonId));
    EXPECT_EQ(run_.waitForExit(), exitCodeZero);
}

TEST_F(Closing, CloseMessageEndsTheProgramWithExitCodeZero)
{
    writeStore(testApps::smallStore());
    ASSERT_TRUE(start());
    PostMessageW(run_.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(run_.waitForExit(), exitCodeZero);
}

// The window answers within 100 ms while the system, slow here, works.
bool answersAtOnce(HWND window)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &ignored) != 0;
}

// A read writes nothing: the program ends at once, its worker left inside
// the system's call.
TEST_F(Closing, ACloseDuringASlowReadEndsTheProgramAtOnceAndWritesNothing)
{
    writeStore(testApps::smallStore("delay 1500\n"));
    const std::string before = storeBytes();
    ASSERT_TRUE(start());
    click(control(refreshButtonId));
    ASSERT_TRUE(statusBecomes(texts::loading));
    EXPECT_TRUE(answersAtOnce(run_.window()));
    EXPECT_FALSE(IsWindowEnabled(control(applyButtonId)));
    PostMessageW(run_.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(run_.waitForExit(2500), exitCodeZero);
    EXPECT_EQ(storeBytes(), before);
}

} // namespace

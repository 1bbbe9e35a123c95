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

} // namespace

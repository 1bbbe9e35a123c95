#include "driver/program_test.h"
#include "test_apps.h"

#include <optional>

namespace {

using namespace testApps;

// A code the system has no message for, shown by its number.
constexpr char unknownCode[] = "0x80071234";
const std::wstring unknownCodeMessage = unknownCodeText(0x80071234);

using WriteFailure = ProgramTest;

TEST_F(WriteFailure, IsReportedInAMessageBoxAndTheStatusLineAndChangesNothing)
{
    writeStore(smallStore("fail set 5\n"));
    const std::string before = storeBytes();
    ASSERT_TRUE(start());
    click(control(recommendedCheckId));
    ASSERT_TRUE(statusBecomes(texts::settingsChanged));
    click(control(applyButtonId));

    HWND box = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (box = findMessageBox(run_.processId())) != nullptr; }));
    EXPECT_EQ(textOf(box), texts::windowCaption);
    EXPECT_EQ(messageBoxText(box), texts::saveFailedBox + systemMessage(ERROR_ACCESS_DENIED));
    EXPECT_EQ(status(), texts::saveFailed + systemMessage(ERROR_ACCESS_DENIED));

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(control(applyButtonId)) != FALSE; }));
    EXPECT_EQ(storeBytes(), before);
}

TEST_F(WriteFailure, CodeWithoutASystemMessageIsShownByItsNumber)
{
    writeStore(smallStore("fail set " + std::string(unknownCode) + "\n"));
    ASSERT_TRUE(start());
    click(control(applyButtonId));

    HWND box = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (box = findMessageBox(run_.processId())) != nullptr; }));
    EXPECT_EQ(messageBoxText(box), std::wstring(texts::saveFailedBox) + unknownCodeMessage);
    EXPECT_EQ(status(), std::wstring(texts::saveFailed) + unknownCodeMessage);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

struct ReadFailureCase {
    const char* name;
    // No file at all when empty.
    std::optional<std::string> store;
    std::wstring expectedStatus;
};

void PrintTo(const ReadFailureCase& failure, std::ostream* out)
{
    *out << failure.name;
}

class ReadFailure : public ProgramTest, public testing::WithParamInterface<ReadFailureCase> {};

TEST_P(ReadFailure, IsShownInTheStatusLineAndLeavesNothingToApply)
{
    if (GetParam().store) {
        writeStore(*GetParam().store);
    }
    ASSERT_TRUE(start());
    EXPECT_TRUE(statusBecomes(GetParam().expectedStatus));
    EXPECT_FALSE(IsWindowEnabled(control(applyButtonId)));
    EXPECT_TRUE(IsWindowEnabled(control(refreshButtonId)));

    // Once the cause is gone, a refresh loads normally.
    writeStore(smallStore());
    click(control(refreshButtonId));
    EXPECT_TRUE(statusBecomes(loadedStatus(4)));
    EXPECT_TRUE(IsWindowEnabled(control(applyButtonId)));
}

INSTANTIATE_TEST_SUITE_P(
    Causes, ReadFailure,
    testing::Values(
        ReadFailureCase{"ExemptionListUnreadable", smallStore("fail get 5\n"),
                        texts::readConfigFailed + systemMessage(ERROR_ACCESS_DENIED)},
        ReadFailureCase{"AppListUnreadable", smallStore("fail enum " + std::string(unknownCode) + "\n"),
                        std::wstring(texts::readAppsFailed) + unknownCodeMessage},
        ReadFailureCase{"StateMalformed", smallStore("app S-1-15-2-1\tonly a name\n"),
                        texts::readConfigFailed + systemMessage(ERROR_INVALID_DATA)},
        ReadFailureCase{"StateMissing", std::nullopt, texts::readConfigFailed + systemMessage(ERROR_FILE_NOT_FOUND)}),
    [](const testing::TestParamInfo<ReadFailureCase>& param) { return std::string(param.param.name); });

} // namespace

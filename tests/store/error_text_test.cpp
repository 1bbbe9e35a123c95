#include "store/error_text.h"
#include "support/program_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorText, SystemMessageKeepsItsFullStopButLosesTheLineBreak)
{
    // Wine's wording, then Windows'.
    const std::wstring text = errorText(ERROR_ACCESS_DENIED);
    EXPECT_TRUE(text == L"Access denied." || text == L"Access is denied.") << testing::PrintToString(text);
}

TEST(ErrorText, CodeWithoutMessageIsWrittenInUnsignedDecimal)
{
    EXPECT_EQ(errorText(0x80071234), unknownCodeText(2147947060));
    EXPECT_EQ(errorText(0xFFFFFFFF), unknownCodeText(4294967295));
    EXPECT_EQ(errorText(0x20001234), unknownCodeText(536875572));
}

TEST(ErrorText, EveryTrailingBreakOrSpaceIsTrimmedButNothingElse)
{
    for (DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_INVALID_DATA, ERROR_OUTOFMEMORY, ERROR_INVALID_PARAMETER}) {
        const std::wstring text = errorText(code);
        ASSERT_FALSE(text.empty()) << code;
        EXPECT_NE(text.back(), L'\n') << code;
        EXPECT_NE(text.back(), L'\r') << code;
        EXPECT_NE(text.back(), L' ') << code;
        EXPECT_NE(text.front(), L' ') << code;
        EXPECT_EQ(text.rfind(texts::errorCode, 0), std::wstring::npos) << code;
    }
}

} // namespace

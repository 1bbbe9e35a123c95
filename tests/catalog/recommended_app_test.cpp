#include "catalog/recommended_app.h"

#include "support/catalog_fixture.h"

namespace {

TEST(RecommendedPackage, ContainerNameMatchesInAnyAsciiCase)
{
    EXPECT_TRUE(isRecommendedPackage(L"OpenAI.Codex_2p2nqsd0c76g0", L""));
    EXPECT_TRUE(isRecommendedPackage(L"OPENAI.CODEX_2P2NQSD0C76G0", L"unrelated"));
    EXPECT_TRUE(isRecommendedApp(L"Something Else", L"openai.CODEX_2p2nqsd0c76g0", L""));
    EXPECT_FALSE(isRecommendedPackage(L"openai.codex_2p2nqsd0c76g0 ", L""));
    EXPECT_FALSE(isRecommendedPackage(L"", L""));
}

TEST(RecommendedPackage, FullNameNeedsPrefixAndDoubleUnderscoreSuffixWithoutOverlap)
{
    EXPECT_TRUE(isRecommendedPackage(L"other", L"OpenAI.Codex_1.0.3.0_x64__2p2nqsd0c76g0"));
    EXPECT_TRUE(isRecommendedPackage(L"other", L"openai.codex___2p2nqsd0c76g0"));
    EXPECT_FALSE(isRecommendedPackage(L"other", L"openai.codex__2p2nqsd0c76g0"));
    EXPECT_FALSE(isRecommendedPackage(L"other", L"OpenAI.Codex_1.0.0.0_x64_en-us_2p2nqsd0c76g0"));
    EXPECT_FALSE(isRecommendedPackage(L"other", L"OpenAI.Codex_1.0.0.0_x64__2p2nqsd0c76g1"));
}

TEST(RecommendedApp, CodexMentionVetoesTheChatGptKeyword)
{
    EXPECT_FALSE(isRecommendedApp(L"Codex Studio", L"vendor.chatgpt_tools", L"Vendor.ChatGPT_1.0_x64__abc"));
    EXPECT_FALSE(isRecommendedApp(L"ChatGPT", L"vendor.codex", L""));
    EXPECT_FALSE(isRecommendedApp(L"ChatGPT", L"", L"Vendor.CODEX_1.0_x64__abc"));
    EXPECT_TRUE(isRecommendedApp(L"Codex", L"OpenAI.Codex_2p2nqsd0c76g0", L""));
}

TEST(RecommendedApp, ChatGptKeywordInAnyFieldWithoutCodex)
{
    EXPECT_TRUE(isRecommendedApp(L"ChatGPT", L"", L""));
    EXPECT_TRUE(isRecommendedApp(L"Helper", L"vendor.CHATGPT.helper", L""));
    EXPECT_TRUE(isRecommendedApp(L"Helper", L"vendor.helper", L"Vendor.ChatGpt_1.0__x"));
    EXPECT_FALSE(isRecommendedApp(L"Chat GPT", L"", L""));
    // Fullwidth Latin letters are not folded and do not match.
    EXPECT_FALSE(isRecommendedApp(L"\xFF23\xFF48\xFF41\xFF54\xFF27\xFF30\xFF34", L"", L""));
}

TEST(ContainsKeyword, FoldsTheTextButNotTheKeyword)
{
    EXPECT_TRUE(containsKeyword(L"My CODEX app", L"codex"));
    EXPECT_FALSE(containsKeyword(L"my codex app", L"CODEX"));
    EXPECT_FALSE(containsKeyword(L"cod", L"codex"));
    EXPECT_TRUE(containsKeyword(L"anything", L""));
    EXPECT_EQ(lowerCase(L"ÄBC Ω Ｚ"), L"Äbc Ω Ｚ");
}

using BindRecommendedApp = CatalogTest;

// A third-party app named after ChatGPT sorts before the real package, yet
// the box stands for the package, and the look-alikes stay reachable in the
// list like any other app.
TEST_F(BindRecommendedApp, ThePackageWinsOverLookAlikesThatSortFirstAndTheyAreListed)
{
    addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
    addApp(2, L"AI Chat for ChatGPT", L"vendor.aichat");
    addApp(3, L"Alpha", L"vendor.ChatGPTClient");
    addExemption(1);

    TestWindow& window = open();

    ASSERT_EQ(state().recommendedIndex, 2);
    EXPECT_EQ(state().apps[2].sidString, appContainerSid(1));
    EXPECT_EQ(SendMessageW(state().recommendedCheck, BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_EQ(window.rowCount(), 2);
    EXPECT_EQ(window.rowText(0), L"AI Chat for ChatGPT");
    EXPECT_EQ(window.rowText(1), L"Alpha");
}

// Look-alikes: the first in the list's order (digits as numbers, then SID).
TEST_F(BindRecommendedApp, TheFirstByNameIsBoundAndAmongEqualNamesTheLowestSid)
{
    addApp(6, L"ChatGPT 10");
    addApp(5, L"ChatGPT 9");
    addApp(4, L"chatgpt 9");
    TestWindow& window = open();
    ASSERT_EQ(state().recommendedIndex, 0);
    EXPECT_EQ(state().apps[0].sidString, appContainerSid(4));
    EXPECT_EQ(window.rowText(0), L"ChatGPT 9");
}

TEST_F(BindRecommendedApp, RebindingFollowsTheCatalogAfterEveryLoad)
{
    addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
    TestWindow& window = open();
    ASSERT_EQ(SendMessageW(state().recommendedCheck, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    addExemption(1);

    window.command(refreshButtonId);

    EXPECT_EQ(SendMessageW(state().recommendedCheck, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(state().recommendedCheck));
    EXPECT_EQ(windowText(state().recommendedCheck), texts::recommendedFound);
}

} // namespace

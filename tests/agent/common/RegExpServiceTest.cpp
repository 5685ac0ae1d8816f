#include "agent/common/RegExpService.h"

#include "platform/win32/Windows.h"

#include <gtest/gtest.h>

namespace {

// "rexp.dll" is found through the "path" variable, as the agent finds it
// beside its own library.
class RegExpServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SetEnvironmentVariableA("path", WEBAGENT_MODULE_DIR); }
    static bool Match(std::string a, std::string_view b) { return MatchText(a, b); }
};

TEST_F(RegExpServiceTest, PlainTextsMatchAfterNormalisingTheFirstOnly) {
    EXPECT_TRUE(Match("Sign in", "Sign in"));
    EXPECT_TRUE(Match("   Sign in \t\r\n", "Sign in"));
    EXPECT_FALSE(Match("Sign in", "  Sign in"));
    EXPECT_TRUE(Match("&Sign in", "Sign in"));
    EXPECT_TRUE(Match("Fish && Chips", "Fish & Chips"));
    EXPECT_TRUE(Match("Sign\r\nin", "Sign in"));
    EXPECT_FALSE(Match("Sign in", "Sign out"));
}

TEST_F(RegExpServiceTest, NormalisationFlags) {
    EXPECT_EQ(NormalizeText("a \t b", 0), "a b");
    EXPECT_EQ(NormalizeText("a\r\nb", 0), "a\r\nb");
    EXPECT_EQ(NormalizeText("a \r\n  b", kNormalizeLineBreaks), "a b");
    EXPECT_EQ(NormalizeText("a&b&&c", kNormalizeMnemonics), "ab&c");
    EXPECT_EQ(NormalizeText("a\x1e"
                            "b\x1f\xa6"
                            "c",
                            0),
              "abc");
    EXPECT_EQ(NormalizeText(" \t\r\n", kNormalizeLineBreaks), "");
}

TEST_F(RegExpServiceTest, PatternsGoToTheLibraryWithoutNormalising) {
    EXPECT_TRUE(Match("!Sign.*", "Sign in"));
    EXPECT_FALSE(Match("! Sign.*", "Sign in"));
    EXPECT_TRUE(Match("Sign in", "!Sign.*"));
    EXPECT_TRUE(Match("!Sign.*", "!Sign.*"));
}

TEST_F(RegExpServiceTest, LongFirstArgumentIsCutTo1023Characters) {
    std::string first(2000, 'a');
    std::string second(1023, 'a');
    EXPECT_TRUE(MatchText(first, second));
    EXPECT_EQ(first.size(), 1023u);
}

TEST_F(RegExpServiceTest, CountMatches) {
    EXPECT_EQ(CountMatches("cat", "a cat, a cat and a cat"), 2);
    EXPECT_EQ(CountMatches("cat", "one cat"), 1);
    EXPECT_EQ(CountMatches("dog", "a cat"), 0);
    EXPECT_EQ(CountMatches(".*cat", "one cat"), 1);
    EXPECT_EQ(CountMatches(std::string(1025, 'a'), "a"), -1);
}

} // namespace

// "rexp.dll" as the agent sees it: loaded by name, two entry points.
#include "rexp/Rexp.h"

#include <chrono>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

class RexpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_Module = dlopen(WEBAGENT_MODULE_DIR "/rexp.dll", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(s_Module, nullptr) << dlerror();
        s_Match = reinterpret_cast<RgMatchFunction>(dlsym(s_Module, "rg_match"));
        s_Double = reinterpret_cast<DoubleRgMatchFunction>(dlsym(s_Module, "double_rg_match"));
    }
    static void TearDownTestSuite() {
        if (s_Module != nullptr) {
            dlclose(s_Module);
        }
    }
    void SetUp() override {
        ASSERT_NE(s_Match, nullptr);
        ASSERT_NE(s_Double, nullptr);
    }

    static bool Matches(const std::string& text, const std::string& pattern) {
        return s_Match(text.c_str(), pattern.c_str()) == kRexpMatch;
    }

    static inline void* s_Module = nullptr;
    static inline RgMatchFunction s_Match = nullptr;
    static inline DoubleRgMatchFunction s_Double = nullptr;
};

TEST_F(RexpTest, WholeTextMustMatch) {
    EXPECT_TRUE(Matches("abcdef", "abc.*"));
    EXPECT_FALSE(Matches("abc", "bc"));
    EXPECT_FALSE(Matches("abc", "ab"));
    EXPECT_TRUE(Matches("abc", "abc"));
    EXPECT_TRUE(Matches("", ""));
    EXPECT_TRUE(Matches("", ".*"));
    EXPECT_FALSE(Matches("x", ""));
    // The end anchor backtracks into alternatives instead of taking the first.
    EXPECT_TRUE(Matches("abcdef", "abc|abcdef"));
    EXPECT_FALSE(Matches("xabc", "abc|b"));
    // A trailing line break is text like any other, not an optional end.
    EXPECT_FALSE(Matches("abc\n", "abc"));
}

TEST_F(RexpTest, SyntaxIsPerlCompatibleAndCaseSensitive) {
    EXPECT_TRUE(Matches("Order 42", "Order \\d+"));
    EXPECT_FALSE(Matches("order 42", "Order \\d+"));
    EXPECT_TRUE(Matches("order 42", "(?i)ORDER \\d+"));
    EXPECT_TRUE(Matches("a.b", "a\\.b"));
    EXPECT_FALSE(Matches("axb", "a\\.b"));
    // "." crosses line breaks, so a cut-off multi-line text still matches "prefix.*".
    EXPECT_TRUE(Matches("Welcome\r\nto the shop", "Welcome.*"));
}

TEST_F(RexpTest, MatchesWindows1252BytesOneByOne) {
    // "caf\xE9" is "café" in Windows-1252; it is not valid UTF-8 and must still match.
    EXPECT_TRUE(Matches("caf\xE9", "caf."));
    EXPECT_TRUE(Matches("caf\xE9", "caf\xE9"));
    EXPECT_TRUE(Matches("\x80 5", "\\x80 \\d"));
    EXPECT_FALSE(Matches("caf\xC3\xA9", "caf."));
    // A pattern cannot switch the engine into UTF mode.
    EXPECT_EQ(s_Match("abc", "(*UTF)abc"), kRexpInvalidPattern);
}

TEST_F(RexpTest, InvalidPatternsAndNullArgumentsAreNoMatch) {
    for (const char* pattern : {"(", "a)", "[", "*a", "a{2,1}", "\\", "(?<n>a)(?<n>b)"}) {
        EXPECT_EQ(s_Match("a", pattern), kRexpInvalidPattern) << pattern;
        // A cached failure answers the same the second time.
        EXPECT_EQ(s_Match("a", pattern), kRexpInvalidPattern) << pattern;
    }
    EXPECT_NE(s_Match(nullptr, "a"), kRexpMatch);
    EXPECT_NE(s_Match("a", nullptr), kRexpMatch);
    EXPECT_NE(s_Double(nullptr, "a"), kRexpMatch);
    EXPECT_NE(s_Double("a", nullptr), kRexpMatch);
    EXPECT_EQ(s_Match("a", std::string(kRexpMaxPatternLength + 1, 'a').c_str()),
              kRexpInvalidPattern);
}

TEST_F(RexpTest, CatastrophicPatternIsEndedByTheLimits) {
    // Nested quantifiers over a subject that fails only at its last byte: an
    // unlimited backtracking engine would run for longer than the universe.
    const std::string subject = std::string(40, 'a') + "!";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(s_Match(subject.c_str(), "(a+)+[bc]"), kRexpLimitReached);
    EXPECT_EQ(s_Match(subject.c_str(), "(a|aa|a?)+[bc]"), kRexpLimitReached);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(20));
    // The same pattern still works on a subject it matches.
    EXPECT_TRUE(Matches(std::string(40, 'a') + "b", "(a+)+[bc]"));
    // Deep recursion is ended by the depth or heap limit rather than the stack.
    const std::string deep(200000, 'a');
    EXPECT_NE(s_Match(deep.c_str(), "(?:a|(b))*[cd]"), kRexpMatch);
}

TEST_F(RexpTest, DoubleMatchComparesPatternsBothWays) {
    EXPECT_EQ(s_Double("a(", "a("), kRexpMatch) << "the same text, even if invalid";
    EXPECT_EQ(s_Double("abc", "a.c"), kRexpMatch) << "first read as text matches second";
    EXPECT_EQ(s_Double("a.c", "abc"), kRexpMatch) << "second read as text matches first";
    EXPECT_EQ(s_Double("a+", "a.*"), kRexpMatch) << "\"a+\" read as text matches \"a.*\"";
    EXPECT_NE(s_Double("a+", "b.*"), kRexpMatch);
    EXPECT_NE(s_Double("abc", "x("), kRexpMatch);
    EXPECT_EQ(s_Double("x(", "x\\("), kRexpMatch) << "an invalid pattern is still text";
}

TEST_F(RexpTest, ConcurrentMatchesAgree) {
    // More distinct patterns than the cache holds, from several threads.
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (unsigned i = 0; i < 3 * kRexpCacheSize; ++i) {
                const std::string number = std::to_string(i);
                const std::string pattern = "item " + number + "( of \\d+)?";
                if (!Matches("item " + number + " of 9", pattern) ||
                    Matches("item " + number + "x", pattern)) {
                    ++failures[t];
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (int count : failures) {
        EXPECT_EQ(count, 0);
    }
}

} // namespace

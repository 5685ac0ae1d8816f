// Conversion between UTF-16 and the Windows-1252 system code page.
#include "platform/win32/Windows.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePageTest, NoBreakSpaceAndEuroAreSingleBytes) {
    EXPECT_EQ(AnsiFromWide(u"a\u00A0b"), "a\xA0"
                                         "b");
    EXPECT_EQ(AnsiFromWide(u"\u20AC \u00E9"), "\x80 \xE9");
    EXPECT_EQ(WideFromAnsi("\x80\xA0\xFF"), u"\u20AC\u00A0\u00FF");
}

TEST(CodePageTest, CharactersOutsideBecomeQuestionMarks) {
    BOOL usedDefault = FALSE;
    char out[16];
    const char16_t text[] = u"\u4E2D\U0001F600x";
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, &usedDefault);
    EXPECT_EQ(length, 4) << "one '?' per code point, then x and the terminator";
    EXPECT_STREQ(out, "??x");
    EXPECT_TRUE(usedDefault);
    char16_t lone[] = {0xD800, u'y'};
    EXPECT_EQ(AnsiFromWide(std::u16string_view(lone, 2)), "?y");
}

TEST(CodePageTest, RoundTripOfEveryByte) {
    std::string all;
    for (int i = 1; i < 256; ++i) {
        all += static_cast<char>(i);
    }
    EXPECT_EQ(AnsiFromWide(WideFromAnsi(all)), all);
}

TEST(CodePageTest, SizesAndShortBuffers) {
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, nullptr, 0), 3);
    char16_t small[2];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, small, 2), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(WideCharToMultiByte(1234, 0, u"x", 1, nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(CodePageTest, Utf8BothWays) {
    char out[16];
    int length =
        WideCharToMultiByte(CP_UTF8, 0, u"\u00E9\U0001F600", 3, out, sizeof out, nullptr, nullptr);
    EXPECT_EQ(std::string(out, static_cast<size_t>(length)), "\xC3\xA9\xF0\x9F\x98\x80");
    char16_t wide[8];
    length = MultiByteToWideChar(CP_UTF8, 0, "\xC3\xA9\xF0\x9F\x98\x80", 6, wide, 8);
    EXPECT_EQ(std::u16string(wide, static_cast<size_t>(length)), u"\u00E9\U0001F600");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC3", 1, wide, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

} // namespace

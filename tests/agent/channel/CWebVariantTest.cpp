// Values and value lists of the record: typed appending, status marking,
// conversion, comparison and trimming.
#include "agent/channel/CWebVariant.h"

#include "agent/channel/WebInfoDump.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

TEST(CWebRunTimeID, EmptinessLevelsOrderingAndFilters) {
    EXPECT_TRUE(CWebRunTimeID().IsEmpty());
    EXPECT_TRUE(CWebRunTimeID(-1, -1, -1, 0).IsEmpty()) << "the fourth level is not examined";
    EXPECT_FALSE(CWebRunTimeID(-1, -1, 5, -1).IsEmpty());

    const CWebRunTimeID element(10, 20, 30, 0);
    EXPECT_EQ(element.BrowserLevel(), CWebRunTimeID(10, -1, -1, -1));
    EXPECT_EQ(element.FrameLevel(), CWebRunTimeID(10, 20, -1, -1));

    // Signed ordering: -1 sorts before 0, and the first level dominates.
    std::map<CWebRunTimeID, int> sorted{{{1, 0, 0, 0}, 3}, {{0, 5, 5, 5}, 2}, {{-1, 9, 9, 9}, 1}};
    int expected = 1;
    for (const auto& [id, order] : sorted) {
        EXPECT_EQ(order, expected++) << DumpRunTimeID(id);
    }
    EXPECT_LT(CWebRunTimeID(1, 2, 3, -1), CWebRunTimeID(1, 2, 3, 0));

    EXPECT_TRUE(CWebRunTimeID(1, 2, 3, -1).MatchesChildFilter(kChildFilterOrdinary));
    EXPECT_FALSE(CWebRunTimeID(1, 2, 3, 0).MatchesChildFilter(kChildFilterOrdinary));
    EXPECT_TRUE(CWebRunTimeID(1, 2, 3, 0).MatchesChildFilter(kChildFilterGeneral));
    EXPECT_TRUE(CWebRunTimeID(1, 2, 3, 0).MatchesChildFilter(kChildFilterAll));
    EXPECT_FALSE(CWebRunTimeID(1, 2, 3, 7).MatchesChildFilter(kChildFilterAll));
}

TEST(CWebVariant, ConstructorsSetTypeAndPayload) {
    EXPECT_EQ(CWebVariant().GetType(), WebVariantType::None);
    EXPECT_EQ(CWebVariant(static_cast<const char*>(nullptr)).GetString(), "");
    EXPECT_EQ(CWebVariant(static_cast<const char16_t*>(nullptr)).GetType(), WebVariantType::String);
    // Wide strings land in the system code page, one byte per character.
    EXPECT_EQ(CWebVariant(u"caf\u00e9 \u20ac").GetString(), "caf\xE9 \x80");
    EXPECT_EQ(CWebVariant(std::string_view("ab\0cd", 5)).GetString(), "ab")
        << "a string ends at its first NUL, as on the wire";
    const CWebVariant rect(RECT{1, 2, 3, 4});
    EXPECT_EQ(rect.GetRect().right, 3);
    EXPECT_EQ(CWebVariant(7, 8).GetPairSecond(), 8);
    EXPECT_EQ(CWebVariant(CWebRunTimeID(1, 2, 3, 4)).GetRunTimeID().Third(), 3);

    const CWebVariant received = CWebVariant::OfType(static_cast<WebVariantType>(7), 99);
    const CWebVariant copy(received);
    EXPECT_EQ(copy.GetType(), received.GetType());
    EXPECT_EQ(copy.GetReserved(), 0) << "copies do not carry the reserved word";
}

TEST(CWebVariant, ConvertToBetweenIntegerAndString) {
    CWebVariant number(-42);
    EXPECT_TRUE(number.ConvertTo(WebVariantType::String));
    EXPECT_EQ(number.GetString(), "-42");

    const std::pair<const char*, int32_t> cases[] = {{"  \t+17abc", 17},
                                                     {"-8", -8},
                                                     {"abc", 0},
                                                     {"", 0},
                                                     {"- 3", 0},
                                                     {"99999999999", INT32_MAX},
                                                     {"-99999999999", INT32_MIN}};
    for (const auto& [text, expected] : cases) {
        CWebVariant value(text);
        EXPECT_TRUE(value.ConvertTo(WebVariantType::Integer)) << text;
        EXPECT_EQ(value.GetInteger(), expected) << text;
    }

    CWebVariant pair(1, 2);
    EXPECT_TRUE(pair.ConvertTo(WebVariantType::Pair));
    EXPECT_FALSE(pair.ConvertTo(WebVariantType::String));
    EXPECT_EQ(pair.GetType(), WebVariantType::Pair) << "a refused conversion changes nothing";
}

TEST(CWebVariant, MatchesAndExactEqualityLookAtTheFirst1024Characters) {
    const std::string longText(1024, 'x');
    EXPECT_TRUE(CWebVariant(longText + "a").IsEqual(CWebVariant(longText + "b")));
    EXPECT_FALSE(CWebVariant(longText + "a") == CWebVariant(longText + "b"))
        << "operator== compares whole strings";
    EXPECT_FALSE(CWebVariant("Abc").IsEqual(CWebVariant("abc")));
    EXPECT_FALSE(CWebVariant(1).Matches(CWebVariant("1"))) << "types differ";
    EXPECT_FALSE(CWebVariant(RECT{1, 2, 3, 4}).Matches(CWebVariant(RECT{1, 2, 3, 5})));
    EXPECT_TRUE(CWebVariant(5, 6).Matches(CWebVariant(5, 6)));

    // The given matcher decides for strings, on cut copies.
    static size_t seenLength = 0;
    const WebTextMatcher matcher = [](std::string& first, std::string_view second) {
        seenLength = first.size();
        first.clear(); // the matcher may change its copy; the value must not change
        return second == "anything";
    };
    const CWebVariant described(std::string(2000, 'd'));
    EXPECT_TRUE(described.Matches(CWebVariant("anything"), matcher));
    EXPECT_EQ(seenLength, kWebCompareLength);
    EXPECT_EQ(described.GetString().size(), 2000u);
    // Without one, texts match only when equal.
    EXPECT_FALSE(described.Matches(CWebVariant("anything")));
}

TEST(CWebVariantList, TypedAppendRefusesAMismatchAndLeavesTheListAlone) {
    CWebVariantList list;
    EXPECT_TRUE(list.Append(3));
    EXPECT_FALSE(list.Append("text"));
    EXPECT_FALSE(list.AppendPair(1, 2));
    EXPECT_TRUE(list.Append(4));
    EXPECT_EQ(list.GetType(), WebVariantType::Integer);
    EXPECT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(list.GetAt(2), nullptr);

    // Appending a whole list is all or nothing.
    CWebVariantList mixed;
    ASSERT_TRUE(mixed.Append(CWebVariant()));
    ASSERT_TRUE(mixed.Append(5));
    CWebVariantList strings(CWebVariant("a"));
    EXPECT_FALSE(list.Append(strings));
    EXPECT_TRUE(list.Append(CWebVariantList(CWebVariant(9))));
    EXPECT_EQ(list.GetCount(), 3u);
    EXPECT_TRUE(list.Append(list)) << "a list appended to itself doubles";
    EXPECT_EQ(list.GetCount(), 6u);
}

TEST(CWebVariantList, EmptyValueEntersOnlyAnUntypedList) {
    CWebVariantList emptyFirst;
    EXPECT_TRUE(emptyFirst.Append(CWebVariant()));
    EXPECT_EQ(emptyFirst.GetType(), WebVariantType::None);
    EXPECT_TRUE(emptyFirst.Append("s"));
    EXPECT_EQ(emptyFirst.GetType(), WebVariantType::String);
    EXPECT_EQ(emptyFirst.GetCount(), 2u);

    CWebVariantList stringFirst;
    EXPECT_TRUE(stringFirst.Append("s"));
    EXPECT_FALSE(stringFirst.Append(CWebVariant()));
    EXPECT_EQ(stringFirst.GetCount(), 1u);
}

TEST(CWebVariantList, StatusKeepsElementsAndRefusesMore) {
    CWebVariantList list(CWebVariant("kept"));
    list.SetStatus(kWebStatusNotApplicable);
    EXPECT_TRUE(list.IsStatus());
    EXPECT_EQ(list.GetStatus(), kWebStatusNotApplicable);
    EXPECT_EQ(list.GetCount(), 1u);
    EXPECT_FALSE(list.Append("more"));
    EXPECT_FALSE(list.Append(CWebVariant()));
    EXPECT_EQ(DumpWebVariantList(list), "status 4 [string \"kept\"]");

    EXPECT_TRUE(list.Set(12)) << "setting a value starts afresh";
    EXPECT_EQ(list.GetType(), WebVariantType::Integer);
    EXPECT_EQ(list.GetStatus(), 0);
    list.Clear();
    EXPECT_EQ(list, CWebVariantList());
}

TEST(CWebVariantList, MatchesPositionByPositionAndFirstEquals) {
    CWebVariantList a;
    CWebVariantList b;
    EXPECT_TRUE(a.Matches(b));
    EXPECT_FALSE(a.FirstEquals(b)) << "FirstEquals needs a first element on both sides";
    ASSERT_TRUE(a.Append("x") && a.Append("y"));
    ASSERT_TRUE(b.Append("x"));
    EXPECT_FALSE(a.Matches(b));
    EXPECT_TRUE(a.FirstEquals(b));
    ASSERT_TRUE(b.Append("y"));
    EXPECT_TRUE(a.Matches(b));
}

TEST(CWebVariant, TrimStrings) {
    const auto trimmed = [](const char* text, size_t length, TrimAs form) {
        CWebVariant value(text);
        value.TrimStrings(length, form);
        return value.GetString();
    };
    EXPECT_EQ(trimmed("abcdefghij", 5, TrimAs::Text), "abcde");
    EXPECT_EQ(trimmed("abcdefghij", 5, TrimAs::Pattern), "!ab.*");
    EXPECT_EQ(trimmed("abcdefghij", 3, TrimAs::Pattern), "abcdefghij");
    EXPECT_EQ(trimmed("abcde", 5, TrimAs::Pattern), "abcde");
    EXPECT_EQ(trimmed("abcdefghij", 0, TrimAs::Text), "");
    // Pattern characters of the kept head are escaped within the same length,
    // so that the cut value is a valid pattern that still matches its text.
    EXPECT_EQ(trimmed("Total (EUR) 12.50", 11, TrimAs::Pattern), "!Total \\(.*");
    EXPECT_EQ(trimmed("Total (EUR) 12.50", 10, TrimAs::Pattern), "!Total .*")
        << "an escape is never cut in half";
    EXPECT_EQ(trimmed("a.b.c.d.e.f", 7, TrimAs::Pattern), "!a\\.b.*");

    CWebVariant number(123456);
    number.TrimStrings(2, TrimAs::Text);
    EXPECT_EQ(number.GetInteger(), 123456) << "only strings are trimmed";
}

} // namespace

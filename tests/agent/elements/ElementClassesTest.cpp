// The program-wide tables of test class numbers and image kinds, and the
// transparent tag lists.
#include "agent/elements/ElementClasses.h"

#include <gtest/gtest.h>

namespace {

TEST(ElementClasses, EveryNumberRoundTripsThroughItsName) {
    for (int32_t number = 0; number <= 45; ++number) {
        std::string_view name = TestClassName(number);
        ASSERT_EQ(TestClassFromName(name), static_cast<TestClass>(number))
            << "class " << number << " named '" << name << "'";
    }
    for (int32_t kind = 0; kind <= 7; ++kind) {
        ASSERT_EQ(ImageKindFromName(ImageKindName(kind)), static_cast<ImageKind>(kind));
    }
}

TEST(ElementClasses, NumbersTheOtherPartsReadByNumber) {
    EXPECT_EQ(TestClassName(TestClass::Empty), "");
    EXPECT_EQ(TestClassName(2), "html_text_link");
    EXPECT_EQ(TestClassName(TestClass::HtmlObject), "html_object");
    EXPECT_EQ(static_cast<int>(TestClass::HtmlObject), 33);
    EXPECT_EQ(TestClassName(37), "html_general_element");
    EXPECT_EQ(TestClassName(44), "halvard_unknown_class");
    EXPECT_EQ(TestClassName(45), "last_object_id");
    EXPECT_EQ(ImageKindName(ImageKind::ClientAndServerSideImageMap),
              "Client & Server Side ImageMap");
    EXPECT_EQ(ImageKindName(7), "last_img_kind_id");
}

TEST(ElementClasses, NumbersOutsideTheTablesHaveNoName) {
    EXPECT_EQ(TestClassName(-1), "");
    EXPECT_EQ(TestClassName(46), "");
    EXPECT_EQ(ImageKindName(8), "");
    EXPECT_FALSE(TestClassFromName("HTML_TABLE").has_value()) << "class names compare exactly";
    EXPECT_FALSE(ImageKindFromName("plain image").has_value());
}

TEST(ElementClasses, WrapperListsDifferOnlyInDivisionsAndIgnoreCase) {
    for (std::string_view tag : {"font", "B", "i", "Strong", "NOBR", "em", "dd"}) {
        EXPECT_TRUE(IsImageWrapperTag(tag)) << tag;
        EXPECT_TRUE(IsEventTargetWrapperTag(tag)) << tag;
    }
    EXPECT_TRUE(IsImageWrapperTag("div"));
    EXPECT_FALSE(IsEventTargetWrapperTag("DIV"));
    for (std::string_view tag : {"SPAN", "A", "", "FONTS", "P"}) {
        EXPECT_FALSE(IsImageWrapperTag(tag)) << tag;
        EXPECT_FALSE(IsEventTargetWrapperTag(tag)) << tag;
    }
}

} // namespace

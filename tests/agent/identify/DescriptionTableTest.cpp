#include "agent/model/DescriptionTable.h"

#include "agent/classutil/ClassUtilities.h"

#include <gtest/gtest.h>

namespace {

CWebVariantList Text(std::string_view text) {
    return CWebVariantList(CWebVariant(text));
}
CWebVariantList Number(int32_t number) {
    return CWebVariantList(CWebVariant(number));
}

std::string TextOf(const CWebInfo& record) {
    std::string text;
    EXPECT_TRUE(DescriptionToText(record, text));
    return text;
}

TEST(DescriptionText, PairsFollowTableOrderNotRecordOrder) {
    CWebInfo record;
    record.AddAttr("index", Number(2));
    record.AddAttr("not_described", Text("x"));
    record.AddAttr("name", Text("Go"));
    record.AddAttr("class", Text("html_link"));
    EXPECT_EQ(TextOf(record), "class\x1Chtml_link\x1Ename\x1CGo\x1Eindex\x1C"
                              "2\x1E");

    CWebInfo back;
    TextToDescription(TextOf(record), back);
    ASSERT_EQ(back.GetAttrCount(), 3u);
    EXPECT_EQ(back.FindFirstValue("name")->GetType(), WebVariantType::String);
    EXPECT_EQ(back.FindFirstValue("index")->GetType(), WebVariantType::Integer);
    EXPECT_EQ(back.FindFirstValue("index")->GetInteger(), 2);
    EXPECT_EQ(back.FindAttr("not_described"), nullptr);
}

TEST(DescriptionText, ValuesThatHaveNoTextFormAndEmptyAttributesAreLeftOut) {
    CWebInfo record;
    record.AddAttr("class", CWebVariantList());                             // no value at all
    record.AddAttr("name", CWebVariantList(CWebVariant(RECT{1, 2, 3, 4}))); // not text
    record.AddAttr("html_id", Text(""));
    record.AddAttr("row", Number(-7));
    EXPECT_EQ(TextOf(record), std::string("row\x1C-7\x1E") + "html_id\x1C\x1E");
    EXPECT_EQ(TextOf(CWebInfo()), "");
}

TEST(DescriptionText, ReadingIsLenientAboutWhatOthersWrote) {
    CWebInfo record;
    // A name twice keeps its first value; an integer name with text reads 0;
    // a name the table does not know reads as a string; the last pair may
    // lack its end.
    const std::string N = "\x1C";
    const std::string V = "\x1E";
    TextToDescription("name" + N + "a" + V + "name" + N + "b" + V + "row" + N + "abc" + V + "mine" +
                          N + "12" + V + "col" + N + "5",
                      record);
    EXPECT_EQ(record.FindFirstValue("name")->GetString(), "a");
    EXPECT_EQ(record.FindFirstValue("row")->GetInteger(), 0);
    EXPECT_EQ(record.FindFirstValue("mine")->GetType(), WebVariantType::String);
    EXPECT_EQ(record.FindFirstValue("col")->GetInteger(), 5);

    CWebInfo none;
    TextToDescription("no separators at all", none);
    TextToDescription("\x1E\x1E", none);
    EXPECT_EQ(none.GetAttrCount(), 0u);
    CWebInfo emptyName;
    TextToDescription("\x1Cvalue\x1E", emptyName);
    ASSERT_EQ(emptyName.GetAttrCount(), 1u);
    EXPECT_EQ(*emptyName.GetAttrName(0), "");
}

TEST(DescriptionTable, BuiltInNamesThenAddedNamesOnce) {
    const std::vector<std::string>& names = DescriptionAttributeNames();
    ASSERT_GE(names.size(), 20u);
    EXPECT_EQ(names[0], "class");
    EXPECT_EQ(names[6], "location");
    EXPECT_EQ(names[19], "url");
    EXPECT_EQ(DescriptionValueForm("class_index"), WebVariantType::Integer);
    EXPECT_EQ(DescriptionValueForm("never_added"), WebVariantType::String);

    const size_t before = names.size();
    EXPECT_TRUE(AddDescriptionAttribute("desc_table_test_extra", WebVariantType::Integer));
    EXPECT_FALSE(AddDescriptionAttribute("desc_table_test_extra", WebVariantType::String));
    EXPECT_FALSE(AddDescriptionAttribute("index", WebVariantType::String));
    EXPECT_EQ(names.size(), before + 1);
    EXPECT_EQ(names.back(), "desc_table_test_extra");
    EXPECT_EQ(DescriptionValueForm("desc_table_test_extra"), WebVariantType::Integer);
    EXPECT_EQ(DescriptionValueForm("index"), WebVariantType::Integer);
}

class ClassTemplates : public ::testing::Test {
protected:
    ClassTemplates() { FillClassTable(table); }
    ~ClassTemplates() override { FillClassTable(table); }

    static std::vector<std::string> Names(const CWebInfo& list) {
        std::vector<std::string> names;
        for (const CAttrPair& attr : list.Attrs()) {
            names.push_back(attr.GetName());
        }
        return names;
    }

    ClassTable table;
};

TEST_F(ClassTemplates, ToolNamesAreConvertedAndEnterTheTable) {
    const uint64_t generation = CWebObjUtil::GetTemplateGeneration();
    SetClassTemplate(table, "html_link", "MSW_class  html_name class tmpl_test_prop", "html_url",
                     "index", "text");
    const DescriptionTemplate& model = GetClassUtilities().link.GetDescriptionTemplate();
    EXPECT_EQ(Names(model.obligatory),
              (std::vector<std::string>{"class", "name", "tmpl_test_prop"}));
    EXPECT_EQ(Names(model.optional), (std::vector<std::string>{"url"}));
    EXPECT_EQ(model.obligatory.FindFirstValue("name")->GetString(), " ");
    EXPECT_EQ(model.selector, "index");
    EXPECT_EQ(model.tagAttr, "text");
    EXPECT_EQ(DescriptionAttributeNames().back(), "tmpl_test_prop");
    EXPECT_GT(CWebObjUtil::GetTemplateGeneration(), generation);
}

TEST_F(ClassTemplates, ImageTemplateAlsoGoesToImageLinksButOtherNamesMatchExactly) {
    SetClassTemplate(table, "HTML_RECT", "class html_id", "", "index", "");
    // Upper case names no class of the table, but image links follow.
    EXPECT_EQ(Names(GetClassUtilities().imageLink.GetDescriptionTemplate().obligatory),
              (std::vector<std::string>{"class", "html_id"}));
    EXPECT_EQ(Names(GetClassUtilities().image.GetDescriptionTemplate().obligatory),
              (std::vector<std::string>{"class", "name"}));

    SetClassTemplate(table, "html_rect", "class url", "", "location", "");
    EXPECT_EQ(Names(GetClassUtilities().image.GetDescriptionTemplate().obligatory),
              (std::vector<std::string>{"class", "url"}));
    EXPECT_EQ(Names(GetClassUtilities().imageLink.GetDescriptionTemplate().obligatory),
              (std::vector<std::string>{"class", "url"}));

    SetClassTemplate(table, "Html_Link", "class url", "", "index", "");
    EXPECT_EQ(Names(GetClassUtilities().link.GetDescriptionTemplate().obligatory),
              (std::vector<std::string>{"class", "name"}));
    SetClassTemplate(table, "no_such_class", "class", "", "index", ""); // nothing to change
}

} // namespace

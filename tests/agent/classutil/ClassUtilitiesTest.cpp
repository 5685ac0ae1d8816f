#include "agent/classutil/ClassUtilities.h"

#include "agent/channel/RequestArgs.h"
#include "agent/dispatch/CInterface.h"
#include "platform/win32/WinBase.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Chain(const CWebObjUtil& util) {
    CWebVariantList value;
    value.Append(std::string_view("stale"));
    util.GetClassNames(value);
    std::vector<std::string> names;
    for (const CWebVariant& item : value.Elements()) {
        names.push_back(item.GetString());
    }
    return names;
}

// An owned test object whose class chain comes from its utility and whose
// other properties come from a table.
class Obj : public CWebObj {
public:
    Obj(const CWebObjUtil& util, int32_t id, std::map<std::string, std::string> strings = {})
        : m_Strings(std::move(strings)) {
        SetUtil(&util);
        SetId(CWebRunTimeID(1, 2, id, -1));
    }

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override {
        if (position >= 0) {
            return false;
        }
        if (name == "class") {
            GetUtil()->GetClassNames(value);
            return true;
        }
        auto it = m_Strings.find(name);
        if (it == m_Strings.end()) {
            value.Clear();
            return false;
        }
        value.Set(std::string_view(it->second));
        return true;
    }

    // Adds an owned child and answers it.
    Obj* Add(const CWebObjUtil& util, std::map<std::string, std::string> strings = {}) {
        auto* child = new Obj(util, ++m_NextId, std::move(strings));
        AddChild(CWebObjRef(child));
        return child;
    }

private:
    std::map<std::string, std::string> m_Strings;
    static inline int32_t m_NextId = 100;
};

ClassUtilities& U() {
    return GetClassUtilities();
}

TEST(ClassChains, EveryUtilityReportsItsChainAndFlags) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(Chain(U().file),
              (Names{"html_file", "html_edit", "html_push_button", "html_object"}));
    // Image buttons use the image utility: the rectangle class comes first.
    EXPECT_EQ(Chain(U().image), (Names{"html_rect", "html_object"}));
    EXPECT_EQ(Chain(U().imageLink), (Names{"html_rect", "html_link", "html_object"}));
    EXPECT_EQ(Chain(U().textLink),
              (Names{"html_text_link", "html_link", "html_text", "html_object"}));
    EXPECT_EQ(Chain(U().radioButton),
              (Names{"html_radio_button", "html_toggle", "html_std_obj", "html_object"}));
    EXPECT_EQ(Chain(U().comboBox),
              (Names{"html_combobox", "html_select", "html_std_obj", "html_object"}));
    EXPECT_EQ(Chain(U().object), (Names{"html_object"}));
    EXPECT_EQ(Chain(U().frame), (Names{"html_frame"}));
    EXPECT_EQ(Chain(U().browser), (Names{"html_browser"}));

    EXPECT_EQ(U().text.GetClassFlags(), CWebObjUtil::kHiddenFromIdList);
    EXPECT_EQ(U().textLink.GetClassFlags(), 0u);
    EXPECT_EQ(U().cell.GetClassFlags(), 0u);
    EXPECT_EQ(U().frame.GetClassFlags(), 2u);
    EXPECT_EQ(U().browser.GetClassFlags(), 2u);
}

TEST(Templates, EmptyObligatoryListChangesOnlyTheTagAttribute) {
    ClassTable table;
    FillClassTable(table);
    CWebObjUtil& link = U().link;
    link.SetDescriptionTemplate(CWebInfo(), CWebInfo(), "index", "url");
    EXPECT_EQ(link.GetDescriptionTemplate().tagAttr, "url");
    EXPECT_EQ(link.GetDescriptionTemplate().selector, "location");
    EXPECT_EQ(link.GetDescriptionTemplate().obligatory.GetAttrCount(), 2u);

    CWebInfo obligatory;
    AppendString(obligatory, "href", " ");
    link.SetDescriptionTemplate(obligatory, CWebInfo(), "index", "");
    EXPECT_EQ(link.GetDescriptionTemplate().tagAttr, "name");
    EXPECT_EQ(link.GetDescriptionTemplate().selector, "index");
    EXPECT_EQ(link.GetDescriptionTemplate().obligatory, obligatory);

    // A new class table puts the defaults back.
    FillClassTable(table);
    EXPECT_EQ(link.GetDescriptionTemplate().selector, "location");
    EXPECT_EQ(*link.GetDescriptionTemplate().obligatory.GetAttrName(1), "name");
}

TEST(Templates, BrowserDescriptionIsEmpty) {
    ClassTable table;
    FillClassTable(table);
    const DescriptionTemplate& model = U().browser.GetDescriptionTemplate();
    EXPECT_EQ(model.obligatory.GetAttrCount(), 0u);
    EXPECT_EQ(model.optional.GetAttrCount(), 0u);
    EXPECT_EQ(model.selector, "");
    EXPECT_EQ(model.tagAttr, "");
}

TEST(Structure, EnclosingFrameIsTheNearestFrameIncludingTheObject) {
    Obj page(U().frame, 1);
    Obj* frame = page.Add(U().frame);
    Obj* table = frame->Add(U().table);
    Obj* cell = table->Add(U().cell);
    EXPECT_EQ(U().object.GetEnclosingFrame(CWebObjRef(cell)).Get(), frame);
    EXPECT_EQ(U().object.GetEnclosingFrame(CWebObjRef(frame)).Get(), frame);
    Obj loose(U().link, 9);
    EXPECT_FALSE(U().object.GetEnclosingFrame(CWebObjRef(&loose)).IsValid());
    EXPECT_FALSE(U().object.GetEnclosingFrame(CWebObjRef()).IsValid());
}

TEST(Structure, OnlyPageIsTheSingleChildOfARoot) {
    Obj browser(U().browser, 1);
    Obj* page = browser.Add(U().frame);
    Obj* frame = page->Add(U().frame);
    EXPECT_TRUE(U().frame.IsOnlyPage(CWebObjRef(page)));
    EXPECT_FALSE(U().frame.IsOnlyPage(CWebObjRef(frame)));
    EXPECT_FALSE(U().frame.IsOnlyPage(CWebObjRef(&browser)));
    EXPECT_FALSE(U().frame.IsOnlyPage(CWebObjRef()));
    Obj* second = browser.Add(U().frame);
    EXPECT_FALSE(U().frame.IsOnlyPage(CWebObjRef(page)));
    EXPECT_FALSE(U().frame.IsOnlyPage(CWebObjRef(second)));
}

// The regular-expression library is found through "path".
class Tables : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SetEnvironmentVariableA("path", WEBAGENT_MODULE_DIR); }
};

TEST_F(Tables, NamedByTheFirstCellWithText) {
    Obj table(U().table, 1);
    Obj* row = table.Add(U().row, {{"name", "row name is skipped"}});
    row->Add(U().cell, {{"data", ""}});
    row->Add(U().cell, {{"data", "\t{Price}"}});
    std::string name;
    ASSERT_TRUE(U().table.GetTableName(CWebObjRef(&table), name));
    EXPECT_EQ(name, " Price");
}

TEST_F(Tables, ObjectNamesCountUnlessBlank) {
    Obj table(U().table, 1);
    Obj* row = table.Add(U().row);
    Obj* cell = row->Add(U().cell, {{"data", "{}"}});
    cell->Add(U().link, {{"name", "   "}});
    cell->Add(U().link, {{"name", "Details"}});
    std::string name;
    ASSERT_TRUE(U().table.GetTableName(CWebObjRef(&table), name));
    EXPECT_EQ(name, "Details");
}

TEST_F(Tables, BlankNamesAndEmptyCellsGiveNoName) {
    Obj table(U().table, 1);
    Obj* row = table.Add(U().row);
    row->Add(U().cell, {{"data", ""}});
    Obj* cell = row->Add(U().cell);
    cell->Add(U().image, {{"name", " "}});
    cell->Add(U().image, {{"name", ""}});
    std::string name = "unchanged";
    EXPECT_FALSE(U().table.GetTableName(CWebObjRef(&table), name));
    EXPECT_EQ(name, "unchanged");
}

TEST_F(Tables, GridOfRowsAndCells) {
    Obj table(U().table, 1);
    EXPECT_EQ(U().table.GetColumnCount(CWebObjRef(&table)), 0);
    Obj* first = table.Add(U().row);
    first->Add(U().cell);
    Obj* second = table.Add(U().row);
    second->Add(U().cell);
    Obj* wanted = second->Add(U().cell);
    EXPECT_EQ(U().table.GetColumnCount(CWebObjRef(&table)), 2);
    EXPECT_EQ(U().table.GetCellAt(CWebObjRef(&table), 2, 2).Get(), wanted);
    EXPECT_FALSE(U().table.GetCellAt(CWebObjRef(&table), 1, 2).IsValid());
    EXPECT_FALSE(U().table.GetCellAt(CWebObjRef(&table), 0, 1).IsValid());
    EXPECT_FALSE(U().table.GetCellAt(CWebObjRef(&table), 3, 1).IsValid());
}

TEST(Cells, DataJoinsImageTextsAndTheCellText) {
    Obj cell(U().cell, 1, {{"text", "  {Total}\r\n"}});
    cell.Add(U().image, {{"data", "arrow"}});
    cell.Add(U().link, {{"data", "not an image"}});
    cell.Add(U().image, {{"data", "star"}});
    std::string data;
    ASSERT_TRUE(U().cell.GetCellData(CWebObjRef(&cell), data));
    EXPECT_EQ(data, "arrow star   Total");

    Obj bare(U().cell, 2, {{"text", ""}});
    ASSERT_TRUE(U().cell.GetCellData(CWebObjRef(&bare), data));
    EXPECT_EQ(data, "");
    Obj textless(U().cell, 3);
    EXPECT_FALSE(U().cell.GetCellData(CWebObjRef(&textless), data));
}

TEST(Images, TextOrSource) {
    Obj alt(U().image, 1, {{"alt", "Logo"}});
    Obj emptyAlt(U().image, 2, {{"alt", ""}, {"src", ""}});
    Obj none(U().image, 3, {{"alt", ""}});
    EXPECT_TRUE(U().image.HasTextOrSource(CWebObjRef(&alt)));
    EXPECT_TRUE(U().image.HasTextOrSource(CWebObjRef(&emptyAlt)));
    EXPECT_FALSE(U().image.HasTextOrSource(CWebObjRef(&none)));
    EXPECT_FALSE(U().image.HasTextOrSource(CWebObjRef()));
}

// Answers message 15 with a fixed list of identifiers and remembers what it
// was asked.
class ListingDispatcher : public CInterface {
public:
    bool Dispatch(CWebInfo& record) override {
        asked = record;
        record.ClearAttrs();
        record.SetRetValue(result);
        for (const CWebRunTimeID& id : found) {
            AppendRunTimeID(record, "id", id);
        }
        return true;
    }
    CWebInfo asked;
    nsresult result = NS_OK;
    std::vector<CWebRunTimeID> found;
};

ListingDispatcher* g_Listing = nullptr;
CInterface* Listing() {
    return g_Listing;
}

TEST(ClassIndex, PositionAmongTheFramesObjectsOfTheClass) {
    ListingDispatcher dispatcher;
    g_Listing = &dispatcher;
    SetDispatcherSource(&Listing);
    const CWebRunTimeID wanted(5, 6, 70, -1);
    dispatcher.result = 0x80040203u;
    dispatcher.found = {{5, 6, 10, -1}, {5, 6, 70, 0}, wanted};
    EXPECT_EQ(U().link.GetClassIndex("html_link", wanted), 2);
    EXPECT_EQ(dispatcher.asked.GetMsgId(), 15);
    EXPECT_EQ(dispatcher.asked.GetRunTimeID(), CWebRunTimeID(5, 6, -1, -1));
    EXPECT_EQ(StringArg(dispatcher.asked, "class"), "html_link");

    dispatcher.found = {{5, 6, 10, -1}};
    EXPECT_EQ(U().link.GetClassIndex("html_link", wanted), -1);
    dispatcher.found = {wanted};
    dispatcher.result = kResultNotFound;
    EXPECT_EQ(U().link.GetClassIndex("html_link", wanted), -1);
    SetDispatcherSource(nullptr);
    EXPECT_EQ(U().link.GetClassIndex("html_link", wanted), -1);
    g_Listing = nullptr;
}

TEST(TextOperations, CleaningTrimmingAndSqueezing) {
    ListingDispatcher dispatcher;
    g_Listing = &dispatcher;
    SetDispatcherSource(&Listing);
    std::string text = "a\tb\r\n{c}";
    EXPECT_TRUE(CWebObjUtil::CleanText(text, false));
    EXPECT_EQ(text, "a b{c}");
    dispatcher.SetOption("Dont remove special chars", 1);
    text = "a\tb\r\n{c}";
    EXPECT_TRUE(CWebObjUtil::CleanText(text, true));
    EXPECT_EQ(text, "a b\r\nc");
    SetDispatcherSource(nullptr);
    g_Listing = nullptr;
    // Without a dispatcher line breaks stay.
    text = "x\ny";
    EXPECT_TRUE(CWebObjUtil::CleanText(text, true));
    EXPECT_EQ(text, "x\ny");

    std::string empty;
    EXPECT_FALSE(CWebObjUtil::CleanText(empty, true));
    EXPECT_FALSE(CWebObjUtil::TrimText(empty));
    EXPECT_FALSE(CWebObjUtil::SqueezeText(empty));
    text = " \r\n a b \n";
    EXPECT_TRUE(CWebObjUtil::TrimText(text));
    EXPECT_EQ(text, "a b");
    text = " \n\r ";
    EXPECT_TRUE(CWebObjUtil::TrimText(text));
    EXPECT_EQ(text, "");
    text = " a\r\nb c ";
    EXPECT_TRUE(CWebObjUtil::SqueezeText(text));
    EXPECT_EQ(text, "abc");
}

} // namespace

// The checkpoint writers on hand-built object trees, compared byte for byte
// with what lands on disk (text mode: every line feed becomes CR LF).

#include "agent/channel/RequestArgs.h"
#include "agent/classutil/ClassUtilities.h"
#include "agent/common/RegExpService.h"
#include "platform/win32/CrtFile.h"
#include "platform/win32/WinBase.h"
#include "platform/xpcom/nsError.h"
#include "support/FakeAgentContext.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

ClassUtilities& U() {
    return GetClassUtilities();
}

// An owned test object: "class" from its utility, strings and integers from
// tables, and the checkpoint methods answered by its utility as the element
// classes answer them.
class Obj : public CWebObj {
public:
    Obj(const CWebObjUtil& util, std::map<std::string, std::string> strings = {},
        std::map<std::string, int32_t> integers = {})
        : m_Strings(std::move(strings)), m_Integers(std::move(integers)) {
        SetUtil(&util);
        SetId(CWebRunTimeID(1, 2, ++s_NextId, -1));
    }

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override {
        value.Clear();
        if (position >= 0) {
            return false;
        }
        if (name == "class") {
            GetUtil()->GetClassNames(value);
            return true;
        }
        if (auto it = m_Strings.find(name); it != m_Strings.end()) {
            value.Set(std::string_view(it->second));
            return true;
        }
        if (auto it = m_Integers.find(name); it != m_Integers.end()) {
            value.Set(it->second);
            return true;
        }
        return false;
    }

    bool CallMethod(std::string_view method, CWebInfo& record) override {
        const CWebObjRef self(this);
        if (method == "WriteFormatToFile") {
            return GetUtil()->WriteFormatToFile(self, record);
        }
        if (method == "WriteInfoToFile") {
            if (auto* cell = dynamic_cast<const CWebCellUtil*>(GetUtil())) {
                return cell->WriteInfoToFile(self, record);
            }
        }
        return false;
    }

    // General objects carry 0 in the identifier's fourth field.
    void MarkGeneral() {
        const CWebRunTimeID& id = RunTimeID();
        SetId(CWebRunTimeID(id.First(), id.Second(), id.Third(), 0));
    }

    Obj* Add(const CWebObjUtil& util, std::map<std::string, std::string> strings = {},
             std::map<std::string, int32_t> integers = {}) {
        auto* child = new Obj(util, std::move(strings), std::move(integers));
        AddChild(CWebObjRef(child));
        return child;
    }

private:
    std::map<std::string, std::string> m_Strings;
    std::map<std::string, int32_t> m_Integers;
    static inline int32_t s_NextId = 100;
};

// Tool options from a map, and the agent's "!" pattern matching, as the
// trap state's context gives them.
class AgentOptions : public testsupport::FakeAgentContext {
public:
    bool HasDispatcher() const override { return true; }
    TextMatchFunction GetTextMatcher() const override { return &MatchText; }
};

class CheckpointFiles : public ::testing::Test {
protected:
    // "!" patterns need the regular-expression library, found through "path".
    static void SetUpTestSuite() { SetEnvironmentVariableA("path", WEBAGENT_MODULE_DIR); }

    void SetUp() override {
        m_Dir = std::filesystem::path(::testing::TempDir()) /
                ("checkpoints-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_Dir);
        std::filesystem::create_directories(m_Dir);
        m_Previous = InstallAgentContext(&m_Context);
    }
    void TearDown() override {
        InstallAgentContext(m_Previous);
        std::filesystem::remove_all(m_Dir);
    }

    std::string Path(std::string_view name) const { return (m_Dir / name).string(); }

    // The file's bytes as they are on disk; "<none>" when it does not exist.
    std::string Bytes(std::string_view name) const {
        std::ifstream in(Path(name), std::ios::binary);
        if (!in) {
            return "<none>";
        }
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    void Put(std::string_view name, std::string_view bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    CWebInfo Request(std::string_view file) const {
        CWebInfo record;
        AppendString(record, "file_name", Path(file));
        return record;
    }

    std::filesystem::path m_Dir;
    AgentOptions m_Context;
    IAgentContext* m_Previous = nullptr;
};

TEST_F(CheckpointFiles, FormatHeaderEmptiesAnExistingFile) {
    Put("format.txt", "old contents\r\n");
    Obj link(U().link);
    CWebInfo record = Request("format.txt");
    record.SetRetValue(NS_OK);
    EXPECT_TRUE(U().link.WriteFormatHeader(CWebObjRef(&link), record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_EQ(Bytes("format.txt"), "");
}

TEST_F(CheckpointFiles, FormatTreeIndentsEachLevelByATab) {
    Obj table(U().table);
    for (int r = 0; r < 2; ++r) {
        Obj* row = table.Add(U().row);
        row->Add(U().cell);
        Obj* cell = row->Add(U().cell);
        if (r == 1) {
            cell->Add(U().textLink);
        }
    }
    CWebInfo record = Request("format.txt");
    EXPECT_TRUE(U().table.WriteFormatHeader(CWebObjRef(&table), record));
    EXPECT_TRUE(table.CallMethod("WriteFormatToFile", record));
    EXPECT_EQ(Bytes("format.txt"), "html_table\r\n"
                                   "\thtml_row\r\n"
                                   "\t\thtml_cell\r\n"
                                   "\t\thtml_cell\r\n"
                                   "\thtml_row\r\n"
                                   "\t\thtml_cell\r\n"
                                   "\t\thtml_cell\r\n"
                                   "\t\t\thtml_text_link\r\n");
    // The request's level is back where it started.
    EXPECT_EQ(IntegerArg(record, "level"), 0);

    // A given level shifts the whole tree; general objects are not listed.
    Obj div(U().generalObj);
    Obj* general = div.Add(U().generalObj);
    general->MarkGeneral();
    CWebInfo deeper = Request("deeper.txt");
    AppendInteger(deeper, "level", 2);
    EXPECT_TRUE(div.CallMethod("WriteFormatToFile", deeper));
    EXPECT_EQ(Bytes("deeper.txt"), "\t\thtml_general_element\r\n");
}

// A frame lists its top-level objects with their children beside them.
class FlatFrame : public Obj {
public:
    FlatFrame() : Obj(U().frame) {}
    bool CollectChildren(std::vector<CWebObjRef>& out, int32_t flags) override {
        std::vector<CWebObjRef> top;
        Obj::CollectChildren(top, flags);
        for (const CWebObjRef& child : top) {
            out.push_back(child);
            child->CollectChildren(out, flags);
        }
        return true;
    }
};

TEST_F(CheckpointFiles, FormatTreeOfAFrameWritesEachObjectOnce) {
    FlatFrame frame;
    Obj* table = frame.Add(U().table);
    table->Add(U().row)->Add(U().cell);
    frame.Add(U().link);
    CWebInfo record = Request("frame.txt");
    EXPECT_TRUE(frame.CallMethod("WriteFormatToFile", record));
    EXPECT_EQ(Bytes("frame.txt"), "html_frame\r\n"
                                  "\thtml_table\r\n"
                                  "\t\thtml_row\r\n"
                                  "\t\t\thtml_cell\r\n"
                                  "\thtml_link\r\n");
}

TEST_F(CheckpointFiles, FormatWritersRefuseMissingNamesAndUnwritablePaths) {
    Obj link(U().link);
    CWebInfo none;
    EXPECT_TRUE(U().link.WriteFormatHeader(CWebObjRef(&link), none));
    EXPECT_EQ(none.GetRetValue(), E_INVALIDARG);
    CWebInfo number;
    AppendInteger(number, "file_name", 5);
    EXPECT_TRUE(U().link.WriteFormatToFile(CWebObjRef(&link), number));
    EXPECT_EQ(number.GetRetValue(), E_INVALIDARG);
    CWebInfo missingDir = Request("no/such/dir/format.txt");
    EXPECT_TRUE(U().link.WriteFormatToFile(CWebObjRef(&link), missingDir));
    EXPECT_EQ(missingDir.GetRetValue(), E_INVALIDARG);
    EXPECT_FALSE(std::filesystem::exists(Path("no")));
}

TEST_F(CheckpointFiles, AttributeValueIsAppendedWithoutLineEnd) {
    Obj link(U().link, {{"url", "http://x/a b"}}, {{"height", 4}});
    Put("value.txt", "before|");
    CWebInfo record = Request("value.txt");
    AppendString(record, "attr_name", "url");
    record.SetRetValue(E_FAIL);
    EXPECT_TRUE(U().link.WriteAttrValToFile(CWebObjRef(&link), record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_EQ(Bytes("value.txt"), "before|http://x/a b");

    // Not a string, not a property, no property name: refused, file untouched.
    for (const char* name : {"height", "missing"}) {
        CWebInfo bad = Request("value.txt");
        AppendString(bad, "attr_name", name);
        EXPECT_TRUE(U().link.WriteAttrValToFile(CWebObjRef(&link), bad));
        EXPECT_EQ(bad.GetRetValue(), E_INVALIDARG) << name;
    }
    CWebInfo unnamed = Request("fresh.txt");
    EXPECT_TRUE(U().link.WriteAttrValToFile(CWebObjRef(&link), unnamed));
    EXPECT_EQ(unnamed.GetRetValue(), E_INVALIDARG);
    EXPECT_EQ(Bytes("value.txt"), "before|http://x/a b");
    EXPECT_EQ(Bytes("fresh.txt"), "<none>");
}

TEST_F(CheckpointFiles, LinkTableCleansTabsLineBreaksAndBraces) {
    Obj link(U().textLink, {{"name", "Next\tpage\r\n{2}"}, {"url", "http://x/{p}?q=1"}});
    Obj nameless(U().link, {{"url", "http://x/"}});
    CWebInfo record = Request("links.txt");
    AppendString(record, "class", "html_link");
    EXPECT_TRUE(U().link.WriteObjInfoHeader(CWebObjRef(&link), record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_TRUE(U().link.WriteObjInfo(CWebObjRef(&link), record));
    EXPECT_TRUE(U().link.WriteObjInfo(CWebObjRef(&nameless), record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_EQ(Bytes("links.txt"), "Text\tHref\r\nNext page2\thttp://x/p?q=1\r\n");

    // With the option set, line breaks stay in the text.
    m_Context.options["Dont remove special chars"] = 1;
    CWebInfo keep = Request("keep.txt");
    AppendString(keep, "class", "!html_l.*");
    EXPECT_TRUE(U().link.WriteObjInfo(CWebObjRef(&link), keep));
    EXPECT_EQ(Bytes("keep.txt"), "Next page\r\r\n2\thttp://x/p?q=1\r\n");
}

TEST_F(CheckpointFiles, ImageTableWritesNameTypeAndSize) {
    Obj image(U().image, {{"name", "{Logo}"}, {"type", "{Plain}"}},
              {{"width", 120}, {"height", 40}});
    Obj sizeless(U().image, {{"name", "x"}, {"type", "Plain"}});
    CWebInfo record = Request("images.txt");
    AppendString(record, "class", "html_rect");
    EXPECT_TRUE(U().image.WriteObjInfoHeader(CWebObjRef(&image), record));
    EXPECT_TRUE(U().image.WriteObjInfo(CWebObjRef(&image), record));
    EXPECT_TRUE(U().image.WriteObjInfo(CWebObjRef(&sizeless), record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_EQ(Bytes("images.txt"), "Name\tType\tWidth\tHeight\r\nLogo\t{Plain}\t120\t40\r\n");
}

TEST_F(CheckpointFiles, ObjectInfoWritersCheckTheRequestedClass) {
    Obj image(U().image, {{"name", "n"}, {"type", "t"}}, {{"width", 1}, {"height", 1}});
    Obj link(U().link, {{"name", "n"}, {"url", "u"}});
    Put("keep.txt", "kept");
    struct Case {
        const char* what;
        CWebVariantList value;
    };
    CWebVariantList integer;
    integer.Set(3);
    const Case cases[] = {{"link class on an image", CWebVariantList(CWebVariant("html_link"))},
                          {"pattern that fails", CWebVariantList(CWebVariant("!html_l.*"))},
                          {"not a string", integer},
                          {"missing", CWebVariantList()}};
    for (const Case& item : cases) {
        CWebInfo record = Request("keep.txt");
        if (!item.value.IsEmpty()) {
            record.AppendAttr("class", item.value);
        }
        EXPECT_TRUE(U().image.WriteObjInfoHeader(CWebObjRef(&image), record)) << item.what;
        EXPECT_EQ(record.GetRetValue(), E_INVALIDARG) << item.what;
        record.SetRetValue(NS_OK);
        EXPECT_TRUE(U().image.WriteObjInfo(CWebObjRef(&image), record)) << item.what;
        EXPECT_EQ(record.GetRetValue(), E_INVALIDARG) << item.what;
    }
    CWebInfo rect = Request("keep.txt");
    AppendString(rect, "class", "html_rect");
    EXPECT_TRUE(U().link.WriteObjInfoHeader(CWebObjRef(&link), rect));
    EXPECT_EQ(rect.GetRetValue(), E_INVALIDARG);
    EXPECT_EQ(Bytes("keep.txt"), "kept");

    // An image link answers through the image writers, so "html_rect" fits.
    Obj imageLink(U().imageLink, {{"name", "n"}, {"type", "t"}}, {{"width", 1}, {"height", 2}});
    CWebInfo fits = Request("fits.txt");
    AppendString(fits, "class", "html_rect");
    EXPECT_TRUE(U().image.WriteObjInfo(CWebObjRef(&imageLink), fits));
    EXPECT_EQ(fits.GetRetValue(), NS_OK);
    EXPECT_EQ(Bytes("fits.txt"), "n\tt\t1\t2\r\n");
}

TEST_F(CheckpointFiles, TableGridWithShortRowsAndMissingCells) {
    Obj table(U().table);
    Obj* first = table.Add(U().row);
    first->Add(U().cell, {{"data", "Name"}});
    first->Add(U().cell, {{"data", "Price"}});
    first->Add(U().cell, {{"data", "Stock"}});
    Obj* shortRow = table.Add(U().row);
    shortRow->Add(U().cell, {{"data", "Tea"}});
    shortRow->Add(U().cell, {{"data", "3"}});
    Obj* single = table.Add(U().row);
    single->Add(U().cell, {{"data", "Cup"}});
    Obj* broken = table.Add(U().row);
    broken->Add(U().cell); // no "data": writes nothing but keeps its separator
    broken->Add(U().cell, {{"data", ""}});
    broken->Add(U().cell, {{"data", "end"}});
    table.Add(U().row);

    CWebInfo record = Request("grid.txt");
    EXPECT_TRUE(U().table.WriteInfoToFile(CWebObjRef(&table), record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_EQ(Bytes("grid.txt"), "Col #1\tCol #2\tCol #3\r\n"
                                 "Name\tPrice\tStock\r\n"
                                 "Tea\t3\t\r\n"
                                 "Cup\t\t \r\n"
                                 "\t\tend\r\n"
                                 "\t \t \r\n");
}

TEST_F(CheckpointFiles, EmptyTableAndUnwritableGrid) {
    Put("grid.txt", "previous grid");
    Obj table(U().table);
    CWebInfo record = Request("grid.txt");
    record.SetRetValue(E_FAIL);
    EXPECT_TRUE(U().table.WriteInfoToFile(CWebObjRef(&table), record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_EQ(Bytes("grid.txt"), "Col #0\r\n");

    // Rows without cells have no columns either.
    table.Add(U().row);
    EXPECT_TRUE(U().table.WriteInfoToFile(CWebObjRef(&table), record));
    EXPECT_EQ(Bytes("grid.txt"), "Col #0\r\n");

    CWebInfo nowhere = Request("missing/grid.txt");
    EXPECT_TRUE(U().table.WriteInfoToFile(CWebObjRef(&table), nowhere));
    EXPECT_EQ(nowhere.GetRetValue(), E_INVALIDARG);
    CWebInfo unnamed;
    EXPECT_TRUE(U().table.WriteInfoToFile(CWebObjRef(&table), unnamed));
    EXPECT_EQ(unnamed.GetRetValue(), E_INVALIDARG);
}

TEST_F(CheckpointFiles, CellAppendsItsDataOrRefuses) {
    Obj cell(U().cell, {{"data", "a b"}});
    Obj dataless(U().cell);
    Put("cell.txt", "x");
    CWebInfo record = Request("cell.txt");
    EXPECT_TRUE(U().cell.WriteInfoToFile(CWebObjRef(&cell), record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_TRUE(U().cell.WriteInfoToFile(CWebObjRef(&dataless), record));
    EXPECT_EQ(record.GetRetValue(), E_INVALIDARG);
    EXPECT_EQ(Bytes("cell.txt"), "xa b");
}

// Windows-style names land under the desktop stand-in's root, with CR LF.
TEST_F(CheckpointFiles, WindowsNamesAreMappedByTheRuntime) {
    Obj table(U().table);
    CWebInfo record;
    AppendString(record, "file_name", "c:\\temp\\Checkpoint-Grid.txt");
    EXPECT_TRUE(U().table.WriteInfoToFile(CWebObjRef(&table), record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    std::ifstream in(MapFileName("c:\\temp\\Checkpoint-Grid.txt"), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str(), "Col #0\r\n");
    std::filesystem::remove(MapFileName("c:\\temp\\Checkpoint-Grid.txt"));
}

} // namespace

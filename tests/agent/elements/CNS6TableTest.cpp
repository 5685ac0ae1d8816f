// Tables, rows, cells and general elements on real pages: positions, counts,
// names, cell data and navigation between the three levels.
#include "agent/elements/CNS6Table.h"

#include "ElementTestSupport.h"

namespace {

using elementtest::ElementsOnShell;

class Tables : public ElementsOnShell {
protected:
    // The specific objects of the page's walk with this class name.
    std::vector<CWebObjRef> OfClass(std::string_view name) {
        std::vector<CWebObjRef> out;
        for (CWebObjRef& object : Collect(kSpecificObjects)) {
            if (ClassOf(object) == name) {
                out.push_back(object);
            }
        }
        return out;
    }
};

constexpr const char* kThreeByTwo =
    "<table id=t><tr><td>a1</td><td>a2</td></tr><tr id=r2><td>b1</td><td>b2</td></tr>"
    "<tr><td>c1</td><th id=last>c2</th></tr></table>";

TEST_F(Tables, PositionsOfACollectedTable) {
    LOAD_PAGE(kThreeByTwo);
    std::vector<CWebObjRef> tables = OfClass("html_table");
    std::vector<CWebObjRef> rows = OfClass("html_row");
    std::vector<CWebObjRef> cells = OfClass("html_cell");
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_EQ(cells.size(), 6u) << "a TH cell is a cell like a TD";
    CWebObj& table = *tables[0].Get();
    EXPECT_EQ(Integer(table, "table_index"), 0);
    EXPECT_EQ(Integer(table, "rows"), 3);
    EXPECT_EQ(Integer(table, "columns"), 2);
    EXPECT_EQ(Integer(table, "IsIgnored"), 0);
    EXPECT_EQ(Integer(*rows[1].Get(), "row"), 2);
    EXPECT_EQ(Integer(*rows[1].Get(), "cell_count"), 2);
    EXPECT_EQ(Integer(*rows[1].Get(), "IsIgnored"), 1);
    CWebObj& last = *cells[5].Get();
    EXPECT_EQ(Integer(last, "row"), 3);
    EXPECT_EQ(Integer(last, "col"), 2);
    EXPECT_EQ(Id(last, "parent"), table.RunTimeID());
    EXPECT_EQ(Integer(last, "table_index"), 0);
    EXPECT_EQ(String(last, "text"), "c2");
}

TEST_F(Tables, ObjectsMadeForOneNodeComputeTheirPositions) {
    LOAD_PAGE("<table><tr><td>x</td></tr></table>" + std::string(kThreeByTwo));
    CWebObjRef row = Element("r2");
    EXPECT_EQ(dynamic_cast<CNS6Row*>(row.Get())->GetRowIndex(), -1);
    EXPECT_EQ(Integer(*row.Get(), "row"), 2) << "computed through its table";
    EXPECT_EQ(Integer(*row.Get(), "table_index"), 1) << "the document position of its table";
    CWebObjRef cell = Element("last");
    EXPECT_EQ(Integer(*cell.Get(), "row"), 3);
    EXPECT_EQ(Integer(*cell.Get(), "table_index"), 1);
    EXPECT_EQ(Integer(*Element("t").Get(), "table_index"), 1);
}

TEST_F(Tables, ChildPropertyCountsCellsRowByRow) {
    LOAD_PAGE(kThreeByTwo);
    CWebObjRef table = Element("t");
    auto child = [&](std::optional<int32_t> n) {
        CWebVariantList value;
        if (n) {
            value.Set(*n);
        }
        EXPECT_TRUE(table->GetProperty("child", value));
        return value;
    };
    CWebVariantList fourth = child(4);
    ASSERT_EQ(fourth.GetType(), WebVariantType::RunTimeID);
    std::vector<CWebObjRef> secondRowCells;
    Element("r2")->CollectChildren(secondRowCells, kChildFilterOrdinary);
    ASSERT_EQ(secondRowCells.size(), 2u);
    EXPECT_EQ(fourth.GetAt(0)->GetRunTimeID(), secondRowCells[1]->RunTimeID())
        << "the fourth cell is the second row's second";
    EXPECT_TRUE(child(7).IsEmpty());
    EXPECT_TRUE(child(0).IsEmpty());
    CWebVariantList first = child(std::nullopt);
    ASSERT_FALSE(first.IsEmpty()) << "no number means the first cell";
    EXPECT_EQ(String(*table->GetChild(1)->GetChild(1).Get(), "text"), "a1");
}

TEST_F(Tables, TablesAreNamedByTheirFirstTellingCell) {
    LOAD_PAGE("<table id=text><tr><td> First {cell} </td><td><a href='x.html'>l</a></td></tr>"
              "</table>"
              "<table id=second><tr><td></td><td>Second</td></tr></table>"
              "<table id=empty><tr><td></td><td> </td></tr></table>");
    EXPECT_EQ(String(*Element("text").Get(), "name"), "First cell");
    EXPECT_EQ(String(*Element("second").Get(), "name"), "Second");
    EXPECT_EQ(String(*Element("empty").Get(), "name"), "table");
}

TEST_F(Tables, CellDataJoinsImageTextsAndTheCellText) {
    LOAD_PAGE("<table><tr><td id=text>  only text </td><td id=empty></td></tr></table>");
    EXPECT_EQ(String(*Element("text").Get(), "data"), "only text");
    EXPECT_EQ(String(*Element("empty").Get(), "data"), "");
    EXPECT_EQ(String(*Element("text").Get(), "IsIgnored"), "<not a string>");
    EXPECT_EQ(Integer(*Element("text").Get(), "IsIgnored"), 1);
}

TEST_F(Tables, RowsSkipObjectsFromPointAndTablesKeepTheElementsMethods) {
    LOAD_PAGE(kThreeByTwo);
    CWebInfo record;
    record.SetRetValue(E_FAIL);
    EXPECT_TRUE(Element("r2")->CallMethod("SkipObjFromPoint", record));
    EXPECT_EQ(record.GetRetValue(), NS_OK);
    EXPECT_FALSE(Element("t")->CallMethod("SkipObjFromPoint", record));
}

TEST_F(Tables, PropertyListingsRunThroughTheWholeChain) {
    LOAD_PAGE(kThreeByTwo);
    for (const char* id : {"t", "r2", "last"}) {
        CWebInfo all;
        CWebObjRef object = Element(id);
        ASSERT_TRUE(object->GetAllProperties(all));
        std::vector<std::string> names;
        for (size_t i = 0; i < all.GetAttrCount(); ++i) {
            names.push_back(*all.GetAttrName(i));
        }
        EXPECT_NE(std::find(names.begin(), names.end(), "class"), names.end()) << id;
        EXPECT_NE(std::find(names.begin(), names.end(), "inner_text"), names.end())
            << id << ": the element's table follows the class's own";
        EXPECT_EQ(names.back(), "inner_html") << id;
    }
}

TEST_F(Tables, GeneralElementsAreNamedByTextOrClassAttribute) {
    LOAD_PAGE("<p id=text>Some&nbsp;words</p><div id=blank class='banner'></div>");
    EXPECT_EQ(String(*Element("text").Get(), "name"), "Some words");
    EXPECT_EQ(String(*Element("text").Get(), "text"), "Some words");
    EXPECT_EQ(String(*Element("blank").Get(), "name"), "banner");
    EXPECT_EQ(String(*Element("blank").Get(), "text"), "");
    EXPECT_EQ(ClassOf(Element("blank")), "html_general_element");
}

TEST_F(Tables, FrameChildrenAreTheNearestSpecificObjectsOnly) {
    LOAD_PAGE("<div><a id=a href='x.html'>in a division</a></div>" + std::string(kThreeByTwo));
    std::vector<CWebObjRef> children;
    Page().CollectChildren(children, kChildFilterOrdinary);
    std::vector<std::string> tags;
    for (const CWebObjRef& child : children) {
        tags.push_back(String(*child.Get(), "tag_name"));
    }
    EXPECT_EQ(tags, (std::vector<std::string>{"A", "TABLE"}))
        << "a table's rows are its children, not the frame's";
    EXPECT_EQ(Page().GetChild(2)->RunTimeID(), Element("t")->RunTimeID());
    EXPECT_FALSE(Page().GetChild(3));
    EXPECT_EQ(Page().GetChildCount(), 0) << "a page counts its frames";
}

TEST_F(Tables, ElementsWithoutTheTableInterfacesCountNothing) {
    LOAD_PAGE("<table id=t></table><p>x</p>");
    CWebObjRef table = Element("t");
    EXPECT_EQ(Integer(*table.Get(), "rows"), 0);
    EXPECT_EQ(Integer(*table.Get(), "columns"), 0);
    EXPECT_TRUE(Property(*table.Get(), "child").IsEmpty());
}

} // namespace

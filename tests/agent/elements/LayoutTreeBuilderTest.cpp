// The layout tree builder on real pages: which elements become objects, the
// walk's order, table and row numbering, image maps and the lookups the
// recorder uses.
#include "ElementTestSupport.h"
#include "agent/elements/CNS6Table.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

namespace {

using elementtest::ElementsOnShell;

// "S:TAG" for a specific object, "G:TAG" for a general one.
std::vector<std::string> Kinds(const std::vector<CWebObjRef>& objects) {
    std::vector<std::string> out;
    for (const CWebObjRef& object : objects) {
        auto* element = dynamic_cast<CNS6Obj*>(object.Get());
        if (element == nullptr) {
            out.push_back("?");
            continue;
        }
        out.push_back((object->RunTimeID().Fourth() == 0 ? "G:" : "S:") +
                      GetTagName(element->GetElementNode()));
    }
    return out;
}

using Strings = std::vector<std::string>;

class Builder : public ElementsOnShell {
protected:
    std::string KindOf(const std::string& id, uint32_t flags = 0) {
        CWebObjRef object = Element(id, flags);
        if (!object) {
            return "none";
        }
        return Kinds({object}).front();
    }
};

TEST_F(Builder, LinksNeedAnAddressAndAVisibleText) {
    LOAD_PAGE("<a id=text href='x.html'>  Home  </a>"
              "<a id=pic href='y.html'><img id=img src='i.png' width=5 height=5></a>"
              "<a id=target name=here>anchor text</a>");
    EXPECT_EQ(KindOf("text"), "S:A");
    EXPECT_EQ(KindOf("pic"), "G:A") << "a link holding only an image has no text";
    EXPECT_EQ(KindOf("pic", kSpecificObjects), "none");
    EXPECT_EQ(KindOf("img"), "S:IMG");
    EXPECT_EQ(KindOf("target"), "G:A") << "an anchor target has no address";
    EXPECT_EQ(KindOf("target", kSpecificObjects), "none");
    EXPECT_EQ(KindOf("text", kGeneralObjects), "G:A") << "general flags never make a link";
}

TEST_F(Builder, ClassifiesControlsByTypeAndSelectsBySizeAndMultiple) {
    LOAD_PAGE("<form><input id=plain><input id=hidden type=hidden><input id=img type=image>"
              "<input id=file type=file><input id=radio type=RADIO><input id=sub type=submit>"
              "<textarea id=area></textarea><button id=btn>b</button>"
              "<select id=s1 size=1><option id=opt>a</select><select id=s0><option>a</select>"
              "<select id=s4 size=4><option>a</select>"
              "<select id=sm multiple><option>a</select></form>"
              "<object id=obj></object><p id=para>text</p>");
    for (const char* id : {"plain", "hidden", "img", "file", "radio", "sub", "area", "btn", "s1",
                           "s0", "s4", "sm"}) {
        EXPECT_EQ(KindOf(id).substr(0, 2), "S:") << id;
    }
    EXPECT_EQ(KindOf("opt"), "none") << "an OPTION never gets an object";
    EXPECT_EQ(KindOf("obj"), "G:OBJECT");
    EXPECT_EQ(KindOf("para", kSpecificObjects), "none");
    EXPECT_EQ(KindOf("para", kGeneralObjects), "G:P");
}

TEST_F(Builder, WalkIsFlatPreOrderAndSkipsTheRoot) {
    LOAD_PAGE("<div id=d><p>one <a href='a.html'>link</a></p><span>two</span></div>"
              "<!-- comment --><table><tr><td>c</td></tr></table>");
    EXPECT_EQ(Kinds(Collect(kSpecificObjects)), (Strings{"S:A", "S:TABLE", "S:TR", "S:TD"}));
    EXPECT_EQ(Kinds(Collect(0)),
              (Strings{"G:DIV", "G:P", "S:A", "G:SPAN", "S:TABLE", "G:TBODY", "S:TR", "S:TD"}));
    EXPECT_EQ(Kinds(Collect(kChildFilterAll)), Kinds(Collect(0))) << "flags 0 mean both kinds";
    for (const CWebObjRef& object : Collect(0)) {
        EXPECT_EQ(dynamic_cast<CNS6Obj*>(object.Get())->GetOwnerFrame().Get(), &Page())
            << "every object of a walk has the walk's parent";
    }
}

TEST_F(Builder, TablesAreNumberedInDocumentOrderAndRowsCountAcrossNestedTables) {
    LOAD_PAGE("<table id=t0><tbody><tr><td><table id=t1><tr><td>in</td></tr></table></td></tr>"
              "<tr><td>second</td></tr></tbody><tr><td>third</td></tr></table>"
              "<table id=t2><tr><td>x</td></tr></table>");
    std::vector<std::pair<int32_t, int32_t>> rows;
    std::vector<int32_t> tables;
    for (const CWebObjRef& object : Collect(kSpecificObjects)) {
        if (auto* table = dynamic_cast<CNS6Table*>(object.Get())) {
            tables.push_back(table->GetTableIndex());
        } else if (auto* row = dynamic_cast<CNS6Row*>(object.Get())) {
            rows.emplace_back(row->GetTableIndex(), row->GetRowIndex());
        }
    }
    EXPECT_EQ(tables, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(rows,
              (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1, 0}, {0, 1}, {0, 2}, {2, 0}}));
}

TEST_F(Builder, FramesAreNotEntered) {
    Write("inner.html", "<a href='z.html'>inside</a>");
    LOAD_PAGE("<a href='a.html'>outside</a><iframe id=f src='inner.html'></iframe>");
    std::vector<CWebObjRef> objects;
    nsCOMPtr<nsIDOMNode> body = Page().GetCollectionRoot();
    ASSERT_TRUE(Trap().CollectElementObjects(body.get(), m_Page, objects, 0));
    EXPECT_EQ(Kinds(objects), (Strings{"S:A", "G:IFRAME"}))
        << "the inner document belongs to its own frame object";
    EXPECT_EQ(KindOf("f", kSpecificObjects), "none");
}

TEST_F(Builder, ImageMapsStandForTheImageThatUsesThem) {
    LOAD_PAGE("<img id=img src='i.png' usemap='#nav' width=20 height=20>"
              "<map id=map name=nav><area id=area href='a.html' coords='0,0,5,5'></map>"
              "<map id=unused name=nobody><area id=lone href='b.html'></map>"
              "<p><area id=stray href='c.html'></p>");
    std::vector<CWebObjRef> all = Collect(0);
    EXPECT_EQ(Kinds(all), (Strings{"S:IMG", "G:IMG", "G:IMG", "G:MAP", "G:MAP", "G:P", "G:AREA"}))
        << "in a walk, the map and its area stand for the image as general objects";
    EXPECT_EQ(Kinds(Collect(kSpecificObjects)), (Strings{"S:IMG"})) << "one image object only";
    CWebObjRef image = Element("img");
    CWebObjRef recorded = Trap().FindRecordableObject(Node("area").get(), m_Page, TableCheck::No);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->RunTimeID(), image->RunTimeID()) << "a click on an area is the image's";
    nsCOMPtr<nsIDOMNode> unused = Trap().ResolveImageMapNode(Node("unused").get(), m_Page);
    EXPECT_EQ(unused.get(), Node("unused").get()) << "a map no image uses stays the map";
    nsCOMPtr<nsIDOMNode> lone = Trap().ResolveImageMapNode(Node("lone").get(), m_Page);
    EXPECT_EQ(lone.get(), Node("unused").get()) << "an area resolves to its map at least";
    nsCOMPtr<nsIDOMNode> stray = Trap().ResolveImageMapNode(Node("stray").get(), m_Page);
    EXPECT_EQ(stray.get(), Node("stray").get()) << "an area outside any map stays the area";
}

TEST_F(Builder, RecordableObjectIsTheNearestCellAndTablesOnlyForThemselves) {
    LOAD_PAGE("<table id=t border=1><tr id=r><td id=c><span id=s>cell text</span></td></tr>"
              "</table><p id=p><b id=b>bold</b></p>");
    nsCOMPtr<nsIDOMNode> text;
    Node("s")->GetFirstChild(getter_AddRefs(text));
    CWebObjRef cell = Trap().FindRecordableObject(text.get(), m_Page, TableCheck::Yes);
    EXPECT_EQ(ClassOf(cell), "html_cell");
    EXPECT_EQ(ClassOf(Trap().FindRecordableObject(Node("t").get(), m_Page, TableCheck::Yes)),
              "html_table");
    EXPECT_EQ(ClassOf(Trap().FindRecordableObject(Node("b").get(), m_Page, TableCheck::Yes)),
              "html_general_element")
        << "without a specific object above, the node itself may be general";
    EXPECT_FALSE(Trap().FindRecordableObject(Node("b").get(), m_Page, TableCheck::No));
    EXPECT_FALSE(Trap().FindRecordableObject(nullptr, m_Page, TableCheck::Yes));
    EXPECT_FALSE(Trap().FindRecordableObject(Node("b").get(), CWebObjRef(), TableCheck::Yes));
}

TEST_F(Builder, NearestSignificantElementPassesFormattingButNotDivisions) {
    LOAD_PAGE("<div id=d><span id=sp><font><b id=b>bold</b></font></span></div>"
              "<div id=d2><i>italic</i></div>");
    nsCOMPtr<nsIDOMNode> boldText;
    Node("b")->GetFirstChild(getter_AddRefs(boldText));
    EXPECT_EQ(Trap().NearestSignificantElement(boldText.get()).get(), Node("sp").get());
    EXPECT_EQ(Trap().NearestSignificantElement(Node("b").get()).get(), Node("b").get())
        << "an element is its own target";
    nsCOMPtr<nsIDOMNode> italic;
    nsCOMPtr<nsIDOMNode> italicText;
    Node("d2")->GetFirstChild(getter_AddRefs(italic));
    italic->GetFirstChild(getter_AddRefs(italicText));
    EXPECT_EQ(Trap().NearestSignificantElement(italicText.get()).get(), Node("d2").get());
    EXPECT_FALSE(Trap().NearestSignificantElement(nullptr));
}

} // namespace

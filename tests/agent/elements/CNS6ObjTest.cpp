// The element object on real pages: its property table, the logical parent
// and children, rectangles, and identifiers that stay equal across requests
// and die with their node.
#include "ElementTestSupport.h"
#include "agent/channel/RequestArgs.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

namespace {

using elementtest::ElementsOnShell;

class Element : public ElementsOnShell {};

TEST_F(Element, ParentsClimbThroughCellRowAndTableToTheFrame) {
    LOAD_PAGE("<table id=t><tr id=r><td id=c><img id=i src='i.png' width=4 height=4></td></tr>"
              "</table><div><p><a id=a href='x.html'>go</a></p></div>");
    CWebObjRef image = ElementsOnShell::Element("i");
    EXPECT_EQ(Id(*image.Get(), "parent"), ElementsOnShell::Element("c")->RunTimeID());
    CWebObjRef cell = ElementsOnShell::Element("c");
    EXPECT_EQ(Id(*cell.Get(), "parent"), ElementsOnShell::Element("t")->RunTimeID())
        << "a cell reports its table as \"parent\"";
    EXPECT_EQ(cell->GetParent()->RunTimeID(), ElementsOnShell::Element("r")->RunTimeID())
        << "while tree navigation gives its row";
    CWebObjRef row = ElementsOnShell::Element("r");
    EXPECT_EQ(Id(*row.Get(), "parent"), ElementsOnShell::Element("t")->RunTimeID());
    EXPECT_EQ(Id(*ElementsOnShell::Element("t").Get(), "parent"), Page().RunTimeID());
    EXPECT_EQ(Id(*ElementsOnShell::Element("a").Get(), "parent"), Page().RunTimeID())
        << "general elements never act as parents";
}

TEST_F(Element, ChildrenCountSpecificObjectsOnlyAndGeneralElementsAreTransparent) {
    LOAD_PAGE("<table id=t><tr id=r1><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr>"
              "<tr><td id=c><span><a id=a href='x.html'>link</a></span></td></tr></table>"
              "<div id=d><p>text</p><span>more</span></div>");
    CWebObjRef table = ElementsOnShell::Element("t");
    EXPECT_EQ(table->GetChildCount(), 3);
    EXPECT_EQ(ElementsOnShell::Element("r1")->GetChildCount(), 2);
    CWebObjRef cell = ElementsOnShell::Element("c");
    ASSERT_EQ(cell->GetChildCount(), 1);
    EXPECT_EQ(cell->GetChild(1)->RunTimeID(), ElementsOnShell::Element("a")->RunTimeID());
    EXPECT_FALSE(cell->GetChild(0));
    EXPECT_FALSE(cell->GetChild(2));
    CWebObjRef division = ElementsOnShell::Element("d");
    EXPECT_EQ(division->GetChildCount(), 0);
    std::vector<CWebObjRef> general;
    division->CollectChildren(general, kChildFilterGeneral);
    EXPECT_EQ(Summary(general),
              (std::vector<std::string>{"html_general_element:P", "html_general_element:SPAN"}));
    CWebVariantList second;
    second.Set(2);
    CWebObjRef viaValue = table->GetChildByValue(second);
    ASSERT_TRUE(viaValue);
    EXPECT_EQ(ClassOf(viaValue), "html_row");
    EXPECT_EQ(Integer(*viaValue.Get(), "row"), 2);
}

TEST_F(Element, FindsDescendantsOnlyBelowItselfAndChildrenOnlyDirectlyBelow) {
    LOAD_PAGE("<table id=t><tr id=r><td id=c><a id=a href='x.html'>in</a></td></tr></table>"
              "<a id=out href='y.html'>out</a>");
    CWebObjRef table = ElementsOnShell::Element("t");
    const CWebRunTimeID link = ElementsOnShell::Element("a")->RunTimeID();
    const CWebRunTimeID row = ElementsOnShell::Element("r")->RunTimeID();
    ASSERT_TRUE(table->FindDescendant(link));
    EXPECT_EQ(table->FindDescendant(link)->RunTimeID(), link);
    EXPECT_FALSE(table->FindDescendant(ElementsOnShell::Element("out")->RunTimeID()));
    EXPECT_FALSE(table->FindDescendant(table->RunTimeID())) << "an element is not below itself";
    EXPECT_FALSE(table->GetChildById(link)) << "the link is not a child node of the table";
    EXPECT_TRUE(ElementsOnShell::Element("c")->GetChildById(link));
    (void)row;
}

TEST_F(Element, IdentifiersStayEqualAcrossRequestsAndResolveThroughTheFrame) {
    LOAD_PAGE("<p id=p>text</p><a id=a href='x.html'>go</a>");
    CWebObjRef first = ElementsOnShell::Element("a");
    CWebObjRef second = ElementsOnShell::Element("a");
    EXPECT_NE(first.Get(), second.Get()) << "every lookup makes a new object";
    EXPECT_EQ(first->RunTimeID(), second->RunTimeID());
    const CWebRunTimeID id = first->RunTimeID();
    EXPECT_EQ(id.First(), Page().RunTimeID().First());
    EXPECT_EQ(id.Second(), Page().RunTimeID().Second());
    EXPECT_GT(id.Third(), 0);
    EXPECT_EQ(id.Fourth(), -1);
    const CWebRunTimeID general = ElementsOnShell::Element("p")->RunTimeID();
    EXPECT_EQ(general.Fourth(), 0);
    CWebObjRef found = Page().FindDescendant(id);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->RunTimeID(), id);
    ASSERT_TRUE(Page().FindDescendant(general));
    CWebRunTimeID asGeneral = id;
    asGeneral.SetFourth(0);
    ASSERT_TRUE(Page().FindDescendant(asGeneral)) << "general collections make links general";
    EXPECT_EQ(Page().FindDescendant(asGeneral)->RunTimeID(), asGeneral);
    CWebRunTimeID otherKind = id;
    otherKind.SetFourth(5);
    EXPECT_FALSE(Page().FindDescendant(otherKind));
}

TEST_F(Element, StaleAndForeignIdentifiersNameNoObject) {
    Write("inner.html", "<a id=inner href='z.html'>inside</a>");
    LOAD_PAGE("<a id=a href='x.html'>go</a><iframe src='inner.html'></iframe>");
    std::vector<CWebObjRef> frames;
    Page().AppendFrames(frames);
    ASSERT_EQ(frames.size(), 1u);
    auto* frame = dynamic_cast<CNS6Frame*>(frames[0].Get());
    const CWebRunTimeID innerId = ElementsOnShell::Element("inner", 0, frame)->RunTimeID();
    ASSERT_TRUE(frame->FindDescendant(innerId));
    CWebRunTimeID foreign = Page().RunTimeID();
    foreign.SetThird(innerId.Third());
    EXPECT_FALSE(Page().FindDescendant(foreign)) << "a node of another frame";
    for (int32_t random : {1, 7, 123456789, INT32_MAX, -5}) {
        CWebRunTimeID made = Page().RunTimeID();
        made.SetThird(random);
        EXPECT_FALSE(Page().FindDescendant(made)) << random;
    }

    CWebObjRef link = ElementsOnShell::Element("a");
    const CWebRunTimeID id = link->RunTimeID();
    link = {};
    nsCOMPtr<nsIDOMNode> node = Node("a");
    nsCOMPtr<nsIDOMNode> parent;
    node->GetParentNode(getter_AddRefs(parent));
    nsCOMPtr<nsIDOMNode> removed;
    ASSERT_EQ(parent->RemoveChild(node.get(), getter_AddRefs(removed)), NS_OK);
    EXPECT_FALSE(Page().FindDescendant(id)) << "a node taken out of the document";
    node = nullptr;
    removed = nullptr;
    EXPECT_FALSE(Page().FindDescendant(id)) << "a node that is gone";
}

TEST_F(Element, ElementsOfAPageNavigatedAwayFromStayDead) {
    const std::string second = Write("second.html", "<a id=b href='y.html'>next</a>");
    LOAD_PAGE("<a id=a href='x.html'>go</a>");
    CWebObjRef held = ElementsOnShell::Element("a");
    const CWebRunTimeID id = held->RunTimeID();
    CWebInfo navigate;
    AppendString(navigate, "command", "Navigate");
    AppendString(navigate, "url", second);
    ASSERT_TRUE(Page().CallMethod("BrowserCommand", navigate));
    ASSERT_EQ(navigate.GetRetValue(), NS_OK);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_FALSE(Page().FindDescendant(id)) << "even while a handle keeps the old node alive";
    EXPECT_TRUE(ElementsOnShell::Element("b"));
    // The held object still answers without touching anything freed.
    EXPECT_EQ(String(*held.Get(), "tag_name"), "A");
}

TEST_F(Element, HandlesOutliveTheirFrameSafely) {
    Write("inner.html", "<a id=inner href='z.html'>inside</a>");
    LOAD_PAGE("<iframe id=f src='inner.html'></iframe>");
    std::vector<CWebObjRef> frames;
    Page().AppendFrames(frames);
    ASSERT_EQ(frames.size(), 1u);
    CWebObjRef link =
        ElementsOnShell::Element("inner", 0, dynamic_cast<CNS6Frame*>(frames[0].Get()));
    frames[0].Destroy();
    frames.clear();
    auto* element = dynamic_cast<CNS6Obj*>(link.Get());
    EXPECT_FALSE(element->GetOwnerFrame());
    EXPECT_FALSE(Rect(*element).has_value());
    CWebVariantList screen = Property(*element, "screen_rect");
    EXPECT_TRUE(screen.IsEmpty()) << "no owning frame, no screen rectangle";
    EXPECT_FALSE(element->GetParent());
    EXPECT_EQ(element->GetChildCount(), 0);
    std::vector<CWebObjRef> none;
    EXPECT_FALSE(element->CollectDescendants(none, kChildFilterAll));
}

TEST_F(Element, TextPropertiesNameAndTagFollowTheirCleaning) {
    LOAD_PAGE("<table><tr><td id=w>Two&nbsp;words\r\n</td><td id=c>{braced}\tcell</td></tr>"
              "</table><p id=p class='note big'>  {braced}\ttext  </p>");
    CWebObjRef words = ElementsOnShell::Element("w");
    EXPECT_EQ(String(*words.Get(), "name"), "Two words");
    EXPECT_EQ(String(*words.Get(), "tag_name"), "TD");
    EXPECT_EQ(String(*ElementsOnShell::Element("c").Get(), "name"), "braced cell")
        << "braces go from names";
    CWebObjRef para = ElementsOnShell::Element("p");
    EXPECT_EQ(String(*para.Get(), "name"), "{braced} text") << "a general element's inner text";
    EXPECT_EQ(String(*para.Get(), "inner_text"), "{braced} text");
    EXPECT_EQ(String(*para.Get(), "class_name"), "note big");
    EXPECT_EQ(String(*para.Get(), "html_id"), "p");
    EXPECT_EQ(String(*para.Get(), "inner_html"), "  {braced}\ttext  ");
}

TEST_F(Element, PropertyTableListingAttributesAndUnsupportedEntries) {
    LOAD_PAGE("<p id=p title='tip' hidden=hidden>x</p><span id=s hidden=''>y</span>");
    CWebObjRef para = ElementsOnShell::Element("p");
    CWebVariantList value;
    EXPECT_FALSE(para->GetProperty("outer_html", value));
    EXPECT_FALSE(para->GetProperty("attribute/", value));
    EXPECT_FALSE(para->GetProperty("no_such_property", value));
    EXPECT_EQ(String(*para.Get(), "attribute/title"), "tip");
    EXPECT_EQ(String(*para.Get(), "ATTRIBUTE/title"), "tip") << "the prefix ignores case";
    EXPECT_EQ(String(*para.Get(), "attribute/missing"), "");
    EXPECT_EQ(Integer(*para.Get(), "visible"), 0);
    EXPECT_EQ(Integer(*ElementsOnShell::Element("s").Get(), "visible"), 1);
    EXPECT_EQ(Integer(*para.Get(), "IsIgnored"), 1);
    CWebInfo all;
    ASSERT_TRUE(para->GetAllProperties(all));
    ASSERT_GT(all.GetAttrCount(), 0u);
    EXPECT_EQ(*all.GetAttrName(all.GetAttrCount() - 1), "inner_html")
        << "a full listing ends before \"outer_html\"";
    EXPECT_EQ(*all.GetAttrName(0), "name") << "the general element's own table comes first";
}

TEST_F(Element, ColoursClimbToTheDocumentAndDefaultForText) {
    LOAD_PAGE("<p id=plain>text</p><div style='color: red'><span id=styled>s</span></div>"
              "<table bgcolor='#00ff00'><tr><td id=cell>c</td></tr></table>");
    EXPECT_EQ(String(*ElementsOnShell::Element("plain").Get(), "color"), "#0000ff");
    EXPECT_EQ(String(*ElementsOnShell::Element("plain").Get(), "bgcolor"), "");
    EXPECT_EQ(String(*ElementsOnShell::Element("styled").Get(), "color"), "red");
    EXPECT_EQ(String(*ElementsOnShell::Element("cell").Get(), "bgcolor"), "#00ff00");
}

TEST_F(Element, RectanglesFollowLayoutAndScrolling) {
    LOAD_PAGE("<body style='margin:0'><div style='height:3000px'>"
              "<p id=p style='margin:0;width:100px;height:20px'>x</p></div>"
              "<div id=box style='height:50px;overflow:scroll;position:relative'>"
              "<div style='height:500px'><p id=inner style='margin:0;height:10px'>y</p>"
              "</div></div><div style='position:relative'><p id=still>z</p></div></body>");
    CWebObjRef para = ElementsOnShell::Element("p");
    std::optional<RECT> before = Rect(*para.Get());
    ASSERT_TRUE(before);
    EXPECT_EQ(before->bottom - before->top, 20);
    EXPECT_EQ(before->right - before->left, 100);
    EXPECT_EQ(Integer(*para.Get(), "width"), 100);
    EXPECT_EQ(Integer(*para.Get(), "height"), 20);
    CWebVariantList pos = Property(*para.Get(), "pos");
    ASSERT_EQ(pos.GetType(), WebVariantType::Pair);

    CWebObjRef inner = ElementsOnShell::Element("inner");
    std::optional<RECT> innerBefore = Rect(*inner.Get());
    ASSERT_TRUE(innerBefore);
    nsCOMPtr<nsIDOMNSHTMLElement> box = do_QueryInterface(Node("box"));
    ASSERT_EQ(box->SetScrollTop(30), NS_OK);
    std::optional<RECT> innerAfter = Rect(*inner.Get());
    ASSERT_TRUE(innerAfter);
    EXPECT_EQ(innerAfter->top, innerBefore->top - 30) << "a scrolled division moves its content";
    EXPECT_EQ(Rect(*para.Get())->top, before->top) << "the division's scroll is its own";

    nsIDOMWindow* window = m_Window->ContentShell()->DOMWindow();
    ASSERT_EQ(window->ScrollTo(0, 40), NS_OK);
    EXPECT_EQ(Rect(*para.Get())->top, before->top - 40) << "the frame's scroll moves everything";
    CWebObjRef still = ElementsOnShell::Element("still");
    ASSERT_EQ(window->ScrollTo(0, 0), NS_OK);
    std::optional<RECT> stillBefore = Rect(*still.Get());
    ASSERT_EQ(window->ScrollTo(0, 40), NS_OK);
    std::optional<RECT> stillAfter = Rect(*still.Get());
    ASSERT_TRUE(stillBefore && stillAfter);
    EXPECT_EQ(stillAfter->top, stillBefore->top - 40)
        << "a division that does not scroll adds no scroll of its own, not the window's again";
    std::optional<RECT> screen = Rect(*para.Get(), "screen_rect");
    CWebVariantList frameRect = Property(Page(), "rect");
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->top, Rect(*para.Get())->top + frameRect.GetAt(0)->GetRect().top);
}

TEST_F(Element, ClassIndexCountsAmongTheObjectsOfItsClass) {
    LOAD_PAGE("<p id=p1>one</p><p id=p2>two</p>");
    // Until identification answers description requests the service says -1.
    int32_t index = Integer(*ElementsOnShell::Element("p2").Get(), "class_index");
    EXPECT_TRUE(index == 1 || index == -1) << index;
}

} // namespace

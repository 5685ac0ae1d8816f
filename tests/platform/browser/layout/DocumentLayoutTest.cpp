#include "platform/browser/layout/DocumentLayout.h"

#include "platform/browser/dom/Parser.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

#include <gtest/gtest.h>
#include <memory>

namespace browser::layout {
namespace {

using namespace metrics;

// A parsed page and its layout in an 800 x 600 client area.
class LoadedPage {
public:
    explicit LoadedPage(std::string_view markup, Size client = {800, 600}) {
        m_dom = dom::ParseHTMLDocument(markup, u"http://host/page.html");
        document = dom::Document::FromDOM(m_dom.get());
        if (document)
            layout = std::make_unique<DocumentLayout>(*document, client);
    }

    dom::Element& Id(std::u16string_view id) const {
        dom::Element* element = document->ElementById(id);
        EXPECT_NE(element, nullptr) << "no element with that id";
        return element ? *element : *document->Body();
    }

    // The element's offset values as the DOM answers them to the agent.
    struct Offsets {
        int32_t left = 0, top = 0, width = 0, height = 0;
        dom::Element* parent = nullptr;
    };
    static Offsets OffsetsOf(dom::Element& element) {
        Offsets out;
        nsCOMPtr<nsIDOMNSHTMLElement> ns = do_QueryInterface(element.AsDOMNode());
        EXPECT_TRUE(ns);
        if (!ns)
            return out;
        ns->GetOffsetLeft(&out.left);
        ns->GetOffsetTop(&out.top);
        ns->GetOffsetWidth(&out.width);
        ns->GetOffsetHeight(&out.height);
        nsCOMPtr<nsIDOMElement> parent;
        ns->GetOffsetParent(getter_AddRefs(parent));
        if (dom::Node* core = dom::Node::FromDOM(parent.get()); core && core->IsElement())
            out.parent = static_cast<dom::Element*>(core);
        return out;
    }

    // The element's rectangle the way the agent reckons it from the DOM:
    // offsets summed along the offset parents, the body border added, the
    // scroll of the window and of scrolled divisions taken off.
    Rect AgentRect(dom::Element& element) const {
        Offsets own = OffsetsOf(element);
        int32_t x = own.left, y = own.top, bodyLeft = 0, bodyTop = 0, scrollX = 0, scrollY = 0;
        for (dom::Element* p = own.parent; p; p = OffsetsOf(*p).parent) {
            Offsets o = OffsetsOf(*p);
            x += o.left;
            y += o.top;
            if (p->HasTag(u"body")) {
                bodyTop = Pixels(*p, u"border-top-width");
                bodyLeft = Pixels(*p, u"border-left-width");
            }
            if (p->HasTag(u"div"))
                if (auto area = layout->Scroll(*p)) {
                    scrollX += area->left;
                    scrollY += area->top;
                }
        }
        Point window = layout->WindowScroll();
        int32_t left = x + bodyLeft - window.x - scrollX;
        int32_t top = y + bodyTop - window.y - scrollY;
        return Rect::FromSize(left, top, own.width, own.height);
    }

    int32_t Pixels(dom::Element& element, std::u16string_view property) const {
        auto value = layout->ComputedValue(element, property);
        return value ? std::stoi(dom::Utf8FromUtf16(*value)) : -1;
    }

    nsCOMPtr<nsIDOMHTMLDocument> m_dom;
    dom::Document* document = nullptr; // observes m_dom
    std::unique_ptr<DocumentLayout> layout;
};

constexpr std::string_view kPage = R"(<html><body style="border: 2px solid">
<h1 id=title>Title</h1>
<p id=para>Some <a id=link href="next.html">linked <b id=bold>text</b></a> here.</p>
<table id=table border=1 cellpadding=2>
  <tr><td id=c1>one</td><td id=c2><img id=img width=30 height=20></td></tr>
</table>
<div id=scroller style="overflow: auto; height: 40px; width: 200px">
  <div id=l1>line 1</div><div id=l2>line 2</div><div id=l3>line 3</div>
  <div id=l4>line 4</div><div id=l5>line 5</div><div id=l6>line 6</div>
</div>
<div id=tall style="height: 2000px">tall</div>
</body></html>)";

TEST(DocumentLayout, InstallsItselfAsTheDocumentsHookAndRemovesItself) {
    LoadedPage page(kPage);
    ASSERT_NE(page.document, nullptr);
    EXPECT_EQ(page.document->Layout(), page.layout.get());
    page.layout.reset();
    EXPECT_EQ(page.document->Layout(), nullptr);
    // Without layout the DOM answers zeros.
    LoadedPage::Offsets o = LoadedPage::OffsetsOf(page.Id(u"para"));
    EXPECT_EQ(o.top, 0);
    EXPECT_EQ(o.parent, nullptr);
}

TEST(DocumentLayout, OffsetsThroughTheDomMatchTheLaidOutBoxes) {
    LoadedPage page(kPage);
    dom::Element& body = *page.document->Body();
    LoadedPage::Offsets title = LoadedPage::OffsetsOf(page.Id(u"title"));
    EXPECT_EQ(title.parent, &body);
    EXPECT_EQ(title.left, 0) << "offsets inside BODY start inside its border";
    EXPECT_EQ(title.height, kLineHeight);
    EXPECT_EQ(title.width, 800 - 2 * kBodyMargin - 2 * 2);

    LoadedPage::Offsets cell = LoadedPage::OffsetsOf(page.Id(u"c2"));
    EXPECT_EQ(cell.parent, &page.Id(u"table"));
    LoadedPage::Offsets img = LoadedPage::OffsetsOf(page.Id(u"img"));
    EXPECT_EQ(img.parent, &page.Id(u"c2"));
    EXPECT_EQ(img.width, 30);
    EXPECT_EQ(img.height, 20);
    EXPECT_EQ(LoadedPage::OffsetsOf(body).parent, nullptr);

    // The agent's reckoning lands on the boxes the shell sees, for every element.
    for (std::u16string_view id : {u"title", u"para", u"link", u"bold", u"table", u"c1", u"c2",
                                   u"img", u"scroller", u"l3", u"tall"}) {
        std::optional<Rect> box = page.layout->ClientBox(page.Id(id));
        ASSERT_TRUE(box) << dom::Utf8FromUtf16(id);
        EXPECT_EQ(page.AgentRect(page.Id(id)), *box) << dom::Utf8FromUtf16(id);
    }
}

TEST(DocumentLayout, ScrollingMovesClientBoxesTheWayTheAgentReckonsThem) {
    LoadedPage page(kPage);
    dom::Element& scroller = page.Id(u"scroller");
    dom::Element& line = page.Id(u"l5");
    Rect before = *page.layout->ClientBox(line);

    // The division scrolls through the DOM's scrollTop.
    nsCOMPtr<nsIDOMNSHTMLElement> ns = do_QueryInterface(scroller.AsDOMNode());
    ASSERT_TRUE(ns);
    EXPECT_EQ(ns->SetScrollTop(2 * kLineHeight), NS_OK);
    PRInt32 top = -1, height = 0;
    ns->GetScrollTop(&top);
    ns->GetScrollHeight(&height);
    EXPECT_EQ(top, 2 * kLineHeight);
    EXPECT_EQ(height, 6 * kLineHeight);
    EXPECT_EQ(ns->SetScrollTop(100000), NS_OK);
    ns->GetScrollTop(&top);
    EXPECT_EQ(top, 6 * kLineHeight - 40) << "clamped to the content";
    ns->SetScrollTop(2 * kLineHeight);

    // The window scrolls; BODY reports the window's scroll.
    EXPECT_TRUE(page.layout->ScrollWindowTo(Point{0, 50}));
    EXPECT_EQ(page.layout->WindowScroll(), (Point{0, 50}));
    Rect after = *page.layout->ClientBox(line);
    EXPECT_EQ(after, before.Moved(0, -2 * kLineHeight - 50));
    EXPECT_EQ(page.AgentRect(line), after);
    std::optional<dom::ScrollArea> window = page.layout->Scroll(*page.document->Body());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->top, 50);
    EXPECT_EQ(window->height, page.layout->ContentSize().height);

    // Scrolling stops at the ends of the document.
    page.layout->ScrollWindowBy(INT32_MAX, INT32_MAX);
    Size content = page.layout->ContentSize();
    EXPECT_EQ(page.layout->WindowScroll(), (Point{0, content.height - 600}));
    page.layout->ScrollWindowBy(INT32_MIN, INT32_MIN);
    EXPECT_EQ(page.layout->WindowScroll(), (Point{0, 0}));

    // A division that does not scroll has no scroll area.
    nsCOMPtr<nsIDOMNSHTMLElement> plain = do_QueryInterface(page.Id(u"tall").AsDOMNode());
    EXPECT_EQ(plain->GetScrollTop(&top), NS_ERROR_NOT_AVAILABLE);
    EXPECT_EQ(plain->SetScrollTop(5), NS_ERROR_NOT_AVAILABLE);
}

TEST(DocumentLayout, HitTestingClientPoints) {
    LoadedPage page(kPage);
    Rect bold = *page.layout->ClientBox(page.Id(u"bold"));
    EXPECT_EQ(page.layout->ElementAt(Point{bold.left + 1, bold.top + 1}), &page.Id(u"bold"));
    Rect img = *page.layout->ClientBox(page.Id(u"img"));
    EXPECT_EQ(page.layout->ElementAt(Point{img.left, img.top}), &page.Id(u"img"));
    EXPECT_EQ(page.layout->ElementAt(Point{-1, 5}), nullptr);
    EXPECT_EQ(page.layout->ElementAt(Point{800, 5}), nullptr) << "outside the client area";

    page.layout->ScrollWindowTo(Point{0, 30});
    EXPECT_EQ(page.layout->ElementAt(Point{bold.left + 1, bold.top + 1 - 30}), &page.Id(u"bold"));

    // Lines of the scrolled division are hit where they show.
    page.layout->ScrollWindowTo(Point{0, 0});
    dom::Element& scroller = page.Id(u"scroller");
    ASSERT_TRUE(page.layout->SetScroll(scroller, 3 * kLineHeight, std::nullopt));
    Rect shown = *page.layout->ClientBox(page.Id(u"l4"));
    EXPECT_EQ(shown.top, page.layout->ClientBox(scroller)->top);
    EXPECT_EQ(page.layout->ElementAt(Point{shown.left + 1, shown.top + 1}), &page.Id(u"l4"));
}

TEST(DocumentLayout, LayoutFollowsChangesOfTheDocument) {
    LoadedPage page(kPage);
    dom::Element& para = page.Id(u"para");
    dom::Element& table = page.Id(u"table");
    Rect tableBefore = *page.layout->ClientBox(table);

    para.SetAttribute(u"style", u"display: none");
    EXPECT_EQ(page.layout->ClientBox(para), std::nullopt);
    EXPECT_EQ(page.layout->OffsetBox(para), std::nullopt);
    EXPECT_EQ(page.layout->ComputedValue(para, u"display"), nsString(u"none"));
    EXPECT_LT(page.layout->ClientBox(table)->top, tableBefore.top) << "what follows moves up";

    // A new element gets a box; a removed one has none and moves the rest.
    dom::NodeRef added = page.document->CreateElement(u"img");
    ASSERT_TRUE(added);
    auto& img = static_cast<dom::Element&>(*added);
    img.SetAttribute(u"width", u"10");
    img.SetAttribute(u"height", u"100");
    ASSERT_EQ(page.document->Body()->InsertChild(img, &table), NS_OK);
    ASSERT_TRUE(page.layout->ClientBox(img));
    EXPECT_EQ(page.layout->ClientBox(img)->Height(), 100);
    ASSERT_EQ(page.document->Body()->RemoveChildNode(img), NS_OK);
    EXPECT_EQ(page.layout->ClientBox(img), std::nullopt);
    EXPECT_EQ(page.layout->OffsetParent(img), nullptr);

    // A scrolled division keeps its scroll across a new layout.
    dom::Element& scroller = page.Id(u"scroller");
    ASSERT_TRUE(page.layout->SetScroll(scroller, 20, std::nullopt));
    para.RemoveAttribute(u"style");
    EXPECT_EQ(page.layout->Scroll(scroller)->top, 20);
    EXPECT_EQ(page.layout->ClientBox(table), tableBefore);

    // Edited text is laid out again, though the document does not count it.
    dom::Element& link = page.Id(u"link");
    int32_t linkWidth = page.layout->ClientBox(link)->Width();
    auto& text = static_cast<dom::CharacterData&>(*link.FirstChild());
    text.SetData(text.Data() + u"more");
    EXPECT_EQ(page.layout->ClientBox(link)->Width(), linkWidth + 4 * kCharWidth);

    // A narrower client area lays the text out again.
    Rect title = *page.layout->ClientBox(page.Id(u"title"));
    page.layout->SetClientSize(Size{100, 600});
    EXPECT_LT(page.layout->ClientBox(page.Id(u"title"))->Width(), title.Width());
}

TEST(DocumentLayout, ComputedValuesOfTheLaidOutElements) {
    LoadedPage page(kPage);
    dom::Element& body = *page.document->Body();
    EXPECT_EQ(page.layout->ComputedValue(body, u"border-top-width"), nsString(u"2px"));
    EXPECT_EQ(page.layout->ComputedValue(page.Id(u"c1"), u"border-left-width"), nsString(u"1px"));
    EXPECT_EQ(page.layout->ComputedValue(page.Id(u"link"), u"display"), nsString(u"inline"));
    EXPECT_EQ(page.layout->ComputedValue(page.Id(u"link"), u"no-such-property"), std::nullopt);
}

TEST(DocumentLayout, FramesetPagesAndFrameBoxes) {
    LoadedPage page(
        R"(<html><frameset cols="25%,*"><frame id=nav src=a.html><frame id=main src=b.html></frameset></html>)");
    std::optional<Rect> nav = page.layout->ClientBox(page.Id(u"nav"));
    std::optional<Rect> main = page.layout->ClientBox(page.Id(u"main"));
    ASSERT_TRUE(nav && main);
    EXPECT_EQ(*nav, Rect::FromSize(0, 0, 200, 600));
    EXPECT_EQ(*main, Rect::FromSize(200, 0, 600, 600));
    EXPECT_TRUE(page.layout->ScrollWindowTo(Point{10, 10}));
    EXPECT_EQ(page.layout->WindowScroll(), (Point{0, 0})) << "a frameset always fits";

    LoadedPage inline_(R"(<p>before <iframe id=f src=x.html width=120></iframe></p>)");
    std::optional<Rect> frame = inline_.layout->ClientBox(inline_.Id(u"f"));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->Width(), 120);
    EXPECT_EQ(frame->Height(), kIFrameHeight);
}

TEST(DocumentLayout, XulDocumentsGiveBoxObjectsOnTheScreen) {
    nsCOMPtr<nsIDOMDocument> xul =
        dom::NewDocument(dom::ElementNamespace::XUL, u"chrome://navigator/content/navigator.xul");
    dom::Document* document = dom::Document::FromDOM(xul.get());
    ASSERT_NE(document, nullptr);
    auto add =
        [&](dom::Node& parent, std::u16string_view tag,
            std::initializer_list<std::pair<std::u16string_view, std::u16string_view>> attrs) {
            dom::NodeRef made = document->CreateElement(tag);
            auto& element = static_cast<dom::Element&>(*made);
            for (const auto& [name, value] : attrs)
                element.SetAttribute(name, nsString(value));
            EXPECT_EQ(parent.InsertChild(element, nullptr), NS_OK);
            return &element;
        };
    dom::Element* window = add(*document, u"window", {});
    dom::Element* bar = add(*window, u"toolbar", {{u"id", u"bar"}});
    dom::Element* back = add(*bar, u"toolbarbutton", {{u"id", u"back"}, {u"label", u"Back"}});
    dom::Element* url = add(*bar, u"textbox", {{u"id", u"url"}, {u"flex", u"1"}});
    dom::NodeRef input = dom::NewElement(document->Link(), dom::ElementNamespace::HTML, u"input");
    url->SetAnonymous(input);
    dom::Element* content = add(*window, u"browser", {{u"id", u"content"}, {u"flex", u"1"}});
    DocumentLayout layout(*document, Size{640, 480});
    layout.SetScreenOrigin([] { return Point{100, 50}; });

    std::optional<dom::XulBox> box = layout.BoxObject(*back);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->box.left, 0);
    EXPECT_EQ(box->box.width, 4 * kCharWidth + 2 * kButtonPadding);
    EXPECT_EQ(box->box.height, kXulButtonHeight);
    EXPECT_EQ(box->screenX, 100);
    EXPECT_EQ(box->screenY, 50);
    std::optional<dom::XulBox> area = layout.BoxObject(*content);
    ASSERT_TRUE(area);
    EXPECT_EQ(area->box.top, kXulButtonHeight);
    EXPECT_EQ(area->box.height, 480 - kXulButtonHeight);
    EXPECT_EQ(layout.ElementAt(Point{5, 5}), back);
    // The textbox's anonymous input fills it and is what a click there hits.
    std::optional<Rect> field = layout.ClientBox(*url);
    ASSERT_TRUE(field);
    EXPECT_EQ(field->left, box->box.width);
    EXPECT_EQ(field->right, 640);
    std::optional<Rect> inner = layout.ClientBox(static_cast<dom::Element&>(*input));
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->left, field->left);
    EXPECT_EQ(inner->right, field->right);
    EXPECT_EQ(inner->Height(), kControlHeight);
    EXPECT_EQ(layout.ElementAt(Point{field->left + 3, field->top + 3}), input.get());
}

TEST(DocumentLayout, SamePageSameRectanglesFromLoadToLoad) {
    LoadedPage first(kPage);
    LoadedPage second(kPage);
    EXPECT_EQ(first.layout->Dump(), second.layout->Dump());
    for (std::u16string_view id : {u"title", u"link", u"c2", u"img", u"l6", u"tall"})
        EXPECT_EQ(first.layout->ClientBox(first.Id(id)), second.layout->ClientBox(second.Id(id)))
            << dom::Utf8FromUtf16(id);
    // Asking again without a change does not move anything.
    std::string before = first.layout->Dump();
    first.layout->Invalidate();
    EXPECT_EQ(first.layout->Dump(), before);
}

TEST(DocumentLayout, ElementsOfAnotherDocumentAreNotLaidOut) {
    LoadedPage first(kPage);
    LoadedPage second("<p id=other>x</p>");
    dom::Element& other = second.Id(u"other");
    EXPECT_EQ(first.layout->OffsetBox(other), std::nullopt);
    EXPECT_EQ(first.layout->ClientBox(other), std::nullopt);
    EXPECT_FALSE(first.layout->SetScroll(other, 1, 1));
    EXPECT_EQ(first.layout->ComputedValue(other, u"display"), std::nullopt);
    EXPECT_NE(first.layout->Dump().find("TABLE"), std::string::npos);
}

} // namespace
} // namespace browser::layout

// Node cores and their faces: character data, cloning, attribute nodes,
// markup serialisation, layout-dependent values and the focus.
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"
#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"

#include <gtest/gtest.h>

namespace {

nsCOMPtr<nsIDOMHTMLDocument> LoadPage(std::string_view markup) {
    return dom::ParseHTMLDocument(markup, u"http://host/");
}

template <typename Interface = nsIDOMElement>
nsCOMPtr<Interface> ById(nsIDOMDocument* document, std::u16string_view id) {
    nsCOMPtr<nsIDOMElement> element;
    document->GetElementById(nsString(id), getter_AddRefs(element));
    nsCOMPtr<Interface> result = do_QueryInterface(element);
    return result;
}

std::string Narrow(const nsString& text) {
    return dom::Utf8FromUtf16(text);
}

TEST(Node, CharacterDataEditsCheckTheirOffsets) {
    auto page = LoadPage("<p id=p>Hello world</p>");
    nsCOMPtr<nsIDOMNode> first;
    ById(page, u"p")->GetFirstChild(getter_AddRefs(first));
    nsCOMPtr<nsIDOMText> text = do_QueryInterface(first);
    ASSERT_TRUE(text);
    nsString part;
    EXPECT_EQ(text->SubstringData(6, 100, part), NS_OK);
    EXPECT_EQ(Narrow(part), "world");
    EXPECT_EQ(text->SubstringData(12, 1, part), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(text->InsertData(99, u"x"), NS_ERROR_INVALID_ARG);
    text->ReplaceData(0, 5, u"Goodbye");
    text->DeleteData(7, 100);
    text->AppendData(u"!");
    text->GetData(part);
    EXPECT_EQ(Narrow(part), "Goodbye!");

    nsCOMPtr<nsIDOMText> rest;
    ASSERT_EQ(text->SplitText(4, getter_AddRefs(rest)), NS_OK);
    rest->GetData(part);
    EXPECT_EQ(Narrow(part), "bye!");
    nsCOMPtr<nsIDOMNode> next;
    text->GetNextSibling(getter_AddRefs(next));
    EXPECT_TRUE(SameCOMIdentity(next, rest));
    EXPECT_EQ(text->SplitText(99, getter_AddRefs(rest)), NS_ERROR_INVALID_ARG);
}

TEST(Node, DeepClonesCopyAttributesChildrenAndLiveValues) {
    auto page = LoadPage("<div id=d title=t><input id=i value=a><b>bold</b></div>");
    auto input = ById<nsIDOMHTMLInputElement>(page, u"i");
    input->SetValue(u"typed");
    nsCOMPtr<nsIDOMNode> shallow, deep;
    auto div = ById(page, u"d");
    div->CloneNode(PR_FALSE, getter_AddRefs(shallow));
    div->CloneNode(PR_TRUE, getter_AddRefs(deep));
    PRBool has = PR_TRUE;
    shallow->HasChildNodes(&has);
    EXPECT_FALSE(has);
    nsCOMPtr<nsIDOMElement> copy = do_QueryInterface(deep);
    nsString value;
    copy->GetAttribute(u"title", value);
    EXPECT_EQ(Narrow(value), "t");
    nsCOMPtr<nsIDOMNode> copiedInput;
    copy->GetFirstChild(getter_AddRefs(copiedInput));
    nsCOMPtr<nsIDOMHTMLInputElement> copiedField = do_QueryInterface(copiedInput);
    ASSERT_TRUE(copiedField);
    copiedField->GetValue(value);
    EXPECT_EQ(Narrow(value), "typed");
    // A clone is not in the tree until inserted.
    nsCOMPtr<nsIDOMNode> parent;
    deep->GetParentNode(getter_AddRefs(parent));
    EXPECT_FALSE(parent);
    dom::Document* core = dom::Document::FromDOM(page);
    const uint32_t count = core->ElementCount();
    nsCOMPtr<nsIDOMNode> inserted;
    div->AppendChild(deep, getter_AddRefs(inserted));
    EXPECT_EQ(core->ElementCount(), count + 3);
}

TEST(Node, AttributeNodesReadAndWriteTheirElement) {
    auto page = LoadPage("<p id=p align=left>x</p>");
    auto p = ById(page, u"p");
    nsCOMPtr<nsIDOMNamedNodeMap> map;
    p->GetAttributes(getter_AddRefs(map));
    nsCOMPtr<nsIDOMNode> item;
    map->Item(1, getter_AddRefs(item));
    nsCOMPtr<nsIDOMAttr> attr = do_QueryInterface(item);
    ASSERT_TRUE(attr);
    nsString value;
    attr->GetName(value);
    EXPECT_EQ(Narrow(value), "align");
    attr->SetValue(u"right");
    p->GetAttribute(u"align", value);
    EXPECT_EQ(Narrow(value), "right");
    nsCOMPtr<nsIDOMElement> owner;
    attr->GetOwnerElement(getter_AddRefs(owner));
    EXPECT_TRUE(SameCOMIdentity(owner, p));
    map->Item(2, getter_AddRefs(item));
    EXPECT_FALSE(item);
    p->RemoveAttribute(u"ALIGN");
    PRUint32 length = 0;
    map->GetLength(&length);
    EXPECT_EQ(length, 1u);
    // A text node has no attribute map.
    nsCOMPtr<nsIDOMNode> text;
    p->GetFirstChild(getter_AddRefs(text));
    text->GetAttributes(getter_AddRefs(map));
    EXPECT_FALSE(map);
}

TEST(Node, InnerHTMLEscapesTextButNotScripts) {
    auto page = LoadPage("<div id=d></div>");
    auto div = ById<nsIDOMNSHTMLElement>(page, u"d");
    div->SetInnerHTML(u"a &lt;b&gt; &amp;&nbsp;<br><script>if (a < b) x();</script>"
                      u"<img alt='\"q\"'><!--c-->");
    nsString html;
    div->GetInnerHTML(html);
    EXPECT_EQ(Narrow(html), "a &lt;b&gt; &amp;&nbsp;<br><script>if (a < b) x();</script>"
                            "<img alt=\"&quot;q&quot;\"><!--c-->");
    // Table markup is parsed in its context.
    auto table = LoadPage("<table><tbody id=b></tbody></table>");
    auto body = ById<nsIDOMNSHTMLElement>(table, u"b");
    body->SetInnerHTML(u"<tr><td>1</td></tr>");
    body->GetInnerHTML(html);
    EXPECT_EQ(Narrow(html), "<tr><td>1</td></tr>");
}

// A layout answering fixed boxes, and a scrollable area for elements with
// the class "scroll".
class FakeLayout final : public dom::LayoutHook {
public:
    std::optional<dom::LayoutBox> OffsetBox(dom::Element&) override {
        return dom::LayoutBox{5, 6, 70, 80};
    }
    dom::Element* OffsetParent(dom::Element& element) override {
        return static_cast<dom::Element*>(element.Parent());
    }
    std::optional<dom::XulBox> BoxObject(dom::Element&) override { return std::nullopt; }
    std::optional<dom::ScrollArea> Scroll(dom::Element& element) override {
        if (element.Attribute(u"class") != u"scroll")
            return std::nullopt;
        return dom::ScrollArea{m_top, 0, 500, 100};
    }
    bool SetScroll(dom::Element&, std::optional<int32_t> top, std::optional<int32_t>) override {
        if (top)
            m_top = *top;
        return true;
    }
    std::optional<nsString> ComputedValue(dom::Element&, std::u16string_view) override {
        return {};
    }

private:
    int32_t m_top = 0;
};

TEST(Node, OffsetsAndScrollingComeFromTheLayout) {
    auto page = LoadPage("<div id=outer><div id=d class=scroll>x</div></div>");
    auto element = ById<nsIDOMNSHTMLElement>(page, u"d");
    PRInt32 value = -1;
    element->GetOffsetLeft(&value);
    EXPECT_EQ(value, 0); // no layout yet
    nsCOMPtr<nsIDOMElement> parent;
    element->GetOffsetParent(getter_AddRefs(parent));
    EXPECT_FALSE(parent);
    EXPECT_EQ(element->GetScrollTop(&value), NS_ERROR_NOT_AVAILABLE);

    FakeLayout layout;
    dom::Document::FromDOM(page)->SetLayoutHook(&layout);
    element->GetOffsetLeft(&value);
    EXPECT_EQ(value, 5);
    element->GetOffsetHeight(&value);
    EXPECT_EQ(value, 80);
    element->GetOffsetParent(getter_AddRefs(parent));
    EXPECT_TRUE(SameCOMIdentity(parent, ById(page, u"outer")));
    EXPECT_EQ(element->SetScrollTop(40), NS_OK);
    element->GetScrollTop(&value);
    EXPECT_EQ(value, 40);
    element->GetScrollHeight(&value);
    EXPECT_EQ(value, 500);
    EXPECT_EQ(ById<nsIDOMNSHTMLElement>(page, u"outer")->GetScrollTop(&value),
              NS_ERROR_NOT_AVAILABLE);
    dom::Document::FromDOM(page)->SetLayoutHook(nullptr);
}

class Recorder final : public nsSupportsImpl<Recorder, nsIDOMEventListener> {
public:
    nsresult HandleEvent(nsIDOMEvent* event) override {
        nsString type;
        event->GetType(type);
        nsCOMPtr<nsIDOMEventTarget> target;
        event->GetTarget(getter_AddRefs(target));
        nsCOMPtr<nsIDOMElement> element = do_QueryInterface(target);
        nsString id;
        if (element)
            element->GetAttribute(u"id", id);
        seen += Narrow(type) + ":" + Narrow(id) + " ";
        return NS_OK;
    }
    std::string seen;
};

TEST(Node, FocusMovesBetweenElementsAndLeavesWithTheElement) {
    auto page = LoadPage("<input id=a><input id=b>");
    nsCOMPtr<Recorder> recorder(new Recorder());
    nsCOMPtr<nsIDOMEventTarget> document = do_QueryInterface(page);
    document->AddEventListener(u"focus", recorder, PR_TRUE);
    document->AddEventListener(u"blur", recorder, PR_TRUE);
    auto a = ById<nsIDOMHTMLInputElement>(page, u"a");
    auto b = ById<nsIDOMHTMLInputElement>(page, u"b");
    a->Focus();
    a->Focus(); // already focused: nothing
    b->Focus();
    a->Blur(); // not focused: nothing
    EXPECT_EQ(recorder->seen, "focus:a blur:a focus:b ");
    dom::Document* core = dom::Document::FromDOM(page);
    EXPECT_EQ(core->FocusedElement(), dom::Node::FromDOM(b));
    nsCOMPtr<nsIDOMNode> parent, removed;
    b->GetParentNode(getter_AddRefs(parent));
    parent->RemoveChild(b, getter_AddRefs(removed));
    EXPECT_EQ(core->FocusedElement(), nullptr);
}

} // namespace

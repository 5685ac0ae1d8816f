// Documents built from markup: tree shape, node names and values, the
// element count under changes, live collections and identities.
#include "platform/browser/dom/Document.h"

#include "platform/browser/dom/HostService.h"
#include "platform/browser/dom/Parser.h"
#include "platform/xpcom/dom/nsIContent.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMHostService.h"
#include "platform/xpcom/shell/nsINetwork.h"

#include <gtest/gtest.h>

namespace {

nsCOMPtr<nsIDOMHTMLDocument> LoadPage(std::string_view markup) {
    return dom::ParseHTMLDocument(markup, u"http://host/dir/page.html");
}

dom::Document& CoreOf(nsIDOMDocument* document) {
    return *dom::Document::FromDOM(document);
}

nsCOMPtr<nsIDOMElement> ById(nsIDOMDocument* document, std::u16string_view id) {
    nsCOMPtr<nsIDOMElement> element;
    document->GetElementById(nsString(id), getter_AddRefs(element));
    return element;
}

std::string Narrow(const nsString& text) {
    return dom::Utf8FromUtf16(text);
}

// The number of elements, counted by walking the tree.
uint32_t CountByWalking(dom::Document& document) {
    uint32_t count = 0;
    for (dom::Node* node = &document; node; node = node->NextInTree(&document))
        count += node->IsElement() ? 1 : 0;
    return count;
}

TEST(Document, IllFormedHTMLIsRepairedAsHTML5Does) {
    auto page = LoadPage("<title> My   page </title><p>one<p>two<b>bold<i>both</b>italic</i>");
    ASSERT_TRUE(page);
    dom::Document& core = CoreOf(page);
    EXPECT_EQ(Narrow(dom::Document::Dump(core)), "#document\n"
                                                 "  <HTML>\n"
                                                 "    <HEAD>\n"
                                                 "      <TITLE>\n"
                                                 "        #text \" My   page \"\n"
                                                 "    <BODY>\n"
                                                 "      <P>\n"
                                                 "        #text \"one\"\n"
                                                 "      <P>\n"
                                                 "        #text \"two\"\n"
                                                 "        <B>\n"
                                                 "          #text \"bold\"\n"
                                                 "          <I>\n"
                                                 "            #text \"both\"\n"
                                                 "        <I>\n"
                                                 "          #text \"italic\"\n");
    nsString title;
    page->GetTitle(title);
    EXPECT_EQ(Narrow(title), "My page");
    EXPECT_EQ(core.ElementCount(), 9u);
}

TEST(Document, NodeNamesTypesAndValuesAreThoseOfTheDOM) {
    auto page = LoadPage("<div id=d class=c>text<!--note--><span>s</span></div>");
    nsCOMPtr<nsIDOMElement> div = ById(page, u"d");
    ASSERT_TRUE(div);
    nsString name;
    div->GetNodeName(name);
    EXPECT_EQ(Narrow(name), "DIV");
    div->GetLocalName(name);
    EXPECT_EQ(Narrow(name), "div");

    nsCOMPtr<nsIDOMNode> text;
    div->GetFirstChild(getter_AddRefs(text));
    PRUint16 type = 0;
    text->GetNodeType(&type);
    EXPECT_EQ(type, nsIDOMNode::TEXT_NODE);
    text->GetNodeName(name);
    EXPECT_EQ(Narrow(name), "#text");
    nsString value;
    text->GetNodeValue(value);
    EXPECT_EQ(Narrow(value), "text");

    nsCOMPtr<nsIDOMNode> comment;
    text->GetNextSibling(getter_AddRefs(comment));
    comment->GetNodeType(&type);
    EXPECT_EQ(type, nsIDOMNode::COMMENT_NODE);
    comment->GetNodeValue(value);
    EXPECT_EQ(Narrow(value), "note");

    // Attribute names of HTML elements compare without regard to case.
    div->GetAttribute(u"CLASS", value);
    EXPECT_EQ(Narrow(value), "c");
    nsCOMPtr<nsIDOMNamedNodeMap> attributes;
    div->GetAttributes(getter_AddRefs(attributes));
    PRUint32 length = 0;
    attributes->GetLength(&length);
    EXPECT_EQ(length, 2u);
    nsCOMPtr<nsIDOMNode> attr;
    attributes->GetNamedItem(u"Id", getter_AddRefs(attr));
    ASSERT_TRUE(attr);
    attr->GetNodeValue(value);
    EXPECT_EQ(Narrow(value), "d");

    nsCOMPtr<nsIDOMDocument> owner;
    div->GetOwnerDocument(getter_AddRefs(owner));
    EXPECT_TRUE(SameCOMIdentity(owner, page));
    page->GetOwnerDocument(getter_AddRefs(owner));
    EXPECT_FALSE(owner);
}

TEST(Document, ElementCountFollowsEveryInsertionAndRemoval) {
    auto page = LoadPage("<div id=a><p>1</p><p>2</p></div><div id=b></div>");
    dom::Document& core = CoreOf(page);
    const uint32_t initial = core.ElementCount();
    ASSERT_EQ(initial, CountByWalking(core));

    nsCOMPtr<nsIDOMElement> a = ById(page, u"a");
    nsCOMPtr<nsIDOMElement> b = ById(page, u"b");
    nsCOMPtr<nsIDOMNode> parent;
    a->GetParentNode(getter_AddRefs(parent));

    // Removing a subtree takes all its elements away.
    nsCOMPtr<nsIDOMNode> removed;
    ASSERT_EQ(parent->RemoveChild(a, getter_AddRefs(removed)), NS_OK);
    EXPECT_EQ(core.ElementCount(), initial - 3);

    // Building inside a detached subtree does not count until it is inserted.
    nsCOMPtr<nsIDOMElement> extra;
    page->CreateElement(u"span", getter_AddRefs(extra));
    nsCOMPtr<nsIDOMNode> ignored;
    a->AppendChild(extra, getter_AddRefs(ignored));
    EXPECT_EQ(core.ElementCount(), initial - 3);

    // Moving a connected node keeps the count.
    b->AppendChild(a, getter_AddRefs(ignored));
    EXPECT_EQ(core.ElementCount(), initial + 1);
    parent->AppendChild(a, getter_AddRefs(ignored));
    EXPECT_EQ(core.ElementCount(), initial + 1);
    EXPECT_EQ(core.ElementCount(), CountByWalking(core));

    // innerHTML replaces the children.
    nsCOMPtr<nsIDOMNSHTMLElement> ns = do_QueryInterface(b);
    ASSERT_TRUE(ns);
    ns->SetInnerHTML(u"<ul><li>x<li>y</ul>");
    EXPECT_EQ(core.ElementCount(), CountByWalking(core));
    nsString html;
    ns->GetInnerHTML(html);
    EXPECT_EQ(Narrow(html), "<ul><li>x</li><li>y</li></ul>");
}

TEST(Document, TreeOperationsRefuseCyclesAndForeignNodes) {
    auto page = LoadPage("<div id=outer><div id=inner></div></div>");
    auto other = LoadPage("<p id=p></p>");
    nsCOMPtr<nsIDOMElement> outer = ById(page, u"outer");
    nsCOMPtr<nsIDOMElement> inner = ById(page, u"inner");
    nsCOMPtr<nsIDOMNode> result;
    EXPECT_EQ(inner->AppendChild(outer, getter_AddRefs(result)), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(outer->AppendChild(outer, getter_AddRefs(result)), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(outer->AppendChild(ById(other, u"p"), getter_AddRefs(result)), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(outer->AppendChild(nullptr, getter_AddRefs(result)), NS_ERROR_NULL_POINTER);
    // A text node has no children.
    nsCOMPtr<nsIDOMText> text;
    page->CreateTextNode(u"t", getter_AddRefs(text));
    EXPECT_EQ(text->AppendChild(inner, getter_AddRefs(result)), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(CoreOf(page).ElementCount(), CountByWalking(CoreOf(page)));
}

TEST(Document, CollectionsAreLive) {
    auto page = LoadPage("<a href=x>1</a><a name=n>2</a><img src=i.png><form></form>");
    nsCOMPtr<nsIDOMHTMLCollection> links;
    page->GetLinks(getter_AddRefs(links));
    PRUint32 length = 0;
    links->GetLength(&length);
    EXPECT_EQ(length, 1u);

    nsCOMPtr<nsIDOMNodeList> anchors;
    page->GetElementsByTagName(u"a", getter_AddRefs(anchors));
    anchors->GetLength(&length);
    ASSERT_EQ(length, 2u);
    nsCOMPtr<nsIDOMNode> second;
    anchors->Item(1, getter_AddRefs(second));
    nsCOMPtr<nsIDOMElement> secondElement = do_QueryInterface(second);
    secondElement->SetAttribute(u"href", u"y");
    links->GetLength(&length);
    EXPECT_EQ(length, 2u);

    nsCOMPtr<nsIDOMNode> parent, removed;
    second->GetParentNode(getter_AddRefs(parent));
    parent->RemoveChild(second, getter_AddRefs(removed));
    links->GetLength(&length);
    EXPECT_EQ(length, 1u);
    anchors->Item(1, getter_AddRefs(second));
    EXPECT_FALSE(second);
}

TEST(Document, IdentityTurnsBackIntoTheNodeOnlyWhileItExists) {
    nsCOMPtr<nsIDOMHostService> host;
    ASSERT_EQ(dom::GetDOMHostService(getter_AddRefs(host)), NS_OK);
    auto page = LoadPage("<div id=a></div><div id=b></div>");
    PRUint32 a = 0, b = 0;
    {
        nsCOMPtr<nsIDOMElement> element = ById(page, u"a");
        ASSERT_EQ(host->GetNodeIdentity(element, &a), NS_OK);
        PRUint32 again = 0;
        host->GetNodeIdentity(element, &again);
        EXPECT_EQ(again, a);
        host->GetNodeIdentity(ById(page, u"b"), &b);
        EXPECT_NE(a, b);
        EXPECT_GT(static_cast<int32_t>(a), 0);

        nsCOMPtr<nsIDOMNode> found;
        ASSERT_EQ(host->GetNodeByIdentity(a, getter_AddRefs(found)), NS_OK);
        EXPECT_TRUE(SameCOMIdentity(found, element));

        // Removed but still held: still found.
        nsCOMPtr<nsIDOMNode> parent, removed;
        element->GetParentNode(getter_AddRefs(parent));
        parent->RemoveChild(element, getter_AddRefs(removed));
        EXPECT_EQ(host->GetNodeByIdentity(a, getter_AddRefs(found)), NS_OK);
    }
    // Removed and released: gone, and the identity is not reused.
    nsCOMPtr<nsIDOMNode> found;
    EXPECT_EQ(host->GetNodeByIdentity(a, getter_AddRefs(found)), NS_ERROR_NOT_AVAILABLE);
    EXPECT_FALSE(found);
    nsCOMPtr<nsIDOMElement> fresh;
    page->CreateElement(u"p", getter_AddRefs(fresh));
    PRUint32 next = 0;
    host->GetNodeIdentity(fresh, &next);
    EXPECT_GT(next, b);
    // The document itself going away takes its nodes with it.
    page = nullptr;
    EXPECT_EQ(host->GetNodeByIdentity(b, getter_AddRefs(found)), NS_ERROR_NOT_AVAILABLE);
    EXPECT_EQ(host->GetNodeByIdentity(0, getter_AddRefs(found)), NS_ERROR_NOT_AVAILABLE);
}

TEST(Document, NodeOutlivingItsDocumentAnswersNoOwner) {
    nsCOMPtr<nsIDOMElement> kept;
    {
        auto page = LoadPage("<p id=p>x</p>");
        kept = ById(page, u"p");
    }
    nsCOMPtr<nsIDOMDocument> owner;
    EXPECT_EQ(kept->GetOwnerDocument(getter_AddRefs(owner)), NS_OK);
    EXPECT_FALSE(owner);
    nsString text;
    nsCOMPtr<nsIDOMNode> child;
    kept->GetFirstChild(getter_AddRefs(child));
    child->GetNodeValue(text);
    EXPECT_EQ(Narrow(text), "x");
}

TEST(Document, DeeplyNestedTreesAreSerializedAndFreedWithoutRecursion) {
    auto page = LoadPage("<div id=top></div>");
    dom::Document& core = CoreOf(page);
    const uint32_t before = core.ElementCount();
    {
        // Deep enough that one stack frame per level would overflow.
        nsCOMPtr<nsIDOMElement> top = ById(page, u"top");
        dom::Node* parent = dom::Node::FromDOM(top);
        for (int i = 0; i < 100000; ++i) {
            dom::NodeRef child = core.CreateElement(u"b");
            ASSERT_EQ(parent->InsertChild(*child, nullptr), NS_OK);
            parent = child.get();
        }
        EXPECT_EQ(core.ElementCount(), before + 100000);
        nsString markup = dom::SerializeChildren(*dom::Node::FromDOM(top));
        EXPECT_EQ(markup.size(), 100000u * 7);
        nsCOMPtr<nsIDOMNode> copy;
        ASSERT_EQ(top->CloneNode(PR_TRUE, getter_AddRefs(copy)), NS_OK);
        EXPECT_EQ(dom::SerializeChildren(*dom::Node::FromDOM(copy)), markup);
        nsCOMPtr<nsIDOMNode> body, removed;
        top->GetParentNode(getter_AddRefs(body));
        body->RemoveChild(top, getter_AddRefs(removed));
        EXPECT_EQ(core.ElementCount(), before - 1);
    }
    // The detached subtree went with the last reference; parsing deep markup
    // works too.
    std::string markup(2000 * 5, ' ');
    for (size_t i = 0; i < 2000; ++i)
        markup.replace(i * 5, 5, "<div>");
    auto deep = LoadPage(markup);
    EXPECT_EQ(CoreOf(deep).ElementCount(), CountByWalking(CoreOf(deep)));
}

TEST(Document, MarkupThatIsNotUtf8IsReadInTheDesktopCodePage) {
    auto utf8 = LoadPage("<p id=p>\xE2\x82\xAC caf\xC3\xA9\xC2\xA0</p>");
    auto latin = LoadPage("<p id=p>\x80 caf\xE9\xA0</p>");
    for (auto* page : {utf8.get(), latin.get()}) {
        nsCOMPtr<nsIDOMNode> text;
        ById(page, u"p")->GetFirstChild(getter_AddRefs(text));
        nsString value;
        text->GetNodeValue(value);
        EXPECT_EQ(value, u"\u20AC caf\u00E9\u00A0");
    }
}

TEST(Document, URLsResolveAgainstTheDocument) {
    auto page = LoadPage("");
    dom::Document& core = CoreOf(page);
    EXPECT_EQ(Narrow(core.ResolveURL(u"other.html")), "http://host/dir/other.html");
    EXPECT_EQ(Narrow(core.ResolveURL(u"../up.html?q")), "http://host/up.html?q");
    EXPECT_EQ(Narrow(core.ResolveURL(u"/root")), "http://host/root");
    EXPECT_EQ(Narrow(core.ResolveURL(u"#top")), "http://host/dir/page.html#top");
    EXPECT_EQ(Narrow(core.ResolveURL(u"//cdn/x")), "http://cdn/x");
    EXPECT_EQ(Narrow(core.ResolveURL(u"mailto:a@b")), "mailto:a@b");
}

} // namespace

TEST(Document, BaseElementGivesTheAddressRelativeReferencesResolveAgainst) {
    auto page = dom::ParseHTMLDocument(
        "<head><base target=_top><base href='../other/'><base href='http://ignored/'></head>"
        "<a id=link href='page.html#x'>l</a><img id=img src='pic.gif'>"
        "<a id=abs href='http://abs/y'>a</a>",
        u"http://host/dir/sub/index.html");
    dom::Document& core = *dom::Document::FromDOM(page);
    EXPECT_EQ(Narrow(core.BaseURL()), "http://host/dir/other/")
        << "the first BASE with an href counts, resolved against the document";
    EXPECT_EQ(Narrow(core.ResolveURL(u"go?q=1")), "http://host/dir/other/go?q=1")
        << "what forms and frames resolve their addresses with";
    nsCOMPtr<nsIDOMHTMLAnchorElement> link = do_QueryInterface(ById(page, u"link"));
    nsCOMPtr<nsIDOMHTMLImageElement> img = do_QueryInterface(ById(page, u"img"));
    nsCOMPtr<nsIDOMHTMLAnchorElement> abs = do_QueryInterface(ById(page, u"abs"));
    ASSERT_TRUE(link && img && abs);
    nsString value;
    link->GetHref(value);
    EXPECT_EQ(Narrow(value), "http://host/dir/other/page.html#x");
    img->GetSrc(value);
    EXPECT_EQ(Narrow(value), "http://host/dir/other/pic.gif");
    abs->GetHref(value);
    EXPECT_EQ(Narrow(value), "http://abs/y");

    // The base follows the page's changes.
    nsCOMPtr<nsIDOMNodeList> bases;
    page->GetElementsByTagName(u"base", getter_AddRefs(bases));
    nsCOMPtr<nsIDOMNode> second;
    bases->Item(1, getter_AddRefs(second));
    nsCOMPtr<nsIDOMElement> base = do_QueryInterface(second);
    ASSERT_TRUE(base);
    base->SetAttribute(u"href", u"https://moved/base/");
    link->GetHref(value);
    EXPECT_EQ(Narrow(value), "https://moved/base/page.html#x");
    base->RemoveAttribute(u"href");
    link->GetHref(value);
    EXPECT_EQ(Narrow(value), "http://ignored/page.html#x") << "the next BASE with an href";
}

TEST(Document, WithoutABaseElementTheDocumentAddressIsTheBase) {
    auto page = dom::ParseHTMLDocument("<a id=link href='x.html'>l</a><base>",
                                       u"http://host/dir/index.html");
    dom::Document& core = *dom::Document::FromDOM(page);
    EXPECT_EQ(Narrow(core.BaseURL()), "http://host/dir/index.html");
    nsCOMPtr<nsIDOMHTMLAnchorElement> link = do_QueryInterface(ById(page, u"link"));
    nsString href;
    link->GetHref(href);
    EXPECT_EQ(Narrow(href), "http://host/dir/x.html");
    // The base address is offered through every node; without the browser's
    // I/O service it cannot be made into an address object.
    nsCOMPtr<nsIContent> content = do_QueryInterface(ById(page, u"link"));
    ASSERT_TRUE(content);
    nsCOMPtr<nsIURI> uri;
    EXPECT_TRUE(NS_FAILED(content->GetBaseURL(getter_AddRefs(uri))));
    EXPECT_FALSE(uri);
    EXPECT_EQ(content->GetBaseURL(nullptr), NS_ERROR_NULL_POINTER);
}

TEST(Document, DeepNestingIsCappedAsBrowsersDoAndKeepsEveryElement) {
    const size_t depth = dom::kMaxNestingDepth * 2;
    std::string markup;
    for (size_t i = 0; i < depth; ++i)
        markup += "<div>";
    markup += "deep";
    for (size_t i = 0; i < depth; ++i)
        markup += "</div>";
    markup += "<p id=after>after</p>";
    auto page = dom::ParseHTMLDocument(markup, u"http://host/");
    dom::Document& core = *dom::Document::FromDOM(page);
    size_t deepest = 0, divs = 0;
    for (dom::Node* node = &core; node; node = node->NextInTree(&core)) {
        if (!node->IsElement())
            continue;
        size_t level = 0;
        for (dom::Node* up = node->Parent(); up; up = up->Parent())
            ++level;
        deepest = std::max(deepest, level);
        divs += static_cast<dom::Element*>(node)->HasTag(u"div") ? 1 : 0;
    }
    EXPECT_EQ(divs, depth) << "elements beyond the cap become siblings, not lost";
    EXPECT_LE(deepest, dom::kMaxNestingDepth + 3) << "document, html and body above the divs";
    EXPECT_GE(deepest, dom::kMaxNestingDepth - 3);
    ASSERT_TRUE(ById(page, u"after"));
    nsCOMPtr<nsIDOMNode> parent;
    ById(page, u"after")->GetParentNode(getter_AddRefs(parent));
    nsString name;
    parent->GetNodeName(name);
    EXPECT_EQ(Narrow(name), "BODY") << "markup after the deep part is where it belongs";
}

TEST(Document, MarkupBelowTheNestingCapParsesAsWritten) {
    // Raw text, comments and attributes with '>' do not count as nesting.
    std::string markup =
        "<div id=outer title='a>b'><!-- <div><div> --><script>'<div></div>'</SCRIPT>";
    for (int i = 0; i < 100; ++i)
        markup += "<span>";
    markup += "<b id=inner>x</b>";
    auto page = dom::ParseHTMLDocument(markup, u"http://host/");
    nsCOMPtr<nsIDOMElement> inner = ById(page, u"inner");
    ASSERT_TRUE(inner);
    size_t spans = 0;
    nsCOMPtr<nsIDOMNode> node = inner;
    while (node) {
        nsCOMPtr<nsIDOMNode> parent;
        node->GetParentNode(getter_AddRefs(parent));
        node = parent;
        nsString name;
        if (node)
            node->GetNodeName(name);
        spans += name == u"SPAN" ? 1 : 0;
    }
    EXPECT_EQ(spans, 100u);
}

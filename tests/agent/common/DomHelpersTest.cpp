// The DOM helpers against pages parsed by the simulated browser.
#include "agent/common/DomHelpers.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/dom/Range.h"
#include "platform/browser/dom/Window.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMElement.h"

#include <gtest/gtest.h>

namespace {

class DomHelpers : public ::testing::Test {
protected:
    // Parses `markup` as the page under test.
    void LoadPage(std::string_view markup) {
        m_document = dom::ParseHTMLDocument(markup, u"http://host/page.html");
        ASSERT_TRUE(m_document);
    }

    nsCOMPtr<nsIDOMElement> ById(const char* id) {
        nsCOMPtr<nsIDOMElement> element;
        if (m_document)
            m_document->GetElementById(NS_LITERAL_STRING_FROM(id), getter_AddRefs(element));
        EXPECT_TRUE(element) << "no element with id " << id;
        return element;
    }

    nsCOMPtr<nsIDOMNode> FirstChild(nsIDOMNode* node) {
        nsCOMPtr<nsIDOMNode> child;
        if (node)
            node->GetFirstChild(getter_AddRefs(child));
        return child;
    }

    // The element text of the element with id "t".
    std::string TextOf(std::string_view markup, TextFlag flag = TextFlag::Element) {
        LoadPage(markup);
        std::string text;
        EXPECT_TRUE(GetNodeText(ById("t"), text, flag));
        return text;
    }

    nsCOMPtr<nsIDOMHTMLDocument> m_document;
};

TEST_F(DomHelpers, NodeText_BreakTrimsBeforeItAndSeparatesTheWords) {
    EXPECT_EQ(TextOf("<p id=t>word <br> second</p>"), "word second");
    EXPECT_EQ(TextOf("<p id=t>word<br>second</p>"), "word second");
    EXPECT_EQ(TextOf("<p id=t>one<br><br>\n   two</p>"), "one two");
    EXPECT_EQ(TextOf("<p id=t>one<br><b> </b><i>two</i></p>"), "one two")
        << "blank text after a break keeps the break in force";
    EXPECT_EQ(TextOf("<p id=t>end <br></p>"), "end");
    EXPECT_EQ(TextOf("<p id=t><br>  start</p>"), "start");
}

TEST_F(DomHelpers, NodeText_ScriptsAndFramesCountOnlyWithFlagAll) {
    const char* page = "<div id=t>before<script>var x = 1;</script> after"
                       "<noscript>no script</noscript><iframe>frame</iframe></div>";
    EXPECT_EQ(TextOf(page, TextFlag::Element), "before after");
    std::string all = TextOf(page, TextFlag::All);
    EXPECT_NE(all.find("var x = 1;"), std::string::npos) << all;
    EXPECT_EQ(all.find("before"), 0u) << all;
}

TEST_F(DomHelpers, NodeText_OptionsInsideAParagraphReadAsTrimmedWords) {
    EXPECT_EQ(TextOf("<p id=t>Pick <select><option>  red  </option><option>blue\n</option>"
                     "</select> now</p>"),
              "Pick red blue now");
    LoadPage("<select id=t><option>a</option><option> b </option></select>");
    std::string text;
    ASSERT_TRUE(GetNodeText(ById("t"), text));
    EXPECT_EQ(text, "a b") << "a list's own text has no trailing blank";
}

TEST_F(DomHelpers, NodeText_TabsLineBreaksAndNoBreakSpaces) {
    EXPECT_EQ(TextOf("<pre id=t>a\tb\r\nc\n\n  d</pre>"), "a b c d");
    // No-break spaces become blanks after the collapsing, so they all stay.
    EXPECT_EQ(TextOf("<p id=t>a&nbsp;&nbsp; b</p>"), "a   b");
    std::string text = "\tx \xA0 \xA0\r\n y";
    CleanText(text);
    EXPECT_EQ(text, " x     y");
}

TEST_F(DomHelpers, NodeText_CommentsAreNeverText) {
    EXPECT_EQ(TextOf("<a id=t href=x><!-- tracking -->Home<!--x--> page</a>"), "Home page");
    std::string text;
    LoadPage("<div id=t><!-- only a comment --></div>");
    EXPECT_TRUE(CollectTextOrAttribute(ById("t"), text, ""));
    EXPECT_EQ(text, "");
}

TEST_F(DomHelpers, NodeText_AppendsToWhatIsThereAndRefusesNull) {
    LoadPage("<p id=t> more</p>");
    std::string text = "some";
    EXPECT_TRUE(GetNodeText(ById("t"), text));
    EXPECT_EQ(text, "some more");
    EXPECT_FALSE(GetNodeText(nullptr, text));
    EXPECT_FALSE(CollectText(nullptr, text));
    EXPECT_EQ(text, "some more");
}

TEST_F(DomHelpers, NodeText_DeeplyNestedPageDoesNotExhaustTheStack) {
    LoadPage("<div id=t></div>");
    // Built from the leaf upwards, each new element wrapping the rest.
    nsCOMPtr<nsIDOMText> leaf;
    m_document->CreateTextNode(u"deep", getter_AddRefs(leaf));
    nsCOMPtr<nsIDOMNode> subtree = leaf.get();
    constexpr int kDepth = 50000;
    for (int i = 0; i < kDepth; ++i) {
        nsCOMPtr<nsIDOMElement> wrapper;
        ASSERT_EQ(m_document->CreateElement(u"span", getter_AddRefs(wrapper)), NS_OK);
        nsCOMPtr<nsIDOMNode> added;
        ASSERT_EQ(wrapper->AppendChild(subtree, getter_AddRefs(added)), NS_OK);
        subtree = wrapper.get();
    }
    nsCOMPtr<nsIDOMNode> added;
    ASSERT_EQ(ById("t")->AppendChild(subtree, getter_AddRefs(added)), NS_OK);
    std::string text;
    EXPECT_TRUE(GetNodeText(ById("t"), text));
    EXPECT_EQ(text, "deep");
    text.clear();
    EXPECT_TRUE(CollectTextOrAttribute(ById("t"), text, ""));
    EXPECT_EQ(text, "deep");
}

TEST_F(DomHelpers, CollectTextOrAttribute_SkipsScriptsAndKeepsDocumentOrder) {
    LoadPage("<div id=t>a<img alt=one><script>x<img alt=never></script>"
             "<span>b<img alt=two></span></div>");
    std::string text;
    EXPECT_TRUE(CollectTextOrAttribute(ById("t"), text, ""));
    EXPECT_EQ(text, "ab");
    std::string alts;
    EXPECT_TRUE(CollectTextOrAttribute(ById("t"), alts, "alt"));
    EXPECT_EQ(alts, "onetwo");
    EXPECT_FALSE(CollectTextOrAttribute(nullptr, alts, "alt"));
}

TEST_F(DomHelpers, Names_TagNamesOnlyForElements) {
    LoadPage("<div id=t>text</div>");
    nsCOMPtr<nsIDOMElement> div = ById("t");
    nsCOMPtr<nsIDOMNode> text = FirstChild(div);
    EXPECT_EQ(GetNodeName(div), "DIV");
    EXPECT_EQ(GetTagName(div), "DIV");
    EXPECT_TRUE(HasTagName(div, "div"));
    EXPECT_EQ(GetNodeName(text), "#text");
    EXPECT_EQ(GetTagName(text), "");
    EXPECT_FALSE(HasTagName(text, "#text"));
    EXPECT_EQ(GetNodeName(nullptr), "");
}

TEST_F(DomHelpers, Attributes_ReadAsTextAndAsNumbers) {
    LoadPage("<img id=t width=12px height=' -7' border=abc hspace=99999999999 vspace=-99999999999"
             " alt=''>");
    nsCOMPtr<nsIDOMElement> image = ById("t");
    EXPECT_EQ(GetAttributeText(image, "width"), "12px");
    EXPECT_EQ(GetAttributeInt(image, "width"), 12);
    EXPECT_EQ(GetAttributeInt(image, "height"), -7);
    EXPECT_EQ(GetAttributeInt(image, "border"), 0);
    EXPECT_EQ(GetAttributeInt(image, "missing"), 0);
    EXPECT_EQ(GetAttributeInt(image, "hspace"), 2147483647) << "clamped, not wrapped";
    EXPECT_EQ(GetAttributeInt(image, "vspace"), -2147483647 - 1);
    EXPECT_FALSE(HasNonEmptyAttribute(image, "alt"));
    EXPECT_TRUE(HasNonEmptyAttribute(image, "width"));
    EXPECT_EQ(GetAttributeText(nullptr, "width"), "");
    EXPECT_EQ(GetAttributeInt(FirstChild(m_document), "width"), 0);
}

TEST_F(DomHelpers, Attributes_WrittenValuesKeepTheirCharactersAndLength) {
    LoadPage("<input id=t><p id=p>x</p>");
    nsCOMPtr<nsIDOMElement> input = ById("t");
    // Windows-1252 bytes: e acute, euro sign, no-break space.
    const std::string value = "caf\xE9 \x80\xA0" + std::string(3000, 'z');
    ASSERT_EQ(SetAttributeText(input, "value", value), NS_OK);
    nsString host;
    input->GetAttribute(u"value", host);
    EXPECT_EQ(host.substr(0, 7), u"caf\u00e9 \u20ac\u00a0");
    EXPECT_EQ(host.size(), value.size()) << "a long value must not be cut";
    EXPECT_EQ(GetAttributeText(input, "value"), value);
    EXPECT_EQ(SetAttributeText(FirstChild(ById("p")), "value", "x"), E_FAIL);
    EXPECT_EQ(SetAttributeText(nullptr, "value", "x"), E_FAIL);
}

TEST_F(DomHelpers, Strings_OutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(ToNarrow(u"a\u00e9\u4e2d"), "a\xE9?");
    EXPECT_EQ(ToHostString("a\xE9\x80"), u"a\u00e9\u20ac");
}

TEST_F(DomHelpers, ScriptOrFrame_AncestorsCount) {
    LoadPage("<div id=plain>p</div><noscript id=ns><b id=deep>n</b></noscript>");
    EXPECT_FALSE(IsInsideScriptOrFrame(FirstChild(ById("plain"))));
    EXPECT_TRUE(IsInsideScriptOrFrame(ById("ns")));
    EXPECT_TRUE(IsInsideScriptOrFrame(FirstChild(ById("deep"))));
    EXPECT_FALSE(IsInsideScriptOrFrame(nullptr));
}

class RangeText : public DomHelpers {
protected:
    nsCOMPtr<nsIDOMRange> NewRange() {
        nsCOMPtr<nsIDOMRange> range = dom::NewRange(*dom::Document::FromDOM(m_document));
        EXPECT_TRUE(range);
        return range;
    }

    nsCOMPtr<nsIDOMNode> Child(nsIDOMNode* node, PRUint32 index) {
        nsCOMPtr<nsIDOMNodeList> children;
        node->GetChildNodes(getter_AddRefs(children));
        nsCOMPtr<nsIDOMNode> child;
        if (children)
            children->Item(index, getter_AddRefs(child));
        return child;
    }
};

TEST_F(RangeText, WithinOneTextNode) {
    LoadPage("<p id=t>Hello world</p>");
    nsCOMPtr<nsIDOMRange> range = NewRange();
    nsCOMPtr<nsIDOMNode> text = FirstChild(ById("t"));
    ASSERT_EQ(range->SetStart(text, 6), NS_OK);
    ASSERT_EQ(range->SetEnd(text, 11), NS_OK);
    std::string out = "stale";
    EXPECT_EQ(GetRangeText(range, out), NS_OK);
    EXPECT_EQ(out, "world");
}

TEST_F(RangeText, AcrossNodesCutsOnlyTheBoundaryTextsAndSkipsScripts) {
    LoadPage("<p id=t>Hello <b>bold</b> world<script>skip</script> end</p>");
    nsCOMPtr<nsIDOMElement> paragraph = ById("t");
    nsCOMPtr<nsIDOMRange> range = NewRange();
    ASSERT_EQ(range->SetStart(Child(paragraph, 0), 2), NS_OK);
    ASSERT_EQ(range->SetEnd(Child(paragraph, 4), 2), NS_OK);
    std::string out;
    EXPECT_EQ(GetRangeText(range, out), NS_OK);
    EXPECT_EQ(out, "llo bold world e");

    // Boundaries in the paragraph itself: whole texts, none cut at the
    // boundaries' child positions.
    ASSERT_EQ(range->SetStart(paragraph, 1), NS_OK);
    ASSERT_EQ(range->SetEnd(paragraph, 3), NS_OK);
    EXPECT_EQ(GetRangeText(range, out), NS_OK);
    EXPECT_EQ(out, "bold world");
    EXPECT_EQ(GetRangeText(nullptr, out), E_INVALIDARG);
    EXPECT_EQ(out, "");
}

class ComputedStyle : public DomHelpers {
protected:
    // Shows the page in a window, so that it has a default view.
    void ShowPage(std::string_view markup) {
        LoadPage(markup);
        m_window = dom::NewWindow();
        dom::Window::FromDOM(m_window)->SetDocument(m_document);
    }
    void TearDown() override {
        if (m_window)
            dom::Window::FromDOM(m_window)->SetDocument(nullptr);
    }

    nsCOMPtr<nsIDOMWindowInternal> m_window;
};

TEST_F(ComputedStyle, NumbersInPixelsAndText) {
    ShowPage("<div id=t style='border-top-width: 3px; border-top-style: solid'>x</div>");
    float width = -1;
    EXPECT_EQ(
        GetStyleNumber(ById("t"), "border-top-width", nsIDOMCSSPrimitiveValue::CSS_PX, &width),
        NS_OK);
    EXPECT_FLOAT_EQ(width, 3.0f);
    std::string text;
    EXPECT_EQ(GetStyleText(ById("t"), "border-top-width", text), NS_OK);
    EXPECT_EQ(text, "3px");
    EXPECT_EQ(GetStyleText(ById("t"), "border-top-style", text), NS_OK);
    EXPECT_EQ(text, "solid") << "an identifier reads as its bare text";
    EXPECT_TRUE(NS_FAILED(
        GetStyleNumber(ById("t"), "border-top-style", nsIDOMCSSPrimitiveValue::CSS_PX, &width)))
        << "an identifier is no number";
    EXPECT_EQ(GetStyleNumber(FirstChild(ById("t")), "border-top-width",
                             nsIDOMCSSPrimitiveValue::CSS_PX, &width),
              E_FAIL)
        << "a text node has no style";
}

TEST_F(ComputedStyle, DocumentWithoutAWindowHasNone) {
    LoadPage("<div id=t style='border-top-width: 3px'>x</div>");
    nsCOMPtr<nsIDOMCSSValue> value;
    EXPECT_EQ(GetStyleValue(ById("t"), "border-top-width", getter_AddRefs(value)), E_FAIL);
    EXPECT_FALSE(value);
    std::string text = "stale";
    EXPECT_EQ(GetStyleText(ById("t"), "border-top-width", text), E_FAIL);
    EXPECT_EQ(text, "");
}

} // namespace

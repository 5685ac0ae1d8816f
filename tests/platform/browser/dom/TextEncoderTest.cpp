// The document encoder: plain text of nodes and ranges as a reader sees the
// page, and markup.
#include "platform/browser/dom/TextEncoder.h"

#include "platform/browser/dom/ContentFactories.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/dom/Range.h"

#include <gtest/gtest.h>
#include <string>

namespace dom {
namespace {

// Line breaks shown as "|" so that expectations read on one line.
std::string Show(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            out += '|';
            ++i;
        } else if (text[i] == u'\n') {
            out += "<LF>";
        } else if (text[i] == 0xA0) {
            out += "<NBSP>";
        } else {
            out += static_cast<char>(text[i]);
        }
    }
    return out;
}

struct Page {
    explicit Page(std::string_view markup)
        : dom(ParseHTMLDocument(markup, u"http://host/")), doc(Document::FromDOM(dom)) {}
    Element& ById(std::u16string_view id) const { return *doc->ElementById(id); }

    // The BODY through the encoder component, as the agent asks for it.
    std::string BodyText(PRUint32 flags = 0, std::u16string_view type = u"text/plain") const {
        nsCOMPtr<nsIDocumentEncoder> encoder;
        EXPECT_EQ(NewPlainTextEncoder(getter_AddRefs(encoder)), NS_OK);
        EXPECT_EQ(encoder->Init(dom, nsString(type), flags), NS_OK);
        EXPECT_EQ(encoder->SetNode(doc->Body()->AsDOMNode()), NS_OK);
        nsString text;
        EXPECT_EQ(encoder->EncodeToString(text), NS_OK);
        return Show(text);
    }
    nsCOMPtr<nsIDOMHTMLDocument> dom;
    Document* doc;
};

std::string BodyText(std::string_view markup) {
    return Page(markup).BodyText();
}

TEST(PlainText, LineBreaksComeFromBrAndBlocks) {
    EXPECT_EQ(BodyText("one<br>two"), "one|two");
    EXPECT_EQ(BodyText("one <br> two<br><br>three"), "one|two||three")
        << "blanks around a break are dropped; each BR is a line";
    EXPECT_EQ(BodyText("<div>one</div><div>two</div>"), "one|two");
    EXPECT_EQ(BodyText("x<p>para</p>y"), "x|para|y");
    EXPECT_EQ(BodyText("<div><div><p>deep</p></div></div>after"), "deep|after")
        << "nested blocks make one break, not one per level";
    EXPECT_EQ(BodyText("<h1>Title</h1><ul><li>a<li>b</ul>"), "Title|a|b");
    EXPECT_EQ(BodyText("<p>a</p><br><p>b</p>"), "a||b");
    EXPECT_EQ(BodyText("<br><p>start</p><br>"), "start")
        << "no break at the start or the end of the output";
}

TEST(PlainText, WhiteSpaceOfTheMarkupCollapses) {
    EXPECT_EQ(BodyText("  lead\t\ttab \r\n line   feed  "), "lead tab line feed");
    EXPECT_EQ(BodyText("a <b> bold </b> c"), "a bold c");
    EXPECT_EQ(BodyText("no<b>space</b>between"), "nospacebetween");
    EXPECT_EQ(BodyText("keep&nbsp;&nbsp;nbsp"), "keep<NBSP><NBSP>nbsp")
        << "no-break spaces are text, not white space";
    EXPECT_EQ(BodyText("<pre>a  b\n\tc</pre>d"), "a  b|\tc|d") << "PRE keeps its white space";
}

TEST(PlainText, TablesSeparateCellsAndRows) {
    EXPECT_EQ(BodyText("<table><tr><td>a</td><td>b</td></tr><tr><td> c </td><td></td>"
                       "<td>d</td></tr></table>after"),
              "a b|c d|after");
}

TEST(PlainText, HiddenContentGivesNothing) {
    EXPECT_EQ(BodyText("a<script>var x = 1;</script>b<style>p {}</style>c<!-- note -->d"), "abcd");
    EXPECT_EQ(BodyText("<p>x<noscript>no</noscript><iframe>fallback</iframe></p>"), "x");
}

TEST(PlainText, LineFeedFlagAndWholeDocument) {
    Page page("<head><title>T</title></head><body>a<br>b</body>");
    EXPECT_EQ(page.BodyText(nsIDocumentEncoder::OutputLFLineBreak), "a<LF>b");
    nsCOMPtr<nsIDocumentEncoder> encoder(new TextEncoder());
    encoder->Init(page.dom, u"text/plain", 0);
    nsString text;
    ASSERT_EQ(encoder->EncodeToString(text), NS_OK);
    EXPECT_EQ(Show(text), "a|b") << "the title is not page text";
}

TEST(PlainText, RangeTakesOnlyWhatItHolds) {
    Page page("<p id=p>first para</p><div id=d>one <b id=b>two</b> three</div><p>last</p>");
    nsCOMPtr<nsIDOMRange> range = NewRange(*page.doc);
    range->SetStart(page.ById(u"p").FirstChild()->AsDOMNode(), 6);
    range->SetEnd(page.ById(u"b").FirstChild()->AsDOMNode(), 2);
    nsCOMPtr<nsIDocumentEncoder> encoder(new TextEncoder());
    encoder->Init(page.dom, u"text/plain", 0);
    encoder->SetRange(range);
    nsString text;
    ASSERT_EQ(encoder->EncodeToString(text), NS_OK);
    EXPECT_EQ(Show(text), "para|one tw");
    EXPECT_EQ(Show(PlainTextOfRange(*PointsOfRange(range), 0)), "para|one tw");
}

TEST(Encoder, RefusesUseBeforeInitAndUnknownTypes) {
    Page page("x");
    nsCOMPtr<nsIDocumentEncoder> encoder(new TextEncoder());
    nsString text;
    EXPECT_EQ(encoder->EncodeToString(text), NS_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(encoder->Init(page.dom, u"application/pdf", 0), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(encoder->EncodeToString(text), NS_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(encoder->Init(nullptr, u"text/plain", 0), NS_ERROR_NULL_POINTER);
}

TEST(Encoder, MarkupEscapesTextAndAttributes) {
    Page page("<p id=p class='a\"b'>1 &lt; 2 &amp;&nbsp;<br><img src=x.gif>"
              "<script>if (a < b) {}</script></p>");
    EXPECT_EQ(page.BodyText(0, u"text/html"),
              "<body><p id=\"p\" class=\"a&quot;b\">1 &lt; 2 &amp;&nbsp;<br><img src=\"x.gif\">"
              "<script>if (a < b) {}</script></p></body>");
}

} // namespace
} // namespace dom

// Ranges and the content iterator: boundaries, comparison, text across
// elements, and the nodes a range touches.
#include "platform/browser/dom/Range.h"

#include "platform/browser/dom/ContentFactories.h"
#include "platform/browser/dom/ContentIterator.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Identity.h"
#include "platform/browser/dom/Parser.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace dom {
namespace {

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

struct Page {
    explicit Page(std::string_view markup)
        : dom(ParseHTMLDocument(markup, u"http://host/")), doc(Document::FromDOM(dom)) {}
    Element& ById(std::u16string_view id) const {
        Element* element = doc->ElementById(id);
        EXPECT_NE(element, nullptr) << "no element with id " << Narrow(id);
        return *element;
    }
    // The first text child of the element with that id.
    Node& TextIn(std::u16string_view id) const { return *ById(id).FirstChild(); }
    nsCOMPtr<Range> NewRange() const { return nsCOMPtr<Range>(new Range(*doc)); }
    nsCOMPtr<nsIDOMHTMLDocument> dom;
    Document* doc;
};

std::string Text(Range& range) {
    nsString text;
    EXPECT_EQ(range.ToString(text), NS_OK);
    return Narrow(text);
}

// The names of the nodes an iterator visits ("#text" written as its data).
std::string Visit(nsIContentIterator& it) {
    std::string out;
    for (PRBool done = PR_FALSE; it.IsDone(&done), !done; it.Next()) {
        nsCOMPtr<nsIDOMNode> node;
        EXPECT_EQ(it.CurrentNode(getter_AddRefs(node)), NS_OK);
        Node* core = Node::FromDOM(node);
        if (!out.empty())
            out += ' ';
        out += Narrow(core->Kind() == NodeKind::Text ? u"'" + core->NodeValue() + u"'"
                                                     : core->NodeName());
    }
    return out;
}

const char* kParagraphs = "<body><p id=p>Hello <b id=b>bold</b> world</p>"
                          "<p id=q>Second para</p><script>skip()</script></body>";

TEST(Range, TextAcrossElementsTakesPartsOfTheBoundaryTexts) {
    Page page(kParagraphs);
    nsCOMPtr<Range> range = page.NewRange();
    ASSERT_EQ(range->SetStartPoint(page.TextIn(u"p"), 2), NS_OK);
    ASSERT_EQ(range->SetEndPoint(page.TextIn(u"q"), 6), NS_OK);
    EXPECT_EQ(Text(*range), "llo bold worldSecond");

    // Within one text node, and over whole elements.
    range->SetPoints(page.TextIn(u"b"), 1, page.TextIn(u"b"), 3);
    EXPECT_EQ(Text(*range), "ol");
    ASSERT_EQ(range->SelectNodeContents(page.doc->Body()->AsDOMNode()), NS_OK);
    EXPECT_EQ(Text(*range), "Hello bold worldSecond paraskip()")
        << "ToString is unformatted: every Text node counts";
}

TEST(Range, BoundariesAreCheckedAndKeptInOrder) {
    Page page(kParagraphs);
    nsCOMPtr<Range> range = page.NewRange();
    Node& hello = page.TextIn(u"p");
    Node& second = page.TextIn(u"q");
    range->SetPoints(hello, 1, second, 3);

    // A start after the end collapses the range at the new start.
    ASSERT_EQ(range->SetStartPoint(second, 5), NS_OK);
    EXPECT_TRUE(range->IsCollapsed());
    EXPECT_EQ(range->Points().endContainer, &second);
    EXPECT_EQ(range->Points().endOffset, 5u);
    // An end before the start collapses it at the new end.
    ASSERT_EQ(range->SetEndPoint(hello, 2), NS_OK);
    EXPECT_EQ(range->Points().startContainer, &hello);
    EXPECT_EQ(range->Points().startOffset, 2u);

    EXPECT_EQ(range->SetStart(hello.AsDOMNode(), 7), NS_ERROR_INVALID_ARG) << "past the text";
    EXPECT_EQ(range->SetStart(hello.AsDOMNode(), -1), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(range->SetEnd(page.ById(u"p").AsDOMNode(), 4), NS_ERROR_INVALID_ARG)
        << "past the children";
    EXPECT_EQ(range->SetStart(nullptr, 0), NS_ERROR_NULL_POINTER);
    Page other("<p>x</p>");
    EXPECT_EQ(range->SetStart(other.doc->AsDOMNode(), 0), NS_ERROR_INVALID_ARG)
        << "a node of another document";
    EXPECT_EQ(range->Points().startOffset, 2u) << "a refused boundary changes nothing";
    EXPECT_EQ(range->SelectNode(page.doc->AsDOMNode()), NS_ERROR_INVALID_ARG)
        << "the document has no parent to select it in";
}

TEST(Range, SelectNodeAndCommonAncestor) {
    Page page(kParagraphs);
    nsCOMPtr<Range> range = page.NewRange();
    Element& bold = page.ById(u"b");
    ASSERT_EQ(range->SelectNode(bold.AsDOMNode()), NS_OK);
    EXPECT_EQ(range->Points().startContainer, &page.ById(u"p"));
    EXPECT_EQ(range->Points().startOffset, 1u);
    EXPECT_EQ(range->Points().endOffset, 2u);
    EXPECT_EQ(Text(*range), "bold");

    range->SetEndPoint(page.TextIn(u"q"), 1);
    nsCOMPtr<nsIDOMNode> common;
    range->GetCommonAncestorContainer(getter_AddRefs(common));
    EXPECT_EQ(Node::FromDOM(common), page.doc->Body());

    range->SetStartBefore(page.ById(u"q").AsDOMNode());
    range->SetEndAfter(page.ById(u"q").AsDOMNode());
    EXPECT_EQ(Text(*range), "Second para");
    range->Collapse(PR_TRUE);
    PRBool collapsed = PR_FALSE;
    range->GetCollapsed(&collapsed);
    EXPECT_TRUE(collapsed);
    EXPECT_EQ(Text(*range), "");
}

TEST(Range, PointsCompareInDocumentOrder) {
    Page page(kParagraphs);
    Element& p = page.ById(u"p");
    Node& hello = page.TextIn(u"p");
    Node& bold = page.TextIn(u"b");
    // A point before a child comes before everything inside it.
    EXPECT_EQ(ComparePoints(p, 1, bold, 0), -1);
    EXPECT_EQ(ComparePoints(p, 2, bold, 4), 1);
    EXPECT_EQ(ComparePoints(hello, 6, p, 1), -1);
    EXPECT_EQ(ComparePoints(bold, 2, bold, 2), 0);
    NodeRef loose = page.doc->CreateText(u"loose");
    EXPECT_EQ(ComparePoints(*loose, 0, p, 0), std::nullopt) << "different trees";

    nsCOMPtr<Range> a = page.NewRange();
    nsCOMPtr<Range> b = page.NewRange();
    a->SetPoints(hello, 0, bold, 2);
    b->SetPoints(bold, 1, page.TextIn(u"q"), 1);
    EXPECT_EQ(a->CompareBoundaryPoints(Range::CompareHow::StartToStart, *b), -1);
    EXPECT_EQ(a->CompareBoundaryPoints(Range::CompareHow::EndToStart, *b), 1);
    EXPECT_EQ(a->CompareBoundaryPoints(Range::CompareHow::StartToEnd, *b), -1);
    EXPECT_EQ(a->ComparePoint(bold, 2), 0) << "a boundary is inside";
    EXPECT_EQ(a->ComparePoint(bold, 3), 1);
    EXPECT_EQ(b->ComparePoint(hello, 5), -1);
}

TEST(Range, ShrunkContainersAreReadAsTheirEnd) {
    Page page(kParagraphs);
    nsCOMPtr<Range> range = page.NewRange();
    auto& hello = static_cast<CharacterData&>(page.TextIn(u"p"));
    auto& second = static_cast<CharacterData&>(page.TextIn(u"q"));
    range->SetPoints(hello, 4, second, 9);
    hello.SetData(u"He");
    second.SetData(u"Sec");
    PRInt32 offset = -1;
    range->GetStartOffset(&offset);
    EXPECT_EQ(offset, 2);
    range->GetEndOffset(&offset);
    EXPECT_EQ(offset, 3);
    EXPECT_EQ(Text(*range), "bold worldSec");

    // Removing the end's paragraph puts it in another tree: read collapsed.
    Element& q = page.ById(u"q");
    NodeRef keep(&q);
    q.Parent()->RemoveChildNode(q);
    EXPECT_TRUE(range->IsCollapsed());
    EXPECT_EQ(Text(*range), "");
}

TEST(Range, RangeAtTheDocumentDoesNotKeepItAlive) {
    uint32_t identity = 0;
    nsCOMPtr<nsIDOMRange> range;
    {
        Page page("<p>x</p>");
        identity = page.doc->Identity();
        range = NewRange(*page.doc); // collapsed at the document's start
        nsCOMPtr<nsIDOMNode> container;
        range->GetStartContainer(getter_AddRefs(container));
        EXPECT_EQ(Node::FromDOM(container), page.doc);
    }
    EXPECT_EQ(LookUpIdentity(identity, IdentityKind::Node), nullptr)
        << "the range must observe its document, not own it";
    nsCOMPtr<nsIDOMNode> container;
    EXPECT_EQ(range->GetStartContainer(getter_AddRefs(container)), NS_OK);
    EXPECT_FALSE(container);
    nsString text;
    EXPECT_EQ(range->ToString(text), NS_OK);
    EXPECT_TRUE(text.empty());
    nsCOMPtr<nsIDOMRange> clone;
    EXPECT_EQ(range->CloneRange(getter_AddRefs(clone)), NS_ERROR_NOT_AVAILABLE);
}

TEST(ContentIterator, SubtreeInPreOrder) {
    Page page(kParagraphs);
    nsCOMPtr<nsIContentIterator> it;
    ASSERT_EQ(NewContentIterator(getter_AddRefs(it)), NS_OK);
    ASSERT_EQ(it->Init(page.ById(u"p").AsDOMNode()), NS_OK);
    EXPECT_EQ(Visit(*it), "P 'Hello ' B 'bold' ' world'");

    // Last and Prev walk back; stepping before the first node ends the walk.
    it->Last();
    nsCOMPtr<nsIDOMNode> node;
    it->CurrentNode(getter_AddRefs(node));
    EXPECT_EQ(Node::FromDOM(node)->NodeValue(), u" world");
    it->First();
    it->Prev();
    PRBool done = PR_FALSE;
    it->IsDone(&done);
    EXPECT_TRUE(done);
    EXPECT_EQ(it->CurrentNode(getter_AddRefs(node)), NS_ERROR_FAILURE);
    EXPECT_EQ(it->Init(static_cast<nsIDOMNode*>(nullptr)), NS_ERROR_NULL_POINTER);
}

TEST(ContentIterator, RangeVisitsTouchedNodesButNotBoundaryContainers) {
    Page page(kParagraphs);
    nsCOMPtr<Range> range = page.NewRange();
    range->SetPoints(page.TextIn(u"p"), 3, page.TextIn(u"q"), 2);
    nsCOMPtr<nsIContentIterator> it(new ContentIterator());
    ASSERT_EQ(it->Init(static_cast<nsIDOMRange*>(range)), NS_OK);
    EXPECT_EQ(Visit(*it), "'Hello ' B 'bold' ' world' 'Second para'")
        << "the paragraphs hold a boundary each and are left out";

    // Element boundaries: from before B up to the end of the first paragraph.
    range->SetPoints(page.ById(u"p"), 1, page.ById(u"p"), 3);
    it->Init(static_cast<nsIDOMRange*>(range));
    EXPECT_EQ(Visit(*it), "B 'bold' ' world'");
    // A range ending at the start of the second paragraph does not enter it.
    range->SetPoints(page.ById(u"p"), 2, page.ById(u"q"), 0);
    it->Init(static_cast<nsIDOMRange*>(range));
    EXPECT_EQ(Visit(*it), "' world'");
    // A collapsed range touches nothing.
    range->Collapse(PR_TRUE);
    it->Init(static_cast<nsIDOMRange*>(range));
    EXPECT_EQ(Visit(*it), "");
}

TEST(ContentIterator, KeepsItsNodesWhenThePageChanges) {
    Page page(kParagraphs);
    nsCOMPtr<nsIContentIterator> it(new ContentIterator());
    it->Init(page.ById(u"p").AsDOMNode());
    it->Next(); // at "Hello "
    Element& p = page.ById(u"p");
    p.RemoveAllChildren();
    EXPECT_EQ(Visit(*it), "'Hello ' B 'bold' ' world'");
}

} // namespace
} // namespace dom

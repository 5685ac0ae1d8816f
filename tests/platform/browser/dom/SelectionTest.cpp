// The document selection: anchor and focus, its one range, and its text.
#include "platform/browser/dom/Selection.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Identity.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/dom/TextEncoder.h"

#include <gtest/gtest.h>
#include <string>

namespace dom {
namespace {

struct Page {
    explicit Page(std::string_view markup)
        : dom(ParseHTMLDocument(markup, u"http://host/")), doc(Document::FromDOM(dom)),
          selection(NewSelection(*doc)) {}
    Element& ById(std::u16string_view id) const { return *doc->ElementById(id); }
    nsIDOMNode* TextIn(std::u16string_view id) const { return ById(id).FirstChild()->AsDOMNode(); }
    std::string Text() const {
        nsString text;
        EXPECT_EQ(selection->ToString(text), NS_OK);
        return std::string(text.begin(), text.end());
    }
    nsCOMPtr<nsIDOMHTMLDocument> dom;
    Document* doc;
    nsCOMPtr<nsISelection> selection;
};

const char* kPage = "<p id=a>Alpha beta</p><p id=b>Gamma <i id=i>delta</i></p>";

struct Point {
    Node* node;
    PRInt32 offset;
};
Point Anchor(nsISelection& selection) {
    nsCOMPtr<nsIDOMNode> node;
    PRInt32 offset = -1;
    selection.GetAnchorNode(getter_AddRefs(node));
    selection.GetAnchorOffset(&offset);
    return {Node::FromDOM(node), offset};
}
Point Focus(nsISelection& selection) {
    nsCOMPtr<nsIDOMNode> node;
    PRInt32 offset = -1;
    selection.GetFocusNode(getter_AddRefs(node));
    selection.GetFocusOffset(&offset);
    return {Node::FromDOM(node), offset};
}

TEST(Selection, EmptyUntilCollapsedSomewhere) {
    Page page(kPage);
    PRBool collapsed = PR_FALSE;
    PRInt32 count = -1;
    page.selection->GetIsCollapsed(&collapsed);
    page.selection->GetRangeCount(&count);
    EXPECT_TRUE(collapsed);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Anchor(*page.selection).node, nullptr);
    EXPECT_EQ(page.Text(), "");
    EXPECT_EQ(page.selection->Extend(page.TextIn(u"a"), 2), NS_ERROR_FAILURE)
        << "extending needs a selection to extend";
    EXPECT_EQ(page.selection->CollapseToEnd(), NS_ERROR_FAILURE);
    nsCOMPtr<nsIDOMRange> range;
    EXPECT_EQ(page.selection->GetRangeAt(0, getter_AddRefs(range)), NS_ERROR_INVALID_ARG);
}

TEST(Selection, ExtendKeepsTheAnchorInEitherDirection) {
    Page page(kPage);
    ASSERT_EQ(page.selection->Collapse(page.TextIn(u"a"), 6), NS_OK);
    ASSERT_EQ(page.selection->Extend(page.TextIn(u"i"), 3), NS_OK);
    EXPECT_EQ(page.Text(), "beta\r\nGamma del");
    EXPECT_EQ(Anchor(*page.selection).offset, 6);
    EXPECT_EQ(Focus(*page.selection).offset, 3);

    // Backwards past the anchor: the range turns, the anchor stays.
    ASSERT_EQ(page.selection->Extend(page.TextIn(u"a"), 0), NS_OK);
    EXPECT_EQ(page.Text(), "Alpha") << "plain text drops the blank at the end";
    EXPECT_EQ(Anchor(*page.selection).node, Node::FromDOM(page.TextIn(u"a")));
    EXPECT_EQ(Anchor(*page.selection).offset, 6);
    EXPECT_EQ(Focus(*page.selection).offset, 0);
    nsCOMPtr<nsIDOMRange> range;
    ASSERT_EQ(page.selection->GetRangeAt(0, getter_AddRefs(range)), NS_OK);
    PRInt32 start = -1;
    range->GetStartOffset(&start);
    EXPECT_EQ(start, 0) << "the range itself is always in document order";

    page.selection->CollapseToStart();
    PRBool collapsed = PR_FALSE;
    page.selection->GetIsCollapsed(&collapsed);
    EXPECT_TRUE(collapsed);
    EXPECT_EQ(Anchor(*page.selection).offset, 0);
}

TEST(Selection, RefusedPointsKeepTheOldSelection) {
    Page page(kPage);
    page.selection->Collapse(page.TextIn(u"a"), 1);
    page.selection->Extend(page.TextIn(u"a"), 5);
    EXPECT_EQ(page.selection->Collapse(page.TextIn(u"a"), 99), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(page.selection->Extend(page.TextIn(u"a"), -1), NS_ERROR_INVALID_ARG);
    Page other("<p>elsewhere</p>");
    EXPECT_EQ(page.selection->Extend(other.doc->Body()->FirstChild()->AsDOMNode(), 1),
              NS_ERROR_INVALID_ARG);
    EXPECT_EQ(page.Text(), "lpha");
}

TEST(Selection, AddRangeTakesACopy) {
    Page page(kPage);
    nsCOMPtr<nsIDOMRange> range = NewRange(*page.doc);
    range->SelectNodeContents(page.ById(u"b").AsDOMNode());
    ASSERT_EQ(page.selection->AddRange(range), NS_OK);
    range->Collapse(PR_TRUE);
    EXPECT_EQ(page.Text(), "Gamma delta");

    page.selection->RemoveAllRanges();
    EXPECT_EQ(page.Text(), "");
    Page other("<p>x</p>");
    nsCOMPtr<nsIDOMRange> foreign = NewRange(*other.doc);
    EXPECT_EQ(page.selection->AddRange(foreign), NS_ERROR_INVALID_ARG);
}

TEST(Selection, SelectAllChildrenGivesTheBodyAsPlainText) {
    Page page(kPage);
    ASSERT_EQ(page.selection->SelectAllChildren(page.doc->Body()->AsDOMNode()), NS_OK);
    EXPECT_EQ(page.Text(), "Alpha beta\r\nGamma delta");

    // The encoder gives the same text for the selection.
    nsCOMPtr<nsIDocumentEncoder> encoder(new TextEncoder());
    encoder->Init(page.dom, u"text/plain", nsIDocumentEncoder::OutputLFLineBreak);
    encoder->SetSelection(page.selection);
    nsString text;
    ASSERT_EQ(encoder->EncodeToString(text), NS_OK);
    EXPECT_EQ(text, u"Alpha beta\nGamma delta");
}

TEST(Selection, TheDocumentHasOneSelectionAndAnswersItsText) {
    Page page(kPage);
    nsCOMPtr<nsIDOMDocumentInternal> internal = do_QueryInterface(page.dom);
    ASSERT_TRUE(internal);
    nsCOMPtr<nsISelection> first;
    nsCOMPtr<nsISelection> second;
    ASSERT_EQ(internal->GetSelection(getter_AddRefs(first)), NS_OK);
    internal->GetSelection(getter_AddRefs(second));
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
    first->Collapse(page.TextIn(u"b"), 0);
    first->Extend(page.TextIn(u"i"), 5);

    nsCOMPtr<nsIDOMNSHTMLDocument> html = do_QueryInterface(page.dom);
    nsString text;
    ASSERT_EQ(html->GetSelection(text), NS_OK);
    EXPECT_EQ(text, u"Gamma delta");
    nsCOMPtr<nsIDocumentEncoder> encoder(new TextEncoder());
    encoder->Init(page.dom, u"text/plain", nsIDocumentEncoder::OutputSelectionOnly);
    encoder->EncodeToString(text);
    EXPECT_EQ(text, u"Gamma delta");
}

TEST(Selection, DoesNotKeepItsDocumentAlive) {
    nsCOMPtr<nsISelection> selection;
    uint32_t identity = 0;
    {
        Page page(kPage);
        identity = page.doc->Identity();
        page.selection->Collapse(page.doc->AsDOMNode(), 0);
        page.selection->Extend(page.TextIn(u"b"), 2);
        selection = page.selection;
    }
    EXPECT_EQ(LookUpIdentity(identity, IdentityKind::Node), nullptr);
    nsString text;
    EXPECT_EQ(selection->ToString(text), NS_OK);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(selection->Collapse(nullptr, 0), NS_ERROR_NULL_POINTER);
}

} // namespace
} // namespace dom

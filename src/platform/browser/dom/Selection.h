// The selection of a document: none, or one range, with the direction in
// which the user selected (the anchor where selecting began, the focus where
// it ended).
//
//     nsCOMPtr<nsISelection> selection = dom::NewSelection(*document);
//     selection->Collapse(text, 0);
//     selection->Extend(text, 5);
//     nsString text;
//     selection->ToString(text);   // as the plain-text encoder gives it
//
// Ownership: the document holds its selection; the selection observes the
// document through its link, so it never keeps its document alive.
#pragma once

#include "platform/browser/dom/Range.h"

namespace dom {

class Selection final : public nsSupportsImpl<Selection, nsISelection> {
public:
    static constexpr nsIID kCoreIID{
        0x5a0dff42, 0x7e11, 0x4d0c, {0x9b, 0x21, 0x3f, 0x6a, 0xff, 0x00, 0x00, 0x42}};

    explicit Selection(Document& document);

    // The core of a selection made here; null for anything else.
    static Selection* FromDOM(nsISupports* object);

    // The selection's range; null when nothing is selected.
    Range* CurrentRange() const { return m_range; }

    nsresult GetAnchorNode(nsIDOMNode** node) override;
    nsresult GetAnchorOffset(PRInt32* offset) override;
    nsresult GetFocusNode(nsIDOMNode** node) override;
    nsresult GetFocusOffset(PRInt32* offset) override;
    nsresult GetIsCollapsed(PRBool* collapsed) override;
    nsresult GetRangeCount(PRInt32* count) override;
    // The selection's own range: changing it changes the selection.
    nsresult GetRangeAt(PRInt32 index, nsIDOMRange** range) override;
    nsresult Collapse(nsIDOMNode* node, PRInt32 offset) override;
    nsresult Extend(nsIDOMNode* node, PRInt32 offset) override;
    nsresult CollapseToStart() override;
    nsresult CollapseToEnd() override;
    nsresult AddRange(nsIDOMRange* range) override;
    nsresult RemoveAllRanges() override;
    nsresult SelectAllChildren(nsIDOMNode* node) override;
    nsresult ToString(nsAString& text) override;

protected:
    void* QueryExtraInterface(const nsIID& iid) override;

private:
    Document* OwnerDocument() const { return m_link ? m_link->document : nullptr; }
    // A fresh range of the document; null once the document is gone.
    nsCOMPtr<Range> MakeRange() const;
    // The anchor (true) or focus boundary of the current range.
    nsresult Boundary(bool anchor, nsIDOMNode** node, PRInt32* offset) const;

    std::shared_ptr<DocumentLink> m_link;
    nsCOMPtr<Range> m_range;
    bool m_backward = false; // the focus lies before the anchor
};

// The selection object of `document` (the document makes one on first use).
nsCOMPtr<nsISelection> NewSelection(Document& document);

// The document's selection as plain text, as the HTML document's
// GetSelection answers it.
nsresult SelectionText(Document& document, nsAString& text);

} // namespace dom

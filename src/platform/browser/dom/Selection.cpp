#include "platform/browser/dom/Selection.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/TextEncoder.h"

namespace dom {

Selection::Selection(Document& document) : m_link(document.Link()) {}

Selection* Selection::FromDOM(nsISupports* object) {
    if (!object)
        return nullptr;
    void* core = nullptr;
    if (NS_FAILED(object->QueryInterface(kCoreIID, &core)) || !core)
        return nullptr;
    auto* selection = static_cast<Selection*>(core);
    selection->Release(); // the caller's reference keeps the selection alive
    return selection;
}

void* Selection::QueryExtraInterface(const nsIID& iid) {
    return iid.Equals(kCoreIID) ? static_cast<void*>(this) : nullptr;
}

nsCOMPtr<Range> Selection::MakeRange() const {
    Document* document = OwnerDocument();
    if (!document)
        return nullptr;
    return nsCOMPtr<Range>(new Range(*document));
}

nsresult Selection::Boundary(bool anchor, nsIDOMNode** node, PRInt32* offset) const {
    if (node)
        *node = nullptr;
    if (offset)
        *offset = 0;
    if (!m_range)
        return node || offset ? NS_OK : NS_ERROR_NULL_POINTER;
    RangePoints points = m_range->Points();
    const bool atStart = anchor != m_backward;
    Node* container = atStart ? points.startContainer : points.endContainer;
    size_t at = atStart ? points.startOffset : points.endOffset;
    if (offset)
        *offset = static_cast<PRInt32>(at);
    return node ? ReturnNode(container, node) : NS_OK;
}

nsresult Selection::GetAnchorNode(nsIDOMNode** node) {
    if (!node)
        return NS_ERROR_NULL_POINTER;
    return Boundary(true, node, nullptr);
}

nsresult Selection::GetAnchorOffset(PRInt32* offset) {
    if (!offset)
        return NS_ERROR_NULL_POINTER;
    return Boundary(true, nullptr, offset);
}

nsresult Selection::GetFocusNode(nsIDOMNode** node) {
    if (!node)
        return NS_ERROR_NULL_POINTER;
    return Boundary(false, node, nullptr);
}

nsresult Selection::GetFocusOffset(PRInt32* offset) {
    if (!offset)
        return NS_ERROR_NULL_POINTER;
    return Boundary(false, nullptr, offset);
}

nsresult Selection::GetIsCollapsed(PRBool* collapsed) {
    if (!collapsed)
        return NS_ERROR_NULL_POINTER;
    *collapsed = !m_range || m_range->IsCollapsed();
    return NS_OK;
}

nsresult Selection::GetRangeCount(PRInt32* count) {
    if (!count)
        return NS_ERROR_NULL_POINTER;
    *count = m_range ? 1 : 0;
    return NS_OK;
}

nsresult Selection::GetRangeAt(PRInt32 index, nsIDOMRange** range) {
    if (!range)
        return NS_ERROR_NULL_POINTER;
    *range = nullptr;
    if (!m_range || index != 0)
        return NS_ERROR_INVALID_ARG;
    *range = m_range.get();
    (*range)->AddRef();
    return NS_OK;
}

nsresult Selection::Collapse(nsIDOMNode* node, PRInt32 offset) {
    Node* core = Node::FromDOM(node);
    if (!core)
        return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
    if (offset < 0)
        return NS_ERROR_INVALID_ARG;
    nsCOMPtr<Range> range = MakeRange();
    if (!range)
        return NS_ERROR_NOT_AVAILABLE;
    const auto at = static_cast<size_t>(offset);
    if (nsresult rv = range->SetPoints(*core, at, *core, at); NS_FAILED(rv))
        return rv; // the old selection stays
    m_range = range;
    m_backward = false;
    return NS_OK;
}

nsresult Selection::Extend(nsIDOMNode* node, PRInt32 offset) {
    if (!m_range)
        return NS_ERROR_FAILURE;
    Node* core = Node::FromDOM(node);
    if (!core)
        return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
    if (offset < 0)
        return NS_ERROR_INVALID_ARG;
    nsCOMPtr<nsIDOMNode> anchorNode;
    PRInt32 anchorOffset = 0;
    Boundary(true, getter_AddRefs(anchorNode), &anchorOffset);
    Node* anchor = Node::FromDOM(anchorNode);
    if (!anchor)
        return NS_ERROR_FAILURE;
    const auto focusAt = static_cast<size_t>(offset);
    const auto anchorAt = static_cast<size_t>(anchorOffset);
    auto order = ComparePoints(*core, focusAt, *anchor, anchorAt);
    if (!order)
        return NS_ERROR_INVALID_ARG; // the focus must be in the anchor's tree
    nsCOMPtr<Range> range = MakeRange();
    if (!range)
        return NS_ERROR_NOT_AVAILABLE;
    const bool backward = *order < 0;
    nsresult rv = backward ? range->SetPoints(*core, focusAt, *anchor, anchorAt)
                           : range->SetPoints(*anchor, anchorAt, *core, focusAt);
    if (NS_FAILED(rv))
        return rv;
    m_range = range;
    m_backward = backward;
    return NS_OK;
}

nsresult Selection::CollapseToStart() {
    if (!m_range)
        return NS_ERROR_FAILURE;
    m_range->Collapse(PR_TRUE);
    m_backward = false;
    return NS_OK;
}

nsresult Selection::CollapseToEnd() {
    if (!m_range)
        return NS_ERROR_FAILURE;
    m_range->Collapse(PR_FALSE);
    m_backward = false;
    return NS_OK;
}

nsresult Selection::AddRange(nsIDOMRange* range) {
    if (!range)
        return NS_ERROR_NULL_POINTER;
    std::optional<RangePoints> points = PointsOfRange(range);
    if (!points)
        return NS_ERROR_INVALID_ARG;
    nsCOMPtr<Range> copy = MakeRange();
    if (!copy)
        return NS_ERROR_NOT_AVAILABLE;
    // Fails for a range of another document.
    nsresult rv = copy->SetPoints(*points->startContainer, points->startOffset,
                                  *points->endContainer, points->endOffset);
    if (NS_FAILED(rv))
        return rv;
    m_range = copy;
    m_backward = false;
    return NS_OK;
}

nsresult Selection::RemoveAllRanges() {
    m_range = nullptr;
    m_backward = false;
    return NS_OK;
}

nsresult Selection::SelectAllChildren(nsIDOMNode* node) {
    Node* core = Node::FromDOM(node);
    if (!core)
        return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
    nsCOMPtr<Range> range = MakeRange();
    if (!range)
        return NS_ERROR_NOT_AVAILABLE;
    if (nsresult rv = range->SetPoints(*core, 0, *core, NodeLength(*core)); NS_FAILED(rv))
        return rv;
    m_range = range;
    m_backward = false;
    return NS_OK;
}

nsresult Selection::ToString(nsAString& text) {
    text.clear();
    if (m_range)
        text = PlainTextOfRange(m_range->Points(), 0);
    return NS_OK;
}

nsCOMPtr<nsISelection> NewSelection(Document& document) {
    return nsCOMPtr<nsISelection>(new Selection(document));
}

nsresult SelectionText(Document& document, nsAString& text) {
    text.clear();
    Selection* selection = Selection::FromDOM(document.DocumentSelection());
    if (!selection)
        return NS_ERROR_NOT_AVAILABLE;
    return selection->ToString(text);
}

} // namespace dom

#include "platform/browser/dom/Range.h"

#include "platform/browser/dom/Document.h"

#include <algorithm>
#include <limits>

namespace dom {
namespace {

// The child positions from the tree's root down to `node`, and the root.
Node* PathFromRoot(const Node& node, std::vector<size_t>& path) {
    path.clear();
    const Node* current = &node;
    while (Node* parent = TreeParent(*current)) {
        path.push_back(current->IndexInParent());
        current = parent;
    }
    std::reverse(path.begin(), path.end());
    return const_cast<Node*>(current);
}

// The first node after `node`'s subtree in document order, within its tree.
Node* NextAfterSubtree(const Node& node) {
    for (const Node* current = &node; current; current = TreeParent(*current)) {
        if (Node* next = current->NextSibling())
            return next;
    }
    return nullptr;
}

// The next node in document order (pre-order) within the tree.
Node* NextInDocument(const Node& node) {
    if (Node* child = node.FirstChild())
        return child;
    return NextAfterSubtree(node);
}

Node* TreeRoot(const Node& node) {
    const Node* current = &node;
    while (Node* parent = TreeParent(*current))
        current = parent;
    return const_cast<Node*>(current);
}

std::optional<size_t> ToOffset(PRInt32 offset) {
    if (offset < 0)
        return std::nullopt;
    return static_cast<size_t>(offset);
}

} // namespace

size_t NodeLength(const Node& node) {
    if (node.IsCharacterData())
        return static_cast<const CharacterData&>(node).Data().size();
    return node.ChildCount();
}

Node* TreeParent(const Node& node) {
    Node* parent = node.Parent();
    if (!parent || parent->ChildAt(node.IndexInParent()) != &node)
        return nullptr;
    return parent;
}

std::optional<int> ComparePoints(const Node& a, size_t aOffset, const Node& b, size_t bOffset) {
    if (&a == &b)
        return aOffset < bOffset ? -1 : (aOffset > bOffset ? 1 : 0);
    // A point is its container's path from the root followed by its offset;
    // points compare as these sequences do, a prefix coming first (a point
    // just before a child precedes everything inside the child).
    std::vector<size_t> pathA;
    std::vector<size_t> pathB;
    if (PathFromRoot(a, pathA) != PathFromRoot(b, pathB))
        return std::nullopt;
    pathA.push_back(aOffset);
    pathB.push_back(bOffset);
    auto order = std::lexicographical_compare_three_way(pathA.begin(), pathA.end(), pathB.begin(),
                                                        pathB.end());
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

Node* CommonAncestor(const Node& a, const Node& b) {
    std::vector<size_t> pathA;
    std::vector<size_t> pathB;
    Node* root = PathFromRoot(a, pathA);
    if (root != PathFromRoot(b, pathB))
        return nullptr;
    Node* common = root;
    for (size_t i = 0; i < pathA.size() && i < pathB.size() && pathA[i] == pathB[i]; ++i)
        common = common->ChildAt(pathA[i]);
    return common;
}

bool RangePoints::Intersects(const Node& node) const {
    if (!startContainer || !endContainer)
        return false;
    Node* parent = TreeParent(node);
    if (!parent) {
        // A root: it holds the range when the range is in its tree.
        return TreeRoot(*startContainer) == &node;
    }
    const size_t index = node.IndexInParent();
    auto endsAfterStart = ComparePoints(*parent, index + 1, *startContainer, startOffset);
    auto startsBeforeEnd = ComparePoints(*parent, index, *endContainer, endOffset);
    if (!endsAfterStart || !startsBeforeEnd)
        return false;
    return *endsAfterStart > 0 && *startsBeforeEnd < 0;
}

nsString RangePoints::ClippedData(const Node& node) const {
    if (!node.IsCharacterData())
        return {};
    const nsString& data = static_cast<const CharacterData&>(node).Data();
    size_t from = &node == startContainer ? std::min(startOffset, data.size()) : 0;
    size_t to = &node == endContainer ? std::min(endOffset, data.size()) : data.size();
    if (from >= to)
        return {};
    return data.substr(from, to - from);
}

std::vector<NodeRef> NodesInRange(const RangePoints& points) {
    std::vector<NodeRef> nodes;
    if (!points.startContainer || !points.endContainer || points.IsCollapsed())
        return nodes;
    Node& start = *points.startContainer;
    Node& end = *points.endContainer;
    Node* node = nullptr;
    if (start.IsCharacterData())
        node = &start;
    else if (Node* child = start.ChildAt(points.startOffset))
        node = child;
    else
        node = NextAfterSubtree(start);
    for (; node; node = NextInDocument(*node)) {
        if (node == &end) {
            if (end.IsCharacterData()) {
                nodes.emplace_back(node);
                break;
            }
            continue; // it holds the end: left out, its children before the end follow
        }
        if (node != &start) {
            Node* parent = TreeParent(*node);
            if (!parent)
                break;
            auto before = ComparePoints(*parent, node->IndexInParent(), end, points.endOffset);
            if (!before || *before >= 0)
                break;
        }
        if (!node->IsInclusiveAncestorOf(end))
            nodes.emplace_back(node);
    }
    return nodes;
}

nsString RangeText(const RangePoints& points) {
    nsString text;
    if (points.startContainer && points.startContainer == points.endContainer) {
        if (points.startContainer->Kind() == NodeKind::Text)
            return points.ClippedData(*points.startContainer);
    }
    for (const NodeRef& node : NodesInRange(points)) {
        if (node->Kind() == NodeKind::Text)
            text += points.ClippedData(*node);
    }
    return text;
}

Range::Range(Document& document) : m_link(document.Link()) {}

Range* Range::FromDOM(nsISupports* object) {
    if (!object)
        return nullptr;
    void* core = nullptr;
    if (NS_FAILED(object->QueryInterface(kCoreIID, &core)) || !core)
        return nullptr;
    auto* range = static_cast<Range*>(core);
    range->Release(); // the caller's reference keeps the range alive
    return range;
}

void* Range::QueryExtraInterface(const nsIID& iid) {
    return iid.Equals(kCoreIID) ? static_cast<void*>(this) : nullptr;
}

Document* Range::OwnerDocument() const {
    return m_link ? m_link->document : nullptr;
}

Node* Range::Container(const Boundary& boundary) const {
    if (boundary.node)
        return boundary.node.get();
    return OwnerDocument();
}

RangePoints Range::Points() const {
    RangePoints points;
    points.startContainer = Container(m_start);
    points.endContainer = Container(m_end);
    if (!points.startContainer || !points.endContainer)
        return RangePoints{};
    points.startOffset = std::min(m_start.offset, NodeLength(*points.startContainer));
    points.endOffset = std::min(m_end.offset, NodeLength(*points.endContainer));
    // The tree may have changed under the range since it was set: never hand
    // out a start after the end.
    auto order = ComparePoints(*points.startContainer, points.startOffset, *points.endContainer,
                               points.endOffset);
    if (!order || *order > 0) {
        points.endContainer = points.startContainer;
        points.endOffset = points.startOffset;
    }
    return points;
}

nsresult Range::CheckPoint(const Node& node, size_t offset) const {
    if (node.Kind() == NodeKind::Attribute)
        return NS_ERROR_INVALID_ARG;
    Document* document = OwnerDocument();
    if (!document)
        return NS_ERROR_NOT_AVAILABLE;
    if (node.OwnerDocument() != document)
        return NS_ERROR_INVALID_ARG;
    if (offset > NodeLength(node))
        return NS_ERROR_INVALID_ARG;
    return NS_OK;
}

Range::Boundary Range::MakeBoundary(Node& node, size_t offset) const {
    Boundary boundary;
    if (&node != OwnerDocument())
        boundary.node = NodeRef(&node);
    boundary.offset = offset;
    return boundary;
}

nsresult Range::SetBoundary(Node& node, size_t offset, bool isStart) {
    if (nsresult rv = CheckPoint(node, offset); NS_FAILED(rv))
        return rv;
    Boundary boundary = MakeBoundary(node, offset);
    const Boundary& other = isStart ? m_end : m_start;
    Node* otherContainer = Container(other);
    std::optional<int> order;
    if (otherContainer)
        order = ComparePoints(node, offset, *otherContainer, other.offset);
    // A start after the end (or an end before the start, or a point in
    // another tree) collapses the range at the new point.
    const bool collapse = !order || (isStart ? *order > 0 : *order < 0);
    if (isStart) {
        m_start = boundary;
        if (collapse)
            m_end = boundary;
    } else {
        m_end = boundary;
        if (collapse)
            m_start = boundary;
    }
    return NS_OK;
}

nsresult Range::SetStartPoint(Node& node, size_t offset) {
    return SetBoundary(node, offset, true);
}

nsresult Range::SetEndPoint(Node& node, size_t offset) {
    return SetBoundary(node, offset, false);
}

nsresult Range::SetPoints(Node& start, size_t startOffset, Node& end, size_t endOffset) {
    if (nsresult rv = CheckPoint(start, startOffset); NS_FAILED(rv))
        return rv;
    if (nsresult rv = CheckPoint(end, endOffset); NS_FAILED(rv))
        return rv;
    auto order = ComparePoints(start, startOffset, end, endOffset);
    if (!order || *order > 0)
        return NS_ERROR_INVALID_ARG;
    m_start = MakeBoundary(start, startOffset);
    m_end = MakeBoundary(end, endOffset);
    return NS_OK;
}

std::optional<int> Range::CompareBoundaryPoints(CompareHow how, const Range& other) const {
    RangePoints mine = Points();
    RangePoints theirs = other.Points();
    if (!mine.startContainer || !theirs.startContainer)
        return std::nullopt;
    const bool myStart = how == CompareHow::StartToStart || how == CompareHow::StartToEnd;
    const bool theirStart = how == CompareHow::StartToStart || how == CompareHow::EndToStart;
    return ComparePoints(myStart ? *mine.startContainer : *mine.endContainer,
                         myStart ? mine.startOffset : mine.endOffset,
                         theirStart ? *theirs.startContainer : *theirs.endContainer,
                         theirStart ? theirs.startOffset : theirs.endOffset);
}

std::optional<int> Range::ComparePoint(const Node& node, size_t offset) const {
    RangePoints points = Points();
    if (!points.startContainer)
        return std::nullopt;
    auto toStart = ComparePoints(node, offset, *points.startContainer, points.startOffset);
    auto toEnd = ComparePoints(node, offset, *points.endContainer, points.endOffset);
    if (!toStart || !toEnd)
        return std::nullopt;
    if (*toStart < 0)
        return -1;
    if (*toEnd > 0)
        return 1;
    return 0;
}

nsresult Range::GetStartContainer(nsIDOMNode** node) {
    return ReturnNode(Points().startContainer, node);
}

nsresult Range::GetStartOffset(PRInt32* offset) {
    if (!offset)
        return NS_ERROR_NULL_POINTER;
    *offset = static_cast<PRInt32>(
        std::min<size_t>(Points().startOffset, std::numeric_limits<PRInt32>::max()));
    return NS_OK;
}

nsresult Range::GetEndContainer(nsIDOMNode** node) {
    return ReturnNode(Points().endContainer, node);
}

nsresult Range::GetEndOffset(PRInt32* offset) {
    if (!offset)
        return NS_ERROR_NULL_POINTER;
    *offset = static_cast<PRInt32>(
        std::min<size_t>(Points().endOffset, std::numeric_limits<PRInt32>::max()));
    return NS_OK;
}

nsresult Range::GetCollapsed(PRBool* collapsed) {
    if (!collapsed)
        return NS_ERROR_NULL_POINTER;
    *collapsed = IsCollapsed();
    return NS_OK;
}

nsresult Range::GetCommonAncestorContainer(nsIDOMNode** node) {
    RangePoints points = Points();
    Node* common = points.startContainer
                       ? CommonAncestor(*points.startContainer, *points.endContainer)
                       : nullptr;
    return ReturnNode(common, node);
}

nsresult Range::SetStart(nsIDOMNode* node, PRInt32 offset) {
    Node* core = Node::FromDOM(node);
    auto at = ToOffset(offset);
    if (!core)
        return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
    if (!at)
        return NS_ERROR_INVALID_ARG;
    return SetStartPoint(*core, *at);
}

nsresult Range::SetEnd(nsIDOMNode* node, PRInt32 offset) {
    Node* core = Node::FromDOM(node);
    auto at = ToOffset(offset);
    if (!core)
        return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
    if (!at)
        return NS_ERROR_INVALID_ARG;
    return SetEndPoint(*core, *at);
}

nsresult Range::SetStartBefore(nsIDOMNode* node) {
    Node* core = Node::FromDOM(node);
    Node* parent = core ? TreeParent(*core) : nullptr;
    if (!parent)
        return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
    return SetStartPoint(*parent, core->IndexInParent());
}

nsresult Range::SetStartAfter(nsIDOMNode* node) {
    Node* core = Node::FromDOM(node);
    Node* parent = core ? TreeParent(*core) : nullptr;
    if (!parent)
        return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
    return SetStartPoint(*parent, core->IndexInParent() + 1);
}

nsresult Range::SetEndBefore(nsIDOMNode* node) {
    Node* core = Node::FromDOM(node);
    Node* parent = core ? TreeParent(*core) : nullptr;
    if (!parent)
        return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
    return SetEndPoint(*parent, core->IndexInParent());
}

nsresult Range::SetEndAfter(nsIDOMNode* node) {
    Node* core = Node::FromDOM(node);
    Node* parent = core ? TreeParent(*core) : nullptr;
    if (!parent)
        return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
    return SetEndPoint(*parent, core->IndexInParent() + 1);
}

nsresult Range::Collapse(PRBool toStart) {
    if (toStart)
        m_end = m_start;
    else
        m_start = m_end;
    return NS_OK;
}

nsresult Range::SelectNode(nsIDOMNode* node) {
    Node* core = Node::FromDOM(node);
    Node* parent = core ? TreeParent(*core) : nullptr;
    if (!parent)
        return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
    const size_t index = core->IndexInParent();
    return SetPoints(*parent, index, *parent, index + 1);
}

nsresult Range::SelectNodeContents(nsIDOMNode* node) {
    Node* core = Node::FromDOM(node);
    if (!core)
        return node ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
    return SetPoints(*core, 0, *core, NodeLength(*core));
}

nsresult Range::CloneRange(nsIDOMRange** clone) {
    if (!clone)
        return NS_ERROR_NULL_POINTER;
    *clone = nullptr;
    Document* document = OwnerDocument();
    if (!document)
        return NS_ERROR_NOT_AVAILABLE;
    auto* copy = new Range(*document);
    nsCOMPtr<nsIDOMRange> result(copy);
    copy->m_start = m_start;
    copy->m_end = m_end;
    *clone = result.forget();
    return NS_OK;
}

nsresult Range::ToString(nsAString& text) {
    text = RangeText(Points());
    return NS_OK;
}

nsresult Range::Detach() {
    return NS_OK; // nothing to release early: the boundaries go with the range
}

nsCOMPtr<nsIDOMRange> NewRange(Document& document) {
    return nsCOMPtr<nsIDOMRange>(new Range(document));
}

std::optional<RangePoints> PointsOfRange(nsIDOMRange* range) {
    if (!range)
        return std::nullopt;
    if (Range* core = Range::FromDOM(range)) {
        RangePoints points = core->Points();
        if (!points.startContainer)
            return std::nullopt;
        return points;
    }
    nsCOMPtr<nsIDOMNode> start;
    nsCOMPtr<nsIDOMNode> end;
    PRInt32 startOffset = 0;
    PRInt32 endOffset = 0;
    if (NS_FAILED(range->GetStartContainer(getter_AddRefs(start))) ||
        NS_FAILED(range->GetEndContainer(getter_AddRefs(end))) ||
        NS_FAILED(range->GetStartOffset(&startOffset)) ||
        NS_FAILED(range->GetEndOffset(&endOffset)))
        return std::nullopt;
    RangePoints points;
    points.startContainer = Node::FromDOM(start);
    points.endContainer = Node::FromDOM(end);
    if (!points.startContainer || !points.endContainer || startOffset < 0 || endOffset < 0)
        return std::nullopt;
    // The foreign range holds its containers; the caller holds the range.
    points.startOffset = std::min<size_t>(startOffset, NodeLength(*points.startContainer));
    points.endOffset = std::min<size_t>(endOffset, NodeLength(*points.endContainer));
    auto order = ComparePoints(*points.startContainer, points.startOffset, *points.endContainer,
                               points.endOffset);
    if (!order || *order > 0)
        return std::nullopt;
    return points;
}

} // namespace dom

// Ranges of the simulated browser's DOM, and the boundary-point arithmetic
// that the content iterator, the encoder and the selection share.
//
//     nsCOMPtr<nsIDOMRange> range = dom::NewRange(*document);
//     range->SetStart(firstText, 2);
//     range->SetEnd(secondText, 3);
//     nsString text;
//     range->ToString(text);
//
// A boundary point is a container and an offset: a character position in
// character data, a child position in an element or document. Ranges do not
// follow later changes of the tree: an offset beyond a container that has
// since shrunk is read as the container's end.
//
// Ownership: a range holds references to its containers, except to its
// document, which it observes through the document's link (the document's
// own selection holds ranges, and must not keep its document alive).
#pragma once

#include "platform/browser/dom/Node.h"
#include "platform/xpcom/dom/nsIDOMRange.h"

#include <optional>

namespace dom {

// The length of a node as boundary offsets count it: characters of
// character data, children of anything else.
size_t NodeLength(const Node& node);

// The parent of a node in the tree; null for a root and for anonymous
// content (which names a parent but is not among its children).
Node* TreeParent(const Node& node);

// Where boundary point a lies against boundary point b in document order:
// -1 before, 0 equal, 1 after; nullopt when the two are in different trees.
std::optional<int> ComparePoints(const Node& a, size_t aOffset, const Node& b, size_t bOffset);

// The deepest node that contains (or is) both `a` and `b`; null when they
// are in different trees.
Node* CommonAncestor(const Node& a, const Node& b);

// A pair of boundary points, start not after end, in one tree.
struct RangePoints {
    Node* startContainer = nullptr; // observes: the caller keeps the nodes alive
    size_t startOffset = 0;
    Node* endContainer = nullptr; // observes
    size_t endOffset = 0;

    bool IsCollapsed() const { return startContainer == endContainer && startOffset == endOffset; }
    // Whether some part of `node` (or its subtree) lies inside the points.
    bool Intersects(const Node& node) const;
    // The characters of character data `node` that lie inside the points.
    nsString ClippedData(const Node& node) const;
};

// The nodes a range touches, in document order: every node wholly inside,
// and the character data at the start and at the end even when only partly
// inside. Elements that contain a boundary are left out.
std::vector<NodeRef> NodesInRange(const RangePoints& points);

// The text of the Text nodes inside the points, unformatted.
nsString RangeText(const RangePoints& points);

class Range final : public nsSupportsImpl<Range, nsIDOMRange> {
public:
    static constexpr nsIID kCoreIID{
        0x5a0dff41, 0x7e11, 0x4d0c, {0x9b, 0x21, 0x3f, 0x6a, 0xff, 0x00, 0x00, 0x41}};

    // A range collapsed at the start of `document`.
    explicit Range(Document& document);

    // The core of a range made here; null for anything else. The caller's
    // reference keeps the range alive.
    static Range* FromDOM(nsISupports* object);

    // The document the range belongs to; null once it is gone.
    Document* OwnerDocument() const;
    // The boundaries, offsets clamped to the containers' current lengths;
    // containers are null once the document is gone.
    RangePoints Points() const;
    bool IsCollapsed() const { return Points().IsCollapsed(); }

    // Setters on cores; they check the point as the interface does.
    nsresult SetStartPoint(Node& node, size_t offset);
    nsresult SetEndPoint(Node& node, size_t offset);
    // Sets both boundaries at once (start must not be after end).
    nsresult SetPoints(Node& start, size_t startOffset, Node& end, size_t endOffset);

    enum class CompareHow : uint8_t { StartToStart, StartToEnd, EndToEnd, EndToStart };
    // Compares this range's boundary chosen by `how` (the first word) with
    // the other range's (the second word): -1, 0, 1; nullopt when the ranges
    // are in different trees.
    std::optional<int> CompareBoundaryPoints(CompareHow how, const Range& other) const;
    // Where a point lies against the range: -1 before it, 0 inside (or on a
    // boundary), 1 after it; nullopt in another tree.
    std::optional<int> ComparePoint(const Node& node, size_t offset) const;

    // nsIDOMRange
    nsresult GetStartContainer(nsIDOMNode** node) override;
    nsresult GetStartOffset(PRInt32* offset) override;
    nsresult GetEndContainer(nsIDOMNode** node) override;
    nsresult GetEndOffset(PRInt32* offset) override;
    nsresult GetCollapsed(PRBool* collapsed) override;
    nsresult GetCommonAncestorContainer(nsIDOMNode** node) override;
    nsresult SetStart(nsIDOMNode* node, PRInt32 offset) override;
    nsresult SetEnd(nsIDOMNode* node, PRInt32 offset) override;
    nsresult SetStartBefore(nsIDOMNode* node) override;
    nsresult SetStartAfter(nsIDOMNode* node) override;
    nsresult SetEndBefore(nsIDOMNode* node) override;
    nsresult SetEndAfter(nsIDOMNode* node) override;
    nsresult Collapse(PRBool toStart) override;
    nsresult SelectNode(nsIDOMNode* node) override;
    nsresult SelectNodeContents(nsIDOMNode* node) override;
    nsresult CloneRange(nsIDOMRange** clone) override;
    nsresult ToString(nsAString& text) override;
    nsresult Detach() override;

protected:
    void* QueryExtraInterface(const nsIID& iid) override;

private:
    // A container is held by reference unless it is the document itself.
    struct Boundary {
        NodeRef node; // null: the document
        size_t offset = 0;
    };

    Node* Container(const Boundary& boundary) const;
    // Checks that `node` may hold a boundary of this range at `offset`.
    nsresult CheckPoint(const Node& node, size_t offset) const;
    Boundary MakeBoundary(Node& node, size_t offset) const;
    nsresult SetBoundary(Node& node, size_t offset, bool isStart);

    std::shared_ptr<DocumentLink> m_link;
    Boundary m_start;
    Boundary m_end;
};

// A new range collapsed at the start of `document`, for the document's
// CreateRange.
nsCOMPtr<nsIDOMRange> NewRange(Document& document);

// Reads any range through its interface, foreign ones included; nullopt when
// a container is missing or is no node of this DOM.
std::optional<RangePoints> PointsOfRange(nsIDOMRange* range);

} // namespace dom

// The layout engine's input: a flat copy of a document's tree, and its output:
// one box per node.
//
// The browser copies its DOM into a SourceTree (O(n), nodes in document
// order, each knowing its parent) and hands it to LayoutTree::Build. Tests
// build trees directly:
//
//     SourceTree tree;
//     auto body = tree.AddElement(SourceTree::kNoParent, "BODY");
//     tree.AddText(body, u"Hello");
//     LayoutTree layout = LayoutTree::Build(tree, Size{800, 600});
//     Rect r = layout.BoxOf(body).border;
//
// Everything is deterministic: fixed character metrics (LayoutTypes.h), no
// fonts, no floats or positioning; the same tree and viewport always give
// the same boxes. DocumentLayout.h builds the tree from a DOM document.
#pragma once

#include "platform/browser/layout/LayoutTypes.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace browser::layout {

using NodeIndex = uint32_t;

class SourceTree {
public:
    static constexpr NodeIndex kNoParent = UINT32_MAX;

    enum class Kind : uint8_t { Element, Text };
    enum class Markup : uint8_t { Html, Xul };

    struct Node {
        Kind kind = Kind::Element;
        Markup markup = Markup::Html;
        NodeIndex parent = kNoParent;
        std::string tag;                                             // upper case for HTML
        std::vector<std::pair<std::string, std::string>> attributes; // names lower case
        std::u16string text;                                         // text nodes
        const void* key = nullptr; // the caller's identity of the node, never dereferenced
    };

    // Nodes must be added in document order (a parent before its children);
    // a node whose parent is not an earlier node is refused by layout: it
    // and its subtree get no box.
    NodeIndex AddElement(NodeIndex parent, std::string_view tag, Markup markup = Markup::Html,
                         const void* key = nullptr);
    NodeIndex AddText(NodeIndex parent, std::u16string_view text, const void* key = nullptr);
    void SetAttribute(NodeIndex node, std::string_view name, std::string_view value);

    const Node& At(NodeIndex index) const { return m_nodes[index]; }
    size_t Count() const { return m_nodes.size(); }
    // Value of an attribute (name in lower case); nullopt when absent.
    std::optional<std::string_view> Attribute(NodeIndex node, std::string_view name) const;

private:
    std::vector<Node> m_nodes;
};

// How an element takes part in layout.
enum class BoxKind : uint8_t { None, Block, Inline, Replaced, Table, FrameSet, Xul };

struct Box {
    BoxKind kind = BoxKind::None; // None for text nodes and for elements without a box
    bool hasBox = false;          // false for display:none, hidden and non-rendered elements
    bool hitTestable = false;     // false for visibility:hidden and closed drop-down options
    bool scrolls = false;         // overflow auto or scroll with a height: a scrolling division
    // Overflow other than visible with a height: content outside the box
    // does not show (true for scrolling boxes too).
    bool clips = false;
    Rect border;        // border box in document coordinates (before any scrolling)
    Size clientSize;    // padding box of a scrolling box: the part that shows
    Size scrollSize;    // content extent of a scrolling box (at least clientSize)
    Edges borderWidths; // the widths the border box includes
    NodeIndex offsetParent = SourceTree::kNoParent;
    Point offset; // offsetLeft/offsetTop, relative to the offset parent
};

class LayoutTree {
public:
    // Lays out `tree` in a viewport (the window's client area) of `viewport`.
    static LayoutTree Build(const SourceTree& tree, Size viewport);

    // The box of a node; an index outside the tree answers an empty box.
    const Box& BoxOf(NodeIndex node) const;
    size_t Count() const { return m_boxes.size(); }
    // Extent of the whole document (at least the viewport).
    Size ContentSize() const { return m_contentSize; }
    Size Viewport() const { return m_viewport; }

    // Scroll offset of a scrolling box; {0,0} for others. Setting clamps to the
    // box's scroll range and answers false for boxes that do not scroll.
    Point ScrollOf(NodeIndex node) const;
    bool SetScroll(NodeIndex node, Point position);

    // The box as the user sees it: moved by the scroll of every scrolling
    // ancestor (not by the window's scroll). Document coordinates.
    Rect VisibleBox(NodeIndex node) const;

    // Deepest hit-testable element whose visible box contains `documentPoint`,
    // clipped by scrolling and clipping ancestors; nullopt when none.
    std::optional<NodeIndex> HitTest(Point documentPoint) const;

    // Indented text of every element of `tree` (the tree this layout was
    // built from) and its box: a debugging aid.
    std::string Dump(const SourceTree& tree) const;

private:
    friend class Builder;
    // The layout keeps the tree's shape itself, so that it stays usable
    // after the source tree is gone.
    std::vector<NodeIndex> m_parent; // kNoParent for roots and for refused nodes
    std::vector<bool> m_isElement;
    std::vector<Box> m_boxes;
    std::vector<Point> m_scroll; // per node, only for scrolling boxes
    Size m_viewport;
    Size m_contentSize;
};

// Sizes of FRAMESET rows or cols ("100,20%,*,2*") that share `total` pixels.
std::vector<int32_t> SplitFrameSizes(std::string_view spec, int32_t total);

} // namespace browser::layout

// The layout builder shared by the formatting files of the layout engine
// (block, inline, replaced elements, tables, framesets, XUL boxes): one
// Builder lays out one tree in LayoutTree::Build. Internal to the layout
// library; nothing outside src/platform/browser/layout includes it.
#pragma once

#include "platform/browser/Ascii.h"
#include "platform/browser/layout/ComputedStyle.h"
#include "platform/browser/layout/LayoutTree.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace browser::layout {

using namespace metrics;

enum class Display : uint8_t { None, Block, Inline, Atomic, Table, FrameSet, Xul };

// Page input bounds every length, and every sum of lengths is clamped, so
// that no page can make the arithmetic overflow: a clamped coordinate plus
// a clamped coordinate still fits in 32 bits.
constexpr int32_t kMaxLength = 100000;
constexpr int32_t kMaxCoordinate = 1 << 28;

// Layout recurses along the tree; elements nested deeper than this get no
// box, so that no page can exhaust the stack.
constexpr uint32_t kMaxDepth = 1000;

inline int32_t Clamped(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, -kMaxCoordinate, kMaxCoordinate));
}

inline std::optional<int32_t> BoundedLength(std::string_view text,
                                            std::optional<int32_t> percentBase = std::nullopt) {
    auto px = ParseLength(text, percentBase);
    if (!px)
        return std::nullopt;
    return std::clamp(*px, -kMaxLength, kMaxLength);
}

inline bool IsAnyOf(std::string_view tag, std::initializer_list<std::string_view> tags) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

inline bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

using browser::AsciiLower;

// Lays out one tree. Children are linked first-child/next-sibling so that
// every pass is linear in the number of nodes.
class Builder {
public:
    Builder(const SourceTree& tree, LayoutTree& out);

    void Run();

private:
    const SourceTree::Node& N(NodeIndex i) const { return m_tree.At(i); }
    Box& B(NodeIndex i) { return m_out.m_boxes[i]; }
    bool IsElement(NodeIndex i) const { return N(i).kind == SourceTree::Kind::Element; }
    std::optional<std::string_view> Attr(NodeIndex i, std::string_view name) const {
        return m_tree.Attribute(i, name);
    }
    int32_t IntAttr(NodeIndex i, std::string_view name, int32_t fallback,
                    std::optional<int32_t> percentBase = std::nullopt) const {
        auto v = Attr(i, name);
        if (!v)
            return fallback;
        auto px = BoundedLength(*v, percentBase);
        return px && *px >= 0 ? *px : fallback;
    }
    std::optional<int32_t> StyleLength(NodeIndex i, std::string_view prop,
                                       std::optional<int32_t> base = std::nullopt) const {
        auto v = m_style[i].Get(prop);
        if (!v)
            return std::nullopt;
        return BoundedLength(*v, base);
    }

    // The node's parent, or kNoParent for roots and refused nodes.
    NodeIndex ParentOf(NodeIndex i) const { return m_out.m_parent[i]; }

    void Classify(NodeIndex i);

    Display DefaultDisplay(NodeIndex i) const;

    // Sides of margin, border or padding: top, right, bottom, left.
    using Sides = Edges;

    Sides Edge(NodeIndex i, std::string_view name, int32_t fallback) const;

    Sides Border(NodeIndex i) const;

    Sides Margin(NodeIndex i) const;

    Sides Padding(NodeIndex i) const;

    bool Scrolls(NodeIndex i) const;

    // Overflow hidden clips like a scrolling box but does not scroll.
    bool Clips(NodeIndex i) const;

    // ---- Inline formatting -------------------------------------------------

    struct Line {
        int32_t left = 0, right = 0; // content edges of the block
        int32_t x = 0, top = 0, height = kLineHeight;
        bool hasContent = false, pendingSpace = false, pre = false;
    };

    struct Bounds {
        bool any = false;
        Rect r;
        void Add(const Rect& other) {
            if (!any) {
                r = other;
                any = true;
                return;
            }
            r.left = std::min(r.left, other.left);
            r.top = std::min(r.top, other.top);
            r.right = std::max(r.right, other.right);
            r.bottom = std::max(r.bottom, other.bottom);
        }
    };

    void NewLine(Line& line);

    int32_t LineBottom(const Line& line) const {
        return line.hasContent ? line.top + line.height : line.top;
    }

    // Places a piece of `width` x `height` on the line; answers its rectangle.
    Rect Place(Line& line, int32_t width, int32_t height);

    static int32_t TextWidth(std::u16string_view text) {
        return Clamped(int64_t(CodePoints(text)) * kCharWidth);
    }

    static int32_t CodePoints(std::u16string_view text) {
        int32_t count = 0;
        for (char16_t c : text)
            if (c < 0xDC00 || c > 0xDFFF) // low surrogates complete a character already counted
                ++count;
        return count;
    }

    void LayoutText(NodeIndex i, Line& line);

    // Lays out the children of `parent` as a mix of inline runs and blocks
    // inside the content box [left, left + width) starting at `y`; answers the
    // bottom of the content.
    int32_t LayoutFlow(NodeIndex parent, int32_t left, int32_t y, int32_t width, bool pre);

    void FlowChild(NodeIndex c, Line& line, int32_t& pendingMargin);

    // The bottom margin of the block before inline content separates the two.
    static void ConsumeMargin(Line& line, int32_t& pendingMargin);

    // Widens the innermost extent (of the document or a scrolling box).
    void Extend(int32_t right) {
        if (!m_extent.empty())
            m_extent.back() = std::max(m_extent.back(), right);
    }

    void SetBox(NodeIndex i, Rect r);

    // Lays out a block-level element whose margin box starts at x and whose
    // border box starts at y (the caller has placed the top margin), in
    // `available` width; answers the bottom of its border box (without the
    // bottom margin, which the caller collapses with the next block).
    int32_t LayoutBlock(NodeIndex i, int32_t x, int32_t y, int32_t available, bool root);

    // ---- Replaced elements and controls -------------------------------------

    // The descendants of `i` that are displayed, in document order.
    std::vector<NodeIndex> ShownDescendants(NodeIndex i) const;

    int32_t TextLength(NodeIndex i) const;

    Size AtomicSize(NodeIndex i) const;

    // The border box of a replaced element or control. Images and embedded
    // content are sized without their border, which is added around them;
    // the controls' sizes already include their chrome.
    Size AtomicBox(NodeIndex i, std::optional<int32_t> percentBase) const;

    void LayoutAtomic(NodeIndex i, Line& line);

    // Options of a list box stack inside it; a closed drop-down's share its
    // one line.
    void LayoutOptions(NodeIndex select, Rect r);

    // ---- Tables --------------------------------------------------------------

    // Preferred widths: the widest line the content makes when nothing
    // wraps, measured with the same white-space rules as the inline flow.
    struct Measure {
        int32_t run = 0, widest = 0;
        bool hasContent = false, pendingSpace = false;
        void Piece(int32_t width) {
            if (pendingSpace && hasContent)
                run = Clamped(int64_t(run) + kCharWidth);
            run = Clamped(int64_t(run) + width);
            hasContent = true;
            pendingSpace = false;
        }
        void Break() {
            widest = std::max(widest, run);
            run = 0;
            hasContent = false;
            pendingSpace = false;
        }
    };

    void MeasureFlow(NodeIndex parent, Measure& m, bool pre);

    // The preferred width of a block-level element's border box.
    int32_t PreferredWidth(NodeIndex i);

    // A nested table's width without limits: its widest row of cells.
    int32_t TablePreferredWidth(NodeIndex t);

    void CollectRows(NodeIndex table, std::vector<NodeIndex>& rows) const;

    int32_t LayoutTable(NodeIndex t, int32_t x, int32_t y, int32_t available);

    // ---- Framesets and XUL ------------------------------------------------

    void LayoutFrameSet(NodeIndex fs, Rect area);

    bool IsHorizontal(NodeIndex i) const;

    static int32_t LabelWidth(std::string_view label) {
        return Clamped(int64_t(label.size()) * kCharWidth);
    }

    Size XulNatural(NodeIndex i) const;

    // XUL boxes: children along the box's axis at their natural size, the
    // space left shared by "flex"; the other axis is stretched. Answers the
    // bottom of the box.
    int32_t LayoutXul(NodeIndex i, Rect area);

    Size XulContentSize(NodeIndex i) const;

    // ---- Offsets ------------------------------------------------------------

    bool IsOffsetParentKind(NodeIndex i) const;

    Box& B(NodeIndex i) const { return m_out.m_boxes[i]; }

    static BoxKind KindOf(Display d);

    void ComputeOffsets();

    const SourceTree& m_tree;
    LayoutTree& m_out;
    std::vector<NodeIndex> m_first, m_next, m_last, m_roots;
    std::vector<StyleDeclarations> m_style;
    std::vector<Display> m_display;
    std::vector<bool> m_refused; // nodes whose parent does not come before them
    std::vector<uint32_t> m_depth;
    // Right edges reached by boxes and text: the document's first, then one
    // per scrolling box being laid out, innermost last.
    std::vector<int32_t> m_extent{INT32_MIN};
    std::vector<Bounds> m_inline; // open inline elements, innermost last
    int32_t m_cellPadding = 1;    // of the table being laid out
    int32_t m_cellBorder = 0;

public:
    void RunFrameSetRoot(NodeIndex fs);
    bool HasFrameSetBody(NodeIndex& fs) const;
    void RunFrameSetDocument(NodeIndex fs);
};

} // namespace browser::layout

#include "platform/browser/layout/internal/LayoutBuilder.h"

namespace browser::layout {

using namespace metrics;

Builder::Sides Builder::Edge(NodeIndex i, std::string_view name, int32_t fallback) const {
    Sides s{fallback, fallback, fallback, fallback};
    if (auto all = StyleLength(i, name))
        s = Sides{*all, *all, *all, *all};
    std::string base(name);
    if (auto v = StyleLength(i, base + "-top"))
        s.top = *v;
    if (auto v = StyleLength(i, base + "-right"))
        s.right = *v;
    if (auto v = StyleLength(i, base + "-bottom"))
        s.bottom = *v;
    if (auto v = StyleLength(i, base + "-left"))
        s.left = *v;
    return s;
}

Builder::Sides Builder::Border(NodeIndex i) const {
    int32_t fallback = 0;
    std::string_view tag = N(i).tag;
    if (tag == "TABLE")
        fallback = IntAttr(i, "border", 0);
    else if (tag == "IMG")
        fallback = IntAttr(i, "border", 0);
    else if ((tag == "TD" || tag == "TH") && m_cellBorder > 0)
        fallback = 1;
    Sides s{fallback, fallback, fallback, fallback};
    int32_t* sides[4] = {&s.top, &s.right, &s.bottom, &s.left};
    for (int k = 0; k < 4; ++k)
        if (auto w = DeclaredBorderWidth(m_style[i], k))
            *sides[k] = std::max(0, *w);
    return s;
}

Builder::Sides Builder::Margin(NodeIndex i) const {
    std::string_view tag = N(i).tag;
    int32_t v = IsAnyOf(tag, {"P", "H1", "H2", "H3", "H4", "H5", "H6", "UL", "OL", "PRE",
                              "BLOCKQUOTE", "DL", "DIR", "MENU"})
                    ? kBlockMargin
                    : 0;
    Sides s = Edge(i, "margin", 0);
    if (!m_style[i].Get("margin") && !m_style[i].Get("margin-top"))
        s.top = v;
    if (!m_style[i].Get("margin") && !m_style[i].Get("margin-bottom"))
        s.bottom = v;
    if (tag == "BODY") {
        Sides body = Edge(i, "margin", kBodyMargin);
        return body;
    }
    if (tag == "BLOCKQUOTE" && !m_style[i].Get("margin")) {
        s.left = std::max(s.left, kListIndent);
        s.right = std::max(s.right, kListIndent);
    }
    if (tag == "DD" && !m_style[i].Get("margin"))
        s.left = std::max(s.left, kListIndent);
    return s;
}

Builder::Sides Builder::Padding(NodeIndex i) const {
    std::string_view tag = N(i).tag;
    int32_t fallback = (tag == "TD" || tag == "TH") ? m_cellPadding : 0;
    Sides s = Edge(i, "padding", fallback);
    if ((tag == "UL" || tag == "OL" || tag == "DIR" || tag == "MENU") &&
        !m_style[i].Get("padding") && !m_style[i].Get("padding-left"))
        s.left = kListIndent;
    return s;
}

bool Builder::Scrolls(NodeIndex i) const {
    auto v = m_style[i].Get("overflow");
    if (!v)
        return false;
    std::string o = AsciiLower(*v);
    return (o == "auto" || o == "scroll") && m_style[i].Get("height").has_value();
}

// Overflow hidden clips like a scrolling box but does not scroll.
bool Builder::Clips(NodeIndex i) const {
    auto v = m_style[i].Get("overflow");
    return v && AsciiLower(*v) == "hidden";
}

void Builder::SetBox(NodeIndex i, Rect r) {
    Extend(r.right);
    Box& b = B(i);
    b.hasBox = true;
    b.border = r;
    b.borderWidths = Border(i);
    auto vis = m_style[i].Get("visibility");
    b.hitTestable = !(vis && AsciiLower(*vis) == "hidden");
    NodeIndex p = ParentOf(i);
    if (p != SourceTree::kNoParent && !B(p).hitTestable && B(p).hasBox && !vis)
        b.hitTestable = false; // visibility inherits
}

// Lays out a block-level element whose margin box starts at x and whose
// border box starts at y (the caller has placed the top margin), in
// `available` width; answers the bottom of its border box (without the
// bottom margin, which the caller collapses with the next block).
int32_t Builder::LayoutBlock(NodeIndex i, int32_t x, int32_t y, int32_t available, bool root) {
    Sides m = root && N(i).tag != "BODY" ? Sides{} : Margin(i);
    Sides bd = Border(i), pd = Padding(i);
    std::string_view tag = N(i).tag;
    int32_t width = available - m.left - m.right;
    if (auto w = StyleLength(i, "width", available))
        width = *w + bd.left + bd.right + pd.left + pd.right;
    else if (tag == "FRAME")
        width = available;
    width = std::max(0, width);
    int32_t left = x + m.left;
    int32_t contentLeft = left + bd.left + pd.left;
    int32_t contentWidth = std::max(0, width - bd.left - bd.right - pd.left - pd.right);
    int32_t top = y;
    SetBox(i, Rect::FromSize(left, top, width, 0)); // before children, so visibility inherits
    int32_t contentTop = top + bd.top + pd.top;
    int32_t contentBottom;
    int32_t innerRight = INT32_MIN;
    if (tag == "HR") {
        contentBottom = contentTop + kHrHeight;
    } else {
        // A scrolling box keeps its content's extent to itself.
        bool scrolls = Scrolls(i);
        if (scrolls)
            m_extent.push_back(INT32_MIN);
        contentBottom = LayoutFlow(i, contentLeft, contentTop, contentWidth, tag == "PRE");
        if (scrolls) {
            innerRight = m_extent.back();
            m_extent.pop_back();
        }
    }
    int32_t borderTop = B(i).border.top;
    int32_t height = contentBottom + pd.bottom + bd.bottom - borderTop;
    if (auto h = StyleLength(i, "height")) {
        int32_t fixed = *h + bd.top + bd.bottom + pd.top + pd.bottom;
        B(i).clips = Clips(i);
        if (Scrolls(i)) {
            // The padding box is the visible client area; the scroll
            // extent is the content, at least that area.
            Box& b = B(i);
            b.scrolls = true;
            b.clips = true;
            b.clientSize =
                Size{std::max(0, width - bd.left - bd.right), std::max(0, *h + pd.top + pd.bottom)};
            int32_t paddingLeft = left + bd.left;
            int32_t paddingTop = borderTop + bd.top;
            int32_t contentRight = std::max(contentLeft + contentWidth, innerRight);
            b.scrollSize =
                Size{std::max(b.clientSize.width, contentRight + pd.right - paddingLeft),
                     std::max(b.clientSize.height, contentBottom + pd.bottom - paddingTop)};
        }
        height = fixed;
    }
    B(i).border.bottom = borderTop + std::max(0, height);
    return B(i).border.bottom;
}

} // namespace browser::layout

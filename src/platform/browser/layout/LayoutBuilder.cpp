#include "platform/browser/layout/internal/LayoutBuilder.h"

namespace browser::layout {

using namespace metrics;

Builder::Builder(const SourceTree& tree, LayoutTree& out) : m_tree(tree), m_out(out) {
    size_t n = tree.Count();
    m_first.assign(n, SourceTree::kNoParent);
    m_next.assign(n, SourceTree::kNoParent);
    m_last.assign(n, SourceTree::kNoParent);
    m_style.resize(n);
    m_display.resize(n);
    out.m_boxes.assign(n, Box{});
    out.m_scroll.assign(n, Point{});
    out.m_parent.assign(n, SourceTree::kNoParent);
    out.m_isElement.assign(n, false);
    m_refused.assign(n, false);
    m_depth.assign(n, 0);
    for (NodeIndex i = 0; i < n; ++i) {
        NodeIndex p = tree.At(i).parent;
        out.m_isElement[i] = tree.At(i).kind == SourceTree::Kind::Element;
        if (p == SourceTree::kNoParent) {
            m_roots.push_back(i);
            continue;
        }
        if (p >= i || m_refused[p]) {
            m_refused[i] = true; // a parent after its child: the node stays boxless
            continue;
        }
        out.m_parent[i] = p;
        m_depth[i] = m_depth[p] + 1;
        if (m_last[p] == SourceTree::kNoParent)
            m_first[p] = i;
        else
            m_next[m_last[p]] = i;
        m_last[p] = i;
    }
    for (NodeIndex i = 0; i < n; ++i)
        Classify(i);
}

void Builder::Run() {
    Size vp = m_out.m_viewport;
    int32_t bottom = 0;
    for (NodeIndex root : m_roots) {
        if (m_display[root] == Display::None || m_tree.At(root).kind != SourceTree::Kind::Element)
            continue;
        if (m_display[root] == Display::Xul) {
            bottom = std::max(bottom, LayoutXul(root, Rect::FromSize(0, 0, vp.width, vp.height)));
        } else {
            // A BODY without HTML around it keeps its margins in the viewport.
            Sides m = N(root).tag == "BODY" ? Margin(root) : Sides{};
            bottom =
                std::max(bottom, LayoutBlock(root, 0, bottom + m.top, vp.width, true) + m.bottom);
        }
    }
    int32_t right = std::max(vp.width, m_extent.front());
    m_out.m_contentSize = Size{right, std::max(bottom, vp.height)};
    ComputeOffsets();
}

void Builder::Classify(NodeIndex i) {
    const auto& node = N(i);
    if (m_refused[i] || m_depth[i] > kMaxDepth) {
        m_display[i] = Display::None;
        return;
    }
    if (node.kind == SourceTree::Kind::Text) {
        m_display[i] = Display::Inline;
        return;
    }
    if (auto s = Attr(i, "style"))
        m_style[i] = ParseStyleAttribute(*s);
    Display d = DefaultDisplay(i);
    if (auto v = m_style[i].Get("display")) {
        std::string value = AsciiLower(*v);
        if (value == "none")
            d = Display::None;
        else if (d != Display::None && d != Display::Atomic && d != Display::FrameSet &&
                 d != Display::Xul) {
            if (value == "block" || value == "list-item")
                d = Display::Block;
            else if (value == "inline")
                d = Display::Inline;
            else if (value == "table")
                d = Display::Table;
        }
    }
    // A non-empty hidden attribute hides the element, as the agent reads
    // it; XUL also writes hidden="false" for a shown element.
    if (auto h = Attr(i, "hidden");
        h && !h->empty() && !(node.markup == SourceTree::Markup::Xul && *h == "false"))
        d = Display::None;
    if (ParentOf(i) != SourceTree::kNoParent && m_display[ParentOf(i)] == Display::None)
        d = Display::None;
    m_display[i] = d;
}

Display Builder::DefaultDisplay(NodeIndex i) const {
    const auto& node = N(i);
    std::string_view tag = node.tag;
    if (node.markup == SourceTree::Markup::Xul) {
        if (IsAnyOf(tag, {"menupopup", "popup", "tooltip", "popupset", "script", "keyset",
                          "commandset", "broadcasterset"}))
            return Display::None;
        return Display::Xul;
    }
    if (IsAnyOf(tag, {"HEAD", "SCRIPT", "STYLE", "TITLE", "META", "LINK", "BASE", "NOSCRIPT",
                      "NOFRAMES", "MAP", "AREA", "PARAM", "COL", "COLGROUP"}))
        return Display::None;
    if (tag == "INPUT") {
        auto type = Attr(i, "type");
        if (type && AsciiLower(*type) == "hidden")
            return Display::None;
        return Display::Atomic;
    }
    if (IsAnyOf(tag,
                {"IMG", "BUTTON", "SELECT", "TEXTAREA", "IFRAME", "OBJECT", "EMBED", "APPLET"}))
        return Display::Atomic;
    if (tag == "TABLE")
        return Display::Table;
    if (tag == "FRAMESET")
        return Display::FrameSet;
    if (IsAnyOf(tag, {"HTML",    "BODY",     "DIV",    "P",          "H1",     "H2",   "H3",
                      "H4",      "H5",       "H6",     "UL",         "OL",     "LI",   "DL",
                      "DT",      "DD",       "PRE",    "BLOCKQUOTE", "CENTER", "FORM", "HR",
                      "ADDRESS", "FIELDSET", "LEGEND", "CAPTION",    "TR",     "TD",   "TH",
                      "TBODY",   "THEAD",    "TFOOT",  "FRAME",      "DIR",    "MENU"}))
        return Display::Block;
    return Display::Inline;
}

bool Builder::IsOffsetParentKind(NodeIndex i) const {
    if (!IsElement(i) || !B(i).hasBox)
        return false;
    std::string_view tag = N(i).tag;
    if (IsAnyOf(tag, {"BODY", "TABLE", "TD", "TH", "FRAMESET"}) || B(i).scrolls)
        return true;
    auto pos = m_style[i].Get("position");
    return pos && AsciiLower(*pos) != "static";
}

BoxKind Builder::KindOf(Display d) {
    switch (d) {
    case Display::None:
        return BoxKind::None;
    case Display::Block:
        return BoxKind::Block;
    case Display::Inline:
        return BoxKind::Inline;
    case Display::Atomic:
        return BoxKind::Replaced;
    case Display::Table:
        return BoxKind::Table;
    case Display::FrameSet:
        return BoxKind::FrameSet;
    case Display::Xul:
        return BoxKind::Xul;
    }
    return BoxKind::None;
}

void Builder::ComputeOffsets() {
    // Nearest offset-parent candidate of every node, in document order.
    std::vector<NodeIndex> candidate(m_tree.Count(), SourceTree::kNoParent);
    for (NodeIndex i = 0; i < m_tree.Count(); ++i) {
        NodeIndex p = ParentOf(i);
        if (p != SourceTree::kNoParent)
            candidate[i] = IsOffsetParentKind(p) ? p : candidate[p];
        Box& b = B(i);
        if (!b.hasBox || !IsElement(i))
            continue;
        b.kind = KindOf(m_display[i]);
        if (N(i).tag == "BODY" || N(i).tag == "HTML")
            candidate[i] = SourceTree::kNoParent; // the body has no offset parent
        NodeIndex op =
            N(i).tag == "BODY" || N(i).tag == "HTML" ? SourceTree::kNoParent : candidate[i];
        b.offsetParent = op;
        Point origin{0, 0};
        if (op != SourceTree::kNoParent) {
            // Relative to the offset parent's outer border edge, except for
            // BODY, whose own border the agent adds back separately.
            origin = Point{B(op).border.left, B(op).border.top};
            if (N(op).tag == "BODY") {
                Sides bd = Border(op);
                origin.x += bd.left;
                origin.y += bd.top;
            }
        }
        b.offset = Point{b.border.left - origin.x, b.border.top - origin.y};
    }
}

} // namespace browser::layout

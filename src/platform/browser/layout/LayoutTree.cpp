#include "platform/browser/layout/LayoutTree.h"

#include "platform/browser/layout/ComputedStyle.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace browser::layout {

using namespace metrics;

NodeIndex SourceTree::AddElement(NodeIndex parent, std::string_view tag, Markup markup,
                                 const void* key) {
    Node node;
    node.kind = Kind::Element;
    node.markup = markup;
    node.parent = parent;
    node.tag = std::string(tag);
    node.key = key;
    m_nodes.push_back(std::move(node));
    return NodeIndex(m_nodes.size() - 1);
}

NodeIndex SourceTree::AddText(NodeIndex parent, std::u16string_view text, const void* key) {
    Node node;
    node.kind = Kind::Text;
    node.parent = parent;
    node.text = std::u16string(text);
    node.key = key;
    m_nodes.push_back(std::move(node));
    return NodeIndex(m_nodes.size() - 1);
}

void SourceTree::SetAttribute(NodeIndex node, std::string_view name, std::string_view value) {
    if (node >= m_nodes.size())
        return;
    m_nodes[node].attributes.emplace_back(std::string(name), std::string(value));
}

std::optional<std::string_view> SourceTree::Attribute(NodeIndex node, std::string_view name) const {
    if (node >= m_nodes.size())
        return std::nullopt;
    for (const auto& [n, v] : m_nodes[node].attributes)
        if (n == name)
            return std::string_view(v);
    return std::nullopt;
}

namespace {

enum class Display : uint8_t { None, Block, Inline, Atomic, Table, FrameSet, Xul };

// Page input bounds every length, and every sum of lengths is clamped, so
// that no page can make the arithmetic overflow: a clamped coordinate plus
// a clamped coordinate still fits in 32 bits.
constexpr int32_t kMaxLength = 100000;
constexpr int32_t kMaxCoordinate = 1 << 28;

// Layout recurses along the tree; elements nested deeper than this get no
// box, so that no page can exhaust the stack.
constexpr uint32_t kMaxDepth = 1000;

int32_t Clamped(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, -kMaxCoordinate, kMaxCoordinate));
}

std::optional<int32_t> BoundedLength(std::string_view text,
                                     std::optional<int32_t> percentBase = std::nullopt) {
    auto px = ParseLength(text, percentBase);
    if (!px)
        return std::nullopt;
    return std::clamp(*px, -kMaxLength, kMaxLength);
}

bool IsAnyOf(std::string_view tag, std::initializer_list<std::string_view> tags) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

} // namespace

// Lays out one tree. Children are linked first-child/next-sibling so that
// every pass is linear in the number of nodes.
class Builder {
public:
    Builder(const SourceTree& tree, LayoutTree& out) : m_tree(tree), m_out(out) {
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

    void Run() {
        Size vp = m_out.m_viewport;
        int32_t bottom = 0;
        for (NodeIndex root : m_roots) {
            if (m_display[root] == Display::None ||
                m_tree.At(root).kind != SourceTree::Kind::Element)
                continue;
            if (m_display[root] == Display::Xul) {
                bottom =
                    std::max(bottom, LayoutXul(root, Rect::FromSize(0, 0, vp.width, vp.height)));
            } else {
                // A BODY without HTML around it keeps its margins in the viewport.
                Sides m = N(root).tag == "BODY" ? Margin(root) : Sides{};
                bottom = std::max(bottom,
                                  LayoutBlock(root, 0, bottom + m.top, vp.width, true) + m.bottom);
            }
        }
        int32_t right = std::max(vp.width, m_extent.front());
        m_out.m_contentSize = Size{right, std::max(bottom, vp.height)};
        ComputeOffsets();
    }

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

    void Classify(NodeIndex i) {
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
            std::string value = LowerAscii(*v);
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

    Display DefaultDisplay(NodeIndex i) const {
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
            if (type && LowerAscii(*type) == "hidden")
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

    // Sides of margin, border or padding: top, right, bottom, left.
    using Sides = Edges;

    Sides Edge(NodeIndex i, std::string_view name, int32_t fallback) const {
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

    Sides Border(NodeIndex i) const {
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

    Sides Margin(NodeIndex i) const {
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

    Sides Padding(NodeIndex i) const {
        std::string_view tag = N(i).tag;
        int32_t fallback = (tag == "TD" || tag == "TH") ? m_cellPadding : 0;
        Sides s = Edge(i, "padding", fallback);
        if ((tag == "UL" || tag == "OL" || tag == "DIR" || tag == "MENU") &&
            !m_style[i].Get("padding") && !m_style[i].Get("padding-left"))
            s.left = kListIndent;
        return s;
    }

    bool Scrolls(NodeIndex i) const {
        auto v = m_style[i].Get("overflow");
        if (!v)
            return false;
        std::string o = LowerAscii(*v);
        return (o == "auto" || o == "scroll") && m_style[i].Get("height").has_value();
    }

    // Overflow hidden clips like a scrolling box but does not scroll.
    bool Clips(NodeIndex i) const {
        auto v = m_style[i].Get("overflow");
        return v && LowerAscii(*v) == "hidden";
    }

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

    void NewLine(Line& line) {
        if (line.hasContent || line.pre)
            line.top = Clamped(int64_t(line.top) + line.height);
        line.x = line.left;
        line.height = kLineHeight;
        line.hasContent = false;
        line.pendingSpace = false;
    }

    int32_t LineBottom(const Line& line) const {
        return line.hasContent ? line.top + line.height : line.top;
    }

    // Places a piece of `width` x `height` on the line; answers its rectangle.
    Rect Place(Line& line, int32_t width, int32_t height) {
        int32_t space = line.pendingSpace && line.hasContent ? kCharWidth : 0;
        if (line.hasContent && line.x + space + width > line.right && !line.pre) {
            NewLine(line);
            space = 0;
        }
        line.x = Clamped(int64_t(line.x) + space);
        Rect r = Rect::FromSize(line.x, line.top, width, height);
        line.x = Clamped(int64_t(line.x) + width);
        Extend(r.right);
        line.height = std::max(line.height, height);
        line.hasContent = true;
        line.pendingSpace = false;
        if (!m_inline.empty())
            m_inline.back().Add(r);
        return r;
    }

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

    void LayoutText(NodeIndex i, Line& line) {
        std::u16string_view text = N(i).text;
        size_t pos = 0;
        while (pos < text.size()) {
            if (line.pre && text[pos] == u'\n') {
                if (!line.hasContent)
                    line.hasContent = true; // an empty line still takes its height
                NewLine(line);
                ++pos;
                continue;
            }
            if (IsSpace(text[pos]) && !line.pre) {
                line.pendingSpace = true;
                ++pos;
                continue;
            }
            size_t end = pos;
            while (end < text.size() && !(IsSpace(text[end]) && !line.pre) && text[end] != u'\n')
                ++end;
            Place(line, TextWidth(text.substr(pos, end - pos)), kLineHeight);
            pos = end;
        }
    }

    // Lays out the children of `parent` as a mix of inline runs and blocks
    // inside the content box [left, left + width) starting at `y`; answers the
    // bottom of the content.
    int32_t LayoutFlow(NodeIndex parent, int32_t left, int32_t y, int32_t width, bool pre) {
        Line line;
        line.left = left;
        line.right = left + width;
        line.x = left;
        line.top = y;
        line.pre = pre;
        int32_t pendingMargin = 0;
        for (NodeIndex c = m_first[parent]; c != SourceTree::kNoParent; c = m_next[c])
            FlowChild(c, line, pendingMargin);
        return LineBottom(line) + pendingMargin;
    }

    void FlowChild(NodeIndex c, Line& line, int32_t& pendingMargin) {
        Display d = m_display[c];
        if (d == Display::None)
            return;
        if (!IsElement(c)) {
            if (std::any_of(N(c).text.begin(), N(c).text.end(),
                            [&](char16_t ch) { return !IsSpace(ch) || line.pre; }))
                ConsumeMargin(line, pendingMargin);
            LayoutText(c, line);
            return;
        }
        std::string_view tag = N(c).tag;
        if (tag == "BR") {
            ConsumeMargin(line, pendingMargin);
            Rect r = Rect::FromSize(line.x, line.top, 0, kLineHeight);
            SetBox(c, r);
            if (!line.hasContent)
                line.hasContent = true;
            NewLine(line);
            return;
        }
        if (d == Display::Inline) {
            m_inline.push_back(Bounds{});
            for (NodeIndex g = m_first[c]; g != SourceTree::kNoParent; g = m_next[g])
                FlowChild(g, line, pendingMargin);
            Bounds b = m_inline.back();
            m_inline.pop_back();
            if (!b.any) // an empty inline element sits where it would start
                b.Add(Rect::FromSize(line.x, line.top, 0, kLineHeight));
            SetBox(c, b.r);
            if (!m_inline.empty())
                m_inline.back().Add(b.r);
            return;
        }
        if (d == Display::Atomic) {
            ConsumeMargin(line, pendingMargin);
            LayoutAtomic(c, line);
            return;
        }
        // A block (or table) ends the current line and starts below it.
        if (line.hasContent)
            NewLine(line);
        Sides m = Margin(c);
        // Adjoining vertical margins of sibling blocks collapse to the larger.
        int32_t top = Clamped(int64_t(line.top) + std::max(pendingMargin, m.top));
        int32_t bottom = d == Display::Table
                             ? LayoutTable(c, line.left, top, line.right - line.left)
                             : LayoutBlock(c, line.left, top, line.right - line.left, false);
        if (!m_inline.empty())
            m_inline.back().Add(B(c).border);
        line.top = bottom;
        line.x = line.left;
        line.hasContent = false;
        line.pendingSpace = false;
        pendingMargin = m.bottom;
    }

    // The bottom margin of the block before inline content separates the two.
    static void ConsumeMargin(Line& line, int32_t& pendingMargin) {
        if (pendingMargin != 0 && !line.hasContent) {
            line.top = Clamped(int64_t(line.top) + pendingMargin);
            line.x = line.left;
        }
        pendingMargin = 0;
    }

    // Widens the innermost extent (of the document or a scrolling box).
    void Extend(int32_t right) {
        if (!m_extent.empty())
            m_extent.back() = std::max(m_extent.back(), right);
    }

    void SetBox(NodeIndex i, Rect r) {
        Extend(r.right);
        Box& b = B(i);
        b.hasBox = true;
        b.border = r;
        b.borderWidths = Border(i);
        auto vis = m_style[i].Get("visibility");
        b.hitTestable = !(vis && LowerAscii(*vis) == "hidden");
        NodeIndex p = ParentOf(i);
        if (p != SourceTree::kNoParent && !B(p).hitTestable && B(p).hasBox && !vis)
            b.hitTestable = false; // visibility inherits
    }

    // Lays out a block-level element whose margin box starts at x and whose
    // border box starts at y (the caller has placed the top margin), in
    // `available` width; answers the bottom of its border box (without the
    // bottom margin, which the caller collapses with the next block).
    int32_t LayoutBlock(NodeIndex i, int32_t x, int32_t y, int32_t available, bool root) {
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
                b.clientSize = Size{std::max(0, width - bd.left - bd.right),
                                    std::max(0, *h + pd.top + pd.bottom)};
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

    // ---- Replaced elements and controls -------------------------------------

    // The descendants of `i` that are displayed, in document order.
    std::vector<NodeIndex> ShownDescendants(NodeIndex i) const {
        std::vector<NodeIndex> out, stack;
        auto pushChildren = [&](NodeIndex parent) {
            size_t mark = stack.size();
            for (NodeIndex c = m_first[parent]; c != SourceTree::kNoParent; c = m_next[c])
                if (m_display[c] != Display::None)
                    stack.push_back(c);
            std::reverse(stack.begin() + std::ptrdiff_t(mark), stack.end());
        };
        pushChildren(i);
        while (!stack.empty()) {
            NodeIndex c = stack.back();
            stack.pop_back();
            out.push_back(c);
            pushChildren(c);
        }
        return out;
    }

    int32_t TextLength(NodeIndex i) const {
        // Collapsed text length of the descendants, for labels and options.
        int32_t count = 0;
        bool space = false, any = false;
        for (NodeIndex j : ShownDescendants(i)) {
            if (IsElement(j))
                continue;
            for (char16_t ch : N(j).text) {
                if (IsSpace(ch)) {
                    space = any;
                } else if (ch < 0xDC00 || ch > 0xDFFF) {
                    count += space ? 2 : 1;
                    space = false;
                    any = true;
                }
            }
        }
        return count;
    }

    Size AtomicSize(NodeIndex i) const {
        std::string_view tag = N(i).tag;
        auto sized = [&](int32_t w, int32_t h) {
            return Size{IntAttr(i, "width", w), IntAttr(i, "height", h)};
        };
        if (tag == "IMG")
            return sized(kImageSize, kImageSize);
        if (tag == "IFRAME" || tag == "OBJECT" || tag == "EMBED" || tag == "APPLET")
            return sized(kIFrameWidth, kIFrameHeight);
        if (tag == "TEXTAREA")
            return Size{IntAttr(i, "cols", kDefaultTextAreaCols) * kCharWidth + kControlPadding,
                        IntAttr(i, "rows", kDefaultTextAreaRows) * kLineHeight + kControlPadding};
        if (tag == "BUTTON")
            return Size{Clamped(int64_t(TextLength(i)) * kCharWidth + kButtonPadding),
                        kControlHeight};
        if (tag == "SELECT") {
            int32_t longest = 0;
            for (NodeIndex j : ShownDescendants(i))
                if (IsElement(j) && (N(j).tag == "OPTION" || N(j).tag == "OPTGROUP")) {
                    longest = std::max(longest, N(j).tag == "OPTGROUP"
                                                    ? int32_t(Attr(j, "label").value_or("").size())
                                                    : TextLength(j));
                }
            int32_t rows = IntAttr(i, "size", 0);
            bool multiple = Attr(i, "multiple").has_value();
            if (rows <= 1 && !multiple)
                return Size{
                    Clamped(int64_t(longest) * kCharWidth + kDropDownArrow + kControlPadding),
                    kControlHeight};
            if (rows <= 0)
                rows = kDefaultListRows;
            return Size{Clamped(int64_t(longest) * kCharWidth + kDropDownArrow + kControlPadding),
                        rows * kLineHeight + kControlPadding};
        }
        // INPUT by type.
        std::string type = LowerAscii(Attr(i, "type").value_or("text"));
        int32_t textWidth = IntAttr(i, "size", kDefaultTextSize) * kCharWidth + kControlPadding;
        if (type == "checkbox" || type == "radio")
            return Size{kCheckSize, kCheckSize};
        if (type == "image")
            return sized(kImageSize, kImageSize);
        if (type == "submit" || type == "reset" || type == "button") {
            std::string_view fallback = type == "submit"  ? "Submit Query"
                                        : type == "reset" ? "Reset"
                                                          : "";
            auto label = Attr(i, "value").value_or(fallback);
            return Size{LabelWidth(label) + kButtonPadding, kControlHeight};
        }
        if (type == "file")
            return Size{textWidth + int32_t(sizeof("Browse...") - 1) * kCharWidth + kButtonPadding,
                        kControlHeight};
        return Size{textWidth, kControlHeight};
    }

    // The border box of a replaced element or control. Images and embedded
    // content are sized without their border, which is added around them;
    // the controls' sizes already include their chrome.
    Size AtomicBox(NodeIndex i, std::optional<int32_t> percentBase) const {
        Size size = AtomicSize(i);
        if (auto w = StyleLength(i, "width", percentBase))
            size.width = *w;
        if (auto h = StyleLength(i, "height"))
            size.height = *h;
        size = Size{std::max(0, size.width), std::max(0, size.height)};
        if (IsAnyOf(N(i).tag, {"IMG", "IFRAME", "OBJECT", "EMBED", "APPLET"})) {
            Sides bd = Border(i);
            size.width += bd.left + bd.right;
            size.height += bd.top + bd.bottom;
        }
        return size;
    }

    void LayoutAtomic(NodeIndex i, Line& line) {
        Size size = AtomicBox(i, line.right - line.left);
        Rect r = Place(line, size.width, size.height);
        SetBox(i, r);
        std::string_view tag = N(i).tag;
        if (tag == "SELECT")
            LayoutOptions(i, r);
        else if (tag == "BUTTON") {
            // The label's elements are laid out inside the button's chrome.
            std::vector<Bounds> saved;
            saved.swap(m_inline);
            LayoutFlow(i, r.left + kButtonPadding / 2, r.top + (r.Height() - kLineHeight) / 2,
                       std::max(0, r.Width() - kButtonPadding), false);
            m_inline.swap(saved);
        }
    }

    // Options stack inside a list box; those of a drop-down stack below it as
    // its open list would show them, and are not hit, since it is closed.
    void LayoutOptions(NodeIndex select, Rect r) {
        bool dropDown = IntAttr(select, "size", 0) <= 1 && !Attr(select, "multiple");
        int32_t y = dropDown ? r.bottom : r.top + kControlPadding / 2;
        int32_t inner = std::max(0, r.Width() - kControlPadding - (dropDown ? 0 : kDropDownArrow));
        for (NodeIndex j : ShownDescendants(select)) {
            if (!IsElement(j))
                continue;
            if (N(j).tag != "OPTION" && N(j).tag != "OPTGROUP")
                continue;
            SetBox(j, Rect::FromSize(r.left + kControlPadding / 2, y, inner, kLineHeight));
            if (dropDown || y + kLineHeight > r.bottom)
                B(j).hitTestable = false;
            y += kLineHeight;
        }
    }

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

    void MeasureFlow(NodeIndex parent, Measure& m, bool pre) {
        for (NodeIndex c = m_first[parent]; c != SourceTree::kNoParent; c = m_next[c]) {
            Display d = m_display[c];
            if (d == Display::None)
                continue;
            if (!IsElement(c)) {
                std::u16string_view text = N(c).text;
                size_t pos = 0;
                while (pos < text.size()) {
                    if (pre && text[pos] == u'\n') {
                        m.Break();
                        ++pos;
                    } else if (!pre && IsSpace(text[pos])) {
                        m.pendingSpace = true;
                        ++pos;
                    } else {
                        size_t end = pos;
                        while (end < text.size() && text[end] != u'\n' &&
                               (pre || !IsSpace(text[end])))
                            ++end;
                        m.Piece(TextWidth(text.substr(pos, end - pos)));
                        pos = end;
                    }
                }
            } else if (N(c).tag == "BR") {
                m.Break();
            } else if (d == Display::Inline) {
                MeasureFlow(c, m, pre);
            } else if (d == Display::Atomic) {
                m.Piece(AtomicBox(c, std::nullopt).width);
            } else {
                m.Break();
                Sides margin = Margin(c);
                m.widest = std::max(
                    m.widest, Clamped(int64_t(PreferredWidth(c)) + margin.left + margin.right));
            }
        }
    }

    // The preferred width of a block-level element's border box.
    int32_t PreferredWidth(NodeIndex i) {
        std::string_view tag = N(i).tag;
        Sides pd = Padding(i), bd = Border(i);
        if (tag == "TABLE") {
            if (auto w = StyleLength(i, "width"))
                return *w;
            if (auto w = Attr(i, "width"); w && BoundedLength(*w))
                return *BoundedLength(*w);
            return TablePreferredWidth(i);
        }
        if (auto w = StyleLength(i, "width"))
            return Clamped(int64_t(*w) + pd.left + pd.right + bd.left + bd.right);
        Measure m;
        MeasureFlow(i, m, tag == "PRE");
        m.Break();
        return Clamped(int64_t(m.widest) + pd.left + pd.right + bd.left + bd.right);
    }

    // A nested table's width without limits: its widest row of cells.
    int32_t TablePreferredWidth(NodeIndex t) {
        int32_t savedPadding = m_cellPadding, savedBorder = m_cellBorder;
        int32_t spacing = IntAttr(t, "cellspacing", 2);
        m_cellPadding = IntAttr(t, "cellpadding", 1);
        m_cellBorder = IntAttr(t, "border", 0);
        std::vector<NodeIndex> rows;
        CollectRows(t, rows);
        int32_t widest = 0;
        for (NodeIndex r : rows) {
            int32_t width = spacing;
            for (NodeIndex c = m_first[r]; c != SourceTree::kNoParent; c = m_next[c])
                if (IsElement(c) && m_display[c] != Display::None &&
                    (N(c).tag == "TD" || N(c).tag == "TH"))
                    width = Clamped(int64_t(width) + PreferredWidth(c) + spacing);
            widest = std::max(widest, width);
        }
        Sides bd = Border(t);
        m_cellPadding = savedPadding;
        m_cellBorder = savedBorder;
        return Clamped(int64_t(widest) + bd.left + bd.right);
    }

    void CollectRows(NodeIndex table, std::vector<NodeIndex>& rows) const {
        for (NodeIndex c = m_first[table]; c != SourceTree::kNoParent; c = m_next[c]) {
            if (!IsElement(c) || m_display[c] == Display::None)
                continue;
            if (N(c).tag == "TR")
                rows.push_back(c);
            else if (IsAnyOf(N(c).tag, {"TBODY", "THEAD", "TFOOT"}))
                CollectRows(c, rows);
        }
    }

    int32_t LayoutTable(NodeIndex t, int32_t x, int32_t y, int32_t available) {
        int32_t savedPadding = m_cellPadding, savedBorder = m_cellBorder;
        int32_t spacing = IntAttr(t, "cellspacing", 2);
        m_cellPadding = IntAttr(t, "cellpadding", 1);
        m_cellBorder = IntAttr(t, "border", 0);
        Sides m = Margin(t), bd = Border(t);
        std::vector<NodeIndex> rows;
        CollectRows(t, rows);
        // Grid placement with row and column spans.
        struct Cell {
            NodeIndex node;
            size_t row, col, rowSpan, colSpan;
        };
        std::vector<Cell> cells;
        std::vector<std::vector<bool>> taken;
        size_t columns = 0;
        for (size_t r = 0; r < rows.size(); ++r) {
            if (taken.size() <= r)
                taken.resize(r + 1);
            size_t col = 0;
            for (NodeIndex c = m_first[rows[r]]; c != SourceTree::kNoParent; c = m_next[c]) {
                if (!IsElement(c) || m_display[c] == Display::None ||
                    (N(c).tag != "TD" && N(c).tag != "TH"))
                    continue;
                while (col < taken[r].size() && taken[r][col])
                    ++col;
                size_t rs = size_t(std::clamp(IntAttr(c, "rowspan", 1), 1, 1000));
                size_t cs = size_t(std::clamp(IntAttr(c, "colspan", 1), 1, 1000));
                rs = std::min(rs, rows.size() - r);
                for (size_t rr = r; rr < r + rs; ++rr) {
                    if (taken.size() <= rr)
                        taken.resize(rr + 1);
                    if (taken[rr].size() < col + cs)
                        taken[rr].resize(col + cs, false);
                    for (size_t cc = col; cc < col + cs; ++cc)
                        taken[rr][cc] = true;
                }
                cells.push_back(Cell{c, r, col, rs, cs});
                col += cs;
                columns = std::max(columns, col);
            }
        }
        // Column widths: the widest single-column cell, then stretched or
        // shrunk proportionally to the table's width.
        std::vector<int32_t> widths(columns, 0);
        for (const Cell& cell : cells)
            if (cell.colSpan == 1)
                widths[cell.col] = std::max(widths[cell.col], PreferredWidth(cell.node));
        for (const Cell& cell : cells)
            if (cell.colSpan > 1) {
                int64_t have = 0;
                for (size_t k = cell.col; k < cell.col + cell.colSpan; ++k)
                    have += widths[k] + spacing;
                int64_t need = int64_t(PreferredWidth(cell.node)) + spacing - have;
                if (need > 0)
                    widths[cell.col + cell.colSpan - 1] =
                        Clamped(widths[cell.col + cell.colSpan - 1] + need);
            }
        int32_t chrome =
            Clamped(int64_t(bd.left) + bd.right + int64_t(spacing) * int64_t(columns + 1));
        int64_t naturalSum = chrome;
        for (int32_t w : widths)
            naturalSum += w;
        int32_t natural = Clamped(naturalSum);
        int32_t maxWidth = std::max(0, available - m.left - m.right);
        int32_t tableWidth = std::min(natural, maxWidth);
        if (auto w = Attr(t, "width"); w && BoundedLength(*w, maxWidth))
            tableWidth = std::max(chrome, *BoundedLength(*w, maxWidth));
        if (auto w = StyleLength(t, "width", maxWidth))
            tableWidth = std::max(chrome, *w);
        int32_t inner = std::max(0, tableWidth - chrome), naturalInner = natural - chrome;
        if (columns > 0 && naturalInner != inner) {
            int64_t used = 0;
            for (size_t k = 0; k < columns; ++k) {
                widths[k] = naturalInner > 0 ? int32_t(int64_t(widths[k]) * inner / naturalInner)
                                             : inner / int32_t(columns);
                used += widths[k];
            }
            widths[columns - 1] += int32_t(inner - used); // rounding remainder to the last column
        }
        std::vector<int32_t> colX(columns + 1, 0);
        int32_t left = x + m.left;
        colX[0] = left + bd.left + spacing;
        for (size_t k = 0; k < columns; ++k)
            colX[k + 1] = Clamped(int64_t(colX[k]) + widths[k] + spacing);
        SetBox(t, Rect::FromSize(left, y, tableWidth, 0));
        // Rows top to bottom; a cell's content is laid out at its row's top.
        std::vector<int32_t> rowTop(rows.size() + 1, y + bd.top + spacing);
        std::vector<int32_t> rowHeight(rows.size(), 0);
        std::vector<int32_t> cellBottom(cells.size(), 0);
        size_t next = 0;
        for (size_t r = 0; r < rows.size(); ++r) {
            if (r > 0)
                rowTop[r] = Clamped(int64_t(rowTop[r - 1]) + rowHeight[r - 1] + spacing);
            SetBox(rows[r], Rect::FromSize(colX[0], rowTop[r],
                                           std::max(0, colX[columns] - spacing - colX[0]), 0));
            for (; next < cells.size() && cells[next].row == r; ++next) {
                const Cell& cell = cells[next];
                int32_t cx = colX[cell.col];
                int32_t cw = std::max(0, colX[cell.col + cell.colSpan] - spacing - cx);
                Sides cb = Border(cell.node), cp = Padding(cell.node);
                SetBox(cell.node, Rect::FromSize(cx, rowTop[r], cw, 0));
                int32_t bottom =
                    LayoutFlow(cell.node, cx + cb.left + cp.left, rowTop[r] + cb.top + cp.top,
                               std::max(0, cw - cb.left - cb.right - cp.left - cp.right), false) +
                    cp.bottom + cb.bottom;
                if (auto h = StyleLength(cell.node, "height"))
                    bottom = std::max(bottom, rowTop[r] + *h);
                cellBottom[next] = bottom;
                if (cell.rowSpan == 1)
                    rowHeight[r] = std::max(rowHeight[r], bottom - rowTop[r]);
            }
            // Cells spanning down to this row grow it if they need more room.
            for (size_t k = 0; k < next; ++k) {
                const Cell& cell = cells[k];
                if (cell.rowSpan > 1 && cell.row + cell.rowSpan - 1 == r)
                    rowHeight[r] = std::max(rowHeight[r], cellBottom[k] - rowTop[r]);
            }
            B(rows[r]).border.bottom = rowTop[r] + rowHeight[r];
        }
        for (size_t k = 0; k < cells.size(); ++k) {
            const Cell& cell = cells[k];
            size_t last = cell.row + cell.rowSpan - 1;
            B(cell.node).border.bottom = rowTop[last] + rowHeight[last];
        }
        // Sections span their rows.
        for (NodeIndex c = m_first[t]; c != SourceTree::kNoParent; c = m_next[c])
            if (IsElement(c) && IsAnyOf(N(c).tag, {"TBODY", "THEAD", "TFOOT", "CAPTION"}) &&
                m_display[c] != Display::None) {
                Bounds b;
                for (NodeIndex r = m_first[c]; r != SourceTree::kNoParent; r = m_next[r])
                    if (B(r).hasBox)
                        b.Add(B(r).border);
                SetBox(c, b.any ? b.r : Rect::FromSize(colX[0], y, 0, 0));
            }
        int32_t contentBottom =
            rows.empty() ? y + bd.top + spacing
                         : rowTop[rows.size() - 1] + rowHeight[rows.size() - 1] + spacing;
        B(t).border.bottom = contentBottom + bd.bottom;
        if (auto h = Attr(t, "height"); h && BoundedLength(*h))
            B(t).border.bottom = std::max(B(t).border.bottom, y + *BoundedLength(*h));
        m_cellPadding = savedPadding;
        m_cellBorder = savedBorder;
        return B(t).border.bottom;
    }

    // ---- Framesets and XUL ------------------------------------------------

    void LayoutFrameSet(NodeIndex fs, Rect area) {
        SetBox(fs, area);
        int32_t border = IntAttr(fs, "border", 0);
        auto rowsSpec = Attr(fs, "rows").value_or("100%");
        auto colsSpec = Attr(fs, "cols").value_or("100%");
        std::vector<int32_t> rows = SplitFrameSizes(rowsSpec, area.Height());
        std::vector<int32_t> cols = SplitFrameSizes(colsSpec, area.Width());
        size_t slot = 0, total = rows.size() * cols.size();
        std::vector<int32_t> colLeft(cols.size(), area.left);
        for (size_t k = 1; k < cols.size(); ++k)
            colLeft[k] = colLeft[k - 1] + cols[k - 1];
        std::vector<int32_t> rowTop(rows.size(), area.top);
        for (size_t k = 1; k < rows.size(); ++k)
            rowTop[k] = rowTop[k - 1] + rows[k - 1];
        for (NodeIndex c = m_first[fs]; c != SourceTree::kNoParent; c = m_next[c]) {
            if (!IsElement(c) || m_display[c] == Display::None)
                continue;
            if (N(c).tag != "FRAME" && N(c).tag != "FRAMESET")
                continue;
            if (slot >= total)
                break; // frames beyond the grid get no box
            size_t r = slot / cols.size(), k = slot % cols.size();
            ++slot;
            // The frame border is shared: each frame gives up half on inner sides.
            Rect cell = Rect::FromSize(colLeft[k], rowTop[r], cols[k], rows[r]);
            if (k > 0)
                cell.left += border - border / 2;
            if (k + 1 < cols.size())
                cell.right -= border / 2;
            if (r > 0)
                cell.top += border - border / 2;
            if (r + 1 < rows.size())
                cell.bottom -= border / 2;
            if (N(c).tag == "FRAMESET")
                LayoutFrameSet(c, cell);
            else
                SetBox(c, cell);
        }
    }

    bool IsHorizontal(NodeIndex i) const {
        if (auto o = Attr(i, "orient"))
            return *o == "horizontal";
        return IsAnyOf(N(i).tag, {"hbox", "toolbar", "box", "statusbar", "menubar", "toolbaritem",
                                  "radiogroup"});
    }

    static int32_t LabelWidth(std::string_view label) {
        return Clamped(int64_t(label.size()) * kCharWidth);
    }

    Size XulNatural(NodeIndex i) const {
        std::string_view tag = N(i).tag;
        auto label = Attr(i, "label").value_or(Attr(i, "value").value_or(""));
        Size s{0, 0};
        if (IsAnyOf(tag, {"button", "toolbarbutton", "menubutton"}))
            s = Size{LabelWidth(label) + 2 * kButtonPadding, kXulButtonHeight};
        else if (tag == "textbox")
            s = Size{kXulTextBoxWidth, kControlHeight};
        else if (IsAnyOf(tag, {"checkbox", "radio"}))
            s = Size{LabelWidth(label) + kCheckSize + 8, kLineHeight};
        else if (IsAnyOf(tag,
                         {"label", "description", "menuitem", "treeitem", "treecell", "caption"}))
            s = Size{LabelWidth(label), kLineHeight};
        else if (tag == "input" || tag == "INPUT")
            s = Size{kXulTextBoxWidth, kControlHeight};
        s.width = IntAttr(i, "width", s.width);
        s.height = IntAttr(i, "height", s.height);
        return s;
    }

    // XUL boxes: children along the box's axis at their natural size, the
    // space left shared by "flex"; the other axis is stretched. Answers the
    // bottom of the box.
    int32_t LayoutXul(NodeIndex i, Rect area) {
        SetBox(i, area);
        bool horizontal = IsHorizontal(i);
        std::vector<NodeIndex> kids;
        std::vector<Size> natural;
        int64_t used = 0, flexTotal = 0;
        int32_t cross = 0;
        for (NodeIndex c = m_first[i]; c != SourceTree::kNoParent; c = m_next[c]) {
            if (!IsElement(c) || m_display[c] == Display::None)
                continue;
            kids.push_back(c);
            Size s = XulNatural(c);
            if (s.width == 0 && s.height == 0 && m_first[c] != SourceTree::kNoParent) {
                // A container's natural size: its children's along its own axis.
                s = XulContentSize(c);
            }
            natural.push_back(s);
            used += horizontal ? s.width : s.height;
            cross = std::max(cross, horizontal ? s.height : s.width);
            flexTotal += IntAttr(c, "flex", 0);
        }
        int32_t length = horizontal ? area.Width() : area.Height();
        int64_t spare = std::max<int64_t>(0, length - used);
        int32_t pos = horizontal ? area.left : area.top;
        int32_t bottom = area.top;
        for (size_t k = 0; k < kids.size(); ++k) {
            Size s = natural[k];
            int32_t flex = IntAttr(kids[k], "flex", 0);
            int32_t extra = flexTotal > 0 ? int32_t(spare * flex / flexTotal) : 0;
            Rect r = horizontal ? Rect::FromSize(pos, area.top, s.width + extra,
                                                 area.Height() > 0 ? area.Height() : s.height)
                                : Rect::FromSize(area.left, pos, area.Width(), s.height + extra);
            if (horizontal && area.Height() == 0)
                r.bottom = r.top + cross;
            LayoutXul(kids[k], r);
            pos = Clamped(horizontal ? r.right : r.bottom);
            bottom = std::max(bottom, r.bottom);
        }
        return std::max(bottom, area.bottom);
    }

    Size XulContentSize(NodeIndex i) const {
        bool horizontal = IsHorizontal(i);
        Size total;
        for (NodeIndex c = m_first[i]; c != SourceTree::kNoParent; c = m_next[c]) {
            if (!IsElement(c) || m_display[c] == Display::None)
                continue;
            Size s = XulNatural(c);
            if (s.width == 0 && s.height == 0)
                s = XulContentSize(c);
            if (horizontal) {
                total.width = Clamped(int64_t(total.width) + s.width);
                total.height = std::max(total.height, s.height);
            } else {
                total.height = Clamped(int64_t(total.height) + s.height);
                total.width = std::max(total.width, s.width);
            }
        }
        return total;
    }

    // ---- Offsets ------------------------------------------------------------

    bool IsOffsetParentKind(NodeIndex i) const {
        if (!IsElement(i) || !B(i).hasBox)
            return false;
        std::string_view tag = N(i).tag;
        if (IsAnyOf(tag, {"BODY", "TABLE", "TD", "TH", "FRAMESET"}) || B(i).scrolls)
            return true;
        auto pos = m_style[i].Get("position");
        return pos && LowerAscii(*pos) != "static";
    }

    Box& B(NodeIndex i) const { return m_out.m_boxes[i]; }

    static BoxKind KindOf(Display d) {
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

    void ComputeOffsets() {
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
    void RunFrameSetRoot(NodeIndex fs) {
        LayoutFrameSet(fs, Rect::FromSize(0, 0, m_out.m_viewport.width, m_out.m_viewport.height));
    }
    bool HasFrameSetBody(NodeIndex& fs) const {
        for (NodeIndex root : m_roots)
            for (NodeIndex c = m_first[root]; c != SourceTree::kNoParent; c = m_next[c])
                if (IsElement(c) && m_display[c] == Display::FrameSet) {
                    fs = c;
                    return true;
                }
        return false;
    }
    void RunFrameSetDocument(NodeIndex fs) {
        for (NodeIndex root : m_roots)
            SetBox(root, Rect::FromSize(0, 0, m_out.m_viewport.width, m_out.m_viewport.height));
        RunFrameSetRoot(fs);
        m_out.m_contentSize = m_out.m_viewport;
        ComputeOffsets();
    }
};

LayoutTree LayoutTree::Build(const SourceTree& tree, Size viewport) {
    LayoutTree out;
    out.m_viewport = Size{std::max(0, viewport.width), std::max(0, viewport.height)};
    Builder builder(tree, out);
    NodeIndex frameSet = 0;
    if (builder.HasFrameSetBody(frameSet))
        builder.RunFrameSetDocument(frameSet);
    else
        builder.Run();
    return out;
}

const Box& LayoutTree::BoxOf(NodeIndex node) const {
    static const Box kNoBox;
    return node < m_boxes.size() ? m_boxes[node] : kNoBox;
}

Point LayoutTree::ScrollOf(NodeIndex node) const {
    return node < m_scroll.size() ? m_scroll[node] : Point{};
}

bool LayoutTree::SetScroll(NodeIndex node, Point position) {
    if (node >= m_boxes.size() || !m_boxes[node].scrolls)
        return false;
    const Box& b = m_boxes[node];
    int32_t maxX = std::max(0, b.scrollSize.width - b.clientSize.width);
    int32_t maxY = std::max(0, b.scrollSize.height - b.clientSize.height);
    m_scroll[node] = Point{std::clamp(position.x, 0, maxX), std::clamp(position.y, 0, maxY)};
    return true;
}

Rect LayoutTree::VisibleBox(NodeIndex node) const {
    if (node >= m_boxes.size())
        return Rect{};
    Rect r = m_boxes[node].border;
    for (NodeIndex p = m_parent[node]; p != SourceTree::kNoParent; p = m_parent[p])
        if (m_boxes[p].scrolls)
            r = r.Moved(-m_scroll[p].x, -m_scroll[p].y);
    return r;
}

std::optional<NodeIndex> LayoutTree::HitTest(Point point) const {
    // One pass in document order: later boxes lie deeper or paint later. Each
    // node knows the scroll shift and clip its scrolling ancestors give it.
    size_t n = m_boxes.size();
    std::vector<Point> shift(n);
    std::vector<Rect> clip(n);
    std::vector<bool> clipped(n, false);
    std::optional<NodeIndex> hit;
    for (NodeIndex i = 0; i < n; ++i) {
        NodeIndex p = m_parent[i];
        if (p != SourceTree::kNoParent) {
            shift[i] = shift[p];
            clip[i] = clip[p];
            clipped[i] = clipped[p];
            if (m_boxes[p].clips) {
                Rect pr = m_boxes[p].border.Moved(shift[p].x, shift[p].y);
                clip[i] = clipped[i]
                              ? Rect{std::max(clip[i].left, pr.left), std::max(clip[i].top, pr.top),
                                     std::min(clip[i].right, pr.right),
                                     std::min(clip[i].bottom, pr.bottom)}
                              : pr;
                clipped[i] = true;
                shift[i] = Point{shift[i].x - m_scroll[p].x, shift[i].y - m_scroll[p].y};
            }
        }
        const Box& b = m_boxes[i];
        if (!b.hasBox || !b.hitTestable || !m_isElement[i])
            continue;
        if (clipped[i] && !clip[i].Contains(point))
            continue;
        if (b.border.Moved(shift[i].x, shift[i].y).Contains(point))
            hit = i;
    }
    return hit;
}

std::string LayoutTree::Dump(const SourceTree& tree) const {
    std::string out;
    std::vector<int> depth(m_boxes.size(), 0);
    for (NodeIndex i = 0; i < m_boxes.size() && i < tree.Count(); ++i) {
        const auto& node = tree.At(i);
        if (m_parent[i] != SourceTree::kNoParent)
            depth[i] = depth[m_parent[i]] + 1;
        if (node.kind != SourceTree::Kind::Element)
            continue;
        const Box& b = m_boxes[i];
        char line[160];
        if (b.hasBox)
            std::snprintf(line, sizeof line, " [%d,%d %dx%d] offset (%d,%d)%s\n", b.border.left,
                          b.border.top, b.border.Width(), b.border.Height(), b.offset.x, b.offset.y,
                          b.scrolls ? " scrolls" : "");
        else
            std::snprintf(line, sizeof line, " (no box)\n");
        out.append(size_t(depth[i]) * 2, ' ');
        out += node.tag;
        out += line;
    }
    return out;
}

std::vector<int32_t> SplitFrameSizes(std::string_view spec, int32_t total) {
    struct Part {
        enum { Pixels, Percent, Star } kind;
        int64_t value;
    };
    std::vector<Part> parts;
    while (true) {
        size_t comma = spec.find(',');
        std::string_view item = spec.substr(0, comma);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        if (!item.empty() && item.back() == '*') {
            auto n = ParseLength(item.substr(0, item.size() - 1));
            parts.push_back(Part{Part::Star, item.size() == 1 ? 1 : std::max(0, n.value_or(1))});
        } else if (!item.empty() && item.back() == '%') {
            parts.push_back(
                Part{Part::Percent,
                     std::max(0, ParseLength(item.substr(0, item.size() - 1)).value_or(0))});
        } else {
            parts.push_back(Part{Part::Pixels, std::max(0, ParseLength(item).value_or(0))});
        }
        if (comma == std::string_view::npos)
            break;
        spec = spec.substr(comma + 1);
    }
    total = std::max(0, total);
    std::vector<int32_t> sizes(parts.size(), 0);
    int64_t used = 0, stars = 0;
    for (size_t k = 0; k < parts.size(); ++k) {
        if (parts[k].kind == Part::Pixels)
            sizes[k] = int32_t(std::min<int64_t>(parts[k].value, total));
        else if (parts[k].kind == Part::Percent)
            sizes[k] = int32_t(std::min<int64_t>(parts[k].value * total / 100, total));
        else
            stars += parts[k].value;
        used += sizes[k];
    }
    int64_t left = total - used;
    if (left > 0 && stars > 0) {
        int64_t given = 0;
        size_t lastStar = 0;
        for (size_t k = 0; k < parts.size(); ++k)
            if (parts[k].kind == Part::Star) {
                sizes[k] = int32_t(left * parts[k].value / stars);
                given += sizes[k];
                lastStar = k;
            }
        sizes[lastStar] += int32_t(left - given);
    } else if (left != 0 && !parts.empty()) {
        // Without "*", fixed sizes are scaled so that the frames fill the area.
        int64_t sum = used > 0 ? used : 1;
        int64_t given = 0;
        for (size_t k = 0; k < parts.size(); ++k) {
            sizes[k] = int32_t(int64_t(sizes[k]) * total / sum);
            given += sizes[k];
        }
        sizes.back() += int32_t(total - given);
    }
    return sizes;
}

} // namespace browser::layout

#include "platform/browser/layout/DocumentLayout.h"

#include "platform/browser/dom/Parser.h"
#include "platform/browser/layout/ComputedStyle.h"

#include <algorithm>

namespace browser::layout {

namespace {

std::string Narrow(std::u16string_view text) {
    return dom::Utf8FromUtf16(text);
}

// Tag and property names are ASCII; anything else cannot match a name the
// layout knows and is kept as a replacement character.
std::string AsciiName(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text)
        out += c < 0x80 ? char(c) : '?';
    return out;
}

} // namespace

DocumentLayout::DocumentLayout(dom::Document& document, Size clientSize)
    : m_document(&document), m_clientSize{std::max(0, clientSize.width),
                                          std::max(0, clientSize.height)} {
    document.SetLayoutHook(this);
}

DocumentLayout::~DocumentLayout() {
    dom::Document& document = GetDocument();
    if (document.Layout() == this)
        document.SetLayoutHook(nullptr);
}

dom::Document& DocumentLayout::GetDocument() const {
    return static_cast<dom::Document&>(*m_document);
}

void DocumentLayout::SetClientSize(Size size) {
    size = Size{std::max(0, size.width), std::max(0, size.height)};
    if (size == m_clientSize)
        return;
    m_clientSize = size;
    m_dirty = true;
}

void DocumentLayout::Refresh() {
    dom::Document& document = GetDocument();
    if (!m_dirty && document.ElementCount() == m_elementCount &&
        document.ChangeCount() == m_changeCount &&
        document.TextChangeCount() != m_textChangeCount) {
        // A text was edited: compare the texts, which costs far less than a
        // layout when the edit left them as they were.
        for (NodeIndex i : m_textNodes)
            if (static_cast<const dom::CharacterData&>(*m_nodes[i]).Data() != m_source.At(i).text) {
                m_dirty = true;
                break;
            }
        m_textChangeCount = document.TextChangeCount();
    }
    if (m_dirty || document.ElementCount() != m_elementCount ||
        document.ChangeCount() != m_changeCount)
        Rebuild();
}

void DocumentLayout::Rebuild() {
    dom::Document& document = GetDocument();
    // Scroll positions belong to the elements: they survive the new layout.
    std::vector<std::pair<const dom::Node*, Point>> scrolled;
    for (NodeIndex i = 0; i < m_layout.Count(); ++i)
        if (m_layout.BoxOf(i).scrolls && m_layout.ScrollOf(i) != Point{})
            scrolled.emplace_back(m_nodes[i].get(), m_layout.ScrollOf(i));

    m_source = SourceTree{};
    m_textNodes.clear();
    std::vector<dom::NodeRef> nodes;
    std::unordered_map<const dom::Node*, NodeIndex> index;
    // Pre-order walk with an explicit stack: deep documents must not
    // exhaust the call stack.
    struct Pending {
        dom::Node* node;
        NodeIndex parent;
    };
    std::vector<Pending> stack;
    auto pushChildren = [&stack](const dom::Node& node, NodeIndex parent) {
        for (size_t k = node.ChildCount(); k-- > 0;)
            stack.push_back(Pending{node.ChildAt(k), parent});
    };
    pushChildren(document, SourceTree::kNoParent);
    while (!stack.empty()) {
        Pending item = stack.back();
        stack.pop_back();
        dom::Node* node = item.node;
        if (!node)
            continue;
        NodeIndex added;
        if (node->IsElement()) {
            auto& element = static_cast<dom::Element&>(*node);
            added = m_source.AddElement(
                item.parent, AsciiName(element.TagName()),
                element.IsHTML() ? SourceTree::Markup::Html : SourceTree::Markup::Xul, node);
            for (size_t a = 0; a < element.AttributeCount(); ++a) {
                const auto& [name, value] = element.AttributeAt(a);
                m_source.SetAttribute(added, AsciiName(name), Narrow(value));
            }
            // Anonymous content (the input inside a XUL textbox) is laid
            // out after the element's children, inside the element.
            if (dom::Element* anonymous = element.Anonymous())
                stack.push_back(Pending{anonymous, added});
            pushChildren(element, added);
        } else if (node->Kind() == dom::NodeKind::Text) {
            added =
                m_source.AddText(item.parent, static_cast<dom::CharacterData&>(*node).Data(), node);
            m_textNodes.push_back(added);
        } else {
            continue; // comments take no part in layout
        }
        nodes.emplace_back(node);
        index.emplace(node, added);
    }
    m_layout = LayoutTree::Build(m_source, m_clientSize);
    m_nodes = std::move(nodes);
    m_index = std::move(index);
    m_elementCount = document.ElementCount();
    m_changeCount = document.ChangeCount();
    m_textChangeCount = document.TextChangeCount();
    m_dirty = false;

    for (const auto& [node, position] : scrolled)
        if (auto it = m_index.find(node); it != m_index.end())
            m_layout.SetScroll(it->second, position);
    Point max = MaxWindowScroll();
    m_windowScroll =
        Point{std::clamp(m_windowScroll.x, 0, max.x), std::clamp(m_windowScroll.y, 0, max.y)};
}

std::optional<NodeIndex> DocumentLayout::IndexOf(const dom::Element& element) {
    Refresh();
    auto it = m_index.find(&element);
    if (it == m_index.end())
        return std::nullopt;
    return it->second;
}

dom::Element* DocumentLayout::ElementAtIndex(NodeIndex index) const {
    if (index >= m_nodes.size() || !m_nodes[index]->IsElement())
        return nullptr;
    return static_cast<dom::Element*>(m_nodes[index].get());
}

bool DocumentLayout::IsViewportElement(NodeIndex index) const {
    const SourceTree::Node& node = m_source.At(index);
    return node.parent == SourceTree::kNoParent ||
           (node.markup == SourceTree::Markup::Html && node.tag == "BODY");
}

Point DocumentLayout::MaxWindowScroll() const {
    Size content = m_layout.ContentSize();
    return Point{std::max(0, content.width - m_clientSize.width),
                 std::max(0, content.height - m_clientSize.height)};
}

Size DocumentLayout::ContentSize() {
    Refresh();
    return m_layout.ContentSize();
}

Point DocumentLayout::WindowScroll() {
    Refresh();
    return m_windowScroll;
}

bool DocumentLayout::ScrollWindowTo(Point position) {
    Refresh();
    Point max = MaxWindowScroll();
    m_windowScroll = Point{std::clamp(position.x, 0, max.x), std::clamp(position.y, 0, max.y)};
    return true;
}

bool DocumentLayout::ScrollWindowBy(int32_t dx, int32_t dy) {
    Point now = WindowScroll();
    // Saturating: a huge request scrolls to the end instead of wrapping.
    auto add = [](int32_t a, int32_t b) {
        return int32_t(std::clamp<int64_t>(int64_t(a) + b, INT32_MIN, INT32_MAX));
    };
    return ScrollWindowTo(Point{add(now.x, dx), add(now.y, dy)});
}

dom::Element* DocumentLayout::ElementAt(Point clientPoint) {
    Refresh();
    if (!Rect::FromSize(0, 0, m_clientSize.width, m_clientSize.height).Contains(clientPoint))
        return nullptr;
    auto hit =
        m_layout.HitTest(Point{clientPoint.x + m_windowScroll.x, clientPoint.y + m_windowScroll.y});
    return hit ? ElementAtIndex(*hit) : nullptr;
}

std::optional<Rect> DocumentLayout::ClientBox(dom::Element& element) {
    auto index = IndexOf(element);
    if (!index || !m_layout.BoxOf(*index).hasBox)
        return std::nullopt;
    return m_layout.VisibleBox(*index).Moved(-m_windowScroll.x, -m_windowScroll.y);
}

std::optional<Rect> DocumentLayout::DocumentBox(dom::Element& element) {
    auto index = IndexOf(element);
    if (!index || !m_layout.BoxOf(*index).hasBox)
        return std::nullopt;
    return m_layout.BoxOf(*index).border;
}

std::string DocumentLayout::Dump() {
    Refresh();
    return m_layout.Dump(m_source);
}

std::optional<dom::LayoutBox> DocumentLayout::OffsetBox(dom::Element& element) {
    auto index = IndexOf(element);
    if (!index)
        return std::nullopt;
    const Box& box = m_layout.BoxOf(*index);
    if (!box.hasBox)
        return std::nullopt;
    return dom::LayoutBox{box.offset.x, box.offset.y, box.border.Width(), box.border.Height()};
}

dom::Element* DocumentLayout::OffsetParent(dom::Element& element) {
    auto index = IndexOf(element);
    if (!index)
        return nullptr;
    return ElementAtIndex(m_layout.BoxOf(*index).offsetParent);
}

std::optional<dom::XulBox> DocumentLayout::BoxObject(dom::Element& element) {
    auto index = IndexOf(element);
    if (!index)
        return std::nullopt;
    const Box& box = m_layout.BoxOf(*index);
    if (!box.hasBox)
        return std::nullopt;
    Point origin = m_screenOrigin ? m_screenOrigin() : Point{};
    dom::XulBox out;
    out.box =
        dom::LayoutBox{box.border.left, box.border.top, box.border.Width(), box.border.Height()};
    Rect shown = m_layout.VisibleBox(*index);
    out.screenX = origin.x + shown.left - m_windowScroll.x;
    out.screenY = origin.y + shown.top - m_windowScroll.y;
    return out;
}

std::optional<dom::ScrollArea> DocumentLayout::Scroll(dom::Element& element) {
    auto index = IndexOf(element);
    if (!index)
        return std::nullopt;
    const Box& box = m_layout.BoxOf(*index);
    if (box.hasBox && IsViewportElement(*index)) {
        Size content = m_layout.ContentSize();
        return dom::ScrollArea{m_windowScroll.y, m_windowScroll.x, content.height, content.width};
    }
    if (!box.scrolls)
        return std::nullopt;
    Point scroll = m_layout.ScrollOf(*index);
    return dom::ScrollArea{scroll.y, scroll.x, box.scrollSize.height, box.scrollSize.width};
}

bool DocumentLayout::SetScroll(dom::Element& element, std::optional<int32_t> top,
                               std::optional<int32_t> left) {
    auto index = IndexOf(element);
    if (!index)
        return false;
    const Box& box = m_layout.BoxOf(*index);
    bool moved;
    if (box.hasBox && IsViewportElement(*index)) {
        moved =
            ScrollWindowTo(Point{left.value_or(m_windowScroll.x), top.value_or(m_windowScroll.y)});
    } else {
        Point now = m_layout.ScrollOf(*index);
        moved = m_layout.SetScroll(*index, Point{left.value_or(now.x), top.value_or(now.y)});
    }
    if (moved && m_scrollListener)
        m_scrollListener();
    return moved;
}

std::optional<dom::ScrollArea> DocumentLayout::OwnScroll(dom::Element& element) {
    auto index = IndexOf(element);
    if (!index || IsViewportElement(*index))
        return std::nullopt;
    const Box& box = m_layout.BoxOf(*index);
    if (!box.hasBox || !box.scrolls)
        return std::nullopt;
    Point scroll = m_layout.ScrollOf(*index);
    return dom::ScrollArea{scroll.y, scroll.x, box.scrollSize.height, box.scrollSize.width};
}

bool DocumentLayout::SetOwnScroll(dom::Element& element, Point position) {
    if (!OwnScroll(element))
        return false;
    if (!m_layout.SetScroll(*IndexOf(element), position))
        return false;
    if (m_scrollListener)
        m_scrollListener();
    return true;
}

std::optional<nsString> DocumentLayout::ComputedValue(dom::Element& element,
                                                      std::u16string_view property) {
    auto index = IndexOf(element);
    if (!index)
        return std::nullopt;
    auto value = ComputedStyleValue(m_source, m_layout, *index, AsciiName(property));
    if (!value)
        return std::nullopt;
    return dom::Utf16FromUtf8(*value);
}

} // namespace browser::layout

#include "platform/browser/layout/LayoutTree.h"

#include "platform/browser/layout/internal/LayoutBuilder.h"

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

} // namespace browser::layout

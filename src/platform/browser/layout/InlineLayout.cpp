#include "platform/browser/layout/internal/LayoutBuilder.h"

namespace browser::layout {

using namespace metrics;

void Builder::NewLine(Line& line) {
    if (line.hasContent || line.pre)
        line.top = Clamped(int64_t(line.top) + line.height);
    line.x = line.left;
    line.height = kLineHeight;
    line.hasContent = false;
    line.pendingSpace = false;
}

// Places a piece of `width` x `height` on the line; answers its rectangle.
Rect Builder::Place(Line& line, int32_t width, int32_t height) {
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

void Builder::LayoutText(NodeIndex i, Line& line) {
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
int32_t Builder::LayoutFlow(NodeIndex parent, int32_t left, int32_t y, int32_t width, bool pre) {
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

void Builder::FlowChild(NodeIndex c, Line& line, int32_t& pendingMargin) {
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
void Builder::ConsumeMargin(Line& line, int32_t& pendingMargin) {
    if (pendingMargin != 0 && !line.hasContent) {
        line.top = Clamped(int64_t(line.top) + pendingMargin);
        line.x = line.left;
    }
    pendingMargin = 0;
}

} // namespace browser::layout

#include "platform/browser/layout/internal/LayoutBuilder.h"

namespace browser::layout {

using namespace metrics;

bool Builder::IsHorizontal(NodeIndex i) const {
    if (auto o = Attr(i, "orient"))
        return *o == "horizontal";
    return IsAnyOf(N(i).tag,
                   {"hbox", "toolbar", "box", "statusbar", "menubar", "toolbaritem", "radiogroup"});
}

Size Builder::XulNatural(NodeIndex i) const {
    std::string_view tag = N(i).tag;
    auto label = Attr(i, "label").value_or(Attr(i, "value").value_or(""));
    Size s{0, 0};
    if (IsAnyOf(tag, {"button", "toolbarbutton", "menubutton"}))
        s = Size{LabelWidth(label) + 2 * kButtonPadding, kXulButtonHeight};
    else if (tag == "textbox")
        s = Size{kXulTextBoxWidth, kControlHeight};
    else if (IsAnyOf(tag, {"checkbox", "radio"}))
        s = Size{LabelWidth(label) + kCheckSize + 8, kLineHeight};
    else if (IsAnyOf(tag, {"label", "description", "menuitem", "treeitem", "treecell", "caption"}))
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
int32_t Builder::LayoutXul(NodeIndex i, Rect area) {
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

Size Builder::XulContentSize(NodeIndex i) const {
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

} // namespace browser::layout

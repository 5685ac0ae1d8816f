#include "platform/browser/layout/internal/LayoutBuilder.h"

namespace browser::layout {

using namespace metrics;

// The descendants of `i` that are displayed, in document order.
std::vector<NodeIndex> Builder::ShownDescendants(NodeIndex i) const {
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

int32_t Builder::TextLength(NodeIndex i) const {
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

Size Builder::AtomicSize(NodeIndex i) const {
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
        return Size{Clamped(int64_t(TextLength(i)) * kCharWidth + kButtonPadding), kControlHeight};
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
            return Size{Clamped(int64_t(longest) * kCharWidth + kDropDownArrow + kControlPadding),
                        kControlHeight};
        if (rows <= 0)
            rows = kDefaultListRows;
        return Size{Clamped(int64_t(longest) * kCharWidth + kDropDownArrow + kControlPadding),
                    rows * kLineHeight + kControlPadding};
    }
    // INPUT by type.
    std::string type = AsciiLower(Attr(i, "type").value_or("text"));
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
Size Builder::AtomicBox(NodeIndex i, std::optional<int32_t> percentBase) const {
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

void Builder::LayoutAtomic(NodeIndex i, Line& line) {
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

// Options stack inside a list box; those below its rows are not shown and
// not hit. A closed drop-down shows one line: every option's box is that
// line (where the option shows when it is chosen), and none is hit, so that
// the control itself takes the click that opens it.
void Builder::LayoutOptions(NodeIndex select, Rect r) {
    bool dropDown = IntAttr(select, "size", 0) <= 1 && !Attr(select, "multiple");
    int32_t inner = std::max(0, r.Width() - kControlPadding - kDropDownArrow);
    Rect line =
        Rect::FromSize(r.left + kControlPadding / 2,
                       r.top + std::max(0, r.Height() - kLineHeight) / 2, inner, kLineHeight);
    int32_t y = r.top + kControlPadding / 2;
    for (NodeIndex j : ShownDescendants(select)) {
        if (!IsElement(j))
            continue;
        if (N(j).tag != "OPTION" && N(j).tag != "OPTGROUP")
            continue;
        if (dropDown) {
            SetBox(j, line);
            B(j).hitTestable = false;
            continue;
        }
        SetBox(j, Rect::FromSize(r.left + kControlPadding / 2, y, inner, kLineHeight));
        if (y + kLineHeight > r.bottom)
            B(j).hitTestable = false;
        y += kLineHeight;
    }
}

} // namespace browser::layout

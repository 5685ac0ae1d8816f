#include "platform/browser/layout/ComputedStyle.h"

#include "platform/browser/Ascii.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace browser::layout {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

struct NamedColour {
    std::string_view name;
    uint32_t rgb;
};

constexpr std::array kColours{
    NamedColour{"black", 0x000000},   NamedColour{"silver", 0xc0c0c0},
    NamedColour{"gray", 0x808080},    NamedColour{"grey", 0x808080},
    NamedColour{"white", 0xffffff},   NamedColour{"maroon", 0x800000},
    NamedColour{"red", 0xff0000},     NamedColour{"purple", 0x800080},
    NamedColour{"fuchsia", 0xff00ff}, NamedColour{"green", 0x008000},
    NamedColour{"lime", 0x00ff00},    NamedColour{"olive", 0x808000},
    NamedColour{"yellow", 0xffff00},  NamedColour{"navy", 0x000080},
    NamedColour{"blue", 0x0000ff},    NamedColour{"teal", 0x008080},
    NamedColour{"aqua", 0x00ffff},    NamedColour{"orange", 0xffa500},
};

std::optional<int> HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return std::nullopt;
}

std::string Rgb(uint32_t r, uint32_t g, uint32_t b) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "rgb(%u, %u, %u)", r & 0xff, g & 0xff, b & 0xff);
    return buf;
}

} // namespace

std::optional<std::string_view> StyleDeclarations::Get(std::string_view property) const {
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        if (it->first == property)
            return std::string_view(it->second);
    return std::nullopt;
}

void StyleDeclarations::Set(std::string_view property, std::string_view value) {
    m_entries.emplace_back(AsciiLower(property), std::string(value));
}

StyleDeclarations ParseStyleAttribute(std::string_view text) {
    StyleDeclarations out;
    while (!text.empty()) {
        size_t end = text.find(';');
        std::string_view decl = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        size_t colon = decl.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string_view name = Trim(decl.substr(0, colon));
        std::string_view value = Trim(decl.substr(colon + 1));
        // "!important" carries no weight among inline declarations alone.
        if (size_t bang = value.find('!'); bang != std::string_view::npos)
            value = Trim(value.substr(0, bang));
        if (!name.empty() && !value.empty())
            out.Set(name, value);
    }
    return out;
}

std::optional<int32_t> ParseLength(std::string_view text, std::optional<int32_t> percentBase) {
    text = Trim(text);
    double number = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc() || !std::isfinite(number) || std::fabs(number) > 1e7)
        return std::nullopt;
    std::string unit =
        AsciiLower(Trim(std::string_view(end, size_t(text.data() + text.size() - end))));
    if (unit.empty() || unit == "px")
        return int32_t(std::lround(number));
    if (unit == "%" && percentBase)
        return int32_t(std::lround(number * *percentBase / 100.0));
    return std::nullopt;
}

std::optional<std::string> ComputedColour(std::string_view text) {
    std::string s = AsciiLower(Trim(text));
    if (s == "transparent")
        return s;
    if (!s.empty() && s[0] == '#') {
        std::string_view hex = std::string_view(s).substr(1);
        std::array<int, 6> d{};
        if (hex.size() != 3 && hex.size() != 6)
            return std::nullopt;
        for (size_t i = 0; i < hex.size(); ++i) {
            auto v = HexDigit(hex[i]);
            if (!v)
                return std::nullopt;
            d[i] = *v;
        }
        if (hex.size() == 3)
            return Rgb(d[0] * 17, d[1] * 17, d[2] * 17);
        return Rgb(d[0] * 16 + d[1], d[2] * 16 + d[3], d[4] * 16 + d[5]);
    }
    if (s.starts_with("rgb(") && s.ends_with(")")) {
        std::string_view inner = std::string_view(s).substr(4, s.size() - 5);
        std::array<uint32_t, 3> c{};
        for (int i = 0; i < 3; ++i) {
            size_t comma = inner.find(',');
            auto part = Trim(inner.substr(0, comma));
            auto v = ParseLength(part);
            if (!v || (i < 2) == (comma == std::string_view::npos))
                return std::nullopt;
            c[i] = uint32_t(std::clamp(*v, 0, 255));
            inner = comma == std::string_view::npos ? std::string_view{} : inner.substr(comma + 1);
        }
        return Rgb(c[0], c[1], c[2]);
    }
    for (const auto& colour : kColours)
        if (colour.name == s)
            return Rgb(colour.rgb >> 16, colour.rgb >> 8, colour.rgb);
    return std::nullopt;
}

std::optional<int32_t> DeclaredBorderWidth(const StyleDeclarations& style, int side) {
    static constexpr std::array<std::string_view, 4> kSides{"top", "right", "bottom", "left"};
    // The first length among the words of a shorthand ("1px solid red").
    auto firstLength = [](std::string_view value) -> std::optional<int32_t> {
        while (!value.empty()) {
            size_t space = value.find(' ');
            auto word = value.substr(0, space);
            if (auto px = ParseLength(word))
                return px;
            if (word == "thin")
                return 1;
            if (word == "medium")
                return 3;
            if (word == "thick")
                return 5;
            value = space == std::string_view::npos ? std::string_view{} : value.substr(space + 1);
        }
        return std::nullopt;
    };
    std::string sideName = std::string("border-") + std::string(kSides[size_t(side & 3)]);
    // Most specific first: a longhand beats the shorthands regardless of order.
    if (auto v = style.Get(sideName + "-width"))
        return firstLength(*v);
    if (auto v = style.Get(sideName))
        if (auto px = firstLength(*v))
            return px;
    if (auto v = style.Get("border-width")) {
        // One to four values: top, right, bottom, left as CSS repeats them.
        std::vector<int32_t> values;
        std::string_view rest = *v;
        while (!rest.empty()) {
            size_t space = rest.find(' ');
            if (auto px = firstLength(rest.substr(0, space)))
                values.push_back(*px);
            rest =
                space == std::string_view::npos ? std::string_view{} : Trim(rest.substr(space + 1));
        }
        if (!values.empty()) {
            static constexpr int kPick[4][4] = {
                {0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 2, 1}, {0, 1, 2, 3}};
            return values[size_t(kPick[std::min<size_t>(values.size(), 4) - 1][side & 3])];
        }
    }
    if (auto v = style.Get("border"))
        return firstLength(*v);
    return std::nullopt;
}

namespace {

// The declared value of `property` on the node itself: its inline style,
// then the presentational attributes that map to it.
std::optional<std::string> Declared(const SourceTree& tree, NodeIndex node,
                                    std::string_view property) {
    if (auto text = tree.Attribute(node, "style")) {
        StyleDeclarations style = ParseStyleAttribute(*text);
        if (auto value = style.Get(property))
            return std::string(*value);
    }
    const auto& n = tree.At(node);
    if (n.markup != SourceTree::Markup::Html)
        return std::nullopt;
    if (property == "color") {
        if (n.tag == "FONT")
            if (auto v = tree.Attribute(node, "color"))
                return std::string(*v);
        if (n.tag == "BODY")
            if (auto v = tree.Attribute(node, "text"))
                return std::string(*v);
    }
    if (property == "background-color")
        if (auto v = tree.Attribute(node, "bgcolor"))
            return std::string(*v);
    return std::nullopt;
}

// The nearest declaration of an inherited property on the node or an ancestor.
std::optional<std::string> Inherited(const SourceTree& tree, NodeIndex node,
                                     std::string_view property) {
    // Parents come before their children, so the walk ends even on a bad tree.
    for (NodeIndex i = node; i < tree.Count();
         i = tree.At(i).parent < i ? tree.At(i).parent : SourceTree::kNoParent)
        if (auto v = Declared(tree, i, property))
            return v;
    return std::nullopt;
}

std::string Pixels(int32_t value) {
    return std::to_string(value) + "px";
}

std::string DisplayText(const SourceTree& tree, NodeIndex node, const Box& box) {
    std::string_view tag = tree.At(node).tag;
    switch (box.kind) {
    case BoxKind::None:
        return "none";
    case BoxKind::Inline:
    case BoxKind::Replaced:
        return "inline";
    case BoxKind::Table:
        return "table";
    case BoxKind::Xul:
        return "-moz-box";
    case BoxKind::FrameSet:
        return "block";
    case BoxKind::Block:
        break;
    }
    if (tag == "TR")
        return "table-row";
    if (tag == "TD" || tag == "TH")
        return "table-cell";
    if (tag == "TBODY" || tag == "THEAD" || tag == "TFOOT")
        return "table-row-group";
    if (tag == "LI")
        return "list-item";
    return "block";
}

} // namespace

std::optional<std::string> ComputedStyleValue(const SourceTree& tree, const LayoutTree& layout,
                                              NodeIndex node, std::string_view property) {
    if (node >= tree.Count() || tree.At(node).kind != SourceTree::Kind::Element)
        return std::nullopt;
    const Box& box = layout.BoxOf(node);
    std::string name = AsciiLower(property);

    static constexpr std::array<std::string_view, 4> kSides{"top", "right", "bottom", "left"};
    for (size_t side = 0; side < kSides.size(); ++side) {
        if (name != "border-" + std::string(kSides[side]) + "-width")
            continue;
        if (box.hasBox) {
            const Edges& w = box.borderWidths;
            const int32_t widths[4] = {w.top, w.right, w.bottom, w.left};
            return Pixels(widths[side]);
        }
        // Without a box the declaration still computes.
        StyleDeclarations style;
        if (auto text = tree.Attribute(node, "style"))
            style = ParseStyleAttribute(*text);
        return Pixels(std::max(0, DeclaredBorderWidth(style, int(side)).value_or(0)));
    }
    if (name == "display")
        return DisplayText(tree, node, box);
    if (name == "visibility")
        return AsciiLower(Inherited(tree, node, name).value_or("visible"));
    if (name == "color") {
        if (auto v = Inherited(tree, node, name))
            if (auto rgb = ComputedColour(*v))
                return rgb;
        bool link = tree.At(node).tag == "A" && tree.Attribute(node, "href");
        return link ? "rgb(0, 0, 238)" : "rgb(0, 0, 0)";
    }
    if (name == "background-color") {
        if (auto v = Declared(tree, node, name))
            if (auto rgb = ComputedColour(*v))
                return rgb;
        return "transparent";
    }
    if (auto v = Declared(tree, node, name)) {
        if (name.ends_with("color"))
            if (auto rgb = ComputedColour(*v))
                return rgb;
        if (auto px = ParseLength(*v))
            return Pixels(*px);
        return *v;
    }
    if (name == "overflow")
        return "visible";
    if (name == "position")
        return "static";
    return std::nullopt;
}

} // namespace browser::layout

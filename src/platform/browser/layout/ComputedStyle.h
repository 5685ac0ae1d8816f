// Inline style declarations and the computed values the agent reads.
//
//     StyleDeclarations style = ParseStyleAttribute("width: 40px; COLOR: Red");
//     style.Get("color");                 // "Red"
//     ParseLength("40px");                // 40
//     ComputedColour("red");              // "rgb(255, 0, 0)"
//     ComputedStyleValue(tree, layout, body, "border-top-width");   // "0px"
#pragma once

#include "platform/browser/layout/LayoutTree.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace browser::layout {

// The declarations of one style="..." attribute, in order; property names
// lower case, values trimmed. A later declaration of a name wins.
class StyleDeclarations {
public:
    std::optional<std::string_view> Get(std::string_view property) const;
    const std::vector<std::pair<std::string, std::string>>& All() const { return m_entries; }
    void Set(std::string_view property, std::string_view value);

private:
    std::vector<std::pair<std::string, std::string>> m_entries;
};

StyleDeclarations ParseStyleAttribute(std::string_view text);

// A length in whole pixels: "12px", "12", "0"; "1.5px" rounds. Percentages
// and other units give nullopt unless a reference is given for "%".
std::optional<int32_t> ParseLength(std::string_view text,
                                   std::optional<int32_t> percentBase = std::nullopt);

// A colour as computed style writes it, "rgb(r, g, b)", from a name
// ("red"), "#rgb", "#rrggbb" or "rgb(...)"; "transparent" stays as it is;
// nullopt for what is not a colour.
std::optional<std::string> ComputedColour(std::string_view text);

// Border widths of a declaration set, from "border", "border-width",
// "border-<side>" and "border-<side>-width"; side 0 top, 1 right, 2 bottom, 3 left.
std::optional<int32_t> DeclaredBorderWidth(const StyleDeclarations& style, int side);

// The computed value of a CSS property of an element of a laid-out tree, as
// CSS text: border widths from the layout ("2px"), "display" ("none" for
// elements without a box), the inherited "color" and "visibility", colours
// as "rgb(r, g, b)", and for other properties the declared inline value or
// the initial value of the few the browser knows. nullopt for text nodes and
// for properties neither declared nor known.
std::optional<std::string> ComputedStyleValue(const SourceTree& tree, const LayoutTree& layout,
                                              NodeIndex node, std::string_view property);

} // namespace browser::layout

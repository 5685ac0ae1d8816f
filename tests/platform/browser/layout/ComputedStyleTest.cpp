#include "platform/browser/layout/ComputedStyle.h"

#include <gtest/gtest.h>

namespace browser::layout {
namespace {

TEST(StyleAttribute, DeclarationsAreTrimmedLowerCasedAndTheLastWins) {
    StyleDeclarations style = ParseStyleAttribute(
        "  COLOR : Red ; width:40px;;junk; :5px; height: ; color: blue !important; "
        "background: url(http://host/a.png)");
    EXPECT_EQ(style.Get("color"), "blue");
    EXPECT_EQ(style.Get("width"), "40px");
    EXPECT_EQ(style.Get("height"), std::nullopt) << "an empty value declares nothing";
    EXPECT_EQ(style.Get("junk"), std::nullopt);
    EXPECT_EQ(style.Get("background"), "url(http://host/a.png)");
    EXPECT_EQ(style.Get("COLOR"), std::nullopt) << "look-ups take lower-case names";
    ASSERT_EQ(style.All().size(), 4u);
    EXPECT_EQ(style.All()[0].first, "color");
    EXPECT_EQ(style.All()[0].second, "Red");

    EXPECT_TRUE(ParseStyleAttribute("").All().empty());
    EXPECT_TRUE(ParseStyleAttribute(";;;").All().empty());
}

TEST(StyleLength, PixelsNumbersRoundingAndPercentages) {
    EXPECT_EQ(ParseLength("12px"), 12);
    EXPECT_EQ(ParseLength(" 12 PX "), 12);
    EXPECT_EQ(ParseLength("12"), 12);
    EXPECT_EQ(ParseLength("0"), 0);
    EXPECT_EQ(ParseLength("-3px"), -3);
    EXPECT_EQ(ParseLength("1.5px"), 2);
    EXPECT_EQ(ParseLength("1.4"), 1);
    EXPECT_EQ(ParseLength("50%"), std::nullopt) << "a percentage needs its reference";
    EXPECT_EQ(ParseLength("50%", 300), 150);
    EXPECT_EQ(ParseLength("33%", 10), 3);
    for (std::string_view bad :
         {"", "px", "abc", "1em", "2pt", "auto", "1e30", "nan", "inf", "12 px x"})
        EXPECT_EQ(ParseLength(bad), std::nullopt) << bad;
}

TEST(StyleColour, NamesHexAndRgbBecomeRgbText) {
    EXPECT_EQ(ComputedColour("red"), "rgb(255, 0, 0)");
    EXPECT_EQ(ComputedColour(" Navy "), "rgb(0, 0, 128)");
    EXPECT_EQ(ComputedColour("#0f8"), "rgb(0, 255, 136)");
    EXPECT_EQ(ComputedColour("#FF8000"), "rgb(255, 128, 0)");
    EXPECT_EQ(ComputedColour("rgb(1, 2, 3)"), "rgb(1, 2, 3)");
    EXPECT_EQ(ComputedColour("rgb(300, -4, 7)"), "rgb(255, 0, 7)") << "channels are clamped";
    EXPECT_EQ(ComputedColour("transparent"), "transparent");
    for (std::string_view bad : {"", "#", "#12", "#12345", "#ggg", "rgb(1,2)", "rgb(1,2,3,4)",
                                 "rgb(a,b,c)", "reddish", "rgb(1, 2, 3"})
        EXPECT_EQ(ComputedColour(bad), std::nullopt) << bad;
}

TEST(StyleBorder, WidthsFromShorthandsAndLonghands) {
    auto widths = [](std::string_view text) {
        StyleDeclarations style = ParseStyleAttribute(text);
        std::vector<std::optional<int32_t>> out;
        for (int side = 0; side < 4; ++side)
            out.push_back(DeclaredBorderWidth(style, side));
        return out;
    };
    using V = std::vector<std::optional<int32_t>>;
    EXPECT_EQ(widths("border: 1px solid red"), (V{1, 1, 1, 1}));
    EXPECT_EQ(widths("border: solid thick"), (V{5, 5, 5, 5}));
    EXPECT_EQ(widths("border-width: 1px 2px"), (V{1, 2, 1, 2}));
    EXPECT_EQ(widths("border-width: 1px 2px 3px"), (V{1, 2, 3, 2}));
    EXPECT_EQ(widths("border-width: 1px 2px 3px 4px"), (V{1, 2, 3, 4}));
    EXPECT_EQ(widths("border-width: thin medium"), (V{1, 3, 1, 3}));
    // The most specific declaration wins, whatever the order.
    EXPECT_EQ(widths("border-top-width: 7px; border-top: 2px solid; border: 1px"), (V{7, 1, 1, 1}));
    EXPECT_EQ(widths("border-left: 4px dotted; border-width: 2px"), (V{2, 2, 2, 4}));
    EXPECT_EQ(widths("color: red"), (V{std::nullopt, std::nullopt, std::nullopt, std::nullopt}));
    EXPECT_EQ(widths("border: none"), (V{std::nullopt, std::nullopt, std::nullopt, std::nullopt}));
}

class ComputedValues : public ::testing::Test {
protected:
    NodeIndex El(NodeIndex parent, std::string_view tag, std::string_view style = {}) {
        NodeIndex e = tree.AddElement(parent, tag);
        if (!style.empty())
            tree.SetAttribute(e, "style", style);
        return e;
    }
    std::optional<std::string> Value(NodeIndex node, std::string_view property) {
        layout = LayoutTree::Build(tree, Size{800, 600});
        return ComputedStyleValue(tree, layout, node, property);
    }

    SourceTree tree;
    LayoutTree layout;
    NodeIndex html = tree.AddElement(SourceTree::kNoParent, "HTML");
    NodeIndex body = tree.AddElement(html, "BODY");
};

TEST_F(ComputedValues, BorderWidthsComeFromTheLayout) {
    NodeIndex table = El(body, "TABLE");
    tree.SetAttribute(table, "border", "2");
    NodeIndex row = El(table, "TR");
    NodeIndex cell = El(row, "TD");
    NodeIndex styled = El(body, "DIV", "border-width: 1px 4px");
    NodeIndex hidden = El(body, "DIV", "display: none; border-left: 6px solid");
    NodeIndex text = tree.AddText(body, u"text");
    EXPECT_EQ(Value(body, "border-top-width"), "0px");
    EXPECT_EQ(Value(table, "border-left-width"), "2px");
    EXPECT_EQ(Value(cell, "border-top-width"), "1px") << "cells of a bordered table have a border";
    EXPECT_EQ(Value(styled, "BORDER-LEFT-WIDTH"), "4px");
    EXPECT_EQ(Value(styled, "border-bottom-width"), "1px");
    EXPECT_EQ(Value(hidden, "border-left-width"), "6px") << "computed even without a box";
    EXPECT_EQ(Value(text, "border-top-width"), std::nullopt);
    EXPECT_EQ(Value(NodeIndex(999), "display"), std::nullopt);

    tree.SetAttribute(body, "style", "border: 3px solid");
    EXPECT_EQ(Value(body, "border-top-width"), "3px");
}

TEST_F(ComputedValues, DisplayVisibilityAndColours) {
    NodeIndex div = El(body, "DIV", "color: #f00; visibility: hidden");
    NodeIndex span = El(div, "SPAN");
    NodeIndex link = El(body, "A");
    tree.SetAttribute(link, "href", "x");
    NodeIndex font = El(body, "FONT");
    tree.SetAttribute(font, "color", "green");
    NodeIndex none = El(body, "P", "display:none");
    NodeIndex under = El(none, "B");
    NodeIndex table = El(body, "TABLE");
    tree.SetAttribute(table, "bgcolor", "#0000ff");
    NodeIndex row = El(table, "TR");
    NodeIndex cell = El(row, "TD");
    NodeIndex img = El(body, "IMG", "width: 12; float: left");

    EXPECT_EQ(Value(div, "display"), "block");
    EXPECT_EQ(Value(span, "display"), "inline");
    EXPECT_EQ(Value(cell, "display"), "table-cell");
    EXPECT_EQ(Value(row, "display"), "table-row");
    EXPECT_EQ(Value(table, "display"), "table");
    EXPECT_EQ(Value(img, "display"), "inline");
    EXPECT_EQ(Value(none, "display"), "none");
    EXPECT_EQ(Value(under, "display"), "none");

    EXPECT_EQ(Value(span, "visibility"), "hidden") << "visibility inherits";
    EXPECT_EQ(Value(link, "visibility"), "visible");
    EXPECT_EQ(Value(span, "color"), "rgb(255, 0, 0)") << "colour inherits";
    EXPECT_EQ(Value(link, "color"), "rgb(0, 0, 238)");
    EXPECT_EQ(Value(font, "color"), "rgb(0, 128, 0)");
    EXPECT_EQ(Value(body, "color"), "rgb(0, 0, 0)");
    EXPECT_EQ(Value(table, "background-color"), "rgb(0, 0, 255)");
    EXPECT_EQ(Value(cell, "background-color"), "transparent") << "backgrounds do not inherit";

    EXPECT_EQ(Value(img, "width"), "12px");
    EXPECT_EQ(Value(img, "float"), "left");
    EXPECT_EQ(Value(img, "position"), "static");
    EXPECT_EQ(Value(img, "z-index"), std::nullopt);
}

} // namespace
} // namespace browser::layout

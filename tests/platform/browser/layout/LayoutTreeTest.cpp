#include "platform/browser/layout/LayoutTree.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <utility>

namespace browser::layout {
namespace {

using namespace metrics;
using Attrs = std::initializer_list<std::pair<const char*, const char*>>;

// An HTML page under construction: HTML and BODY are made up front.
class Page {
public:
    Page() {
        html = tree.AddElement(SourceTree::kNoParent, "HTML");
        body = tree.AddElement(html, "BODY");
    }

    NodeIndex El(NodeIndex parent, std::string_view tag, Attrs attrs = {}) {
        NodeIndex e = tree.AddElement(parent, tag);
        for (const auto& [name, value] : attrs)
            tree.SetAttribute(e, name, value);
        return e;
    }
    NodeIndex El(NodeIndex parent, std::string_view tag, std::u16string_view text,
                 Attrs attrs = {}) {
        NodeIndex e = El(parent, tag, attrs);
        tree.AddText(e, text);
        return e;
    }
    void Text(NodeIndex parent, std::u16string_view text) { tree.AddText(parent, text); }

    const LayoutTree& Layout(Size viewport = {800, 600}) {
        layout = LayoutTree::Build(tree, viewport);
        return layout;
    }
    Rect R(NodeIndex node) const { return layout.BoxOf(node).border; }

    SourceTree tree;
    LayoutTree layout;
    NodeIndex html = 0;
    NodeIndex body = 0;
};

// The left and top of the body's content box with default margins.
constexpr int32_t kContentLeft = kBodyMargin;
constexpr int32_t kContentTop = kBodyMargin;

TEST(LayoutBlocks, BlocksStackWithCollapsedMarginsInsideTheBodyMargin) {
    Page p;
    NodeIndex p1 = p.El(p.body, "P", u"first");
    NodeIndex p2 = p.El(p.body, "P", u"second");
    NodeIndex div = p.El(p.body, "DIV", u"third");
    NodeIndex h1 = p.El(p.body, "H1", u"title");
    p.Layout();

    EXPECT_EQ(p.R(p.body), Rect::FromSize(8, 8, 784, p.R(p.body).Height()));
    // Body margin and the first paragraph's margin do not collapse.
    EXPECT_EQ(p.R(p1), Rect::FromSize(kContentLeft, kContentTop + kBlockMargin, 784, kLineHeight));
    // Two paragraphs share one margin; a margin-less DIV still keeps the
    // paragraph's bottom margin.
    EXPECT_EQ(p.R(p2).top, p.R(p1).bottom + kBlockMargin);
    EXPECT_EQ(p.R(div).top, p.R(p2).bottom + kBlockMargin);
    EXPECT_EQ(p.R(h1).top, p.R(div).bottom + kBlockMargin);
    // The last margin stays inside the body; the body's own inside HTML.
    EXPECT_EQ(p.R(p.body).bottom, p.R(h1).bottom + kBlockMargin);
    EXPECT_EQ(p.R(p.html).bottom, p.R(p.body).bottom + kBodyMargin);
    EXPECT_EQ(p.layout.ContentSize(), (Size{800, 600}));
}

TEST(LayoutBlocks, BottomMarginSeparatesInlineContentThatFollows) {
    Page p;
    NodeIndex para = p.El(p.body, "P", u"para");
    NodeIndex span = p.El(p.body, "SPAN", u"after");
    NodeIndex para2 = p.El(p.body, "P", u"para");
    NodeIndex img = p.El(p.body, "IMG");
    p.Layout();
    EXPECT_EQ(p.R(span).top, p.R(para).bottom + kBlockMargin);
    EXPECT_EQ(p.R(img).top, p.R(para2).bottom + kBlockMargin);
}

TEST(LayoutBlocks, StyleSizesPaddingBordersAndMargins) {
    Page p;
    NodeIndex div =
        p.El(p.body, "DIV", u"x",
             {{"style", "width: 100px; padding: 5px; border: 2px solid red; margin-left: 10px"}});
    NodeIndex inner = p.El(div, "DIV", u"y");
    NodeIndex fixed = p.El(p.body, "DIV", {{"style", "height: 40px; width: 50%"}});
    NodeIndex quote = p.El(p.body, "BLOCKQUOTE", u"q");
    NodeIndex list = p.El(p.body, "UL");
    NodeIndex item = p.El(list, "LI", u"item");
    p.Layout();

    EXPECT_EQ(p.R(div), Rect::FromSize(kContentLeft + 10, kContentTop, 114, 14 + 2 * kLineHeight));
    EXPECT_EQ(p.R(inner), Rect::FromSize(kContentLeft + 10 + 7, kContentTop + 7 + kLineHeight, 100,
                                         kLineHeight));
    EXPECT_EQ(p.R(fixed).Height(), 40);
    EXPECT_EQ(p.R(fixed).Width(), 392);
    EXPECT_EQ(p.R(quote).left, kContentLeft + kListIndent);
    EXPECT_EQ(p.R(quote).Width(), 784 - 2 * kListIndent);
    EXPECT_EQ(p.R(item).left, kContentLeft + kListIndent);
}

TEST(LayoutInline, TextFlowsWithFixedMetricsAndWrapsAtWords) {
    Page p;
    NodeIndex div = p.El(p.body, "DIV", {{"style", "width: 100px"}});
    p.Text(div, u"  aaaa   bbbb\n cccc ");
    NodeIndex link = p.El(div, "A", u"dddd eeee", {{"href", "x"}});
    NodeIndex line = p.El(p.body, "DIV");
    p.Text(line, u"ab");
    NodeIndex bold = p.El(line, "B", u"cd");
    NodeIndex wide = p.El(p.body, "DIV", u"\U0001F600x"); // a surrogate pair is one character
    p.Layout();

    // "aaaa bbbb" fits in 100 px (72), "cccc" goes on the next line, the
    // link starts after a collapsed space and wraps itself.
    EXPECT_EQ(p.R(div).Height(), 3 * kLineHeight);
    Rect a = p.R(link);
    EXPECT_EQ(a.top, kContentTop + kLineHeight);
    EXPECT_EQ(a.bottom, kContentTop + 3 * kLineHeight);
    EXPECT_EQ(a.left, kContentLeft) << "a wrapped inline box spans its lines";
    // Adjacent text without white space keeps touching.
    EXPECT_EQ(p.R(bold), Rect::FromSize(kContentLeft + 2 * kCharWidth, p.R(line).top,
                                        2 * kCharWidth, kLineHeight));
    EXPECT_EQ(p.R(wide).Height(), kLineHeight);
    p.El(p.body, "SPAN", u"\U0001F600x");
    p.Layout();
    EXPECT_EQ(p.R(NodeIndex(p.tree.Count() - 2)).Width(), 2 * kCharWidth);
}

TEST(LayoutInline, PreformattedTextAndLineBreaks) {
    Page p;
    NodeIndex pre = p.El(p.body, "PRE", u"one  two\n\nthree");
    NodeIndex para = p.El(p.body, "P");
    p.Text(para, u"a");
    NodeIndex br = p.El(para, "BR");
    NodeIndex after = p.El(para, "SPAN", u"b");
    p.Layout();
    EXPECT_EQ(p.R(pre).Height(), 3 * kLineHeight) << "the empty line keeps its height";
    EXPECT_EQ(p.R(br).left, kContentLeft + kCharWidth);
    EXPECT_EQ(p.R(after).left, kContentLeft);
    EXPECT_EQ(p.R(after).top, p.R(br).top + kLineHeight);
    EXPECT_EQ(p.R(para).Height(), 2 * kLineHeight);

    // A long word in PRE does not wrap; the document grows to the right.
    Page wide;
    wide.El(wide.body, "PRE", std::u16string(200, u'x'));
    wide.Layout();
    EXPECT_EQ(wide.layout.ContentSize().width, kBodyMargin + 200 * kCharWidth);
}

TEST(LayoutReplaced, ImagesAndControlsTakeAttributeOrDefaultSizes) {
    Page p;
    NodeIndex img = p.El(p.body, "IMG");
    NodeIndex sized = p.El(p.body, "IMG", {{"width", "50"}, {"height", "40"}});
    NodeIndex styled = p.El(p.body, "IMG", {{"width", "50"}, {"style", "width: 70px"}});
    NodeIndex text = p.El(p.body, "INPUT");
    NodeIndex small = p.El(p.body, "INPUT", {{"type", "password"}, {"size", "5"}});
    NodeIndex check = p.El(p.body, "INPUT", {{"type", "CHECKBOX"}});
    NodeIndex submit = p.El(p.body, "INPUT", {{"type", "submit"}});
    NodeIndex go = p.El(p.body, "INPUT", {{"type", "button"}, {"value", "Go"}});
    NodeIndex hidden = p.El(p.body, "INPUT", {{"type", "hidden"}});
    NodeIndex area = p.El(p.body, "TEXTAREA", {{"cols", "10"}, {"rows", "3"}});
    NodeIndex button = p.El(p.body, "BUTTON");
    NodeIndex label = p.El(button, "B", u"OK");
    NodeIndex frame = p.El(p.body, "IFRAME", {{"height", "99"}});
    NodeIndex bad = p.El(p.body, "IMG", {{"width", "-5"}, {"height", "abc"}});
    NodeIndex framed = p.El(p.body, "IMG", {{"width", "20"}, {"height", "10"}, {"border", "2"}});
    NodeIndex styledBorder = p.El(p.body, "IMG", {{"style", "width: 20px; border: 1px solid"}});
    p.Layout();

    EXPECT_EQ(p.R(img).Width(), kImageSize);
    EXPECT_EQ(p.R(img).Height(), kImageSize);
    EXPECT_EQ(p.R(sized).Width(), 50);
    EXPECT_EQ(p.R(sized).Height(), 40);
    EXPECT_EQ(p.R(styled).Width(), 70) << "style width beats the attribute";
    EXPECT_EQ(p.R(text).Width(), kDefaultTextSize * kCharWidth + kControlPadding);
    EXPECT_EQ(p.R(text).Height(), kControlHeight);
    EXPECT_EQ(p.R(small).Width(), 5 * kCharWidth + kControlPadding);
    EXPECT_EQ(p.R(check).Width(), kCheckSize);
    EXPECT_EQ(p.R(submit).Width(), 12 * kCharWidth + kButtonPadding) << "\"Submit Query\"";
    EXPECT_EQ(p.R(go).Width(), 2 * kCharWidth + kButtonPadding);
    EXPECT_FALSE(p.layout.BoxOf(hidden).hasBox);
    EXPECT_EQ(p.R(area).Width(), 10 * kCharWidth + kControlPadding);
    EXPECT_EQ(p.R(area).Height(), 3 * kLineHeight + kControlPadding);
    EXPECT_EQ(p.R(button).Width(), 2 * kCharWidth + kButtonPadding);
    EXPECT_TRUE(p.R(button).left < p.R(label).left && p.R(label).right <= p.R(button).right)
        << "the label lies inside the button";
    EXPECT_EQ(p.R(frame).Width(), kIFrameWidth);
    EXPECT_EQ(p.R(frame).Height(), 99);
    EXPECT_EQ(p.R(bad).Width(), kImageSize) << "unusable sizes fall back to the default";
    EXPECT_EQ(p.R(bad).Height(), kImageSize);
    EXPECT_EQ(p.R(framed), Rect::FromSize(p.R(framed).left, p.R(framed).top, 24, 14))
        << "the border goes around";
    EXPECT_EQ(p.layout.BoxOf(framed).borderWidths, (Edges{2, 2, 2, 2}));
    EXPECT_EQ(p.R(styledBorder).Width(), 22);
    // Controls sit on one line while they fit, side by side.
    EXPECT_EQ(p.R(sized).left, p.R(img).right);
}

TEST(LayoutReplaced, SelectionListsAndTheirOptions) {
    Page p;
    NodeIndex drop = p.El(p.body, "SELECT");
    NodeIndex d1 = p.El(drop, "OPTION", u"One");
    NodeIndex d2 = p.El(drop, "OPTION", u"Three");
    NodeIndex list = p.El(p.body, "SELECT", {{"size", "2"}});
    NodeIndex l1 = p.El(list, "OPTION", u"a");
    NodeIndex l2 = p.El(list, "OPTION", u"b");
    NodeIndex l3 = p.El(list, "OPTION", u"c");
    NodeIndex multi = p.El(p.body, "SELECT", {{"multiple", ""}});
    p.Layout();

    EXPECT_EQ(p.R(drop).Width(), 5 * kCharWidth + kDropDownArrow + kControlPadding);
    EXPECT_EQ(p.R(drop).Height(), kControlHeight);
    // A closed drop-down is one line: its options' boxes are that line,
    // inside the control and left of its arrow, and are not hit.
    EXPECT_EQ(p.R(d1), p.R(d2));
    EXPECT_EQ(p.R(d1).Height(), kLineHeight);
    EXPECT_TRUE(p.R(drop).top <= p.R(d1).top && p.R(d1).bottom <= p.R(drop).bottom);
    EXPECT_TRUE(p.R(drop).left < p.R(d1).left && p.R(d1).right <= p.R(drop).right - kDropDownArrow);
    EXPECT_FALSE(p.layout.BoxOf(d1).hitTestable);
    EXPECT_EQ(p.layout.HitTest(Point{p.R(d1).left + 1, p.R(d1).top + 1}), drop);

    EXPECT_EQ(p.R(list).Height(), 2 * kLineHeight + kControlPadding);
    EXPECT_TRUE(p.R(list).top < p.R(l1).top && p.R(l2).bottom <= p.R(list).bottom);
    EXPECT_EQ(p.layout.HitTest(Point{p.R(l2).left + 1, p.R(l2).top + 1}), l2);
    EXPECT_FALSE(p.layout.BoxOf(l3).hitTestable) << "an option below the list's rows is not shown";
    EXPECT_EQ(p.R(multi).Height(), kDefaultListRows * kLineHeight + kControlPadding);
}

TEST(LayoutTables, CellsFormAGridWithSpansSpacingAndPadding) {
    Page p;
    NodeIndex table =
        p.El(p.body, "TABLE", {{"border", "1"}, {"cellspacing", "2"}, {"cellpadding", "3"}});
    NodeIndex tbody = p.El(table, "TBODY");
    NodeIndex r1 = p.El(tbody, "TR");
    NodeIndex a = p.El(r1, "TD", u"a");
    NodeIndex b = p.El(r1, "TD", u"bbbb");
    NodeIndex c = p.El(r1, "TD", u"c", {{"rowspan", "2"}});
    NodeIndex r2 = p.El(tbody, "TR");
    NodeIndex wide = p.El(r2, "TD", u"wide text", {{"colspan", "2"}});
    NodeIndex r3 = p.El(tbody, "TR");
    NodeIndex e = p.El(r3, "TH", u"e");
    p.Layout();

    // Cell border 1 and padding 3 around one line of text.
    constexpr int32_t kCellChrome = 2 * (1 + 3);
    EXPECT_EQ(p.R(a).Height(), kLineHeight + kCellChrome);
    EXPECT_EQ(p.R(a).Width(), kCharWidth + kCellChrome);
    EXPECT_EQ(p.R(b).left, p.R(a).right + 2);
    EXPECT_EQ(p.R(a).top, p.R(b).top);
    EXPECT_EQ(p.R(wide).left, p.R(a).left);
    EXPECT_EQ(p.R(wide).right, p.R(b).right);
    EXPECT_EQ(p.R(c).top, p.R(r1).top);
    EXPECT_EQ(p.R(c).bottom, p.R(r2).bottom) << "a row-spanning cell covers both rows";
    EXPECT_EQ(p.R(e).left, p.R(a).left);
    EXPECT_EQ(p.R(e).Width(), p.R(a).Width()) << "columns line up across rows";
    EXPECT_EQ(p.R(r2).top, p.R(r1).bottom + 2);
    EXPECT_EQ(p.R(table).left, kContentLeft);
    EXPECT_EQ(p.R(table).right, p.R(c).right + 2 + 1);
    EXPECT_EQ(p.R(table).bottom, p.R(r3).bottom + 2 + 1);
    // "wide text" needs more than a and bbbb: the last column it spans grows.
    EXPECT_EQ(p.R(wide).Width(), 9 * kCharWidth + kCellChrome);
    EXPECT_GT(p.R(b).Width(), 4 * kCharWidth + kCellChrome);

    // Offsets of cells and rows are relative to the table.
    const Box& cell = p.layout.BoxOf(b);
    EXPECT_EQ(cell.offsetParent, table);
    EXPECT_EQ(cell.offset, (Point{p.R(b).left - p.R(table).left, p.R(b).top - p.R(table).top}));
    EXPECT_EQ(p.layout.BoxOf(r1).offsetParent, table);
}

TEST(LayoutTables, WidthAttributesAndSourceWhiteSpace) {
    Page p;
    NodeIndex table =
        p.El(p.body, "TABLE", {{"width", "50%"}, {"cellspacing", "0"}, {"cellpadding", "0"}});
    NodeIndex row = p.El(table, "TR");
    NodeIndex a = p.El(row, "TD", u"\n      aa\n    ");
    NodeIndex b = p.El(row, "TD", u"bb");
    NodeIndex natural = p.El(p.body, "TABLE", {{"cellspacing", "0"}, {"cellpadding", "0"}});
    NodeIndex row2 = p.El(natural, "TR");
    NodeIndex c = p.El(row2, "TD", u"\n      cc  dd\n    ");
    NodeIndex cell = p.El(row2, "TD");
    NodeIndex inner = p.El(cell, "TABLE", {{"cellspacing", "0"}, {"cellpadding", "0"}});
    NodeIndex innerRow = p.El(inner, "TR");
    p.El(innerRow, "TD", u"xx");
    p.El(innerRow, "TD", u"yyy");
    p.Layout();

    EXPECT_EQ(p.R(table).Width(), 392);
    EXPECT_EQ(p.R(a).Width() + p.R(b).Width(), 392);
    EXPECT_EQ(p.R(a).Width(), p.R(b).Width()) << "equal content shares the width equally";
    // Indentation of the source does not widen a cell.
    EXPECT_EQ(p.R(c).Width(), 5 * kCharWidth);
    EXPECT_EQ(p.R(c).Height(), kLineHeight);
    // A nested table is as wide as its row of cells.
    EXPECT_EQ(p.R(cell).Width(), 5 * kCharWidth);
    EXPECT_EQ(p.R(inner).Width(), 5 * kCharWidth);
    EXPECT_EQ(p.R(natural).Width(), 10 * kCharWidth);
}

TEST(LayoutFrames, FrameSetsShareTheViewport) {
    SourceTree tree;
    NodeIndex html = tree.AddElement(SourceTree::kNoParent, "HTML");
    NodeIndex fs = tree.AddElement(html, "FRAMESET");
    tree.SetAttribute(fs, "cols", "100,*");
    NodeIndex left = tree.AddElement(fs, "FRAME");
    NodeIndex right = tree.AddElement(fs, "FRAMESET");
    tree.SetAttribute(right, "rows", "25%,*");
    NodeIndex top = tree.AddElement(right, "FRAME");
    NodeIndex bottom = tree.AddElement(right, "FRAME");
    NodeIndex extra = tree.AddElement(right, "FRAME");
    LayoutTree layout = LayoutTree::Build(tree, Size{800, 600});

    EXPECT_EQ(layout.BoxOf(fs).border, Rect::FromSize(0, 0, 800, 600));
    EXPECT_EQ(layout.BoxOf(left).border, Rect::FromSize(0, 0, 100, 600));
    EXPECT_EQ(layout.BoxOf(right).border, Rect::FromSize(100, 0, 700, 600));
    EXPECT_EQ(layout.BoxOf(top).border, Rect::FromSize(100, 0, 700, 150));
    EXPECT_EQ(layout.BoxOf(bottom).border, Rect::FromSize(100, 150, 700, 450));
    EXPECT_FALSE(layout.BoxOf(extra).hasBox) << "a frame beyond the grid has no place";
    EXPECT_EQ(layout.ContentSize(), (Size{800, 600}));
    EXPECT_EQ(layout.HitTest(Point{150, 300}), bottom);
}

TEST(LayoutFrames, SplitFrameSizes) {
    EXPECT_EQ(SplitFrameSizes("100,20%,*,2*", 1000), (std::vector<int32_t>{100, 200, 233, 467}));
    EXPECT_EQ(SplitFrameSizes("*", 600), (std::vector<int32_t>{600}));
    // Without stars the fixed sizes are scaled to fill the space.
    EXPECT_EQ(SplitFrameSizes("100,300", 800), (std::vector<int32_t>{200, 600}));
    EXPECT_EQ(SplitFrameSizes("60%,60%", 100), (std::vector<int32_t>{50, 50}));
    // Odd input never gives negative or overflowing sizes.
    for (std::string_view spec : {"", ",", "abc,*", "-5,*", "99999999999,*", "0,0", "3*,0*"}) {
        std::vector<int32_t> sizes = SplitFrameSizes(spec, 300);
        int64_t sum = 0;
        for (int32_t s : sizes) {
            EXPECT_GE(s, 0) << spec;
            sum += s;
        }
        EXPECT_EQ(sum, 300) << spec;
    }
    EXPECT_EQ(SplitFrameSizes("10,*", -5), (std::vector<int32_t>{0, 0}));
}

TEST(LayoutVisibility, HiddenElementsHaveNoBoxAndInvisibleOnesAreNotHit) {
    Page p;
    NodeIndex none = p.El(p.body, "DIV", {{"style", "DISPLAY: None"}});
    NodeIndex child = p.El(none, "P", u"under none");
    NodeIndex attr = p.El(p.body, "DIV", u"x", {{"hidden", "true"}});
    NodeIndex falseHidden = p.El(p.body, "DIV", u"x", {{"hidden", "false"}});
    NodeIndex notHidden = p.El(p.body, "DIV", u"x", {{"hidden", ""}});
    NodeIndex script = p.El(p.body, "SCRIPT", u"var x = 1;");
    NodeIndex invisible = p.El(p.body, "DIV", {{"style", "visibility: hidden"}});
    NodeIndex inherits = p.El(invisible, "SPAN", u"inherits");
    NodeIndex shown = p.El(invisible, "SPAN", u"shown", {{"style", "visibility: visible"}});
    NodeIndex after = p.El(p.body, "DIV", u"after");
    p.Layout();

    for (NodeIndex n : {none, child, attr, falseHidden, script}) {
        EXPECT_FALSE(p.layout.BoxOf(n).hasBox) << p.tree.At(n).tag;
        EXPECT_EQ(p.layout.BoxOf(n).offsetParent, SourceTree::kNoParent);
    }
    EXPECT_TRUE(p.layout.BoxOf(notHidden).hasBox);
    EXPECT_EQ(p.R(notHidden).top, kContentTop) << "boxless elements take no room";
    // Invisible elements keep their room but are not hit.
    EXPECT_TRUE(p.layout.BoxOf(inherits).hasBox);
    EXPECT_FALSE(p.layout.BoxOf(inherits).hitTestable);
    EXPECT_EQ(p.layout.HitTest(Point{p.R(inherits).left + 1, p.R(inherits).top + 1}), p.body);
    EXPECT_EQ(p.layout.HitTest(Point{p.R(shown).left + 1, p.R(shown).top + 1}), shown);
    EXPECT_EQ(p.R(after).top, p.R(invisible).bottom);
}

class LayoutScrolling : public ::testing::Test {
protected:
    void SetUp() override {
        div = p.El(p.body, "DIV",
                   {{"style", "overflow: auto; height: 50px; border: 2px solid; padding: 1px"}});
        for (int i = 0; i < 10; ++i)
            lines.push_back(p.El(div, "DIV", u"line"));
        wide = p.El(div, "IMG", {{"width", "1000"}, {"height", "10"}});
        below = p.El(p.body, "P", u"below");
        p.Layout();
    }
    LayoutTree& L() { return p.layout; }

    Page p;
    NodeIndex div = 0, wide = 0, below = 0;
    std::vector<NodeIndex> lines;
};

TEST_F(LayoutScrolling, ScrollingDivisionKeepsItsHeightAndMeasuresItsContent) {
    const Box& box = L().BoxOf(div);
    EXPECT_TRUE(box.scrolls);
    EXPECT_EQ(box.border.Height(), 50 + 2 * 1 + 2 * 2);
    EXPECT_EQ(box.clientSize, (Size{784 - 4, 52}));
    EXPECT_EQ(box.scrollSize.height, 1 + 10 * kLineHeight + kLineHeight + 1);
    EXPECT_EQ(box.scrollSize.width, 1 + 1000 + 1) << "wide content widens the scroll range";
    EXPECT_EQ(p.R(below).top, box.border.bottom + kBlockMargin);
    EXPECT_EQ(L().BoxOf(lines[0]).offsetParent, div) << "a scrolling division is an offset parent";
    EXPECT_EQ(L().BoxOf(lines[1]).offset, (Point{3, 3 + kLineHeight}));

    // Without a height, or without overflow, nothing scrolls.
    Page q;
    NodeIndex noHeight = q.El(q.body, "DIV", u"x", {{"style", "overflow: scroll"}});
    NodeIndex visible = q.El(q.body, "DIV", u"x", {{"style", "overflow: visible; height: 5px"}});
    q.Layout();
    EXPECT_FALSE(q.layout.BoxOf(noHeight).scrolls);
    EXPECT_FALSE(q.layout.BoxOf(visible).scrolls);
    EXPECT_FALSE(q.layout.SetScroll(visible, Point{0, 1}));
}

TEST_F(LayoutScrolling, ScrollIsClampedToTheContentAndMovesVisibleBoxes) {
    const Box& box = L().BoxOf(div);
    EXPECT_EQ(L().ScrollOf(div), (Point{0, 0}));
    ASSERT_TRUE(L().SetScroll(div, Point{100000, 100000}));
    EXPECT_EQ(L().ScrollOf(div), (Point{box.scrollSize.width - box.clientSize.width,
                                        box.scrollSize.height - box.clientSize.height}));
    ASSERT_TRUE(L().SetScroll(div, Point{-5, 20}));
    EXPECT_EQ(L().ScrollOf(div), (Point{0, 20}));
    EXPECT_EQ(L().VisibleBox(lines[3]), p.R(lines[3]).Moved(0, -20));
    EXPECT_EQ(L().VisibleBox(div), p.R(div)) << "a box is not moved by its own scroll";
    EXPECT_EQ(L().VisibleBox(below), p.R(below));
    EXPECT_EQ(L().ScrollOf(below), (Point{0, 0}));
}

TEST_F(LayoutScrolling, HitTestingFollowsTheScrollAndTheClip) {
    Rect d = p.R(div);
    Rect first = p.R(lines[0]);
    EXPECT_EQ(L().HitTest(Point{first.left + 1, first.top + 1}), lines[0]);
    // A line below the division's bottom edge is clipped: the point is outside the division.
    Rect sixth = p.R(lines[5]);
    ASSERT_GE(sixth.top, d.bottom);
    EXPECT_NE(L().HitTest(Point{sixth.left + 1, sixth.top + 1}), lines[5]);

    ASSERT_TRUE(L().SetScroll(div, Point{0, 5 * kLineHeight}));
    EXPECT_EQ(L().HitTest(Point{first.left + 1, first.top + 1}), lines[5]);
    EXPECT_EQ(L().HitTest(Point{first.left + 1, first.top + 1 + kLineHeight}), lines[6]);
}

TEST(LayoutHitTest, HiddenOverflowIsClippedButDoesNotScroll) {
    Page p;
    NodeIndex box = p.El(p.body, "DIV", {{"style", "overflow: hidden; height: 20px"}});
    NodeIndex first = p.El(box, "DIV", u"first");
    NodeIndex second = p.El(box, "DIV", u"second");
    NodeIndex after = p.El(p.body, "DIV", u"after");
    p.Layout();
    EXPECT_TRUE(p.layout.BoxOf(box).clips);
    EXPECT_FALSE(p.layout.BoxOf(box).scrolls);
    EXPECT_FALSE(p.layout.SetScroll(box, Point{0, 10}));
    EXPECT_EQ(p.layout.HitTest(Point{10, p.R(first).top + 1}), first);
    // The second line lies below the clip, where the next division shows.
    ASSERT_GE(p.R(second).top + 5, p.R(box).bottom);
    EXPECT_EQ(p.layout.HitTest(Point{10, p.R(second).top + 5}), after);
}

TEST(LayoutHitTest, DeepestElementUnderThePoint) {
    Page p;
    NodeIndex para = p.El(p.body, "P");
    NodeIndex link = p.El(para, "A", {{"href", "x"}});
    NodeIndex img = p.El(link, "IMG", {{"width", "40"}, {"height", "30"}});
    p.Layout();
    Rect r = p.R(img);
    EXPECT_EQ(p.layout.HitTest(Point{r.left, r.top}), img);
    EXPECT_EQ(p.layout.HitTest(Point{r.right - 1, r.bottom - 1}), img);
    EXPECT_EQ(p.layout.HitTest(Point{r.right, r.top}), para) << "right edges are exclusive";
    EXPECT_EQ(p.layout.HitTest(Point{2, 2}), p.html) << "the body margin belongs to HTML";
    EXPECT_EQ(p.layout.HitTest(Point{2, 590}), std::nullopt) << "below the document nothing is hit";
    EXPECT_EQ(p.layout.HitTest(Point{-1, 10}), std::nullopt);
}

TEST(LayoutOffsets, OffsetParentsAndOffsets) {
    Page p;
    p.tree.SetAttribute(p.body, "style", "border: 3px solid");
    NodeIndex div = p.El(p.body, "DIV", {{"style", "margin-left: 20px"}});
    NodeIndex span = p.El(div, "SPAN", u"x");
    NodeIndex rel = p.El(p.body, "DIV", {{"style", "position: relative; padding: 4px"}});
    NodeIndex inRel = p.El(rel, "B", u"y");
    p.Layout();

    EXPECT_EQ(p.layout.BoxOf(p.body).offsetParent, SourceTree::kNoParent);
    EXPECT_EQ(p.layout.BoxOf(p.body).offset, (Point{kBodyMargin, kBodyMargin}));
    EXPECT_EQ(p.layout.BoxOf(p.html).offsetParent, SourceTree::kNoParent);
    // Inside BODY, offsets are measured from inside the body's border.
    EXPECT_EQ(p.layout.BoxOf(span).offsetParent, p.body);
    EXPECT_EQ(p.layout.BoxOf(span).offset, (Point{20, 0}));
    EXPECT_EQ(p.layout.BoxOf(div).offset, (Point{20, 0}));
    EXPECT_EQ(p.layout.BoxOf(inRel).offsetParent, rel);
    EXPECT_EQ(p.layout.BoxOf(inRel).offset, (Point{4, 4}));
    // Offsets add up along the chain to the document position, with the
    // body border added back.
    EXPECT_EQ(p.layout.BoxOf(inRel).offset.y + p.layout.BoxOf(rel).offset.y + 3 +
                  p.layout.BoxOf(p.body).offset.y,
              p.R(inRel).top);
}

TEST(LayoutXul, BoxesShareTheirAxisByFlex) {
    SourceTree tree;
    using M = SourceTree::Markup;
    NodeIndex window = tree.AddElement(SourceTree::kNoParent, "window", M::Xul);
    NodeIndex toolbar = tree.AddElement(window, "toolbar", M::Xul);
    NodeIndex back = tree.AddElement(toolbar, "toolbarbutton", M::Xul);
    tree.SetAttribute(back, "label", "Back");
    NodeIndex url = tree.AddElement(toolbar, "textbox", M::Xul);
    tree.SetAttribute(url, "flex", "1");
    NodeIndex go = tree.AddElement(toolbar, "button", M::Xul);
    tree.SetAttribute(go, "label", "Go");
    NodeIndex content = tree.AddElement(window, "browser", M::Xul);
    tree.SetAttribute(content, "flex", "1");
    NodeIndex shownButton = tree.AddElement(window, "button", M::Xul);
    tree.SetAttribute(shownButton, "hidden", "false");
    NodeIndex hiddenButton = tree.AddElement(window, "button", M::Xul);
    tree.SetAttribute(hiddenButton, "hidden", "true");
    NodeIndex popup = tree.AddElement(window, "menupopup", M::Xul);
    NodeIndex item = tree.AddElement(popup, "menuitem", M::Xul);
    LayoutTree layout = LayoutTree::Build(tree, Size{800, 600});

    EXPECT_EQ(layout.BoxOf(window).border, Rect::FromSize(0, 0, 800, 600));
    EXPECT_EQ(layout.BoxOf(toolbar).border, Rect::FromSize(0, 0, 800, kXulButtonHeight));
    EXPECT_EQ(layout.BoxOf(back).border.Width(), 4 * kCharWidth + 2 * kButtonPadding);
    EXPECT_EQ(layout.BoxOf(go).border.right, 800);
    EXPECT_EQ(layout.BoxOf(url).border.left, layout.BoxOf(back).border.right);
    EXPECT_EQ(layout.BoxOf(url).border.right, layout.BoxOf(go).border.left);
    EXPECT_EQ(layout.BoxOf(content).border,
              Rect::FromSize(0, kXulButtonHeight, 800, 600 - 2 * kXulButtonHeight))
        << "the shown button below it takes its height";
    EXPECT_TRUE(layout.BoxOf(shownButton).hasBox);
    EXPECT_FALSE(layout.BoxOf(hiddenButton).hasBox);
    EXPECT_FALSE(layout.BoxOf(popup).hasBox);
    EXPECT_FALSE(layout.BoxOf(item).hasBox) << "a closed popup shows nothing";
    EXPECT_EQ(layout.HitTest(Point{10, 10}), back);
}

TEST(LayoutDeterminism, SameTreeSameBoxesAndViewportChangesTheFlow) {
    Page p;
    NodeIndex div = p.El(p.body, "DIV");
    for (int i = 0; i < 40; ++i)
        p.Text(div, u"word ");
    NodeIndex table = p.El(p.body, "TABLE", {{"width", "100%"}});
    NodeIndex row = p.El(table, "TR");
    p.El(row, "TD", u"a");
    p.El(row, "TD", u"b");
    LayoutTree first = LayoutTree::Build(p.tree, Size{400, 300});
    LayoutTree second = LayoutTree::Build(p.tree, Size{400, 300});
    EXPECT_EQ(first.Dump(p.tree), second.Dump(p.tree));
    for (NodeIndex i = 0; i < p.tree.Count(); ++i)
        EXPECT_EQ(first.BoxOf(i).border, second.BoxOf(i).border) << i;

    LayoutTree narrow = LayoutTree::Build(p.tree, Size{200, 300});
    EXPECT_GT(narrow.BoxOf(div).border.Height(), first.BoxOf(div).border.Height());
    EXPECT_EQ(narrow.BoxOf(table).border.Width(), 200 - 2 * kBodyMargin);
}

TEST(LayoutRobustness, MisorderedNodesEmptyTreesAndOutOfRangeQueries) {
    SourceTree tree;
    NodeIndex html = tree.AddElement(SourceTree::kNoParent, "HTML");
    NodeIndex orphan = tree.AddElement(NodeIndex(7), "DIV"); // parent does not exist (yet)
    NodeIndex under = tree.AddElement(orphan, "SPAN");
    tree.AddText(under, u"text");
    tree.SetAttribute(NodeIndex(99), "style", "display:none");
    EXPECT_EQ(tree.Attribute(NodeIndex(99), "style"), std::nullopt);
    LayoutTree layout = LayoutTree::Build(tree, Size{100, 100});
    EXPECT_TRUE(layout.BoxOf(html).hasBox);
    EXPECT_FALSE(layout.BoxOf(orphan).hasBox);
    EXPECT_FALSE(layout.BoxOf(under).hasBox);
    EXPECT_FALSE(layout.BoxOf(NodeIndex(1000)).hasBox);
    EXPECT_EQ(layout.VisibleBox(NodeIndex(1000)), Rect{});
    EXPECT_FALSE(layout.SetScroll(NodeIndex(1000), Point{1, 1}));
    EXPECT_EQ(layout.BoxOf(html).border.Width(), 100);
    EXPECT_NE(layout.Dump(tree).find("(no box)"), std::string::npos);

    LayoutTree empty = LayoutTree::Build(SourceTree{}, Size{-10, 50});
    EXPECT_EQ(empty.Count(), 0u);
    EXPECT_EQ(empty.Viewport(), (Size{0, 50}));
    EXPECT_EQ(empty.HitTest(Point{0, 0}), std::nullopt);
}

TEST(LayoutUnits, PixelsRoundTripAndUnitsRoundToTheNearestPixel) {
    for (int32_t px = -1000; px <= 1000; ++px)
        ASSERT_EQ(UnitsToPixels(PixelsToUnits(px)), px) << px;
    EXPECT_EQ(UnitsToPixels(7), 0);
    EXPECT_EQ(UnitsToPixels(8), 1);
    EXPECT_EQ(UnitsToPixels(-7), 0);
    EXPECT_EQ(UnitsToPixels(-8), -1) << "halves round away from zero on both sides";
    EXPECT_EQ(UnitsToPixels(22), 1);
    EXPECT_EQ(UnitsToPixels(23), 2);
    // The ends of the range neither wrap nor overflow.
    EXPECT_EQ(PixelsToUnits(INT32_MAX), INT32_MAX);
    EXPECT_EQ(PixelsToUnits(INT32_MIN), INT32_MIN);
    EXPECT_EQ(UnitsToPixels(INT32_MIN), -(int64_t(INT32_MAX) + 1 + 7) / 15);
    EXPECT_EQ(UnitsToPixels(INT32_MAX), (int64_t(INT32_MAX) + 7) / 15);
}

TEST(LayoutRobustness, DeepNestingStopsBoxesInsteadOfTheStack) {
    Page p;
    NodeIndex node = p.body;
    std::vector<NodeIndex> chain;
    for (int i = 0; i < 20000; ++i) {
        node = p.El(node, i % 3 == 0 ? "DIV" : i % 3 == 1 ? "SPAN" : "BUTTON");
        chain.push_back(node);
    }
    p.Text(node, u"deep");
    p.Layout();
    EXPECT_TRUE(p.layout.BoxOf(chain[100]).hasBox);
    EXPECT_FALSE(p.layout.BoxOf(chain.back()).hasBox);
    EXPECT_TRUE(p.layout.HitTest(Point{10, 10}).has_value());
}

TEST(LayoutRobustness, HugeSizesNeverOverflowTheCoordinates) {
    Page p;
    NodeIndex column = p.El(p.body, "DIV", {{"style", "width: 10px"}});
    for (int i = 0; i < 3000; ++i)
        p.El(column, "IMG",
             {{"width", "99999999999"}, {"height", "2000000"}, {"style", "margin-top: 1e7px"}});
    NodeIndex table = p.El(p.body, "TABLE", {{"cellspacing", "100000"}});
    NodeIndex row = p.El(table, "TR");
    for (int i = 0; i < 300; ++i)
        p.El(row, "TD", {{"colspan", "1000"}});
    NodeIndex last = p.El(p.body, "P", u"end");
    p.Layout();
    // Everything stacks downwards and rightwards up to a limit and stays
    // there; no box turns inside out.
    EXPECT_GT(p.R(column).Height(), 0);
    EXPECT_GE(p.R(last).top, p.R(table).top);
    EXPECT_GT(p.layout.ContentSize().height, 0);
    EXPECT_GT(p.layout.ContentSize().width, 0);
    for (NodeIndex i = 0; i < p.tree.Count(); ++i) {
        const Rect& r = p.layout.BoxOf(i).border;
        ASSERT_LE(r.left, r.right) << i;
        ASSERT_LE(r.top, r.bottom) << i;
        ASSERT_LT(r.bottom, INT32_MAX / 2) << i;
    }
}

} // namespace
} // namespace browser::layout

TEST(LayoutFrames, ExcessiveFrameSizesAreCappedNotDropped) {
    // A size beyond any screen takes all it can; dropped, it would act as "1*".
    using browser::layout::SplitFrameSizes;
    std::vector<int32_t> sizes = SplitFrameSizes("4294967227*,*", 1000);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_GE(sizes[0], 999);
    EXPECT_EQ(sizes[0] + sizes[1], 1000);
    EXPECT_EQ(SplitFrameSizes("1e400*,*", 1000), sizes) << "out of range of a double";
    EXPECT_EQ(SplitFrameSizes("4294967227,*", 800), (std::vector<int32_t>{800, 0}));
    EXPECT_EQ(SplitFrameSizes("4294967227%,*", 800), (std::vector<int32_t>{800, 0}));
    EXPECT_EQ(SplitFrameSizes("-4294967227*,*", 600), (std::vector<int32_t>{0, 600}));
}

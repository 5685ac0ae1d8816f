#include "platform/browser/layout/internal/LayoutBuilder.h"

namespace browser::layout {

using namespace metrics;

void Builder::MeasureFlow(NodeIndex parent, Measure& m, bool pre) {
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
                    while (end < text.size() && text[end] != u'\n' && (pre || !IsSpace(text[end])))
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
            m.widest = std::max(m.widest,
                                Clamped(int64_t(PreferredWidth(c)) + margin.left + margin.right));
        }
    }
}

// The preferred width of a block-level element's border box.
int32_t Builder::PreferredWidth(NodeIndex i) {
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
int32_t Builder::TablePreferredWidth(NodeIndex t) {
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

void Builder::CollectRows(NodeIndex table, std::vector<NodeIndex>& rows) const {
    for (NodeIndex c = m_first[table]; c != SourceTree::kNoParent; c = m_next[c]) {
        if (!IsElement(c) || m_display[c] == Display::None)
            continue;
        if (N(c).tag == "TR")
            rows.push_back(c);
        else if (IsAnyOf(N(c).tag, {"TBODY", "THEAD", "TFOOT"}))
            CollectRows(c, rows);
    }
}

int32_t Builder::LayoutTable(NodeIndex t, int32_t x, int32_t y, int32_t available) {
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
    int32_t chrome = Clamped(int64_t(bd.left) + bd.right + int64_t(spacing) * int64_t(columns + 1));
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
    int32_t contentBottom = rows.empty()
                                ? y + bd.top + spacing
                                : rowTop[rows.size() - 1] + rowHeight[rows.size() - 1] + spacing;
    B(t).border.bottom = contentBottom + bd.bottom;
    if (auto h = Attr(t, "height"); h && BoundedLength(*h))
        B(t).border.bottom = std::max(B(t).border.bottom, y + *BoundedLength(*h));
    m_cellPadding = savedPadding;
    m_cellBorder = savedBorder;
    return B(t).border.bottom;
}

} // namespace browser::layout

#include "platform/browser/layout/internal/LayoutBuilder.h"

#include <charconv>
#include <cmath>

namespace browser::layout {

using namespace metrics;

void Builder::LayoutFrameSet(NodeIndex fs, Rect area) {
    SetBox(fs, area);
    int32_t border = IntAttr(fs, "border", 0);
    auto rowsSpec = Attr(fs, "rows").value_or("100%");
    auto colsSpec = Attr(fs, "cols").value_or("100%");
    std::vector<int32_t> rows = SplitFrameSizes(rowsSpec, area.Height());
    std::vector<int32_t> cols = SplitFrameSizes(colsSpec, area.Width());
    size_t slot = 0, total = rows.size() * cols.size();
    std::vector<int32_t> colLeft(cols.size(), area.left);
    for (size_t k = 1; k < cols.size(); ++k)
        colLeft[k] = colLeft[k - 1] + cols[k - 1];
    std::vector<int32_t> rowTop(rows.size(), area.top);
    for (size_t k = 1; k < rows.size(); ++k)
        rowTop[k] = rowTop[k - 1] + rows[k - 1];
    for (NodeIndex c = m_first[fs]; c != SourceTree::kNoParent; c = m_next[c]) {
        if (!IsElement(c) || m_display[c] == Display::None)
            continue;
        if (N(c).tag != "FRAME" && N(c).tag != "FRAMESET")
            continue;
        if (slot >= total)
            break; // frames beyond the grid get no box
        size_t r = slot / cols.size(), k = slot % cols.size();
        ++slot;
        // The frame border is shared: each frame gives up half on inner sides.
        Rect cell = Rect::FromSize(colLeft[k], rowTop[r], cols[k], rows[r]);
        if (k > 0)
            cell.left += border - border / 2;
        if (k + 1 < cols.size())
            cell.right -= border / 2;
        if (r > 0)
            cell.top += border - border / 2;
        if (r + 1 < rows.size())
            cell.bottom -= border / 2;
        if (N(c).tag == "FRAMESET")
            LayoutFrameSet(c, cell);
        else
            SetBox(c, cell);
    }
}

void Builder::RunFrameSetRoot(NodeIndex fs) {
    LayoutFrameSet(fs, Rect::FromSize(0, 0, m_out.m_viewport.width, m_out.m_viewport.height));
}

bool Builder::HasFrameSetBody(NodeIndex& fs) const {
    for (NodeIndex root : m_roots)
        for (NodeIndex c = m_first[root]; c != SourceTree::kNoParent; c = m_next[c])
            if (IsElement(c) && m_display[c] == Display::FrameSet) {
                fs = c;
                return true;
            }
    return false;
}

void Builder::RunFrameSetDocument(NodeIndex fs) {
    for (NodeIndex root : m_roots)
        SetBox(root, Rect::FromSize(0, 0, m_out.m_viewport.width, m_out.m_viewport.height));
    RunFrameSetRoot(fs);
    m_out.m_contentSize = m_out.m_viewport;
    ComputeOffsets();
}

namespace {

// Frameset sizes beyond this are taken as this: an excessive size takes all
// it can instead of being dropped.
constexpr int64_t kMaxFrameSizeValue = 10000000;

// The number a frameset size starts with, capped; nullopt when there is none.
std::optional<int64_t> FrameSizeValue(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    double number = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc::result_out_of_range)
        return kMaxFrameSizeValue; // beyond any size: capped
    if (ec != std::errc() || std::isnan(number))
        return std::nullopt;
    return int64_t(std::llround(std::clamp(number, 0.0, double(kMaxFrameSizeValue))));
}

} // namespace

std::vector<int32_t> SplitFrameSizes(std::string_view spec, int32_t total) {
    struct Part {
        enum { Pixels, Percent, Star } kind;
        int64_t value;
    };
    std::vector<Part> parts;
    while (true) {
        size_t comma = spec.find(',');
        std::string_view item = spec.substr(0, comma);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        if (!item.empty() && item.back() == '*') {
            auto n = FrameSizeValue(item.substr(0, item.size() - 1));
            parts.push_back(Part{Part::Star, item.size() == 1 ? 1 : n.value_or(1)});
        } else if (!item.empty() && item.back() == '%') {
            parts.push_back(
                Part{Part::Percent, FrameSizeValue(item.substr(0, item.size() - 1)).value_or(0)});
        } else {
            parts.push_back(Part{Part::Pixels, FrameSizeValue(item).value_or(0)});
        }
        if (comma == std::string_view::npos)
            break;
        spec = spec.substr(comma + 1);
    }
    total = std::max(0, total);
    std::vector<int32_t> sizes(parts.size(), 0);
    int64_t used = 0, stars = 0;
    for (size_t k = 0; k < parts.size(); ++k) {
        if (parts[k].kind == Part::Pixels)
            sizes[k] = int32_t(std::min<int64_t>(parts[k].value, total));
        else if (parts[k].kind == Part::Percent)
            sizes[k] = int32_t(std::min<int64_t>(parts[k].value * total / 100, total));
        else
            stars += parts[k].value;
        used += sizes[k];
    }
    int64_t left = total - used;
    if (left > 0 && stars > 0) {
        int64_t given = 0;
        size_t lastStar = 0;
        for (size_t k = 0; k < parts.size(); ++k)
            if (parts[k].kind == Part::Star) {
                sizes[k] = int32_t(left * parts[k].value / stars);
                given += sizes[k];
                lastStar = k;
            }
        sizes[lastStar] += int32_t(left - given);
    } else if (left != 0 && !parts.empty()) {
        // Without "*", fixed sizes are scaled so that the frames fill the area.
        int64_t sum = used > 0 ? used : 1;
        int64_t given = 0;
        for (size_t k = 0; k < parts.size(); ++k) {
            sizes[k] = int32_t(int64_t(sizes[k]) * total / sum);
            given += sizes[k];
        }
        sizes.back() += int32_t(total - given);
    }
    return sizes;
}

} // namespace browser::layout

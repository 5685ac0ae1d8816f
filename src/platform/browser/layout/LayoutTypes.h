// Geometry and fixed metrics of the simulated browser's layout.
//
// Every length is a whole pixel. Layout units ("twips") exist only for the
// callers that speak them (scroll views): one pixel is kUnitsPerPixel units.
#pragma once

#include <cstdint>

namespace browser::layout {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Widths of the four sides of a border, margin or padding.
struct Edges {
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t left = 0;
    friend bool operator==(const Edges&, const Edges&) = default;
};

// A rectangle in the window convention: right and bottom are exclusive.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    static constexpr Rect FromSize(int32_t x, int32_t y, int32_t width, int32_t height) {
        return Rect{x, y, x + width, y + height};
    }
    constexpr int32_t Width() const { return right - left; }
    constexpr int32_t Height() const { return bottom - top; }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr Rect Moved(int32_t dx, int32_t dy) const {
        return Rect{left + dx, top + dy, right + dx, bottom + dy};
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Layout units per pixel, as the platform's device context reports them.
constexpr int32_t kUnitsPerPixel = 15;

// Saturates at the ends of the 32-bit range rather than wrapping.
constexpr int32_t PixelsToUnits(int32_t pixels) {
    int64_t units = int64_t(pixels) * kUnitsPerPixel;
    return units > INT32_MAX ? INT32_MAX : units < INT32_MIN ? INT32_MIN : int32_t(units);
}

// Rounds to the nearest whole pixel, halves away from zero.
constexpr int32_t UnitsToPixels(int32_t units) {
    int64_t u = units;
    return int32_t(u >= 0 ? (u + kUnitsPerPixel / 2) / kUnitsPerPixel
                          : -((-u + kUnitsPerPixel / 2) / kUnitsPerPixel));
}

// The fixed metrics that make layout deterministic.
namespace metrics {
constexpr int32_t kCharWidth = 8;        // every character, every font
constexpr int32_t kLineHeight = 16;      // every line of text
constexpr int32_t kBodyMargin = 8;       // around BODY
constexpr int32_t kBlockMargin = 16;     // above and below P, H1-H6, UL, OL, PRE, BLOCKQUOTE
constexpr int32_t kListIndent = 40;      // UL, OL, BLOCKQUOTE, DD indent
constexpr int32_t kImageSize = 24;       // IMG without width/height
constexpr int32_t kControlHeight = 22;   // one-line form controls
constexpr int32_t kControlPadding = 4;   // text field chrome (2 px border each side)
constexpr int32_t kButtonPadding = 12;   // button chrome beside its label
constexpr int32_t kCheckSize = 13;       // check box and radio button
constexpr int32_t kDropDownArrow = 20;   // drop-down list button
constexpr int32_t kDefaultTextSize = 20; // characters of a text field without size
constexpr int32_t kDefaultTextAreaCols = 20;
constexpr int32_t kDefaultTextAreaRows = 2;
constexpr int32_t kDefaultListRows = 4; // multiple-selection list without size
constexpr int32_t kIFrameWidth = 300;   // IFRAME, OBJECT, EMBED without width
constexpr int32_t kIFrameHeight = 150;  // ... without height
constexpr int32_t kHrHeight = 2;
constexpr int32_t kXulButtonHeight = 24;
constexpr int32_t kXulTextBoxWidth = 200;
} // namespace metrics

} // namespace browser::layout

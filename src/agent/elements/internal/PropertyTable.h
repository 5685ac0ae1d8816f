#pragma once
// The lookup shared by the property tables of the element classes: a name
// looked up with position -1, or the entry at a position, whose name is then
// written back.

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace element_internal {

// What a class's own table says about a query.
struct TableHit {
    int index = -1;  // the entry of the own table, -1 when it is not one
    int passOn = -1; // the position to pass to the base class, -1 by name
};

template <size_t N>
TableHit FindProperty(const std::array<std::string_view, N>& table, std::string& name,
                      int position) {
    if (position < 0) {
        auto it = std::find(table.begin(), table.end(), name);
        if (it == table.end()) {
            return TableHit{-1, -1};
        }
        return TableHit{static_cast<int>(it - table.begin()), -1};
    }
    if (static_cast<size_t>(position) < N) {
        name = table[static_cast<size_t>(position)];
        return TableHit{position, -1};
    }
    return TableHit{-1, position - static_cast<int>(N)};
}

} // namespace element_internal

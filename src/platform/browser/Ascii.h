// ASCII case helpers shared by every part of the simulated browser. HTML tag,
// attribute, scheme and style names compare case-insensitively only in the
// ASCII range; other characters are left as they are.
//
//     AsciiLower("Text/HTML");              // "text/html"
//     EqualsIgnoringAsciiCase(u"DIV", u"div"); // true
#pragma once

#include <string>
#include <string_view>

namespace browser {

template <class Char> constexpr Char AsciiLowerChar(Char c) {
    return c >= Char('A') && c <= Char('Z') ? Char(c - Char('A') + Char('a')) : c;
}

template <class Char> constexpr Char AsciiUpperChar(Char c) {
    return c >= Char('a') && c <= Char('z') ? Char(c - Char('a') + Char('A')) : c;
}

inline std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = AsciiLowerChar(c);
    return out;
}

inline std::u16string AsciiLower(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        c = AsciiLowerChar(c);
    return out;
}

inline std::u16string AsciiUpper(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        c = AsciiUpperChar(c);
    return out;
}

template <class Char>
constexpr bool EqualsIgnoringAsciiCase(std::basic_string_view<Char> a,
                                       std::basic_string_view<Char> b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLowerChar(a[i]) != AsciiLowerChar(b[i]))
            return false;
    return true;
}

inline bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    return EqualsIgnoringAsciiCase<char16_t>(a, b);
}

} // namespace browser

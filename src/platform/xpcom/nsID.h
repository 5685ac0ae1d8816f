// Interface and class identifiers: 128-bit values with the registry string
// form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct nsID {
    uint32_t m0 = 0;
    uint16_t m1 = 0;
    uint16_t m2 = 0;
    std::array<uint8_t, 8> m3{};

    constexpr bool Equals(const nsID& other) const {
        return m0 == other.m0 && m1 == other.m1 && m2 == other.m2 && m3 == other.m3;
    }
    constexpr bool operator==(const nsID& other) const { return Equals(other); }
    constexpr auto operator<=>(const nsID& other) const = default;

    // Upper-case registry form with braces.
    std::string ToString() const;
    // Accepts the registry form with or without braces, in either case.
    static std::optional<nsID> Parse(std::string_view text);
};

using nsIID = nsID;
using nsCID = nsID;

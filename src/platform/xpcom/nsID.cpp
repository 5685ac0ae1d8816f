#include "platform/xpcom/nsID.h"

#include <cstdio>

std::string nsID::ToString() const {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", m0,
                  m1, m2, m3[0], m3[1], m3[2], m3[3], m3[4], m3[5], m3[6], m3[7]);
    return buffer;
}

namespace {

std::optional<uint32_t> ParseHex(std::string_view text) {
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

} // namespace

std::optional<nsID> nsID::Parse(std::string_view text) {
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}')
            return std::nullopt;
        text = text.substr(1, 36);
    }
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' ||
        text[23] != '-')
        return std::nullopt;
    auto a = ParseHex(text.substr(0, 8));
    auto b = ParseHex(text.substr(9, 4));
    auto c = ParseHex(text.substr(14, 4));
    if (!a || !b || !c)
        return std::nullopt;
    nsID id;
    id.m0 = *a;
    id.m1 = static_cast<uint16_t>(*b);
    id.m2 = static_cast<uint16_t>(*c);
    std::string_view tail[8] = {text.substr(19, 2), text.substr(21, 2), text.substr(24, 2),
                                text.substr(26, 2), text.substr(28, 2), text.substr(30, 2),
                                text.substr(32, 2), text.substr(34, 2)};
    for (int i = 0; i < 8; ++i) {
        auto byte = ParseHex(tail[i]);
        if (!byte || tail[i].size() != 2)
            return std::nullopt;
        id.m3[i] = static_cast<uint8_t>(*byte);
    }
    return id;
}

// The console's JSON form of records, and the hexadecimal form of raw bytes.
//
//     {"msg": 15, "id": [5, -1, -1, -1], "webinfo": 7, "ret": 0,
//      "attrs": [["class", "html_link"], ["index", 2],
//                ["rect", {"type": 4, "status": 0, "items": [{"t": 4, "v": [0, 0, 10, 10]}]}]]}
//
// A value is written as a JSON string (one string element), a JSON integer
// (one integer element) or the full form {"type", "status", "items"}, whose
// items are {"t": 2, "v": "text"}, {"t": 3, "v": 5}, {"t": 4, "v": [l, t, r, b]},
// {"t": 5, "v": [x, y]}, {"t": 6, "v": [a, b, c, d]} or {"t": N} for a code
// without payload. The full form is taken exactly as written (mixed element
// types, a status with elements), so any record the wire carries can be
// written; RecordToJson always writes it, and reading what it wrote gives the
// record back.
//
// JSON text is UTF-8; the record's strings are in the system code page. Every
// byte of the code page has a character, so records print without loss; a
// character the code page lacks is refused on the way in.
#pragma once

#include "agent/channel/CWebInfo.h"

#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// What went wrong while reading JSON into a record; empty when nothing did.
struct [[nodiscard]] JsonResult {
    std::string error;

    bool Succeeded() const { return error.empty(); }
    explicit operator bool() const { return Succeeded(); }
    static JsonResult Fail(std::string message) { return {std::move(message)}; }
};

// Resolves the names an "id" may be given as ("browser", "page", "last");
// nothing, with the reason in error, when the name stands for no object now.
using IdNameResolver =
    std::function<std::optional<CWebRunTimeID>(std::string_view name, std::string& error)>;

nlohmann::json RunTimeIDToJson(const CWebRunTimeID& id);
nlohmann::json ValueToJson(const CWebVariantList& value);
// {"msg", "id", "webinfo", "ret", "attrs"}, every value in the full form, ret
// as the unsigned number of its 32-bit pattern.
nlohmann::json RecordToJson(const CWebInfo& record);

// Four integers, or a name the resolver knows (none given: names are refused).
JsonResult RunTimeIDFromJson(const nlohmann::json& json, CWebRunTimeID& out,
                             const IdNameResolver& names = {});
JsonResult ValueFromJson(const nlohmann::json& json, CWebVariantList& out);
// "msg" is required; "id" (default: no object), "webinfo" (default 0), "ret"
// (default 0; signed or unsigned 32-bit, or a "0x..." string) and "attrs"
// (default none) are optional. Other keys are refused, so a misspelt key is
// reported instead of being ignored.
JsonResult RecordFromJson(const nlohmann::json& json, CWebInfo& out,
                          const IdNameResolver& names = {});

// Narrow strings of the system code page to UTF-8 and back; false when the
// text is not UTF-8 or has a character the code page cannot hold.
std::string Utf8FromAnsi(std::string_view text);
bool AnsiFromUtf8(std::string_view text, std::string& out);

std::string HexFromBytes(std::span<const uint8_t> bytes);
// Pairs of hexadecimal digits (either case); blanks between bytes are allowed.
bool BytesFromHex(std::string_view hex, std::vector<uint8_t>& out);

} // namespace cli

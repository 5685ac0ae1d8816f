// One line of a console script: a request, raw bytes, or a simulated user's
// action, read from its JSON form.
//
//     {"msg": 1, "id": "browser"}
//     {"raw": "24000000..."}
//     {"user": "click", "on": "last"}
//     {"tree": "browser"}
//
// Blank lines and lines starting with "#" are comments.
#pragma once

#include "cli/BrowserStart.h"
#include "cli/RecordJson.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cli {

struct CommentLine {};
struct RawLine {
    std::vector<uint8_t> bytes;
};
// {"tree": ID}: print the test-object tree below an object.
struct TreeLine {
    CWebRunTimeID id;
};
using ScriptLine = std::variant<CommentLine, CWebInfo, RawLine, UserAction, TreeLine>;

// Reads a line; on failure error names what is wrong. Ids given by name are
// resolved through names.
[[nodiscard]] bool ParseScriptLine(std::string_view text, const IdNameResolver& names,
                                   ScriptLine& out, std::string& error);

} // namespace cli

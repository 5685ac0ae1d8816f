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
#include "cli/ObjectAddress.h"
#include "cli/RecordJson.h"

#include <functional>
#include <optional>
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
// {"state": "page"}: print the page's address and the state of its fields.
struct StateLine {};
using ScriptLine = std::variant<CommentLine, CWebInfo, RawLine, UserAction, TreeLine, StateLine>;

// Reads a line; on failure error names what is wrong. Ids given by name are
// resolved through names.
[[nodiscard]] bool ParseScriptLine(std::string_view text, const IdNameResolver& names,
                                   ScriptLine& out, std::string& error);

// What a line may refer to besides names: objects by address (a request's
// "id", an action's "on"), and values of the previous reply ({"from": NAME}
// as an attribute's value).
struct LineReferences {
    IdNameResolver names;
    std::function<std::optional<CWebRunTimeID>(const ObjectAddress&, std::string& error)> addresses;
    std::function<std::optional<CWebVariantList>(std::string_view name, std::string& error)>
        replyValues;
};
// As above; address is set when the line named its object by address.
[[nodiscard]] bool ParseScriptLine(std::string_view text, const LineReferences& references,
                                   ScriptLine& out, std::optional<ObjectAddress>& address,
                                   std::string& error);

} // namespace cli

#include "cli/ScriptLine.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <vector>

namespace cli {

using nlohmann::json;

namespace {

struct ActionName {
    std::string_view name;
    UserAction::Kind kind;
};

constexpr std::array kActions = {
    ActionName{"click", UserAction::Kind::Click},
    ActionName{"dblclick", UserAction::Kind::DoubleClick},
    ActionName{"rclick", UserAction::Kind::RightClick},
    ActionName{"move", UserAction::Kind::Move},
    ActionName{"type", UserAction::Kind::Type},
    ActionName{"key", UserAction::Kind::Key},
    ActionName{"choose", UserAction::Kind::Choose},
    ActionName{"toolbar", UserAction::Kind::Toolbar},
    ActionName{"history", UserAction::Kind::History},
    ActionName{"urlbar", UserAction::Kind::UrlBar},
    ActionName{"navigate", UserAction::Kind::Navigate},
    ActionName{"wait", UserAction::Kind::Wait},
};

constexpr std::array<std::string_view, 2> kKeys = {"Tab", "Enter"};
constexpr std::array<std::string_view, 5> kButtons = {"Back", "Forward", "Reload", "Stop", "Home"};

bool IsPointer(UserAction::Kind kind) {
    return kind == UserAction::Kind::Click || kind == UserAction::Kind::DoubleClick ||
           kind == UserAction::Kind::RightClick || kind == UserAction::Kind::Move;
}

template <size_t N> std::string OneOf(const std::array<std::string_view, N>& names) {
    std::string out;
    for (size_t i = 0; i < N; ++i) {
        out += (i == 0 ? "" : i + 1 == N ? " or " : ", ");
        out += '"';
        out += names[i];
        out += '"';
    }
    return out;
}

bool ReadText(const json& line, const char* key, std::string& out, std::string& error) {
    if (!line.contains(key) || !line[key].is_string()) {
        error = std::string("needs a string \"") + key + "\"";
        return false;
    }
    if (line[key].get_ref<const std::string&>().find('\0') != std::string::npos ||
        !AnsiFromUtf8(line[key].get_ref<const std::string&>(), out)) {
        error = std::string("\"") + key +
                "\" holds a character the system code page (Windows-1252) cannot carry";
        return false;
    }
    return true;
}

bool ParseAction(const json& line, const IdNameResolver& names, UserAction& action,
                 std::string& error) {
    const json& user = line["user"];
    std::string kindName = user.is_string() ? user.get<std::string>() : std::string();
    const ActionName* found = nullptr;
    for (const ActionName& candidate : kActions) {
        if (candidate.name == kindName) {
            found = &candidate;
        }
    }
    if (!found) {
        error = "unknown user action" + (user.is_string() ? " \"" + kindName + "\"" : "") +
                " (click, dblclick, rclick, move, type, key, choose, toolbar, history, urlbar, "
                "navigate or wait)";
        return false;
    }
    action = UserAction();
    action.kind = found->kind;
    std::string prefix = "\"" + kindName + "\" ";

    // Every action names the keys it takes; others are refused.
    std::vector<std::string_view> allowed{"user"};
    switch (action.kind) {
    case UserAction::Kind::Click:
    case UserAction::Kind::DoubleClick:
    case UserAction::Kind::RightClick:
    case UserAction::Kind::Move:
        allowed.insert(allowed.end(), {"at", "on"});
        break;
    case UserAction::Kind::Type:
    case UserAction::Kind::UrlBar:
        allowed.push_back("text");
        break;
    case UserAction::Kind::Key:
        allowed.push_back("key");
        break;
    case UserAction::Kind::Choose:
        allowed.insert(allowed.end(), {"on", "items"});
        break;
    case UserAction::Kind::Toolbar:
        allowed.push_back("button");
        break;
    case UserAction::Kind::History:
        allowed.push_back("label");
        break;
    case UserAction::Kind::Navigate:
        allowed.push_back("url");
        break;
    case UserAction::Kind::Wait:
        break;
    }
    for (const auto& item : line.items()) {
        if (std::find(allowed.begin(), allowed.end(), item.key()) == allowed.end()) {
            error = prefix + "takes no key \"" + item.key() + "\"";
            return false;
        }
    }

    if (line.contains("on")) {
        CWebRunTimeID id;
        if (auto read = RunTimeIDFromJson(line["on"], id, names); !read) {
            error = prefix + "\"on\": " + read.error;
            return false;
        }
        action.on = id;
    }
    if (line.contains("at")) {
        const json& at = line["at"];
        bool ok = at.is_array() && at.size() == 2;
        std::array<int64_t, 2> v{};
        for (size_t i = 0; ok && i < 2; ++i) {
            ok = at[i].is_number_integer() && at[i].get<int64_t>() >= INT32_MIN &&
                 at[i].get<int64_t>() <= INT32_MAX;
            v[i] = ok ? at[i].get<int64_t>() : 0;
        }
        if (!ok) {
            error = prefix + "needs \"at\" as [x, y]";
            return false;
        }
        action.at = POINT{static_cast<LONG>(v[0]), static_cast<LONG>(v[1])};
    }
    if (IsPointer(action.kind) && !action.at && !action.on) {
        error = prefix + "needs \"at\": [x, y] or \"on\": ID";
        return false;
    }

    switch (action.kind) {
    case UserAction::Kind::Type:
    case UserAction::Kind::UrlBar:
    case UserAction::Kind::History:
    case UserAction::Kind::Navigate: {
        const char* key = action.kind == UserAction::Kind::History    ? "label"
                          : action.kind == UserAction::Kind::Navigate ? "url"
                                                                      : "text";
        if (!ReadText(line, key, action.text, error)) {
            error = prefix + error;
            return false;
        }
        break;
    }
    case UserAction::Kind::Key:
        if (!ReadText(line, "key", action.text, error) ||
            std::find(kKeys.begin(), kKeys.end(), action.text) == kKeys.end()) {
            error = prefix + "needs \"key\": " + OneOf(kKeys);
            return false;
        }
        break;
    case UserAction::Kind::Toolbar:
        if (!ReadText(line, "button", action.text, error) ||
            std::find(kButtons.begin(), kButtons.end(), action.text) == kButtons.end()) {
            error = prefix + "needs \"button\": " + OneOf(kButtons);
            return false;
        }
        break;
    case UserAction::Kind::Choose: {
        if (!action.on) {
            error = prefix + "needs \"on\": ID";
            return false;
        }
        if (!line.contains("items") || !line["items"].is_array() || line["items"].empty()) {
            error = prefix + "needs \"items\": a list of item texts";
            return false;
        }
        for (const json& item : line["items"]) {
            std::string text;
            if (!item.is_string() || !AnsiFromUtf8(item.get_ref<const std::string&>(), text)) {
                error = prefix + "needs \"items\": a list of item texts";
                return false;
            }
            action.items.push_back(std::move(text));
        }
        break;
    }
    default:
        break;
    }
    return true;
}

// Parses a line as JSON; on failure error says why. Besides what the JSON
// parser refuses, a key that appears twice in one object is refused (the
// parser would silently keep the last one).
bool ParseJsonLine(std::string_view text, json& line, std::string& error) {
    std::vector<std::vector<std::string>> keys; // the keys of each open object
    std::string duplicate;
    json::parser_callback_t watchKeys = [&](int, json::parse_event_t event, json& parsed) {
        switch (event) {
        case json::parse_event_t::object_start:
            keys.emplace_back();
            break;
        case json::parse_event_t::object_end:
            if (!keys.empty()) {
                keys.pop_back();
            }
            break;
        case json::parse_event_t::key:
            if (!keys.empty() && parsed.is_string()) {
                const auto& key = parsed.get_ref<const std::string&>();
                if (std::find(keys.back().begin(), keys.back().end(), key) != keys.back().end()) {
                    if (duplicate.empty()) {
                        duplicate = key;
                    }
                } else {
                    keys.back().push_back(key);
                }
            }
            break;
        default:
            break;
        }
        return true;
    };
    try {
        line = json::parse(text, watchKeys);
    } catch (const json::exception& e) {
        // Syntax errors, and numbers no type can hold (1e400): the parser's
        // own account without its exception label.
        std::string what = e.what();
        auto cut = what.find("] ");
        error = "not valid JSON: " + (cut == std::string::npos ? what : what.substr(cut + 2));
        return false;
    }
    if (!duplicate.empty()) {
        error = "the key \"" + duplicate + "\" appears twice in one object";
        return false;
    }
    return true;
}

// Replaces an address under `key` by the identifier it resolves to.
bool ResolveAddressKey(json& line, const char* key, const LineReferences& references,
                       std::optional<ObjectAddress>& address, std::string& error) {
    if (!line.contains(key) || !IsAddressJson(line[key])) {
        return true;
    }
    ObjectAddress read;
    if (auto parsed = AddressFromJson(line[key], read); !parsed) {
        error = std::string("\"") + key + "\": " + parsed.error;
        return false;
    }
    if (!references.addresses) {
        error = std::string("\"") + key + "\": addresses cannot be resolved here";
        return false;
    }
    std::optional<CWebRunTimeID> id = references.addresses(read, error);
    if (!id) {
        return false;
    }
    line[key] = RunTimeIDToJson(*id);
    address = std::move(read);
    return true;
}

// Replaces every attribute value {"from": NAME} by the previous reply's value.
bool ResolveReplyValues(json& line, const LineReferences& references, std::string& error) {
    if (!line.contains("attrs") || !line["attrs"].is_array()) {
        return true;
    }
    for (json& attr : line["attrs"]) {
        if (!attr.is_array() || attr.size() != 2 || !attr[1].is_object() ||
            !attr[1].contains("from")) {
            continue;
        }
        if (attr[1].size() != 1 || !attr[1]["from"].is_string()) {
            error = "a value taken from the previous reply is {\"from\": NAME}";
            return false;
        }
        std::string name;
        if (!AnsiFromUtf8(attr[1]["from"].get_ref<const std::string&>(), name)) {
            error = "\"from\" holds a character the system code page (Windows-1252) cannot carry";
            return false;
        }
        std::optional<CWebVariantList> value =
            references.replyValues ? references.replyValues(name, error) : std::nullopt;
        if (!value) {
            if (!references.replyValues) {
                error = "values of the previous reply cannot be used here";
            }
            return false;
        }
        attr[1] = ValueToJson(*value);
    }
    return true;
}

} // namespace

bool ParseScriptLine(std::string_view text, const IdNameResolver& names, ScriptLine& out,
                     std::string& error) {
    std::optional<ObjectAddress> address;
    return ParseScriptLine(text, LineReferences{names, {}, {}}, out, address, error);
}

bool ParseScriptLine(std::string_view text, const LineReferences& references, ScriptLine& out,
                     std::optional<ObjectAddress>& address, std::string& error) {
    const IdNameResolver& names = references.names;
    address.reset();
    // The JSON parser would take a NUL for the end of the line and drop the
    // rest unseen.
    if (auto nul = text.find('\0'); nul != std::string_view::npos) {
        error = "the line holds a NUL byte at column " + std::to_string(nul + 1);
        return false;
    }
    size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string_view::npos || text[start] == '#') {
        out = CommentLine{};
        return true;
    }
    json line;
    if (!ParseJsonLine(text, line, error)) {
        return false;
    }
    if (!line.is_object()) {
        error = "a line must be a JSON object: a request, {\"raw\": HEX} or {\"user\": ...}";
        return false;
    }
    if (line.contains("raw")) {
        if (line.size() != 1 || !line["raw"].is_string()) {
            error = "a raw line is {\"raw\": \"HEX\"} and nothing else";
            return false;
        }
        RawLine raw;
        if (!BytesFromHex(line["raw"].get_ref<const std::string&>(), raw.bytes)) {
            error = "\"raw\" must be pairs of hexadecimal digits";
            return false;
        }
        out = std::move(raw);
        return true;
    }
    if (line.contains("state")) {
        if (line.size() != 1 || line["state"] != "page") {
            error = "a state line is {\"state\": \"page\"} and nothing else";
            return false;
        }
        out = StateLine{};
        return true;
    }
    if (!ResolveAddressKey(line, line.contains("user") ? "on" : "id", references, address, error) ||
        !ResolveReplyValues(line, references, error)) {
        return false;
    }
    if (line.contains("tree")) {
        TreeLine tree;
        if (line.size() != 1) {
            error = "a tree line is {\"tree\": ID} and nothing else";
            return false;
        }
        if (JsonResult read = RunTimeIDFromJson(line["tree"], tree.id, names); !read) {
            error = "\"tree\": " + read.error;
            return false;
        }
        out = tree;
        return true;
    }
    if (line.contains("user")) {
        UserAction action;
        if (!ParseAction(line, names, action, error)) {
            return false;
        }
        action.makeVisible = address.has_value();
        out = std::move(action);
        return true;
    }
    CWebInfo request;
    if (auto read = RecordFromJson(line, request, names); !read) {
        error = read.error;
        return false;
    }
    // Names in a script are words of the protocol: a control character in one
    // is a slip of the script. (Records read from the wire may hold any name,
    // and print and read back as they are.)
    for (size_t i = 0; i < request.GetAttrCount(); ++i) {
        const std::string& name = *request.GetAttrName(i);
        auto control = std::find_if(name.begin(), name.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7F;
        });
        if (control != name.end()) {
            error = "attribute " + std::to_string(i + 1) +
                    ": its name holds a control character at " +
                    std::to_string(control - name.begin() + 1);
            return false;
        }
    }
    out = std::move(request);
    return true;
}

} // namespace cli

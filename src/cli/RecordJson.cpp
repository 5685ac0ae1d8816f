#include "cli/RecordJson.h"

#include "platform/win32/WinNls.h"

#include <array>
#include <limits>

namespace cli {

using nlohmann::json;

namespace {

constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kUint32Max = std::numeric_limits<uint32_t>::max();

int HexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// A JSON integer within the 32-bit signed range.
bool ReadInt32(const json& value, int32_t& out) {
    if (!value.is_number_integer()) {
        return false;
    }
    if (value.is_number_unsigned()) {
        auto number = value.get<uint64_t>();
        if (number > static_cast<uint64_t>(kInt32Max)) {
            return false;
        }
        out = static_cast<int32_t>(number);
        return true;
    }
    auto number = value.get<int64_t>();
    if (number < kInt32Min || number > kInt32Max) {
        return false;
    }
    out = static_cast<int32_t>(number);
    return true;
}

// N integers of the 32-bit signed range.
template <size_t N> bool ReadInts(const json& value, std::array<int32_t, N>& out) {
    if (!value.is_array() || value.size() != N) {
        return false;
    }
    for (size_t i = 0; i < N; ++i) {
        if (!ReadInt32(value[i], out[i])) {
            return false;
        }
    }
    return true;
}

// A result code as the unsigned number of its bit pattern, a negative number
// of the signed range, or a "0x..." string.
bool ReadResultCode(const json& value, nsresult& out) {
    if (value.is_string()) {
        const auto& text = value.get_ref<const std::string&>();
        if (text.size() < 3 || text.size() > 10 ||
            (text.compare(0, 2, "0x") != 0 && text.compare(0, 2, "0X") != 0)) {
            return false;
        }
        uint32_t number = 0;
        for (size_t i = 2; i < text.size(); ++i) {
            int digit = HexDigit(text[i]);
            if (digit < 0) {
                return false;
            }
            number = number * 16 + static_cast<uint32_t>(digit);
        }
        out = number;
        return true;
    }
    if (!value.is_number_integer()) {
        return false;
    }
    if (value.is_number_unsigned()) {
        auto number = value.get<uint64_t>();
        if (number > static_cast<uint64_t>(kUint32Max)) {
            return false;
        }
        out = static_cast<nsresult>(number);
        return true;
    }
    auto number = value.get<int64_t>();
    if (number < kInt32Min || number > kUint32Max) {
        return false;
    }
    out = static_cast<nsresult>(static_cast<uint32_t>(number));
    return true;
}

JsonResult ReadString(const json& value, std::string& out, std::string_view what) {
    if (!value.is_string()) {
        return JsonResult::Fail(std::string(what) + " must be a string");
    }
    const auto& text = value.get_ref<const std::string&>();
    if (text.find('\0') != std::string::npos) {
        return JsonResult::Fail(std::string(what) +
                                " holds a NUL character, which records cannot carry");
    }
    if (!AnsiFromUtf8(text, out)) {
        return JsonResult::Fail(std::string(what) +
                                " has a character the system code page (Windows-1252) cannot hold");
    }
    return {};
}

// Refuses keys other than the listed ones.
JsonResult CheckKeys(const json& object, std::initializer_list<std::string_view> keys,
                     std::string_view what) {
    for (const auto& item : object.items()) {
        bool known = false;
        for (std::string_view key : keys) {
            known = known || item.key() == key;
        }
        if (!known) {
            return JsonResult::Fail(std::string(what) + " has an unknown key \"" + item.key() +
                                    "\"");
        }
    }
    return {};
}

JsonResult ItemFromJson(const json& item, CWebVariant& out) {
    if (!item.is_object()) {
        return JsonResult::Fail("an item must be an object {\"t\": TYPE, \"v\": VALUE}");
    }
    if (auto checked = CheckKeys(item, {"t", "v"}, "an item"); !checked) {
        return checked;
    }
    int32_t type = 0;
    if (!item.contains("t") || !ReadInt32(item["t"], type)) {
        return JsonResult::Fail("an item needs an integer type \"t\"");
    }
    const json* value = item.contains("v") ? &item["v"] : nullptr;
    auto need = [&](const char* form) {
        return JsonResult::Fail("an item of type " + std::to_string(type) +
                                " needs \"v\": " + form);
    };
    switch (static_cast<WebVariantType>(type)) {
    case WebVariantType::String: {
        std::string text;
        if (!value) {
            return need("a string");
        }
        if (auto read = ReadString(*value, text, "a string item"); !read) {
            return read;
        }
        out = CWebVariant(std::string_view(text));
        return {};
    }
    case WebVariantType::Integer: {
        int32_t number = 0;
        if (!value || !ReadInt32(*value, number)) {
            return need("a 32-bit integer");
        }
        out = CWebVariant(number);
        return {};
    }
    case WebVariantType::Rect: {
        std::array<int32_t, 4> v{};
        if (!value || !ReadInts(*value, v)) {
            return need("[left, top, right, bottom]");
        }
        out = CWebVariant(RECT{v[0], v[1], v[2], v[3]});
        return {};
    }
    case WebVariantType::Pair: {
        std::array<int32_t, 2> v{};
        if (!value || !ReadInts(*value, v)) {
            return need("[first, second]");
        }
        out = CWebVariant(v[0], v[1]);
        return {};
    }
    case WebVariantType::RunTimeID: {
        std::array<int32_t, 4> v{};
        if (!value || !ReadInts(*value, v)) {
            return need("four integers");
        }
        out = CWebVariant(CWebRunTimeID(v[0], v[1], v[2], v[3]));
        return {};
    }
    default:
        if (value) {
            return JsonResult::Fail("an item of type " + std::to_string(type) +
                                    " carries no payload: leave out \"v\"");
        }
        out = CWebVariant::OfType(static_cast<WebVariantType>(type));
        return {};
    }
}

json ItemToJson(const CWebVariant& item) {
    json out = {{"t", static_cast<int32_t>(item.GetType())}};
    switch (item.GetType()) {
    case WebVariantType::String:
        out["v"] = Utf8FromAnsi(item.GetString());
        break;
    case WebVariantType::Integer:
        out["v"] = item.GetInteger();
        break;
    case WebVariantType::Rect: {
        const auto& v = item.GetInts();
        out["v"] = {v[0], v[1], v[2], v[3]};
        break;
    }
    case WebVariantType::Pair:
        out["v"] = {item.GetPairFirst(), item.GetPairSecond()};
        break;
    case WebVariantType::RunTimeID:
        out["v"] = RunTimeIDToJson(item.GetRunTimeID());
        break;
    default:
        break;
    }
    return out;
}

} // namespace

json RunTimeIDToJson(const CWebRunTimeID& id) {
    return json::array({id.First(), id.Second(), id.Third(), id.Fourth()});
}

json ValueToJson(const CWebVariantList& value) {
    json items = json::array();
    for (const CWebVariant& item : value.Elements()) {
        items.push_back(ItemToJson(item));
    }
    return {{"type", static_cast<int32_t>(value.GetType())},
            {"status", value.GetStatus()},
            {"items", std::move(items)}};
}

json RecordToJson(const CWebInfo& record) {
    json attrs = json::array();
    for (const CAttrPair& attr : record.Attrs()) {
        attrs.push_back(json::array({Utf8FromAnsi(attr.GetName()), ValueToJson(attr.GetValue())}));
    }
    return {{"msg", record.GetMsgId()},
            {"id", RunTimeIDToJson(record.GetRunTimeID())},
            {"webinfo", record.GetWebInfoId()},
            {"ret", static_cast<uint32_t>(record.GetRetValue())},
            {"attrs", std::move(attrs)}};
}

JsonResult RunTimeIDFromJson(const json& value, CWebRunTimeID& out, const IdNameResolver& names) {
    if (value.is_string()) {
        const auto& name = value.get_ref<const std::string&>();
        if (!names || (name != "browser" && name != "page" && name != "last")) {
            return JsonResult::Fail("unknown id name \"" + name +
                                    "\" (use four integers, \"browser\", \"page\" or \"last\")");
        }
        std::string error;
        auto resolved = names(name, error);
        if (!resolved) {
            return JsonResult::Fail("id \"" + name + "\": " + error);
        }
        out = *resolved;
        return {};
    }
    std::array<int32_t, 4> v{};
    if (!ReadInts(value, v)) {
        return JsonResult::Fail(
            "an id must be four 32-bit integers, \"browser\", \"page\" or \"last\"");
    }
    out = CWebRunTimeID(v[0], v[1], v[2], v[3]);
    return {};
}

JsonResult ValueFromJson(const json& value, CWebVariantList& out) {
    out.Clear();
    if (value.is_string()) {
        std::string text;
        if (auto read = ReadString(value, text, "a string value"); !read) {
            return read;
        }
        out.Set(std::string_view(text));
        return {};
    }
    if (value.is_number_integer()) {
        int32_t number = 0;
        if (!ReadInt32(value, number)) {
            return JsonResult::Fail("an integer value must fit in 32 bits");
        }
        out.Set(number);
        return {};
    }
    if (!value.is_object()) {
        return JsonResult::Fail("a value must be a string, an integer or "
                                "{\"type\": T, \"status\": S, \"items\": [...]}");
    }
    if (auto checked = CheckKeys(value, {"type", "status", "items"}, "a value"); !checked) {
        return checked;
    }
    int32_t type = 0;
    if (!value.contains("type") || !ReadInt32(value["type"], type)) {
        return JsonResult::Fail("a value in the full form needs an integer \"type\"");
    }
    int32_t status = 0;
    if (value.contains("status") && !ReadInt32(value["status"], status)) {
        return JsonResult::Fail("a value's \"status\" must be a 32-bit integer");
    }
    std::vector<CWebVariant> elements;
    if (value.contains("items")) {
        const json& items = value["items"];
        if (!items.is_array()) {
            return JsonResult::Fail("a value's \"items\" must be an array");
        }
        elements.reserve(items.size());
        for (size_t i = 0; i < items.size(); ++i) {
            CWebVariant item;
            if (auto read = ItemFromJson(items[i], item); !read) {
                return JsonResult::Fail("item " + std::to_string(i + 1) + ": " + read.error);
            }
            elements.push_back(std::move(item));
        }
    }
    out = CWebVariantList::FromWire(static_cast<WebVariantType>(type), status, std::move(elements));
    return {};
}

JsonResult RecordFromJson(const json& value, CWebInfo& out, const IdNameResolver& names) {
    out = CWebInfo();
    if (!value.is_object()) {
        return JsonResult::Fail("a request must be a JSON object");
    }
    if (auto checked = CheckKeys(value, {"msg", "id", "webinfo", "ret", "attrs"}, "the request");
        !checked) {
        return checked;
    }
    int32_t msg = 0;
    if (!value.contains("msg") || !ReadInt32(value["msg"], msg)) {
        return JsonResult::Fail("\"msg\" must be a 32-bit integer");
    }
    out.SetMsgId(msg);
    if (value.contains("id")) {
        CWebRunTimeID id;
        if (auto read = RunTimeIDFromJson(value["id"], id, names); !read) {
            return read;
        }
        out.SetRunTimeID(id);
    }
    if (value.contains("webinfo")) {
        int32_t number = 0;
        if (!ReadInt32(value["webinfo"], number)) {
            return JsonResult::Fail("\"webinfo\" must be a 32-bit integer");
        }
        out.SetWebInfoId(number);
    }
    if (value.contains("ret")) {
        nsresult code = 0;
        if (!ReadResultCode(value["ret"], code)) {
            return JsonResult::Fail("\"ret\" must be a 32-bit number or a \"0x...\" string");
        }
        out.SetRetValue(code);
    }
    if (value.contains("attrs")) {
        const json& attrs = value["attrs"];
        if (!attrs.is_array()) {
            return JsonResult::Fail("\"attrs\" must be an array of [NAME, VALUE]");
        }
        for (size_t i = 0; i < attrs.size(); ++i) {
            const json& attr = attrs[i];
            std::string where = "attribute " + std::to_string(i + 1);
            if (!attr.is_array() || attr.size() != 2) {
                return JsonResult::Fail(where + " must be [NAME, VALUE]");
            }
            std::string name;
            if (auto read = ReadString(attr[0], name, "its name"); !read) {
                return JsonResult::Fail(where + ": " + read.error);
            }
            CWebVariantList list;
            if (auto read = ValueFromJson(attr[1], list); !read) {
                return JsonResult::Fail(where + " (\"" + attr[0].get<std::string>() +
                                        "\"): " + read.error);
            }
            // Appended as written: duplicate names stay, in order.
            out.AppendAttr(name, list);
        }
    }
    return {};
}

std::string Utf8FromAnsi(std::string_view text) {
    std::u16string wide = WideFromAnsi(text);
    if (wide.empty()) {
        return {};
    }
    int length = static_cast<int>(wide.size());
    std::string out(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), length,
                                                            nullptr, 0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, out.data(), static_cast<int>(out.size()),
                        nullptr, nullptr);
    return out;
}

bool AnsiFromUtf8(std::string_view text, std::string& out) {
    out.clear();
    if (text.empty()) {
        return true;
    }
    int length = static_cast<int>(text.size());
    int wideLength =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (wideLength <= 0) {
        return false;
    }
    std::u16string wide(static_cast<size_t>(wideLength), u'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(),
                            wideLength) != wideLength) {
        return false;
    }
    BOOL usedDefault = FALSE;
    int narrowLength =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    out.assign(static_cast<size_t>(narrowLength), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, out.data(), narrowLength, nullptr,
                        &usedDefault);
    if (usedDefault) {
        out.clear();
        return false;
    }
    return true;
}

std::string HexFromBytes(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xF];
    }
    return out;
}

bool BytesFromHex(std::string_view hex, std::vector<uint8_t>& out) {
    out.clear();
    for (size_t i = 0; i < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        if (i + 1 >= hex.size()) {
            return false;
        }
        int high = HexDigit(hex[i]);
        int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        out.push_back(static_cast<uint8_t>(high * 16 + low));
        i += 2;
    }
    return true;
}

} // namespace cli

#include "agent/channel/WebInfoDump.h"

#include "agent/channel/CWebInfo.h"

#include <cstdio>

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        }
    }
    return out;
}

std::string Quoted(const std::string& text) {
    return "\"" + Escaped(text) + "\"";
}

std::string TypeName(WebVariantType type) {
    if (const char* label = WebVariantTypeLabel(type)) {
        return label;
    }
    return "type " + std::to_string(static_cast<int32_t>(type));
}

} // namespace

std::string DumpRunTimeID(const CWebRunTimeID& id) {
    return "(" + std::to_string(id.First()) + "," + std::to_string(id.Second()) + "," +
           std::to_string(id.Third()) + "," + std::to_string(id.Fourth()) + ")";
}

std::string DumpWebVariant(const CWebVariant& value) {
    const auto& ints = value.GetInts();
    switch (value.GetType()) {
    case WebVariantType::String:
        return Quoted(value.GetString());
    case WebVariantType::Integer:
        return std::to_string(ints[0]);
    case WebVariantType::Pair:
        return "(" + std::to_string(ints[0]) + "," + std::to_string(ints[1]) + ")";
    case WebVariantType::Rect:
        return "{" + std::to_string(ints[0]) + "," + std::to_string(ints[1]) + "," +
               std::to_string(ints[2]) + "," + std::to_string(ints[3]) + "}";
    case WebVariantType::RunTimeID:
        return DumpRunTimeID(value.GetRunTimeID());
    default:
        return TypeName(value.GetType());
    }
}

std::string DumpWebVariantList(const CWebVariantList& list) {
    std::string out = TypeName(list.GetType());
    if (list.IsStatus()) {
        out += " " + std::to_string(list.GetStatus());
    }
    // Elements whose type differs from the list's (as received) say so.
    out += " [";
    const char* separator = "";
    for (const CWebVariant& value : list.Elements()) {
        out += separator;
        if (value.GetType() != list.GetType() && value.GetType() != WebVariantType::None) {
            out += TypeName(value.GetType()) + " ";
        }
        out += DumpWebVariant(value);
        separator = ", ";
    }
    return out + "]";
}

std::string DumpWebInfo(const CWebInfo& info) {
    char header[96];
    std::snprintf(header, sizeof header, "RetValue=0x%08X MsgId=%d Id=", info.GetRetValue(),
                  info.GetMsgId());
    std::string out = header;
    out += DumpRunTimeID(info.GetRunTimeID()) +
           " WebInfoId=" + std::to_string(info.GetWebInfoId()) +
           " Attrs=" + std::to_string(info.GetAttrCount()) + "\n";
    for (const CAttrPair& attr : info.Attrs()) {
        out += "  " + Escaped(attr.GetName()) + ": " + DumpWebVariantList(attr.GetValue()) + "\n";
    }
    return out;
}

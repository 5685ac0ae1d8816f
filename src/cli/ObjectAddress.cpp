#include "cli/ObjectAddress.h"

#include "agent/common/AgentCodes.h"
#include "cli/Session.h"

#include <cstdio>
#include <vector>

namespace cli {

using nlohmann::json;
using nlohmann::ordered_json;

namespace {

std::string Hex(nsresult code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

std::string FrameText(const ObjectAddress& address) {
    switch (address.frame) {
    case ObjectAddress::Frame::Page:
        return "the page";
    case ObjectAddress::Frame::ByName:
        return "frame \"" + Utf8FromAnsi(address.frameKey) + "\"";
    case ObjectAddress::Frame::ByUrl:
        return "the frame showing \"" + Utf8FromAnsi(address.frameKey) + "\"";
    }
    return {};
}

std::optional<CWebRunTimeID> FirstIdOf(const CWebInfo& reply) {
    const CWebVariant* id = reply.FindFirstValue("id");
    if (reply.GetRetValue() != 0 || !id || id->GetType() != WebVariantType::RunTimeID) {
        return std::nullopt;
    }
    return id->GetRunTimeID();
}

// The frame the address names, among every frame of the first browser window.
std::optional<CWebRunTimeID> ResolveFrame(Session& session, const ObjectAddress& address,
                                          std::string& error) {
    const char* property = address.frame == ObjectAddress::Frame::ByName ? "name" : "url";
    std::vector<CWebRunTimeID> found;
    for (const CWebRunTimeID& frame : FramesOfFirstWindow(session)) {
        CWebInfo request;
        request.SetMsgId(ToInt(MsgId::GetProperties));
        request.SetRunTimeID(frame);
        request.AppendAttr(property, CWebVariantList());
        std::optional<CWebInfo> reply = session.AskAgent(std::move(request));
        const CWebVariant* value = reply ? reply->FindFirstValue(property) : nullptr;
        if (value && value->GetType() == WebVariantType::String &&
            value->GetString() == address.frameKey) {
            found.push_back(frame);
        }
    }
    if (found.size() == 1) {
        return found.front();
    }
    const std::string key = "\"" + Utf8FromAnsi(address.frameKey) + "\"";
    if (found.empty()) {
        error = address.frame == ObjectAddress::Frame::ByName ? "no frame is named " + key
                                                              : "no frame shows " + key;
    } else {
        error = std::to_string(found.size()) +
                (address.frame == ObjectAddress::Frame::ByName ? " frames are named "
                                                               : " frames show ") +
                key;
    }
    return std::nullopt;
}

} // namespace

std::vector<CWebRunTimeID> FramesOfFirstWindow(Session& session) {
    std::vector<CWebRunTimeID> frames;
    for (HWND window : session.FrameWindows(session.BrowserWindow())) {
        CWebInfo request;
        request.SetMsgId(ToInt(MsgId::IdOfWindow));
        request.AppendAttr(
            "handle", CWebVariantList(CWebVariant(static_cast<int32_t>(HandleToULong(window)))));
        std::optional<CWebInfo> reply = session.AskAgent(std::move(request));
        if (std::optional<CWebRunTimeID> frame = reply ? FirstIdOf(*reply) : std::nullopt) {
            frames.push_back(*frame);
        }
    }
    return frames;
}

ordered_json CompactValueToJson(const CWebVariantList& value) {
    const CWebVariant* first = value.GetAt(0);
    if (!value.IsStatus() && value.GetCount() == 1 && first) {
        if (first->GetType() == WebVariantType::String) {
            return Utf8FromAnsi(first->GetString());
        }
        if (first->GetType() == WebVariantType::Integer) {
            return first->GetInteger();
        }
    }
    return ordered_json::parse(ValueToJson(value).dump());
}

JsonResult AddressFromJson(const json& value, ObjectAddress& out) {
    out = ObjectAddress();
    if (!value.is_object()) {
        return JsonResult::Fail("an address is {\"frame\": ..., \"desc\": [[NAME, VALUE], ...]}");
    }
    for (const auto& item : value.items()) {
        if (item.key() != "frame" && item.key() != "desc") {
            return JsonResult::Fail("an address takes no key \"" + item.key() +
                                    "\" (\"frame\", \"desc\")");
        }
    }
    if (value.contains("frame")) {
        const json& frame = value["frame"];
        const json* key = nullptr;
        if (frame.is_string()) {
            out.frame = ObjectAddress::Frame::ByName;
            key = &frame;
        } else if (frame.is_object() && frame.size() == 1 && frame.contains("url") &&
                   frame["url"].is_string()) {
            out.frame = ObjectAddress::Frame::ByUrl;
            key = &frame["url"];
        } else {
            return JsonResult::Fail("\"frame\" must be a name or {\"url\": ADDRESS}");
        }
        if (!AnsiFromUtf8(key->get_ref<const std::string&>(), out.frameKey) ||
            out.frameKey.empty()) {
            return JsonResult::Fail("\"frame\" must be a non-empty text of the system code page");
        }
    }
    if (value.contains("desc")) {
        CWebInfo description;
        if (auto read = RecordFromJson(
                json{{"msg", ToInt(MsgId::DescToId)}, {"attrs", value["desc"]}}, description);
            !read) {
            return JsonResult::Fail("\"desc\": " + read.error);
        }
        if (description.GetAttrCount() == 0) {
            return JsonResult::Fail("\"desc\" must name at least one property");
        }
        out.description = std::move(description);
    }
    return {};
}

ordered_json AddressToJson(const ObjectAddress& address) {
    ordered_json out = ordered_json::object();
    if (address.frame == ObjectAddress::Frame::ByName) {
        out["frame"] = Utf8FromAnsi(address.frameKey);
    } else if (address.frame == ObjectAddress::Frame::ByUrl) {
        out["frame"] = ordered_json{{"url", Utf8FromAnsi(address.frameKey)}};
    }
    if (address.description) {
        ordered_json desc = ordered_json::array();
        for (const CAttrPair& attr : address.description->Attrs()) {
            desc.push_back(ordered_json::array(
                {Utf8FromAnsi(attr.GetName()), CompactValueToJson(attr.GetValue())}));
        }
        out["desc"] = std::move(desc);
    }
    return out;
}

std::string AddressText(const ObjectAddress& address) {
    if (!address.description) {
        return FrameText(address);
    }
    std::string text = "[";
    for (const CAttrPair& attr : address.description->Attrs()) {
        text += (text.size() > 1 ? ", " : "") + Utf8FromAnsi(attr.GetName()) + " " +
                CompactValueToJson(attr.GetValue()).dump();
    }
    return text + "] in " + FrameText(address);
}

std::optional<CWebRunTimeID> ResolveAddress(Session& session, const ObjectAddress& address,
                                            std::string& error) {
    std::optional<CWebRunTimeID> frame = address.frame == ObjectAddress::Frame::Page
                                             ? session.PageId(error)
                                             : ResolveFrame(session, address, error);
    if (!frame || !address.description) {
        return frame;
    }
    CWebInfo request = *address.description;
    request.SetMsgId(ToInt(MsgId::DescToId));
    request.SetRunTimeID(*frame);
    std::optional<CWebInfo> reply = session.AskAgent(std::move(request));
    if (!reply) {
        error = "the agent did not answer the description search for " + AddressText(address);
        return std::nullopt;
    }
    if (std::optional<CWebRunTimeID> id = FirstIdOf(*reply)) {
        return id;
    }
    if (reply->GetRetValue() == kResultNotFound) {
        error = "no object matches " + AddressText(address);
    } else if (reply->GetRetValue() == kResultSeveralFound) {
        size_t count = 0;
        for (const CAttrPair& attr : reply->Attrs()) {
            count += attr.GetName() == "id" ? 1 : 0;
        }
        error = std::to_string(count) + " objects match " + AddressText(address);
    } else {
        error = "the description search for " + AddressText(address) + " failed (" +
                Hex(reply->GetRetValue()) + ")";
    }
    return std::nullopt;
}

} // namespace cli

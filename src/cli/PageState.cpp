#include "cli/PageState.h"

#include "agent/common/AgentCodes.h"
#include "cli/ReplayScript.h"
#include "cli/Session.h"

#include <array>
#include <map>

namespace cli {

using nlohmann::json;

namespace {

struct FieldKind {
    const char* className;
    const char* property;
};

constexpr std::array kFieldKinds = {
    FieldKind{"html_edit", "value"},           FieldKind{"html_combobox", "selection"},
    FieldKind{"html_listbox", "selection"},    FieldKind{"html_select", "selection"},
    FieldKind{"html_check_button", "checked"}, FieldKind{"html_radio_button", "checked"},
};

std::optional<CWebInfo> Properties(Session& session, const CWebRunTimeID& id,
                                   std::initializer_list<const char*> names) {
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::GetProperties));
    request.SetRunTimeID(id);
    for (const char* name : names) {
        request.AppendAttr(name, CWebVariantList());
    }
    return session.AskAgent(std::move(request));
}

std::string TextOf(const std::optional<CWebInfo>& reply, std::string_view name) {
    const CWebVariant* value = reply ? reply->FindFirstValue(name) : nullptr;
    if (!value) {
        return {};
    }
    if (value->GetType() == WebVariantType::Integer) {
        return std::to_string(value->GetInteger());
    }
    if (value->GetType() != WebVariantType::String) {
        return {};
    }
    std::string text = value->GetString();
    // List items are separated by U+001E.
    for (size_t at; (at = text.find('\x1E')) != std::string::npos;) {
        text.replace(at, 1, ", ");
    }
    return text;
}

// The frames of the first browser window by identifier, with the part of the
// address a script names them by; each frame's address goes into the state.
std::map<CWebRunTimeID, std::string> FrameLabels(Session& session, PageState& state) {
    std::map<CWebRunTimeID, std::string> labels;
    for (const CWebRunTimeID& id : FramesOfFirstWindow(session)) {
        ObjectAddress address;
        if (auto frame = Properties(session, id, {"name", "title", "url"});
            frame && FrameAddressOf(*frame, address)) {
            labels[id] = Utf8FromAnsi(address.frameKey);
            state.fields.push_back({"", "html_frame", Utf8FromAnsi(address.frameKey),
                                    Utf8FromAnsi(TextOf(frame, "url"))});
        }
    }
    return labels;
}

} // namespace

bool CollectPageState(Session& session, PageState& state, std::string& error) {
    state = PageState();
    std::optional<CWebRunTimeID> page = session.PageId(error);
    if (!page) {
        return false;
    }
    state.url = Utf8FromAnsi(TextOf(Properties(session, *page, {"url"}), "url"));
    const std::map<CWebRunTimeID, std::string> frames = FrameLabels(session, state);
    for (const FieldKind& kind : kFieldKinds) {
        CWebInfo request;
        request.SetMsgId(ToInt(MsgId::DescToId));
        request.SetRunTimeID(*page);
        request.AppendAttr("class", CWebVariantList(CWebVariant(kind.className)));
        std::optional<CWebInfo> reply = session.AskAgent(std::move(request));
        if (!reply) {
            error = "the agent did not answer the search for " + std::string(kind.className);
            return false;
        }
        for (const CAttrPair& attr : reply->Attrs()) {
            const CWebVariant* id = attr.GetValue().GetAt(0);
            if (attr.GetName() != "id" || !id || id->GetType() != WebVariantType::RunTimeID) {
                continue;
            }
            auto values = Properties(session, id->GetRunTimeID(), {"name", kind.property});
            FieldState field;
            auto frame = frames.find(id->GetRunTimeID().FrameLevel());
            field.frame = frame == frames.end() ? std::string() : frame->second;
            field.className = kind.className;
            field.name = Utf8FromAnsi(TextOf(values, "name"));
            field.value = Utf8FromAnsi(TextOf(values, kind.property));
            state.fields.push_back(std::move(field));
        }
    }
    return true;
}

json PageStateToJson(const PageState& state) {
    json fields = json::array();
    for (const FieldState& field : state.fields) {
        fields.push_back({{"frame", field.frame},
                          {"class", field.className},
                          {"name", field.name},
                          {"value", field.value}});
    }
    return {{"url", state.url}, {"fields", std::move(fields)}};
}

bool PageStateFromJson(const json& value, PageState& state) {
    state = PageState();
    if (!value.is_object() || !value.contains("url") || !value["url"].is_string() ||
        !value.contains("fields") || !value["fields"].is_array()) {
        return false;
    }
    state.url = value["url"];
    for (const json& field : value["fields"]) {
        for (const char* key : {"frame", "class", "name", "value"}) {
            if (!field.is_object() || !field.contains(key) || !field[key].is_string()) {
                return false;
            }
        }
        state.fields.push_back({field["frame"], field["class"], field["name"], field["value"]});
    }
    return true;
}

std::vector<std::string> PageStateText(const PageState& state) {
    std::vector<std::string> lines{"address: " + state.url};
    for (const FieldState& field : state.fields) {
        lines.push_back((field.frame.empty() ? std::string() : "[" + field.frame + "] ") +
                        field.className + " '" + field.name + "' = '" + field.value + "'");
    }
    return lines;
}

} // namespace cli

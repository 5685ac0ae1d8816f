#include "cli/ReplayScript.h"

#include "agent/common/AgentCodes.h"

#include <array>
#include <cstdio>

namespace cli {

using nlohmann::ordered_json;

namespace {

constexpr char kItemSeparator = '\x1E';

struct ClassWords {
    std::string_view className;
    std::string_view words;
};

constexpr std::array kClassWords = {
    ClassWords{"html_link", "link"},
    ClassWords{"html_text_link", "link"},
    ClassWords{"html_img_link", "image link"},
    ClassWords{"html_rect", "image map area"},
    ClassWords{"html_push_button", "button"},
    ClassWords{"html_check_button", "check box"},
    ClassWords{"html_radio_button", "radio button"},
    ClassWords{"html_edit", "edit"},
    ClassWords{"html_file", "file field"},
    ClassWords{"html_combobox", "list"},
    ClassWords{"html_listbox", "list box"},
    ClassWords{"html_select", "list"},
    ClassWords{"html_img", "image"},
    ClassWords{"html_general_element", "element"},
};

std::string StringOf(const CWebInfo* record, std::string_view name) {
    const CWebVariant* value = record ? record->FindFirstValue(name) : nullptr;
    return value && value->GetType() == WebVariantType::String ? value->GetString() : std::string();
}

// A text of the page in a comment line: a line break in it (a text area's
// value, say) would end the comment and leave the rest to be read as a line.
std::string Quoted(std::string_view ansi) {
    std::string text = "'";
    for (char c : Utf8FromAnsi(ansi)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        } else {
            text += c;
        }
    }
    return text + "'";
}

std::vector<std::string> SplitItems(std::string_view text) {
    std::vector<std::string> items;
    if (text.empty()) {
        return items;
    }
    size_t start = 0;
    for (size_t stop; (stop = text.find(kItemSeparator, start)) != std::string_view::npos;
         start = stop + 1) {
        items.emplace_back(text.substr(start, stop - start));
    }
    items.emplace_back(text.substr(start));
    return items;
}

// The address's text after the last "/" or "\", without "#" or "?" parts: the
// name the agent gives a frame that has none.
std::string LastSegment(std::string_view url) {
    url = url.substr(0, url.find_first_of("#?"));
    size_t slash = url.find_last_of('/');
    if (slash == std::string_view::npos) {
        slash = url.find_last_of('\\');
    }
    return std::string(slash == std::string_view::npos ? url : url.substr(slash + 1));
}

ordered_json Request(MsgId msg, ordered_json id, ordered_json attrs) {
    ordered_json line{{"msg", ToInt(msg)}, {"id", std::move(id)}};
    if (!attrs.empty()) {
        line["attrs"] = std::move(attrs);
    }
    return line;
}

ordered_json Attr(std::string_view name, ordered_json value) {
    return ordered_json::array({name, std::move(value)});
}

ordered_json BrowserCommand(std::string_view command, const std::string* url = nullptr) {
    ordered_json attrs = ordered_json::array(
        {Attr("method_name", "BrowserCommand"), Attr("command", std::string(command))});
    if (url) {
        attrs.push_back(Attr("url", Utf8FromAnsi(*url)));
    }
    // Addressed to the page (which carries out the browser's commands) by
    // address, so that a command that fails fails its step.
    return Request(MsgId::CallNamedMethod, ordered_json::object(), std::move(attrs));
}

ordered_json Wait() {
    return ordered_json{{"user", "wait"}};
}

// The replay of a statement the browser object carries.
void BrowserStatement(const std::string& name, const CWebInfo& statement, ReplaySteps& steps) {
    const std::string url = StringOf(&statement, "url");
    std::string command;
    if (name == "Back" || name == "Forward" || name == "Home" || name == "ReLoad") {
        steps.said = "pressed " + std::string(name == "ReLoad" ? "Reload" : name);
        steps.lines.push_back(LineText(BrowserCommand(name)));
    } else if ((name == "edit_set" || name == "list_select_item") && !url.empty()) {
        steps.said = name == "edit_set" ? "entered " + Quoted(url) + " in the address field"
                                        : "chose " + Quoted(url) + " from the address history";
        steps.lines.push_back(LineText(BrowserCommand("Navigate", &url)));
    } else {
        steps.whyNot = "the browser statement " + Quoted(name) +
                       (url.empty() ? std::string() : " with the address " + Quoted(url)) +
                       " has no replay";
        return;
    }
    steps.lines.push_back(LineText(Wait()));
    steps.navigates = true;
}

// The replay of a list statement: each item's number is asked by its text
// ("ItemToNum"), then selected by that number; the page hears "change".
void ListStatement(const ordered_json& on, const std::string& name, const CWebInfo& list,
                   ReplaySteps& steps) {
    const std::string command = StringOf(&list, "record_command");
    std::vector<std::string> items = SplitItems(StringOf(&list, "record_selection"));
    std::string method = "ListSelect";
    if (command == "list_extend_item") {
        method = "ListExtendSelect";
        steps.said = "added ";
    } else if (command == "list_deselect_item") {
        method = "ListDeselect";
        steps.said = "removed ";
    } else if (command == "list_select_multi_items") {
        // The recorded items are joined with commas, which item texts may
        // hold too; the selection itself keeps them apart.
        items = SplitItems(StringOf(&list, "selection"));
        steps.said = "chose ";
    } else if (command == "list_select_item") {
        steps.said = "chose ";
    } else {
        steps.whyNot = "the list statement " + Quoted(command) + " has no replay";
        return;
    }
    if (items.empty()) {
        steps.whyNot = "the list statement " + Quoted(command) + " names no item";
        return;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        steps.said += (i == 0 ? "" : ", ") + Quoted(items[i]);
        steps.lines.push_back(
            LineText(Request(MsgId::ItemToNum, on,
                             ordered_json::array({Attr("item_text", Utf8FromAnsi(items[i]))}))));
        steps.lines.push_back(LineText(
            Request(MsgId::CallNamedMethod, on,
                    ordered_json::array({Attr("method_name", i == 0 ? method : "ListExtendSelect"),
                                         Attr("value", ordered_json{{"from", "item_num"}})}))));
    }
    steps.lines.push_back(LineText(
        Request(MsgId::CallEvent, on, ordered_json::array({Attr("event_name", "change")}))));
    (void)name;
}

void Append(ordered_json::string_t& out, const ordered_json& value) {
    if (value.is_object()) {
        out += '{';
        bool first = true;
        for (const auto& item : value.items()) {
            out += first ? "" : ", ";
            out += ordered_json(item.key()).dump() + ": ";
            Append(out, item.value());
            first = false;
        }
        out += '}';
    } else if (value.is_array()) {
        out += '[';
        for (size_t i = 0; i < value.size(); ++i) {
            out += i == 0 ? "" : ", ";
            Append(out, value[i]);
        }
        out += ']';
    } else {
        out += value.dump();
    }
}

} // namespace

std::string LineText(const ordered_json& value) {
    std::string out;
    Append(out, value);
    return out;
}

bool FrameAddressOf(const CWebInfo& frameProperties, ObjectAddress& address) {
    const std::string name = StringOf(&frameProperties, "name");
    const std::string title = StringOf(&frameProperties, "title");
    const std::string url = StringOf(&frameProperties, "url");
    if (!name.empty() && name != title && name != LastSegment(url)) {
        address.frame = ObjectAddress::Frame::ByName;
        address.frameKey = name;
        return true;
    }
    if (!url.empty()) {
        address.frame = ObjectAddress::Frame::ByUrl;
        address.frameKey = url;
        return true;
    }
    return false;
}

ReplaySteps ReplayOfStatement(const CWebInfo& statement, const StatementFacts* facts) {
    ReplaySteps steps;
    const std::string name = StringOf(&statement, "event_name");
    const CWebVariant* idValue = statement.FindFirstValue("id");
    if (!idValue || idValue->GetType() != WebVariantType::RunTimeID) {
        steps.whyNot = "the statement " + Quoted(name) + " names no object";
        return steps;
    }
    const CWebRunTimeID id = idValue->GetRunTimeID();
    if (facts && facts->otherWindow) {
        steps.whyNot = "the statement " + Quoted(name) + " was made in another browser window";
        return steps;
    }
    if (id == id.BrowserLevel()) {
        BrowserStatement(name, statement, steps);
        return steps;
    }
    if (!facts || !facts->description || facts->description->GetRetValue() != 0) {
        steps.whyNot = "the statement " + Quoted(name) + "'s object had no description";
        return steps;
    }
    ObjectAddress address;
    if (facts->frame && !FrameAddressOf(*facts->frame, address)) {
        steps.whyNot =
            "the frame of the statement " + Quoted(name) + " has neither name nor address";
        return steps;
    }
    CWebInfo description;
    for (const CAttrPair& attr : facts->description->Attrs()) {
        // The tag is what the tool shows, not a property to search by.
        if (attr.GetName() == "class" && attr.GetValue().GetCount() > 1) {
            // The class chain: its first class is the object's own, and the
            // one the search and the description maps go by.
            description.AppendAttr("class", CWebVariantList(*attr.GetValue().GetAt(0)));
        } else if (attr.GetName() != "tag") {
            description.AppendAttr(attr.GetName(), attr.GetValue());
        }
    }
    address.description = std::move(description);
    const std::string className = StringOf(&*address.description, "class");
    const std::string objectName = StringOf(&*address.description, "name");
    std::string object;
    for (const ClassWords& words : kClassWords) {
        if (words.className == className) {
            object = std::string(words.words);
        }
    }
    object = (object.empty() ? Utf8FromAnsi(className) : object) +
             (objectName.empty() ? std::string() : " " + Quoted(objectName));
    if (address.frame != ObjectAddress::Frame::Page) {
        object += " in frame " + Quoted(address.frameKey);
    }
    const ordered_json on = AddressToJson(address);

    if (name == "onclick" || name == "ondblclick") {
        steps.said = (name == "onclick" ? "clicked " : "double-clicked ") + object;
        steps.lines.push_back(
            LineText(ordered_json{{"user", name == "onclick" ? "click" : "dblclick"},
                                  {"on", on},
                                  {"at", {facts->offset.x, facts->offset.y}}}));
    } else if (className == "html_edit" && (name == "onchange" || name == "onblur") &&
               statement.FindFirstValue("value") &&
               statement.FindFirstValue("value")->GetType() == WebVariantType::String) {
        const std::string value = StringOf(&statement, "value");
        const bool password = StringOf(&statement, "type") == "password";
        steps.said =
            "typed " + (password ? std::string("a password") : Quoted(value)) + " into " + object;
        steps.lines.push_back(LineText(Request(
            MsgId::SetValue, on, ordered_json::array({Attr("value", Utf8FromAnsi(value))}))));
        steps.lines.push_back(LineText(
            Request(MsgId::CallEvent, on, ordered_json::array({Attr("event_name", "change")}))));
    } else if (IsListClass(className) && (name == "onchange" || name == "onselect") &&
               facts->list) {
        ListStatement(on, name, *facts->list, steps);
        if (!steps.said.empty()) {
            steps.said += " in " + object;
        }
    } else {
        steps.whyNot = "the statement " + Quoted(name) + " on " + object + " has no replay";
    }
    return steps;
}

bool ScriptRecorder::Open(const std::vector<std::string>& pages) {
    m_File.open(m_Path, std::ios::out | std::ios::trunc);
    if (!m_File) {
        m_Errors << "webagent: --record-to: the file \"" << m_Path << "\" cannot be written\n";
        m_Failed = true;
        return false;
    }
    std::string replay = "webagent";
    for (const std::string& page : pages) {
        replay += " --page " + page;
    }
    Write({"# Recorded by the webagent console; replay it with:",
           "#   " + replay + " --script " + m_Path});
    return !m_Failed;
}

void ScriptRecorder::OnStatement(const Incoming& recorded) {
    ReplaySteps steps =
        ReplayOfStatement(recorded.record, recorded.facts ? &*recorded.facts : nullptr);
    ++m_Statements;
    std::vector<std::string> lines;
    if (steps.lines.empty()) {
        // Kept as comments: the tester sees what happened and can write its
        // replay by hand.
        lines.push_back("# not replayed: " + steps.whyNot);
        lines.push_back("# " + RecordToJson(recorded.record).dump());
    } else {
        lines.push_back("# " + steps.said);
        lines.insert(lines.end(), steps.lines.begin(), steps.lines.end());
        m_MayWait = !steps.navigates;
    }
    Write(lines);
}

void ScriptRecorder::OnNavigation() {
    if (m_MayWait) {
        m_MayWait = false;
        Write({LineText(Wait())});
    }
}

void ScriptRecorder::Write(const std::vector<std::string>& lines) {
    if (!m_File.is_open()) {
        return;
    }
    for (const std::string& line : lines) {
        m_File << line << '\n';
    }
    m_File.flush();
    if (!m_File && !m_Failed) {
        m_Failed = true;
        m_Errors << "webagent: --record-to: writing to \"" << m_Path << "\" failed\n";
    }
}

} // namespace cli

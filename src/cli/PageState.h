// The state a replay must reproduce: the page's address, the address of
// every frame, and the value of every field, list and check box or radio
// button of the page and its frames.
//
//     cli::PageState state;
//     if (cli::CollectPageState(session, state, error)) printer.State(state);
//
// Two states compare equal when the replay ended where the recording did.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace cli {

class Session;

struct FieldState {
    std::string frame;     // the frame's name or address; empty for the page
    std::string className; // "html_edit", "html_combobox", ..., "html_frame" for a frame
    std::string name;
    // An edit's value, a list's selected items joined by ", ", a check box's
    // or radio button's "checked" (1 or 0), a frame's address.
    std::string value;
    friend bool operator==(const FieldState&, const FieldState&) = default;
};

struct PageState {
    std::string url;
    std::vector<FieldState> fields;
    friend bool operator==(const PageState&, const PageState&) = default;
};

bool CollectPageState(Session& session, PageState& state, std::string& error);

// {"url": ..., "fields": [{"frame", "class", "name", "value"}, ...]}, UTF-8.
nlohmann::json PageStateToJson(const PageState& state);
bool PageStateFromJson(const nlohmann::json& json, PageState& state);
// One line per item: "address: URL", then "FRAME CLASS 'NAME' = VALUE".
std::vector<std::string> PageStateText(const PageState& state);

} // namespace cli

#include "cli/ControlsDemo.h"

namespace cli {

namespace {

// Every request on a control finds it by its description first (message 15),
// since "last" is the first "id" of the previous reply.
#define FIND(cls, name)                                                                            \
    R"({"msg": 15, "id": "browser", "attrs": [["class", ")" cls R"("], ["name", ")" name R"("]]})"

// The steps, each with its heading; steps without a heading of their own run
// under the one before.
const DemoStep kSteps[] = {
    {"form controls: open the demo form through its link (message 15, a click, a wait)",
     R"({"msg": 15, "id": "browser", "attrs": [["class", "html_link"], ["text", "A form with every control"]]})"},
    {"", R"({"user": "click", "on": "last"})"},
    {"", R"({"user": "wait"})"},

    {"every property of the name field (message 15, then 7)", FIND("html_edit", "name")},
    {"", R"({"msg": 7, "id": "last"})"},
    {"the password field", FIND("html_edit", "password")},
    {"",
     R"({"msg": 5, "id": "last", "attrs": [["class", ""], ["type", ""], ["value", ""], ["kind", ""]]})"},
    {"the hidden field", FIND("html_edit", "session")},
    {"", R"({"msg": 5, "id": "last", "attrs": [["type", ""], ["value", ""]]})"},
    {"the radio buttons (several match: the first is read)", FIND("html_radio_button", "size")},
    {"",
     R"({"msg": 5, "id": "last", "attrs": [["class", ""], ["value", ""], ["checked", ""], ["part_value", ""]]})"},
    {"the check box", FIND("html_check_button", "gift")},
    {"", R"({"msg": 5, "id": "last", "attrs": [["value", ""], ["checked", ""], ["enabled", ""]]})"},
    {"the drop-down list", FIND("html_combobox", "colour")},
    {"",
     R"({"msg": 5, "id": "last", "attrs": [["class", ""], ["selection", ""], ["option_list", ""], ["count_items", ""], ["visible_items", ""]]})"},
    {"the list of several choices", FIND("html_listbox", "extras")},
    {"",
     R"({"msg": 5, "id": "last", "attrs": [["class", ""], ["is_multiple", ""], ["selection", ""], ["option_list", ""], ["visible_items", ""]]})"},
    {"the drop-down list with option groups", FIND("html_combobox", "delivery")},
    {"",
     R"({"msg": 5, "id": "last", "attrs": [["selection", ""], ["option_list", ""], ["selected_index", ""]]})"},
    {"the text area (lines end with CR LF)", FIND("html_edit", "note")},
    {"",
     R"({"msg": 5, "id": "last", "attrs": [["value", ""], ["kind", ""], ["rows", ""], ["cols", ""]]})"},
    {"the file field", FIND("html_file", "attachment")},
    {"",
     R"({"msg": 5, "id": "last", "attrs": [["class", ""], ["element_name", ""], ["part_value", ""]]})"},
    {"the disabled field", FIND("html_edit", "code")},
    {"", R"({"msg": 5, "id": "last", "attrs": [["value", ""], ["enabled", ""]]})"},
    {"the push buttons: submit", FIND("html_push_button", "Send")},
    {"", R"({"msg": 5, "id": "last", "attrs": [["name", ""], ["value", ""], ["part_value", ""]]})"},
    {"reset", FIND("html_push_button", "Clear")},
    {"", R"({"msg": 5, "id": "last", "attrs": [["name", ""], ["element_name", ""]]})"},
    {"a plain button", FIND("html_push_button", "Check")},
    {"", R"({"msg": 5, "id": "last", "attrs": [["name", ""], ["value", ""]]})"},
    {"a BUTTON element", FIND("html_push_button", "Help")},
    {"", R"({"msg": 5, "id": "last", "attrs": [["name", ""], ["element_name", ""]]})"},

    {"typing into the name field (message 32) and reading it back", FIND("html_edit", "name")},
    {"", R"({"msg": 32, "id": "last", "attrs": [["value", "Ann Example"]]})"},
    {"", FIND("html_edit", "name")},
    {"", R"({"msg": 5, "id": "last", "attrs": [["value", ""]]})"},
    {"\"SetValue\" without a text is refused (E_INVALIDARG)", FIND("html_edit", "name")},
    {"", R"({"msg": 32, "id": "last", "attrs": [["value", 7]]})"},

    {"selecting by number: the third colour (message 49, \"ListSelect\")",
     FIND("html_combobox", "colour")},
    {"", R"({"msg": 49, "id": "last", "attrs": [["method_name", "ListSelect"], ["value", 2]]})"},
    {"", FIND("html_combobox", "colour")},
    {"", R"({"msg": 5, "id": "last", "attrs": [["selection", ""], ["selected_index", ""]]})"},
    {"selecting by text: the number of \"Red\" (message 19), then that number",
     FIND("html_combobox", "colour")},
    {"", R"({"msg": 19, "id": "last", "attrs": [["item_text", "Red"]]})"},
    {"", FIND("html_combobox", "colour")},
    {"", R"({"msg": 49, "id": "last", "attrs": [["method_name", "ListSelect"], ["value", 0]]})"},
    {"", FIND("html_combobox", "colour")},
    {"", R"({"msg": 20, "id": "last", "attrs": [["item_num", 0]]})"},
    {"a number past the end changes nothing (E_FAIL)", FIND("html_combobox", "colour")},
    {"", R"({"msg": 49, "id": "last", "attrs": [["method_name", "ListSelect"], ["value", 9]]})"},
    {"two extras of the list of several choices (\"ListExtendSelect\")",
     FIND("html_listbox", "extras")},
    {"",
     R"({"msg": 49, "id": "last", "attrs": [["method_name", "ListExtendSelect"], ["value", 0]]})"},
    {"", FIND("html_listbox", "extras")},
    {"",
     R"({"msg": 49, "id": "last", "attrs": [["method_name", "ListExtendSelect"], ["value", 2]]})"},
    {"", FIND("html_listbox", "extras")},
    {"", R"({"msg": 5, "id": "last", "attrs": [["selection", ""], ["option_list", ""]]})"},

    {"back to the page the demo started on", R"({"user": "toolbar", "button": "Back"})"},
    {"", R"({"user": "wait"})"},
};

#undef FIND

} // namespace

const std::vector<DemoStep>& ControlsDemoSteps() {
    static const std::vector<DemoStep> steps(std::begin(kSteps), std::end(kSteps));
    return steps;
}

} // namespace cli

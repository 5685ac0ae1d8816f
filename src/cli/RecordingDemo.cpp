#include "cli/RecordingDemo.h"

#include "cli/Printer.h"
#include "cli/ScriptRunner.h"
#include "cli/Session.h"

namespace cli {

namespace {

struct RecordingStep {
    const char* heading; // empty: runs under the heading before it
    const char* line;
};

// Controls are found by description first (message 15): "last" is the first
// "id" of the previous reply.
constexpr RecordingStep kSteps[] = {
    {"recording: the tool starts recording (message 48, \"ToolMode\" 1)",
     R"({"msg": 48, "attrs": [["var_name", "ToolMode"], ["var_value", 1]]})"},
    {"a click on the link to the form is recorded (\"onclick\")",
     R"({"msg": 15, "id": "browser", "attrs": [["class", "html_link"], ["text", "A form with every control"]]})"},
    {"", R"({"user": "click", "on": "last"})"},
    {"", R"({"user": "wait"})"},
    {"typing into the name field and leaving it is recorded (\"onchange\" with value and type)",
     R"({"msg": 15, "id": "browser", "attrs": [["class", "html_edit"], ["name", "name"]]})"},
    {"", R"({"user": "click", "on": "last"})"},
    {"", R"({"user": "type", "text": "Ann"})"},
    {"", R"({"user": "key", "key": "Tab"})"},
    {"choosing a colour is recorded (\"onchange\" on the list)",
     R"({"msg": 15, "id": "browser", "attrs": [["class", "html_combobox"], ["name", "colour"]]})"},
    {"", R"({"user": "choose", "on": "last", "items": ["Blue"]})"},
    {"the Back button is recorded (\"Back\" on the browser)",
     R"({"user": "toolbar", "button": "Back"})"},
    {"", R"({"user": "wait"})"},
    {"the tool stops recording (\"ToolMode\" 0)",
     R"({"msg": 48, "attrs": [["var_name", "ToolMode"], ["var_value", 0]]})"},
};

} // namespace

void RunRecordingDemo(Session& session, Printer& printer, ScriptRunner& runner, std::ostream& out) {
    if (!session.HasBrowser()) {
        return;
    }
    size_t lineNumber = 0;
    for (const RecordingStep& step : kSteps) {
        if (*step.heading != '\0') {
            printer.Heading(step.heading);
        }
        if (printer.Form() == OutputForm::Text) {
            out << "> " << step.line << '\n';
        }
        runner.RunLine(step.line, ++lineNumber);
    }
    runner.Drain();
}

} // namespace cli

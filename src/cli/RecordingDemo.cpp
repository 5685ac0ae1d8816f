#include "cli/RecordingDemo.h"

#include "cli/Printer.h"
#include "cli/ScriptRunner.h"
#include "cli/Session.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

namespace {

constexpr int32_t kMsgDescToId = 15;

// One user action to record: the control it needs (found by description,
// message 15, so that "last" names it), then the lines that act on it.
struct RecordedAction {
    const char* heading;
    const char* className; // null: the action needs no page object
    const char* attribute;
    const char* value;
    std::vector<const char*> lines;
};

const std::vector<RecordedAction>& Actions() {
    static const std::vector<RecordedAction> actions{
        {"a click on the link to the form is recorded (\"onclick\")",
         "html_link",
         "text",
         "A form with every control",
         {R"({"user": "click", "on": "last"})", R"({"user": "wait"})"}},
        {"typing into the name field and leaving it is recorded (\"onchange\" with value and "
         "type)",
         "html_edit",
         "name",
         "name",
         {R"({"user": "click", "on": "last"})", R"({"user": "type", "text": "Ann"})",
          R"({"user": "key", "key": "Tab"})"}},
        {"choosing a colour is recorded (\"onchange\" on the list)",
         "html_combobox",
         "name",
         "colour",
         {R"({"user": "choose", "on": "last", "items": ["Blue"]})"}},
        {"the Back button is recorded (\"Back\" on the browser)",
         nullptr,
         nullptr,
         nullptr,
         {R"({"user": "toolbar", "button": "Back"})", R"({"user": "wait"})"}},
    };
    return actions;
}

class RecordingDemo {
public:
    RecordingDemo(Session& session, Printer& printer, ScriptRunner& runner, std::ostream& out)
        : m_Session(session), m_Printer(printer), m_Runner(runner), m_Out(out) {}

    void Run() {
        m_Printer.Heading("recording: the tool starts recording (message 48, \"ToolMode\" 1)");
        Line(R"({"msg": 48, "attrs": [["var_name", "ToolMode"], ["var_value", 1]]})");
        for (const RecordedAction& action : Actions()) {
            m_Printer.Heading(action.heading);
            if (action.className != nullptr) {
                if (!IsOnPage(action)) {
                    if (m_Printer.Form() == OutputForm::Text) {
                        m_Out << "(not on the page)\n";
                    }
                    continue;
                }
                Line(R"({"msg": 15, "id": "browser", "attrs": [["class", ")" +
                     std::string(action.className) + R"("], [")" + action.attribute + R"(", ")" +
                     action.value + R"("]]})");
            }
            for (const char* line : action.lines) {
                Line(line);
            }
        }
        m_Printer.Heading("the tool stops recording (\"ToolMode\" 0)");
        Line(R"({"msg": 48, "attrs": [["var_name", "ToolMode"], ["var_value", 0]]})");
        m_Runner.Drain();
    }

private:
    void Line(const std::string& line) { m_Runner.RunShown("", line, ++m_Line); }

    // Whether the description names an object, asked quietly.
    bool IsOnPage(const RecordedAction& action) {
        std::string error;
        std::optional<CWebRunTimeID> page = m_Session.PageId(error);
        if (!page) {
            return false;
        }
        CWebInfo request;
        request.SetMsgId(kMsgDescToId);
        request.SetRunTimeID(page->BrowserLevel());
        request.AppendAttr("class", CWebVariantList(CWebVariant(action.className)));
        request.AppendAttr(action.attribute, CWebVariantList(CWebVariant(action.value)));
        std::optional<CWebInfo> reply = m_Session.AskAgent(std::move(request));
        return reply && reply->GetRetValue() == NS_OK && reply->FindFirstValue("id") != nullptr;
    }

    Session& m_Session;
    Printer& m_Printer;
    ScriptRunner& m_Runner;
    std::ostream& m_Out;
    size_t m_Line = 0;
};

} // namespace

void RunRecordingDemo(Session& session, Printer& printer, ScriptRunner& runner, std::ostream& out) {
    if (!session.HasBrowser()) {
        return;
    }
    RecordingDemo(session, printer, runner, out).Run();
}

} // namespace cli

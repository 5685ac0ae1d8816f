#include "cli/RecordReplayDemo.h"

#include "agent/common/AgentCodes.h"
#include "cli/ChildConsole.h"
#include "cli/Console.h"
#include "cli/PageState.h"
#include "cli/Printer.h"
#include "cli/ReplayScript.h"
#include "cli/ScriptRunner.h"
#include "cli/Session.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace cli {

namespace {

// The scenario: follow a link and come back, open the form, type a name,
// choose in a drop-down list and in a multiple-choice list, check a box.
constexpr const char* kScenario[] = {
    R"({"user": "click", "on": {"desc": [["class", "html_text_link"], ["name", "Links"]]}})",
    R"({"user": "wait"})",
    R"({"user": "toolbar", "button": "Back"})",
    R"({"user": "wait"})",
    R"({"user": "click", "on": {"desc": [["class", "html_text_link"], ["name", "A form with every control"]]}})",
    R"({"user": "wait"})",
    R"({"user": "click", "on": {"desc": [["class", "html_edit"], ["name", "name"]]}})",
    R"({"user": "type", "text": "Ann"})",
    R"({"user": "key", "key": "Tab"})",
    R"({"user": "choose", "on": {"desc": [["class", "html_combobox"], ["name", "colour"]]}, "items": ["Blue"]})",
    R"({"user": "choose", "on": {"desc": [["class", "html_listbox"], ["name", "extras"]]}, "items": ["Card", "Ribbon"]})",
    R"({"user": "click", "on": {"desc": [["class", "html_check_button"], ["name", "gift"]]}})",
};

bool SetToolMode(Session& session, int32_t mode) {
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::SetToolOption));
    request.AppendAttr("var_name", CWebVariantList(CWebVariant("ToolMode")));
    request.AppendAttr("var_value", CWebVariantList(CWebVariant(mode)));
    std::optional<CWebInfo> reply = session.AskAgent(std::move(request));
    return reply && reply->GetRetValue() == 0;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The state a child console printed for {"state": "page"}.
bool StateFromOutput(const std::string& out, PageState& state) {
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
        if (parsed.is_object() && parsed.contains("state") &&
            PageStateFromJson(parsed["state"], state)) {
            return true;
        }
    }
    return false;
}

void PrintSideBySide(std::ostream& out, const PageState& recorded, const PageState& replayed) {
    std::vector<std::string> left = PageStateText(recorded);
    std::vector<std::string> right = PageStateText(replayed);
    size_t width = 0;
    for (const std::string& line : left) {
        width = std::max(width, line.size());
    }
    out << "recorded" << std::string(width + 2 - 8, ' ') << "| replayed\n";
    for (size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        std::string a = i < left.size() ? left[i] : "";
        std::string b = i < right.size() ? right[i] : "";
        out << a << std::string(width + 2 - a.size(), ' ') << "| " << b
            << (a == b ? "" : "   <- differs") << '\n';
    }
}

} // namespace

void StartRecording(Session& session, ScriptRunner& runner, ScriptRecorder& recorder) {
    session.SetStatementFacts(true);
    runner.SetRecorder(&recorder);
    (void)SetToolMode(session, 1);
}

int RunRecordReplayDemo(Session& session, Printer& printer, ScriptRunner& runner, std::ostream& out,
                        std::ostream& errors, const std::optional<std::string>& keep) {
    const bool text = printer.Form() == OutputForm::Text;
    runner.Drain();
    if (!session.HasBrowser()) {
        errors << "webagent: --demo-record: " << session.BrowserError() << '\n';
        return kExitRefused;
    }
    std::error_code ec;
    char folderName[] = "/tmp/webagent-record-XXXXXX";
    if (!mkdtemp(folderName)) {
        errors << "webagent: --demo-record: no temporary folder for the script\n";
        return kExitRefused;
    }
    const std::string folder = folderName;
    const std::string script = keep.value_or(folder + "/scenario.jsonl");
    const std::string start = DemoSiteFolder() + "/index.html";

    printer.Heading("recording: the tool starts recording (\"ToolMode\" 1); the user acts");
    ScriptRecorder recorder(script, errors);
    if (!recorder.Open({start})) {
        return kExitRefused;
    }
    StartRecording(session, runner, recorder);
    size_t lineNumber = 0;
    size_t refused = 0;
    for (const char* line : kScenario) {
        refused += runner.RunShown("", line, ++lineNumber) ? 0 : 1;
    }
    runner.Drain();
    runner.SetRecorder(nullptr);
    (void)SetToolMode(session, 0);
    session.SetStatementFacts(false);
    PageState recorded;
    std::string error;
    if (!CollectPageState(session, recorded, error)) {
        errors << "webagent: --demo-record: the recorded state cannot be read: " << error << '\n';
        return kExitRefused;
    }

    printer.Heading("the recorded script (" + script + ")");
    const std::string lines = ReadFile(script);
    if (text) {
        out << lines;
    } else {
        out << nlohmann::json{{"script", lines}}.dump() << '\n';
    }

    printer.Heading("the script replayed by a fresh console on a fresh browser");
    // The replay ends by printing its state; the script itself stays as recorded.
    const std::string withState = folder + "/replay.jsonl";
    {
        std::ofstream copy(withState);
        copy << lines << R"({"state": "page"})" << '\n';
    }
    ChildRun replay;
    if (!RunChildConsole(ConsoleProgram(), {"--page", start, "--script", withState, "--json"},
                         replay, error)) {
        errors << "webagent: --demo-record: " << error << '\n';
        return kExitRefused;
    }
    if (text) {
        out << "exit status " << replay.status << '\n';
    }
    errors << replay.errors;
    PageState replayed;
    const bool read = StateFromOutput(replay.out, replayed);

    printer.Heading("the final state, recorded and replayed");
    if (text) {
        PrintSideBySide(out, recorded, replayed);
    } else {
        out << nlohmann::json{{"compare",
                               {{"recorded", PageStateToJson(recorded)},
                                {"replayed", read ? PageStateToJson(replayed) : nlohmann::json()},
                                {"replay_status", replay.status}}}}
                   .dump()
            << '\n';
    }
    std::filesystem::remove_all(folder, ec);
    const bool same = read && replay.status == kExitHandled && replayed == recorded;
    if (text) {
        out << (same ? "the replay reproduced the recorded state\n"
                     : "the replay did NOT reproduce the recorded state\n");
    }
    return same && refused == 0 && !recorder.Failed() ? kExitHandled : kExitRefused;
}

} // namespace cli

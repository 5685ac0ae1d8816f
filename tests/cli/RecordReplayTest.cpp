// Record once, replay anywhere: the user acts on a site with frames, a form
// and two links named alike while the console records to a script; a fresh
// console on a fresh browser (a process of its own: the agent component
// starts once per process) replays it and must end in the same state.
#include "cli/ChildConsole.h"
#include "cli/Console.h"
#include "cli/PageState.h"
#include "cli/TextLines.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

const char* const kSite[][2] = {
    {"shop.html", R"(<html><head><title>Shop</title></head>
<frameset cols="300,*"><frame src="nav.html" name="nav"><frame src="form.html"></frameset></html>)"},
    {"nav.html", R"(<html><head><title>Navigation</title></head>
<body><p><a href="first.html">Next</a> or <a href="second.html">Next</a></p></body></html>)"},
    {"first.html", "<html><head><title>First</title></head><body><p>First</p></body></html>"},
    {"second.html", "<html><head><title>Second</title></head><body><p>Second</p></body></html>"},
    {"form.html", R"(<html><head><title>Order form</title></head><body><form>
<p>User: <input type="text" name="user" value=""></p>
<p><select name="colour"><option>Red</option><option selected>Green</option><option>Blue</option></select></p>
<p><select name="extras" multiple size="3"><option>Wrapping</option><option>Card</option><option>Ribbon</option></select></p>
<p><input type="checkbox" name="gift" value="yes"> Gift</p>
<p><input type="radio" name="size" value="small" checked> Small
<input type="radio" name="size" value="large"> Large</p>
</form></body></html>)"},
};

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path);
    out << text;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

using cli::testing::Lines;

bool StateOf(const std::string& out, cli::PageState& state) {
    for (const std::string& line : Lines(out)) {
        json parsed = json::parse(line, nullptr, false);
        if (parsed.is_object() && parsed.contains("state")) {
            return cli::PageStateFromJson(parsed["state"], state);
        }
    }
    return false;
}

class RecordReplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_Folder =
            fs::temp_directory_path() / ("webagent-record-replay-" + std::to_string(getpid()));
        fs::create_directories(s_Folder);
        for (const auto& [name, text] : kSite) {
            WriteFile(s_Folder / name, text);
        }
        s_Script = (s_Folder / "scenario.jsonl").string();
        auto field = [](const char* className, const char* name, const char* more = "") {
            return FormField(className, name, more);
        };
        std::istringstream actions(
            R"({"user": "click", "on": )" + field("html_edit", "user") + "}\n" +
            R"({"user": "type", "text": "alice"})" + "\n" + R"({"user": "key", "key": "Tab"})" +
            "\n" + R"({"user": "choose", "on": )" + field("html_combobox", "colour") +
            R"(, "items": ["Blue"]})" + "\n" + R"({"user": "choose", "on": )" +
            field("html_listbox", "extras") + R"(, "items": ["Card"]})" + "\n" +
            R"({"user": "click", "on": )" + field("html_check_button", "gift") + "}\n" +
            R"({"user": "click", "on": )" +
            field("html_radio_button", "size", R"(, ["part_value", "large"])") + "}\n" +
            R"({"user": "click", "on": {"frame": "nav", "desc": [["class", "html_text_link"], ["name", "Next"], ["location", 1]]}})" +
            "\n" + R"({"user": "wait"})" + "\n" + R"({"state": "page"})" + "\n");
        std::ostringstream out;
        std::ostringstream errors;
        s_Status = cli::RunConsole(
            {"--json", "--page", (s_Folder / "shop.html").string(), "--record-to", s_Script},
            actions, out, errors);
        s_Errors = errors.str();
        s_Out = out.str();
        s_HasState = StateOf(s_Out, s_Recorded);
    }
    static void TearDownTestSuite() { fs::remove_all(s_Folder); }

    // The address of a field of the form, whose frame has no name.
    static std::string FormField(const char* className, const char* name, const char* more = "") {
        const std::string form =
            R"({"url": "file://)" + (s_Folder / "form.html").string() + R"("})";
        return R"({"frame": )" + form + R"(, "desc": [["class", ")" + className +
               R"("], ["name", ")" + name + "\"]" + more + "]}";
    }

    // Replays the recorded script, with the state printed at its end, in a
    // console of its own.
    static cli::ChildRun Replay(const std::string& extraLines = "") {
        const fs::path replay = s_Folder / "replay.jsonl";
        WriteFile(replay, ReadFile(s_Script) + extraLines + "{\"state\": \"page\"}\n");
        cli::ChildRun run;
        std::string error;
        EXPECT_TRUE(cli::RunChildConsole(
            WEBAGENT_CONSOLE_PROGRAM,
            {"--json", "--page", (s_Folder / "shop.html").string(), "--script", replay.string()},
            run, error))
            << error;
        return run;
    }

    // The line of the script that holds `text`, counted from 1.
    static size_t LineHolding(const std::string& text) {
        std::vector<std::string> lines = Lines(ReadFile(s_Script));
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].find(text) != std::string::npos) {
                return i + 1;
            }
        }
        return 0;
    }

    static inline fs::path s_Folder;
    static inline std::string s_Script;
    static inline int s_Status = -1;
    static inline std::string s_Out;
    static inline std::string s_Errors;
    static inline bool s_HasState = false;
    static inline cli::PageState s_Recorded;
};

TEST_F(RecordReplay, RecordingWritesEveryStatementWithStableAddresses) {
    ASSERT_EQ(s_Status, cli::kExitHandled) << s_Errors << s_Out;
    EXPECT_EQ(s_Errors, "");
    const std::string script = ReadFile(s_Script);
    const std::string form = "file://" + (s_Folder / "form.html").string();
    // Each statement in words, then its replay; no runtime identifier.
    for (const std::string& said : {"# typed 'alice' into edit 'user' in frame '" + form + "'",
                                    "# chose 'Blue' in list 'colour' in frame '" + form + "'",
                                    "# chose 'Card' in list box 'extras' in frame '" + form + "'",
                                    "# clicked check box 'gift' in frame '" + form + "'",
                                    "# clicked radio button 'size' in frame '" + form + "'",
                                    std::string("# clicked link 'Next' in frame 'nav'")}) {
        EXPECT_NE(script.find(said + "\n"), std::string::npos) << said << "\n" << script;
    }
    for (const char* identifier : {"\"id\": [", "\"on\": ["}) {
        EXPECT_EQ(script.find(identifier), std::string::npos) << "a runtime identifier\n" << script;
    }
    // The agent signals again after the navigation notice of the link it
    // recorded: that is no second click.
    EXPECT_EQ(script.find("# clicked link"), script.rfind("# clicked link")) << script;
    // The second of the links named alike is told apart by its location,
    // and the click that left the page waits for the load.
    const size_t next = LineHolding(R"(["name", "Next"], ["location", 1]]})");
    ASSERT_GT(next, 0u) << script;
    EXPECT_EQ(Lines(script)[next], R"({"user": "wait"})") << script;
    EXPECT_NE(
        script.find(
            R"({"msg": 32, "id": {"frame": {"url": ")" + form +
            R"("}, "desc": [["class", "html_edit"], ["name", "user"]]}, "attrs": [["value", "alice"]]})"),
        std::string::npos)
        << script;
}

TEST_F(RecordReplay, ReplayOnAFreshBrowserEndsInTheRecordedState) {
    ASSERT_TRUE(s_HasState) << s_Out;
    // What the user did is in the recorded state: the look-alike link that
    // was followed is the second.
    const std::vector<cli::FieldState> expected{
        {"", "html_frame", "nav", "file://" + (s_Folder / "second.html").string()},
        {"", "html_edit", "user", "alice"},
        {"", "html_combobox", "colour", "Blue"},
        {"", "html_listbox", "extras", "Card"},
        {"", "html_check_button", "gift", "1"},
    };
    for (const cli::FieldState& field : expected) {
        bool found = false;
        for (const cli::FieldState& have : s_Recorded.fields) {
            found = found || (have.className == field.className && have.name == field.name &&
                              have.value == field.value);
        }
        EXPECT_TRUE(found) << field.className << " " << field.name << " " << field.value << "\n"
                           << s_Out;
    }

    cli::ChildRun run = Replay();
    EXPECT_EQ(run.status, cli::kExitHandled) << run.errors;
    EXPECT_EQ(run.errors, "");
    cli::PageState replayed;
    ASSERT_TRUE(StateOf(run.out, replayed)) << run.out;
    EXPECT_EQ(json(cli::PageStateToJson(replayed)).dump(1),
              json(cli::PageStateToJson(s_Recorded)).dump(1));
}

TEST_F(RecordReplay, ChangedPageFailsAtThatStepAndNamesWhatWasNotFound) {
    const fs::path nav = s_Folder / "nav.html";
    const std::string original = ReadFile(nav);
    std::string renamed = original;
    renamed.replace(renamed.rfind(">Next<"), 6, ">Onward<");
    WriteFile(nav, renamed);
    const size_t step = LineHolding(R"(["name", "Next"], ["location", 1]]})");
    const size_t lines = Lines(ReadFile(s_Script)).size();
    cli::ChildRun run = Replay(
        std::string(
            R"({"user": "click", "on": {"frame": "basket", "desc": [["class", "html_text_link"]]}})"
            "\n"
            R"({"user": "click", "on": {"frame": "nav", "desc": [["class", "html_text_link"]]}})"
            "\n") +
        R"({"msg": 19, "id": )" + FormField("html_combobox", "colour") +
        R"(, "attrs": [["item_text", "Purple"]]})" + "\n" +
        R"({"msg": 49, "id": {}, "attrs": [["method_name", "BrowserCommand"], ["command", "Navigate"]]})"
        "\n");
    WriteFile(nav, original);

    EXPECT_EQ(run.status, cli::kExitRefused) << run.errors;
    EXPECT_EQ(
        run.errors,
        "webagent: line " + std::to_string(step) +
            R"(: no object matches [class "html_text_link", name "Next", location 1] in frame "nav")"
            "\nwebagent: line " +
            std::to_string(lines + 1) + ": no frame is named \"basket\"\n" + "webagent: line " +
            std::to_string(lines + 2) +
            R"(: 2 objects match [class "html_text_link"] in frame "nav")" + "\n" +
            "webagent: line " + std::to_string(lines + 3) +
            R"(: the list [class "html_combobox", )" +
            R"(name "colour"] in the frame showing "file://)" + (s_Folder / "form.html").string() +
            R"(" has no item "Purple" (0x80070057))" + "\n" + "webagent: line " +
            std::to_string(lines + 4) + ": BrowserCommand on the page failed (0x80004005)\n");
}

// The demo records on the demo site, replays in a console of its own and
// compares.
TEST(RecordReplayDemo, ReplayReproducesTheRecordedState) {
    cli::ChildRun run;
    std::string error;
    const fs::path kept =
        fs::temp_directory_path() / ("webagent-demo-record-" + std::to_string(getpid()) + ".jsonl");
    ASSERT_TRUE(cli::RunChildConsole(WEBAGENT_CONSOLE_PROGRAM,
                                     {"--demo-record", "--record-to", kept.string()}, run, error))
        << error;
    // The script is kept where it was asked to be, as printed.
    const std::string script = ReadFile(kept);
    fs::remove(kept);
    EXPECT_NE(script.find("# pressed Back\n"), std::string::npos) << script;
    EXPECT_NE(run.out.find(script), std::string::npos) << run.out;
    EXPECT_EQ(run.status, cli::kExitHandled) << run.errors << run.out;
    EXPECT_EQ(run.errors, "");
    for (const char* text : {"# typed 'Ann' into edit 'name'\n",
                             "# chose 'Blue' in list 'colour'\n", "# clicked check box 'gift'\n",
                             "# pressed Back\n", "# clicked link 'A form with every control'\n",
                             "the replay reproduced the recorded state\n"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    }
}

} // namespace

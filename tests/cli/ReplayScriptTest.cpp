// Recorded statements turned into replay lines, the address form of objects,
// and the recorder's file; no browser is needed.
#include "cli/ReplayScript.h"

#include "cli/ScriptLine.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using nlohmann::json;

CWebVariantList Text(const char* text) {
    return CWebVariantList(CWebVariant(text));
}

// The reply to message 22 for a statement on `id`.
CWebInfo Statement(const char* name, CWebRunTimeID id) {
    CWebInfo statement;
    statement.AppendAttr("id", CWebVariantList(CWebVariant(id)));
    statement.AppendAttr("event_name", Text(name));
    return statement;
}

const CWebRunTimeID kElement(10, 20, 30, -1);
const CWebRunTimeID kBrowser(10, -1, -1, -1);

// Facts of an element in a frame with the given name, title and address, whose
// description (message 39) has the class chain, the name and maybe a location.
cli::StatementFacts Facts(const char* className, const char* name, const char* frameName,
                          const char* frameTitle, const char* frameUrl, int location = -1) {
    cli::StatementFacts facts;
    facts.offset = POINT{3, 4};
    CWebInfo description;
    CWebVariantList classes = Text(className);
    classes.Append(CWebVariant("html_object"));
    description.AppendAttr("class", classes);
    description.AppendAttr("name", Text(name));
    if (location >= 0) {
        description.AppendAttr("location", CWebVariantList(CWebVariant(location)));
    }
    description.AppendAttr("tag", Text(name));
    facts.description = description;
    if (frameName) {
        CWebInfo frame;
        frame.AppendAttr("name", Text(frameName));
        frame.AppendAttr("title", Text(frameTitle));
        frame.AppendAttr("url", Text(frameUrl));
        facts.frame = frame;
    }
    return facts;
}

std::vector<json> Parsed(const cli::ReplaySteps& steps) {
    std::vector<json> lines;
    for (const std::string& line : steps.lines) {
        lines.push_back(json::parse(line));
    }
    return lines;
}

TEST(ReplayOfStatement, ClickNamesItsObjectByFrameNameAndDescriptionWithoutTagOrClassChain) {
    cli::StatementFacts facts =
        Facts("html_text_link", "Next", "nav", "Navigation", "file:///site/nav.html", 1);
    cli::ReplaySteps steps = cli::ReplayOfStatement(Statement("onclick", kElement), &facts);
    EXPECT_EQ(steps.said, "clicked link 'Next' in frame 'nav'");
    ASSERT_EQ(steps.lines.size(), 1u);
    EXPECT_EQ(steps.lines[0],
              R"({"user": "click", "on": {"frame": "nav", "desc": [["class", "html_text_link"], )"
              R"(["name", "Next"], ["location", 1]]}, "at": [3, 4]})");
    EXPECT_FALSE(steps.navigates) << "a click waits only when a navigation notice follows it";
}

TEST(ReplayOfStatement, FrameWithoutANameOfItsOwnIsNamedByItsAddress) {
    for (auto [name, title] :
         {std::pair{"Order form", "Order form"}, std::pair{"form.html", ""}, std::pair{"", ""}}) {
        cli::StatementFacts facts =
            Facts("html_check_button", "gift", name, title, "file:///site/form.html?x=1");
        cli::ReplaySteps steps = cli::ReplayOfStatement(Statement("onclick", kElement), &facts);
        ASSERT_EQ(steps.lines.size(), 1u) << name;
        EXPECT_EQ(json::parse(steps.lines[0])["on"]["frame"],
                  json({{"url", "file:///site/form.html?x=1"}}))
            << name;
    }
    // The page's own document has no frame part.
    cli::StatementFacts page = Facts("html_check_button", "gift", nullptr, nullptr, nullptr);
    auto lines = Parsed(cli::ReplayOfStatement(Statement("onclick", kElement), &page));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0]["on"].contains("frame"));
}

TEST(ReplayOfStatement, EditChangeSetsTheValueAndFiresChange) {
    cli::StatementFacts facts = Facts("html_edit", "user", nullptr, nullptr, nullptr);
    CWebInfo statement = Statement("onchange", kElement);
    statement.AppendAttr("value", Text("alice"));
    statement.AppendAttr("type", Text("text"));
    cli::ReplaySteps steps = cli::ReplayOfStatement(statement, &facts);
    EXPECT_EQ(steps.said, "typed 'alice' into edit 'user'");
    auto lines = Parsed(steps);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["msg"], 32);
    EXPECT_EQ(lines[0]["attrs"], json::parse(R"([["value", "alice"]])"));
    EXPECT_EQ(lines[1]["msg"], 45);
    EXPECT_EQ(lines[1]["attrs"], json::parse(R"([["event_name", "change"]])"));
    EXPECT_EQ(lines[0]["id"], lines[1]["id"]);

    // A text area's lines stay on the comment's line.
    statement.SetAttr("value", Text("a\r\nb"));
    steps = cli::ReplayOfStatement(statement, &facts);
    EXPECT_EQ(steps.said, "typed 'a\\x0D\\x0Ab' into edit 'user'");
    EXPECT_EQ(json::parse(steps.lines[0])["attrs"][0][1], "a\r\nb");
    // A password is replayed but not repeated in the words.
    statement.SetAttr("type", Text("password"));
    EXPECT_EQ(cli::ReplayOfStatement(statement, &facts).said, "typed a password into edit 'user'");
    // An edit statement without a value (a list's earlier record, say) is no edit.
    EXPECT_TRUE(cli::ReplayOfStatement(Statement("onchange", kElement), &facts).lines.empty());
}

TEST(ReplayOfStatement, ListStatementsSelectByItemText) {
    cli::StatementFacts facts = Facts("html_listbox", "extras", nullptr, nullptr, nullptr);
    CWebInfo list;
    list.AppendAttr("record_command", Text("list_select_multi_items"));
    // The recorded items are joined by commas, which an item text holds too.
    list.AppendAttr("record_selection", Text("Red, dark,Card"));
    list.AppendAttr("selection", Text("Red, dark\x1E"
                                      "Card"));
    facts.list = list;
    cli::ReplaySteps steps = cli::ReplayOfStatement(Statement("onchange", kElement), &facts);
    EXPECT_EQ(steps.said, "chose 'Red, dark', 'Card' in list box 'extras'");
    auto lines = Parsed(steps);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0]["msg"], 19);
    EXPECT_EQ(lines[0]["attrs"], json::parse(R"([["item_text", "Red, dark"]])"));
    EXPECT_EQ(lines[1]["attrs"],
              json::parse(R"([["method_name", "ListSelect"], ["value", {"from": "item_num"}]])"));
    EXPECT_EQ(lines[2]["attrs"], json::parse(R"([["item_text", "Card"]])"));
    EXPECT_EQ(lines[3]["attrs"][0][1], "ListExtendSelect");
    EXPECT_EQ(lines[4]["attrs"], json::parse(R"([["event_name", "change"]])"));

    facts.list->SetAttr("record_command", Text("list_deselect_item"));
    facts.list->SetAttr("record_selection", Text("Card"));
    steps = cli::ReplayOfStatement(Statement("onchange", kElement), &facts);
    EXPECT_EQ(steps.said, "removed 'Card' in list box 'extras'");
    ASSERT_EQ(steps.lines.size(), 3u);
    EXPECT_EQ(json::parse(steps.lines[1])["attrs"][0][1], "ListDeselect");

    facts.list->SetAttr("record_command", Text("list_select_item"));
    facts.list->SetAttr("record_selection", Text(""));
    EXPECT_NE(
        cli::ReplayOfStatement(Statement("onchange", kElement), &facts).whyNot.find("no item"),
        std::string::npos);
}

TEST(ReplayOfStatement, BrowserStatementsAreCommandsFollowedByAWait) {
    cli::ReplaySteps back = cli::ReplayOfStatement(Statement("ReLoad", kBrowser), nullptr);
    EXPECT_EQ(back.said, "pressed Reload");
    ASSERT_EQ(back.lines.size(), 2u);
    EXPECT_EQ(back.lines[0], R"({"msg": 49, "id": {}, "attrs": [["method_name", )"
                             R"("BrowserCommand"], ["command", "ReLoad"]]})");
    EXPECT_EQ(back.lines[1], R"({"user": "wait"})");
    EXPECT_TRUE(back.navigates);

    for (const char* name : {"edit_set", "list_select_item"}) {
        CWebInfo statement = Statement(name, kBrowser);
        statement.AppendAttr("url", Text("file:///site/t\xE9.html"));
        auto lines = Parsed(cli::ReplayOfStatement(statement, nullptr));
        ASSERT_EQ(lines.size(), 2u) << name;
        EXPECT_EQ(lines[0]["attrs"][1][1], "Navigate");
        EXPECT_EQ(lines[0]["attrs"][2][1], "file:///site/t\u00e9.html");
    }
    // The address field changed to nothing names no address to go to.
    EXPECT_TRUE(cli::ReplayOfStatement(Statement("edit_set", kBrowser), nullptr).lines.empty());
    // A script's addresses reach the first browser window only.
    cli::StatementFacts elsewhere;
    elsewhere.otherWindow = true;
    EXPECT_EQ(cli::ReplayOfStatement(Statement("Back", kBrowser), &elsewhere).whyNot,
              "the statement 'Back' was made in another browser window");
}

TEST(ScriptRecorder, EveryStatementReachesTheFileUnknownOnesAsComments) {
    auto folder = std::filesystem::temp_directory_path() / "webagent-replay-script-test";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "script.jsonl").string();
    std::ostringstream errors;
    cli::ScriptRecorder recorder(path, errors);
    ASSERT_TRUE(recorder.Open({"site/index.html"}));

    cli::Incoming unknown;
    unknown.record = Statement("onfocus", kElement);
    unknown.facts = Facts("html_file", "attachment", nullptr, nullptr, nullptr);
    recorder.OnStatement(unknown);
    cli::Incoming click;
    click.record = Statement("onclick", kElement);
    click.facts = Facts("html_text_link", "Home", nullptr, nullptr, nullptr);
    recorder.OnNavigation(); // before any step: nothing to wait for
    recorder.OnStatement(click);
    recorder.OnNavigation();
    recorder.OnNavigation(); // one wait per step
    cli::Incoming back;
    back.record = Statement("Back", kBrowser);
    recorder.OnStatement(back);
    recorder.OnNavigation(); // the command waits already
    EXPECT_EQ(recorder.Statements(), 3u);
    EXPECT_FALSE(recorder.Failed());
    EXPECT_EQ(errors.str(), "");

    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[1], "#   webagent --page site/index.html --script " + path);
    EXPECT_EQ(lines[2],
              "# not replayed: the statement 'onfocus' on file field 'attachment' has no replay");
    EXPECT_EQ(json::parse(lines[3].substr(2))["attrs"][1][1]["items"][0]["v"], "onfocus");
    EXPECT_EQ(lines[4], "# clicked link 'Home'");
    EXPECT_EQ(lines[6], R"({"user": "wait"})");
    EXPECT_EQ(lines[7], "# pressed Back");
    EXPECT_EQ(lines[9], R"({"user": "wait"})");
    std::filesystem::remove_all(folder);

    // A file that cannot be written is named; the recording goes on.
    cli::ScriptRecorder nowhere("/nonexistent-webagent-folder/script.jsonl", errors);
    EXPECT_FALSE(nowhere.Open({}));
    nowhere.OnStatement(click);
    EXPECT_TRUE(nowhere.Failed());
    EXPECT_EQ(errors.str(), "webagent: --record-to: the file "
                            "\"/nonexistent-webagent-folder/script.jsonl\" cannot be written\n");
}

TEST(ObjectAddress, ReadsWritesAndRefusesItsForms) {
    cli::ObjectAddress address;
    const json written = json::parse(
        R"({"frame": {"url": "file:///a.html"}, "desc": [["class", "html_edit"], ["index", 2]]})");
    ASSERT_TRUE(cli::AddressFromJson(written, address));
    EXPECT_EQ(address.frame, cli::ObjectAddress::Frame::ByUrl);
    EXPECT_EQ(json::parse(cli::LineText(cli::AddressToJson(address))), written);
    EXPECT_EQ(cli::AddressText(address),
              R"([class "html_edit", index 2] in the frame showing "file:///a.html")");

    ASSERT_TRUE(cli::AddressFromJson(json::object(), address));
    EXPECT_EQ(cli::AddressText(address), "the page");

    for (const char* bad :
         {R"({"frame": 3})", R"({"frame": ""})", R"({"desc": []})", R"({"desc": [["class"]]})",
          R"({"frame": "a", "id": 1})", R"({"frame": {"url": "a", "name": "b"}})"}) {
        EXPECT_FALSE(cli::AddressFromJson(json::parse(bad), address)) << bad;
    }
}

TEST(ScriptLine, AddressesAndReplyValuesAreResolvedBeforeTheLineIsRead) {
    std::vector<std::string> asked;
    cli::LineReferences references{
        {},
        [&](const cli::ObjectAddress& address, std::string& error) -> std::optional<CWebRunTimeID> {
            asked.push_back(address.frameKey);
            if (address.frameKey == "gone") {
                error = "no frame is named \"gone\"";
                return std::nullopt;
            }
            return CWebRunTimeID(1, 2, 3, -1);
        },
        [](std::string_view name, std::string& error) -> std::optional<CWebVariantList> {
            if (name == "item_num") {
                return CWebVariantList(CWebVariant(2));
            }
            error = "the previous reply has no value";
            return std::nullopt;
        }};
    cli::ScriptLine line;
    std::optional<cli::ObjectAddress> address;
    std::string error;
    ASSERT_TRUE(cli::ParseScriptLine(
        R"({"msg": 49, "id": {"frame": "main", "desc": [["class", "html_listbox"]]}, "attrs": [["value", {"from": "item_num"}]]})",
        references, line, address, error))
        << error;
    ASSERT_TRUE(address);
    auto* request = std::get_if<CWebInfo>(&line);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->GetRunTimeID(), CWebRunTimeID(1, 2, 3, -1));
    EXPECT_EQ(request->FindFirstValue("value")->GetInteger(), 2);

    ASSERT_TRUE(cli::ParseScriptLine(R"({"user": "click", "on": {"frame": "nav"}, "at": [1, 2]})",
                                     references, line, address, error))
        << error;
    EXPECT_TRUE(std::get<cli::UserAction>(line).makeVisible);
    EXPECT_EQ(asked, (std::vector<std::string>{"main", "nav"}));

    EXPECT_FALSE(cli::ParseScriptLine(R"({"user": "click", "on": {"frame": "gone"}})", references,
                                      line, address, error));
    EXPECT_EQ(error, "no frame is named \"gone\"");
    EXPECT_FALSE(cli::ParseScriptLine(R"({"msg": 49, "attrs": [["value", {"from": "x"}]]})",
                                      references, line, address, error));
    EXPECT_EQ(error, "the previous reply has no value");
    // Without resolvers (the plain reading of a line) an address is refused.
    EXPECT_FALSE(
        cli::ParseScriptLine(R"({"msg": 5, "id": {}})", cli::IdNameResolver(), line, error));
    EXPECT_EQ(error, "\"id\": addresses cannot be resolved here");
}

} // namespace

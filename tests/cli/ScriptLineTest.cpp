#include "cli/ScriptLine.h"

#include <gtest/gtest.h>

namespace {

cli::IdNameResolver Names() {
    return [](std::string_view name, std::string& error) -> std::optional<CWebRunTimeID> {
        if (name == "last") {
            return CWebRunTimeID(7, 8, 9, -1);
        }
        error = "not here";
        return std::nullopt;
    };
}

cli::UserAction Action(const char* text) {
    cli::ScriptLine line;
    std::string error;
    EXPECT_TRUE(cli::ParseScriptLine(text, Names(), line, error)) << text << ": " << error;
    auto* action = std::get_if<cli::UserAction>(&line);
    EXPECT_NE(action, nullptr) << text;
    return action ? *action : cli::UserAction();
}

std::string Refusal(const char* text) {
    cli::ScriptLine line;
    std::string error;
    EXPECT_FALSE(cli::ParseScriptLine(text, Names(), line, error)) << text;
    return error;
}

TEST(ScriptLine, UserActionsCarryWhatTheyNeed) {
    auto click = Action(R"({"user": "click", "on": "last", "at": [10, -5]})");
    EXPECT_EQ(click.kind, cli::UserAction::Kind::Click);
    EXPECT_EQ(click.on, CWebRunTimeID(7, 8, 9, -1));
    ASSERT_TRUE(click.at);
    EXPECT_EQ(click.at->x, 10);
    EXPECT_EQ(click.at->y, -5);

    auto choose =
        Action(R"({"user": "choose", "on": [1, 2, 3, -1], "items": ["Green", "caf\u00e9"]})");
    EXPECT_EQ(choose.kind, cli::UserAction::Kind::Choose);
    EXPECT_EQ(choose.items, (std::vector<std::string>{"Green", "caf\xE9"}));

    EXPECT_EQ(Action(R"({"user": "toolbar", "button": "Reload"})").text, "Reload");
    EXPECT_EQ(Action(R"({"user": "history", "label": "Tables"})").text, "Tables");
    EXPECT_EQ(Action(R"({"user": "navigate", "url": "http://x/"})").text, "http://x/");
    EXPECT_EQ(Action(R"({"user": "urlbar", "text": "a"})").kind, cli::UserAction::Kind::UrlBar);
    EXPECT_EQ(Action(R"({"user": "rclick", "at": [0, 0]})").kind,
              cli::UserAction::Kind::RightClick);
    EXPECT_EQ(Action(R"({"user": "wait"})").kind, cli::UserAction::Kind::Wait);
}

TEST(ScriptLine, UserActionsRefuseWhatTheyCannotUse) {
    EXPECT_EQ(Refusal(R"({"user": "wait", "at": [1, 2]})"), "\"wait\" takes no key \"at\"");
    EXPECT_EQ(Refusal(R"({"user": "type"})"), "\"type\" needs a string \"text\"");
    EXPECT_EQ(Refusal(R"({"user": "toolbar", "button": "Print"})"),
              "\"toolbar\" needs \"button\": \"Back\", \"Forward\", \"Reload\", \"Stop\" or "
              "\"Home\"");
    EXPECT_EQ(Refusal(R"({"user": "choose", "items": ["a"]})"), "\"choose\" needs \"on\": ID");
    EXPECT_EQ(Refusal(R"({"user": "choose", "on": "last", "items": []})"),
              "\"choose\" needs \"items\": a list of item texts");
    EXPECT_EQ(Refusal(R"({"user": "move", "at": [1]})"), "\"move\" needs \"at\" as [x, y]");
    EXPECT_EQ(Refusal(R"({"user": "click", "on": "page"})"),
              "\"click\" \"on\": id \"page\": not here");
    EXPECT_EQ(Refusal(R"({"raw": "00", "msg": 1})"),
              "a raw line is {\"raw\": \"HEX\"} and nothing else");
}

TEST(ScriptLine, CommentsAndBlankLinesAreSkipped) {
    for (const char* text : {"", "   ", "# a note", "  # indented note", "\r"}) {
        cli::ScriptLine line;
        std::string error;
        ASSERT_TRUE(cli::ParseScriptLine(text, Names(), line, error)) << text;
        EXPECT_TRUE(std::holds_alternative<cli::CommentLine>(line)) << text;
    }
}

} // namespace

namespace {

TEST(ScriptLine, TreeLinesNameTheirRoot) {
    cli::ScriptLine line;
    std::string error;
    ASSERT_TRUE(cli::ParseScriptLine(R"({"tree": "last"})", Names(), line, error)) << error;
    auto* tree = std::get_if<cli::TreeLine>(&line);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->id, CWebRunTimeID(7, 8, 9, -1));
    ASSERT_TRUE(cli::ParseScriptLine(R"({"tree": [1, 2, -1, -1]})", Names(), line, error));
    EXPECT_EQ(std::get<cli::TreeLine>(line).id, CWebRunTimeID(1, 2, -1, -1));
    EXPECT_NE(Refusal(R"({"tree": "page", "msg": 5})"), "");
    EXPECT_NE(Refusal(R"({"tree": "nowhere"})"), "");
    EXPECT_NE(Refusal(R"({"tree": [1, 2]})"), "");
}

} // namespace

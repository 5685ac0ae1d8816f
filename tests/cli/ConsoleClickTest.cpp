// Pointer actions "on" an object, in a process of their own: the agent
// component starts once per process.
#include "cli/Console.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

// A click "on" an element aims at its place on the screen: an element's own
// "rect" is relative to its frame, and clicking there would hit whatever lies
// at that point of the window instead (here: another link of the demo page).
TEST(ConsoleInBrowser, ClickOnAnElementFollowsThatLink) {
    std::istringstream in(
        R"({"msg": 15, "id": "browser", "attrs": [["class", "html_link"], ["text", "A form with every control"]]}
{"user": "click", "on": "last"}
{"user": "wait"}
{"msg": 5, "id": "page", "attrs": [["title", ""]]}
)");
    std::ostringstream out;
    std::ostringstream errors;
    EXPECT_EQ(cli::RunConsole({"--json"}, in, out, errors), cli::kExitHandled)
        << errors.str() << out.str();
    std::vector<nlohmann::json> replies;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        nlohmann::json parsed = nlohmann::json::parse(line);
        if (parsed.contains("reply")) {
            replies.push_back(parsed["reply"]);
        }
    }
    ASSERT_EQ(replies.size(), 2u) << out.str();
    EXPECT_EQ(replies[1]["attrs"][0][1]["items"][0]["v"], "Form") << out.str();
}

} // namespace

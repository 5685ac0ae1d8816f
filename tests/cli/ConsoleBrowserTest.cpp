#include "cli/BrowserStart.h"
#include "cli/Console.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

using nlohmann::json;

struct Transcript {
    int status = -1;
    std::vector<json> replies;
    std::vector<json> events;
    std::string out;
    std::string errors;
};

Transcript RunScript(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out;
    std::ostringstream errors;
    Transcript run;
    run.status = cli::RunConsole({"--json"}, in, out, errors);
    run.out = out.str();
    run.errors = errors.str();
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        json parsed = json::parse(line);
        if (parsed.contains("reply")) {
            run.replies.push_back(parsed["reply"]);
        } else if (parsed.contains("event")) {
            run.events.push_back(parsed["event"]);
        }
    }
    return run;
}

// The console started without a page opens the demo site in the simulated
// browser with the agent loaded: the agent answers for the browser window,
// and the simulated user's actions reach the browser.
TEST(ConsoleInBrowser, ScriptedSessionAgainstTheDemoSite) {
    std::string tables = "file://" + cli::DemoSiteFolder() + "/tables.html";
    Transcript run = RunScript(R"({"msg": 1, "id": "browser"}
{"msg": 5, "id": "browser", "attrs": [["handle", 0]]}
{"user": "navigate", "url": ")" +
                               tables + R"("}
{"user": "wait"}
{"user": "toolbar", "button": "Back"}
{"user": "wait"}
{"user": "click", "at": [5000, 5000]}
{"user": "click", "on": [1, 2, 3, 4]}
)");
    EXPECT_EQ(run.status, cli::kExitRefused) << run.errors << run.out;
    EXPECT_EQ(run.errors, "webagent: line 7: nothing to act on at (5000,5000)\n"
                          "webagent: line 8: the object has no screen rectangle\n");
    ASSERT_FALSE(run.events.empty()) << run.out;
    const json& hello = run.events[0];
    EXPECT_EQ(hello["msg"], 38) << "the connection announcement comes first";
    ASSERT_EQ(run.replies.size(), 2u) << run.out;
    EXPECT_EQ(run.replies[0]["ret"], 0) << run.out;
    EXPECT_EQ(run.replies[0]["attrs"][0][0], "state") << run.out;
    // "browser" is the window the agent announced.
    EXPECT_EQ(run.replies[1]["id"][0], hello["attrs"][0][1]["items"][0]["v"]) << run.out;
    EXPECT_EQ(run.replies[1]["attrs"][0][1]["items"][0]["v"], hello["attrs"][0][1]["items"][0]["v"])
        << run.out;
}

} // namespace

// A page given as an address that the browser cannot load shows the browser's
// error page; the console reports it by name and refuses to go on. (Runs after
// the session above: the agent is not needed for it.)
TEST(ConsoleInBrowser, PageThatFailsToLoadIsAnErrorNamingIt) {
    const std::string missing = "file:///nonexistent-webagent-folder/missing.html";
    std::istringstream in("{\"msg\": 1, \"id\": \"browser\"}\n");
    std::ostringstream out;
    std::ostringstream errors;
    int status = cli::RunConsole({"--json", "--page", missing}, in, out, errors);
    EXPECT_EQ(status, cli::kExitRefused) << errors.str() << out.str();
    EXPECT_NE(errors.str().find("page \"" + missing + "\" cannot be loaded"), std::string::npos)
        << errors.str();
}

// The console's page lookups against the simulated browser. Apart from the
// other browser tests: the agent component starts once per process.
#include "cli/BrowserStart.h"
#include "cli/Printer.h"
#include "cli/ScriptRunner.h"
#include "cli/Session.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

using nlohmann::json;

// "page" is asked of the agent once, not before every line that names it,
// and again after the user leaves the page.
TEST(ConsoleInBrowser, PageIsLookedUpOnceAndAgainAfterANavigation) {
    cli::Session session;
    std::string error;
    ASSERT_TRUE(session.Start(cli::BrowserStart{}, error)) << error;
    ASSERT_TRUE(session.HasBrowser()) << session.BrowserError();
    std::ostringstream out;
    std::ostringstream errors;
    cli::Printer printer(out, cli::OutputForm::Json);
    cli::ScriptRunner runner(session, printer, errors);
    runner.Drain();

    const std::string tables = "file://" + cli::DemoSiteFolder() + "/tables.html";
    std::istringstream script(R"({"msg": 7, "id": "page"}
{"msg": 5, "id": "page", "attrs": [["title", ""]]}
{"msg": 7, "id": "page"}
{"msg": 60}
)");
    runner.Run(script);
    EXPECT_EQ(errors.str(), "");
    EXPECT_EQ(session.PageLookups(), 1u);

    std::istringstream away(R"({"user": "navigate", "url": ")" + tables + R"("}
{"user": "wait"}
{"msg": 5, "id": "page", "attrs": [["title", ""]]}
{"msg": 5, "id": "page", "attrs": [["title", ""]]}
)");
    out.str("");
    runner.Run(away);
    EXPECT_EQ(errors.str(), "");
    EXPECT_EQ(session.PageLookups(), 2u);
    // The page named after the navigation is the new one.
    std::istringstream lines(out.str());
    std::vector<json> replies;
    for (std::string line; std::getline(lines, line);) {
        json parsed = json::parse(line);
        if (parsed.contains("reply")) {
            replies.push_back(parsed["reply"]);
        }
    }
    ASSERT_EQ(replies.size(), 2u) << out.str();
    EXPECT_EQ(replies[0]["ret"], 0) << out.str();
    EXPECT_EQ(replies[0]["attrs"][0][1]["items"][0]["v"], "Tables") << out.str();
    EXPECT_EQ(replies[0]["attrs"], replies[1]["attrs"]);
    session.Stop();
}

} // namespace

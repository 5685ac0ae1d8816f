// The console's object trees with the simulated browser and the agent: the
// --tree option and the {"tree": ID} line on a page with a table and an
// inner frame.
#include "cli/Console.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <unistd.h>

namespace {

using nlohmann::json;

class ConsoleTree : public ::testing::Test {
protected:
    void SetUp() override {
        m_Dir = std::filesystem::temp_directory_path() /
                ("webagent_console_tree_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_Dir);
        std::ofstream(m_Dir / "inner.html") << "<a href='x.html'>Inner link</a>";
        std::ofstream(m_Dir / "page.html")
            << "<title>Tree page</title><a href='y.html'>Top link</a>"
               "<table><tr><td>Cell one</td><td>Cell two</td></tr></table>"
               "<iframe src='inner.html'></iframe>";
    }
    void TearDown() override { std::filesystem::remove_all(m_Dir); }

    std::string PagePath() const { return (m_Dir / "page.html").string(); }

    std::filesystem::path m_Dir;
};

// One session per process: the option and the script line are run together.
TEST_F(ConsoleTree, TreeOptionAndTreeLines) {
    std::ofstream(m_Dir / "script.jsonl") << R"({"tree": "page"}
{"tree": [1, 2, 3, 4]}
)";
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream errors;
    int status = cli::RunConsole(
        {"--json", "--page", PagePath(), "--tree", "--script", (m_Dir / "script.jsonl").string()},
        in, out, errors);
    EXPECT_EQ(status, cli::kExitRefused) << "the second line names no object";
    EXPECT_NE(errors.str().find("line 2"), std::string::npos) << errors.str();
    std::vector<json> tree;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        json parsed = json::parse(line);
        if (parsed.contains("tree")) {
            tree.push_back(parsed["tree"]);
        }
    }
    auto shape = [&](size_t from, size_t count) {
        std::vector<std::string> out;
        for (size_t i = from; i < from + count && i < tree.size(); ++i) {
            out.push_back(std::string(static_cast<size_t>(tree[i]["depth"].get<int>()) * 2, ' ') +
                          tree[i]["class"].get<std::string>() + " " +
                          tree[i]["name"].get<std::string>());
        }
        return out;
    };
    // The --tree part: browser, page, the inner frame with its link, then
    // the page's own objects; a table lists its cells ("child" counts them).
    ASSERT_GE(tree.size(), 8u) << out.str();
    EXPECT_EQ(shape(0, 8), (std::vector<std::string>{
                               "html_browser ", "  html_frame Tree page",
                               "    html_frame inner.html", "      html_text_link Inner link",
                               "    html_text_link Top link", "    html_table Cell one",
                               "      html_cell Cell one", "      html_cell Cell two"}));
    EXPECT_TRUE(tree[1]["rect"].is_array());
    EXPECT_TRUE(tree[0]["rect"].is_null());
    // The {"tree": "page"} line: the same below the page, one level up.
    ASSERT_EQ(tree.size(), 15u) << out.str();
    EXPECT_EQ(tree[8]["depth"], 0);
    EXPECT_EQ(tree[8]["name"], "Tree page");
    EXPECT_EQ(tree[14]["id"], tree[7]["id"]);
}

} // namespace

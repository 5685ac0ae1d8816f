#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

const fs::path kDemo = fs::path(WEBAGENT_SOURCE_DIR) / "src/cli/demo";

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every page the demo site links to, shows or frames is shipped with it, and
// every image is the kind its name says.
TEST(DemoSite, EveryReferenceIsShippedAndEveryImageIsWhatItsNameSays) {
    std::regex reference(R"((?:href|src)="([^"#:]+)(?:#[^"]*)?")", std::regex::icase);
    std::set<std::string> kinds;
    size_t pages = 0;
    for (const auto& entry : fs::directory_iterator(kDemo)) {
        const fs::path& path = entry.path();
        if (path.extension() == ".html") {
            ++pages;
            std::string html = Read(path);
            for (std::sregex_iterator it(html.begin(), html.end(), reference), end; it != end;
                 ++it) {
                std::string target = (*it)[1];
                EXPECT_TRUE(fs::exists(kDemo / target))
                    << path.filename() << " refers to the missing " << target;
            }
            for (const char* kind : {"<map", "<table", "<form", "<frameset", "<iframe", "<img"}) {
                if (html.find(kind) != std::string::npos) {
                    kinds.insert(kind);
                }
            }
        } else if (path.extension() == ".png") {
            EXPECT_EQ(Read(path).substr(0, 8), "\x89PNG\r\n\x1a\n") << path;
        } else if (path.extension() == ".gif") {
            std::string gif = Read(path);
            EXPECT_EQ(gif.substr(0, 6), "GIF89a") << path;
            EXPECT_EQ(gif.back(), ';') << path << " has no trailer";
        }
    }
    EXPECT_GE(pages, 6u);
    EXPECT_EQ(kinds.size(), 6u) << "the site shows every kind of object";
}

// The form shows every control kind the agent knows.
TEST(DemoSite, TheFormHasEveryControlKind) {
    std::string form = Read(kDemo / "form.html");
    for (const char* control :
         {"type=\"text\"", "type=\"password\"", "type=\"hidden\"", "type=\"radio\"",
          "type=\"checkbox\"", "type=\"file\"", "type=\"submit\"", "type=\"reset\"",
          "type=\"button\"", "type=\"image\"", "<textarea", "<select name=\"colour\">", "multiple",
          "<optgroup", "<button"}) {
        EXPECT_NE(form.find(control), std::string::npos) << control;
    }
}

} // namespace

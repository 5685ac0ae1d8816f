#include "cli/ImagesDemo.h"

#include "cli/BrowserStart.h"
#include "platform/win32/CrtFile.h"

#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace cli {

namespace {

struct Step {
    const char* heading; // null: the line belongs to the step before
    std::string line;
};

// A JSON string literal of `text` (backslashes and quotes escaped).
std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

std::string Find(std::string_view attrs) {
    return R"({"msg": 15, "id": "browser", "attrs": [["class", )" + std::string(attrs) + "]]}";
}

std::vector<Step> Steps() {
    const std::string site = "file://" + DemoSiteFolder();
    const std::string showLast = R"({"msg": 7, "id": "last"})";
    const std::string findMap = Find(R"("html_rect"], ["type", "Server Side ImageMap")");
    return {
        {"open the images page (message 49, browser command Navigate)",
         R"({"msg": 49, "id": "page", "attrs": [["method_name", "BrowserCommand"], )"
         R"(["command", "Navigate"], ["url", )" +
             Quoted(site + "/images.html") + "]]}"},
        {nullptr, R"({"user": "wait"})"},
        {"a text link and its properties (messages 15 and 7)",
         Find(R"("html_text_link"], ["text", "Home")")},
        {nullptr, showLast},
        {"an image link (messages 15 and 7)", Find(R"("html_rect"], ["type", "Image Link")")},
        {nullptr, showLast},
        {"a server-side image map (messages 15 and 7)", findMap},
        {nullptr, showLast},
        {"an image button (messages 15 and 7)", Find(R"("html_rect"], ["type", "Image Button")")},
        {nullptr, showLast},
        {"replay a click at (10, 20) on the image map, which follows its link (messages 15 and "
         "45)",
         findMap},
        {nullptr, R"({"msg": 45, "id": "last", "attrs": [["event_name", "click"], )"
                  R"(["pos", {"type": 5, "items": [{"t": 5, "v": [10, 20]}]}]]})"},
        {nullptr, R"({"user": "wait"})"},
        {nullptr, R"({"msg": 5, "id": "page", "attrs": [["url", ""]]})"},
        {"save the site's logo to a file (message 52)",
         R"({"msg": 52, "id": "browser", "attrs": [["url", )" + Quoted(site + "/logo.png") +
             R"(], ["file_name", )" + Quoted(kDemoImageFile) + "]]}"},
    };
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

size_t RunImagesDemo(ScriptRunner& runner, Printer& printer, std::ostream& out, size_t lineNumber) {
    const bool text = printer.Form() == OutputForm::Text;
    for (const Step& step : Steps()) {
        runner.RunShown(step.heading != nullptr ? step.heading : "", step.line, ++lineNumber);
    }
    runner.Drain();
    if (text) {
        printer.Heading("the file " + std::string(kDemoImageFile));
        std::string saved = ReadAll(MapFileName(kDemoImageFile));
        std::string logo = ReadAll(DemoSiteFolder() + "/logo.png");
        out << saved.size() << " bytes; "
            << (!saved.empty() && saved == logo ? "the same bytes as logo.png"
                                                : "not the demo site's logo")
            << '\n';
    }
    return lineNumber;
}

} // namespace cli

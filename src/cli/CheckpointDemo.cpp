#include "cli/CheckpointDemo.h"

#include "platform/win32/CrtFile.h"

#include <fstream>
#include <ostream>
#include <sstream>

namespace cli {

namespace {

struct Step {
    const char* heading; // null: the line belongs to the step before
    std::string line;
};

std::string FileAttr(std::string_view name) {
    std::string escaped;
    for (char c : name) {
        if (c == '\\') {
            escaped += '\\';
        }
        escaped += c;
    }
    return R"(["file_name", ")" + escaped + R"("])";
}

std::vector<Step> Steps() {
    // Message 42 finds the first object below the page whose properties
    // match, depth first.
    const std::string findLink =
        R"({"msg": 42, "id": "page", "attrs": [["tag_name", "A"], ["inner_text", "Tables"]]})";
    const std::string findTable =
        R"({"msg": 42, "id": "page", "attrs": [["class", "html_table"]]})";
    return {
        {"scroll the link \"Tables\" into view (messages 42 and 27)", findLink},
        {nullptr,
         R"({"msg": 27, "id": "last", "attrs": [["point", {"type": 5, "items": [{"t": 5, "v": [2, 2]}]}]]})"},
        {"replay a click on the link, which follows it (messages 42 and 45)", findLink},
        {nullptr, R"({"msg": 45, "id": "last", "attrs": [["event_name", "onclick"]]})"},
        {nullptr, R"({"user": "wait"})"},
        {nullptr, R"({"msg": 5, "id": "page", "attrs": [["title", ""]]})"},
        {"a table checkpoint of the first table (messages 42 and 21)", findTable},
        {nullptr, R"({"msg": 21, "id": "last", "attrs": [)" + FileAttr(kDemoTableFile) + "]}"},
        {"a format file of the first table (messages 42 and 37)", findTable},
        {nullptr, R"({"msg": 37, "id": "last", "attrs": [)" + FileAttr(kDemoFormatFile) + "]}"},
        // Message 23 finds every object of a class below the page and writes
        // one line for each under a header.
        {"the page's links and images as tables (message 23)",
         R"({"msg": 23, "id": "page", "attrs": [["class", "html_link"], )" +
             FileAttr(kDemoLinksFile) + "]}"},
        {nullptr, R"({"msg": 23, "id": "page", "attrs": [["class", "html_rect"], )" +
                      FileAttr(kDemoImagesFile) + "]}"},
    };
}

} // namespace

std::vector<std::string> CheckpointDemoLines() {
    std::vector<std::string> lines;
    for (const Step& step : Steps()) {
        lines.push_back(step.line);
    }
    return lines;
}

std::string ShowFileBytes(std::string_view windowsName) {
    std::ifstream in(MapFileName(windowsName), std::ios::binary);
    if (!in) {
        return "(no such file)\n";
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string shown;
    for (char c : bytes.str()) {
        switch (c) {
        case '\t':
            shown += "\\t";
            break;
        case '\r':
            shown += "\\r";
            break;
        case '\n':
            shown += "\\n\n";
            break;
        default:
            shown += c;
        }
    }
    if (shown.empty() || shown.back() != '\n') {
        shown += '\n';
    }
    return shown;
}

size_t RunCheckpointDemo(ScriptRunner& runner, Printer& printer, std::ostream& out,
                         size_t lineNumber) {
    const bool text = printer.Form() == OutputForm::Text;
    for (const Step& step : Steps()) {
        runner.RunShown(step.heading != nullptr ? step.heading : "", step.line, ++lineNumber);
    }
    runner.Drain();
    if (text) {
        for (std::string_view file :
             {kDemoTableFile, kDemoFormatFile, kDemoLinksFile, kDemoImagesFile}) {
            printer.Heading("the file " + std::string(file));
            out << ShowFileBytes(file);
        }
    }
    return lineNumber;
}

} // namespace cli

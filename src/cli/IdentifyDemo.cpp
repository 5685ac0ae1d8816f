#include "cli/IdentifyDemo.h"

#include "cli/RecordJson.h"

#include <string>

namespace cli {

namespace {

void Step(ScriptRunner& runner, Printer& printer, std::ostream& out, size_t& lineNumber,
          std::string_view heading, const std::string& line) {
    printer.Heading(heading);
    if (printer.Form() == OutputForm::Text) {
        out << "> " << line << '\n';
    }
    runner.RunLine(line, ++lineNumber);
}

// The description of the previous reply as a message 15 request to the
// page; the tag is for the tool's eyes and is not sent back. Without a
// previous reply the request describes nothing.
std::string DescriptionSentBack(const CWebInfo* reply) {
    nlohmann::json attrs = nlohmann::json::array();
    for (const CAttrPair& attr : reply ? reply->Attrs() : std::vector<CAttrPair>()) {
        if (attr.GetName() != "tag") {
            attrs.push_back({Utf8FromAnsi(attr.GetName()), ValueToJson(attr.GetValue())});
        }
    }
    return nlohmann::json{{"msg", 15}, {"id", "page"}, {"attrs", attrs}}.dump();
}

} // namespace

void RunIdentificationDemo(ScriptRunner& runner, Printer& printer, std::ostream& out,
                           size_t& lineNumber) {
    Step(runner, printer, out, lineNumber, "the page's links by a description (message 15)",
         R"({"msg": 15, "id": "page", "attrs": [["class", "html_link"]]})");
    Step(runner, printer, out, lineNumber,
         "the description the agent makes for the first of them, with its tag (message 39)",
         R"({"msg": 39, "id": "last"})");
    Step(runner, printer, out, lineNumber,
         "that description sent back finds the same object (message 15)",
         DescriptionSentBack(runner.LastReply()));
    Step(runner, printer, out, lineNumber, "how many objects the page holds (message 26)",
         R"({"msg": 26, "id": "page", "attrs": [["class", "html_object"]]})");
    Step(runner, printer, out, lineNumber, "an enumeration of the page's objects (message 51)",
         R"({"msg": 51, "id": "page", "attrs": [["bEnumNeeded", 1]]})");
    Step(runner, printer, out, lineNumber, "the next object of the enumeration (message 51)",
         R"({"msg": 51, "id": "page", "attrs": [["bEnumNeeded", 0]]})");
    Step(
        runner, printer, out, lineNumber, "the objects at a point of the page (message 17)",
        R"({"msg": 17, "id": "page", "attrs": [["point", {"type": 5, "items": [{"t": 5, "v": [40, 40]}]}]]})");
}

} // namespace cli

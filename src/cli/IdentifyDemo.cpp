#include "cli/IdentifyDemo.h"

#include "cli/RecordJson.h"

#include <string>

namespace cli {

namespace {

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

void RunIdentificationDemo(ScriptRunner& runner, size_t& lineNumber) {
    runner.RunShown("the page's links by a description (message 15)",
                    R"({"msg": 15, "id": "page", "attrs": [["class", "html_link"]]})",
                    ++lineNumber);
    runner.RunShown(
        "the description the agent makes for the first of them, with its tag (message 39)",
        R"({"msg": 39, "id": "last"})", ++lineNumber);
    runner.RunShown("that description sent back finds the same object (message 15)",
                    DescriptionSentBack(runner.LastReply()), ++lineNumber);
    runner.RunShown("how many objects the page holds (message 26)",
                    R"({"msg": 26, "id": "page", "attrs": [["class", "html_object"]]})",
                    ++lineNumber);
    runner.RunShown("an enumeration of the page's objects (message 51)",
                    R"({"msg": 51, "id": "page", "attrs": [["bEnumNeeded", 1]]})", ++lineNumber);
    runner.RunShown("the next object of the enumeration (message 51)",
                    R"({"msg": 51, "id": "page", "attrs": [["bEnumNeeded", 0]]})", ++lineNumber);
    runner.RunShown(
        "the objects at a point of the page (message 17)",
        R"({"msg": 17, "id": "page", "attrs": [["point", {"type": 5, "items": [{"t": 5, "v": [40, 40]}]}]]})",
        ++lineNumber);
}

} // namespace cli

// Recorded statements turned into console lines that replay them on a fresh
// browser, and the file those lines are appended to while recording.
//
//     cli::ScriptRecorder recorder("scenario.jsonl", "form.html", std::cerr);
//     runner.SetRecorder(&recorder);     // every statement and navigation notice
//     ...
//     // scenario.jsonl:
//     // # typed 'alice' into edit 'user'
//     // {"msg": 32, "id": {"desc": [["class", "html_edit"], ["name", "user"]]}, ...}
//
// Objects are named by address (cli/ObjectAddress.h), never by runtime
// identifiers. A statement the converter does not know is written as
// comments, so nothing recorded is lost from the file.
#pragma once

#include "cli/ObjectAddress.h"
#include "cli/Session.h"

#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

struct ReplaySteps {
    std::string said;               // what the user did, in words
    std::vector<std::string> lines; // the lines that replay it; empty: not replayable
    std::string whyNot;             // why it is not replayable
    bool navigates = false;         // the replay ends with a wait for loading
};

// The replay of one recorded statement (the reply to message 22) with what
// the console learnt about its object at the signal.
ReplaySteps ReplayOfStatement(const CWebInfo& statement, const StatementFacts* facts);

// The frame part of an address from the frame's "name", "title" and "url":
// its name when it has one of its own (not its title, not the last segment of
// its address, which the agent gives unnamed frames), else its address.
bool FrameAddressOf(const CWebInfo& frameProperties, ObjectAddress& address);

// A JSON value as one line with a blank after every ":" and ",", as the
// console's documentation writes its lines.
std::string LineText(const nlohmann::ordered_json& value);

class ScriptRecorder {
public:
    ScriptRecorder(std::string path, std::ostream& errors)
        : m_Path(std::move(path)), m_Errors(errors) {}

    // Creates (or empties) the file and writes its heading; false, with an
    // error naming the file, when it cannot be written.
    bool Open(const std::vector<std::string>& pages);
    void OnStatement(const Incoming& recorded);
    // A navigation notice: the step written last waits for the load.
    void OnNavigation();
    // Whether every statement reached the file.
    bool Failed() const { return m_Failed; }
    size_t Statements() const { return m_Statements; }

private:
    void Write(const std::vector<std::string>& lines);

    std::string m_Path;
    std::ostream& m_Errors;
    std::ofstream m_File;
    bool m_Failed = false;
    size_t m_Statements = 0;
    // The last step written may navigate and has no wait after it yet.
    bool m_MayWait = false;
};

} // namespace cli

// How the console prints what the agent sends: readable text, JSON lines, or
// JSON lines with replies as raw bytes.
//
//     cli::Printer printer(std::cout, cli::OutputForm::Json);
//     printer.Reply(incoming);      // {"reply": {"msg": ..., "attrs": [...]}}
#pragma once

#include "cli/ObjectTree.h"
#include "cli/PageState.h"
#include "cli/Session.h"

#include <chrono>
#include <ostream>

namespace cli {

enum class OutputForm { Text, Json, Raw };

class Printer {
public:
    Printer(std::ostream& out, OutputForm form) : m_out(out), m_form(form) {}

    OutputForm Form() const { return m_form; }

    void Reply(const Incoming& reply);
    // The agent handled a request without answering it.
    void NoReply(int32_t webInfoId);
    // The wait for a request's reply ran out.
    void TimedOut(int32_t webInfoId, std::chrono::milliseconds wait);
    // A record the agent sent on its own (announcements, navigation notices).
    void Event(const Incoming& event);
    // A recorded statement, as collected after the agent's signal.
    void Recorded(const Incoming& recorded);
    void Trace(const Incoming& line);
    // One object of a test-object tree: an indented line, or
    // {"tree": {"depth", "id", "class", "name", "rect"}}.
    void Tree(const TreeEntry& entry);
    // The state of a page's fields: "state: ..." lines, or {"state": {...}}.
    void State(const PageState& state);
    // A heading of the demo session (text form only).
    void Heading(std::string_view text);
    // A line of the demo session as it is run: "> LINE" (text form only).
    void Echo(std::string_view line);

private:
    void Record(const char* label, const Incoming& incoming);

    std::ostream& m_out;
    OutputForm m_form;
};

} // namespace cli

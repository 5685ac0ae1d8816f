// Runs console script lines against a session and prints what comes back:
// the reply of each request, the records the agent sends on its own, the
// recorded statements it signals and the trace lines.
//
//     cli::ScriptRunner runner(session, printer, std::cerr);
//     runner.Run(std::cin);                 // every line, errors on the error stream
//     return runner.Refused() ? 1 : 0;
//
// A request whose wait runs out (the session's reply wait) is reported as a
// time-out; its reply, should it come later, is printed as the reply it is,
// and at the end of the input the runner waits for such replies once more.
#pragma once

#include "cli/Printer.h"
#include "cli/ReplayScript.h"
#include "cli/ScriptLine.h"
#include "cli/Session.h"

#include <istream>
#include <optional>
#include <ostream>
#include <set>
#include <string_view>

namespace cli {

class ScriptRunner {
public:
    ScriptRunner(Session& session, Printer& printer, std::ostream& errors)
        : m_session(session), m_printer(printer), m_errors(errors) {}

    // Runs one line; false (with the line number and the reason on the error
    // stream) when the line was refused.
    bool RunLine(std::string_view text, size_t lineNumber);
    // Runs a line of the demo session in view: its heading first (none when
    // empty), then the line itself, then what it got.
    bool RunShown(std::string_view heading, std::string_view text, size_t lineNumber);
    // Runs every line of the stream, then waits for replies still due;
    // answers how many lines were refused.
    size_t Run(std::istream& in);
    // Waits up to the session's reply wait for the replies of requests that
    // timed out, printing them as they come, then prints what else arrived.
    void FinishPending();
    size_t PendingReplies() const { return m_pending.size(); }
    // Prints the test-object tree below `root`; false with the reason when
    // the agent knows no such object.
    bool PrintTree(const CWebRunTimeID& root, std::string& error);
    // Turns the agent's trace channel on for the categories of mask.
    bool EnableTrace(int32_t mask);
    // Prints what arrived since the last line (announcements, notices, trace
    // lines, recorded statements).
    void Drain();
    // Hands every recorded statement and navigation notice to the recorder
    // as well (null: none).
    void SetRecorder(ScriptRecorder* recorder) { m_recorder = recorder; }
    // Prints the state of the page's fields (the line {"state": "page"}).
    bool PrintState(std::string& error);

    size_t Refused() const { return m_refused; }
    // How many requests of the lines run were answered.
    size_t Replies() const { return m_replies; }
    // The previous reply, or null when the previous request had none.
    const CWebInfo* LastReply() const { return m_lastReply ? &*m_lastReply : nullptr; }

private:
    enum class Outcome { Replied, NotReplied, TimedOut };

    void Refuse(size_t lineNumber, std::string_view reason);
    // Sends and prints: the record with the expected request number is the
    // reply, anything else is printed as an event (or as the late reply of a
    // request that timed out).
    Outcome Exchange(const CWebInfo* request, std::vector<uint8_t> bytes, int32_t expectedId);
    void PrintIncoming(std::vector<Incoming> incoming, std::optional<int32_t> expectedId,
                       bool& replied);
    std::optional<CWebRunTimeID> Resolve(std::string_view name, std::string& error);
    std::optional<CWebVariantList> ReplyValue(std::string_view name, std::string& error) const;

    Session& m_session;
    Printer& m_printer;
    std::ostream& m_errors;
    size_t m_refused = 0;
    size_t m_replies = 0;
    int32_t m_nextWebInfoId = 1;
    // The first "id" of the previous reply, for "last".
    std::optional<CWebRunTimeID> m_last;
    std::optional<CWebInfo> m_lastReply;
    bool m_hadReply = false;
    // The line being run named "page": a reply saying its object is gone
    // makes the session look the page up again.
    bool m_usedPage = false;
    // Requests whose wait ran out, by number.
    std::set<int32_t> m_pending;
    ScriptRecorder* m_recorder = nullptr; // observes: outlives the runner's lines
};

} // namespace cli

#include "cli/ScriptRunner.h"

#include "agent/common/AgentCodes.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace cli {

namespace {

constexpr int32_t kMsgLastEvent = 22;
constexpr int32_t kMsgTraceSettings = 29;

// Whether a reply says that the object it was asked about no longer exists.
bool SaysObjectGone(const CWebInfo& reply) {
    if (reply.GetRetValue() == E_FAIL || reply.GetRetValue() == kResultNotFound) {
        return true;
    }
    for (const CAttrPair& attr : reply.Attrs()) {
        if (attr.GetValue().IsStatus() && attr.GetValue().GetStatus() == kWebStatusObjectGone) {
            return true;
        }
    }
    return false;
}

// Control characters written as escapes, so that a name holding a line feed
// cannot split an error message or forge a line of its own.
std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

// The first attribute "id" that holds a runtime identifier.
std::optional<CWebRunTimeID> FirstId(const CWebInfo& record) {
    for (const CAttrPair& attr : record.Attrs()) {
        if (attr.GetName() == "id") {
            const CWebVariant* first = attr.GetValue().GetAt(0);
            if (first && first->GetType() == WebVariantType::RunTimeID) {
                return first->GetRunTimeID();
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<CWebRunTimeID> ScriptRunner::Resolve(std::string_view name, std::string& error) {
    if (name == "browser") {
        return m_session.BrowserId(error);
    }
    if (name == "page") {
        m_usedPage = true;
        return m_session.PageId(error);
    }
    if (!m_hadReply) {
        error = "no reply yet";
    } else if (!m_last) {
        error = "the previous reply carried no \"id\"";
    }
    return m_last;
}

void ScriptRunner::Refuse(size_t lineNumber, std::string_view reason) {
    ++m_refused;
    m_errors << "webagent: line " << lineNumber << ": " << EscapeControls(reason) << '\n';
    m_errors.flush();
}

bool ScriptRunner::RunLine(std::string_view text, size_t lineNumber) {
    Drain();
    ScriptLine line;
    std::string error;
    IdNameResolver names = [this](std::string_view name, std::string& why) {
        return Resolve(name, why);
    };
    m_usedPage = false;
    if (!ParseScriptLine(text, names, line, error)) {
        Refuse(lineNumber, error);
        return false;
    }
    Outcome outcome = Outcome::Replied;
    if (auto* request = std::get_if<CWebInfo>(&line)) {
        // Requests without a number of their own are numbered by the console.
        if (request->GetWebInfoId() == 0) {
            request->SetWebInfoId(m_nextWebInfoId++);
        }
        outcome = Exchange(request, {}, request->GetWebInfoId(), false);
    } else if (auto* raw = std::get_if<RawLine>(&line)) {
        // The agent answers with the number it decodes from the bytes.
        CWebInfo decoded;
        (void)decoded.Deserialize(raw->bytes);
        outcome = Exchange(nullptr, std::move(raw->bytes), decoded.GetWebInfoId(), false);
    } else if (auto* tree = std::get_if<TreeLine>(&line)) {
        if (!PrintTree(tree->id, error)) {
            Refuse(lineNumber, error);
            return false;
        }
    } else if (auto* action = std::get_if<UserAction>(&line)) {
        if (!m_session.Perform(*action, error)) {
            Refuse(lineNumber, error);
            return false;
        }
    }
    Drain();
    if (outcome == Outcome::TimedOut) {
        Refuse(lineNumber, "no reply within " + std::to_string(m_session.ReplyWait().count()) +
                               " ms (time-out); a later reply is printed when it arrives");
        return false;
    }
    return true;
}

bool ScriptRunner::PrintTree(const CWebRunTimeID& root, std::string& error) {
    Drain();
    std::vector<TreeEntry> tree;
    if (!CollectObjectTree(m_session, root, tree, error)) {
        return false;
    }
    for (const TreeEntry& entry : tree) {
        m_printer.Tree(entry);
    }
    return true;
}

size_t ScriptRunner::Run(std::istream& in) {
    std::string text;
    size_t lineNumber = 0;
    while (std::getline(in, text)) {
        RunLine(text, ++lineNumber);
    }
    FinishPending();
    return m_refused;
}

void ScriptRunner::FinishPending() {
    const auto deadline = std::chrono::steady_clock::now() + m_session.ReplyWait();
    while (!m_pending.empty() && m_session.WaitForIncoming(deadline)) {
        bool replied = false;
        PrintIncoming(m_session.TakeIncoming(), std::nullopt, false, replied);
    }
    Drain();
}

bool ScriptRunner::EnableTrace(int32_t mask) {
    CWebInfo request;
    request.SetMsgId(kMsgTraceSettings);
    request.SetWebInfoId(m_nextWebInfoId++);
    request.AppendAttr("state", CWebVariantList(CWebVariant(mask)));
    // Announcements before it are still printed; the setting's own reply and
    // trace lines are the console's business, not the script's.
    Drain();
    LRESULT answered = m_session.Send(request);
    (void)m_session.TakeIncoming();
    return answered != 0;
}

void ScriptRunner::Drain() {
    bool replied = false;
    PrintIncoming(m_session.TakeIncoming(), std::nullopt, false, replied);
    if (m_session.TakeRecordSignal()) {
        CollectRecorded();
    }
}

void ScriptRunner::CollectRecorded() {
    CWebInfo request;
    request.SetMsgId(kMsgLastEvent);
    request.SetWebInfoId(m_nextWebInfoId++);
    Exchange(&request, {}, request.GetWebInfoId(), true);
}

ScriptRunner::Outcome ScriptRunner::Exchange(const CWebInfo* request, std::vector<uint8_t> bytes,
                                             int32_t expectedId, bool collectingRecorded) {
    if (request) {
        m_session.Send(*request);
    } else {
        m_session.SendBytes(std::move(bytes));
    }
    const bool timedOut = m_session.LastSendTimedOut();
    bool replied = false;
    PrintIncoming(m_session.TakeIncoming(), expectedId, collectingRecorded, replied);
    Outcome outcome = Outcome::Replied;
    if (!replied) {
        if (!collectingRecorded) {
            m_hadReply = true;
            m_last.reset();
        }
        if (timedOut) {
            m_pending[expectedId] = collectingRecorded;
            m_printer.TimedOut(expectedId, m_session.ReplyWait());
            outcome = Outcome::TimedOut;
        } else {
            m_printer.NoReply(expectedId);
            outcome = Outcome::NotReplied;
        }
    }
    if (m_session.TakeRecordSignal()) {
        CollectRecorded();
    }
    return outcome;
}

void ScriptRunner::PrintIncoming(std::vector<Incoming> incoming, std::optional<int32_t> expectedId,
                                 bool collectingRecorded, bool& replied) {
    for (Incoming& in : incoming) {
        if (in.kind == Incoming::Kind::Trace) {
            m_printer.Trace(in);
            continue;
        }
        const int32_t number = in.record.GetWebInfoId();
        // The reply carries its request's number; announcements, notices and
        // anything else the agent sends meanwhile are printed as events.
        if (expectedId && !replied && number == *expectedId) {
            replied = true;
            if (collectingRecorded) {
                m_printer.Recorded(in);
            } else {
                m_hadReply = true;
                m_last = FirstId(in.record);
                if (m_usedPage && SaysObjectGone(in.record)) {
                    m_session.ForgetPage();
                }
                m_printer.Reply(in);
            }
            continue;
        }
        // The reply of a request that timed out, arriving late.
        if (auto late = m_pending.find(number); late != m_pending.end()) {
            const bool recorded = late->second;
            m_pending.erase(late);
            if (recorded) {
                m_printer.Recorded(in);
            } else {
                m_printer.Reply(in);
            }
            continue;
        }
        m_printer.Event(in);
    }
}

} // namespace cli

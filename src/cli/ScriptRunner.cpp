#include "cli/ScriptRunner.h"

#include "agent/common/AgentCodes.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace cli {

namespace {

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

// Why a replayed step failed, for its line's error.
std::string StepFailure(const CWebInfo& request, const CWebInfo& reply,
                        const ObjectAddress& address) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(reply.GetRetValue()));
    const CWebVariant* item = request.FindFirstValue("item_text");
    if (request.GetMsgId() == ToInt(MsgId::ItemToNum) && item &&
        item->GetType() == WebVariantType::String) {
        return "the list " + AddressText(address) + " has no item \"" +
               Utf8FromAnsi(item->GetString()) + "\" (" + code + ")";
    }
    std::string what(MsgIdName(request.GetMsgId()));
    if (const CWebVariant* method = request.FindFirstValue("method_name");
        method && method->GetType() == WebVariantType::String) {
        what = method->GetString();
    }
    return (what.empty() ? "message " + std::to_string(request.GetMsgId()) : what) + " on " +
           AddressText(address) + " failed (" + code + ")";
}

} // namespace

bool ScriptRunner::PrintState(std::string& error) {
    Drain();
    PageState state;
    if (!CollectPageState(m_session, state, error)) {
        return false;
    }
    m_printer.State(state);
    return true;
}

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

bool ScriptRunner::RunShown(std::string_view heading, std::string_view text, size_t lineNumber) {
    if (!heading.empty()) {
        m_printer.Heading(heading);
    }
    m_printer.Echo(text);
    return RunLine(text, lineNumber);
}

bool ScriptRunner::RunLine(std::string_view text, size_t lineNumber) {
    Drain();
    ScriptLine line;
    std::string error;
    IdNameResolver names = [this](std::string_view name, std::string& why) {
        return Resolve(name, why);
    };
    LineReferences references{
        names,
        [this](const ObjectAddress& address, std::string& why) {
            return ResolveAddress(m_session, address, why);
        },
        [this](std::string_view name, std::string& why) { return ReplyValue(name, why); }};
    m_usedPage = false;
    std::optional<ObjectAddress> address;
    if (!ParseScriptLine(text, references, line, address, error)) {
        Refuse(lineNumber, error);
        return false;
    }
    Outcome outcome = Outcome::Replied;
    if (auto* request = std::get_if<CWebInfo>(&line)) {
        // Requests without a number of their own are numbered by the console.
        if (request->GetWebInfoId() == 0) {
            request->SetWebInfoId(m_nextWebInfoId++);
        }
        outcome = Exchange(request, {}, request->GetWebInfoId());
        // A step on an object named by address is part of a replay: it must
        // succeed, not merely be answered.
        if (address && outcome == Outcome::Replied && m_lastReply &&
            m_lastReply->GetRetValue() != 0) {
            Drain();
            Refuse(lineNumber, StepFailure(*request, *m_lastReply, *address));
            return false;
        }
    } else if (auto* raw = std::get_if<RawLine>(&line)) {
        // The agent answers with the number it decodes from the bytes.
        CWebInfo decoded;
        (void)decoded.Deserialize(raw->bytes);
        outcome = Exchange(nullptr, std::move(raw->bytes), decoded.GetWebInfoId());
    } else if (std::holds_alternative<StateLine>(line)) {
        if (!PrintState(error)) {
            Refuse(lineNumber, error);
            return false;
        }
    } else if (auto* tree = std::get_if<TreeLine>(&line)) {
        if (!PrintTree(tree->id, error)) {
            Refuse(lineNumber, error);
            return false;
        }
    } else if (auto* action = std::get_if<UserAction>(&line)) {
        if (!m_session.Perform(*action, error)) {
            Refuse(lineNumber, address ? error + ": " + AddressText(*address) : error);
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
        PrintIncoming(m_session.TakeIncoming(), std::nullopt, replied);
    }
    Drain();
}

bool ScriptRunner::EnableTrace(int32_t mask) {
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::TraceSettings));
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
    PrintIncoming(m_session.TakeIncoming(), std::nullopt, replied);
}

std::optional<CWebVariantList> ScriptRunner::ReplyValue(std::string_view name,
                                                        std::string& error) const {
    if (!m_lastReply) {
        error = "{\"from\": \"" + Utf8FromAnsi(name) + "\"}: there is no previous reply";
        return std::nullopt;
    }
    for (const CAttrPair& attr : m_lastReply->Attrs()) {
        if (attr.GetName() == name && !attr.GetValue().IsStatus() && !attr.GetValue().IsEmpty()) {
            return attr.GetValue();
        }
    }
    error = "{\"from\": \"" + Utf8FromAnsi(name) + "\"}: the previous reply has no value \"" +
            Utf8FromAnsi(name) + "\"";
    return std::nullopt;
}

ScriptRunner::Outcome ScriptRunner::Exchange(const CWebInfo* request, std::vector<uint8_t> bytes,
                                             int32_t expectedId) {
    if (request) {
        m_session.Send(*request);
    } else {
        m_session.SendBytes(std::move(bytes));
    }
    const bool timedOut = m_session.LastSendTimedOut();
    bool replied = false;
    PrintIncoming(m_session.TakeIncoming(), expectedId, replied);
    Outcome outcome = Outcome::Replied;
    if (!replied) {
        m_hadReply = true;
        m_last.reset();
        m_lastReply.reset();
        if (timedOut) {
            m_pending.insert(expectedId);
            m_printer.TimedOut(expectedId, m_session.ReplyWait());
            outcome = Outcome::TimedOut;
        } else {
            m_printer.NoReply(expectedId);
            outcome = Outcome::NotReplied;
        }
    }
    return outcome;
}

void ScriptRunner::PrintIncoming(std::vector<Incoming> incoming, std::optional<int32_t> expectedId,
                                 bool& replied) {
    for (Incoming& in : incoming) {
        if (in.kind == Incoming::Kind::Trace) {
            m_printer.Trace(in);
            continue;
        }
        if (in.kind == Incoming::Kind::Recorded) {
            m_printer.Recorded(in);
            if (m_recorder) {
                m_recorder->OnStatement(in);
            }
            continue;
        }
        const int32_t number = in.record.GetWebInfoId();
        // The reply carries its request's number; announcements, notices and
        // anything else the agent sends meanwhile are printed as events.
        if (expectedId && !replied && number == *expectedId) {
            replied = true;
            ++m_replies;
            m_hadReply = true;
            m_last = FirstId(in.record);
            m_lastReply = in.record;
            if (m_usedPage && SaysObjectGone(in.record)) {
                m_session.ForgetPage();
            }
            m_printer.Reply(in);
            continue;
        }
        // The reply of a request that timed out, arriving late.
        if (auto late = m_pending.find(number); late != m_pending.end()) {
            m_pending.erase(late);
            ++m_replies;
            m_printer.Reply(in);
            continue;
        }
        m_printer.Event(in);
        if (m_recorder && in.record.GetMsgId() == ToInt(MsgId::NavigationNotice)) {
            m_recorder->OnNavigation();
        }
    }
}

} // namespace cli

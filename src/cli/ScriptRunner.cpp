#include "cli/ScriptRunner.h"

#include <string>

namespace cli {

namespace {

constexpr int32_t kMsgLastEvent = 22;
constexpr int32_t kMsgTraceSettings = 29;

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
    m_errors << "webagent: line " << lineNumber << ": " << reason << '\n';
    m_errors.flush();
}

bool ScriptRunner::RunLine(std::string_view text, size_t lineNumber) {
    Drain();
    ScriptLine line;
    std::string error;
    IdNameResolver names = [this](std::string_view name, std::string& why) {
        return Resolve(name, why);
    };
    if (!ParseScriptLine(text, names, line, error)) {
        Refuse(lineNumber, error);
        return false;
    }
    if (auto* request = std::get_if<CWebInfo>(&line)) {
        // Requests without a number of their own are numbered by the console.
        if (request->GetWebInfoId() == 0) {
            request->SetWebInfoId(m_nextWebInfoId++);
        }
        Exchange(request, {}, request->GetWebInfoId(), false);
    } else if (auto* raw = std::get_if<RawLine>(&line)) {
        // The agent answers with the number it decodes from the bytes.
        CWebInfo decoded;
        (void)decoded.Deserialize(raw->bytes);
        Exchange(nullptr, std::move(raw->bytes), decoded.GetWebInfoId(), false);
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
    Drain();
    return m_refused;
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

void ScriptRunner::Exchange(const CWebInfo* request, std::vector<uint8_t> bytes, int32_t expectedId,
                            bool collectingRecorded) {
    if (request) {
        m_session.Send(*request);
    } else {
        m_session.SendBytes(std::move(bytes));
    }
    bool replied = false;
    PrintIncoming(m_session.TakeIncoming(), expectedId, collectingRecorded, replied);
    if (!replied) {
        if (!collectingRecorded) {
            m_hadReply = true;
            m_last.reset();
        }
        m_printer.NoReply(expectedId);
    }
    if (m_session.TakeRecordSignal()) {
        CollectRecorded();
    }
}

void ScriptRunner::PrintIncoming(std::vector<Incoming> incoming, std::optional<int32_t> expectedId,
                                 bool collectingRecorded, bool& replied) {
    for (Incoming& in : incoming) {
        if (in.kind == Incoming::Kind::Trace) {
            m_printer.Trace(in);
            continue;
        }
        // The reply carries its request's number; announcements, notices and
        // anything else the agent sends meanwhile are printed as events.
        if (expectedId && !replied && in.record.GetWebInfoId() == *expectedId) {
            replied = true;
            if (collectingRecorded) {
                m_printer.Recorded(in);
            } else {
                m_hadReply = true;
                m_last = FirstId(in.record);
                m_printer.Reply(in);
            }
            continue;
        }
        m_printer.Event(in);
    }
}

} // namespace cli

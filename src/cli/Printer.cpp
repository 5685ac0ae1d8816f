#include "cli/Printer.h"

#include "agent/channel/Trace.h"
#include "agent/channel/WebInfoDump.h"
#include "agent/common/AgentCodes.h"
#include "cli/RecordJson.h"

#include <cstdio>

namespace cli {

using nlohmann::json;

namespace {

std::string WithoutFinalNewline(std::string text) {
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

} // namespace

void Printer::Record(const char* label, const Incoming& incoming) {
    if (m_form == OutputForm::Text) {
        std::string name(MsgIdName(incoming.record.GetMsgId()));
        m_out << label << (name.empty() ? "" : " (" + name + ")") << ": "
              << WithoutFinalNewline(DumpWebInfo(incoming.record));
        if (!incoming.decoded) {
            m_out << "\n  (the record did not decode completely: " << incoming.bytes.size()
                  << " bytes " << HexFromBytes(incoming.bytes) << ")";
        }
        m_out << '\n';
    } else {
        json line = {{label, RecordToJson(incoming.record)}};
        if (!incoming.decoded) {
            // What decoded is shown; the bytes say what did not.
            line["undecoded"] = HexFromBytes(incoming.bytes);
        }
        m_out << line.dump() << '\n';
    }
    m_out.flush();
}

void Printer::State(const PageState& state) {
    if (m_form == OutputForm::Text) {
        for (const std::string& line : PageStateText(state)) {
            m_out << "state: " << line << '\n';
        }
    } else {
        m_out << json{{"state", PageStateToJson(state)}}.dump() << '\n';
    }
    m_out.flush();
}

void Printer::Tree(const TreeEntry& entry) {
    if (m_form == OutputForm::Text) {
        m_out << TreeLineText(entry) << '\n';
    } else {
        json line = {{"depth", entry.depth},
                     {"id", RunTimeIDToJson(entry.id)},
                     {"class", Utf8FromAnsi(entry.className)},
                     {"name", Utf8FromAnsi(entry.name)}};
        if (entry.rect) {
            const RECT& r = *entry.rect;
            line["rect"] = {r.left, r.top, r.right, r.bottom};
        } else {
            line["rect"] = nullptr;
        }
        m_out << json{{"tree", line}}.dump() << '\n';
    }
    m_out.flush();
}

void Printer::Reply(const Incoming& reply) {
    if (m_form == OutputForm::Raw) {
        m_out << json{{"raw", HexFromBytes(reply.bytes)}}.dump() << '\n';
        m_out.flush();
        return;
    }
    Record("reply", reply);
}

void Printer::NoReply(int32_t webInfoId) {
    if (m_form == OutputForm::Text) {
        m_out << "no reply to request " << webInfoId << '\n';
    } else {
        m_out << json{{"reply", nullptr}, {"webinfo", webInfoId}}.dump() << '\n';
    }
    m_out.flush();
}

void Printer::TimedOut(int32_t webInfoId, std::chrono::milliseconds wait) {
    if (m_form == OutputForm::Text) {
        m_out << "time-out: no reply to request " << webInfoId << " within " << wait.count()
              << " ms\n";
    } else {
        m_out << json{{"timeout", wait.count()}, {"webinfo", webInfoId}}.dump() << '\n';
    }
    m_out.flush();
}

void Printer::Event(const Incoming& event) {
    Record("event", event);
}

void Printer::Recorded(const Incoming& recorded) {
    Record("recorded", recorded);
}

void Printer::Trace(const Incoming& line) {
    if (m_form == OutputForm::Text) {
        char bit[16];
        std::snprintf(bit, sizeof bit, "0x%X", static_cast<unsigned>(line.category));
        m_out << "trace [" << bit << " " << TraceCategoryName(line.category) << "] "
              << Utf8FromAnsi(line.text) << '\n';
    } else {
        m_out << json{{"trace", {{"category", line.category}, {"text", Utf8FromAnsi(line.text)}}}}
                     .dump()
              << '\n';
    }
    m_out.flush();
}

void Printer::Heading(std::string_view text) {
    if (m_form == OutputForm::Text) {
        m_out << "\n== " << text << '\n';
        m_out.flush();
    }
}

void Printer::Echo(std::string_view line) {
    if (m_form == OutputForm::Text) {
        m_out << "> " << line << '\n';
    }
}

} // namespace cli

#include "cli/Console.h"

#include "agent/dispatch/CInterface.h"
#include "cli/BrowserStart.h"
#include "cli/CheckpointDemo.h"
#include "cli/ControlsDemo.h"
#include "cli/IdentifyDemo.h"
#include "cli/RecordJson.h"
#include "cli/ScriptRunner.h"
#include "cli/TextLines.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <thread>

namespace {

using nlohmann::json;

struct ConsoleRun {
    int status = -1;
    std::vector<std::string> out;
    std::vector<std::string> errors;
};

using cli::testing::Lines;

// Runs the whole console in-process with the script on standard input.
ConsoleRun Console(std::vector<std::string> args, const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out;
    std::ostringstream errors;
    ConsoleRun run;
    run.status = cli::RunConsole(args, in, out, errors);
    run.out = Lines(out.str());
    run.errors = Lines(errors.str());
    return run;
}

std::string Transcript(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\n";
    }
    return text;
}

// A session whose agent window serves a stand-in browser window.
::testing::AssertionResult StartStandIn(cli::Session& session) {
    std::string error;
    cli::BrowserStart standIn;
    standIn.standIn = true;
    if (!session.Start(standIn, error)) {
        return ::testing::AssertionFailure() << error;
    }
    return ::testing::AssertionSuccess();
}

// A script runner on a stand-in session, printing JSON into strings; the
// connection announcement is already taken.
struct StandInRunner {
    cli::Session session;
    std::ostringstream out;
    std::ostringstream errors;
    cli::Printer printer{out, cli::OutputForm::Json};
    cli::ScriptRunner runner{session, printer, errors};

    ::testing::AssertionResult Start() {
        auto started = StartStandIn(session);
        runner.Drain();
        out.str("");
        return started;
    }
};

// The agent's connection announcement opens every session's output.
void ExpectAnnouncement(const std::string& line) {
    json first = json::parse(line);
    ASSERT_TRUE(first.contains("event")) << line;
    EXPECT_EQ(first["event"]["msg"], 38);
    ASSERT_EQ(first["event"]["attrs"].size(), 5u) << line;
    EXPECT_EQ(first["event"]["attrs"][1][0], "version");
    EXPECT_EQ(first["event"]["attrs"][1][1]["items"][0]["v"], 11);
    EXPECT_EQ(first["event"]["attrs"][4][0], "agent_handle");
}

TEST(Console, ScriptedSessionPrintsEveryReplyInTheFullForm) {
    ConsoleRun run = Console({"--no-browser", "--json"}, R"(# options first
{"msg": 48, "attrs": [["var_name", "UseOldName"], ["var_value", 1]]}

{"msg": 60, "webinfo": 77, "ret": "0x80004005", "attrs": [["id", {"type": 6, "items": [{"t": 6, "v": [1, 2, 3, 4]}]}], ["id", "second"], ["s", {"type": 1, "status": 4, "items": [{"t": 2, "v": "caf\u00e9"}]}]]}
{"msg": 60, "id": "last"}
{"msg": 1, "id": "browser"}
)");
    EXPECT_EQ(run.status, cli::kExitHandled) << Transcript(run.errors);
    EXPECT_TRUE(run.errors.empty()) << Transcript(run.errors);
    ASSERT_EQ(run.out.size(), 5u) << Transcript(run.out);
    ExpectAnnouncement(run.out[0]);
    EXPECT_EQ(
        run.out[1],
        R"({"reply":{"attrs":[["var_name",{"items":[{"t":2,"v":"UseOldName"}],"status":0,"type":2}],)"
        R"(["var_value",{"items":[{"t":3,"v":1}],"status":0,"type":3}]],"id":[-1,-1,-1,-1],)"
        R"("msg":48,"ret":0,"webinfo":1}})");
    // An unknown message is answered as sent: duplicate names, a status with
    // elements and the request's own number and result code.
    EXPECT_EQ(run.out[2],
              R"({"reply":{"attrs":[["id",{"items":[{"t":6,"v":[1,2,3,4]}],"status":0,"type":6}],)"
              R"(["id",{"items":[{"t":2,"v":"second"}],"status":0,"type":2}],)"
              R"(["s",{"items":[{"t":2,"v":"café"}],"status":4,"type":1}]],"id":[-1,-1,-1,-1],)"
              R"("msg":60,"ret":2147500037,"webinfo":77}})");
    // "last" is the first "id" of the previous reply.
    json last = json::parse(run.out[3]);
    EXPECT_EQ(last["reply"]["id"], json::array({1, 2, 3, 4}));
    EXPECT_EQ(last["reply"]["webinfo"], 2);
    // "browser" is the browser window the agent window serves; without the
    // simulated browser's objects the state request fails.
    json state = json::parse(run.out[4]);
    EXPECT_EQ(state["reply"]["msg"], 1);
    EXPECT_EQ(state["reply"]["id"][0],
              json::parse(run.out[0])["event"]["attrs"][0][1]["items"][0]["v"]);
    EXPECT_EQ(state["reply"]["ret"], 2147500037u);
}

TEST(Console, RawLinesAndRawRepliesCarryTheWireBytes) {
    CWebInfo request;
    request.SetMsgId(60);
    request.SetWebInfoId(5);
    request.AppendAttr("handle", CWebVariantList(CWebVariant(42)));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(request.Serialize(bytes));
    std::string hex = cli::HexFromBytes(bytes);

    ConsoleRun run = Console({"--no-browser", "--raw"}, "{\"raw\": \"" + hex +
                                                            "\"}\n{\"msg\": 60, \"webinfo\": 5, "
                                                            "\"attrs\": [[\"handle\", 42]]}\n");
    EXPECT_EQ(run.status, cli::kExitHandled) << Transcript(run.errors);
    ASSERT_EQ(run.out.size(), 3u) << Transcript(run.out);
    ExpectAnnouncement(run.out[0]);
    // The agent answers an unknown message with the record as sent, byte for byte.
    EXPECT_EQ(run.out[1], "{\"raw\":\"" + hex + "\"}");
    EXPECT_EQ(run.out[2], run.out[1]);

    // A record cut inside its attribute still reaches the agent, which answers
    // the header it decoded.
    std::string cut = cli::HexFromBytes(std::span(bytes).first(40));
    ConsoleRun partial = Console({"--no-browser", "--json"}, "{\"raw\": \"" + cut + "\"}\n");
    ASSERT_EQ(partial.out.size(), 2u) << Transcript(partial.out);
    json reply = json::parse(partial.out[1]);
    EXPECT_EQ(reply["reply"]["msg"], 60);
    EXPECT_EQ(reply["reply"]["webinfo"], 5);
    EXPECT_EQ(reply["reply"]["attrs"].size(), 0u);
}

TEST(Console, BadLinesAreReportedWithTheirNumberAndTheRestStillRuns) {
    ConsoleRun run = Console({"--no-browser", "--json"}, R"({"msg": 60}
{"msg": 60,
[1, 2]
{"msg": 60, "id": "last"}
{"raw": "abc"}
{"user": "click"}
{"user": "click", "at": [10, 20]}
{"user": "jump"}
{"user": "key", "key": "Escape"}
{"msg": 60, "id": "page"}
{"msg": 61}
)");
    EXPECT_EQ(run.status, cli::kExitRefused);
    ASSERT_EQ(run.errors.size(), 9u) << Transcript(run.errors);
    EXPECT_EQ(run.errors[0].rfind("webagent: line 2: not valid JSON: ", 0), 0u) << run.errors[0];
    EXPECT_EQ(run.errors[1], "webagent: line 3: a line must be a JSON object: a request, "
                             "{\"raw\": HEX} or {\"user\": ...}");
    EXPECT_EQ(run.errors[2], "webagent: line 4: id \"last\": the previous reply carried no \"id\"");
    EXPECT_EQ(run.errors[3], "webagent: line 5: \"raw\" must be pairs of hexadecimal digits");
    EXPECT_EQ(run.errors[4], "webagent: line 6: \"click\" needs \"at\": [x, y] or \"on\": ID");
    EXPECT_EQ(run.errors[5], "webagent: line 7: the simulated browser is not available");
    EXPECT_EQ(run.errors[6].rfind("webagent: line 8: unknown user action \"jump\"", 0), 0u);
    EXPECT_EQ(run.errors[7], "webagent: line 9: \"key\" needs \"key\": \"Tab\" or \"Enter\"");
    EXPECT_EQ(run.errors[8],
              "webagent: line 10: id \"page\": the simulated browser is not available");
    // Lines 1 and 11 were answered.
    ASSERT_EQ(run.out.size(), 3u) << Transcript(run.out);
    EXPECT_EQ(json::parse(run.out[1])["reply"]["msg"], 60);
    EXPECT_EQ(json::parse(run.out[2])["reply"]["msg"], 61);
}

TEST(Console, CommandLineMistakesExitWithUsage) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--json", "--raw"},
                                               {"--bogus"},
                                               {"--trace"},
                                               {"--trace", "mask"},
                                               {"--script"},
                                               {"--script", "/nonexistent/script.jsonl"},
                                               {"--demo", "--script", "x"},
                                               {"--record-to"},
                                               {"--record-to", "a", "--record-to", "b"},
                                               {"--record-to", "a", "--no-browser"},
                                               {"--demo-record", "--script", "x"},
                                               {"--demo-record", "--tree"}}) {
        ConsoleRun run = Console(args, "");
        EXPECT_EQ(run.status, cli::kExitUsage) << args[0];
        EXPECT_FALSE(run.errors.empty());
        EXPECT_TRUE(run.out.empty());
    }
    ConsoleRun missingPage = Console({"--page", "/nonexistent/page.html"}, "");
    EXPECT_EQ(missingPage.status, cli::kExitRefused);
    ASSERT_EQ(missingPage.errors.size(), 1u);
    EXPECT_EQ(missingPage.errors[0],
              "webagent: page \"/nonexistent/page.html\" cannot be loaded: no such file");

    cli::ConsoleOptions options;
    bool help = false;
    std::string error;
    ASSERT_TRUE(cli::ParseConsoleArguments(
        {"--trace", "0x500", "--page", "a.html", "--page", "http://x/", "--json"}, options, help,
        error));
    EXPECT_EQ(options.traceMask, 0x500);
    EXPECT_EQ(options.pages, (std::vector<std::string>{"a.html", "http://x/"}));
    EXPECT_EQ(options.form, cli::OutputForm::Json);
    EXPECT_FALSE(options.demo);
    ASSERT_TRUE(cli::ParseConsoleArguments({"--page", "a.html", "--record-to", "s.jsonl"}, options,
                                           help, error));
    EXPECT_EQ(options.recordTo, "s.jsonl");
    EXPECT_FALSE(options.demoRecord);
}

TEST(Console, TraceLinesArePrintedInArrivalOrder) {
    ConsoleRun run = Console({"--no-browser", "--json", "--trace", "0x400"}, "{\"msg\": 60}\n");
    EXPECT_EQ(run.status, cli::kExitHandled) << Transcript(run.errors);
    ASSERT_EQ(run.out.size(), 6u) << Transcript(run.out);
    ExpectAnnouncement(run.out[0]);
    // The trace setting is request 1; the script's first request is 2.
    EXPECT_EQ(
        run.out[1],
        R"({"trace":{"category":1024,"text":"ProcessServiceRequest: begin: MsgId=60, WebInfoId=2"}})");
    EXPECT_EQ(
        run.out[2],
        R"({"trace":{"category":1024,"text":"ProcessServiceRequest: end:   MsgId=60, WebInfoId=2, RetValue=0"}})");
    EXPECT_EQ(run.out[3],
              R"({"trace":{"category":1024,"text":"CMainSrvWin::PrivateSendMsg: Send MsgId=60"}})");
    EXPECT_EQ(json::parse(run.out[4])["reply"]["webinfo"], 2);
    EXPECT_EQ(run.out[5],
              R"({"trace":{"category":1024,"text":"CMainSrvWin::PrivateSendMsg: Return=1"}})");
}

TEST(Console, SignalledStatementIsCollectedAndPrintedAsRecorded) {
    StandInRunner run;
    ASSERT_TRUE(run.Start());
    auto& [session, out, errors, printer, runner] = run;

    // What the recorder deposits for a click on a link; the agent thread is
    // idle between requests, so the deposit does not race with it.
    CInterface* dispatcher = GetProcessDispatcher();
    ASSERT_NE(dispatcher, nullptr);
    CWebInfo statement;
    statement.SetMsgId(22);
    statement.AppendAttr("x", CWebVariantList(CWebVariant(3)));
    dispatcher->SetLastEventRecord(statement);
    dispatcher->SetLastEventName("Click");
    dispatcher->SetLastEventId(CWebRunTimeID(1, 2, 3, -1));
    SendMessage(session.BrowserWindow(), cli::kRecordSignal, 0, 0);
    runner.Drain();

    auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 1u) << out.str();
    json recorded = json::parse(lines[0]);
    ASSERT_TRUE(recorded.contains("recorded")) << lines[0];
    EXPECT_EQ(recorded["recorded"]["attrs"],
              json::parse(R"([["x", {"type": 3, "status": 0, "items": [{"t": 3, "v": 3}]}],
                              ["id", {"type": 6, "status": 0, "items": [{"t": 6, "v": [1, 2, 3, -1]}]}],
                              ["event_name", {"type": 2, "status": 0, "items": [{"t": 2, "v": "Click"}]}]])"));
    // Without a new signal nothing more is collected.
    runner.Drain();
    EXPECT_EQ(Lines(out.str()).size(), 1u);

    // Two statements signalled before the console reads again (a field left
    // by a click elsewhere, say) are both collected, each at its signal.
    for (const char* name : {"onchange", "onclick"}) {
        dispatcher->SetLastEventName(name);
        SendMessage(session.BrowserWindow(), cli::kRecordSignal, 0, 0);
    }
    runner.Drain();
    lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 3u) << out.str();
    EXPECT_EQ(json::parse(lines[1])["recorded"]["attrs"][2][1]["items"][0]["v"], "onchange");
    EXPECT_EQ(json::parse(lines[2])["recorded"]["attrs"][2][1]["items"][0]["v"], "onclick");
    EXPECT_TRUE(errors.str().empty());
    session.Stop();
}

TEST(Console, DemoSessionShowsTheAnnouncementAndEveryAnswer) {
    std::istringstream noInput;
    std::ostringstream demoOut;
    std::ostringstream demoErrors;
    std::vector<cli::DemoPart> parts;
    ConsoleRun run;
    run.status = cli::RunConsole({}, noInput, demoOut, demoErrors, &parts);
    run.out = Lines(demoOut.str());
    run.errors = Lines(demoErrors.str());
    EXPECT_EQ(run.status, cli::kExitHandled) << Transcript(run.errors);
    std::string text = Transcript(run.out);
    EXPECT_NE(text.find("event (Connection): RetValue=0x00000000 MsgId=38"), std::string::npos)
        << text;
    // Each part of the session, in order, with what it got.
    std::map<std::string, cli::DemoPart> byName;
    std::vector<std::string> names;
    for (const cli::DemoPart& part : parts) {
        names.push_back(part.name);
        byName[part.name] = part;
    }
    ASSERT_EQ(names, (std::vector<std::string>{"steps", "controls", "identification", "elements",
                                               "recording", "checkpoints", "images"}))
        << text;
    // Every step of the session's own is answered or, when its object does
    // not exist, refused.
    EXPECT_EQ(byName["steps"].replies + byName["steps"].refused, cli::DemoSteps().size())
        << text << Transcript(run.errors);
    // Requests of the controls part are answered or refused; its simulated
    // user's actions print nothing unless they are refused.
    size_t partRequests = 0;
    for (const cli::DemoStep& step : cli::ControlsDemoSteps()) {
        partRequests += std::string_view(step.line).rfind(R"({"msg")", 0) == 0 ? 1 : 0;
    }
    EXPECT_GE(byName["controls"].replies + byName["controls"].refused, partRequests)
        << text << Transcript(run.errors);
    // Every request of the replay part is answered.
    const std::vector<std::string> replay = cli::CheckpointDemoLines();
    const size_t replayRequests = static_cast<size_t>(std::count_if(
        replay.begin(), replay.end(), [](const std::string& line) { return line[2] == 'm'; }));
    EXPECT_EQ(byName["checkpoints"].replies, replayRequests) << text;
    EXPECT_EQ(byName["checkpoints"].refused, 0u) << Transcript(run.errors);
    // The replayed click followed the link, and both files were printed.
    EXPECT_NE(text.find("title: string [\"Tables\"]"), std::string::npos) << text;
    EXPECT_NE(text.find("Col #1\\tCol #2\\tCol #3\\r\\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\\thtml_row\\r\\n"), std::string::npos) << text;
    // The link and image tables of the tables page.
    EXPECT_NE(text.find("Text\\tHref\\r\\n\nInner link\\t"), std::string::npos) << text;
    EXPECT_NE(text.find("Name\\tType\\tWidth\\tHeight\\r\\n\ndot\\tPlain Image\\t8\\t8\\r\\n"),
              std::string::npos)
        << text;
    // With the browser, the images part saves the site's logo through the
    // browser object.
    if (text.find("save the site's logo") != std::string::npos) {
        EXPECT_NE(text.find("bytes; the same bytes as logo.png"), std::string::npos) << text;
    }

    ConsoleRun json = Console({"--no-browser", "--demo", "--json"}, "");
    EXPECT_EQ(json.status, cli::kExitHandled);
    // Without the browser there is no page: that step, every identification
    // step and the replay part, which all address the page, are refused.
    ASSERT_EQ(json.errors.size(), 1u + cli::kIdentificationDemoSteps + replay.size())
        << Transcript(json.errors);
    EXPECT_EQ(json.errors[0],
              "webagent: line 4: id \"page\": the simulated browser is not available");
    ASSERT_EQ(json.out.size(), cli::DemoSteps().size()) << Transcript(json.out);
    ExpectAnnouncement(json.out[0]);
}

} // namespace

namespace {

TEST(Console, ShippedRequestScriptRunsCleanly) {
    std::string script = cli::DemoSiteFolder() + "/requests.jsonl";
    ConsoleRun run = Console({"--no-browser", "--json", "--script", script}, "");
    EXPECT_EQ(run.status, cli::kExitHandled) << Transcript(run.errors);
    EXPECT_TRUE(run.errors.empty()) << Transcript(run.errors);
    // The announcement and one reply per request line.
    ASSERT_EQ(run.out.size(), 8u) << Transcript(run.out);
    EXPECT_EQ(json::parse(run.out[6])["reply"]["id"], json::array({1, 2, 3, -1}));
    EXPECT_EQ(json::parse(run.out[7])["reply"]["webinfo"], 99);
}

} // namespace

namespace {

TEST(Console, HostileLinesGetALineErrorAndTheSessionGoesOn) {
    std::string script = R"({"msg": 60, "unused": 1e400}
{"msg": -1e999}
{"msg": 60, "attrs": [["a", [1e400]]]}
{"msg": 60, "msg": 61}
{"msg": 60, "attrs": [["x", {"type": 2, "type": 3, "items": []}]]}
{"msg": 60, "attrs": [["one\nwebagent: line 99: forged", 1]]}
{"msg": 60, "bad\u0001key\u007f": 1}
)";
    script += std::string("{\"msg\": 60}\0{\"msg\": 61}\n", 24);
    script += std::string("\0\n", 2);
    script += "{\"msg\": 62}\n";
    ConsoleRun run = Console({"--no-browser", "--json"}, script);
    EXPECT_EQ(run.status, cli::kExitRefused);
    // One error line per bad line, each naming its line: nothing split or forged.
    ASSERT_EQ(run.errors.size(), 9u) << Transcript(run.errors);
    for (size_t i = 0; i < run.errors.size(); ++i) {
        EXPECT_EQ(run.errors[i].rfind("webagent: line " + std::to_string(i + 1) + ": ", 0), 0u)
            << run.errors[i];
    }
    EXPECT_EQ(run.errors[0], "webagent: line 1: not valid JSON: number overflow parsing '1e400'");
    EXPECT_EQ(run.errors[1], "webagent: line 2: not valid JSON: number overflow parsing '-1e999'");
    EXPECT_EQ(run.errors[3], "webagent: line 4: the key \"msg\" appears twice in one object");
    EXPECT_EQ(run.errors[4], "webagent: line 5: the key \"type\" appears twice in one object");
    EXPECT_EQ(run.errors[5],
              "webagent: line 6: attribute 1: its name holds a control character at 4");
    EXPECT_EQ(run.errors[6],
              "webagent: line 7: the request has an unknown key \"bad\\x01key\\x7F\"");
    EXPECT_EQ(run.errors[7], "webagent: line 8: the line holds a NUL byte at column 12");
    EXPECT_EQ(run.errors[8], "webagent: line 9: the line holds a NUL byte at column 1");
    // The last line still ran.
    ASSERT_EQ(run.out.size(), 2u) << Transcript(run.out);
    EXPECT_EQ(json::parse(run.out[1])["reply"]["msg"], 62);
}

TEST(Console, ErrorMessagesEscapeEveryControlCharacter) {
    // An unknown id name is quoted in the message: a line feed and a carriage
    // return in it must not start a line of their own.
    ConsoleRun run = Console({"--no-browser"}, "{\"msg\": 1, \"id\": \"x\\nwebagent: \\r\\t\"}\n");
    ASSERT_EQ(run.errors.size(), 1u) << Transcript(run.errors);
    EXPECT_NE(run.errors[0].find("\"x\\nwebagent: \\r\\t\""), std::string::npos) << run.errors[0];
}

TEST(Console, TimeoutOptionAndTheAgentsOwnWaitByDefault) {
    cli::ConsoleOptions options;
    bool help = false;
    std::string error;
    ASSERT_TRUE(cli::ParseConsoleArguments({"--json"}, options, help, error));
    EXPECT_EQ(options.replyWait, std::chrono::milliseconds(60000));
    ASSERT_TRUE(cli::ParseConsoleArguments({"--timeout", "250"}, options, help, error));
    EXPECT_EQ(options.replyWait, std::chrono::milliseconds(250));
    for (const char* bad : {"0", "-5", "1e3", "86400001", "", "12ms"}) {
        EXPECT_FALSE(cli::ParseConsoleArguments({"--timeout", bad}, options, help, error)) << bad;
    }
    EXPECT_FALSE(cli::ParseConsoleArguments({"--timeout"}, options, help, error));
}

// Answers like the stand-in's dispatcher, but takes "sleep_ms" over a request
// first, as a slow page would.
class SlowDispatcher : public CInterface {
public:
    bool Dispatch(CWebInfo& record) override {
        if (const CWebVariant* sleep = record.FindFirstValue("sleep_ms")) {
            std::this_thread::sleep_for(std::chrono::milliseconds(sleep->GetInteger()));
        }
        return CInterface::Dispatch(record);
    }
};

SlowDispatcher* g_slow = nullptr;
CInterface* SlowSource() {
    return g_slow;
}

TEST(Console, SlowReplyIsATimeOutThenPrintedAsTheReplyWhenItComes) {
    StandInRunner run;
    ASSERT_TRUE(run.Start());
    auto& [session, out, errors, printer, runner] = run;
    SlowDispatcher slow;
    g_slow = &slow;
    SetDispatcherSource(&SlowSource);
    session.SetReplyWait(std::chrono::milliseconds(300));

    // The reply comes after the wait, and after the input's end: the runner
    // waits for it before it finishes.
    std::istringstream script(R"({"msg": 61}
{"msg": 60, "attrs": [["sleep_ms", 500]]}
)");
    runner.Run(script);
    const auto lines = Lines(out.str());
    EXPECT_EQ(runner.PendingReplies(), 0u);
    ASSERT_EQ(lines.size(), 3u) << out.str();
    EXPECT_EQ(json::parse(lines[0])["reply"]["webinfo"], 1);
    EXPECT_EQ(json::parse(lines[1]), json::parse(R"({"timeout": 300, "webinfo": 2})"));
    bool lateReply = false;
    for (const auto& line : lines) {
        json parsed = json::parse(line);
        EXPECT_FALSE(parsed.contains("event")) << "a late reply printed as an event: " << line;
        lateReply = lateReply || (parsed.contains("reply") && parsed["reply"]["webinfo"] == 2);
    }
    EXPECT_TRUE(lateReply) << out.str();
    EXPECT_EQ(errors.str(), "webagent: line 2: no reply within 300 ms (time-out); a later reply "
                            "is printed when it arrives\n");
    EXPECT_EQ(runner.Refused(), 1u);
    SetDispatcherSource(nullptr);
    session.Stop();
    g_slow = nullptr;
}

} // namespace

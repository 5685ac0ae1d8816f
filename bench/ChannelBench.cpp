// A request round trip through the real channel: the tool sends message 48
// (set an option) and message 1 (get a state) to an agent window and the
// agent's reply reaches the tool's receiver window before the send returns.
//
// Two settings: the tool on a thread of its own, as the real tool is its own
// process (through the console's session), and the tool's windows on the
// agent's own thread, where every send is a direct call. Each reports its time
// per request as a multiple of an empty SendMessage on the same path
// ("x_sendmessage"), measured in the same run.
//
// A third family runs whole console lines against the simulated browser on
// the demo site: message 7 on "page" (with the page remembered, and looked up
// again for every line as the console once did) and message 60 with no
// object; "lookups" counts the console's own page requests per line.
#include "agent/channel/CAgentWindow.h"
#include "agent/channel/ToolSender.h"
#include "agent/dispatch/CNS6Interface.h"
#include "cli/Printer.h"
#include "cli/ScriptRunner.h"
#include "cli/Session.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

CWebInfo OptionRequest() {
    CWebInfo request;
    request.SetMsgId(48);
    request.SetWebInfoId(1);
    request.AppendAttr("var_name", CWebVariantList(CWebVariant("TrimProperties")));
    request.AppendAttr("var_value", CWebVariantList(CWebVariant(256)));
    return request;
}

CWebInfo StateRequest(HWND browser) {
    CWebInfo request;
    request.SetMsgId(1);
    request.SetWebInfoId(2);
    request.SetRunTimeID(CWebRunTimeID(static_cast<int32_t>(HandleToULong(browser)), -1, -1, -1));
    return request;
}

// Empty sends to the window, as often as the case ran, and the case's time as
// a multiple of theirs.
double RatioToSendMessage(HWND window, int64_t sends, Clock::duration caseTime) {
    auto start = Clock::now();
    for (int64_t i = 0; i < sends; ++i) {
        benchmark::DoNotOptimize(SendMessage(window, WM_NULL, 0, 0));
    }
    auto sendTime = Clock::now() - start;
    return sendTime.count() > 0
               ? static_cast<double>(caseTime.count()) / static_cast<double>(sendTime.count())
               : 0.0;
}

void BM_RoundTripFromToolThread(benchmark::State& state) {
    cli::Session session;
    std::string error;
    // The agent window of a stand-in browser window, as on the agent's thread
    // below: both cases measure the channel, not the page.
    cli::BrowserStart standIn;
    standIn.standIn = true;
    if (!session.Start(standIn, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    CWebInfo option = OptionRequest();
    CWebInfo query = StateRequest(session.BrowserWindow());
    (void)session.TakeIncoming(); // the connection announcement
    size_t replies = 0;
    auto start = Clock::now();
    for (auto _ : state) {
        session.Send(option);
        session.Send(query);
        replies += session.TakeIncoming().size();
    }
    auto caseTime = Clock::now() - start;
    if (replies != 2 * static_cast<size_t>(state.iterations())) {
        state.SkipWithError("a request went unanswered");
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.counters["x_sendmessage"] =
        RatioToSendMessage(session.BrowserWindow(), state.iterations() * 2, caseTime);
    session.Stop();
}

CNS6Interface* g_dispatcher = nullptr; // observes: the case's own dispatcher while it runs
CInterface* BenchDispatcher() {
    return g_dispatcher;
}
size_t g_replies = 0;

LRESULT CountingReceiver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        ++g_replies;
        return 1;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

HWND MakeWindow(const char* className, const char* title) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &DefWindowProc;
    wc.lpszClassName = className;
    RegisterClass(&wc); // already registered by an earlier case: the window is subclassed below
    return CreateWindowEx(0, className, title, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                          nullptr);
}

void BM_RoundTripOnAgentThread(benchmark::State& state) {
    InitializeAgentWindows(nullptr);
    CNS6Interface dispatcher;
    g_dispatcher = &dispatcher;
    SetDispatcherSource(&BenchDispatcher);
    HWND presence = MakeWindow(kPresenceClass, kPresenceTitle);
    HWND receiver = MakeWindow(kReceiverClass, kReceiverTitle);
    SetWindowLongPtr(receiver, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingReceiver));
    HWND browser = MakeWindow("WebAgentBenchBrowser", "bench browser");
    {
        CAgentWindow agent(browser);
        agent.Create(nullptr, nullptr);
        std::vector<uint8_t> option;
        std::vector<uint8_t> query;
        if (!agent.GetWindow() || !OptionRequest().Serialize(option) ||
            !StateRequest(browser).Serialize(query)) {
            state.SkipWithError("no agent window");
        } else {
            auto send = [&](std::vector<uint8_t>& bytes) {
                COPYDATASTRUCT block{};
                block.cbData = static_cast<DWORD>(bytes.size());
                block.lpData = bytes.data();
                return SendMessage(agent.GetWindow(), WM_COPYDATA,
                                   reinterpret_cast<WPARAM>(receiver),
                                   reinterpret_cast<LPARAM>(&block));
            };
            g_replies = 0;
            auto start = Clock::now();
            for (auto _ : state) {
                benchmark::DoNotOptimize(send(option));
                benchmark::DoNotOptimize(send(query));
            }
            auto caseTime = Clock::now() - start;
            if (g_replies != 2 * static_cast<size_t>(state.iterations())) {
                state.SkipWithError("a request went unanswered");
            }
            state.SetItemsProcessed(state.iterations() * 2);
            state.counters["x_sendmessage"] =
                RatioToSendMessage(agent.GetWindow(), state.iterations() * 2, caseTime);
        }
    }
    DestroyWindow(browser);
    DestroyWindow(receiver);
    DestroyWindow(presence);
    SetDispatcherSource(nullptr);
    g_dispatcher = nullptr;
    ShutdownAgentWindows();
}

enum class PageLookup { Remembered, EveryLine };

void ConsoleLine(benchmark::State& state, const char* line, PageLookup lookup) {
    cli::Session session;
    std::string error;
    if (!session.Start(cli::BrowserStart{}, error) || !session.HasBrowser()) {
        state.SkipWithError(error.empty() ? session.BrowserError().c_str() : error.c_str());
        return;
    }
    std::ostringstream out;
    std::ostringstream errors;
    cli::Printer printer(out, cli::OutputForm::Json);
    cli::ScriptRunner runner(session, printer, errors);
    runner.Drain();
    size_t lineNumber = 0;
    const size_t lookupsBefore = session.PageLookups();
    for (auto _ : state) {
        if (lookup == PageLookup::EveryLine) {
            session.ForgetPage();
        }
        benchmark::DoNotOptimize(runner.RunLine(line, ++lineNumber));
        out.str("");
    }
    if (runner.Refused() > 0) {
        state.SkipWithError(errors.str().c_str());
    }
    state.counters["lookups"] =
        benchmark::Counter(static_cast<double>(session.PageLookups() - lookupsBefore),
                           benchmark::Counter::kAvgIterations);
    session.Stop();
}

void BM_ConsoleLineMsg7OnPage(benchmark::State& state) {
    ConsoleLine(state, R"({"msg": 7, "id": "page"})", PageLookup::Remembered);
}
void BM_ConsoleLineMsg7OnPageLookedUpEveryLine(benchmark::State& state) {
    ConsoleLine(state, R"({"msg": 7, "id": "page"})", PageLookup::EveryLine);
}
void BM_ConsoleLineMsg60NoObject(benchmark::State& state) {
    ConsoleLine(state, R"({"msg": 60})", PageLookup::Remembered);
}

BENCHMARK(BM_RoundTripFromToolThread)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RoundTripOnAgentThread)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ConsoleLineMsg7OnPage)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ConsoleLineMsg7OnPageLookedUpEveryLine)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ConsoleLineMsg60NoObject)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

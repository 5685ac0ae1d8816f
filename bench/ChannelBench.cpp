// A request round trip through the real channel: the tool sends message 48
// (set an option) and message 1 (get a state) to an agent window and the
// agent's reply reaches the tool's receiver window before the send returns.
//
// Three settings: the tool on a thread of its own, as the real tool is its own
// process, once through the console's session (which hands each send to the
// tool's thread first) and once sending straight from the tool's thread; and
// the tool's windows on the agent's own thread, where every send is a direct
// call. Each reports its time
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

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
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

// The agent's side: a browser window, its agent window and the dispatcher,
// made on the calling thread.
class AgentSide {
public:
    AgentSide() {
        InitializeAgentWindows(nullptr);
        g_dispatcher = &m_dispatcher;
        SetDispatcherSource(&BenchDispatcher);
        m_browser = MakeWindow("WebAgentBenchBrowser", "bench browser");
        m_agent = std::make_unique<CAgentWindow>(m_browser);
        m_agent->Create(nullptr, nullptr);
    }
    AgentSide(const AgentSide&) = delete;
    AgentSide& operator=(const AgentSide&) = delete;
    ~AgentSide() {
        m_agent.reset();
        DestroyWindow(m_browser);
        SetDispatcherSource(nullptr);
        g_dispatcher = nullptr;
        ShutdownAgentWindows();
    }
    HWND Browser() const { return m_browser; }
    HWND Agent() const { return m_agent->GetWindow(); }

private:
    CNS6Interface m_dispatcher;
    HWND m_browser = nullptr;
    std::unique_ptr<CAgentWindow> m_agent;
};

// The agent's side on a thread of its own, pumping messages as a browser's
// user-interface thread does.
class AgentThreadSide {
public:
    AgentThreadSide() {
        std::promise<std::pair<HWND, HWND>> ready;
        auto windows = ready.get_future();
        m_thread = std::thread([this, &ready] {
            m_threadId = GetCurrentThreadId();
            AgentSide side;
            ready.set_value({side.Browser(), side.Agent()});
            MSG msg;
            while (GetMessage(&msg, nullptr, 0, 0) > 0) {
                DispatchMessage(&msg);
            }
        });
        // The agent window announces itself to this thread's receiver while
        // it is made: serve that send while waiting.
        while (windows.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
            MSG msg;
            PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE);
        }
        std::tie(m_browser, m_agent) = windows.get();
    }
    AgentThreadSide(const AgentThreadSide&) = delete;
    AgentThreadSide& operator=(const AgentThreadSide&) = delete;
    ~AgentThreadSide() {
        PostThreadMessage(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Browser() const { return m_browser; }
    HWND Agent() const { return m_agent; }

private:
    std::thread m_thread;
    std::atomic<DWORD> m_threadId{0};
    HWND m_browser = nullptr;
    HWND m_agent = nullptr;
};

// Requests sent straight from this thread, which owns the tool's presence
// and receiver windows, to an agent window on this thread or another one.
template <typename Side> void RoundTripDirect(benchmark::State& state) {
    HWND presence = MakeWindow(kPresenceClass, kPresenceTitle);
    HWND receiver = MakeWindow(kReceiverClass, kReceiverTitle);
    SetWindowLongPtr(receiver, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingReceiver));
    {
        Side side;
        std::vector<uint8_t> option;
        std::vector<uint8_t> query;
        if (!side.Agent() || !OptionRequest().Serialize(option) ||
            !StateRequest(side.Browser()).Serialize(query)) {
            state.SkipWithError("no agent window");
        } else {
            auto send = [&](std::vector<uint8_t>& bytes) {
                COPYDATASTRUCT block{};
                block.cbData = static_cast<DWORD>(bytes.size());
                block.lpData = bytes.data();
                return SendMessage(side.Agent(), WM_COPYDATA, reinterpret_cast<WPARAM>(receiver),
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
                RatioToSendMessage(side.Agent(), state.iterations() * 2, caseTime);
        }
    }
    DestroyWindow(receiver);
    DestroyWindow(presence);
}

void BM_RoundTripOnAgentThread(benchmark::State& state) {
    RoundTripDirect<AgentSide>(state);
}

// As the real tool does it: the request from the tool's thread to the agent's,
// the reply sent back to the tool's receiver within it (two nested sends).
void BM_RoundTripToolThreadToAgentThread(benchmark::State& state) {
    RoundTripDirect<AgentThreadSide>(state);
}

enum class PageLookup { Remembered, EveryLine };

// The agent component starts once per process, so the console cases share
// one session on the simulated browser, started by the first of them.
cli::Session* BrowserSession(std::string& error) {
    static cli::Session session;
    static const bool started = [] {
        std::string why;
        return session.Start(cli::BrowserStart{}, why) && session.HasBrowser();
    }();
    if (!started) {
        error =
            session.BrowserError().empty() ? "the browser did not start" : session.BrowserError();
        return nullptr;
    }
    return &session;
}

void ConsoleLine(benchmark::State& state, const char* line, PageLookup lookup) {
    std::string error;
    cli::Session* session = BrowserSession(error);
    if (!session) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::ostringstream out;
    std::ostringstream errors;
    cli::Printer printer(out, cli::OutputForm::Json);
    cli::ScriptRunner runner(*session, printer, errors);
    runner.Drain();
    size_t lineNumber = 0;
    const size_t lookupsBefore = session->PageLookups();
    for (auto _ : state) {
        if (lookup == PageLookup::EveryLine) {
            session->ForgetPage();
        }
        benchmark::DoNotOptimize(runner.RunLine(line, ++lineNumber));
        out.str("");
    }
    if (runner.Refused() > 0) {
        state.SkipWithError(errors.str().c_str());
    }
    state.counters["lookups"] =
        benchmark::Counter(static_cast<double>(session->PageLookups() - lookupsBefore),
                           benchmark::Counter::kAvgIterations);
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
BENCHMARK(BM_RoundTripToolThreadToAgentThread)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ConsoleLineMsg7OnPage)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ConsoleLineMsg7OnPageLookedUpEveryLine)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ConsoleLineMsg60NoObject)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

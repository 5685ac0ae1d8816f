#include "cli/Session.h"

#include "agent/channel/CAgentWindow.h"
#include "agent/channel/Trace.h"
#include "agent/common/AgentCodes.h"
#include "agent/dispatch/CNS6Interface.h"

#include <future>
#include <iterator>
#include <map>
#include <span>
#include <utility>

namespace cli {

namespace {

constexpr const char* kStandInBrowserClass = "WebAgentConsoleBrowser";
// The number of the console's own requests (page lookups, rectangles); the
// script's requests are numbered from 1.
constexpr int32_t kOwnRequestNumber = -4711;
constexpr const char* kStandInBrowserTitle = "webagent console";
// The number of the requests that collect a recorded statement at its signal.
constexpr int32_t kStatementRequestNumber = -4712;

// The tool's windows are looked up by class, so there is one session per
// process; its capture procedures reach it through this pointer, set while
// the session runs.
std::mutex g_sessionMutex;
Session* g_session = nullptr;

// The procedures the record-signal watch replaced, per window.
std::mutex g_watchMutex;
std::map<HWND, WNDPROC> g_watched;

CNS6Interface* g_dispatcher = nullptr; // observes: owned by the agent thread while it runs
CInterface* StandInDispatcher() {
    return g_dispatcher;
}

} // namespace

// A browser's user-interface thread standing in for the simulated browser: it
// owns a browser window, its agent window and the dispatcher, and pumps
// messages until told to stop.
class AgentThread {
public:
    AgentThread() {
        std::promise<std::pair<HWND, HWND>> ready;
        auto windows = ready.get_future();
        m_thread = std::thread([this, &ready] { Run(ready); });
        std::tie(m_browser, m_agent) = windows.get();
    }
    AgentThread(const AgentThread&) = delete;
    AgentThread& operator=(const AgentThread&) = delete;
    ~AgentThread() {
        PostThreadMessage(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }

    HWND Browser() const { return m_browser; }
    HWND Agent() const { return m_agent; }

private:
    void Run(std::promise<std::pair<HWND, HWND>>& ready) {
        m_threadId = GetCurrentThreadId();
        // A browser process starts with the agent's trace state as it loads;
        // a session before this one in the same process may have changed it.
        SetTraceMask(kInitialTraceMask);
        SetTraceFileSwitch(0);
        InitializeAgentWindows(nullptr);
        CNS6Interface dispatcher;
        g_dispatcher = &dispatcher;
        SetDispatcherSource(&StandInDispatcher);

        WNDCLASSA wc{};
        wc.lpfnWndProc = &DefWindowProc;
        wc.lpszClassName = kStandInBrowserClass;
        RegisterClass(&wc);
        HWND browser =
            CreateWindowEx(0, kStandInBrowserClass, kStandInBrowserTitle, WS_OVERLAPPEDWINDOW, 0, 0,
                           800, 600, nullptr, nullptr, nullptr, nullptr);
        Session::WatchRecordSignals(browser);
        {
            // Creating the agent window announces the connection to the tool.
            CAgentWindow agent(browser);
            agent.Create(nullptr, nullptr);
            ready.set_value({browser, agent.GetWindow()});
            MSG msg;
            while (GetMessage(&msg, nullptr, 0, 0) > 0) {
                DispatchMessage(&msg);
            }
        }
        DestroyWindow(browser);
        SetDispatcherSource(nullptr);
        g_dispatcher = nullptr;
        ShutdownAgentWindows();
    }

    std::thread m_thread;
    DWORD m_threadId = 0;
    HWND m_browser = nullptr;
    HWND m_agent = nullptr;
};

Session::Session() = default;

Session::~Session() {
    Stop();
}

bool Session::Start(const BrowserStart& browser, std::string& error) {
    {
        std::lock_guard lock(g_sessionMutex);
        if (g_session) {
            error = "another console session runs in this process";
            return false;
        }
        g_session = this;
    }
    if (!m_tool.Start()) {
        std::lock_guard lock(g_sessionMutex);
        g_session = nullptr;
        error = "the tool's windows could not be created";
        return false;
    }
    // Capture before the agent exists, so that its announcement is seen.
    m_receiverProc = reinterpret_cast<WNDPROC>(SetWindowLongPtr(
        m_tool.ReceiverWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CaptureReceiverProc)));
    m_traceProc = reinterpret_cast<WNDPROC>(SetWindowLongPtr(
        m_tool.TraceViewerWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CaptureTraceProc)));

    m_browserError = kBrowserUnavailable;
    if (!browser.standIn) {
        m_browser = StartSimulatedBrowser(browser, m_browserError);
    }
    if (m_browser) {
        m_browserError.clear();
        m_browserWindow = m_browser->BrowserWindow();
    } else {
        m_agent = std::make_unique<AgentThread>();
        m_browserWindow = m_agent->Browser();
    }
    m_agentWindow = tool::TestTool::FindAgentWindow(m_browserWindow);
    if (!m_agentWindow) {
        error = "the agent made no agent window";
        Stop();
        return false;
    }
    return true;
}

void Session::Stop() {
    m_agent.reset();
    m_browser.reset();
    m_tool.Stop();
    m_agentWindow = nullptr;
    m_browserWindow = nullptr;
    m_pageId.reset();
    {
        std::lock_guard lock(g_watchMutex);
        g_watched.clear();
    }
    std::lock_guard lock(g_sessionMutex);
    if (g_session == this) {
        g_session = nullptr;
    }
}

std::optional<CWebRunTimeID> Session::BrowserId(std::string& error) const {
    if (!m_browserWindow) {
        error = "no browser window";
        return std::nullopt;
    }
    return CWebRunTimeID(static_cast<int32_t>(HandleToULong(m_browserWindow)), -1, -1, -1);
}

std::optional<CWebRunTimeID> Session::PageId(std::string& error) {
    if (!m_browser) {
        error = m_browserError;
        return std::nullopt;
    }
    if (m_pageStale.exchange(false)) {
        m_pageId.reset();
    }
    if (m_pageId) {
        return m_pageId;
    }
    // The page is the browser object's first child.
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::GetProperties));
    request.SetRunTimeID(*BrowserId(error));
    request.AppendAttr("child", CWebVariantList(CWebVariant(1)));
    ++m_pageLookups;
    auto reply = AskAgent(request);
    const CWebVariant* id = reply ? reply->FindFirstValue("child") : nullptr;
    if (!id || id->GetType() != WebVariantType::RunTimeID) {
        error = "the browser object has no page";
        return std::nullopt;
    }
    m_pageId = id->GetRunTimeID();
    return m_pageId;
}

std::vector<HWND> Session::BrowserWindows() const {
    if (m_browser) {
        return m_browser->BrowserWindows();
    }
    return m_browserWindow ? std::vector<HWND>{m_browserWindow} : std::vector<HWND>{};
}

std::vector<HWND> Session::FrameWindows(HWND browserWindow) const {
    return m_browser ? m_browser->FrameWindows(browserWindow) : std::vector<HWND>{};
}

std::optional<CWebInfo> Session::AskAgent(CWebInfo request, HWND browserWindow) {
    request.SetWebInfoId(kOwnRequestNumber);
    size_t before = 0;
    {
        std::lock_guard lock(m_mutex);
        before = m_incoming.size();
    }
    if (browserWindow == nullptr || browserWindow == m_browserWindow) {
        Send(request);
    } else if (HWND agent = tool::TestTool::FindAgentWindow(browserWindow)) {
        m_tool.Post(agent, request);
    }
    std::optional<CWebInfo> reply;
    std::lock_guard lock(m_mutex);
    // What arrived while the agent served it: its reply and trace lines are
    // the console's own business; any other record stays for the script.
    std::vector<Incoming> kept;
    for (size_t i = before; i < m_incoming.size(); ++i) {
        Incoming& in = m_incoming[i];
        if (in.kind == Incoming::Kind::Trace) {
            continue;
        }
        if (!reply && in.record.GetWebInfoId() == kOwnRequestNumber) {
            reply = std::move(in.record);
            continue;
        }
        kept.push_back(std::move(in));
    }
    m_incoming.resize(before);
    std::move(kept.begin(), kept.end(), std::back_inserter(m_incoming));
    return reply;
}

bool Session::ResolveTarget(UserAction& action, std::string& error) {
    if (!action.on) {
        action.target = action.at;
        return true;
    }
    if (action.makeVisible) {
        // As the tool acts on an object: scrolled into view, then aimed at the
        // screen point the agent reports for the offset inside it.
        POINT offset = action.at.value_or(POINT{2, 2});
        CWebInfo request;
        request.SetMsgId(ToInt(MsgId::MakeVisible));
        request.SetRunTimeID(*action.on);
        request.AppendAttr("point", CWebVariantList(CWebVariant(static_cast<int32_t>(offset.x),
                                                                static_cast<int32_t>(offset.y))));
        auto reply = AskAgent(request);
        const CWebVariant* pos = reply ? reply->FindFirstValue("pos") : nullptr;
        if (!reply || reply->GetRetValue() != 0 || !pos || pos->GetType() != WebVariantType::Pair) {
            error = "the object could not be made visible";
            return false;
        }
        POINT target{pos->GetPairFirst(), pos->GetPairSecond()};
        // An offset recorded on a wider object may fall outside this one: aim
        // at its middle instead.
        if (const CWebVariant* rect = reply->FindFirstValue("rect");
            rect && rect->GetType() == WebVariantType::Rect) {
            const RECT r = rect->GetRect();
            if (target.x < r.left || target.x >= r.right || target.y < r.top ||
                target.y >= r.bottom) {
                target = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            }
        }
        action.target = target;
        return true;
    }
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::GetProperties));
    request.SetRunTimeID(*action.on);
    // Elements report "rect" relative to their frame and "screen_rect" on the
    // screen; browsers, pages and frames have only "rect", on the screen.
    request.AppendAttr("screen_rect", CWebVariantList());
    request.AppendAttr("rect", CWebVariantList());
    auto reply = AskAgent(request);
    const CWebVariant* rect = reply ? reply->FindFirstValue("screen_rect") : nullptr;
    if (!rect || rect->GetType() != WebVariantType::Rect) {
        rect = reply ? reply->FindFirstValue("rect") : nullptr;
    }
    if (!rect || rect->GetType() != WebVariantType::Rect) {
        error = "the object has no screen rectangle";
        return false;
    }
    POINT offset = action.at.value_or(POINT{2, 2});
    action.target = POINT{rect->GetRect().left + offset.x, rect->GetRect().top + offset.y};
    return true;
}

LRESULT Session::Send(const CWebInfo& request) {
    std::vector<uint8_t> bytes;
    if (!request.Serialize(bytes)) {
        m_lastSendTimedOut = false;
        return 0;
    }
    return SendBytes(std::move(bytes));
}

LRESULT Session::SendBytes(std::vector<uint8_t> bytes) {
    m_lastSendTimedOut = false;
    if (!m_agentWindow) {
        return 0;
    }
    return m_tool.SendBytes(m_agentWindow, std::move(bytes), m_replyWait, &m_lastSendTimedOut);
}

std::vector<Incoming> Session::TakeIncoming() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_incoming, {});
}

bool Session::WaitForIncoming(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_until(lock, deadline, [this] { return !m_incoming.empty(); });
}

bool Session::Perform(const UserAction& action, std::string& error) {
    if (!m_browser) {
        error = m_browserError;
        return false;
    }
    UserAction resolved = action;
    if (!ResolveTarget(resolved, error)) {
        return false;
    }
    // Any action may leave the page (a link, a form sent with Enter, the
    // toolbar): the page is asked for again at its next use.
    ForgetPage();
    return m_browser->Perform(resolved, error);
}

std::optional<CWebInfo> Session::AskDirectly(HWND agentWindow, CWebInfo request) {
    request.SetWebInfoId(kStatementRequestNumber);
    std::vector<uint8_t> bytes;
    if (!request.Serialize(bytes)) {
        return std::nullopt;
    }
    {
        std::lock_guard lock(m_mutex);
        m_directReply.reset();
    }
    COPYDATASTRUCT block{};
    block.cbData = static_cast<DWORD>(bytes.size());
    block.lpData = bytes.data();
    // The agent window belongs to this thread: the request is served now, and
    // the agent's reply has reached the receiver when the send returns.
    SendMessage(agentWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(m_tool.ReceiverWindow()),
                reinterpret_cast<LPARAM>(&block));
    std::lock_guard lock(m_mutex);
    return std::exchange(m_directReply, std::nullopt);
}

void Session::CollectStatement(HWND signalled, WPARAM wParam, LPARAM lParam) {
    // The agent signals after every navigation notice too, with nothing new
    // stored: the statement it would collect was collected at its own signal.
    if (m_noticeSignalDue.exchange(false) && wParam == 0 && lParam == 0) {
        return;
    }
    HWND top = signalled;
    while (HWND parent = GetParent(top)) {
        top = parent;
    }
    HWND agentWindow = tool::TestTool::FindAgentWindow(top);
    if (!agentWindow) {
        agentWindow = m_agentWindow;
    }
    CWebInfo request;
    request.SetMsgId(ToInt(MsgId::LastEvent));
    std::optional<CWebInfo> statement = AskDirectly(agentWindow, request);
    if (!statement) {
        return;
    }
    Incoming incoming;
    incoming.kind = Incoming::Kind::Recorded;
    incoming.decoded = statement->Serialize(incoming.bytes);
    incoming.record = std::move(*statement);
    const CWebVariant* idValue = incoming.record.FindFirstValue("id");
    if (m_statementFacts && idValue && idValue->GetType() == WebVariantType::RunTimeID) {
        incoming.facts = CollectFacts(agentWindow, idValue->GetRunTimeID(), wParam, lParam);
        incoming.facts->otherWindow = top != m_browserWindow;
    }
    Push(std::move(incoming));
}

StatementFacts Session::CollectFacts(HWND agentWindow, const CWebRunTimeID& id, WPARAM wParam,
                                     LPARAM lParam) {
    StatementFacts facts;
    facts.offset = POINT{static_cast<LONG>(static_cast<int32_t>(wParam)),
                         static_cast<LONG>(static_cast<int32_t>(lParam))};
    auto ask = [&](MsgId msg, const CWebRunTimeID& on, std::initializer_list<const char*> names) {
        CWebInfo request;
        request.SetMsgId(ToInt(msg));
        request.SetRunTimeID(on);
        for (const char* name : names) {
            request.AppendAttr(name, CWebVariantList());
        }
        return AskDirectly(agentWindow, std::move(request));
    };
    // The page is the browser object's first child.
    CWebInfo pageRequest;
    pageRequest.SetMsgId(ToInt(MsgId::GetProperties));
    pageRequest.SetRunTimeID(id.BrowserLevel());
    pageRequest.AppendAttr("child", CWebVariantList(CWebVariant(1)));
    if (auto page = AskDirectly(agentWindow, pageRequest)) {
        if (const CWebVariant* child = page->FindFirstValue("child");
            child && child->GetType() == WebVariantType::RunTimeID) {
            facts.pageId = child->GetRunTimeID();
        }
    }
    if (id == id.BrowserLevel()) {
        return facts;
    }
    if (id.FrameLevel() != facts.pageId) {
        facts.frame = ask(MsgId::GetProperties, id.FrameLevel(), {"name", "title", "url"});
    }
    if (id == id.FrameLevel()) {
        return facts;
    }
    facts.description = ask(MsgId::IdToDesc, id, {});
    const CWebVariant* className =
        facts.description ? facts.description->FindFirstValue("class") : nullptr;
    if (className && className->GetType() == WebVariantType::String &&
        IsListClass(className->GetString())) {
        facts.list =
            ask(MsgId::GetProperties, id, {"record_command", "record_selection", "selection"});
    }
    return facts;
}

void Session::Push(Incoming incoming) {
    if (incoming.kind == Incoming::Kind::Record) {
        const bool notice = incoming.record.GetMsgId() == ToInt(MsgId::NavigationNotice);
        m_noticeSignalDue = notice;
        if (notice) {
            ForgetPage();
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_incoming.push_back(std::move(incoming));
    }
    m_arrived.notify_all();
}

LRESULT Session::CaptureReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Session* session = nullptr;
    {
        std::lock_guard lock(g_sessionMutex);
        session = g_session;
    }
    if (!session) {
        return DefWindowProc(window, message, wParam, lParam);
    }
    if (message != WM_COPYDATA) {
        return CallWindowProc(session->m_receiverProc, window, message, wParam, lParam);
    }
    // The console keeps what the agent sends itself, bytes and all, in
    // arrival order; the tool's own queues are not needed.
    Incoming incoming;
    if (const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        block && block->lpData && block->cbData > 0) {
        std::span<const uint8_t> bytes(static_cast<const uint8_t*>(block->lpData), block->cbData);
        incoming.bytes.assign(bytes.begin(), bytes.end());
        incoming.decoded = incoming.record.Deserialize(bytes).Succeeded();
    }
    if (incoming.record.GetWebInfoId() == kStatementRequestNumber) {
        std::lock_guard lock(session->m_mutex);
        session->m_directReply = std::move(incoming.record);
        return 1;
    }
    session->Push(std::move(incoming));
    return 1;
}

LRESULT Session::CaptureTraceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Session* session = nullptr;
    {
        std::lock_guard lock(g_sessionMutex);
        session = g_session;
    }
    if (session && message == WM_SETTEXT && lParam) {
        Incoming incoming;
        incoming.kind = Incoming::Kind::Trace;
        incoming.category = static_cast<int32_t>(wParam);
        incoming.text = reinterpret_cast<const char*>(lParam);
        session->Push(std::move(incoming));
        return DefWindowProc(window, message, wParam, lParam);
    }
    if (session && session->m_traceProc) {
        return CallWindowProc(session->m_traceProc, window, message, wParam, lParam);
    }
    return DefWindowProc(window, message, wParam, lParam);
}

LRESULT Session::WatchSignalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC original = nullptr;
    {
        std::lock_guard lock(g_watchMutex);
        if (auto it = g_watched.find(window); it != g_watched.end()) {
            original = it->second;
        }
    }
    if (message == kRecordSignal) {
        Session* session = nullptr;
        {
            std::lock_guard lock(g_sessionMutex);
            session = g_session;
        }
        if (session) {
            session->CollectStatement(window, wParam, lParam);
        }
    }
    if (message == WM_NCDESTROY) {
        std::lock_guard lock(g_watchMutex);
        g_watched.erase(window);
    }
    return original ? CallWindowProc(original, window, message, wParam, lParam)
                    : DefWindowProc(window, message, wParam, lParam);
}

void Session::WatchRecordSignals(HWND browserWindow) {
    auto watch = [](HWND window, LPARAM) -> BOOL {
        std::lock_guard lock(g_watchMutex);
        if (!g_watched.contains(window)) {
            auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtr(window, GWLP_WNDPROC));
            if (original != &WatchSignalProc) {
                g_watched.emplace(window, original);
                SetWindowLongPtr(window, GWLP_WNDPROC,
                                 reinterpret_cast<LONG_PTR>(&WatchSignalProc));
            }
        }
        return TRUE;
    };
    if (browserWindow && IsWindow(browserWindow)) {
        watch(browserWindow, 0);
        EnumChildWindows(browserWindow, watch, 0);
    }
}

} // namespace cli

// The console's session: the tool's side of the channel (presence, receiver
// and trace viewer windows on the tool's thread) and the agent on a browser
// thread of its own, with everything the agent sends captured in arrival
// order.
//
//     cli::Session session;
//     if (!session.Start({}, error)) ...
//     session.Send(request);                  // returns once the agent has answered
//     for (auto& in : session.TakeIncoming()) ...
//     session.Stop();
//
// One session per process: the tool's windows are found by class and title,
// so a second tool would not be told apart.
#pragma once

#include "agent/channel/CWebInfo.h"
#include "cli/BrowserStart.h"
#include "platform/win32/Windows.h"
#include "tool/TestTool.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace cli {

// What the console learns about a recorded statement while the agent's signal
// is being handled, that is while the object acted on still exists (the
// user's action may go on to leave the page).
struct StatementFacts {
    POINT offset{}; // the event's position inside the object
    // The statement came from a browser window other than the first one,
    // which addresses in a script do not reach.
    bool otherWindow = false;
    CWebRunTimeID pageId; // the page of the statement's browser window
    // The replies to the description (message 39) of the object, to "name",
    // "title" and "url" of its frame (none for the page's own document), and
    // to "record_command", "record_selection" and "selection" of a list.
    std::optional<CWebInfo> description;
    std::optional<CWebInfo> frame;
    std::optional<CWebInfo> list;
};

// The test classes of selection lists, whose statements the list's own
// "record_command" and "record_selection" explain.
inline bool IsListClass(std::string_view className) {
    return className == "html_combobox" || className == "html_listbox" ||
           className == "html_select";
}

// One thing the agent sent the tool: a record (as received and as decoded)
// or a trace line. A recorded statement is the record the console collected
// with message 22 at the agent's signal.
struct Incoming {
    enum class Kind { Record, Recorded, Trace };
    Kind kind = Kind::Record;
    std::vector<uint8_t> bytes;
    CWebInfo record;
    bool decoded = false; // the whole record decoded
    int32_t category = 0;
    std::string text;
    std::optional<StatementFacts> facts; // recorded statements, when asked for
};

// The window message the agent sends a browser window after it stored a
// recorded statement.
inline constexpr UINT kRecordSignal = WM_USER + 34;

class AgentThread;

class Session {
public:
    Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session();

    // Starts the tool, then the browser with the agent (the simulated browser
    // when it is available, otherwise an agent window for a stand-in browser
    // window), which announces itself. False, with the reason, when the tool
    // or the agent could not start.
    bool Start(const BrowserStart& browser, std::string& error);
    void Stop();

    // Whether the simulated browser runs (pages, frames and elements exist).
    bool HasBrowser() const { return m_browser != nullptr; }
    // Why the simulated browser does not run ("" when it does).
    const std::string& BrowserError() const { return m_browserError; }
    // The first browser window's browser and page objects.
    std::optional<CWebRunTimeID> BrowserId(std::string& error) const;
    // The object of the first window's content area: asked of the agent once,
    // and again only after ForgetPage (a navigation, a user action, or an
    // answer that the object is gone).
    std::optional<CWebRunTimeID> PageId(std::string& error);
    void ForgetPage() { m_pageStale = true; }
    // How many requests the console sent on its own to find the page.
    size_t PageLookups() const { return m_pageLookups; }
    HWND AgentWindow() const { return m_agentWindow; }
    HWND BrowserWindow() const { return m_browserWindow; }

    // Sends a request or raw bytes to the agent window and returns once the
    // agent has handled it (its reply, if any, is then among the incoming);
    // answers the WM_COPYDATA result: 1 when the agent replied, 0 when not.
    // Each send waits at most ReplyWait() for the agent; LastSendTimedOut()
    // tells whether the last one ran out of time (its reply may come later).
    LRESULT Send(const CWebInfo& request);
    LRESULT SendBytes(std::vector<uint8_t> bytes);
    void SetReplyWait(std::chrono::milliseconds wait) { m_replyWait = wait; }
    std::chrono::milliseconds ReplyWait() const { return m_replyWait; }
    bool LastSendTimedOut() const { return m_lastSendTimedOut; }

    // What arrived since the last call, oldest first.
    std::vector<Incoming> TakeIncoming();
    // Waits until something arrived or the deadline passed; answers whether
    // anything is there to take.
    bool WaitForIncoming(std::chrono::steady_clock::time_point deadline);
    // At every signal of a recorded statement the console collects it at
    // once (message 22), before the page goes on; with facts on it also asks
    // what a replayable script needs about the object (StatementFacts).
    void SetStatementFacts(bool on) { m_statementFacts = on; }

    // A request of the console's own, sent to the agent window of
    // `browserWindow` (the first browser window's when null): its reply is
    // taken out, everything else that arrived stays for the script's output.
    // Nothing when the agent did not answer.
    std::optional<CWebInfo> AskAgent(CWebInfo request, HWND browserWindow = nullptr);
    // The top-level browser windows, in the order they were opened (the
    // first browser window alone without the simulated browser).
    std::vector<HWND> BrowserWindows() const;
    // The native windows of the frames below a browser window's content area
    // (at any depth, in document order).
    std::vector<HWND> FrameWindows(HWND browserWindow) const;

    // Performs a simulated user's action in the browser (an "on" object's
    // point taken from the agent); false with the reason when it cannot be done.
    bool Perform(const UserAction& action, std::string& error);

    // Window procedures that capture what the agent sends; public for the
    // stand-in browser window, which signals through the same path.
    static LRESULT CaptureReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CaptureTraceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT WatchSignalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Watches a browser window and its child windows for the record signal.
    static void WatchRecordSignals(HWND browserWindow);

private:
    void Push(Incoming incoming);
    // Runs on the thread of the signalled window, which owns the agent
    // window too: collects the statement with requests the agent serves
    // at once.
    void CollectStatement(HWND signalled, WPARAM wParam, LPARAM lParam);
    std::optional<CWebInfo> AskDirectly(HWND agentWindow, CWebInfo request);
    StatementFacts CollectFacts(HWND agentWindow, const CWebRunTimeID& id, WPARAM wParam,
                                LPARAM lParam);
    // The screen point of a pointer action.
    bool ResolveTarget(UserAction& action, std::string& error);

    tool::TestTool m_tool;
    std::unique_ptr<SimulatedBrowser> m_browser; // the real browser, when it runs
    std::unique_ptr<AgentThread> m_agent;        // the stand-in browser thread otherwise
    std::string m_browserError;                  // why the simulated browser does not run
    HWND m_agentWindow = nullptr;
    HWND m_browserWindow = nullptr;
    WNDPROC m_receiverProc = nullptr; // the tool's own procedures, chained for other messages
    WNDPROC m_traceProc = nullptr;

    std::chrono::milliseconds m_replyWait{tool::kDefaultWait};
    bool m_lastSendTimedOut = false;
    std::optional<CWebRunTimeID> m_pageId;
    std::atomic<bool> m_pageStale{false}; // set from the tool's thread on a navigation notice
    size_t m_pageLookups = 0;

    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<Incoming> m_incoming;
    std::atomic<bool> m_statementFacts{false};
    // A navigation notice was the last record: the signal that follows it
    // announces no statement.
    std::atomic<bool> m_noticeSignalDue{false};
    // The reply to a request of CollectStatement, set by the receiver.
    std::optional<CWebInfo> m_directReply;
};

} // namespace cli

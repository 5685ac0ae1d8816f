// The test tool's side of the channel, for end-to-end tests and the console.
//
//     tool::TestTool tool;
//     tool.Start();                                  // presence, receiver, trace viewer
//     HWND agent = tool.FindAgentWindow(browserHwnd);
//     CWebInfo request;
//     request.SetMsgId(48);
//     auto reply = tool.Request(agent, request);     // nothing on time-out
//     auto hello = tool.WaitForRecord(38);           // announcements, notices
//     tool.Stop();
//
// The tool runs on a thread of its own, as the real tool is its own process,
// so every request takes the cross-thread path of the desktop stand-in. The
// calling thread may own agent windows: the waits handle messages sent to it.
#pragma once

#include "agent/channel/CWebInfo.h"
#include "platform/win32/Windows.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tool {

inline constexpr std::chrono::milliseconds kDefaultWait{5000};

struct TraceLine {
    int32_t category;
    std::string text;
};

class TestTool;

// Runs on the tool's thread while an incoming record is being handled, that is
// while the agent's send of it is outstanding.
using IncomingHook = std::function<void(TestTool& tool, const CWebInfo& incoming)>;

// Which windows the tool shows; a tool without a presence window gets no agent
// windows, one without a trace viewer switches the agent's tracing off.
struct ToolWindows {
    bool presence = true;
    bool receiver = true;
    bool traceViewer = true;
};

class TestTool {
public:
    TestTool();
    TestTool(const TestTool&) = delete;
    TestTool& operator=(const TestTool&) = delete;
    ~TestTool();

    // Starts the tool's thread and creates its windows; false if they could
    // not be created (another tool already runs in this process, say).
    bool Start(ToolWindows windows = {});
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

    // The agent window of a browser window, found by class and title.
    static HWND FindAgentWindow(HWND browserWindow);
    // Every agent window that exists.
    static std::vector<HWND> FindAgentWindows();

    // Sends a request (its WebInfoId set to a new number unless keepId) from
    // the tool's thread and waits for the reply with the same WebInfoId.
    std::optional<CWebInfo> Request(HWND agentWindow, CWebInfo request,
                                    std::chrono::milliseconds wait = kDefaultWait);
    // Sends a request without waiting for a reply; answers the result of the
    // WM_COPYDATA send (1 when the agent replied, 0 when it refused).
    LRESULT Post(HWND agentWindow, const CWebInfo& request);
    // Sends raw bytes as a request (for malformed records), waiting at most
    // wait for the agent to handle them; timedOut (when given) tells whether
    // the wait ran out.
    LRESULT SendBytes(HWND agentWindow, std::vector<uint8_t> bytes,
                      std::chrono::milliseconds wait = kDefaultWait, bool* timedOut = nullptr);
    // Sends the registered message "HodaatYezurHalonHadash;" from the tool.
    LRESULT SendRegisteredMessage(HWND agentWindow, WPARAM wParam, LPARAM lParam);

    // Only on the tool's thread (from a hook): sends a request now and answers
    // the WM_COPYDATA result; its reply goes to the queue of replies.
    LRESULT SendNow(HWND agentWindow, CWebInfo request);

    // While handling an incoming record of this MsgId, run the hook first.
    void SetIncomingHook(int32_t msgId, IncomingHook hook);
    // While handling an incoming record of this MsgId, send these requests to
    // the agent window named by its "agent_handle" attribute.
    void SendWhileHandling(int32_t msgId, std::vector<CWebInfo> requests);

    // Records the agent sent that answer no request of this tool (announcements,
    // navigation notices, or replies nobody waited for), oldest first.
    std::optional<CWebInfo> WaitForRecord(int32_t msgId,
                                          std::chrono::milliseconds wait = kDefaultWait);
    std::vector<CWebInfo> TakeUnsolicited();
    // Every record received, in order, with the raw size of each.
    std::vector<CWebInfo> ReceivedRecords() const;
    std::vector<size_t> ReceivedSizes() const;

    std::vector<TraceLine> TraceLines() const;
    void ClearTraceLines();

    HWND ReceiverWindow() const { return m_receiver; }
    HWND TraceViewerWindow() const { return m_traceViewer; }
    HWND PresenceWindow() const { return m_presence; }
    DWORD ThreadId() const { return m_threadId; }

private:
    static LRESULT ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT TraceViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void ThreadMain(ToolWindows windows, std::promise<bool>* started);
    void OnRecord(const COPYDATASTRUCT& block);
    void OnTraceLine(WPARAM category, const char* text);
    // Runs work on the tool's thread and waits for it, handling the messages
    // sent to the calling thread meanwhile.
    LRESULT RunOnToolThread(std::function<LRESULT()> work);
    // Waits until pred holds, pumping the caller's messages.
    bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds wait);

    std::thread m_thread;
    DWORD m_threadId = 0;
    HWND m_presence = nullptr;
    HWND m_receiver = nullptr;
    HWND m_traceViewer = nullptr;
    HWND m_control = nullptr; // receives work for the tool's thread

    mutable std::mutex m_mutex;
    int32_t m_nextWebInfoId = 1000;
    std::map<int32_t, CWebInfo> m_replies; // by WebInfoId, for waiting requests
    std::vector<int32_t> m_awaited;        // WebInfoIds of outstanding requests
    std::deque<CWebInfo> m_unsolicited;
    std::vector<CWebInfo> m_received;
    std::vector<size_t> m_receivedSizes;
    std::vector<TraceLine> m_traceLines;
    std::map<int32_t, IncomingHook> m_hooks;
};

} // namespace tool

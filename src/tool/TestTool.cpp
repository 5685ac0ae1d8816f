#include "tool/TestTool.h"

#include "agent/channel/CAgentWindow.h"
#include "agent/channel/ToolSender.h"
#include "agent/channel/Trace.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace tool {

namespace {

constexpr const char* kControlClass = "WebAgentTestToolControl";
constexpr const char* kTraceViewerTitle = "Trace Viewer";
constexpr UINT kRunWork = WM_APP + 1;

ATOM RegisterToolClass(const char* name, WNDPROC proc) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    ATOM atom = RegisterClass(&wc);
    if (atom == 0 && GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        return 1;
    return atom;
}

TestTool* ToolOf(HWND window) {
    return reinterpret_cast<TestTool*>(GetWindowLongPtr(window, GWLP_USERDATA));
}

HWND MakeWindow(const char* className, const char* title, TestTool* tool) {
    HWND window = CreateWindowEx(0, className, title, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                 nullptr, nullptr);
    if (window)
        SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(tool));
    return window;
}

LRESULT SendRecord(HWND from, HWND agentWindow, const std::vector<uint8_t>& bytes,
                   std::chrono::milliseconds wait) {
    COPYDATASTRUCT block{};
    block.cbData = static_cast<DWORD>(bytes.size());
    block.lpData = const_cast<uint8_t*>(bytes.data());
    DWORD_PTR answer = 0;
    if (!SendMessageTimeout(agentWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                            reinterpret_cast<LPARAM>(&block), SMTO_NORMAL,
                            static_cast<UINT>(wait.count()), &answer))
        return 0;
    return static_cast<LRESULT>(answer);
}

} // namespace

TestTool::TestTool() = default;

TestTool::~TestTool() {
    Stop();
}

bool TestTool::Start(ToolWindows windows) {
    if (IsRunning())
        return true;
    std::promise<bool> started;
    auto result = started.get_future();
    m_thread = std::thread([this, windows, &started] { ThreadMain(windows, &started); });
    if (!result.get()) {
        m_thread.join();
        return false;
    }
    return true;
}

void TestTool::ThreadMain(ToolWindows windows, std::promise<bool>* started) {
    m_threadId = GetCurrentThreadId();
    bool ok = RegisterToolClass(kControlClass, &TestTool::ControlProc) &&
              RegisterToolClass(kPresenceClass, &DefWindowProc) &&
              RegisterToolClass(kReceiverClass, &TestTool::ReceiverProc) &&
              RegisterToolClass(kTraceViewerClass, &TestTool::TraceViewerProc);
    if (ok) {
        m_control = MakeWindow(kControlClass, "", this);
        if (windows.presence)
            m_presence = MakeWindow(kPresenceClass, kPresenceTitle, this);
        if (windows.receiver)
            m_receiver = MakeWindow(kReceiverClass, kReceiverTitle, this);
        if (windows.traceViewer)
            m_traceViewer = MakeWindow(kTraceViewerClass, kTraceViewerTitle, this);
        ok = m_control && (!windows.presence || m_presence) && (!windows.receiver || m_receiver) &&
             (!windows.traceViewer || m_traceViewer);
    }
    started->set_value(ok);
    if (!ok)
        return;
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0)
        DispatchMessage(&msg);
}

void TestTool::Stop() {
    if (!IsRunning())
        return;
    RunOnToolThread([this] {
        for (HWND* window : {&m_presence, &m_receiver, &m_traceViewer, &m_control}) {
            if (*window)
                DestroyWindow(*window);
            *window = nullptr;
        }
        PostQuitMessage(0);
        return LRESULT{0};
    });
    m_thread.join();
}

LRESULT TestTool::RunOnToolThread(std::function<LRESULT()> work) {
    if (GetCurrentThreadId() == m_threadId)
        return work();
    // A cross-thread send waits while handling the messages sent to the caller,
    // so a calling thread that owns agent windows keeps serving them.
    return SendMessage(m_control, kRunWork, 0, reinterpret_cast<LPARAM>(&work));
}

LRESULT TestTool::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunWork)
        return (*reinterpret_cast<std::function<LRESULT()>*>(lParam))();
    return DefWindowProc(window, message, wParam, lParam);
}

LRESULT TestTool::ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        if (TestTool* tool = ToolOf(window); tool && lParam) {
            tool->OnRecord(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            return 1;
        }
    }
    return DefWindowProc(window, message, wParam, lParam);
}

LRESULT TestTool::TraceViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        if (TestTool* tool = ToolOf(window); tool && lParam)
            tool->OnTraceLine(wParam, reinterpret_cast<const char*>(lParam));
    }
    return DefWindowProc(window, message, wParam, lParam);
}

void TestTool::OnRecord(const COPYDATASTRUCT& block) {
    CWebInfo record;
    if (block.lpData && block.cbData > 0)
        (void)record.Deserialize(
            std::span<const uint8_t>(static_cast<const uint8_t*>(block.lpData), block.cbData));
    IncomingHook hook;
    {
        std::lock_guard lock(m_mutex);
        m_received.push_back(record);
        m_receivedSizes.push_back(block.cbData);
        auto awaited = std::find(m_awaited.begin(), m_awaited.end(), record.GetWebInfoId());
        if (awaited != m_awaited.end()) {
            m_awaited.erase(awaited);
            m_replies.insert_or_assign(record.GetWebInfoId(), record);
        } else {
            m_unsolicited.push_back(record);
        }
        if (auto it = m_hooks.find(record.GetMsgId()); it != m_hooks.end())
            hook = it->second;
    }
    // The agent's send is still outstanding here: what the hook sends is
    // served by the agent before its send returns.
    if (hook)
        hook(*this, record);
}

void TestTool::OnTraceLine(WPARAM category, const char* text) {
    std::lock_guard lock(m_mutex);
    m_traceLines.push_back({static_cast<int32_t>(category), text});
}

HWND TestTool::FindAgentWindow(HWND browserWindow) {
    std::string title = FormatTraceLine("%s_%lu", kAgentWindowTitle,
                                        static_cast<unsigned long>(HandleToULong(browserWindow)));
    return FindWindow(kAgentWindowClass, title.c_str());
}

std::vector<HWND> TestTool::FindAgentWindows() {
    std::vector<HWND> found;
    HWND after = nullptr;
    while ((after = FindWindowEx(nullptr, after, kAgentWindowClass, nullptr)) != nullptr)
        found.push_back(after);
    return found;
}

LRESULT TestTool::SendNow(HWND agentWindow, CWebInfo request) {
    {
        std::lock_guard lock(m_mutex);
        if (request.GetWebInfoId() == 0)
            request.SetWebInfoId(m_nextWebInfoId++);
        m_awaited.push_back(request.GetWebInfoId());
    }
    std::vector<uint8_t> bytes;
    if (!request.Serialize(bytes))
        return 0;
    return SendRecord(m_receiver, agentWindow, bytes, kDefaultWait);
}

std::optional<CWebInfo> TestTool::Request(HWND agentWindow, CWebInfo request,
                                          std::chrono::milliseconds wait) {
    int32_t id = 0;
    {
        std::lock_guard lock(m_mutex);
        id = m_nextWebInfoId++;
        m_awaited.push_back(id);
    }
    request.SetWebInfoId(id);
    std::vector<uint8_t> bytes;
    if (!request.Serialize(bytes))
        return std::nullopt;
    RunOnToolThread([&] { return SendRecord(m_receiver, agentWindow, bytes, wait); });

    std::optional<CWebInfo> reply;
    WaitUntil(
        [&] {
            auto it = m_replies.find(id);
            if (it == m_replies.end())
                return false;
            reply = std::move(it->second);
            m_replies.erase(it);
            return true;
        },
        wait);
    if (!reply) {
        std::lock_guard lock(m_mutex);
        std::erase(m_awaited, id);
    }
    return reply;
}

LRESULT TestTool::Post(HWND agentWindow, const CWebInfo& request) {
    std::vector<uint8_t> bytes;
    if (!request.Serialize(bytes))
        return 0;
    return SendBytes(agentWindow, std::move(bytes));
}

LRESULT TestTool::SendBytes(HWND agentWindow, std::vector<uint8_t> bytes,
                            std::chrono::milliseconds wait, bool* timedOut) {
    bool expired = false;
    LRESULT answer = RunOnToolThread([&] {
        SetLastError(ERROR_SUCCESS);
        LRESULT sent = SendRecord(m_receiver, agentWindow, bytes, wait);
        expired = sent == 0 && GetLastError() == ERROR_TIMEOUT;
        return sent;
    });
    if (timedOut)
        *timedOut = expired;
    return answer;
}

LRESULT TestTool::SendRegisteredMessage(HWND agentWindow, WPARAM wParam, LPARAM lParam) {
    UINT message = RegisterWindowMessage(kAgentRegisteredMessage);
    return RunOnToolThread([=] { return SendMessage(agentWindow, message, wParam, lParam); });
}

void TestTool::SetIncomingHook(int32_t msgId, IncomingHook hook) {
    std::lock_guard lock(m_mutex);
    if (hook)
        m_hooks.insert_or_assign(msgId, std::move(hook));
    else
        m_hooks.erase(msgId);
}

void TestTool::SendWhileHandling(int32_t msgId, std::vector<CWebInfo> requests) {
    SetIncomingHook(
        msgId, [requests = std::move(requests)](TestTool& tool, const CWebInfo& incoming) {
            const CWebVariantList* agent = incoming.FindAttr("agent_handle");
            if (!agent || !agent->GetAt(0) || agent->GetType() != WebVariantType::Integer)
                return;
            HWND agentWindow = HwndFromValue(static_cast<ULONG>(agent->GetAt(0)->GetInteger()));
            for (const CWebInfo& request : requests)
                tool.SendNow(agentWindow, request);
        });
}

bool TestTool::WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds wait) {
    auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (pred())
                return true;
        }
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        // Serve what other threads send to this thread while waiting, and
        // dispatch what was posted to its windows.
        MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                  static_cast<DWORD>(std::min<int64_t>(left.count(), 10)),
                                  QS_ALLINPUT);
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
    }
}

std::optional<CWebInfo> TestTool::WaitForRecord(int32_t msgId, std::chrono::milliseconds wait) {
    std::optional<CWebInfo> found;
    WaitUntil(
        [&] {
            auto it = std::find_if(m_unsolicited.begin(), m_unsolicited.end(),
                                   [&](const CWebInfo& r) { return r.GetMsgId() == msgId; });
            if (it == m_unsolicited.end())
                return false;
            found = std::move(*it);
            m_unsolicited.erase(it);
            return true;
        },
        wait);
    return found;
}

std::vector<CWebInfo> TestTool::TakeUnsolicited() {
    std::lock_guard lock(m_mutex);
    std::vector<CWebInfo> taken(m_unsolicited.begin(), m_unsolicited.end());
    m_unsolicited.clear();
    return taken;
}

std::vector<CWebInfo> TestTool::ReceivedRecords() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::vector<size_t> TestTool::ReceivedSizes() const {
    std::lock_guard lock(m_mutex);
    return m_receivedSizes;
}

std::vector<TraceLine> TestTool::TraceLines() const {
    std::lock_guard lock(m_mutex);
    return m_traceLines;
}

void TestTool::ClearTraceLines() {
    std::lock_guard lock(m_mutex);
    m_traceLines.clear();
}

} // namespace tool

#include "platform/browser/shell/EventQueue.h"

#include "platform/win32/Windows.h"

#include <map>

namespace browser {
namespace {

// The thread message that wakes a thread waiting for its queue. It carries
// no work itself: the tasks are in the queue.
constexpr UINT kWakeMessage = WM_APP + 0x3E1;
// At most this many tasks run in one processing round.
constexpr size_t kRoundLimit = 10000;

std::mutex g_queuesMutex;
std::map<uint32_t, nsCOMPtr<EventQueue>>& Queues() {
    static std::map<uint32_t, nsCOMPtr<EventQueue>> queues;
    return queues;
}

void DispatchWindowMessages() {
    MSG msg{};
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.hwnd == nullptr && msg.message == kWakeMessage)
            continue;
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

} // namespace

EventQueue::EventQueue(uint32_t thread) : m_thread(thread) {}

nsCOMPtr<EventQueue> EventQueue::ForCurrentThread() {
    uint32_t thread = GetCurrentThreadId();
    std::lock_guard lock(g_queuesMutex);
    nsCOMPtr<EventQueue>& slot = Queues()[thread];
    if (!slot) {
        slot = new EventQueue(thread);
        // Makes sure the thread has a message queue, so that wake-ups posted
        // before it first waits are kept.
        MSG msg{};
        PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
    return slot;
}

nsCOMPtr<EventQueue> EventQueue::FindForCurrentThread() {
    std::lock_guard lock(g_queuesMutex);
    auto it = Queues().find(GetCurrentThreadId());
    return it == Queues().end() ? nullptr : it->second;
}

void EventQueue::Post(Task task) {
    bool wasEmpty;
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return;
        wasEmpty = m_tasks.empty();
        m_tasks.push_back(std::move(task));
    }
    // One wake-up per batch: the owner runs the queue until it is empty, and
    // never waits while tasks are pending.
    if (wasEmpty)
        PostThreadMessage(m_thread, kWakeMessage, 0, 0);
}

size_t EventQueue::PendingCount() const {
    std::lock_guard lock(m_mutex);
    return m_tasks.size();
}

size_t EventQueue::RunPending() {
    // Keeps the queue alive while tasks run: a task may shut the browser down.
    nsCOMPtr<EventQueue> self(this);
    size_t ran = 0;
    while (ran < kRoundLimit) {
        Task task;
        {
            std::lock_guard lock(m_mutex);
            if (m_tasks.empty())
                break;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
        ++ran;
    }
    return ran;
}

void EventQueue::Shutdown() {
    std::deque<Task> dropped;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        dropped.swap(m_tasks);
    }
    // Tasks are destroyed outside the lock: they may release objects whose
    // destructors post again.
    dropped.clear();
    nsCOMPtr<EventQueue> keep(this);
    std::lock_guard lock(g_queuesMutex);
    auto it = Queues().find(m_thread);
    if (it != Queues().end() && it->second.get() == this)
        Queues().erase(it);
}

nsresult EventQueue::ProcessPendingEvents() {
    if (GetCurrentThreadId() != m_thread)
        return NS_ERROR_UNEXPECTED;
    DispatchWindowMessages();
    RunPending();
    return NS_OK;
}

nsresult EventQueue::PendingEvents(PRBool* result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = PendingCount() > 0 ? PR_TRUE : PR_FALSE;
    return NS_OK;
}

nsresult EventQueue::WaitAndProcess(PRUint32 timeoutMs) {
    if (GetCurrentThreadId() != m_thread)
        return NS_ERROR_UNEXPECTED;
    if (PendingCount() == 0)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs, QS_ALLINPUT);
    return ProcessPendingEvents();
}

nsresult EventQueueService::CreateThreadEventQueue() {
    EventQueue::ForCurrentThread();
    return NS_OK;
}

nsresult EventQueueService::GetThreadEventQueue(void* thread, nsIEventQueue** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (thread != NS_CURRENT_THREAD)
        return NS_ERROR_INVALID_ARG;
    nsCOMPtr<EventQueue> queue = EventQueue::FindForCurrentThread();
    if (!queue)
        return NS_ERROR_NOT_AVAILABLE;
    *result = queue.forget();
    return NS_OK;
}

} // namespace browser

// The event queue of a thread and the event queue service.
//
// The browser's user-interface thread makes its queue once; loads, channel
// notifications and other deferred work are posted to it (from any thread)
// and run, in order, when the thread processes the queue:
//
//     nsCOMPtr<browser::EventQueue> queue = browser::EventQueue::ForCurrentThread();
//     queue->Post([] { ... });        // from any thread
//     queue->ProcessPendingEvents();   // on the owning thread
//
// Processing also dispatches the thread's pending window messages, so that
// windows stay responsive (and messages sent by other threads are answered)
// while a caller waits for a load.
#pragma once

#include "platform/xpcom/shell/nsIEventQueueService.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace browser {

class EventQueue final : public nsSupportsImpl<EventQueue, nsIEventQueue> {
public:
    using Task = std::function<void()>;

    // The calling thread's queue, made on first use.
    static nsCOMPtr<EventQueue> ForCurrentThread();
    // The calling thread's queue if it has one, else null.
    static nsCOMPtr<EventQueue> FindForCurrentThread();

    // Appends a task; safe from any thread. Wakes the owning thread when it
    // waits in WaitAndProcess. Tasks posted after Shutdown are dropped.
    void Post(Task task);
    // Tasks waiting to run.
    size_t PendingCount() const;
    // Runs the pending tasks (those posted while they run included, up to a
    // bound so that a task that re-posts itself cannot starve the caller);
    // answers how many ran.
    size_t RunPending();
    // Drops every pending task and refuses new ones; the thread forgets
    // its queue.
    void Shutdown();
    uint32_t OwnerThread() const { return m_thread; }

    // nsIEventQueue
    nsresult ProcessPendingEvents() override;
    nsresult PendingEvents(PRBool* result) override;
    nsresult WaitAndProcess(PRUint32 timeoutMs) override;

private:
    friend class nsSupportsImpl<EventQueue, nsIEventQueue>;
    explicit EventQueue(uint32_t thread);
    ~EventQueue() override = default;

    mutable std::mutex m_mutex;
    std::deque<Task> m_tasks;
    bool m_closed = false;
    uint32_t m_thread;
};

// nsIEventQueueService over the per-thread queues above.
class EventQueueService final : public nsSupportsImpl<EventQueueService, nsIEventQueueService> {
public:
    nsresult CreateThreadEventQueue() override;
    nsresult GetThreadEventQueue(void* thread, nsIEventQueue** result) override;
};

} // namespace browser

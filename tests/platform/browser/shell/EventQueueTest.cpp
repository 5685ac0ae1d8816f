#include "platform/browser/shell/EventQueue.h"

#include "platform/win32/Windows.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using browser::EventQueue;

TEST(EventQueue, TasksRunInOrderIncludingThosePostedWhileRunning) {
    nsCOMPtr<EventQueue> queue = EventQueue::ForCurrentThread();
    std::vector<int> order;
    queue->Post([&] {
        order.push_back(1);
        queue->Post([&] { order.push_back(3); });
    });
    queue->Post([&] { order.push_back(2); });
    EXPECT_EQ(queue->ProcessPendingEvents(), NS_OK);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    PRBool pending = PR_TRUE;
    queue->PendingEvents(&pending);
    EXPECT_FALSE(pending);
}

TEST(EventQueue, SelfRepostingTaskDoesNotStarveTheCaller) {
    nsCOMPtr<EventQueue> queue = EventQueue::ForCurrentThread();
    std::function<void()> again;
    int runs = 0;
    again = [&] {
        ++runs;
        queue->Post(again);
    };
    queue->Post(again);
    queue->ProcessPendingEvents(); // must return
    EXPECT_GT(runs, 0);
    queue->Shutdown();
    EXPECT_EQ(queue->PendingCount(), 0u);
    EXPECT_FALSE(EventQueue::FindForCurrentThread());
}

TEST(EventQueue, PostFromAnotherThreadWakesTheWaitingOwner) {
    nsCOMPtr<EventQueue> queue = EventQueue::ForCurrentThread();
    std::atomic<bool> ran = false;
    std::thread poster([&] {
        Sleep(20);
        queue->Post([&] { ran = true; });
    });
    DWORD start = GetTickCount();
    while (!ran && GetTickCount() - start < 5000)
        queue->WaitAndProcess(1000);
    poster.join();
    EXPECT_TRUE(ran);
    queue->Shutdown();
}

TEST(EventQueue, ServiceAnswersOnlyTheCallingThreadsQueue) {
    nsCOMPtr<browser::EventQueueService> owner(new browser::EventQueueService);
    browser::EventQueueService& service = *owner;
    nsCOMPtr<nsIEventQueue> queue;
    std::thread([&] {
        EXPECT_EQ(service.GetThreadEventQueue(NS_CURRENT_THREAD, getter_AddRefs(queue)),
                  NS_ERROR_NOT_AVAILABLE);
        EXPECT_EQ(service.CreateThreadEventQueue(), NS_OK);
        EXPECT_EQ(service.GetThreadEventQueue(NS_CURRENT_THREAD, getter_AddRefs(queue)), NS_OK);
        EXPECT_TRUE(queue);
        // Another thread may not process it.
        static_cast<EventQueue*>(queue.get())->Shutdown();
    }).join();
    ASSERT_TRUE(queue);
    EXPECT_EQ(queue->ProcessPendingEvents(), NS_ERROR_UNEXPECTED);
    int dummy = 0;
    EXPECT_EQ(service.GetThreadEventQueue(&dummy, getter_AddRefs(queue)), NS_ERROR_INVALID_ARG);
}

} // namespace

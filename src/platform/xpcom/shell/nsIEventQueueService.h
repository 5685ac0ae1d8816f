// The event queue of a thread and the service that hands it out. The
// browser's user-interface thread has one; loads, channel notifications and
// posted work run when it is processed. Processing also dispatches the
// thread's pending window messages, so that windows stay responsive while a
// caller waits for a transfer:
//
//     nsCOMPtr<nsIEventQueueService> service = do_GetService(NS_EVENTQUEUESERVICE_CID);
//     service->CreateThreadEventQueue();
//     nsCOMPtr<nsIEventQueue> queue;
//     service->GetThreadEventQueue(NS_CURRENT_THREAD, getter_AddRefs(queue));
//     while (busy) queue->ProcessPendingEvents();
#pragma once

#include "platform/xpcom/shell/nsShellForward.h"

inline constexpr nsCID NS_EVENTQUEUESERVICE_CID{
    0xBE761F00, 0xA3B0, 0x11D2, {0x99, 0x6C, 0x00, 0x80, 0xC7, 0xCB, 0x10, 0x80}};
inline constexpr const char* NS_EVENTQUEUESERVICE_CONTRACTID = "@mozilla.org/event-queue-service;1";

// The thread argument of GetThreadEventQueue meaning "the calling thread".
inline constexpr void* NS_CURRENT_THREAD = nullptr;

class nsIEventQueue : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x176AFB41, 0x00A4, 0x11D3, {0x9F, 0x2A, 0x00, 0x40, 0x05, 0x53, 0xEE, 0xF0}};
    using BaseInterface = nsISupports;

    // Runs every event that is due now (events posted meanwhile included,
    // up to a bound) and dispatches pending window messages; never blocks.
    virtual nsresult ProcessPendingEvents() = 0;
    virtual nsresult PendingEvents(PRBool* result) = 0;
    // Blocks until an event or a window message arrives (or `timeoutMs`
    // passes), then processes what is pending.
    virtual nsresult WaitAndProcess(PRUint32 timeoutMs) = 0;
};

class nsIEventQueueService : public nsISupports {
public:
    static constexpr nsIID kIID{
        0xA6CF90DC, 0x15B3, 0x11D2, {0x93, 0x2E, 0x00, 0x80, 0x5F, 0x8A, 0xDD, 0x32}};
    using BaseInterface = nsISupports;

    // Makes sure the calling thread has a queue (NS_OK when it had one).
    virtual nsresult CreateThreadEventQueue() = 0;
    // The queue of the calling thread (`thread` must be NS_CURRENT_THREAD);
    // NS_ERROR_NOT_AVAILABLE when it has none.
    virtual nsresult GetThreadEventQueue(void* thread, nsIEventQueue** result) = 0;
};

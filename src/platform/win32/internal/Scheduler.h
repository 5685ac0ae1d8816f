// Thread message queues and the one lock under which threads wait for
// messages and kernel objects.
//
// Every queue and every kernel object's state is guarded by the scheduler's
// mutex. Each thread waits on its own queue's condition: a posted or sent
// message wakes only the thread that owns the target window, a finished send
// only its sender; a change of a kernel object wakes every thread, since any
// may be waiting for it. Window procedures are always called with the mutex
// released.
#pragma once

#include "platform/win32/WinUser.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace win32::internal {

// A message sent from one thread to a window of another, with copies of the
// data that is marshalled across threads.
struct ThreadQueue;

struct SentMessage {
    std::shared_ptr<ThreadQueue> sender; // woken when the send is done
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::vector<char> payload; // WM_COPYDATA bytes, WM_SETTEXT text, WM_GETTEXT buffer
    COPYDATASTRUCT copyData{};
    bool done = false;
    LRESULT result = 0;
};

struct ThreadQueue {
    DWORD id = 0;
    bool alive = true;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> incoming;
    bool quitPending = false;
    int quitCode = 0;
    int handlingSent = 0; // depth of sent messages being handled now
    // The thread waits here, under the scheduler's mutex, for anything
    // addressed to it or for kernel objects.
    std::condition_variable wake;
};

struct Scheduler {
    std::mutex mutex;
    std::map<DWORD, std::shared_ptr<ThreadQueue>> queues; // live threads only

    // Wakes every live thread (kernel objects changed). Call with the mutex held.
    void WakeAllLocked();

    static Scheduler& Get();
};

// The calling thread's queue (made at the thread's first call).
ThreadQueue& CurrentQueue();
std::shared_ptr<ThreadQueue> FindQueue(DWORD threadId);

// Handles, one after another, the messages other threads sent to the calling
// thread. Called with the scheduler lock held; releases it around each call.
void HandleIncomingSends(std::unique_lock<std::mutex>& lock, ThreadQueue& self);

// Tells the kernel objects that a thread ended (abandons its mutexes).
void AbandonMutexesOf(DWORD threadId);

} // namespace win32::internal

// Thread message queues and the one lock and condition under which threads
// wait for messages and kernel objects.
//
// Every queue and every kernel object's state is guarded by the scheduler's
// mutex; any change notifies all waiters, which then look again. Window
// procedures are always called with the mutex released.
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
struct SentMessage {
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
};

struct Scheduler {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<DWORD, std::shared_ptr<ThreadQueue>> queues; // live threads only

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

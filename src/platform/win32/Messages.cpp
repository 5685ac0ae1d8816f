// Thread queues and message passing: SendMessage across threads with nested
// handling while a send waits, posted messages and the message loop.
#include "platform/win32/WinBase.h"
#include "platform/win32/WinUser.h"
#include "platform/win32/internal/Kernel.h"
#include "platform/win32/internal/Scheduler.h"
#include "platform/win32/internal/Window.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <optional>

namespace win32::internal {

Scheduler& Scheduler::Get() {
    return Immortal<Scheduler>();
}

void Scheduler::WakeAllLocked() {
    for (auto& [id, queue] : queues) {
        queue->wake.notify_all();
    }
}

namespace {

// Gives each thread its id and queue at its first call, and at its end fails
// what was sent to it, abandons its mutexes and drops its windows.
struct ThreadContext {
    DWORD id;
    std::shared_ptr<ThreadQueue> queue;

    ThreadContext() {
        static std::atomic<DWORD> nextId{0x104};
        id = nextId.fetch_add(4, std::memory_order_relaxed);
        queue = std::make_shared<ThreadQueue>();
        queue->id = id;
        auto& scheduler = Scheduler::Get();
        std::lock_guard lock(scheduler.mutex);
        scheduler.queues.emplace(id, queue);
    }
    ~ThreadContext() {
        auto& scheduler = Scheduler::Get();
        {
            std::lock_guard lock(scheduler.mutex);
            queue->alive = false;
            for (auto& sent : queue->incoming) {
                sent->done = true;
                sent->result = 0;
                sent->sender->wake.notify_all();
            }
            queue->incoming.clear();
            queue->posted.clear();
            scheduler.queues.erase(id);
        }
        AbandonMutexesOf(id);
        WindowManager::Get().DropWindowsOfThread(id);
    }
};

thread_local ThreadContext t_context;

using Clock = std::chrono::steady_clock;

std::optional<Clock::time_point> DeadlineAfter(DWORD timeoutMs) {
    if (timeoutMs == INFINITE) {
        return std::nullopt;
    }
    return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

// Copies what the receiver must own: the WM_COPYDATA block (always, so that
// a receiver never keeps the sender's memory), and across threads the text of
// WM_SETTEXT and the buffer of WM_GETTEXT.
void Marshal(SentMessage& sent, bool crossThread) {
    switch (sent.message) {
    case WM_COPYDATA:
        if (sent.lParam != 0) {
            const auto* source = reinterpret_cast<const COPYDATASTRUCT*>(sent.lParam);
            if (source->lpData != nullptr && source->cbData > 0) {
                const auto* bytes = static_cast<const char*>(source->lpData);
                sent.payload.assign(bytes, bytes + source->cbData);
            }
            sent.copyData.dwData = source->dwData;
            sent.copyData.cbData = static_cast<DWORD>(sent.payload.size());
            sent.copyData.lpData = sent.payload.empty() ? nullptr : sent.payload.data();
            sent.lParam = reinterpret_cast<LPARAM>(&sent.copyData);
        }
        break;
    case WM_SETTEXT:
        if (crossThread && sent.lParam != 0) {
            const char* text = reinterpret_cast<const char*>(sent.lParam);
            sent.payload.assign(text, text + std::strlen(text) + 1);
            sent.lParam = reinterpret_cast<LPARAM>(sent.payload.data());
        }
        break;
    case WM_GETTEXT:
        if (crossThread && sent.lParam != 0 && sent.wParam > 0) {
            sent.payload.assign(sent.wParam, '\0');
            sent.lParam = reinterpret_cast<LPARAM>(sent.payload.data());
        }
        break;
    default:
        break;
    }
}

// Hands a WM_GETTEXT answer back to the sender's own buffer.
void CopyTextBack(const SentMessage& sent, WPARAM size, LPARAM buffer) {
    if (sent.message != WM_GETTEXT || buffer == 0 || size == 0 || sent.payload.empty()) {
        return;
    }
    // The receiver may have filled the buffer without a terminator.
    size_t length = std::min<size_t>(strnlen(sent.payload.data(), sent.payload.size()), size - 1);
    char* target = reinterpret_cast<char*>(buffer);
    std::memcpy(target, sent.payload.data(), length);
    target[length] = '\0';
}

bool Matches(const MSG& msg, HWND filter, UINT filterMin, UINT filterMax) {
    if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) {
        if (msg.hwnd != nullptr) {
            return false;
        }
    } else if (filter != nullptr && msg.hwnd != filter) {
        return false;
    }
    return (filterMin == 0 && filterMax == 0) ||
           (msg.message >= filterMin && msg.message <= filterMax);
}

bool IsValidFilter(HWND filter) {
    if (filter == nullptr || filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) {
        return true;
    }
    return WindowManager::Get().FindOrFail(filter) != nullptr;
}

enum class Removal { Remove, Keep };

// Takes the first matching posted message, or WM_QUIT when one is pending.
// Called with the scheduler lock held.
bool TakePosted(ThreadQueue& self, MSG* msg, HWND filter, UINT filterMin, UINT filterMax,
                Removal removal) {
    auto it = std::find_if(self.posted.begin(), self.posted.end(), [&](const MSG& candidate) {
        return Matches(candidate, filter, filterMin, filterMax);
    });
    if (it != self.posted.end()) {
        if (msg != nullptr) {
            *msg = *it;
        }
        if (removal == Removal::Remove) {
            self.posted.erase(it);
        }
        return true;
    }
    if (self.quitPending) {
        if (msg != nullptr) {
            *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(self.quitCode), 0, GetTickCount(), {}};
        }
        if (removal == Removal::Remove) {
            self.quitPending = false;
        }
        return true;
    }
    return false;
}

BOOL PostTo(DWORD threadId, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    auto& scheduler = Scheduler::Get();
    {
        std::lock_guard lock(scheduler.mutex);
        auto it = scheduler.queues.find(threadId);
        if (it == scheduler.queues.end() || !it->second->alive) {
            SetLastError(window != nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_THREAD_ID);
            return FALSE;
        }
        it->second->posted.push_back(MSG{window, message, wParam, lParam, GetTickCount(), cursor});
        it->second->wake.notify_one();
    }
    return TRUE;
}

} // namespace

ThreadQueue& CurrentQueue() {
    return *t_context.queue;
}

std::shared_ptr<ThreadQueue> FindQueue(DWORD threadId) {
    auto& scheduler = Scheduler::Get();
    std::lock_guard lock(scheduler.mutex);
    auto it = scheduler.queues.find(threadId);
    return it == scheduler.queues.end() ? nullptr : it->second;
}

void HandleIncomingSends(std::unique_lock<std::mutex>& lock, ThreadQueue& self) {
    while (!self.incoming.empty()) {
        std::shared_ptr<SentMessage> sent = std::move(self.incoming.front());
        self.incoming.pop_front();
        ++self.handlingSent;
        lock.unlock();
        LRESULT result = CallProcedure(sent->window, sent->message, sent->wParam, sent->lParam);
        lock.lock();
        --self.handlingSent;
        sent->result = result;
        sent->done = true;
        sent->sender->wake.notify_one();
    }
}

} // namespace win32::internal

using namespace win32::internal;

DWORD GetCurrentThreadId() {
    return t_context.id;
}

LRESULT SendMessageTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                           UINT timeoutMs, DWORD_PTR* result) {
    auto target = WindowManager::Get().FindOrFail(window);
    if (!target) {
        return 0;
    }
    DWORD targetThread;
    {
        std::lock_guard lock(WindowManager::Get().Mutex());
        targetThread = target->thread;
    }
    ThreadQueue& self = CurrentQueue();
    auto sent = std::make_shared<SentMessage>();
    sent->sender = t_context.queue;
    sent->window = window;
    sent->message = message;
    sent->wParam = wParam;
    sent->lParam = lParam;

    if (targetThread == self.id) {
        Marshal(*sent, false);
        LRESULT answer = CallProcedure(window, message, wParam, sent->lParam);
        if (result != nullptr) {
            *result = static_cast<DWORD_PTR>(answer);
        }
        return TRUE;
    }

    Marshal(*sent, true);
    auto& scheduler = Scheduler::Get();
    std::unique_lock lock(scheduler.mutex);
    auto it = scheduler.queues.find(targetThread);
    if (it == scheduler.queues.end() || !it->second->alive) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::shared_ptr<ThreadQueue> targetQueue = it->second;
    targetQueue->incoming.push_back(sent);
    targetQueue->wake.notify_one();

    auto deadline = DeadlineAfter(timeoutMs);
    bool handleNested = (flags & SMTO_BLOCK) == 0;
    while (!sent->done) {
        if (handleNested && !self.incoming.empty()) {
            HandleIncomingSends(lock, self);
            continue;
        }
        if (!deadline) {
            self.wake.wait(lock);
        } else if (self.wake.wait_until(lock, *deadline) == std::cv_status::timeout &&
                   !sent->done) {
            // Not started yet: take it back, so it is never handled late.
            auto& queued = targetQueue->incoming;
            queued.erase(std::remove(queued.begin(), queued.end(), sent), queued.end());
            SetLastError(ERROR_TIMEOUT);
            return 0;
        }
    }
    CopyTextBack(*sent, wParam, lParam);
    if (result != nullptr) {
        *result = static_cast<DWORD_PTR>(sent->result);
    }
    return TRUE;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeout(window, message, wParam, lParam, SMTO_NORMAL, INFINITE, &result);
    return static_cast<LRESULT>(result);
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr) {
        return PostTo(GetCurrentThreadId(), nullptr, message, wParam, lParam);
    }
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (thread == 0) {
        return FALSE;
    }
    return PostTo(thread, window, message, wParam, lParam);
}

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    return PostTo(threadId, nullptr, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    ThreadQueue& self = CurrentQueue();
    auto& scheduler = Scheduler::Get();
    std::lock_guard lock(scheduler.mutex);
    self.quitPending = true;
    self.quitCode = exitCode;
}

BOOL GetMessage(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!IsValidFilter(window)) {
        return -1;
    }
    ThreadQueue& self = CurrentQueue();
    auto& scheduler = Scheduler::Get();
    std::unique_lock lock(scheduler.mutex);
    for (;;) {
        HandleIncomingSends(lock, self);
        if (TakePosted(self, msg, window, filterMin, filterMax, Removal::Remove)) {
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        self.wake.wait(lock);
    }
}

BOOL PeekMessage(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!IsValidFilter(window)) {
        return FALSE;
    }
    ThreadQueue& self = CurrentQueue();
    auto& scheduler = Scheduler::Get();
    std::unique_lock lock(scheduler.mutex);
    HandleIncomingSends(lock, self);
    Removal removal = (removeFlags & PM_REMOVE) != 0 ? Removal::Remove : Removal::Keep;
    return TakePosted(self, msg, window, filterMin, filterMax, removal) ? TRUE : FALSE;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) {
        return 0;
    }
    return CallProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
}

BOOL WaitMessage() {
    ThreadQueue& self = CurrentQueue();
    auto& scheduler = Scheduler::Get();
    std::unique_lock lock(scheduler.mutex);
    for (;;) {
        HandleIncomingSends(lock, self);
        if (!self.posted.empty() || self.quitPending) {
            return TRUE;
        }
        self.wake.wait(lock);
    }
}

BOOL InSendMessage() {
    return CurrentQueue().handlingSent > 0 ? TRUE : FALSE;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD timeoutMs,
                                DWORD wakeMask) {
    if (count > MAXIMUM_WAIT_OBJECTS || (count > 0 && handles == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    return WaitForObjects(std::span<const HANDLE>(handles, count), waitAll != FALSE, timeoutMs,
                          WithMessages::Yes, wakeMask);
}

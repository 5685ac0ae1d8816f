// A user-interface thread for tests: runs a set-up function, then a message
// loop until it is stopped.
#pragma once

#include "platform/win32/Windows.h"

#include <functional>
#include <future>
#include <thread>

class TestThread {
public:
    // setUp runs on the new thread before its message loop starts.
    explicit TestThread(std::function<void()> setUp = {}) {
        std::promise<DWORD> started;
        auto id = started.get_future();
        m_thread = std::thread([setUp = std::move(setUp), &started] {
            if (setUp) {
                setUp();
            }
            started.set_value(GetCurrentThreadId());
            MSG msg;
            while (GetMessage(&msg, nullptr, 0, 0) > 0) {
                DispatchMessage(&msg);
            }
        });
        m_id = id.get();
    }
    ~TestThread() { Stop(); }
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;

    DWORD Id() const { return m_id; }

    void Stop() {
        if (m_thread.joinable()) {
            PostThreadMessage(m_id, WM_QUIT, 0, 0);
            m_thread.join();
        }
    }

private:
    std::thread m_thread;
    DWORD m_id = 0;
};

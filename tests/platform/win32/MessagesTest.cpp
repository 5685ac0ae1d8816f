// Message passing between threads: sends handled on the owner thread, nested
// sends while a send waits, time-outs, WM_COPYDATA copies and message loops.
#include "TestThread.h"
#include "platform/win32/Windows.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr UINT kNested = WM_USER + 1;
constexpr UINT kAsk = WM_USER + 2;

struct Shared {
    std::atomic<DWORD> handlerThread{0};
    HWND agent = nullptr;
    std::vector<std::string> events;
    std::string received;
    const void* receivedPointer = nullptr;
    std::atomic<int> calls{0};
    std::atomic<int> nestedServed{0};
};
Shared* g_shared = nullptr;

LRESULT ToolProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPYDATA: {
        g_shared->handlerThread = GetCurrentThreadId();
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        g_shared->received.assign(static_cast<const char*>(data->lpData), data->cbData);
        g_shared->receivedPointer = data->lpData;
        g_shared->events.push_back("tool got request");
        // A nested request back to the agent while the agent's send waits.
        LRESULT answer = SendMessage(g_shared->agent, kNested, 20, 0);
        g_shared->events.push_back("tool got nested answer " + std::to_string(answer));
        return answer + 1;
    }
    case kAsk:
        ++g_shared->calls;
        return static_cast<LRESULT>(GetCurrentThreadId());
    default:
        return DefWindowProc(window, message, wParam, lParam);
    }
}

LRESULT AgentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kNested) {
        ++g_shared->nestedServed;
        g_shared->events.push_back(
            "agent handles nested on its own thread " +
            std::to_string(GetCurrentThreadId() == g_shared->handlerThread.load() ? 0 : 1));
        return static_cast<LRESULT>(wParam) * 2;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

void RegisterOnce(const char* name, WNDPROC proc) {
    WNDCLASS wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    RegisterClass(&wc); // the classes stay for the whole test program
}

HWND MakeWindow(const char* className, const char* title) {
    return CreateWindowEx(0, className, title, WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                          nullptr, nullptr);
}

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_shared = &m_shared;
        RegisterOnce("MsgTestTool", ToolProc);
        RegisterOnce("MsgTestAgent", AgentProc);
    }
    void TearDown() override { g_shared = nullptr; }
    Shared m_shared;
};

TEST_F(MessagesTest, Send_SameThreadCallsDirectly) {
    HWND tool = MakeWindow("MsgTestTool", "same");
    EXPECT_EQ(static_cast<DWORD>(SendMessage(tool, kAsk, 0, 0)), GetCurrentThreadId());
    DestroyWindow(tool);
}

TEST_F(MessagesTest, Send_OtherThreadHandlesOnOwnerWhileNestedRequestsComeBack) {
    m_shared.agent = MakeWindow("MsgTestAgent", "agent");
    HWND tool = nullptr;
    TestThread toolThread([&] { tool = MakeWindow("MsgTestTool", "KoteretLakoachTest"); });
    ASSERT_EQ(FindWindow("MsgTestTool", "KoteretLakoachTest"), tool);

    char record[] = "record bytes";
    COPYDATASTRUCT data{0, sizeof record - 1, record};
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeout(tool, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                   SMTO_NORMAL, 60000, &result));
    EXPECT_EQ(result, 41u);
    EXPECT_EQ(m_shared.handlerThread.load(), toolThread.Id());
    EXPECT_EQ(m_shared.received, "record bytes");
    EXPECT_NE(m_shared.receivedPointer, static_cast<const void*>(record))
        << "the receiver must get its own copy";
    std::vector<std::string> expected = {"tool got request",
                                         "agent handles nested on its own thread 1",
                                         "tool got nested answer 40"};
    EXPECT_EQ(m_shared.events, expected);
    DestroyWindow(m_shared.agent);
}

TEST_F(MessagesTest, Send_SameThreadCopyDataIsCopiedToo) {
    HWND tool = MakeWindow("MsgTestTool", "self");
    m_shared.agent = MakeWindow("MsgTestAgent", "agent");
    char record[] = "abc";
    COPYDATASTRUCT data{7, 3, record};
    SendMessage(tool, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(m_shared.received, "abc");
    EXPECT_NE(m_shared.receivedPointer, static_cast<const void*>(record));
    DestroyWindow(tool);
    DestroyWindow(m_shared.agent);
}

TEST_F(MessagesTest, SendTimeout_ThreadThatDoesNotAnswer) {
    std::promise<void> release;
    std::promise<HWND> made;
    std::thread hung([&] {
        made.set_value(MakeWindow("MsgTestTool", "hung"));
        release.get_future().wait(); // never looks at its queue meanwhile
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    });
    HWND window = made.get_future().get();
    DWORD_PTR result = 99;
    auto start = std::chrono::steady_clock::now();
    SetLastError(0);
    EXPECT_EQ(SendMessageTimeout(window, kAsk, 0, 0, SMTO_NORMAL, 150, &result), 0);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    EXPECT_GE(waited, 140ms);
    EXPECT_LT(waited, 5s);
    EXPECT_EQ(result, 99u) << "no result on time-out";
    release.set_value();
    hung.join();
    EXPECT_EQ(m_shared.calls.load(), 0) << "a message that timed out before it started is dropped";
}

TEST_F(MessagesTest, SendTimeout_ZeroTimeoutToBusyThreadFailsAtOnce) {
    HWND tool = nullptr;
    TestThread toolThread([&] { tool = MakeWindow("MsgTestTool", "busy"); });
    // The thread is in GetMessage, so a generous time-out succeeds ...
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeout(tool, kAsk, 0, 0, SMTO_NORMAL, 5000, &result));
    EXPECT_EQ(static_cast<DWORD>(result), toolThread.Id());
}

TEST_F(MessagesTest, SendBlock_NestedRequestsWaitUntilTheSendEnds) {
    m_shared.agent = MakeWindow("MsgTestAgent", "agent");
    HWND tool = nullptr;
    TestThread toolThread([&] { tool = MakeWindow("MsgTestTool", "blocked"); });
    char record[] = "r";
    COPYDATASTRUCT data{0, 1, record};
    DWORD_PTR result = 0;
    // The tool's nested request cannot be served while this thread blocks,
    // so the send times out instead of completing.
    EXPECT_EQ(SendMessageTimeout(tool, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_BLOCK,
                                 200, &result),
              0);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    // Serve the nested request now, so that the tool can finish.
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (m_shared.nestedServed == 0 && std::chrono::steady_clock::now() < deadline) {
        MSG msg;
        PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
        Sleep(2);
    }
    ASSERT_EQ(m_shared.nestedServed.load(), 1);
    toolThread.Stop();
    EXPECT_EQ(m_shared.events.back(), "tool got nested answer 40");
    DestroyWindow(m_shared.agent);
}

TEST_F(MessagesTest, Send_ToThreadThatEndsReleasesTheSender) {
    std::promise<HWND> made;
    std::thread leaving([&] {
        made.set_value(MakeWindow("MsgTestTool", "leaving"));
        std::this_thread::sleep_for(100ms);
    });
    HWND window = made.get_future().get();
    DWORD_PTR result = 5;
    SendMessageTimeout(window, kAsk, 0, 0, SMTO_NORMAL, INFINITE, &result);
    leaving.join();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MessagesTest, Text_MarshalledAcrossThreads) {
    HWND tool = nullptr;
    TestThread toolThread([&] { tool = MakeWindow("MsgTestTool", "before"); });
    {
        std::string text = "a line for the viewer";
        SendMessageTimeout(tool, WM_SETTEXT, 0x400, reinterpret_cast<LPARAM>(text.c_str()),
                           SMTO_NORMAL, 3000, nullptr);
    }
    char buffer[8];
    EXPECT_EQ(GetWindowText(tool, buffer, sizeof buffer), 7);
    EXPECT_STREQ(buffer, "a line ");
    char full[64];
    EXPECT_EQ(SendMessage(tool, WM_GETTEXT, sizeof full, reinterpret_cast<LPARAM>(full)), 21);
    EXPECT_STREQ(full, "a line for the viewer");
}

LRESULT FillingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETTEXT) {
        std::memset(reinterpret_cast<char*>(lParam), 'x', wParam); // no terminator
        return static_cast<LRESULT>(wParam);
    }
    return DefWindowProc(window, message, wParam, lParam);
}

TEST_F(MessagesTest, Text_UnterminatedAnswerIsCutAtTheSendersBuffer) {
    RegisterOnce("MsgTestFiller", FillingProc);
    HWND filler = nullptr;
    TestThread owner([&] { filler = MakeWindow("MsgTestFiller", "f"); });
    char buffer[8] = {};
    SendMessage(filler, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    EXPECT_STREQ(buffer, "xxxxxxx");
}

TEST_F(MessagesTest, Post_LoopFiltersAndQuit) {
    HWND window = MakeWindow("MsgTestAgent", "loop");
    EXPECT_TRUE(PostMessage(window, WM_USER + 10, 1, 2));
    EXPECT_TRUE(PostThreadMessage(GetCurrentThreadId(), WM_USER + 11, 3, 4));
    EXPECT_TRUE(PostMessage(window, WM_USER + 12, 5, 6));
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, window, WM_USER + 12, WM_USER + 12, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 5u);
    ASSERT_TRUE(
        PeekMessage(&msg, reinterpret_cast<HWND>(static_cast<intptr_t>(-1)), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 11) << "thread messages only";
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, WM_USER + 10);
    EXPECT_EQ(msg.hwnd, window);
    PostQuitMessage(3);
    ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE) << "posted messages come before quit";
    EXPECT_EQ(msg.message, WM_USER + 12);
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));

    COPYDATASTRUCT data{};
    EXPECT_FALSE(PostMessage(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
    EXPECT_EQ(GetLastError(), ERROR_MESSAGE_SYNC_ONLY);
    EXPECT_FALSE(PostThreadMessage(0x7FFFFFF0, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
    DestroyWindow(window);
}

TEST_F(MessagesTest, MsgWait_WakesForObjectsPostsAndHandlesSends) {
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    HWND tool = MakeWindow("MsgTestTool", "waiting");
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 20, QS_ALLINPUT), WAIT_TIMEOUT);

    std::thread([&] { SetEvent(event); }).join();
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, QS_ALLINPUT), WAIT_TIMEOUT)
        << "an auto-reset event is reset by the wait";

    DWORD me = GetCurrentThreadId();
    LRESULT sentAnswer = 0;
    std::thread poster([&] {
        sentAnswer = SendMessage(tool, kAsk, 0, 0); // handled inside the wait
        PostThreadMessage(me, WM_USER + 20, 0, 0);
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0 + 1);
    poster.join();
    EXPECT_EQ(static_cast<DWORD>(sentAnswer), me);
    MSG msg;
    EXPECT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 20);
    CloseHandle(event);
    DestroyWindow(tool);
}

LRESULT SelfDestroyingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        DestroyWindow(window);
        // The window's data stays valid while this procedure still runs.
        char title[16];
        EXPECT_EQ(GetWindowText(window, title, sizeof title), 0);
        return 7;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

TEST_F(MessagesTest, Send_ProcedureMayDestroyItsWindow) {
    RegisterOnce("MsgTestSelfDestroying", SelfDestroyingProc);
    HWND window = nullptr;
    TestThread owner([&] { window = MakeWindow("MsgTestSelfDestroying", "x"); });
    EXPECT_EQ(SendMessage(window, WM_USER, 0, 0), 7);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(SendMessage(window, WM_USER, 0, 0), 0);
}

} // namespace

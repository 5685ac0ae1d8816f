#include "agent/channel/CAgentWindow.h"
#include "agent/channel/RequestArgs.h"
#include "agent/dispatch/CNS6Interface.h"
#include "tool/TestTool.h"

#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

CNS6Interface* g_dispatcher = nullptr;
CInterface* CurrentDispatcher() {
    return g_dispatcher;
}

LRESULT PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, m, wp, lp);
}

// A browser's user-interface thread: owns a browser window and its agent
// window and pumps messages until told to stop.
class BrowserThread {
public:
    BrowserThread() {
        std::promise<std::pair<HWND, HWND>> ready;
        auto windows = ready.get_future();
        m_thread = std::thread([this, &ready] {
            m_threadId = GetCurrentThreadId();
            WNDCLASSA wc{};
            wc.lpfnWndProc = &PlainProc;
            wc.lpszClassName = "E2EBrowserWindow";
            RegisterClass(&wc);
            HWND browser = CreateWindowEx(0, "E2EBrowserWindow", "browser", WS_OVERLAPPEDWINDOW, 0,
                                          0, 100, 100, nullptr, nullptr, nullptr, nullptr);
            CAgentWindow agent(browser);
            agent.Create(nullptr, nullptr);
            ready.set_value({browser, agent.GetWindow()});
            MSG msg;
            while (GetMessage(&msg, nullptr, 0, 0) > 0)
                DispatchMessage(&msg);
            DestroyWindow(browser);
        });
        std::tie(m_browser, m_agent) = windows.get();
    }
    ~BrowserThread() {
        PostThreadMessage(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Browser() const { return m_browser; }
    HWND Agent() const { return m_agent; }

private:
    std::thread m_thread;
    DWORD m_threadId = 0;
    HWND m_browser = nullptr;
    HWND m_agent = nullptr;
};

TEST(EndToEnd, RequestsFromTheToolThreadReachTheBrowserThreadAndAreAnswered) {
    InitializeAgentWindows(nullptr);
    CNS6Interface dispatcher;
    g_dispatcher = &dispatcher;
    SetDispatcherSource(&CurrentDispatcher);

    tool::TestTool tool;
    ASSERT_TRUE(tool.Start());
    // The tool sets an option while the connection announcement is outstanding.
    CWebInfo option;
    option.SetMsgId(48);
    AppendString(option, "var_name", "UseQuorvin70IE55Description");
    AppendInteger(option, "var_value", 1);
    tool.SendWhileHandling(38, {option});

    {
        BrowserThread browser;
        ASSERT_NE(browser.Agent(), nullptr);
        EXPECT_EQ(tool::TestTool::FindAgentWindow(browser.Browser()), browser.Agent());
        auto hello = tool.WaitForRecord(38);
        ASSERT_TRUE(hello);
        EXPECT_EQ(hello->FindFirstValue("version")->GetInteger(), 11);
        EXPECT_EQ(dispatcher.CachedUseQuorvin70IE55Description(), 1);

        CWebInfo unknown;
        unknown.SetMsgId(60);
        AppendString(unknown, "kept", "as sent");
        auto reply = tool.Request(browser.Agent(), unknown);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->GetMsgId(), 60);
        EXPECT_EQ(reply->FindFirstValue("kept")->GetString(), "as sent");

        // A cached option sent after the announcement leaves the cache alone.
        CWebInfo later = option;
        later.ReplaceAttr("var_value", CWebVariantList(CWebVariant(0)));
        ASSERT_TRUE(tool.Request(browser.Agent(), later));
        EXPECT_EQ(dispatcher.GetOption("UseQuorvin70IE55Description"), 0);
        EXPECT_EQ(dispatcher.CachedUseQuorvin70IE55Description(), 1);
    }
    tool.Stop();
    g_dispatcher = nullptr;
}

} // namespace

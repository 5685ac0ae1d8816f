#include "agent/channel/CAgentWindow.h"
#include "agent/channel/ToolSender.h"
#include "agent/channel/Trace.h"
#include "agent/dispatch/CInterface.h"
#include "platform/win32/Testing.h"
#include "tool/TestTool.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

namespace {

// Answers every request and lets a test change the record on its way.
class TestDispatcher : public CInterface {
public:
    bool Dispatch(CWebInfo& record) override {
        ++calls;
        if (edit)
            edit(record);
        return CInterface::Dispatch(record);
    }
    int calls = 0;
    std::function<void(CWebInfo&)> edit;
};

CInterface* g_dispatcher = nullptr;
CInterface* CurrentDispatcher() {
    return g_dispatcher;
}

LRESULT PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, m, wp, lp);
}

HWND MakeBrowserWindow() {
    static bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &PlainProc;
        wc.lpszClassName = "AgentWindowTestBrowser";
        return RegisterClass(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowEx(0, "AgentWindowTestBrowser", "browser", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                          100, nullptr, nullptr, nullptr, nullptr);
}

CWebInfo RequestOf(int32_t msgId) {
    CWebInfo request;
    request.SetMsgId(msgId);
    return request;
}

// The test thread plays the browser's user-interface thread: it owns the
// browser and agent windows, and the tool's waits serve them.
class AgentWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeAgentWindows(nullptr);
        g_dispatcher = &m_dispatcher;
        SetDispatcherSource(&CurrentDispatcher);
        SetTraceMask(kInitialTraceMask);
        SetTraceFileSwitch(0);
        ASSERT_TRUE(m_tool.Start());
        m_browser = MakeBrowserWindow();
        m_agent = std::make_unique<CAgentWindow>(m_browser);
        ASSERT_TRUE(m_agent->Create(nullptr, nullptr));
        ASSERT_NE(m_agent->GetWindow(), nullptr);
    }
    void TearDown() override {
        m_agent.reset();
        DestroyWindow(m_browser);
        m_tool.Stop();
        g_dispatcher = nullptr;
    }

    TestDispatcher m_dispatcher;
    tool::TestTool m_tool;
    HWND m_browser = nullptr;
    std::unique_ptr<CAgentWindow> m_agent;
};

TEST_F(AgentWindowTest, CreateAnnouncesTheConnectionAndIsFoundByTitle) {
    EXPECT_EQ(tool::TestTool::FindAgentWindow(m_browser), m_agent->GetWindow());
    auto hello = m_tool.WaitForRecord(kMsgIdConnection);
    ASSERT_TRUE(hello);
    ASSERT_EQ(hello->GetAttrCount(), 5u);
    const char* names[] = {"handle", "version", "thread", "process", "agent_handle"};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(*hello->GetAttrName(i), names[i]);
    EXPECT_EQ(hello->FindFirstValue("handle")->GetInteger(),
              static_cast<int32_t>(HandleToULong(m_browser)));
    EXPECT_EQ(hello->FindFirstValue("thread")->GetInteger(),
              static_cast<int32_t>(GetCurrentThreadId()));
    EXPECT_EQ(hello->FindFirstValue("agent_handle")->GetInteger(),
              static_cast<int32_t>(HandleToULong(m_agent->GetWindow())));
}

TEST_F(AgentWindowTest, ReplyCarriesTheRequestsWebInfoIdEvenWhenTheHeaderWasReplaced) {
    m_dispatcher.edit = [](CWebInfo& record) { record.SetWebInfoId(4242); };
    auto reply = m_tool.Request(m_agent->GetWindow(), RequestOf(60));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->GetMsgId(), 60);
    EXPECT_NE(reply->GetWebInfoId(), 4242);
    EXPECT_EQ(m_dispatcher.calls, 1);
}

TEST_F(AgentWindowTest, RequestForAnotherLiveBrowserIsNeitherDispatchedNorAnswered) {
    HWND other = MakeBrowserWindow();
    CWebInfo request = RequestOf(60);
    request.SetRunTimeID(CWebRunTimeID(static_cast<int32_t>(HandleToULong(other)), -1, -1, -1));
    EXPECT_EQ(m_tool.Post(m_agent->GetWindow(), request), 0);
    EXPECT_EQ(m_dispatcher.calls, 0);

    // A dead window does not belong to anybody: this agent serves it.
    DestroyWindow(other);
    EXPECT_EQ(m_tool.Post(m_agent->GetWindow(), request), 1);
    EXPECT_EQ(m_dispatcher.calls, 1);
}

TEST_F(AgentWindowTest, NoDispatcherMeansNoReply) {
    g_dispatcher = nullptr;
    EXPECT_EQ(m_tool.Post(m_agent->GetWindow(), RequestOf(60)), 0);
}

TEST_F(AgentWindowTest, OversizedReplyIsTrimmedThenReducedToItsHeader) {
    // Each of ten attributes takes 35 bytes besides its string (length, name,
    // list and value headers, the NUL), the header 36: each string may keep
    // (65000 - 386) / 10 characters.
    constexpr size_t kShare = (kMaxRecordBytes - 386) / 10;
    m_dispatcher.edit = [](CWebInfo& record) {
        // About 70000 bytes in 10 attributes, most of it in the first.
        for (int i = 0; i < 10; ++i)
            record.AppendAttr("text" + std::to_string(i),
                              CWebVariantList(CWebVariant(std::string(i == 0 ? 69000 : 100, 'a'))));
    };
    auto trimmed = m_tool.Request(m_agent->GetWindow(), RequestOf(60));
    ASSERT_TRUE(trimmed);
    ASSERT_EQ(trimmed->GetAttrCount(), 10u);
    EXPECT_EQ(trimmed->GetAttrValue(0)->GetAt(0)->GetString().size(), kShare);
    EXPECT_EQ(trimmed->GetAttrValue(1)->GetAt(0)->GetString().size(), 100u);
    EXPECT_EQ(trimmed->GetRetValue(), NS_OK);

    // Ten strings of 7000 characters fit once each is cut to its share of the
    // room the record's own bytes leave.
    m_dispatcher.edit = [](CWebInfo& record) {
        for (int i = 0; i < 10; ++i)
            record.AppendAttr("text" + std::to_string(i),
                              CWebVariantList(CWebVariant(std::string(7000, 'a'))));
    };
    auto cut = m_tool.Request(m_agent->GetWindow(), RequestOf(62));
    ASSERT_TRUE(cut);
    ASSERT_EQ(cut->GetAttrCount(), 10u);
    EXPECT_EQ(cut->GetRetValue(), NS_OK);
    EXPECT_EQ(cut->GetAttrValue(9)->GetAt(0)->GetString(), std::string(kShare, 'a'));
    EXPECT_LE(m_tool.ReceivedSizes().back(), kMaxRecordBytes);

    m_dispatcher.edit = [](CWebInfo& record) {
        CWebVariantList many;
        for (int i = 0; i < 5000; ++i)
            many.Append(i);
        record.AppendAttr("numbers", many);
    };
    auto reduced = m_tool.Request(m_agent->GetWindow(), RequestOf(61));
    ASSERT_TRUE(reduced);
    EXPECT_EQ(reduced->GetAttrCount(), 0u);
    EXPECT_EQ(reduced->GetRetValue(), E_FAIL);
    EXPECT_EQ(reduced->GetMsgId(), 61);
    EXPECT_EQ(m_tool.ReceivedSizes().back(), CWebInfo::kHeaderSize);
}

TEST_F(AgentWindowTest, OneVeryLongPropertyIsSentCutNotFailed) {
    // The text of a long page asked for alone: the cut leaves room for the
    // header (36), the attribute's length, name and list (4 + 5 + 12) and the
    // value's header and NUL (12 + 1), so the reply is exactly the limit.
    m_dispatcher.edit = [](CWebInfo& record) {
        record.AppendAttr("text", CWebVariantList(CWebVariant(std::string(200000, 't'))));
    };
    auto reply = m_tool.Request(m_agent->GetWindow(), RequestOf(60));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->GetRetValue(), NS_OK);
    ASSERT_EQ(reply->GetAttrCount(), 1u);
    EXPECT_EQ(reply->FindFirstValue("text")->GetString().size(), kMaxRecordBytes - 70);
    EXPECT_EQ(m_tool.ReceivedSizes().back(), kMaxRecordBytes);

    // Several long strings in one attribute share its room.
    m_dispatcher.edit = [](CWebInfo& record) {
        CWebVariantList items;
        for (int i = 0; i < 4; ++i)
            items.Append(std::string(40000, static_cast<char>('a' + i)));
        record.AppendAttr("items", items);
        record.AppendAttr("count", CWebVariant(4));
    };
    auto list = m_tool.Request(m_agent->GetWindow(), RequestOf(60));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->GetRetValue(), NS_OK);
    ASSERT_EQ(list->GetAttrCount(), 2u);
    const CWebVariantList& items = *list->FindAttr("items");
    ASSERT_EQ(items.GetCount(), 4u);
    EXPECT_GT(items.GetAt(3)->GetString().size(), 7000u);
    EXPECT_EQ(items.GetAt(3)->GetString().front(), 'd');
    EXPECT_EQ(list->FindFirstValue("count")->GetInteger(), 4);
    EXPECT_LE(m_tool.ReceivedSizes().back(), kMaxRecordBytes);
}

// Counts the times the throttle file is opened for writing and closed again,
// as the host's file system sees them.
class ThrottleFileWatch {
public:
    ThrottleFileWatch() {
        char pattern[] = "/tmp/webagent-throttle-XXXXXX";
        m_folder = mkdtemp(pattern) ? pattern : "";
        m_notify = inotify_init1(IN_NONBLOCK);
        if (!m_folder.empty() && m_notify >= 0)
            inotify_add_watch(m_notify, m_folder.c_str(), IN_OPEN | IN_CLOSE_WRITE);
        char temp[1024] = {};
        if (GetEnvironmentVariableA("TEMP", temp, sizeof temp) < sizeof temp)
            m_oldTemp = temp;
        SetEnvironmentVariableA("TEMP", m_folder.c_str());
    }
    ~ThrottleFileWatch() {
        SetEnvironmentVariableA("TEMP", m_oldTemp ? m_oldTemp->c_str() : nullptr);
        if (m_notify >= 0)
            close(m_notify);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    bool Ready() const { return !m_folder.empty() && m_notify >= 0; }
    std::atomic<bool> overflowed{false};
    // Closes of the throttle file since the last call. (Opens are watched too,
    // so that no two events in a row are alike: the kernel merges those.)
    int TakeCloses() {
        int closes = 0;
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            ssize_t length = read(m_notify, buffer, sizeof buffer);
            if (length <= 0)
                return closes;
            for (ssize_t offset = 0; offset < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
                if ((event->mask & IN_Q_OVERFLOW) != 0)
                    overflowed = true;
                if ((event->mask & IN_CLOSE_WRITE) != 0 && event->len > 0 &&
                    std::string_view(event->name) == kThrottleFileName)
                    ++closes;
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    std::string m_folder;
    std::optional<std::string> m_oldTemp;
    int m_notify = -1;
};

CWebInfo ThrottleOption(int32_t cycles) {
    CWebInfo request = RequestOf(48);
    request.AppendAttr("var_name", CWebVariantList(CWebVariant(kThrottleOption)));
    request.AppendAttr("var_value", CWebVariantList(CWebVariant(cycles)));
    return request;
}

TEST_F(AgentWindowTest, ThrottleOpensTheFileNTimesBeforeAndAfterEachRequest) {
    ThrottleFileWatch watch;
    ASSERT_TRUE(watch.Ready());
    // Setting the option is itself a request: its pass after the dispatch
    // already reads the new value.
    ASSERT_TRUE(m_tool.Request(m_agent->GetWindow(), ThrottleOption(3)));
    EXPECT_EQ(watch.TakeCloses(), 3);
    ASSERT_TRUE(m_tool.Request(m_agent->GetWindow(), RequestOf(60)));
    EXPECT_EQ(watch.TakeCloses(), 6);

    ASSERT_TRUE(m_tool.Request(m_agent->GetWindow(), ThrottleOption(0)));
    EXPECT_EQ(watch.TakeCloses(), 3);
    ASSERT_TRUE(m_tool.Request(m_agent->GetWindow(), RequestOf(60)));
    EXPECT_EQ(watch.TakeCloses(), 0);
}

TEST_F(AgentWindowTest, ThrottleIsBoundedWhateverTheOptionSays) {
    ThrottleFileWatch watch;
    ASSERT_TRUE(watch.Ready());
    // Without the bound this request would hold the browser's thread for
    // hours; with it, kMaxThrottleCycles before and after. The events are
    // read while they come, so that the kernel's queue does not overflow.
    std::atomic<bool> done{false};
    std::atomic<int> closes{0};
    std::thread reader([&] {
        while (!done) {
            closes += watch.TakeCloses();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        closes += watch.TakeCloses();
    });
    m_dispatcher.SetOption(kThrottleOption, INT32_MAX);
    EXPECT_EQ(m_tool.Post(m_agent->GetWindow(), RequestOf(60)), 1);
    m_dispatcher.SetOption(kThrottleOption, 0);
    done = true;
    reader.join();
    if (!watch.overflowed) {
        EXPECT_EQ(closes, 2 * kMaxThrottleCycles);
    }
    EXPECT_GT(closes, 0);
}

TEST_F(AgentWindowTest, RegisteredMessageAnnouncesWithItsAttributesInOrder) {
    m_tool.TakeUnsolicited();
    m_tool.SendRegisteredMessage(m_agent->GetWindow(), reinterpret_cast<WPARAM>(m_browser), 7);
    auto record = m_tool.WaitForRecord(kMsgIdConnection);
    ASSERT_TRUE(record);
    ASSERT_EQ(record->GetAttrCount(), 4u);
    const char* names[] = {"handle", "version", "thread", "process"};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(*record->GetAttrName(i), names[i]);
    EXPECT_EQ(record->FindFirstValue("version")->GetInteger(), 7);
    EXPECT_EQ(record->FindFirstValue("process")->GetInteger(),
              static_cast<int32_t>(GetCurrentProcessId()));
}

TEST_F(AgentWindowTest, OptionsSentDuringTheAnnouncementAreInPlaceAfterIt) {
    CWebInfo option = RequestOf(48);
    option.AppendAttr("var_name", CWebVariantList(CWebVariant(std::string_view("UseOldName"))));
    option.AppendAttr("var_value", CWebVariantList(CWebVariant(5)));
    m_tool.SendWhileHandling(kMsgIdConnection, {option});
    TestDispatcher fresh;
    g_dispatcher = &fresh;
    CAgentWindow second(MakeBrowserWindow());
    ASSERT_TRUE(second.Create(nullptr, nullptr));
    EXPECT_EQ(fresh.GetOption("UseOldName"), 5);
    EXPECT_EQ(fresh.CachedUseOldName(), 5);
    DestroyWindow(second.GetBrowserWindow());
}

TEST_F(AgentWindowTest, MessagesTraceGivesBeginAndEndLines) {
    SetTraceMask(kTraceMessages);
    m_tool.ClearTraceLines();
    auto reply = m_tool.Request(m_agent->GetWindow(), RequestOf(60));
    ASSERT_TRUE(reply);
    auto lines = m_tool.TraceLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front().category, kTraceMessages);
    EXPECT_EQ(lines.front().text, "ProcessServiceRequest: begin: MsgId=60, WebInfoId=" +
                                      std::to_string(reply->GetWebInfoId()));
    EXPECT_EQ(lines[1].text.rfind("ProcessServiceRequest: end:   MsgId=60", 0), 0u);
}

TEST_F(AgentWindowTest, TraceCutsLongLinesAndFileModeBypassesTheViewer) {
    SetTraceMask(kTraceMessages);
    m_tool.ClearTraceLines();
    Trace(kTraceMessages, std::string(600, 'x'));
    auto lines = m_tool.TraceLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text.size(), kMaxTraceLine);

    std::remove(MapFileName(kTraceFileName).c_str());
    SetTraceFileSwitch(1);
    Trace(kTraceMessages, "one");
    Trace(kTraceMessages, "two");
    EXPECT_EQ(m_tool.TraceLines().size(), 1u);
    auto file = CrtFile::Open(kTraceFileName, "rb");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->ReadLine().value_or(""), "one\r\n");
    EXPECT_EQ(file->ReadLine().value_or(""), "two\r\n");
}

TEST(TraceWithoutViewer, FirstLineSwitchesTracingOff) {
    SetTraceMask(kTraceMessages);
    SetTraceFileSwitch(1);
    Trace(kTraceMessages, "lost");
    EXPECT_EQ(GetTraceMask(), 0);
    EXPECT_FALSE(TraceEnabled(kTraceMessages));
    SetTraceFileSwitch(0);
}

} // namespace

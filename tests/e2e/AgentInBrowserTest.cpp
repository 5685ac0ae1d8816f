// The agent the way it runs for real: the simulated browser's component
// framework loads the agent library from its components folder, registers it
// and the application shell starts it; a browser window opened while the tool
// runs gets its browser object and agent window, which announces itself, and
// the tool's requests from its own thread reach the browser's objects.
#include "agent/channel/CWebInfo.h"
#include "agent/channel/WebInfoDump.h"
#include "agent/common/AgentCodes.h"
#include "platform/browser/shell/Browser.h"
#include "platform/win32/Windows.h"
#include "platform/xpcom/nsAppShell.h"
#include "platform/xpcom/nsXPCOM.h"
#include "tool/TestTool.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

// The framework, the browser and the tool run once for the whole suite, as
// they do in a browser process: the agent library is loaded once, and its
// trap state is made when it loads.
class AgentInBrowser : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_Site = std::filesystem::temp_directory_path() /
                 ("webagent-e2e-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(s_Site);
        Write("index.html", "<html><head><title>Start page</title></head><body>"
                            "<p>Hello <a href='second.html'>next</a></p>"
                            "<iframe name='inner' src='inner.html'></iframe></body></html>");
        Write("second.html", "<html><head><title>Second</title></head><body>two</body></html>");
        Write("inner.html", "<html><head><title>Inner</title></head><body>inner</body></html>");

        s_Tool = new tool::TestTool();
        s_Browser = new browser::Browser();
        s_Shell = new nsAppShell();
        s_Started = s_Tool->Start();
        nsXPCOMOptions options;
        options.componentsDirectory = WEBAGENT_COMPONENTS_DIR;
        s_Started = s_Started && NS_InitXPCOM(options) == NS_OK && s_Browser->Start() == NS_OK &&
                    s_Shell->Startup() == NS_OK && s_Shell->Components().size() == 1;
    }

    static void TearDownTestSuite() {
        s_Shell->Shutdown();
        s_Browser->Shutdown();
        NS_ShutdownXPCOM();
        s_Tool->Stop();
        delete s_Shell;
        delete s_Browser;
        delete s_Tool;
        std::error_code ec;
        std::filesystem::remove_all(s_Site, ec);
    }

    void SetUp() override { ASSERT_TRUE(s_Started) << "the agent component did not start"; }

    static void Write(const std::string& name, const std::string& text) {
        std::ofstream(s_Site / name) << text;
    }

    // Opens a browser window and waits for its agent window's announcement.
    static HWND OpenWithAgent(const std::string& page, browser::BrowserWindow** window) {
        s_Tool->TakeUnsolicited();
        *window = s_Browser->OpenWindow((s_Site / page).string());
        if (!*window || !s_Browser->WaitUntilIdle() ||
            !s_Tool->WaitForRecord(ToInt(MsgId::Connection))) {
            return nullptr;
        }
        return tool::TestTool::FindAgentWindow((*window)->Handle());
    }

    static std::optional<CWebInfo> Ask(HWND agent, int32_t msgId, const CWebRunTimeID& target,
                                       std::initializer_list<const char*> properties) {
        CWebInfo request;
        request.SetMsgId(msgId);
        request.SetRunTimeID(target);
        for (const char* name : properties) {
            request.AddAttr(name, CWebVariantList());
        }
        return s_Tool->Request(agent, request);
    }

    // The first child of an object, by asking its "child" property with index 1.
    static std::optional<CWebRunTimeID> FirstChild(HWND agent, const CWebRunTimeID& parent) {
        CWebInfo request;
        request.SetMsgId(ToInt(MsgId::GetProperties));
        request.SetRunTimeID(parent);
        CWebVariantList index;
        index.Set(1);
        request.AddAttr("child", index);
        std::optional<CWebInfo> reply = s_Tool->Request(agent, request);
        if (!reply || reply->GetRetValue() != NS_OK) {
            return std::nullopt;
        }
        const CWebVariant* child = reply->FindFirstValue("child");
        if (!child || child->GetType() != WebVariantType::RunTimeID) {
            return std::nullopt;
        }
        return child->GetRunTimeID();
    }

    // Runs a browser command on a page; answers the reply's result code.
    static nsresult Command(HWND agent, const CWebRunTimeID& page, std::string_view command,
                            std::optional<std::string> url = std::nullopt) {
        CWebInfo request;
        request.SetMsgId(ToInt(MsgId::CallNamedMethod));
        request.SetRunTimeID(page);
        CWebVariantList method;
        method.Set(std::string_view("BrowserCommand"));
        request.AddAttr("method_name", method);
        CWebVariantList name;
        name.Set(command);
        request.AddAttr("command", name);
        if (url) {
            CWebVariantList address;
            address.Set(std::string_view(*url));
            request.AddAttr("url", address);
        }
        std::optional<CWebInfo> reply = s_Tool->Request(agent, request);
        return reply ? reply->GetRetValue() : NS_ERROR_FAILURE;
    }

    // The title of the browser's current page (its first child).
    static std::string PageTitle(HWND agent, const CWebRunTimeID& browser) {
        std::optional<CWebRunTimeID> page = FirstChild(agent, browser);
        if (!page) {
            return "(no page)";
        }
        std::optional<CWebInfo> reply = Ask(agent, ToInt(MsgId::GetProperties), *page, {"title"});
        const CWebVariant* title = reply ? reply->FindFirstValue("title") : nullptr;
        return title ? title->GetString() : "(no title)";
    }

    static inline std::filesystem::path s_Site;
    static inline tool::TestTool* s_Tool = nullptr;
    static inline browser::Browser* s_Browser = nullptr;
    static inline nsAppShell* s_Shell = nullptr;
    static inline bool s_Started = false;
};

TEST_F(AgentInBrowser, BrowserWindowGetsAnAgentThatAnswersTheTool) {
    browser::BrowserWindow* window = nullptr;
    HWND agent = OpenWithAgent("index.html", &window);
    ASSERT_NE(nullptr, agent) << "no agent window announced itself";

    // The browser object is addressed by its window's handle alone.
    const int32_t browserHandle = static_cast<int32_t>(HandleToULong(window->Handle()));
    const CWebRunTimeID browserId(browserHandle, -1, -1, -1);

    std::optional<CWebInfo> properties =
        Ask(agent, ToInt(MsgId::GetProperties), browserId, {"class", "handle", "state"});
    ASSERT_TRUE(properties);
    EXPECT_EQ(NS_OK, properties->GetRetValue()) << DumpWebInfo(*properties);
    const CWebVariant* cls = properties->FindFirstValue("class");
    ASSERT_NE(nullptr, cls) << DumpWebInfo(*properties);
    EXPECT_EQ("html_browser", cls->GetString()) << DumpWebInfo(*properties);
    const CWebVariant* shownHandle = properties->FindFirstValue("handle");
    ASSERT_NE(nullptr, shownHandle);
    EXPECT_EQ(browserHandle, shownHandle->GetInteger());
}

TEST_F(AgentInBrowser, PageAndInnerFrameAnswerThroughTheBrowser) {
    browser::BrowserWindow* window = nullptr;
    HWND agent = OpenWithAgent("index.html", &window);
    ASSERT_NE(nullptr, agent);
    const CWebRunTimeID browserId(static_cast<int32_t>(HandleToULong(window->Handle())), -1, -1,
                                  -1);

    std::optional<CWebRunTimeID> page = FirstChild(agent, browserId);
    ASSERT_TRUE(page) << "the browser object has no page";
    std::optional<CWebInfo> pageProperties =
        Ask(agent, ToInt(MsgId::GetProperties), *page, {"class", "title", "url", "state"});
    ASSERT_TRUE(pageProperties);
    EXPECT_EQ(NS_OK, pageProperties->GetRetValue()) << DumpWebInfo(*pageProperties);
    const CWebVariant* title = pageProperties->FindFirstValue("title");
    ASSERT_NE(nullptr, title) << DumpWebInfo(*pageProperties);
    EXPECT_EQ("Start page", title->GetString());
    const CWebVariant* state = pageProperties->FindFirstValue("state");
    ASSERT_NE(nullptr, state);
    EXPECT_EQ(4, state->GetInteger()) << "a page that finished loading is idle";

    // The inner frame, by the native window its document is shown in (a child
    // window of the page's content window).
    HWND frameWindow = FindWindowExA(HwndFromValue(static_cast<ULONG>(page->Second())), nullptr,
                                     "MozillaWindowClass", nullptr);
    ASSERT_NE(nullptr, frameWindow);
    CWebInfo byHandle;
    byHandle.SetMsgId(ToInt(MsgId::IdOfWindow));
    CWebVariantList handle;
    handle.Set(static_cast<int32_t>(HandleToULong(frameWindow)));
    byHandle.AddAttr("handle", handle);
    std::optional<CWebInfo> found = s_Tool->Request(agent, byHandle);
    ASSERT_TRUE(found);
    ASSERT_EQ(NS_OK, found->GetRetValue()) << DumpWebInfo(*found);
    const CWebVariant* frame = found->FindFirstValue("id");
    ASSERT_NE(nullptr, frame) << DumpWebInfo(*found);
    EXPECT_NE(page->Second(), frame->GetRunTimeID().Second());
    std::optional<CWebInfo> frameProperties =
        Ask(agent, ToInt(MsgId::GetProperties), frame->GetRunTimeID(), {"name", "title"});
    ASSERT_TRUE(frameProperties);
    EXPECT_EQ(NS_OK, frameProperties->GetRetValue()) << DumpWebInfo(*frameProperties);
    const CWebVariant* frameTitle = frameProperties->FindFirstValue("title");
    ASSERT_NE(nullptr, frameTitle) << DumpWebInfo(*frameProperties);
    EXPECT_EQ("Inner", frameTitle->GetString());

    // A search by a "!" pattern matches through the tool's "rexp.dll", which
    // the agent finds in its own folder: the first descendant of the browser
    // whose class matches is the page.
    CWebInfo search;
    search.SetMsgId(ToInt(MsgId::FindByProperties));
    search.SetRunTimeID(browserId);
    CWebVariantList pattern;
    pattern.Set(std::string_view("!html_fr.*"));
    search.AddAttr("class", pattern);
    std::optional<CWebInfo> searched = s_Tool->Request(agent, search);
    ASSERT_TRUE(searched);
    EXPECT_EQ(NS_OK, searched->GetRetValue()) << DumpWebInfo(*searched);

    // Browser commands replayed over the wire: Back without history succeeds
    // and stays; Navigate loads; Back returns.
    EXPECT_EQ(NS_OK, Command(agent, *page, "Back"));
    EXPECT_EQ("Start page", PageTitle(agent, browserId));
    EXPECT_EQ(NS_OK, Command(agent, *page, "Navigate", (s_Site / "second.html").string()));
    ASSERT_TRUE(s_Browser->WaitUntilIdle());
    EXPECT_EQ("Second", PageTitle(agent, browserId));
    EXPECT_EQ(NS_OK, Command(agent, *page, "Back"));
    ASSERT_TRUE(s_Browser->WaitUntilIdle());
    EXPECT_EQ("Start page", PageTitle(agent, browserId));
    EXPECT_EQ(E_FAIL, Command(agent, *page, "Navigate")) << "Navigate needs its \"url\"";
}

TEST_F(AgentInBrowser, ClosedBrowserWindowLosesItsAgentWhenTheNextDocumentFinishes) {
    browser::BrowserWindow* first = nullptr;
    HWND firstAgent = OpenWithAgent("second.html", &first);
    ASSERT_NE(nullptr, firstAgent);
    first->Close();
    EXPECT_TRUE(IsWindow(firstAgent)); // nothing has looked at the registry yet

    browser::BrowserWindow* second = nullptr;
    HWND secondAgent = OpenWithAgent("inner.html", &second);
    ASSERT_NE(nullptr, secondAgent);
    EXPECT_NE(firstAgent, secondAgent);
    EXPECT_FALSE(IsWindow(firstAgent));
}

} // namespace

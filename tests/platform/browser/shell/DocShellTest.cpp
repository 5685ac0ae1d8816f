#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/shell/Browser.h"
#include "platform/browser/shell/PresShell.h"
#include "platform/xpcom/nsXPCOM.h"

#include <arpa/inet.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using browser::Browser;
using browser::BrowserWindow;
using browser::DocShell;

class DocShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("webagent_docshell_" + std::to_string(getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
        ASSERT_EQ(app.Start(), NS_OK);
    }
    void TearDown() override {
        app.Shutdown();
        std::filesystem::remove_all(m_dir);
    }
    std::string Write(const std::string& name, const std::string& markup) {
        std::ofstream(m_dir / name) << markup;
        return browser::URIFromFilePath((m_dir / name).string());
    }
    BrowserWindow* Open(const std::string& url) {
        BrowserWindow* window = app.OpenWindow(url);
        EXPECT_TRUE(app.WaitUntilIdle());
        return window;
    }
    static dom::Element* ById(DocShell* shell, std::u16string_view id) {
        dom::Document* document =
            shell ? dom::Document::FromDOM(shell->CurrentDocument()) : nullptr;
        return document ? document->ElementById(id) : nullptr;
    }

    Browser app;

private:
    std::filesystem::path m_dir;
};

TEST_F(DocShellTest, FramesetFramesShareTheContentAreaByTheirSizes) {
    Write("a.html", "<p>a</p>");
    Write("b.html", "<p>b</p>");
    BrowserWindow* window =
        Open(Write("top.html", "<frameset cols='200,*'><frame src='a.html'><frame src='b.html'>"
                               "</frameset>"));
    DocShell* content = window->ContentShell();
    ASSERT_EQ(content->Children().size(), 2u);
    RECT area{}, left{}, right{};
    GetClientRect(content->NativeWindow(), &area);
    GetWindowRect(content->Children()[0]->NativeWindow(), &left);
    GetWindowRect(content->Children()[1]->NativeWindow(), &right);
    EXPECT_EQ(left.right - left.left, 200);
    EXPECT_EQ(right.left, left.right) << "the second frame starts where the first ends";
    EXPECT_EQ((left.right - left.left) + (right.right - right.left), area.right);
    EXPECT_GT(left.bottom - left.top, 0);
}

TEST_F(DocShellTest, LinkTargetsChooseTheirWindow) {
    Write("menu.html", "<a id=named href='page2.html' target=main>to main</a>"
                       "<a id=top href='page2.html' target=_top>to top</a>"
                       "<a id=blank href='page2.html' target=_blank>new window</a>");
    Write("page1.html", "<p id=one>one</p>");
    Write("page2.html", "<p id=two>two</p>");
    BrowserWindow* window =
        Open(Write("top.html", "<frameset cols='50%,*'><frame name=menu src='menu.html'>"
                               "<frame name=main src='page1.html'></frameset>"));
    DocShell* content = window->ContentShell();
    ASSERT_EQ(content->Children().size(), 2u);
    DocShell* menu = content->Children()[0];
    DocShell* main = content->Children()[1];
    auto click = [&](std::u16string_view id) {
        auto point = app.ScreenCenterOf(*ById(menu, id));
        ASSERT_TRUE(point);
        ASSERT_TRUE(app.Click(*point));
        ASSERT_TRUE(app.WaitUntilIdle());
    };

    click(u"named");
    EXPECT_TRUE(ById(main, u"two")) << "the frame named by the target";
    EXPECT_TRUE(ById(menu, u"named")) << "the link's own frame stays";

    click(u"blank");
    ASSERT_EQ(app.Windows().size(), 2u) << "_blank opens a browser window";
    EXPECT_TRUE(ById(app.Windows()[1]->ContentShell(), u"two"));
    // The new window lies over the first one: close it again.
    app.Windows()[1]->Close();
    app.PruneClosedWindows();
    ASSERT_EQ(app.Windows().size(), 1u);

    click(u"top");
    EXPECT_TRUE(ById(content, u"two")) << "_top replaces the frameset";
    EXPECT_TRUE(content->Children().empty());
}

TEST_F(DocShellTest, TreeOwnerInterfacesAndHome) {
    app.SetHomePage(Write("home.html", "<p id=home>home</p>"));
    BrowserWindow* window = Open(Write("a.html", "<p>a</p>"));
    DocShell* chrome = window->ChromeShell();
    nsCOMPtr<nsIDocShellTreeOwner> owner;
    chrome->GetTreeOwner(getter_AddRefs(owner));
    ASSERT_TRUE(owner);
    nsCOMPtr<nsIDocShellTreeItem> primary;
    owner->GetPrimaryContentShell(getter_AddRefs(primary));
    EXPECT_EQ(primary.get(), static_cast<nsIDocShellTreeItem*>(window->ContentShell()));
    PRInt32 type = -1;
    primary->GetItemType(&type);
    EXPECT_EQ(type, nsIDocShellTreeItem::typeContent);
    chrome->GetItemType(&type);
    EXPECT_EQ(type, nsIDocShellTreeItem::typeChrome);
    nsCOMPtr<nsIDocShellTreeItem> sameTypeParent;
    primary->GetSameTypeParent(getter_AddRefs(sameTypeParent));
    EXPECT_FALSE(sameTypeParent) << "content's parent is chrome, another type";

    // The shell answers its window, link handler and window-level commands
    // through its interface requestor.
    nsCOMPtr<nsIDOMWindow> domWindow = NS_GetInterface<nsIDOMWindow>(primary);
    EXPECT_TRUE(SameCOMIdentity(domWindow, window->ContentShell()->DOMWindow()));
    EXPECT_TRUE(NS_GetInterface<nsILinkHandler>(primary));
    EXPECT_TRUE(NS_GetInterface<nsIURIContentListener>(primary));
    nsCOMPtr<nsIBrowserWindow> commands = NS_GetInterface<nsIBrowserWindow>(primary);
    ASSERT_TRUE(commands);
    EXPECT_EQ(commands->Home(), NS_OK);
    PRBool busy = PR_FALSE;
    commands->GetIsBusy(&busy);
    EXPECT_TRUE(busy);
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_TRUE(ById(window->ContentShell(), u"home"));

    // A shell's own content listener takes what it can show.
    nsCOMPtr<nsIURIContentListener> own = NS_GetInterface<nsIURIContentListener>(primary);
    nsCString desired;
    PRBool can = PR_FALSE;
    own->CanHandleContent("text/html", 0, desired, &can);
    EXPECT_TRUE(can);
    own->CanHandleContent("application/zip", 0, desired, &can);
    EXPECT_FALSE(can);
}

TEST_F(DocShellTest, ReloadKeepsHistoryAndTitlesFollowTheDocuments) {
    std::string a = Write("a.html", "<title>First</title><p>a</p>");
    BrowserWindow* window = Open(a);
    DocShell* content = window->ContentShell();
    Write("a.html", "<title>Changed</title><p id=changed>a</p>");
    ASSERT_TRUE(app.PressToolbarButton(*window, u"reload-button"));
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_TRUE(ById(content, u"changed"));
    ASSERT_EQ(content->History().size(), 1u);
    EXPECT_EQ(dom::Utf8FromUtf16(content->History()[0].title), "Changed");
    EXPECT_EQ(content->HistoryIndex(), 0);
    // The back button is disabled without history to go back to.
    EXPECT_TRUE(window->ChromeElement(u"back-button")->HasAttribute(u"disabled"));
}

TEST_F(DocShellTest, OtherChromeDocumentsOpenWithoutContentArea) {
    browser::RegisterChromeDocument("chrome://test/content/dialog.xul",
                                    {R"(<?xml version="1.0"?>
<window id="dialog" title="Dialog"
        xmlns="http://www.mozilla.org/keymaster/gatekeeper/there.is.only.xul">
  <button id="ok" label="OK"/>
</window>)",
                                     std::string(browser::kXULContentType)});
    BrowserWindow* dialog = app.OpenWindow("", "chrome://test/content/dialog.xul");
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_FALSE(dialog->ContentShell());
    EXPECT_TRUE(dialog->ChromeElement(u"ok"));
    EXPECT_EQ(GetParent(dialog->Handle()), nullptr);

    // Ill-formed chrome shows what is wrong instead.
    browser::RegisterChromeDocument(
        "chrome://test/content/broken.xul",
        {"<window><button></window>", std::string(browser::kXULContentType)});
    BrowserWindow* broken = app.OpenWindow("", "chrome://test/content/broken.xul");
    ASSERT_TRUE(app.WaitUntilIdle());
    dom::Element* reason = ById(broken->ChromeShell(), u"errorReason");
    ASSERT_TRUE(reason);
    EXPECT_NE(dom::Utf8FromUtf16(reason->TextContent()).find("broken.xul"), std::string::npos);
}

TEST_F(DocShellTest, ServicesAreRegisteredWhileTheFrameworkRuns) {
    app.Shutdown();
    ASSERT_EQ(NS_InitXPCOM(nsXPCOMOptions{}), NS_OK);
    {
        Browser running;
        ASSERT_EQ(running.Start(), NS_OK);
        nsCOMPtr<nsIDocumentLoader> loader = do_GetService(NS_DOCUMENTLOADER_SERVICE_CID);
        ASSERT_TRUE(loader);
        nsCOMPtr<nsIWebProgress> progress = do_QueryInterface(loader);
        EXPECT_TRUE(progress);
        nsCOMPtr<nsIIOService> io = do_GetService(NS_IOSERVICE_CONTRACTID);
        ASSERT_TRUE(io);
        nsCOMPtr<nsIURI> uri;
        EXPECT_EQ(io->NewURI("http://h/a/b", nullptr, getter_AddRefs(uri)), NS_OK);
        EXPECT_EQ(io->NewURI("relative", nullptr, getter_AddRefs(uri)), NS_ERROR_MALFORMED_URI);
        nsCOMPtr<nsIEventQueueService> queues = do_GetService(NS_EVENTQUEUESERVICE_CID);
        ASSERT_TRUE(queues);
        nsCOMPtr<nsIEventQueue> queue;
        EXPECT_EQ(queues->GetThreadEventQueue(NS_CURRENT_THREAD, getter_AddRefs(queue)), NS_OK);
        running.Shutdown();
        nsCOMPtr<nsIDocumentLoader> gone = do_GetService(NS_DOCUMENTLOADER_SERVICE_CID);
        EXPECT_FALSE(gone);
    }
    EXPECT_EQ(NS_ShutdownXPCOM(), NS_OK);
    ASSERT_EQ(app.Start(), NS_OK);
}

TEST_F(DocShellTest, FrameElementRemovedFromItsDocumentIsSafe) {
    Write("inner.html", "<p>inner</p>");
    BrowserWindow* window = Open(Write("top.html", "<div id=box><iframe id=f src='inner.html'>"
                                                   "</iframe></div><p>after</p>"));
    DocShell* content = window->ContentShell();
    ASSERT_EQ(content->Children().size(), 1u);
    {
        nsCOMPtr<nsIDOMNode> box = ById(content, u"box")->AsDOMNode();
        nsCOMPtr<nsIDOMNode> frame = ById(content, u"f")->AsDOMNode();
        nsCOMPtr<nsIDOMNode> removed;
        ASSERT_EQ(box->RemoveChild(frame, getter_AddRefs(removed)), NS_OK);
    }
    content->Relayout();
    content->Children()[0]->Reload(0);
    ASSERT_TRUE(app.WaitUntilIdle());
    content->LoadURI(u"inner.html", 0);
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_TRUE(content->Children().empty());
}

TEST_F(DocShellTest, ContentAreaFollowsTheWindowsSize) {
    BrowserWindow* window = Open(Write("a.html", "<p>a</p>"));
    HWND content = window->ContentShell()->NativeWindow();
    RECT before{}, after{}, top{};
    GetClientRect(content, &before);
    GetWindowRect(window->Handle(), &top);
    MoveWindow(window->Handle(), top.left, top.top, (top.right - top.left) + 200,
               (top.bottom - top.top) + 100, TRUE);
    GetClientRect(content, &after);
    EXPECT_EQ(after.right, before.right + 200);
    EXPECT_EQ(after.bottom, before.bottom + 100);
    nsCOMPtr<nsIDOMWindowInternal> domWindow = window->ContentShell()->DOMWindow();
    PRInt32 width = 0;
    domWindow->GetInnerWidth(&width);
    EXPECT_EQ(width, after.right);
}

TEST_F(DocShellTest, ShutdownWithWorkPendingOpensNothingMore) {
    Write("b.html", "<p>b</p>");
    BrowserWindow* window = Open(Write("a.html", "<a id=blank href='b.html' target=_blank>b</a>"));
    auto point = app.ScreenCenterOf(*ById(window->ContentShell(), u"blank"));
    ASSERT_TRUE(point);
    ASSERT_TRUE(app.Click(*point)); // the new window is only queued
    window->ContentShell()->LoadURI(u"b.html", 0);
    app.Shutdown();
    EXPECT_TRUE(app.Windows().empty());
    EXPECT_FALSE(app.IsStarted());
    ASSERT_EQ(app.Start(), NS_OK);
    EXPECT_TRUE(app.WaitUntilIdle());
    EXPECT_TRUE(app.Windows().empty());
}

// A small HTTP server on the loopback interface that answers each path
// with its page (404 for others) until it is destroyed.
class PageServer {
public:
    explicit PageServer(std::map<std::string, std::string> pages) : m_pages(std::move(pages)) {
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        listen(m_socket, 8);
        m_thread = std::thread([this] {
            for (;;) {
                int client = accept(m_socket, nullptr, nullptr);
                if (client < 0)
                    return;
                char buffer[4096] = {};
                ssize_t got = recv(client, buffer, sizeof buffer - 1, 0);
                std::string request(buffer, got > 0 ? size_t(got) : 0);
                std::string path = request.substr(4, request.find(' ', 4) - 4);
                auto it = m_pages.find(path);
                std::string body = it == m_pages.end() ? "<p id=missing>missing</p>" : it->second;
                std::string response = std::string(it == m_pages.end() ? "HTTP/1.0 404 Not Found"
                                                                       : "HTTP/1.0 200 OK") +
                                       "\r\nContent-Type: text/html\r\nContent-Length: " +
                                       std::to_string(body.size()) + "\r\n\r\n" + body;
                (void)!send(client, response.data(), response.size(), 0);
                close(client);
            }
        });
    }
    ~PageServer() {
        shutdown(m_socket, SHUT_RDWR);
        close(m_socket);
        m_thread.join();
    }
    std::string URL(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

private:
    std::map<std::string, std::string> m_pages;
    int m_socket = -1;
    int m_port = 0;
    std::thread m_thread;
};

TEST_F(DocShellTest, HttpPagesLoadTheirFramesByRelativeAddress) {
    PageServer server({{"/site/index.html", "<iframe src='frame.html'></iframe>"},
                       {"/site/frame.html", "<p id=framed>framed</p><iframe src='../gone'>"
                                            "</iframe>"}});
    BrowserWindow* window = Open(server.URL("/site/index.html"));
    DocShell* content = window->ContentShell();
    ASSERT_EQ(content->Children().size(), 1u);
    DocShell* frame = content->Children()[0];
    EXPECT_EQ(frame->CurrentURL(), server.URL("/site/frame.html"));
    EXPECT_TRUE(ById(frame, u"framed"));
    ASSERT_EQ(frame->Children().size(), 1u);
    EXPECT_TRUE(ById(frame->Children()[0], u"missing")) << "a 404 page is a page like others";
}

TEST_F(DocShellTest, LoaderServiceIsTheRootOfEveryShellAndStopsThemAll) {
    Write("inner.html", "<p>inner</p>");
    BrowserWindow* window = Open(Write("a.html", "<iframe src='inner.html'></iframe>"));
    DocShell* frame = window->ContentShell()->Children().at(0);
    // Loaders chain up to the service.
    nsCOMPtr<nsIDocumentLoader> loader = frame;
    for (int depth = 0; depth < 3; ++depth) {
        nsCOMPtr<nsIDocumentLoader> parent;
        loader->GetParent(getter_AddRefs(parent));
        ASSERT_TRUE(parent) << "depth " << depth;
        loader = parent;
    }
    EXPECT_EQ(loader.get(), static_cast<nsIDocumentLoader*>(&app.Loader()));
    nsCOMPtr<nsIDocShellTreeItem> root;
    frame->GetSameTypeRootTreeItem(getter_AddRefs(root));
    EXPECT_EQ(root.get(), static_cast<nsIDocShellTreeItem*>(window->ContentShell()));
    frame->GetRootTreeItem(getter_AddRefs(root));
    EXPECT_EQ(root.get(), static_cast<nsIDocShellTreeItem*>(window->ChromeShell()));
    nsCOMPtr<nsIDocShellTreeItem> none;
    EXPECT_EQ(frame->GetChildAt(0, getter_AddRefs(none)), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(window->ContentShell()->GotoIndex(7), NS_ERROR_INVALID_ARG);

    window->ContentShell()->Reload(0);
    PRBool busy = PR_FALSE;
    app.Loader().IsBusy(&busy);
    EXPECT_TRUE(busy);
    EXPECT_EQ(app.Loader().Stop(), NS_OK);
    app.Loader().IsBusy(&busy);
    EXPECT_FALSE(busy);
    EXPECT_TRUE(app.WaitUntilIdle());
}

TEST_F(DocShellTest, WorkPostedFromAnotherThreadRunsOnTheUIThread) {
    DWORD uiThread = GetCurrentThreadId();
    std::atomic<DWORD> ranOn = 0;
    std::thread other([&] { app.Post([&] { ranOn = GetCurrentThreadId(); }); });
    other.join();
    EXPECT_TRUE(app.WaitUntilIdle());
    EXPECT_EQ(ranOn.load(), uiThread);
}

} // namespace

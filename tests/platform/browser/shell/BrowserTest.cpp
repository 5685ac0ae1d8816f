#include "platform/browser/shell/Browser.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Events.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/shell/PresShell.h"
#include "platform/xpcom/dom/nsIContent.h"
#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"
#include "platform/xpcom/nsXPCOM.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using browser::Browser;
using browser::BrowserWindow;
using browser::DocShell;

constexpr PRUint32 kDocumentStop =
    nsIWebProgressListener::STATE_STOP | nsIWebProgressListener::STATE_IS_DOCUMENT;

std::string Narrow(const nsString& text) {
    return dom::Utf8FromUtf16(text);
}

// Records the finished-document notifications: the address of the window
// each one names, and its status.
class ProgressRecorder final : public nsSupportsImpl<ProgressRecorder, nsIWebProgressListener> {
public:
    struct Stop {
        std::string url;
        nsresult status;
        nsCOMPtr<nsIWebProgress> progress;
        std::string request; // the request's name
    };
    nsresult OnStateChange(nsIWebProgress* progress, nsIRequest* request, PRUint32 flags,
                           nsresult status) override {
        if ((flags & kDocumentStop) != kDocumentStop)
            return NS_OK;
        nsCOMPtr<nsIDOMWindow> window;
        progress->GetDOMWindow(getter_AddRefs(window));
        nsCOMPtr<nsIDOMWindowInternal> internal = do_QueryInterface(window);
        nsString href;
        if (internal)
            internal->GetLocationHref(href);
        std::string name = "(none)";
        if (request)
            request->GetName(name);
        stops.push_back({Narrow(href), status, progress, name});
        return NS_OK;
    }
    nsresult OnProgressChange(nsIWebProgress*, nsIRequest*, PRInt32, PRInt32, PRInt32,
                              PRInt32) override {
        return NS_OK;
    }
    nsresult OnLocationChange(nsIWebProgress*, nsIRequest*, nsIURI* location) override {
        std::string spec;
        if (location)
            location->GetSpec(spec);
        locations.push_back(spec);
        return NS_OK;
    }
    nsresult OnStatusChange(nsIWebProgress*, nsIRequest*, nsresult, const nsAString&) override {
        return NS_OK;
    }
    nsresult OnSecurityChange(nsIWebProgress*, nsIRequest*, PRUint32) override { return NS_OK; }

    std::vector<std::string> locations;
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Stop& stop : stops)
            names.push_back(stop.url.substr(stop.url.rfind('/') + 1));
        return names;
    }
    std::vector<Stop> stops;
};

// Writes down the events a listener hears, with a label.
class EventLog final : public nsSupportsImpl<EventLog, nsIDOMEventListener> {
public:
    EventLog(std::vector<std::string>& log, std::string label) : m_log(log), m_label(label) {}
    nsresult HandleEvent(nsIDOMEvent* event) override {
        nsString type;
        event->GetType(type);
        m_log.push_back(m_label + ":" + Narrow(type));
        return NS_OK;
    }

private:
    std::vector<std::string>& m_log;
    std::string m_label;
};

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("webagent_shell_" + std::to_string(getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
        ASSERT_EQ(app.Start(), NS_OK);
        recorder = new ProgressRecorder;
        app.Loader().AddProgressListener(recorder);
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

    static dom::Document* DocumentOf(DocShell* shell) {
        return shell ? dom::Document::FromDOM(shell->CurrentDocument()) : nullptr;
    }

    static dom::Element* ById(DocShell* shell, std::u16string_view id) {
        dom::Document* document = DocumentOf(shell);
        return document ? document->ElementById(id) : nullptr;
    }

    Browser app;
    nsCOMPtr<ProgressRecorder> recorder;

private:
    std::filesystem::path m_dir;
};

TEST_F(BrowserTest, NestedFramesGiveOneFinishedNotificationPerDocumentInnerFirst) {
    Write("inner.html", "<p>inner</p>");
    Write("left.html", "<p>left</p><iframe src='inner.html' width=100 height=50></iframe>");
    Write("right.html", "<p>right</p>");
    std::string top = Write("top.html", "<frameset cols='50%,*'><frame name=left src='left.html'>"
                                        "<frame name=right src='right.html'></frameset>");
    BrowserWindow* window = Open(top);
    ASSERT_TRUE(window && window->ContentShell());
    std::vector<std::string> names = recorder->Names();
    ASSERT_EQ(names.size(), 5u) << ::testing::PrintToString(names);
    EXPECT_EQ(names.front(), "navigator.xul");
    EXPECT_EQ(names.back(), "top.html");
    auto at = [&](const std::string& name) {
        return std::find(names.begin(), names.end(), name) - names.begin();
    };
    EXPECT_LT(at("inner.html"), at("left.html")) << "a frame finishes before its holder";
    EXPECT_LT(at("right.html"), at("top.html"));
    for (const auto& stop : recorder->stops)
        EXPECT_EQ(stop.status, NS_OK) << stop.url;

    // The tree of shells follows the frames, with their names.
    DocShell* content = window->ContentShell();
    ASSERT_EQ(content->Children().size(), 2u);
    nsCOMPtr<nsIDocShellTreeItem> left;
    content->FindItemWithName(u"left", getter_AddRefs(left));
    ASSERT_TRUE(left);
    PRInt32 children = 0;
    left->GetChildCount(&children);
    EXPECT_EQ(children, 1);
    nsCOMPtr<nsIDocShellTreeItem> parent;
    left->GetParent(getter_AddRefs(parent));
    EXPECT_EQ(static_cast<nsIDocShellTreeItem*>(content), parent.get());
}

// The content-window rule of the agent: the content window is the window
// whose fourth ancestor is a top-level "MozillaWindowClass" window; the
// top content shell's parent native window is less than four levels deep,
// a frame's is not.
TEST_F(BrowserTest, NativeWindowTreeSeparatesTopContentFromFrames) {
    Write("inner.html", "<p>inner</p>");
    Write("frame.html", "<iframe src='inner.html'></iframe>");
    BrowserWindow* window = Open(
        Write("top.html", "<iframe name=f src='frame.html'></iframe><embed width=40 height=30>"));
    DocShell* content = window->ContentShell();
    ASSERT_TRUE(content);
    auto up = [](HWND h, int n) {
        while (h && n-- > 0)
            h = GetParent(h);
        return h;
    };
    char name[64];
    HWND top = window->Handle();
    EXPECT_EQ(GetParent(top), nullptr);
    GetClassName(top, name, sizeof name);
    EXPECT_STREQ(name, "MozillaWindowClass");
    EXPECT_EQ(window->ChromeShell()->NativeWindow(), top);
    EXPECT_EQ(up(content->NativeWindow(), 4), top);

    ASSERT_EQ(content->Children().size(), 1u);
    DocShell* frame = content->Children()[0];
    ASSERT_EQ(frame->Children().size(), 1u);
    DocShell* nested = frame->Children()[0];
    EXPECT_EQ(GetParent(frame->NativeWindow()), content->NativeWindow());
    EXPECT_EQ(GetParent(nested->NativeWindow()), frame->NativeWindow());
    for (DocShell* shell : {frame, nested}) {
        GetClassName(shell->NativeWindow(), name, sizeof name);
        EXPECT_STREQ(name, "MozillaWindowClass");
        EXPECT_TRUE(GetWindowLong(shell->NativeWindow(), GWL_STYLE) & WS_CHILD);
    }
    auto parentNative = [](DocShell* shell) {
        HWND parent = nullptr;
        shell->GetParentNativeWindow(&parent);
        nsCOMPtr<nsIWidget> widget;
        shell->GetMainWidget(getter_AddRefs(widget));
        HWND main = nullptr;
        if (widget)
            widget->GetNativeWindow(&main);
        EXPECT_EQ(main, parent) << "the main widget is the window the shell sits in";
        return parent;
    };
    EXPECT_EQ(up(parentNative(content), 4), nullptr) << "top content";
    EXPECT_NE(up(parentNative(frame), 4), nullptr) << "frame";
    EXPECT_NE(up(parentNative(nested), 4), nullptr) << "nested frame";

    // A plug-in gets a child window of its own class in its document's window.
    ASSERT_EQ(content->PluginWindows().size(), 1u);
    HWND plugin = content->PluginWindows()[0];
    GetClassName(plugin, name, sizeof name);
    EXPECT_STREQ(name, "PluginWindowClass");
    EXPECT_EQ(GetParent(plugin), content->NativeWindow());

    // The DOM windows answer the same native windows and shells.
    nsCOMPtr<nsIDOMWindowInternal> window2 = frame->DOMWindow();
    HWND native = nullptr;
    window2->GetNativeWindow(&native);
    EXPECT_EQ(native, frame->NativeWindow());
    nsCOMPtr<nsISupports> raw;
    window2->GetDocShell(getter_AddRefs(raw));
    nsCOMPtr<nsIDocShell> shell = do_QueryInterface(raw);
    EXPECT_EQ(shell.get(), static_cast<nsIDocShell*>(frame));
}

// The chain a progress listener follows from a finished document to the
// window it was loaded into.
TEST_F(BrowserTest, FinishedDocumentLeadsThroughPresentationBackToItsWindow) {
    Open(Write("a.html", "<p>a</p>"));
    ASSERT_FALSE(recorder->stops.empty());
    nsCOMPtr<nsIWebProgress> progress = recorder->stops.back().progress;
    nsCOMPtr<nsIDOMWindow> window;
    ASSERT_EQ(progress->GetDOMWindow(getter_AddRefs(window)), NS_OK);
    nsCOMPtr<nsIDOMDocument> document;
    window->GetDocument(getter_AddRefs(document));
    nsCOMPtr<nsIPresShell> presShell = NS_GetFirstPresShell(document);
    ASSERT_TRUE(presShell);
    nsCOMPtr<nsIPresContext> context;
    presShell->GetPresContext(getter_AddRefs(context));
    ASSERT_TRUE(context);
    nsCOMPtr<nsISupports> container;
    context->GetContainer(getter_AddRefs(container));
    nsCOMPtr<nsIDocShell> shell = do_QueryInterface(container);
    ASSERT_TRUE(shell);
    nsCOMPtr<nsIDOMWindow> shown;
    shell->GetDOMWindow(getter_AddRefs(shown));
    EXPECT_TRUE(SameCOMIdentity(shown, window));

    // The root view's widget is the content window.
    nsCOMPtr<nsIViewManager> views;
    presShell->GetViewManager(getter_AddRefs(views));
    nsCOMPtr<nsIView> root;
    views->GetRootView(getter_AddRefs(root));
    nsCOMPtr<nsIWidget> widget;
    root->GetWidget(getter_AddRefs(widget));
    HWND native = nullptr;
    ASSERT_TRUE(widget);
    widget->GetNativeWindow(&native);
    EXPECT_EQ(native, static_cast<DocShell*>(shell.get())->NativeWindow());
}

TEST_F(BrowserTest, BackAndForwardThroughHistory) {
    std::string a = Write("a.html", "<title>A</title><p>a</p>");
    std::string b = Write("b.html", "<title>B</title><p>b</p>");
    BrowserWindow* window = Open(a);
    DocShell* content = window->ContentShell();
    PRBool can = PR_TRUE;
    content->GetCanGoBack(&can);
    EXPECT_FALSE(can);
    EXPECT_EQ(content->GoBack(), NS_ERROR_UNEXPECTED) << "nothing to go back to";

    content->LoadURI(u"b.html", nsIWebNavigation::LOAD_FLAGS_NONE);
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_EQ(content->CurrentURL(), b);
    content->GetCanGoBack(&can);
    EXPECT_TRUE(can);

    ASSERT_TRUE(app.PressToolbarButton(*window, u"back-button"));
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_EQ(content->CurrentURL(), a);
    ASSERT_FALSE(recorder->locations.empty());
    EXPECT_EQ(recorder->locations.back(), a) << "listeners hear of the new location";
    content->GetCanGoForward(&can);
    EXPECT_TRUE(can);
    nsCOMPtr<nsISHistory> history;
    content->GetSessionHistory(getter_AddRefs(history));
    PRInt32 count = 0, index = -1;
    history->GetCount(&count);
    history->GetIndex(&index);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(index, 0);

    content->GoForward();
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_EQ(content->CurrentURL(), b);

    // The address field and the history popup follow the content.
    dom::Element* urlbar = window->ChromeElement(u"urlbar");
    ASSERT_TRUE(urlbar);
    nsCOMPtr<nsIDOMXULTextBoxElement> box = do_QueryInterface(urlbar->AsDOMNode());
    nsString value = box ? nsString() : urlbar->Attribute(u"value");
    if (box)
        box->GetValue(value);
    EXPECT_EQ(Narrow(value), b);
    ASSERT_TRUE(app.ChooseHistoryEntry(*window, 0));
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_EQ(content->CurrentURL(), a);

    // Choosing an address from the list visits it anew: a, b, a.
    content->GetSessionHistory(getter_AddRefs(history));
    history->GetCount(&count);
    EXPECT_EQ(count, 3);
    // A new page after going back drops the forward entries: a, b, b?x.
    content->GoBack();
    ASSERT_TRUE(app.WaitUntilIdle());
    content->LoadURI(u"b.html?x", nsIWebNavigation::LOAD_FLAGS_NONE);
    ASSERT_TRUE(app.WaitUntilIdle());
    content->GetSessionHistory(getter_AddRefs(history));
    history->GetCount(&count);
    history->GetIndex(&index);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(index, 2);
    nsCOMPtr<nsIHistoryEntry> entry;
    history->GetEntryAtIndex(1, getter_AddRefs(entry));
    ASSERT_TRUE(entry);
    nsString title;
    entry->GetTitle(title);
    EXPECT_EQ(Narrow(title), "B");
}

TEST_F(BrowserTest, BusyWhileLoadingAndStopEndsTheLoad) {
    BrowserWindow* window = Open(Write("a.html", "<p>a</p>"));
    DocShell* content = window->ContentShell();
    PRBool busy = PR_TRUE;
    content->GetIsBusy(&busy);
    EXPECT_FALSE(busy);

    Write("b.html", "<iframe src='c.html'></iframe>");
    Write("c.html", "<p>c</p>");
    content->LoadURI(u"b.html", nsIWebNavigation::LOAD_FLAGS_NONE);
    content->GetIsBusy(&busy);
    EXPECT_TRUE(busy) << "busy as soon as the navigation starts";
    PRUint32 flags = 0;
    content->GetBusyFlags(&flags);
    EXPECT_TRUE(flags & nsIDocShell::BUSY_FLAGS_BUSY);
    ASSERT_TRUE(app.WaitUntilIdle());
    content->GetIsBusy(&busy);
    EXPECT_FALSE(busy);

    size_t before = recorder->stops.size();
    content->LoadURI(u"a.html", nsIWebNavigation::LOAD_FLAGS_NONE);
    ASSERT_TRUE(app.PressToolbarButton(*window, u"stop-button"));
    content->GetIsBusy(&busy);
    EXPECT_FALSE(busy);
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_NE(content->CurrentURL().find("b.html"), std::string::npos) << "the old page stays";
    ASSERT_EQ(recorder->stops.size(), before + 1);
    EXPECT_EQ(recorder->stops.back().status, NS_BINDING_ABORTED);
}

TEST_F(BrowserTest, MissingFileAndUnreachableAddressShowAnErrorPage) {
    BrowserWindow* window = Open(Write("a.html", "<p>a</p>") + "-missing");
    DocShell* content = window->ContentShell();
    ASSERT_TRUE(content);
    ASSERT_FALSE(recorder->stops.empty());
    EXPECT_EQ(recorder->stops.back().status, NS_ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(ById(content, u"errorPage"));
    EXPECT_NE(Narrow(ById(content, u"errorReason")->TextContent()).find("could not be found"),
              std::string::npos);

    // Port 9 (discard) has no listener on the loopback interface here.
    content->LoadURI(u"http://127.0.0.1:9/", nsIWebNavigation::LOAD_FLAGS_NONE);
    ASSERT_TRUE(app.WaitUntilIdle(30000));
    EXPECT_EQ(recorder->stops.back().status, NS_ERROR_CONNECTION_REFUSED);
    EXPECT_TRUE(ById(content, u"errorPage"));

    content->LoadURI(u"gopher://h/x", nsIWebNavigation::LOAD_FLAGS_NONE);
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_EQ(recorder->stops.back().status, NS_ERROR_UNKNOWN_PROTOCOL);
    EXPECT_EQ(recorder->stops.back().request, "gopher://h/x")
        << "a failed load still names its request";
    EXPECT_TRUE(ById(content, u"errorPage"));
    // The error pages are history entries like any page.
    PRBool can = PR_FALSE;
    content->GetCanGoBack(&can);
    EXPECT_TRUE(can);
}

// Consulted before every navigation; may refuse it.
class OpenGuard final : public nsSupportsImpl<OpenGuard, nsIURIContentListener> {
public:
    nsresult OnStartURIOpen(nsIURI* uri, PRBool* abort) override {
        std::string spec;
        uri->GetSpec(spec);
        opened.push_back(spec);
        *abort = spec.find("forbidden") != std::string::npos;
        return NS_OK;
    }
    nsresult GetProtocolHandler(nsIURI*, nsISupports**) override { return E_NOTIMPL; }
    nsresult DoContent(const char*, PRBool, nsIRequest*, nsIStreamListener**, PRBool*) override {
        return E_NOTIMPL;
    }
    nsresult IsPreferred(const char*, PRInt32, nsACString&, PRBool*) override { return E_NOTIMPL; }
    nsresult CanHandleContent(const char*, PRInt32, nsACString&, PRBool*) override {
        return E_NOTIMPL;
    }
    nsresult GetLoadCookie(nsISupports**) override { return E_NOTIMPL; }
    nsresult SetLoadCookie(nsISupports*) override { return E_NOTIMPL; }
    nsresult GetParentContentListener(nsIURIContentListener**) override { return E_NOTIMPL; }
    nsresult SetParentContentListener(nsIURIContentListener*) override { return E_NOTIMPL; }
    std::vector<std::string> opened;
};

TEST_F(BrowserTest, ChromeParentContentListenerHearsOfContentNavigations) {
    std::string a = Write("a.html", "<p>a</p>");
    BrowserWindow* window = Open(a);
    DocShell* chrome = window->ChromeShell();
    nsCOMPtr<nsIURIContentListener> previous;
    chrome->GetParentURIContentListener(getter_AddRefs(previous));
    EXPECT_FALSE(previous);
    nsCOMPtr<OpenGuard> guard(new OpenGuard);
    chrome->SetParentURIContentListener(guard);

    window->ContentShell()->LoadURI(u"forbidden.html", 0);
    app.WaitUntilIdle();
    EXPECT_EQ(window->ContentShell()->CurrentURL(), a) << "the refused navigation did not happen";
    window->ContentShell()->Reload(0);
    app.WaitUntilIdle();
    ASSERT_EQ(guard->opened.size(), 2u);
    EXPECT_NE(guard->opened[0].find("forbidden.html"), std::string::npos);
    EXPECT_EQ(guard->opened[1], a);
    chrome->SetParentURIContentListener(nullptr);
}

// Layout-dependent behaviour: what the simulated user does at screen points.
class UserTest : public BrowserTest {};

TEST_F(UserTest, CaptureListenerOnChromeWindowSeesAClickInAnInnerFrameFirst) {
    Write("inner.html", "<a id=link href='next.html'>next page</a>");
    Write("next.html", "<p id=next>next</p>");
    BrowserWindow* window = Open(
        Write("top.html", "<p>top</p><iframe src='inner.html' width=300 height=100></iframe>"));
    ASSERT_TRUE(window->ContentShell());
    ASSERT_EQ(window->ContentShell()->Children().size(), 1u);
    DocShell* frame = window->ContentShell()->Children()[0];
    dom::Element* link = ById(frame, u"link");
    ASSERT_TRUE(link);

    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> chromeListener(new EventLog(log, "chrome"));
    nsCOMPtr<nsIDOMEventListener> pageListener(new EventLog(log, "page"));
    nsCOMPtr<nsIDOMEventTarget> chromeTarget =
        do_QueryInterface(window->ChromeShell()->DOMWindow());
    ASSERT_TRUE(chromeTarget);
    chromeTarget->AddEventListener(u"click", chromeListener, PR_TRUE);
    nsCOMPtr<nsIDOMEventTarget> linkTarget = do_QueryInterface(link->AsDOMNode());
    linkTarget->AddEventListener(u"click", pageListener, PR_FALSE);

    auto center = app.ScreenCenterOf(*link);
    ASSERT_TRUE(center) << "the link has a box";
    Browser::Hit hit = app.HitTest(*center);
    EXPECT_EQ(hit.shell, frame);
    EXPECT_EQ(hit.element, link);
    ASSERT_TRUE(app.Click(*center));
    EXPECT_EQ(log, (std::vector<std::string>{"chrome:click", "page:click"}));

    // The link's default action loads the next page into the frame.
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_TRUE(ById(frame, u"next"));
    chromeTarget->RemoveEventListener(u"click", chromeListener, PR_TRUE);
}

TEST_F(UserTest, ClickTypeAndTabGiveTheBrowsersEventSequence) {
    BrowserWindow* window = Open(Write(
        "form.html", "<form action='done.html'><input id=name name=name type=text>"
                     "<input id=agree type=checkbox><select id=list><option>one</option>"
                     "<option>two</option></select><input id=go type=submit value=Go></form>"));
    Write("done.html", "<p id=done>done</p>");
    DocShell* content = window->ContentShell();
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> listener(new EventLog(log, "doc"));
    nsCOMPtr<nsIDOMEventTarget> document = do_QueryInterface(content->CurrentDocument());
    for (auto type : {u"mousedown", u"mouseup", u"click", u"focus", u"blur", u"change", u"submit"})
        document->AddEventListener(type, listener, PR_TRUE);

    dom::Element* name = ById(content, u"name");
    ASSERT_TRUE(name);
    auto center = app.ScreenCenterOf(*name);
    ASSERT_TRUE(center);
    ASSERT_TRUE(app.Click(*center));
    EXPECT_EQ(log,
              (std::vector<std::string>{"doc:mousedown", "doc:focus", "doc:mouseup", "doc:click"}));
    EXPECT_EQ(app.FocusedElement(), name);

    log.clear();
    ASSERT_TRUE(app.Type(u"Ann"));
    ASSERT_TRUE(app.PressTab());
    EXPECT_EQ(log, (std::vector<std::string>{"doc:change", "doc:blur", "doc:focus"}))
        << "change on leaving an edited field";
    nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(name->AsDOMNode());
    nsString value;
    input->GetValue(value);
    EXPECT_EQ(Narrow(value), "Ann");
    EXPECT_EQ(app.FocusedElement(), ById(content, u"agree"));

    // Leaving an unedited field gives no change.
    log.clear();
    ASSERT_TRUE(app.PressTab());
    EXPECT_EQ(log, (std::vector<std::string>{"doc:blur", "doc:focus"}));

    // A check box toggles on click.
    dom::Element* agree = ById(content, u"agree");
    auto box = app.ScreenCenterOf(*agree);
    ASSERT_TRUE(box);
    app.Click(*box);
    nsCOMPtr<nsIDOMHTMLInputElement> check = do_QueryInterface(agree->AsDOMNode());
    PRBool checked = PR_FALSE;
    check->GetChecked(&checked);
    EXPECT_TRUE(checked);
    app.Click(*box);
    check->GetChecked(&checked);
    EXPECT_FALSE(checked);

    // Choosing another list item changes the list; the same one does not.
    log.clear();
    dom::Element* list = ById(content, u"list");
    ASSERT_TRUE(app.ChooseListItem(*list, 1));
    EXPECT_EQ(std::count(log.begin(), log.end(), "doc:change"), 1);
    log.clear();
    ASSERT_TRUE(app.ChooseListItem(*list, 1));
    EXPECT_EQ(std::count(log.begin(), log.end(), "doc:change"), 0);
    EXPECT_FALSE(app.ChooseListItem(*list, 5));

    // The submit button submits the form with its fields.
    log.clear();
    auto go = app.ScreenCenterOf(*ById(content, u"go"));
    ASSERT_TRUE(go);
    app.Click(*go);
    EXPECT_EQ(std::count(log.begin(), log.end(), "doc:submit"), 1);
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_NE(content->CurrentURL().find("done.html?name=Ann"), std::string::npos)
        << content->CurrentURL();
}

// Notes the original target of the "change" events it hears.
class ChangeOrigin final : public nsSupportsImpl<ChangeOrigin, nsIDOMEventListener> {
public:
    nsresult HandleEvent(nsIDOMEvent* event) override {
        nsCOMPtr<nsIDOMNSUIEvent> ui = do_QueryInterface(event);
        EXPECT_TRUE(ui) << "a recorder reads the page position of every event";
        dom::Event* core = dom::Event::FromDOM(event);
        nsCOMPtr<nsIDOMHTMLInputElement> input =
            do_QueryInterface(core ? core->OriginalTarget() : nullptr);
        if (input) {
            nsString value;
            input->GetValue(value);
            values.push_back(Narrow(value));
        } else {
            values.push_back("(not an input)");
        }
        return NS_OK;
    }
    std::vector<std::string> values;
};

TEST_F(UserTest, ClickingAnOptionOfAMultipleListSelectsItAlone) {
    BrowserWindow* window =
        Open(Write("list.html", "<select id=list multiple size=3><option selected>a</option>"
                                "<option selected>b</option><option>c</option></select>"));
    DocShell* content = window->ContentShell();
    dom::Element* list = ById(content, u"list");
    ASSERT_TRUE(list);
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> listener(new EventLog(log, "list"));
    nsCOMPtr<nsIDOMEventTarget> target = do_QueryInterface(list->AsDOMNode());
    target->AddEventListener(u"change", listener, PR_FALSE);
    ASSERT_TRUE(app.ChooseListItem(*list, 2));
    EXPECT_EQ(log, std::vector<std::string>{"list:change"});
    nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(list->AsDOMNode());
    nsCOMPtr<nsIDOMHTMLCollection> options;
    select->GetOptions(getter_AddRefs(options));
    std::string selected;
    for (PRUint32 i = 0; i < 3; ++i) {
        nsCOMPtr<nsIDOMNode> node;
        options->Item(i, getter_AddRefs(node));
        nsCOMPtr<nsIDOMHTMLOptionElement> option = do_QueryInterface(node);
        PRBool is = PR_FALSE;
        option->GetSelected(&is);
        selected += is ? "1" : "0";
    }
    EXPECT_EQ(selected, "001");
    log.clear();
    ASSERT_TRUE(app.ChooseListItem(*list, 2));
    EXPECT_TRUE(log.empty()) << "the same choice again changes nothing";
}

TEST_F(UserTest, AddressFieldLoadsWhatIsEntered) {
    BrowserWindow* window = Open(Write("a.html", "<p>a</p>"));
    std::string b = Write("b.html", "<p id=b>b</p>");
    nsCOMPtr<ChangeOrigin> changes(new ChangeOrigin);
    nsCOMPtr<nsIDOMEventTarget> chrome = do_QueryInterface(window->ChromeShell()->DOMWindow());
    chrome->AddEventListener(u"change", changes, PR_TRUE);
    ASSERT_TRUE(app.EnterAddress(*window, dom::Utf16FromUtf8(b)));
    EXPECT_EQ(changes->values, std::vector<std::string>{b})
        << "the address field's change comes from its HTML input";
    chrome->RemoveEventListener(u"change", changes, PR_TRUE);
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_EQ(window->ContentShell()->CurrentURL(), b);
    EXPECT_TRUE(ById(window->ContentShell(), u"b"));
}

// Cancels the default action of every event it hears.
class Preventer final : public nsSupportsImpl<Preventer, nsIDOMEventListener> {
public:
    nsresult HandleEvent(nsIDOMEvent* event) override {
        event->PreventDefault();
        return NS_OK;
    }
};

TEST_F(UserTest, PlatformEventsReachContentWithTheirDefaultActions) {
    Write("next.html", "<p id=next>next</p>");
    BrowserWindow* window =
        Open(Write("page.html", "<a id=link href='next.html'>go</a><input id=box type=checkbox>"
                                "<form action='next.html'><input name=q value=v>"
                                "<input id=go type=submit></form>"));
    DocShell* content = window->ContentShell();
    nsCOMPtr<nsIPresShell> shell = NS_GetFirstPresShell(content->CurrentDocument());
    ASSERT_TRUE(shell);
    auto fire = [&](std::u16string_view id, PRUint32 message) {
        nsMouseEvent event;
        event.eventStructType = NS_MOUSE_EVENT;
        event.message = message;
        nsEventStatus status = nsEventStatus_eIgnore;
        EXPECT_EQ(shell->HandleDOMEventWithTarget(ById(content, id)->AsDOMNode(), &event,
                                                  NS_EVENT_FLAG_INIT, &status),
                  NS_OK);
        return status;
    };

    // A prevented click follows nothing.
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> preventer(new Preventer);
    nsCOMPtr<nsIDOMEventTarget> link = do_QueryInterface(ById(content, u"link")->AsDOMNode());
    link->AddEventListener(u"click", preventer, PR_FALSE);
    EXPECT_EQ(fire(u"link", NS_MOUSE_LEFT_CLICK), nsEventStatus_eConsumeNoDefault);
    app.WaitUntilIdle();
    EXPECT_FALSE(ById(content, u"next"));
    link->RemoveEventListener(u"click", preventer, PR_FALSE);

    // A check box toggles; a change event is only an event.
    fire(u"box", NS_MOUSE_LEFT_CLICK);
    nsCOMPtr<nsIDOMHTMLInputElement> box = do_QueryInterface(ById(content, u"box")->AsDOMNode());
    PRBool checked = PR_FALSE;
    box->GetChecked(&checked);
    EXPECT_TRUE(checked);
    nsCOMPtr<nsIDOMEventListener> changes(new EventLog(log, "box"));
    nsCOMPtr<nsIDOMEventTarget> boxTarget = do_QueryInterface(box);
    boxTarget->AddEventListener(u"change", changes, PR_FALSE);
    nsEvent change;
    change.message = NS_FORM_CHANGE;
    nsEventStatus status = nsEventStatus_eIgnore;
    shell->HandleDOMEventWithTarget(ById(content, u"box")->AsDOMNode(), &change, 1, &status);
    EXPECT_EQ(log, (std::vector<std::string>{"box:change"}));
    box->GetChecked(&checked);
    EXPECT_TRUE(checked);
    nsEvent unknown;
    unknown.message = 4242;
    EXPECT_EQ(
        shell->HandleDOMEventWithTarget(ById(content, u"box")->AsDOMNode(), &unknown, 1, &status),
        NS_ERROR_INVALID_ARG);

    // The activation after a click on a submit button submits its form.
    fire(u"go", NS_MOUSE_LEFT_CLICK);
    app.WaitUntilIdle();
    EXPECT_FALSE(ById(content, u"next")) << "a click alone does not submit";
    nsEvent activate;
    activate.message = NS_UI_ACTIVATE;
    shell->HandleDOMEventWithTarget(ById(content, u"go")->AsDOMNode(), &activate, 1, &status);
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_TRUE(ById(content, u"next")) << content->CurrentURL();
    EXPECT_NE(content->CurrentURL().find("next.html?q=v"), std::string::npos);

    // The link handler of the presentation follows links too.
    content->GoBack();
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_NE(fire(u"link", NS_MOUSE_LEFT_CLICK), nsEventStatus_eConsumeNoDefault)
        << "the old presentation still answers, without effect";
    shell = NS_GetFirstPresShell(content->CurrentDocument());
    fire(u"link", NS_MOUSE_LEFT_CLICK);
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_TRUE(ById(content, u"next"));
}

TEST_F(UserTest, FramesViewsFocusAndImageMapPoints) {
    Write("map.html", "<p id=map>map</p>");
    BrowserWindow* window =
        Open(Write("page.html",
                   "<input id=field><p id=gone style='display:none'>x</p>"
                   "<div id=scroller style='overflow:auto;height:50px;width:100px'>"
                   "<p>1</p><p>2</p><p>3</p><p>4</p><p>5</p><p>6</p></div>"
                   "<a href='map.html'><img id=ismap ismap src='x.gif' width=100 height=100></a>"));
    DocShell* content = window->ContentShell();
    nsCOMPtr<nsIPresShell> shell = NS_GetFirstPresShell(content->CurrentDocument());
    ASSERT_TRUE(shell);
    nsCOMPtr<nsIPresContext> context;
    shell->GetPresContext(getter_AddRefs(context));
    float toPixels = 0;
    context->GetTwipsToPixels(&toPixels);
    EXPECT_FLOAT_EQ(toPixels, 1.0f / 15.0f);

    // Focus is a content state of the event state manager.
    nsCOMPtr<nsIEventStateManager> states;
    context->GetEventStateManager(getter_AddRefs(states));
    nsIDOMNode* field = ById(content, u"field")->AsDOMNode();
    PRInt32 state = -1;
    states->GetContentState(field, &state);
    EXPECT_EQ(state & NS_EVENT_STATE_FOCUS, 0);
    states->SetFocusedContent(field);
    states->GetContentState(field, &state);
    EXPECT_NE(state & NS_EVENT_STATE_FOCUS, 0);

    // Elements that are not shown have no frame.
    nsCOMPtr<nsIFrame> frame;
    EXPECT_EQ(shell->GetPrimaryFrameFor(ById(content, u"gone")->AsDOMNode(), getter_AddRefs(frame)),
              NS_OK);
    EXPECT_FALSE(frame);

    // A scrolling division has a scrollable view of its own.
    shell->GetPrimaryFrameFor(ById(content, u"scroller")->AsDOMNode(), getter_AddRefs(frame));
    ASSERT_TRUE(frame);
    nsCOMPtr<nsIView> view;
    frame->GetView(getter_AddRefs(view));
    nsCOMPtr<nsIScrollableView> scrollable = do_QueryInterface(view);
    ASSERT_TRUE(scrollable);
    EXPECT_EQ(scrollable->ScrollTo(0, 20 * 15, NS_VMREFRESH_NO_SYNC), NS_OK);
    nscoord x = -1, y = -1;
    scrollable->GetScrollPosition(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 20 * 15);
    nsCOMPtr<nsIDOMNSHTMLElement> scroller =
        do_QueryInterface(ById(content, u"scroller")->AsDOMNode());
    PRInt32 top = 0;
    scroller->GetScrollTop(&top);
    EXPECT_EQ(top, 20);

    // A server-side image map inside a link sends the point its frame was hit at.
    shell->GetPrimaryFrameFor(ById(content, u"ismap")->AsDOMNode(), getter_AddRefs(frame));
    ASSERT_TRUE(frame);
    nsGUIEvent hit;
    hit.eventStructType = NS_GUI_EVENT;
    hit.message = NS_MOUSE_LEFT_BUTTON_UP;
    hit.point = {10 * 15, 20 * 15};
    nsEventStatus status = nsEventStatus_eIgnore;
    frame->HandleEvent(context, &hit, &status);
    nsMouseEvent click;
    click.eventStructType = NS_MOUSE_EVENT;
    click.message = NS_MOUSE_LEFT_CLICK;
    shell->HandleDOMEventWithTarget(ById(content, u"ismap")->AsDOMNode(), &click, 1, &status);
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_NE(content->CurrentURL().find("map.html?10,20"), std::string::npos)
        << content->CurrentURL();
}

TEST_F(UserTest, RightClickDoubleClickAndPointerMoves) {
    Write("next.html", "<p id=next>next</p>");
    BrowserWindow* window =
        Open(Write("page.html", "<p id=one>first paragraph</p><a id=link href='next.html'>go</a>"));
    DocShell* content = window->ContentShell();
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> listener(new EventLog(log, "doc"));
    nsCOMPtr<nsIDOMEventTarget> document = do_QueryInterface(content->CurrentDocument());
    for (auto type : {u"mousedown", u"mouseup", u"click", u"dblclick", u"mouseover", u"mouseout",
                      u"contextmenu"})
        document->AddEventListener(type, listener, PR_FALSE);
    auto one = app.ScreenCenterOf(*ById(content, u"one"));
    auto link = app.ScreenCenterOf(*ById(content, u"link"));
    ASSERT_TRUE(one && link);

    ASSERT_TRUE(app.MoveTo(*one));
    ASSERT_TRUE(app.MoveTo(*link));
    EXPECT_EQ(log, (std::vector<std::string>{"doc:mouseover", "doc:mouseout", "doc:mouseover"}));
    nsString over;
    content->GetOverLink(over);
    EXPECT_NE(Narrow(over).find("next.html"), std::string::npos);

    log.clear();
    ASSERT_TRUE(app.Click(*link, browser::MouseButton::Right));
    EXPECT_EQ(log, (std::vector<std::string>{"doc:mousedown", "doc:mouseup", "doc:click",
                                             "doc:contextmenu"}));
    app.WaitUntilIdle();
    EXPECT_FALSE(ById(content, u"next")) << "a right click follows no link";

    app.MoveTo(*one);
    log.clear();
    ASSERT_TRUE(app.DoubleClick(*one));
    EXPECT_EQ(
        log, (std::vector<std::string>{"doc:mousedown", "doc:mouseup", "doc:click", "doc:mousedown",
                                       "doc:mouseup", "doc:click", "doc:dblclick"}));
    // Nothing under the point: nothing to click.
    EXPECT_FALSE(app.Click(POINT{-5000, -5000}));
}

TEST_F(BrowserTest, ProgressListenersOfferingWeakReferencesAreDroppedWhenGone) {
    class WeakRecorder final
        : public nsSupportsImpl<WeakRecorder, nsIWebProgressListener, nsSupportsWeakReference> {
    public:
        explicit WeakRecorder(int& calls) : m_calls(calls) {}
        nsresult OnStateChange(nsIWebProgress*, nsIRequest*, PRUint32, nsresult) override {
            ++m_calls;
            return NS_OK;
        }
        nsresult OnProgressChange(nsIWebProgress*, nsIRequest*, PRInt32, PRInt32, PRInt32,
                                  PRInt32) override {
            return NS_OK;
        }
        nsresult OnLocationChange(nsIWebProgress*, nsIRequest*, nsIURI*) override { return NS_OK; }
        nsresult OnStatusChange(nsIWebProgress*, nsIRequest*, nsresult, const nsAString&) override {
            return NS_OK;
        }
        nsresult OnSecurityChange(nsIWebProgress*, nsIRequest*, PRUint32) override { return NS_OK; }

    private:
        int& m_calls;
    };
    int calls = 0;
    nsCOMPtr<WeakRecorder> weak(new WeakRecorder(calls));
    app.Loader().AddProgressListener(weak);
    app.Loader().AddProgressListener(weak); // once only
    Open(Write("a.html", "<p>a</p>"));
    EXPECT_EQ(calls, 4) << "start and stop of the chrome and of the page";
    weak = nullptr; // the loader held it weakly: it is gone now
    BrowserWindow* window = app.Windows().back().get();
    window->ContentShell()->Reload(0);
    EXPECT_TRUE(app.WaitUntilIdle());
    EXPECT_EQ(app.Loader().RemoveProgressListener(recorder), NS_OK);
    EXPECT_EQ(app.Loader().RemoveProgressListener(recorder), NS_ERROR_FAILURE);
}

TEST_F(BrowserTest, ClosedWindowTakesItsShellsAlong) {
    BrowserWindow* window = Open(Write("a.html", "<iframe src='about:blank'></iframe>"));
    nsCOMPtr<nsIDOMWindow> content;
    window->ContentShell()->GetDOMWindow(getter_AddRefs(content));
    HWND handle = window->Handle();
    nsCOMPtr<nsIDocShell> shell = window->ContentShell();
    window->ContentShell()->Reload(0); // still loading when it closes
    SendMessage(handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_TRUE(app.WaitUntilIdle(2000)) << "a closed window does not keep the browser busy";
    app.PruneClosedWindows();
    EXPECT_TRUE(app.Windows().empty());
    // What the agent may still hold answers safely.
    nsCOMPtr<nsIDOMWindow> after;
    shell->GetDOMWindow(getter_AddRefs(after));
    EXPECT_FALSE(after);
    nsCOMPtr<nsIDOMWindowInternal> internal = do_QueryInterface(content);
    HWND native = reinterpret_cast<HWND>(1);
    internal->GetNativeWindow(&native);
    EXPECT_EQ(native, nullptr);
}

} // namespace

// A division that does not scroll has no view and no scroll of its own: no
// interface reaches the window's scroll through it. A scrolling division's
// scroll, moved by the page or through its view, moves the frame and plug-in
// windows laid out inside it, and never the window.
class ScrollTest : public UserTest {
protected:
    static RECT RectInParent(HWND window) {
        RECT rect{}, parent{};
        GetWindowRect(window, &rect);
        GetWindowRect(GetParent(window), &parent);
        return RECT{rect.left - parent.left, rect.top - parent.top, rect.right - parent.left,
                    rect.bottom - parent.top};
    }
    static PRInt32 Scroll(DocShell* content, std::u16string_view id) {
        nsCOMPtr<nsIDOMNSHTMLElement> element = do_QueryInterface(ById(content, id)->AsDOMNode());
        PRInt32 top = -1;
        element->GetScrollTop(&top);
        return top;
    }
    static void SetScroll(DocShell* content, std::u16string_view id, PRInt32 top) {
        nsCOMPtr<nsIDOMNSHTMLElement> element = do_QueryInterface(ById(content, id)->AsDOMNode());
        element->SetScrollTop(top);
    }
    nsCOMPtr<nsIFrame> FrameOf(nsIPresShell* shell, DocShell* content, std::u16string_view id) {
        nsCOMPtr<nsIFrame> frame;
        shell->GetPrimaryFrameFor(ById(content, id)->AsDOMNode(), getter_AddRefs(frame));
        return frame;
    }
};

TEST_F(ScrollTest, DivisionWithoutOverflowNeverReadsOrMovesTheWindowScroll) {
    BrowserWindow* window = Open(
        Write("page.html", "<div id=plain style='height:40px'>plain</div>"
                           "<div id=clipped style='overflow:auto'>no height, no scrolling</div>"
                           "<div id=tall style='height:3000px'>tall</div>"));
    DocShell* content = window->ContentShell();
    nsCOMPtr<nsIPresShell> shell = NS_GetFirstPresShell(content->CurrentDocument());
    ASSERT_TRUE(shell);
    nsCOMPtr<nsIDOMNSHTMLElement> body =
        do_QueryInterface(DocumentOf(content)->Body()->AsDOMNode());
    ASSERT_TRUE(body);
    body->SetScrollTop(30);
    PRInt32 windowTop = -1;
    body->GetScrollTop(&windowTop);
    ASSERT_EQ(windowTop, 30) << "the page must scroll for this test to mean anything";

    for (std::u16string_view id : {u"plain", u"clipped"}) {
        nsCOMPtr<nsIFrame> frame = FrameOf(shell, content, id);
        ASSERT_TRUE(frame);
        nsCOMPtr<nsIView> view;
        EXPECT_EQ(frame->GetView(getter_AddRefs(view)), NS_OK);
        EXPECT_FALSE(view) << "a division that does not scroll has no view of its own";
        // Even asked directly, its frame answers no scroll and moves none.
        nsCOMPtr<nsIScrollableView> scrollable = do_QueryInterface(frame);
        ASSERT_TRUE(scrollable);
        nscoord x = -1, y = -1;
        EXPECT_TRUE(NS_FAILED(scrollable->GetScrollPosition(&x, &y)));
        EXPECT_TRUE(NS_FAILED(scrollable->ScrollTo(0, 90 * 15, 2)));
        // Through the DOM the division reads no scroll and keeps none.
        SetScroll(content, id, 50);
        EXPECT_EQ(Scroll(content, id), 0);
        body->GetScrollTop(&windowTop);
        EXPECT_EQ(windowTop, 30) << "the window's scroll moved through a division";
    }

    // BODY shows in the window's root view: its scroll is the window's.
    nsCOMPtr<nsIFrame> bodyFrame;
    shell->GetPrimaryFrameFor(DocumentOf(content)->Body()->AsDOMNode(), getter_AddRefs(bodyFrame));
    ASSERT_TRUE(bodyFrame);
    nsCOMPtr<nsIView> rootView, bodyView;
    nsCOMPtr<nsIViewManager> views;
    shell->GetViewManager(getter_AddRefs(views));
    views->GetRootView(getter_AddRefs(rootView));
    bodyFrame->GetView(getter_AddRefs(bodyView));
    EXPECT_EQ(bodyView, rootView);
}

TEST_F(ScrollTest, ScrollingDivisionMovesTheFrameAndPluginWindowsInsideIt) {
    Write("inner.html", "<p>inner</p>");
    BrowserWindow* window = Open(
        Write("page.html",
              "<div id=scroller style='overflow:auto;height:100px;width:400px'>"
              "<p>1</p><p>2</p><iframe id=inner src='inner.html' width=100 height=50></iframe>"
              "<embed id=plugin width=20 height=20><p>3</p><p>4</p><p>5</p><p>6</p><p>7</p></div>"
              "<div style='height:3000px'>tall</div>"));
    DocShell* content = window->ContentShell();
    ASSERT_EQ(content->Children().size(), 1u);
    ASSERT_EQ(content->PluginWindows().size(), 1u);
    HWND frame = content->Children()[0]->NativeWindow();
    HWND plugin = content->PluginWindows()[0];
    RECT frameBefore = RectInParent(frame), pluginBefore = RectInParent(plugin);

    // Moved by the page's script.
    SetScroll(content, u"scroller", 20);
    ASSERT_EQ(Scroll(content, u"scroller"), 20);
    EXPECT_EQ(RectInParent(frame).top, frameBefore.top - 20);
    EXPECT_EQ(RectInParent(plugin).top, pluginBefore.top - 20);
    EXPECT_EQ(RectInParent(frame).left, frameBefore.left);

    // Moved through the division's own scrollable view.
    nsCOMPtr<nsIPresShell> shell = NS_GetFirstPresShell(content->CurrentDocument());
    nsCOMPtr<nsIFrame> layoutFrame = FrameOf(shell, content, u"scroller");
    ASSERT_TRUE(layoutFrame);
    nsCOMPtr<nsIView> view;
    layoutFrame->GetView(getter_AddRefs(view));
    nsCOMPtr<nsIScrollableView> scrollable = do_QueryInterface(view);
    ASSERT_TRUE(scrollable);
    EXPECT_EQ(scrollable->ScrollTo(0, 35 * 15, 2), NS_OK);
    EXPECT_EQ(RectInParent(frame).top, frameBefore.top - 35);
    EXPECT_EQ(RectInParent(plugin).top, pluginBefore.top - 35);

    // The window did not move.
    nsCOMPtr<nsIDOMNSHTMLElement> body =
        do_QueryInterface(DocumentOf(content)->Body()->AsDOMNode());
    PRInt32 windowTop = -1;
    body->GetScrollTop(&windowTop);
    EXPECT_EQ(windowTop, 0);
}

// Selection lists are native controls of the document's window, as on the
// desktop the browser was made for: a list's handle is the child window
// under its corner, and a disabled list's window is skipped by the window
// under a point, but not by the child window under a point.
TEST_F(ScrollTest, SelectionListsHaveNativeChildWindowsWhereTheyAreLaidOut) {
    BrowserWindow* window = Open(
        Write("page.html", "<select id=box size=3><option>a<option>b<option>c<option>d</select>"
                           "<select id=drop><option>one<option>two</select>"
                           "<select id=off disabled><option>x</select>"
                           "<div style='height:3000px'>tall</div>"));
    DocShell* content = window->ContentShell();
    std::vector<HWND> lists = content->ListWindows();
    ASSERT_EQ(lists.size(), 3u);
    char name[64];
    const char* kinds[] = {"ListBox", "ComboBox", "ComboBox"};
    const char16_t* ids[] = {u"box", u"drop", u"off"};
    for (size_t k = 0; k < 3; ++k) {
        GetClassName(lists[k], name, sizeof name);
        EXPECT_STREQ(name, kinds[k]);
        EXPECT_EQ(GetParent(lists[k]), content->NativeWindow());
        RECT laid = content->Presentation()->ClientRect(*ById(content, ids[k])).value();
        RECT placed = RectInParent(lists[k]);
        EXPECT_EQ(placed.left, laid.left);
        EXPECT_EQ(placed.top, laid.top);
        EXPECT_EQ(placed.right, laid.right);
        EXPECT_EQ(placed.bottom, laid.bottom);
    }
    auto corner = [&](size_t k) {
        RECT laid = content->Presentation()->ClientRect(*ById(content, ids[k])).value();
        POINT point{laid.left + 5, laid.top + 5};
        return point;
    };
    for (size_t k = 0; k < 2; ++k) {
        POINT screen = corner(k);
        ClientToScreen(content->NativeWindow(), &screen);
        EXPECT_EQ(WindowFromPoint(screen), lists[k]);
    }
    EXPECT_FALSE(IsWindowEnabled(lists[2]));
    POINT screen = corner(2);
    ClientToScreen(content->NativeWindow(), &screen);
    EXPECT_EQ(WindowFromPoint(screen), content->NativeWindow());
    EXPECT_EQ(ChildWindowFromPoint(content->NativeWindow(), corner(2)), lists[2]);

    // Scrolling the window moves them with their lists.
    RECT before = RectInParent(lists[0]);
    nsCOMPtr<nsIDOMNSHTMLElement> body =
        do_QueryInterface(DocumentOf(content)->Body()->AsDOMNode());
    body->SetScrollTop(7);
    EXPECT_EQ(RectInParent(lists[0]).top, before.top - 7);

    // A click on an option goes through the list's window to the list.
    body->SetScrollTop(0);
    dom::Element* box = ById(content, u"box");
    RECT boxRect = content->Presentation()->ClientRect(*box).value();
    POINT second{boxRect.left + 8, boxRect.top + 4 + 20};
    ClientToScreen(content->NativeWindow(), &second);
    ASSERT_TRUE(app.Click(second));
    nsCOMPtr<nsIDOMHTMLSelectElement> select = do_QueryInterface(box->AsDOMNode());
    PRInt32 index = -1;
    select->GetSelectedIndex(&index);
    EXPECT_EQ(index, 1);

    // A new document takes the old lists' windows along.
    window->ContentShell()->StartLoad(Write("empty.html", "<p>none</p>"),
                                      DocShell::HistoryMode::Add);
    ASSERT_TRUE(app.WaitUntilIdle());
    EXPECT_TRUE(content->ListWindows().empty());
    for (HWND list : lists)
        EXPECT_FALSE(IsWindow(list));
}

TEST_F(UserTest, ChromeTextBoxReadThroughItsInterfaceHasWhatWasTyped) {
    BrowserWindow* window = Open(Write("a.html", "<p>a</p>"));
    dom::Element* urlbar = window->ChromeElement(u"urlbar");
    ASSERT_TRUE(urlbar);
    nsCOMPtr<nsIDOMXULTextBoxElement> box = do_QueryInterface(urlbar->AsDOMNode());
    ASSERT_TRUE(box);
    nsString before, attribute;
    box->GetValue(before);
    auto center = app.ScreenCenterOf(*urlbar);
    ASSERT_TRUE(center);
    ASSERT_TRUE(app.Click(*center));
    ASSERT_TRUE(app.Type(u"/typed"));
    nsString value;
    box->GetValue(value);
    EXPECT_EQ(Narrow(value), Narrow(before) + "/typed");
    // The attribute only seeds the anonymous input: it does not follow typing.
    box->GetAttribute(u"value", attribute);
    EXPECT_EQ(attribute.find(u"typed"), nsString::npos);
}

TEST_F(BrowserTest, ContentOffersItsBaseAddressAndFramesLoadFromIt) {
    // Address objects come from the I/O service, which the browser registers
    // with the component framework while it runs.
    app.Shutdown();
    ASSERT_EQ(NS_InitXPCOM(nsXPCOMOptions{}), NS_OK);
    ASSERT_EQ(app.Start(), NS_OK);
    struct StopFramework {
        Browser& app;
        ~StopFramework() {
            app.Shutdown();
            NS_ShutdownXPCOM();
            app.Start();
        }
    } stop{app};
    std::filesystem::path dir =
        std::filesystem::path(*browser::FilePathFromURI(Write("probe.html", ""))).parent_path();
    std::filesystem::create_directories(dir / "sub");
    Write("sub/inner.html", "<p id=here>from the base folder</p>");
    Write("inner.html", "<p id=wrong>beside the page</p>");
    std::string base = browser::URIFromFilePath((dir / "sub").string()) + "/";
    BrowserWindow* window =
        Open(Write("page.html", "<head><base href='" + base +
                                    "'></head><iframe src='inner.html'></iframe><img id=img "
                                    "src='pic.gif'>"));
    DocShell* content = window->ContentShell();
    ASSERT_EQ(content->Children().size(), 1u);
    EXPECT_TRUE(ById(content->Children()[0], u"here")) << "the frame's source resolves on the base";

    nsCOMPtr<nsIContent> image = do_QueryInterface(ById(content, u"img")->AsDOMNode());
    ASSERT_TRUE(image);
    nsCOMPtr<nsIURI> uri;
    ASSERT_EQ(image->GetBaseURL(getter_AddRefs(uri)), NS_OK);
    ASSERT_TRUE(uri);
    std::string spec, resolved;
    uri->GetSpec(spec);
    EXPECT_EQ(spec, base);
    uri->Resolve("pic.gif", resolved);
    EXPECT_EQ(resolved, base + "pic.gif");
    // The document itself offers the same base.
    nsCOMPtr<nsIContent> document = do_QueryInterface(content->CurrentDocument());
    ASSERT_TRUE(document);
    nsCOMPtr<nsIURI> again;
    document->GetBaseURL(getter_AddRefs(again));
    ASSERT_TRUE(again);
    again->GetSpec(spec);
    EXPECT_EQ(spec, base);
}

// Counts the change events that reach a capture listener, by target id.
class ChangeCounter final : public nsSupportsImpl<ChangeCounter, nsIDOMEventListener> {
public:
    nsresult HandleEvent(nsIDOMEvent* event) override {
        nsCOMPtr<nsIDOMEventTarget> target;
        event->GetTarget(getter_AddRefs(target));
        nsCOMPtr<nsIDOMElement> element = do_QueryInterface(target);
        nsString id;
        if (element)
            element->GetAttribute(u"id", id);
        targets.push_back(Narrow(id));
        return NS_OK;
    }
    std::vector<std::string> targets;
};

TEST_F(UserTest, AddressFieldChangeOffersItsInputAsOriginalTarget) {
    BrowserWindow* window = Open(Write("a.html", "<p>a</p>"));
    std::string b = Write("b.html", "<p>b</p>");
    class Origin final : public nsSupportsImpl<Origin, nsIDOMEventListener> {
    public:
        nsresult HandleEvent(nsIDOMEvent* event) override {
            nsCOMPtr<nsIDOMEventTarget> target, original;
            event->GetTarget(getter_AddRefs(target));
            nsCOMPtr<nsIDOMNSEvent> ns = do_QueryInterface(event);
            EXPECT_TRUE(ns) << "every event offers its original target";
            if (ns)
                ns->GetOriginalTarget(getter_AddRefs(original));
            targetIsTextBox = nsCOMPtr<nsIDOMXULTextBoxElement>(do_QueryInterface(target));
            originalIsInput = nsCOMPtr<nsIDOMHTMLInputElement>(do_QueryInterface(original));
            return NS_OK;
        }
        bool targetIsTextBox = false, originalIsInput = false;
    };
    nsCOMPtr<Origin> origin(new Origin);
    nsCOMPtr<nsIDOMEventTarget> chrome = do_QueryInterface(window->ChromeShell()->DOMWindow());
    chrome->AddEventListener(u"change", origin, PR_TRUE);
    ASSERT_TRUE(app.EnterAddress(*window, dom::Utf16FromUtf8(b)));
    chrome->RemoveEventListener(u"change", origin, PR_TRUE);
    EXPECT_TRUE(origin->targetIsTextBox) << "listeners outside see the text box";
    EXPECT_TRUE(origin->originalIsInput) << "the original target is its anonymous input";
}

TEST_F(UserTest, ClickOnCheckBoxOrRadioFiresChangeAsTheElementsOwnClick) {
    BrowserWindow* window = Open(Write(
        "form.html", "<input type=checkbox id=box><input type=checkbox id=off disabled>"
                     "<input type=radio name=r id=r1 checked><input type=radio name=r id=r2>"));
    DocShell* content = window->ContentShell();
    nsCOMPtr<ChangeCounter> changes(new ChangeCounter);
    nsCOMPtr<nsIDOMEventTarget> chrome = do_QueryInterface(window->ChromeShell()->DOMWindow());
    chrome->AddEventListener(u"change", changes, PR_TRUE);
    auto click = [&](std::u16string_view id) {
        auto center = app.ScreenCenterOf(*ById(content, id));
        ASSERT_TRUE(center);
        ASSERT_TRUE(app.Click(*center));
    };
    auto checked = [&](std::u16string_view id) {
        nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(ById(content, id)->AsDOMNode());
        PRBool value = PR_FALSE;
        input->GetChecked(&value);
        return bool(value);
    };
    click(u"box");
    EXPECT_TRUE(checked(u"box"));
    click(u"box");
    EXPECT_FALSE(checked(u"box"));
    click(u"off");
    EXPECT_FALSE(checked(u"off")) << "a disabled box does not change";
    click(u"r1"); // already checked: no change
    click(u"r2");
    EXPECT_TRUE(checked(u"r2"));
    EXPECT_FALSE(checked(u"r1"));
    chrome->RemoveEventListener(u"change", changes, PR_TRUE);
    EXPECT_EQ(changes->targets, (std::vector<std::string>{"box", "box", "r2"}));

    // The element's own click gives the same events.
    changes->targets.clear();
    chrome->AddEventListener(u"change", changes, PR_TRUE);
    nsCOMPtr<nsIDOMHTMLInputElement> box = do_QueryInterface(ById(content, u"box")->AsDOMNode());
    box->Click();
    chrome->RemoveEventListener(u"change", changes, PR_TRUE);
    EXPECT_EQ(changes->targets, (std::vector<std::string>{"box"}));
}

TEST_F(UserTest, FocusMovedThroughTheDOMKeepsTheUsersFieldRecord) {
    BrowserWindow* window =
        Open(Write("form.html", "<input id=a><input id=b value=start><input id=c>"));
    DocShell* content = window->ContentShell();
    nsCOMPtr<ChangeCounter> changes(new ChangeCounter);
    nsCOMPtr<nsIDOMEventTarget> chrome = do_QueryInterface(window->ChromeShell()->DOMWindow());
    chrome->AddEventListener(u"change", changes, PR_TRUE);
    auto input = [&](std::u16string_view id) {
        nsCOMPtr<nsIDOMHTMLInputElement> field = do_QueryInterface(ById(content, id)->AsDOMNode());
        return field;
    };
    auto click = [&](std::u16string_view id) {
        auto center = app.ScreenCenterOf(*ById(content, id));
        ASSERT_TRUE(center);
        ASSERT_TRUE(app.Click(*center));
    };

    // The user edits a; the agent focuses b: a tells of its edit once.
    click(u"a");
    ASSERT_TRUE(app.Type(u"x"));
    input(u"b")->Focus();
    EXPECT_EQ(changes->targets, (std::vector<std::string>{"a"}));
    EXPECT_EQ(app.FocusedElement(), ById(content, u"b"));

    // Typing now goes to b and compares against b's value when it got the
    // focus, not a's: leaving b after typing tells of b's edit.
    ASSERT_TRUE(app.Type(u"!"));
    nsString value;
    input(u"b")->GetValue(value);
    EXPECT_EQ(Narrow(value), "start!");
    click(u"c");
    EXPECT_EQ(changes->targets, (std::vector<std::string>{"a", "b"}));

    // Focused by the agent and left untouched: no change.
    input(u"a")->Focus();
    click(u"c");
    input(u"a")->Blur();
    EXPECT_EQ(changes->targets, (std::vector<std::string>{"a", "b"}));
    chrome->RemoveEventListener(u"change", changes, PR_TRUE);
}

// Pages that frame themselves, directly or through each other, load each
// frame once: a frame never shows the address of a document around it, and
// frames nest only DocShell::kMaxFrameDepth deep.
size_t ShellCount(DocShell* shell) {
    size_t count = 1;
    for (DocShell* child : shell->Children())
        count += ShellCount(child);
    return count;
}

TEST_F(BrowserTest, SelfFramingPageLeavesItsInnerFrameEmpty) {
    BrowserWindow* window =
        Open(Write("self.html", "<p>me</p><iframe src='self.html#again'></iframe>"));
    DocShell* content = window->ContentShell();
    ASSERT_EQ(content->Children().size(), 1u);
    DocShell* inner = content->Children()[0];
    EXPECT_EQ(inner->CurrentURL(), "about:blank");
    EXPECT_TRUE(inner->Children().empty());
    EXPECT_FALSE(content->IsBusyInTree());
}

TEST_F(BrowserTest, MutualFramesetsStopAtTheFirstRepeat) {
    Write("b.html",
          "<frameset cols='50%,*'><frame src='a.html'><frame src='leaf.html'></frameset>");
    Write("leaf.html", "<p>leaf</p>");
    BrowserWindow* window = Open(Write(
        "a.html", "<frameset rows='50%,*'><frame src='b.html'><frame src='leaf.html'></frameset>"));
    DocShell* content = window->ContentShell();
    // a: b and leaf; b: a (refused, empty) and leaf.
    EXPECT_EQ(ShellCount(content), 5u);
    ASSERT_EQ(content->Children().size(), 2u);
    DocShell* b = content->Children()[0];
    ASSERT_EQ(b->Children().size(), 2u);
    EXPECT_EQ(b->Children()[0]->CurrentURL(), "about:blank");
    EXPECT_NE(b->Children()[1]->CurrentURL().find("leaf.html"), std::string::npos);
}

TEST_F(BrowserTest, FrameNestingStopsAtTheDepthCap) {
    const int levels = DocShell::kMaxFrameDepth + 5;
    for (int level = 0; level < levels; ++level)
        Write("level" + std::to_string(level) + ".html",
              "<iframe src='level" + std::to_string(level + 1) + ".html'></iframe>");
    BrowserWindow* window = Open(Write("top.html", "<iframe src='level0.html'></iframe>"));
    int depth = 0;
    DocShell* shell = window->ContentShell();
    while (!shell->Children().empty() && shell->Children()[0]->CurrentURL() != "about:blank") {
        shell = shell->Children()[0];
        ++depth;
    }
    EXPECT_EQ(depth, DocShell::kMaxFrameDepth);
    EXPECT_FALSE(window->ContentShell()->IsBusyInTree());
}

TEST_F(UserTest, TypingAppendsToWhatTheControlHolds) {
    BrowserWindow* window =
        Open(Write("form.html", "<input id=field value=pre><textarea id=area>old</textarea>"
                                "<input type=password id=secret><input type=file id=upload>"));
    DocShell* content = window->ContentShell();
    auto typeInto = [&](std::u16string_view id, std::u16string_view text) {
        auto center = app.ScreenCenterOf(*ById(content, id));
        ASSERT_TRUE(center);
        ASSERT_TRUE(app.Click(*center));
        app.Type(text);
    };
    auto valueOf = [&](std::u16string_view id) {
        nsString value;
        nsCOMPtr<nsIDOMNode> node = ById(content, id)->AsDOMNode();
        if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(node))
            input->GetValue(value);
        else if (nsCOMPtr<nsIDOMHTMLTextAreaElement> area = do_QueryInterface(node))
            area->GetValue(value);
        return Narrow(value);
    };
    typeInto(u"field", u"fix");
    EXPECT_EQ(valueOf(u"field"), "prefix");
    typeInto(u"area", u"er\nline");
    EXPECT_EQ(valueOf(u"area"), "older\nline");
    typeInto(u"secret", std::u16string(5000, u'*'));
    EXPECT_EQ(valueOf(u"secret"), std::string(5000, '*'));
    typeInto(u"upload", u"/etc/passwd");
    EXPECT_EQ(valueOf(u"upload"), "") << "a page's user picks the file, typing does not";
    // A value the page set is where typing goes on.
    nsCOMPtr<nsIDOMHTMLInputElement> field =
        do_QueryInterface(ById(content, u"field")->AsDOMNode());
    field->SetValue(u"set");
    typeInto(u"field", u"!");
    EXPECT_EQ(valueOf(u"field"), "set!");
}

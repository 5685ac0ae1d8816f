// Browser objects on real browser windows of the simulated browser: the
// main chrome with its toolbar, a content area and document shells.
#include "agent/channel/RequestArgs.h"
#include "agent/common/WindowHelpers.h"
#include "agent/host/TrapTestSupport.h"
#include "agent/model/CNS6Browser.h"
#include "platform/browser/dom/Element.h"
#include "platform/browser/shell/Browser.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class BrowserOnShell : public traptest::TrapStateTest {
protected:
    void SetUp() override {
        TrapStateTest::SetUp();
        ASSERT_EQ(m_App.Start(), NS_OK);
        m_Window = m_App.OpenWindow("data:text/html,<p>Hello</p>");
        ASSERT_NE(m_Window, nullptr);
        ASSERT_TRUE(m_App.WaitUntilIdle());
        m_Handle = Trap().GetOrCreateBrowser(m_Window->Handle(), ChromeDom());
        ASSERT_TRUE(m_Handle.IsValid());
    }
    void TearDown() override {
        m_Handle = {};
        TrapStateTest::TearDown();
        m_App.Shutdown();
    }

    nsIDOMWindow* ChromeDom() { return m_Window->ChromeShell()->DOMWindow(); }
    CNS6Browser& Browser() { return *static_cast<CNS6Browser*>(m_Handle.Get()); }

    // The element that a point in the middle of a rectangle falls on.
    dom::Element* ElementAtCenter(const RECT& rect) {
        POINT center{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        return m_App.HitTest(center).element;
    }

    std::optional<RECT> ToolBarRect(std::string_view command) {
        CWebInfo request;
        AppendString(request, "command", command);
        EXPECT_TRUE(Browser().CallMethod("GetToolBarRect", request));
        const CWebVariant* rect = TypedArg(request, "rect", WebVariantType::Rect);
        if (request.GetRetValue() != NS_OK || rect == nullptr) {
            return std::nullopt;
        }
        return rect->GetRect();
    }

    browser::Browser m_App;
    browser::BrowserWindow* m_Window = nullptr;
    CWebObjRef m_Handle;
};

TEST_F(BrowserOnShell, ToolBarRectOfBackCoversTheBackButton) {
    std::optional<RECT> back = ToolBarRect("Back");
    ASSERT_TRUE(back.has_value());
    EXPECT_LT(back->left, back->right);
    EXPECT_LT(back->top, back->bottom);
    dom::Element* button = m_Window->ChromeElement(u"back-button");
    ASSERT_NE(button, nullptr);
    // The point may fall on the button's label inside it.
    dom::Node* hit = ElementAtCenter(*back);
    while (hit != nullptr && hit != button) {
        hit = hit->Parent();
    }
    EXPECT_EQ(hit, button);
}

TEST_F(BrowserOnShell, ToolBarRectOfStopFailsThoughTheChromeHasAStopButton) {
    ASSERT_NE(m_Window->ChromeElement(u"stop-button"), nullptr);
    CWebInfo request;
    AppendString(request, "command", "Stop");
    EXPECT_TRUE(Browser().CallMethod("GetToolBarRect", request));
    EXPECT_EQ(request.GetRetValue(), E_FAIL);
    EXPECT_EQ(request.FindAttr("rect"), nullptr);
}

TEST_F(BrowserOnShell, ContentWindowIsThePrimaryContentShellsWindow) {
    ASSERT_NE(m_Window->ContentShell(), nullptr);
    nsIDOMWindow* expected = m_Window->ContentShell()->DOMWindow();
    EXPECT_EQ(Browser().GetContentWindow(), expected);
    EXPECT_EQ(Browser().GetContentWindow(), expected);
}

TEST_F(BrowserOnShell, ClosedBrowserWindowIsNotAliveAndIsPurged) {
    EXPECT_TRUE(Browser().IsAlive());
    m_Window->Close();
    EXPECT_FALSE(Browser().IsAlive());
    EXPECT_FALSE(Browser().GetChild(1).IsValid());
    Trap().PurgeClosedBrowsers();
    EXPECT_FALSE(m_Handle.IsValid());
}

TEST_F(BrowserOnShell, PageOfTheContentAreaIsMadeOnceAndIsTheFirstChild) {
    nsIDOMWindow* content = m_Window->ContentShell()->DOMWindow();
    CWebObjRef page = Browser().GetChild(1);
    ASSERT_TRUE(page.IsValid());
    const int32_t contentHandle = static_cast<int32_t>(HandleToULong(GetNativeWindow(content)));
    EXPECT_EQ(page->RunTimeID(), CWebRunTimeID(Browser().GetWindowValue(), contentHandle, -1, -1));
    EXPECT_EQ(Trap().GetOrCreatePage(content, nullptr).Get(), page.Get());
    EXPECT_EQ(Browser().GetChildCount(), 1);
    CWebVariantList state;
    ASSERT_TRUE(Browser().GetProperty("state", state));
    EXPECT_EQ(state.GetAt(0)->GetInteger(), 4);
}

TEST_F(BrowserOnShell, FrameOfASubframeDocumentIsRegisteredOnceUnderThePage) {
    auto folder = std::filesystem::temp_directory_path() /
                  ("webagent_trapframes_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "inner.html") << "<p>inner</p>";
    std::ofstream(folder / "top.html") << "<p>top</p><iframe name=f src='inner.html'></iframe>";
    browser::BrowserWindow* window = m_App.OpenWindow((folder / "top.html").string());
    ASSERT_TRUE(m_App.WaitUntilIdle());
    CWebObjRef browser =
        Trap().GetOrCreateBrowser(window->Handle(), window->ChromeShell()->DOMWindow());
    ASSERT_TRUE(browser.IsValid());
    browser::DocShell* content = window->ContentShell();
    ASSERT_EQ(content->Children().size(), 1u);
    nsIDOMWindow* inner = content->Children()[0]->DOMWindow();

    CWebObjRef frame = Trap().GetOrCreateFrame(inner, GetNativeWindow(content->DOMWindow()));
    ASSERT_TRUE(frame.IsValid());
    CWebObjRef page = frame->GetParent();
    ASSERT_TRUE(page.IsValid());
    EXPECT_EQ(page->GetParent().Get(), browser.Get());
    EXPECT_EQ(Trap().GetOrCreateFrame(inner, GetNativeWindow(content->DOMWindow())).Get(),
              frame.Get());
    EXPECT_EQ(browser->GetChildById(frame->RunTimeID()).Get(), frame.Get());
    std::filesystem::remove_all(folder);
}

TEST_F(BrowserOnShell, ContentNavigationsReachTheListenerUntilItsBrowserGoes) {
    const int before = traptest::TestListener::Instances();
    GetTrapGlobals().context.SetContentListenerFactory(&traptest::TestListener::Make);
    browser::BrowserWindow* second = m_App.OpenWindow("data:text/html,<p>One</p>");
    ASSERT_TRUE(m_App.WaitUntilIdle());
    nsIDOMWindow* chrome = second->ChromeShell()->DOMWindow();
    CWebObjRef browser = Trap().GetOrCreateBrowser(second->Handle(), chrome);
    GetTrapGlobals().context.SetContentListenerFactory(nullptr);
    ASSERT_TRUE(browser.IsValid());
    nsIURIContentListener* ours = static_cast<CNS6Container*>(browser.Get())->GetContentListener();
    ASSERT_NE(ours, nullptr);
    auto* listener = static_cast<traptest::TestListener*>(ours);

    second->ContentShell()->LoadURI(u"data:text/html,<p>Two</p>", 0);
    ASSERT_TRUE(m_App.WaitUntilIdle());
    EXPECT_EQ(listener->opened, 1);

    // The shell keeps no reference: after the browser object went, the next
    // navigation must not reach the freed listener.
    browser.Destroy();
    EXPECT_EQ(traptest::TestListener::Instances(), before);
    nsCOMPtr<nsIURIContentListener> left;
    second->ChromeShell()->GetParentURIContentListener(getter_AddRefs(left));
    EXPECT_EQ(left.get(), nullptr);
    second->ContentShell()->LoadURI(u"data:text/html,<p>Three</p>", 0);
    EXPECT_TRUE(m_App.WaitUntilIdle());
}

} // namespace

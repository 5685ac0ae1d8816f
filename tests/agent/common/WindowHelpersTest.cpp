// The window helpers against DOM windows of the simulated browser, whose
// document shell and presentation are stand-ins made here, over native
// windows of the desktop stand-in.
#include "agent/common/WindowHelpers.h"

#include "platform/browser/dom/Parser.h"
#include "platform/browser/dom/Window.h"
#include "platform/win32/Windows.h"
#include "platform/xpcom/shell/nsIPresShell.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class FakeWidget final : public nsSupportsImpl<FakeWidget, nsIWidget> {
public:
    explicit FakeWidget(HWND window) : m_window(window) {}
    nsresult GetNativeWindow(HWND__** window) override {
        *window = m_window;
        return m_window ? NS_OK : NS_ERROR_NOT_AVAILABLE;
    }
    nsresult GetBounds(nsRect&) override { return NS_ERROR_NOT_IMPLEMENTED; }
    nsresult GetScreenBounds(nsRect&) override { return NS_ERROR_NOT_IMPLEMENTED; }

private:
    HWND m_window;
};

class FakeView final : public nsSupportsImpl<FakeView, nsIView, nsIViewManager> {
public:
    explicit FakeView(HWND window) : m_widget(new FakeWidget(window)) {}
    // nsIView
    nsresult GetWidget(nsIWidget** widget) override {
        m_widget.CopyTo(widget);
        return NS_OK;
    }
    nsresult GetBounds(nsRect&) override { return NS_ERROR_NOT_IMPLEMENTED; }
    nsresult GetParent(nsIView** parent) override {
        *parent = nullptr;
        return NS_OK;
    }
    // nsIViewManager
    nsresult GetRootView(nsIView** view) override {
        *view = this;
        AddRef();
        return NS_OK;
    }
    nsresult GetRootScrollableView(nsIScrollableView** view) override {
        *view = nullptr;
        return NS_ERROR_NOT_IMPLEMENTED;
    }

private:
    nsCOMPtr<nsIWidget> m_widget;
};

class FakePresShell final : public nsSupportsImpl<FakePresShell, nsIPresShell> {
public:
    FakePresShell(nsIDOMDocument* document, HWND window)
        : m_document(document), m_views(new FakeView(window)) {}
    nsresult GetDocument(nsIDOMDocument** document) override {
        m_document.CopyTo(document);
        return NS_OK;
    }
    nsresult GetPresContext(nsIPresContext** context) override {
        *context = nullptr;
        return NS_ERROR_NOT_IMPLEMENTED;
    }
    nsresult GetViewManager(nsIViewManager** manager) override {
        m_views.CopyTo(manager);
        return NS_OK;
    }
    nsresult GetPrimaryFrameFor(nsIDOMNode*, nsIFrame** frame) override {
        *frame = nullptr;
        return NS_OK;
    }
    nsresult HandleDOMEventWithTarget(nsIDOMNode*, nsEvent*, PRUint32, nsEventStatus*) override {
        return NS_ERROR_NOT_IMPLEMENTED;
    }

private:
    nsCOMPtr<nsIDOMDocument> m_document;
    nsCOMPtr<nsIViewManager> m_views;
};

// A document shell whose main widget is `shellWindow` and whose
// presentation (when given) shows its document in `presentedWindow`.
class FakeDocShell final : public nsSupportsImpl<FakeDocShell, nsIDocShell, nsIBaseWindow> {
public:
    explicit FakeDocShell(HWND shellWindow) : m_widget(new FakeWidget(shellWindow)) {}
    void Present(nsIDOMDocument* document, HWND presentedWindow) {
        m_presentation = new FakePresShell(document, presentedWindow);
    }

    // nsIDocShell
    nsresult GetPresShell(nsIPresShell** shell) override {
        m_presentation.CopyTo(shell);
        return m_presentation ? NS_OK : NS_ERROR_NOT_AVAILABLE;
    }
    nsresult GetPresContext(nsIPresContext** context) override {
        *context = nullptr;
        return NS_ERROR_NOT_IMPLEMENTED;
    }
    nsresult GetDOMWindow(nsIDOMWindow** window) override {
        *window = nullptr;
        return NS_ERROR_NOT_IMPLEMENTED;
    }
    nsresult GetDocument(nsIDOMDocument** document) override {
        *document = nullptr;
        return NS_ERROR_NOT_IMPLEMENTED;
    }
    nsresult GetCurrentURI(nsIURI** uri) override {
        *uri = nullptr;
        return NS_ERROR_NOT_IMPLEMENTED;
    }
    nsresult GetParentURIContentListener(nsIURIContentListener** listener) override {
        *listener = nullptr;
        return NS_OK;
    }
    nsresult SetParentURIContentListener(nsIURIContentListener*) override { return NS_OK; }
    nsresult GetBusyFlags(PRUint32* flags) override {
        *flags = BUSY_FLAGS_NONE;
        return NS_OK;
    }
    nsresult GetChromeEventHandler(nsISupports** handler) override {
        *handler = nullptr;
        return NS_ERROR_NOT_IMPLEMENTED;
    }
    // nsIBaseWindow
    nsresult GetMainWidget(nsIWidget** widget) override {
        m_widget.CopyTo(widget);
        return NS_OK;
    }
    nsresult GetParentNativeWindow(HWND__** parent) override {
        *parent = nullptr;
        return NS_ERROR_NOT_IMPLEMENTED;
    }
    nsresult GetPositionAndSize(PRInt32*, PRInt32*, PRInt32*, PRInt32*) override {
        return NS_ERROR_NOT_IMPLEMENTED;
    }
    nsresult GetVisibility(PRBool* visible) override {
        *visible = PR_TRUE;
        return NS_OK;
    }

private:
    nsCOMPtr<nsIWidget> m_widget;
    nsCOMPtr<nsIPresShell> m_presentation;
};

class ShellHook final : public dom::WindowHook {
public:
    explicit ShellHook(nsISupports* shell) : m_shell(shell) {}
    HWND__* NativeWindow() override { return nullptr; }
    nsISupports* DocShell() override { return m_shell; }
    int32_t ScrollX() override { return 0; }
    int32_t ScrollY() override { return 0; }
    void ScrollTo(int32_t, int32_t) override {}
    int32_t InnerWidth() override { return 0; }
    int32_t InnerHeight() override { return 0; }

private:
    nsISupports* m_shell; // observes: the fixture's shell outlives the hook
};

class WindowHelpers : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        m_class = "WindowHelpersTest" + std::to_string(++counter);
        WNDCLASSEX wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = m_class.c_str();
        ASSERT_NE(RegisterClassEx(&wc), 0);
        m_window = dom::NewWindow();
    }
    void TearDown() override {
        dom::Window::FromDOM(m_window)->SetHook(nullptr);
        dom::Window::FromDOM(m_window)->SetDocument(nullptr);
        for (auto window = m_made.rbegin(); window != m_made.rend(); ++window)
            DestroyWindow(*window);
    }

    HWND Make(DWORD style, HWND parent) {
        HWND window = CreateWindowEx(0, m_class.c_str(), "", style, 0, 0, 100, 100, parent, nullptr,
                                     nullptr, nullptr);
        EXPECT_TRUE(window);
        m_made.push_back(window);
        return window;
    }
    // A top-level window and `depth` child windows below it; answers the
    // deepest.
    HWND MakeChain(int depth) {
        HWND window = Make(WS_OVERLAPPEDWINDOW, nullptr);
        for (int i = 0; i < depth; ++i)
            window = Make(WS_CHILD | WS_VISIBLE, window);
        return window;
    }

    // Gives the window a document shell whose main widget is `native`.
    FakeDocShell* ConnectShell(HWND native) {
        m_shell = new FakeDocShell(native);
        m_hook = std::make_unique<ShellHook>(static_cast<nsIDocShell*>(m_shell.get()));
        dom::Window::FromDOM(m_window)->SetHook(m_hook.get());
        return m_shell;
    }

    std::string m_class;
    std::vector<HWND> m_made;
    nsCOMPtr<nsIDOMWindowInternal> m_window;
    nsCOMPtr<FakeDocShell> m_shell;
    std::unique_ptr<ShellHook> m_hook;
};

TEST_F(WindowHelpers, DocShell_TheWindowsOwnOrAFailure) {
    nsCOMPtr<nsIDocShell> shell;
    EXPECT_EQ(GetDocShell(nullptr, getter_AddRefs(shell)), E_INVALIDARG);
    EXPECT_TRUE(NS_FAILED(GetDocShell(m_window, getter_AddRefs(shell))))
        << "a window the browser has not connected has no shell";
    EXPECT_FALSE(shell);
    FakeDocShell* fake = ConnectShell(nullptr);
    ASSERT_EQ(GetDocShell(m_window, getter_AddRefs(shell)), NS_OK);
    EXPECT_TRUE(SameCOMIdentity(shell, static_cast<nsIDocShell*>(fake)));
}

TEST_F(WindowHelpers, NativeWindow_PresentationFirstThenTheShell) {
    HWND shellWindow = MakeChain(2);
    HWND presentedWindow = MakeChain(2);
    EXPECT_EQ(GetNativeWindow(nullptr), nullptr);
    EXPECT_EQ(GetNativeWindow(m_window), nullptr);

    FakeDocShell* shell = ConnectShell(shellWindow);
    EXPECT_EQ(GetNativeWindow(m_window), shellWindow) << "no document yet: the shell's widget";

    nsCOMPtr<nsIDOMHTMLDocument> page = dom::ParseHTMLDocument("<p>x", u"http://host/");
    dom::Window::FromDOM(m_window)->SetDocument(page);
    shell->Present(page, presentedWindow);
    EXPECT_EQ(GetNativeWindow(m_window), presentedWindow);
    EXPECT_EQ(GetDocumentNativeWindow(page), presentedWindow);

    // A presentation of another document is not this window's.
    nsCOMPtr<nsIDOMHTMLDocument> other = dom::ParseHTMLDocument("<p>y", u"http://host/y");
    shell->Present(other, presentedWindow);
    EXPECT_EQ(GetNativeWindow(m_window), shellWindow);
    EXPECT_EQ(GetDocumentNativeWindow(other), nullptr) << "a document no window shows";
}

TEST_F(WindowHelpers, TopContentWindow_FewerThanFourLevelsBelowTheDesktop) {
    EXPECT_FALSE(IsTopContentWindow(nullptr));
    EXPECT_FALSE(IsTopContentWindow(m_window)) << "no native window";
    ConnectShell(MakeChain(3)); // its fourth ancestor is missing
    EXPECT_TRUE(IsTopContentWindow(m_window));
    ConnectShell(MakeChain(4)); // a frame inside the content area
    EXPECT_FALSE(IsTopContentWindow(m_window));
}

TEST_F(WindowHelpers, NonChildAncestor_StopsAtTheFirstWindowThatIsNoChild) {
    EXPECT_EQ(GetNonChildAncestor(nullptr), nullptr);
    HWND top = Make(WS_OVERLAPPEDWINDOW, nullptr);
    HWND owned = Make(WS_OVERLAPPEDWINDOW, top); // owned, not a child
    HWND child = Make(WS_CHILD, owned);
    HWND grandchild = Make(WS_CHILD, child);
    EXPECT_EQ(GetNonChildAncestor(grandchild), owned);
    EXPECT_EQ(GetNonChildAncestor(owned), owned);
    EXPECT_EQ(GetNonChildAncestor(top), top);
}

} // namespace

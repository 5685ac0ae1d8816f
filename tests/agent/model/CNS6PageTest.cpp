// Browser commands of a page against a scripted host: what reaches the web
// navigation and the window, and what happens when the host fails or throws.
#include "agent/model/CNS6Page.h"

#include "agent/channel/RequestArgs.h"
#include "agent/common/DomHelpers.h"
#include "agent/host/TrapTestSupport.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// A content document shell with its navigation and window operations; every
// call is written down. (GetDocument and GetCurrentURI serve both the shell
// and the navigation interface.)
class ScriptedShell final
    : public nsSupportsImpl<ScriptedShell, nsIDocShell, nsIWebNavigation, nsIBrowserWindow> {
public:
    // nsIDocShell
    nsresult GetPresShell(nsIPresShell**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetPresContext(nsIPresContext**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetDOMWindow(nsIDOMWindow**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetDocument(nsIDOMDocument**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetCurrentURI(nsIURI**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetParentURIContentListener(nsIURIContentListener** listener) override {
        *listener = nullptr;
        return NS_OK;
    }
    nsresult SetParentURIContentListener(nsIURIContentListener*) override { return NS_OK; }
    nsresult GetBusyFlags(PRUint32* flags) override {
        *flags = 0;
        return NS_OK;
    }
    nsresult GetChromeEventHandler(nsISupports**) override { return NS_ERROR_NOT_AVAILABLE; }

    // nsIWebNavigation
    nsresult GetCanGoBack(PRBool* result) override {
        *result = canGoBack;
        return NS_OK;
    }
    nsresult GetCanGoForward(PRBool* result) override {
        *result = canGoForward;
        return NS_OK;
    }
    nsresult GoBack() override { return Note("back"); }
    nsresult GoForward() override { return Note("forward"); }
    nsresult GotoIndex(PRInt32) override { return Note("index"); }
    nsresult LoadURI(const nsAString& uri, PRUint32 flags) override {
        loaded = ToNarrow(uri);
        loadFlags = flags;
        return Note("load");
    }
    nsresult Reload(PRUint32 flags) override {
        loadFlags = flags;
        return Note("reload");
    }
    nsresult Stop(PRUint32) override { return Note("navigation stop"); }
    nsresult GetSessionHistory(nsISHistory**) override { return NS_ERROR_NOT_AVAILABLE; }

    // nsIBrowserWindow
    nsresult Stop() override { return Note("stop"); }
    nsresult Home() override { return Note("home"); }
    nsresult GetIsBusy(PRBool* busy) override {
        *busy = PR_FALSE;
        return NS_OK;
    }

    PRBool canGoBack = PR_FALSE;
    PRBool canGoForward = PR_FALSE;
    bool throwing = false;
    std::vector<std::string> calls;
    std::string loaded;
    PRUint32 loadFlags = 99;

private:
    nsresult Note(const char* call) {
        if (throwing) {
            throw std::runtime_error("host fault");
        }
        calls.emplace_back(call);
        return NS_OK;
    }
};

// The content window: it answers its document shell and nothing else.
class ContentDom final : public nsSupportsImpl<ContentDom, nsIDOMWindowInternal> {
public:
    nsresult GetDocument(nsIDOMDocument**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetParent(nsIDOMWindow** parent) override { return Self(parent); }
    nsresult GetTop(nsIDOMWindow** top) override { return Self(top); }
    nsresult GetFrames(nsIDOMWindowCollection**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetName(nsAString& name) override {
        name.clear();
        return NS_OK;
    }
    nsresult SetName(const nsAString&) override { return NS_OK; }
    nsresult GetScrollX(PRInt32* x) override { return Zero(x); }
    nsresult GetScrollY(PRInt32* y) override { return Zero(y); }
    nsresult ScrollTo(PRInt32, PRInt32) override { return NS_OK; }
    nsresult ScrollBy(PRInt32, PRInt32) override { return NS_OK; }
    nsresult GetSelection(nsISelection**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetInnerWidth(PRInt32* width) override { return Zero(width); }
    nsresult GetInnerHeight(PRInt32* height) override { return Zero(height); }
    nsresult GetLocationHref(nsAString& href) override {
        href = u"about:blank";
        return NS_OK;
    }
    nsresult Focus() override { return NS_OK; }
    nsresult Blur() override { return NS_OK; }
    nsresult GetFrameElement(nsIDOMElement** element) override {
        *element = nullptr;
        return NS_OK;
    }
    nsresult GetNativeWindow(HWND__** window) override {
        *window = native;
        return NS_OK;
    }
    nsresult GetDocShell(nsISupports** docShell) override {
        *docShell = shell ? shell->CanonicalSupports() : nullptr;
        if (*docShell == nullptr) {
            return NS_ERROR_NOT_AVAILABLE;
        }
        (*docShell)->AddRef();
        return NS_OK;
    }

    HWND native = nullptr;
    nsCOMPtr<ScriptedShell> shell;

private:
    nsresult Self(nsIDOMWindow** out) {
        *out = this;
        AddRef();
        return NS_OK;
    }
    static nsresult Zero(PRInt32* out) {
        *out = 0;
        return NS_OK;
    }
};

class PageCommands : public ::testing::Test {
protected:
    void SetUp() override {
        m_Window = traptest::MakeWindow();
        m_Dom = new ContentDom();
        m_Dom->native = m_Window;
        m_Dom->shell = new ScriptedShell();
        m_Page = std::make_unique<CNS6Page>(m_Dom.get(), m_Window, CWebObjRef());
    }
    void TearDown() override {
        m_Page.reset();
        DestroyWindow(m_Window);
    }

    nsresult Command(std::string_view command, std::string_view url = {}) {
        CWebInfo request;
        AppendString(request, "command", command);
        if (!url.empty()) {
            AppendString(request, "url", url);
        }
        EXPECT_TRUE(m_Page->CallMethod("BrowserCommand", request));
        return request.GetRetValue();
    }
    ScriptedShell& Shell() { return *m_Dom->shell; }

    HWND m_Window = nullptr;
    nsCOMPtr<ContentDom> m_Dom;
    std::unique_ptr<CNS6Page> m_Page;
};

TEST_F(PageCommands, BackAndForwardOnlyWhenThereIsSomewhereToGo) {
    EXPECT_EQ(Command("Back"), NS_OK);
    EXPECT_EQ(Command("Forward"), NS_OK);
    EXPECT_TRUE(Shell().calls.empty());
    Shell().canGoBack = PR_TRUE;
    Shell().canGoForward = PR_TRUE;
    EXPECT_EQ(Command("Back"), NS_OK);
    EXPECT_EQ(Command("Forward"), NS_OK);
    EXPECT_EQ(Shell().calls, (std::vector<std::string>{"back", "forward"}));
}

TEST_F(PageCommands, WindowAndNavigationOperations) {
    EXPECT_EQ(Command("Stop"), NS_OK);
    EXPECT_EQ(Command("Home"), NS_OK);
    EXPECT_EQ(Command("ReLoad"), NS_OK);
    EXPECT_EQ(Shell().loadFlags, 0u);
    EXPECT_EQ(Command("Navigate", "http://example.test/a"), NS_OK);
    EXPECT_EQ(Shell().loaded, "http://example.test/a");
    EXPECT_EQ(Shell().loadFlags, 0u);
    EXPECT_EQ(Shell().calls, (std::vector<std::string>{"stop", "home", "reload", "load"}));
    // Names compare exactly: an unknown or differently cased command does
    // nothing and succeeds.
    EXPECT_EQ(Command("reload"), NS_OK);
    EXPECT_EQ(Shell().calls.size(), 4u);
}

TEST_F(PageCommands, NavigateSendsTheFirst1024Bytes) {
    std::string url = "http://example.test/?";
    url.append(2000 - url.size(), 'x');
    EXPECT_EQ(Command("Navigate", url), NS_OK);
    EXPECT_EQ(Shell().loaded, url.substr(0, CNS6Page::kMaxNavigateBytes));
}

TEST_F(PageCommands, HostFaultsAndMissingPartsFail) {
    Shell().throwing = true;
    Shell().canGoBack = PR_TRUE;
    EXPECT_EQ(Command("Back"), E_FAIL);
    EXPECT_EQ(Command("Navigate", "http://example.test/"), E_FAIL);
    Shell().throwing = false;
    EXPECT_EQ(Command("Back"), NS_OK);

    // Without a document shell nothing can be done.
    m_Dom->shell = nullptr;
    EXPECT_EQ(Command("Stop"), E_FAIL);
}

} // namespace

// Test support for the trap state and the browser objects: a trap state with
// a browser dispatcher for the length of a test, native browser windows, and
// a chrome DOM window whose document shell keeps a parent content listener.
#pragma once

#include "agent/dispatch/CNS6Interface.h"
#include "agent/host/TrapState.h"
#include "platform/win32/Windows.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"
#include "platform/xpcom/shell/nsIDocShell.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace traptest {

inline LRESULT PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProc(w, m, wp, lp);
}

inline HWND MakeWindow(HWND parent = nullptr) {
    static bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &PlainProc;
        wc.lpszClassName = "TrapTestBrowser";
        return RegisterClass(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    DWORD style = parent != nullptr ? WS_CHILD : WS_OVERLAPPEDWINDOW;
    return CreateWindowEx(0, "TrapTestBrowser", "browser", style, 10, 20, 300, 200, parent, nullptr,
                          nullptr, nullptr);
}

// The part of a document shell the browser object uses on its chrome: the
// parent content listener, which it does not hold a reference to.
class FakeDocShell final : public nsSupportsImpl<FakeDocShell, nsIDocShell> {
public:
    nsresult GetPresShell(nsIPresShell**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetPresContext(nsIPresContext**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetDOMWindow(nsIDOMWindow**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetDocument(nsIDOMDocument**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetCurrentURI(nsIURI**) override { return NS_ERROR_NOT_AVAILABLE; }
    nsresult GetParentURIContentListener(nsIURIContentListener** listener) override {
        *listener = m_Listener;
        if (m_Listener != nullptr) {
            m_Listener->AddRef();
        }
        return NS_OK;
    }
    nsresult SetParentURIContentListener(nsIURIContentListener* listener) override {
        m_Listener = listener;
        return NS_OK;
    }
    nsresult GetBusyFlags(PRUint32* flags) override {
        *flags = 0;
        return NS_OK;
    }
    nsresult GetChromeEventHandler(nsISupports**) override { return NS_ERROR_NOT_AVAILABLE; }

    nsIURIContentListener* Listener() const { return m_Listener; }

private:
    nsIURIContentListener* m_Listener = nullptr; // observes, as a real shell does
};

// A DOM window of a test browser: it answers its native window, its document
// shell (of type Shell) and (once given one) its document; the rest is not
// needed. The chrome window of a browser and the content window of a page
// are both made from it.
template <typename Shell>
class FakeDomWindow final : public nsSupportsImpl<FakeDomWindow<Shell>, nsIDOMWindowInternal> {
public:
    nsresult GetDocument(nsIDOMDocument** document) override {
        *document = m_Document.get();
        if (*document == nullptr) {
            return NS_ERROR_NOT_AVAILABLE;
        }
        (*document)->AddRef();
        return NS_OK;
    }
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
    nsresult GetLocationHref(nsAString& out) override {
        out = href;
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
        return native != nullptr ? NS_OK : NS_ERROR_NOT_AVAILABLE;
    }
    nsresult GetDocShell(nsISupports** docShell) override {
        *docShell = shell ? shell->CanonicalSupports() : nullptr;
        if (*docShell == nullptr) {
            return NS_ERROR_NOT_AVAILABLE;
        }
        (*docShell)->AddRef();
        return NS_OK;
    }

    void SetDocument(nsIDOMDocument* document) { m_Document = document; }

    HWND native = nullptr;
    nsCOMPtr<Shell> shell;
    std::u16string href = u"chrome://navigator/content/navigator.xul";

private:
    nsresult Self(nsIDOMWindow** out) {
        *out = this;
        this->AddRef();
        return NS_OK;
    }
    static nsresult Zero(PRInt32* out) {
        *out = 0;
        return NS_OK;
    }

    nsCOMPtr<nsIDOMDocument> m_Document;
};

using FakeChromeDom = FakeDomWindow<FakeDocShell>;

// A native top-level window with a chrome DOM window connected to it.
class ChromeWindow {
public:
    ChromeWindow() : m_Window(MakeWindow()), m_Dom(new FakeChromeDom()) {
        m_Dom->native = m_Window;
        m_Dom->shell = new FakeDocShell();
    }
    ~ChromeWindow() { Close(); }

    HWND Window() const { return m_Window; }
    nsIDOMWindow* Dom() const { return m_Dom.get(); }
    FakeChromeDom* Fake() const { return m_Dom.get(); }
    FakeDocShell* Shell() const { return m_Dom->shell.get(); }
    // The chrome loses its document shell, as when the window is torn down.
    void DropShell() { m_Dom->shell = nullptr; }
    void Close() {
        if (m_Window != nullptr && IsWindow(m_Window)) {
            DestroyWindow(m_Window);
        }
    }

private:
    HWND m_Window;
    nsCOMPtr<FakeChromeDom> m_Dom;
};

// Stands in for the trap's content listener: counts its instances and the
// navigations it hears of, and keeps the listener it chains to.
class TestListener final : public nsSupportsImpl<TestListener, nsIURIContentListener> {
public:
    TestListener() { ++Counter(); }
    ~TestListener() override { --Counter(); }
    static int Instances() { return Counter(); }
    static nsIURIContentListener* Make(const CWebObjRef&) { return new TestListener(); }

    nsresult OnStartURIOpen(nsIURI*, PRBool* abort) override {
        ++opened;
        *abort = PR_FALSE;
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
    nsresult GetParentContentListener(nsIURIContentListener** parent) override {
        *parent = m_Parent;
        if (m_Parent != nullptr) {
            m_Parent->AddRef();
        }
        return NS_OK;
    }
    nsresult SetParentContentListener(nsIURIContentListener* parent) override {
        m_Parent = parent;
        return NS_OK;
    }

    int opened = 0;

private:
    static int& Counter() {
        static int count = 0;
        return count;
    }
    nsIURIContentListener* m_Parent = nullptr; // observes, as the trap's listener does
};

// A trap state and a browser dispatcher, as after library load and the
// trap's Initialize; both gone again after the test.
class TrapStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateTrapState(nullptr);
        SetTrapDispatcher(std::make_unique<CNS6Interface>());
    }
    void TearDown() override {
        DestroyTrapState();
        DestroyDispatcher();
    }

    static CNS6GeneralTrapInfo& Trap() { return *GetNS6TrapInfo(); }
};

} // namespace traptest

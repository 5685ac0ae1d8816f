#include "platform/browser/shell/BrowserWindow.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/shell/EventQueue.h"
#include "platform/browser/shell/PresShell.h"
#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"

namespace browser {
namespace {

// Where the content area goes when the chrome's layout gives no box for the
// "browser" element: below a toolbar of this height, over the rest.
constexpr int kToolbarHeight = 60;

} // namespace

class BrowserWindow::TreeOwnerImpl final
    : public nsSupportsImpl<TreeOwnerImpl, nsIDocShellTreeOwner> {
public:
    explicit TreeOwnerImpl(BrowserWindow& window) : m_window(&window) {}
    void Detach() { m_window = nullptr; }

    nsresult GetPrimaryContentShell(nsIDocShellTreeItem** shell) override {
        if (!shell)
            return NS_ERROR_NULL_POINTER;
        *shell = m_window && m_window->m_content ? m_window->m_content.get() : nullptr;
        if (*shell)
            (*shell)->AddRef();
        return NS_OK;
    }
    nsresult GetChromeShell(nsIDocShellTreeItem** shell) override {
        if (!shell)
            return NS_ERROR_NULL_POINTER;
        *shell = m_window && m_window->m_chrome ? m_window->m_chrome.get() : nullptr;
        if (*shell)
            (*shell)->AddRef();
        return NS_OK;
    }

private:
    BrowserWindow* m_window; // observes: the window detaches us when it closes
};

// Runs the chrome's commands: "command" events of the toolbar buttons and
// of the address history entries.
class BrowserWindow::CommandListener final
    : public nsSupportsImpl<CommandListener, nsIDOMEventListener> {
public:
    explicit CommandListener(BrowserWindow& window) : m_window(&window) {}
    void Detach() { m_window = nullptr; }

    nsresult HandleEvent(nsIDOMEvent* event) override {
        if (!m_window || !event)
            return NS_OK;
        nsCOMPtr<nsIDOMEventTarget> target;
        event->GetTarget(getter_AddRefs(target));
        dom::Node* node = dom::Node::FromDOM(target);
        if (!node || !node->IsElement())
            return NS_OK;
        auto* element = static_cast<dom::Element*>(node);
        nsString id = element->Attribute(u"id");
        // The command runs after the event: it may replace documents.
        BrowserWindow* window = m_window;
        if (element->HasTag(u"menuitem")) {
            dom::Element* popup = nullptr;
            for (dom::Node* up = element->Parent(); up && !popup; up = up->Parent())
                if (up->IsElement() &&
                    static_cast<dom::Element*>(up)->Attribute(u"id") == u"ubhist-popup")
                    popup = static_cast<dom::Element*>(up);
            if (popup && window->m_content) {
                nsString value = element->Attribute(u"value");
                window->m_content->LoadURI(value, nsIWebNavigation::LOAD_FLAGS_NONE);
            }
            return NS_OK;
        }
        window->RunCommand(id);
        return NS_OK;
    }

private:
    BrowserWindow* m_window; // observes: the window detaches us when it closes
};

BrowserWindow::BrowserWindow(ShellHost& host, std::string chromeURL, std::string contentURL,
                             Geometry geometry)
    : m_host(host), m_chromeURL(std::move(chromeURL)), m_contentURL(std::move(contentURL)) {
    m_treeOwner = new TreeOwnerImpl(*this);
    m_window =
        CreateTopLevelWindow("Navigator", geometry.x, geometry.y, geometry.width, geometry.height);
    RECT client{};
    GetClientRect(m_window, &client);
    m_chrome = DocShell::Create(m_host, *this, nullptr, nsIDocShellTreeItem::typeChrome, nullptr,
                                client, m_window);
    SetResizeObserver(m_window, this);
    m_chrome->StartLoad(m_chromeURL, DocShell::HistoryMode::Keep);
}

BrowserWindow::~BrowserWindow() {
    Close();
}

bool BrowserWindow::IsOpen() const {
    return !m_closed && IsWindow(m_window);
}

dom::Window* BrowserWindow::ChromeWindow() {
    return m_chrome ? m_chrome->WindowCore() : nullptr;
}

dom::Element* BrowserWindow::ChromeElement(std::u16string_view id) const {
    if (!m_chrome)
        return nullptr;
    dom::Document* core = dom::Document::FromDOM(m_chrome->CurrentDocument());
    return core ? core->ElementById(id) : nullptr;
}

bool BrowserWindow::IsBusy() const {
    // A window closed from outside (WM_CLOSE) is busy no more: what it still
    // loads goes nowhere.
    return IsOpen() && m_chrome && m_chrome->IsBusyInTree();
}

void BrowserWindow::Close() {
    if (m_closed)
        return;
    m_closed = true;
    SetResizeObserver(m_window, nullptr);
    if (auto* listener = static_cast<CommandListener*>(m_commandListener.get()))
        listener->Detach();
    if (m_chrome && m_chrome->WindowCore() && m_commandListener)
        m_chrome->WindowCore()->RemoveListener(u"command", m_commandListener, PR_FALSE);
    m_commandListener = nullptr;
    // The content shell is a child of the chrome shell: both go together.
    if (m_chrome)
        m_chrome->Destroy();
    m_content = nullptr;
    m_chrome = nullptr;
    static_cast<TreeOwnerImpl*>(m_treeOwner.get())->Detach();
    if (IsWindow(m_window))
        DestroyWindow(m_window);
    m_window = nullptr;
}

void BrowserWindow::DocumentShown(DocShell& shell) {
    if (&shell == m_chrome.get()) {
        if (!m_commandListener && m_chrome->WindowCore()) {
            m_commandListener = new CommandListener(*this);
            m_chrome->WindowCore()->AddListener(u"command", m_commandListener, PR_FALSE);
        }
        if (!m_content && ChromeElement(u"content"))
            MakeContentArea();
        return;
    }
    if (&shell == m_content.get())
        UpdateChrome();
}

RECT BrowserWindow::ContentAreaRect() const {
    RECT client{};
    GetClientRect(m_window, &client);
    RECT area{0, kToolbarHeight, client.right, client.bottom};
    if (dom::Element* browser = ChromeElement(u"content")) {
        if (PresShell* presentation = m_chrome ? m_chrome->Presentation() : nullptr) {
            auto box = presentation->ClientRect(*browser);
            if (box && box->right > box->left && box->bottom > box->top)
                area = *box;
        }
    }
    return area;
}

void BrowserWindow::WindowResized() {
    if (m_closed || !m_chrome)
        return;
    m_chrome->Relayout();
    if (!m_content)
        return;
    RECT area = ContentAreaRect();
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    MoveWindow(m_holders[0], area.left, area.top, width, height, TRUE);
    MoveWindow(m_holders[1], 0, 0, width, height, TRUE);
    MoveWindow(m_holders[2], 0, 0, width, height, TRUE);
    m_content->SetBounds(RECT{0, 0, width, height});
}

void BrowserWindow::MakeContentArea() {
    RECT area = ContentAreaRect();
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    m_holders[0] =
        CreateChildWindow(m_window, kBrowserWindowClass, area.left, area.top, width, height);
    m_holders[1] = CreateChildWindow(m_holders[0], kBrowserWindowClass, 0, 0, width, height);
    m_holders[2] = CreateChildWindow(m_holders[1], kBrowserWindowClass, 0, 0, width, height);
    m_content = DocShell::Create(m_host, *this, m_chrome, nsIDocShellTreeItem::typeContent,
                                 m_holders[2], RECT{0, 0, width, height});
    if (!m_contentURL.empty())
        m_content->StartLoad(m_contentURL, DocShell::HistoryMode::Add);
}

void BrowserWindow::UpdateChrome() {
    if (!m_content || !m_chrome)
        return;
    nsCOMPtr<nsIDOMDocument> chromeDocument = m_chrome->CurrentDocument();
    if (dom::Element* urlbar = ChromeElement(u"urlbar")) {
        nsString url = dom::Utf16FromUtf8(m_content->CurrentURL());
        if (nsCOMPtr<nsIDOMXULTextBoxElement> box = do_QueryInterface(urlbar->AsDOMNode()))
            box->SetValue(url);
        else
            urlbar->SetAttribute(u"value", url);
    }
    PRBool canBack = PR_FALSE;
    PRBool canForward = PR_FALSE;
    m_content->GetCanGoBack(&canBack);
    m_content->GetCanGoForward(&canForward);
    for (auto [id, enabled] :
         {std::pair{u"back-button", canBack}, {u"forward-button", canForward}}) {
        if (dom::Element* button = ChromeElement(id)) {
            if (enabled)
                button->RemoveAttribute(u"disabled");
            else
                button->SetAttribute(u"disabled", u"true");
        }
    }
    // The address history popup: one entry per history entry, newest last.
    dom::Element* popup = ChromeElement(u"ubhist-popup");
    if (!popup || !chromeDocument)
        return;
    popup->RemoveAllChildren();
    nsCOMPtr<nsIDOMNode> popupNode = popup->AsDOMNode();
    for (const HistoryEntry& entry : m_content->History()) {
        nsCOMPtr<nsIDOMElement> item;
        if (NS_FAILED(chromeDocument->CreateElement(u"menuitem", getter_AddRefs(item))) || !item)
            continue;
        nsString url = dom::Utf16FromUtf8(entry.url);
        item->SetAttribute(u"label", url);
        item->SetAttribute(u"value", url);
        nsCOMPtr<nsIDOMNode> appended;
        popupNode->AppendChild(item, getter_AddRefs(appended));
    }
}

bool BrowserWindow::RunCommand(std::u16string_view id) {
    if (!m_content)
        return false;
    nsCOMPtr<DocShell> content = m_content;
    if (id == u"back-button") {
        PRBool can = PR_FALSE;
        content->GetCanGoBack(&can);
        if (can)
            content->GoBack();
    } else if (id == u"forward-button") {
        PRBool can = PR_FALSE;
        content->GetCanGoForward(&can);
        if (can)
            content->GoForward();
    } else if (id == u"reload-button") {
        content->Reload(nsIWebNavigation::LOAD_FLAGS_NONE);
    } else if (id == u"stop-button") {
        content->Stop();
    } else if (id == u"home-button") {
        content->Home();
    } else {
        return false;
    }
    return true;
}

void BrowserWindow::LoadAddressField() {
    dom::Element* urlbar = ChromeElement(u"urlbar");
    if (!urlbar || !m_content)
        return;
    nsString value;
    nsCOMPtr<nsIDOMNode> node = urlbar->AsDOMNode();
    if (nsCOMPtr<nsIDOMXULTextBoxElement> box = do_QueryInterface(node))
        box->GetValue(value);
    else if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(node))
        input->GetValue(value);
    else
        value = urlbar->Attribute(u"value");
    if (!value.empty())
        m_content->LoadURI(value, nsIWebNavigation::LOAD_FLAGS_NONE);
}

} // namespace browser

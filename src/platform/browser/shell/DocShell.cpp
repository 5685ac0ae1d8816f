#include "platform/browser/shell/DocShell.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/HTMLElements.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/layout/ComputedStyle.h"
#include "platform/browser/layout/LayoutTree.h"
#include "platform/browser/shell/ChromeDocuments.h"
#include "platform/browser/shell/EventQueue.h"
#include "platform/browser/shell/Network.h"
#include "platform/browser/shell/PresShell.h"

#include <algorithm>

namespace browser {
namespace {

std::string Narrow(std::u16string_view text) {
    return dom::Utf8FromUtf16(text);
}

nsString Wide(std::string_view text) {
    return dom::Utf16FromUtf8(text);
}

std::string EscapeHTML(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool IsXULType(std::string_view type) {
    return type == kXULContentType || type == "application/vnd.xul+xml";
}

// A select with rows (multiple, or a size above 1) is a list box; any other
// is a drop-down, as layout draws them.
bool IsListBox(dom::Element& select) {
    if (select.FindAttribute(u"multiple"))
        return true;
    const nsString* size = select.FindAttribute(u"size");
    return size && layout::ParseLength(Narrow(*size)).value_or(0) > 1;
}

class HistoryEntryObject final : public nsSupportsImpl<HistoryEntryObject, nsIHistoryEntry> {
public:
    explicit HistoryEntryObject(HistoryEntry entry) : m_entry(std::move(entry)) {}
    nsresult GetURI(nsIURI** uri) override {
        if (!uri)
            return NS_ERROR_NULL_POINTER;
        *uri = NewURI(m_entry.url).forget();
        return *uri ? NS_OK : NS_ERROR_MALFORMED_URI;
    }
    nsresult GetTitle(nsAString& title) override {
        title = m_entry.title;
        return NS_OK;
    }

private:
    HistoryEntry m_entry;
};

// A snapshot of a shell's session history.
class SessionHistory final : public nsSupportsImpl<SessionHistory, nsISHistory> {
public:
    SessionHistory(std::vector<HistoryEntry> entries, int index)
        : m_entries(std::move(entries)), m_index(index) {}
    nsresult GetCount(PRInt32* count) override {
        if (!count)
            return NS_ERROR_NULL_POINTER;
        *count = static_cast<PRInt32>(m_entries.size());
        return NS_OK;
    }
    nsresult GetIndex(PRInt32* index) override {
        if (!index)
            return NS_ERROR_NULL_POINTER;
        *index = m_index;
        return NS_OK;
    }
    nsresult GetEntryAtIndex(PRInt32 index, nsIHistoryEntry** entry) override {
        if (!entry)
            return NS_ERROR_NULL_POINTER;
        *entry = nullptr;
        if (index < 0 || index >= static_cast<PRInt32>(m_entries.size()))
            return NS_ERROR_INVALID_ARG;
        *entry = nsCOMPtr<nsIHistoryEntry>(new HistoryEntryObject(m_entries[index])).forget();
        return NS_OK;
    }

private:
    std::vector<HistoryEntry> m_entries;
    int m_index;
};

template <typename T> nsresult Out(T* value, T** out) {
    if (!out)
        return NS_ERROR_NULL_POINTER;
    *out = value;
    if (value)
        value->AddRef();
    return NS_OK;
}

} // namespace

// ---------------------------------------------------------------------------

class DocShell::WindowHook final : public dom::WindowHook {
public:
    explicit WindowHook(browser::DocShell& shell) : m_shell(shell) {}
    HWND__* NativeWindow() override { return m_shell.m_window; }
    nsISupports* DocShell() override { return static_cast<nsIDocShell*>(&m_shell); }
    int32_t ScrollX() override {
        return m_shell.m_presShell ? m_shell.m_presShell->ScrollPosition().x : 0;
    }
    int32_t ScrollY() override {
        return m_shell.m_presShell ? m_shell.m_presShell->ScrollPosition().y : 0;
    }
    void ScrollTo(int32_t x, int32_t y) override {
        if (m_shell.m_presShell)
            m_shell.m_presShell->ScrollToPixels(x, y);
    }
    int32_t InnerWidth() override {
        RECT client{};
        GetClientRect(m_shell.m_window, &client);
        return client.right;
    }
    int32_t InnerHeight() override {
        RECT client{};
        GetClientRect(m_shell.m_window, &client);
        return client.bottom;
    }
    void Focus() override {
        if (IsWindow(m_shell.m_window))
            SetFocus(m_shell.m_window);
    }

private:
    browser::DocShell& m_shell; // observes: the shell owns this hook
};

// Collects the body of a document's channel and hands it to its shell when
// the channel stops. It holds the shell: a load keeps its shell alive until
// the channel is done with it.
class DocShell::LoadListener final : public nsSupportsImpl<LoadListener, nsIStreamListener> {
public:
    LoadListener(browser::DocShell& shell, uint64_t loadId) : m_shell(&shell), m_loadId(loadId) {}

    nsresult OnStartRequest(nsIRequest*, nsISupports*) override { return NS_OK; }
    nsresult OnDataAvailable(nsIRequest*, nsISupports*, nsIInputStream* input, PRUint32,
                             PRUint32 count) override {
        if (m_shell->m_loadId != m_loadId)
            return NS_BINDING_ABORTED; // a newer load replaced this one
        size_t old = m_body.size();
        m_body.resize(old + count);
        PRUint32 read = 0;
        nsresult rv = input->Read(m_body.data() + old, count, &read);
        m_body.resize(old + read);
        return rv;
    }
    nsresult OnStopRequest(nsIRequest* request, nsISupports*, nsresult status) override {
        std::string type;
        if (nsCOMPtr<nsIChannel> channel = do_QueryInterface(request))
            channel->GetContentType(type);
        m_shell->LoadFinished(m_loadId, request, status, std::move(type), std::move(m_body));
        return NS_OK;
    }

private:
    nsCOMPtr<browser::DocShell> m_shell;
    uint64_t m_loadId;
    std::string m_body;
};

// ---------------------------------------------------------------------------

DocShell::DocShell(ShellHost& host, WindowOwner& owner, DocShell* parent, PRInt32 itemType)
    : m_host(host), m_owner(owner), m_parent(parent), m_itemType(itemType) {}

DocShell::~DocShell() {
    Destroy();
}

nsCOMPtr<DocShell> DocShell::Create(ShellHost& host, WindowOwner& owner, DocShell* parent,
                                    PRInt32 itemType, HWND parentWindow, const RECT& rect,
                                    HWND own) {
    nsCOMPtr<DocShell> shell(new DocShell(host, owner, parent, itemType));
    if (own) {
        shell->m_window = own;
        shell->m_ownsWindow = false;
    } else {
        shell->m_window = CreateChildWindow(parentWindow, kBrowserWindowClass, rect.left, rect.top,
                                            rect.right - rect.left, rect.bottom - rect.top);
    }
    shell->m_widget = new Widget(shell->m_window);
    // The shell's main widget is the window it sits in, as the view system
    // makes the document's own window inside its shell's window.
    HWND outer = ::GetParent(shell->m_window);
    shell->m_mainWidget = outer ? new Widget(outer) : shell->m_widget.get();
    shell->m_domWindow = dom::NewWindow();
    shell->m_windowCore = dom::Window::FromDOM(shell->m_domWindow);
    shell->m_windowHook = std::make_unique<WindowHook>(*shell);
    if (shell->m_windowCore) {
        shell->m_windowCore->SetHook(shell->m_windowHook.get());
        // Every window of a browser window sends its events on to the chrome
        // window, whose capture listeners so see them first.
        dom::Window* chrome = owner.ChromeWindow();
        if (chrome && chrome != shell->m_windowCore)
            shell->m_windowCore->SetEventParent(chrome);
    }
    if (parent)
        parent->m_children.push_back(shell);
    return shell;
}

void DocShell::Destroy() {
    if (m_destroyed)
        return;
    m_destroyed = true;
    nsCOMPtr<DocShell> keep(this);
    CancelLoad();
    DestroyChildren();
    DestroyPlugins();
    if (m_presShell) {
        m_presShell->Detach();
        m_presShell = nullptr;
    }
    if (m_windowCore) {
        m_windowCore->SetHook(nullptr);
        m_windowCore->SetEventParent(nullptr);
        m_windowCore->SetParentWindow(nullptr);
        m_windowCore->SetDocument(nullptr);
    }
    if (m_widget)
        m_widget->Detach();
    if (m_mainWidget)
        m_mainWidget->Detach();
    if (m_ownsWindow && IsWindow(m_window))
        DestroyWindow(m_window);
    m_window = nullptr;
    m_document = nullptr;
    m_listeners = ProgressListeners();
}

std::vector<HWND> DocShell::PluginWindows() const {
    std::vector<HWND> windows;
    for (const auto& plugin : m_plugins)
        windows.push_back(plugin.second);
    return windows;
}

std::vector<HWND> DocShell::ListWindows() const {
    std::vector<HWND> windows;
    for (const auto& list : m_lists)
        windows.push_back(list.second);
    return windows;
}

void DocShell::DestroyPlugins() {
    for (auto* windows : {&m_plugins, &m_lists}) {
        for (auto& [node, window] : *windows)
            if (IsWindow(window))
                DestroyWindow(window);
        windows->clear();
    }
}

void DocShell::DestroyChildren() {
    // Detached first, so that a child's destruction never sees its siblings.
    std::vector<nsCOMPtr<DocShell>> children;
    children.swap(m_children);
    for (auto& child : children) {
        if (dom::Element* element = child->FrameElement()) {
            if (auto* owner = dynamic_cast<dom::FrameOwner*>(element))
                owner->AttachWindow(*element, nullptr);
            child->m_frameElement = nullptr;
        }
        child->Destroy();
        child->m_parent = nullptr;
    }
    m_pendingFrames = 0;
}

bool DocShell::IsBusyInTree() const {
    if (m_busy)
        return true;
    return std::any_of(m_children.begin(), m_children.end(),
                       [](const nsCOMPtr<DocShell>& child) { return child->IsBusyInTree(); });
}

DocShell* DocShell::RootContentShell() {
    if (m_itemType != typeContent)
        return nullptr;
    DocShell* shell = this;
    while (shell->m_parent && shell->m_parent->m_itemType == typeContent)
        shell = shell->m_parent;
    return shell;
}

void DocShell::SetBounds(const RECT& rect) {
    if (m_ownsWindow && IsWindow(m_window))
        MoveWindow(m_window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   TRUE);
    Relayout();
}

void DocShell::Relayout() {
    if (m_presShell)
        m_presShell->Relayout();
    PlaceFrames();
}

// ---------------------------------------------------------------------------
// Loading

bool DocShell::MayOpen(nsIURI* uri) {
    for (DocShell* shell = this; shell; shell = shell->m_parent) {
        if (nsIURIContentListener* listener = shell->m_parentListener) {
            // The listener may run the tool's code: keep it alive meanwhile.
            nsCOMPtr<nsIURIContentListener> keep(listener);
            PRBool abort = PR_FALSE;
            listener->OnStartURIOpen(uri, &abort);
            return !abort;
        }
    }
    return true;
}

void DocShell::CancelLoad() {
    ++m_loadId;
    if (m_channel) {
        m_channel->Cancel(NS_BINDING_ABORTED);
        m_channel = nullptr;
    }
}

bool DocShell::IsRecursiveFrameLoad(nsIURI* uri) const {
    if (!m_parent || m_parent->m_itemType != m_itemType)
        return false; // a top document loads anything
    auto withoutRef = [](const std::string& spec) { return spec.substr(0, spec.find('#')); };
    std::string spec;
    uri->GetSpec(spec);
    spec = withoutRef(spec);
    int depth = 0;
    for (const DocShell* shell = m_parent; shell && shell->m_itemType == m_itemType;
         shell = shell->m_parent) {
        if (++depth > kMaxFrameDepth)
            return true;
        nsCOMPtr<nsIURI> shown = NewURI(shell->m_url);
        std::string shownSpec;
        if (shown && NS_SUCCEEDED(shown->GetSpec(shownSpec)) && withoutRef(shownSpec) == spec)
            return true;
    }
    return false;
}

nsresult DocShell::StartLoad(const std::string& url, HistoryMode mode, int historyIndex,
                             Origin origin) {
    if (m_destroyed)
        return NS_ERROR_NOT_AVAILABLE;
    nsCOMPtr<nsIURI> uri = NewURI(url);
    if (!uri)
        return NS_ERROR_MALFORMED_URI;
    // A frame never shows the address of a document around it (it would
    // frame itself without end), and frames nest only so deep: such a frame
    // stays empty, as browsers leave it.
    if (url != kBlankAddress && IsRecursiveFrameLoad(uri))
        return StartLoad(std::string(kBlankAddress), mode, historyIndex, origin);
    nsCOMPtr<DocShell> keep(this);
    if (origin == Origin::Navigation && !MayOpen(uri))
        return NS_OK; // refused by a content listener: nothing happens
    if (m_destroyed)
        return NS_ERROR_NOT_AVAILABLE;
    bool wasBusy = m_busy;
    CancelLoad();
    if (wasBusy) {
        // The interrupted load ends here; its document never finishes.
        m_busy = false;
        m_pendingFrames = 0;
    }
    nsCOMPtr<nsIChannel> channel = NewLoadChannel(uri);
    if (!channel)
        return NS_ERROR_MALFORMED_URI;
    uint64_t loadId = m_loadId;
    m_busy = true;
    m_documentShown = false;
    m_loadStatus = NS_OK;
    m_pendingMode = mode;
    m_pendingIndex = historyIndex;
    m_channel = channel;
    m_loadingURL = url;
    NotifyState(nsIWebProgressListener::STATE_START | nsIWebProgressListener::STATE_IS_DOCUMENT,
                NS_OK);
    if (m_loadId != loadId || m_destroyed)
        return NS_OK; // a listener started another load meanwhile
    nsCOMPtr<LoadListener> listener(new LoadListener(*this, loadId));
    nsresult rv = channel->AsyncOpen(listener, nullptr);
    if (NS_FAILED(rv)) {
        m_channel = nullptr;
        m_finishRequest = channel.get();
        EventQueue::ForCurrentThread()->Post([self = nsCOMPtr<DocShell>(this), loadId, rv] {
            self->LoadFinished(loadId, nullptr, rv, "", "");
        });
    }
    return NS_OK;
}

std::string ErrorPageMarkup(const std::string& url, nsresult status) {
    std::string reason;
    if (status == NS_ERROR_FILE_NOT_FOUND)
        reason = "The file could not be found.";
    else if (status == NS_ERROR_CONNECTION_REFUSED)
        reason = "The connection was refused when attempting to contact the server.";
    else if (status == NS_ERROR_UNKNOWN_PROTOCOL)
        reason = "The protocol of this address is not known.";
    else if (status == NS_ERROR_MALFORMED_URI)
        reason = "The address is not valid.";
    else
        reason = "The document could not be loaded.";
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", status);
    return "<html><head><title>Problem loading page</title></head>"
           "<body id=\"errorPage\"><h1>Problem loading page</h1><p id=\"errorReason\">" +
           EscapeHTML(reason) + "</p><p id=\"errorAddress\">" + EscapeHTML(url) +
           "</p><p id=\"errorCode\">" + code + "</p></body></html>";
}

void DocShell::LoadFinished(uint64_t loadId, nsIRequest* request, nsresult status,
                            std::string contentType, std::string body) {
    if (loadId != m_loadId || m_destroyed)
        return; // superseded or stopped
    nsCOMPtr<DocShell> keep(this);
    m_channel = nullptr;
    if (request)
        m_finishRequest = request;
    m_loadStatus = status;
    nsString url = Wide(m_loadingURL);
    nsCOMPtr<nsIDOMDocument> document;
    if (NS_SUCCEEDED(status)) {
        if (contentType.empty())
            contentType = ContentTypeForPath(m_loadingURL);
        if (IsXULType(contentType)) {
            nsString error;
            document = dom::ParseXULDocument(body, url, &error);
            if (!document) {
                m_loadStatus = NS_ERROR_FAILURE;
                body = "<html><head><title>XML parsing error</title></head><body>"
                       "<h1>XML parsing error</h1><pre id=\"errorReason\">" +
                       EscapeHTML(Narrow(error)) + "</pre></body></html>";
                document = dom::ParseHTMLDocument(body, url).get();
            }
        } else if (contentType.starts_with("image/")) {
            document =
                dom::ParseHTMLDocument("<html><head><title></title></head><body><img src=\"" +
                                           EscapeHTML(m_loadingURL) + "\"></body></html>",
                                       url)
                    .get();
        } else if (contentType == "text/plain" || contentType == "text/css" ||
                   contentType == "application/x-javascript") {
            document = dom::ParseHTMLDocument("<html><head></head><body><pre>" + EscapeHTML(body) +
                                                  "</pre></body></html>",
                                              url)
                           .get();
        } else {
            document = dom::ParseHTMLDocument(body, url).get();
        }
    }
    if (!document)
        document = dom::ParseHTMLDocument(ErrorPageMarkup(m_loadingURL, status), url).get();
    ShowDocument(document, m_loadingURL);
    m_documentShown = true;
    StartFrames();
    FinishIfComplete();
}

void DocShell::ShowDocument(nsCOMPtr<nsIDOMDocument> document, const std::string& url) {
    DestroyChildren();
    DestroyPlugins();
    if (m_presShell) {
        m_presShell->Detach();
        m_presShell = nullptr;
    }
    m_document = document;
    m_url = url;
    if (m_windowCore)
        m_windowCore->SetDocument(document);
    if (dom::Document* core = dom::Document::FromDOM(document)) {
        core->SetSubmitHook([this](dom::Element& form) { NavigateFromForm(form); });
        core->SetFocusHook([this](dom::Element* previous, dom::Element* focused) {
            m_host.FocusMoved(*this, previous, focused);
        });
    }
    m_presShell = new PresShell(*this, document);
    m_presShell->Relayout();

    // Session history: the top content shell records its documents.
    if (m_itemType == typeContent && RootContentShell() == this) {
        nsString title;
        if (nsCOMPtr<nsIDOMDocumentInternal> internal = do_QueryInterface(document))
            internal->GetDocumentTitle(title);
        HistoryEntry entry{url, title};
        switch (m_pendingMode) {
        case HistoryMode::Add:
            if (m_historyIndex + 1 < static_cast<int>(m_history.size()))
                m_history.resize(m_historyIndex + 1);
            m_history.push_back(entry);
            m_historyIndex = static_cast<int>(m_history.size()) - 1;
            break;
        case HistoryMode::Replace:
            if (m_historyIndex >= 0)
                m_history[m_historyIndex] = entry;
            else
                m_history.push_back(entry), m_historyIndex = 0;
            break;
        case HistoryMode::GotoIndex:
            if (m_pendingIndex >= 0 && m_pendingIndex < static_cast<int>(m_history.size())) {
                m_historyIndex = m_pendingIndex;
                m_history[m_historyIndex].title = title;
            }
            break;
        case HistoryMode::Keep:
            if (m_historyIndex >= 0)
                m_history[m_historyIndex].title = title;
            break;
        }
    }
    m_owner.DocumentShown(*this);
    NotifyLocation();
}

void DocShell::NotifyLocation() {
    nsCOMPtr<DocShell> keep(this);
    nsCOMPtr<nsIURI> location = NewURI(m_url);
    nsCOMPtr<nsIRequest> request = m_finishRequest;
    nsIWebProgress* progress = this;
    for (DocShell* shell = this; shell; shell = shell->m_parent)
        shell->m_listeners.Notify([&](nsIWebProgressListener* listener) {
            listener->OnLocationChange(progress, request, location);
        });
    m_host.Loader().Listeners().Notify([&](nsIWebProgressListener* listener) {
        listener->OnLocationChange(progress, request, location);
    });
}

void DocShell::StartFrames() {
    dom::Document* core = dom::Document::FromDOM(m_document);
    if (!core)
        return;
    std::vector<dom::Element*> frames;
    for (dom::Node* node = core->FirstChild(); node; node = node->NextInTree(core)) {
        if (!node->IsElement())
            continue;
        auto* element = static_cast<dom::Element*>(node);
        if (!core->IsHTML())
            continue;
        if (element->HasTag(u"frame") || element->HasTag(u"iframe")) {
            frames.push_back(element);
        } else if (element->HasTag(u"object") || element->HasTag(u"embed")) {
            RECT rect{0, 0, 0, 0};
            if (m_presShell)
                rect = m_presShell->ClientRect(*element).value_or(RECT{0, 0, 0, 0});
            HWND plugin = CreateChildWindow(m_window, kPluginWindowClass, rect.left, rect.top,
                                            rect.right - rect.left, rect.bottom - rect.top);
            m_plugins.emplace_back(dom::NodeRef(element), plugin);
        } else if (element->HasTag(u"select")) {
            // Selection lists are native controls: a child window where the
            // list is laid out, so that the window under a list is the list.
            RECT rect{0, 0, 0, 0};
            if (m_presShell)
                rect = m_presShell->ClientRect(*element).value_or(RECT{0, 0, 0, 0});
            HWND list = CreateChildWindow(
                m_window, IsListBox(*element) ? kListBoxWindowClass : kComboBoxWindowClass,
                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
            EnableWindow(list, element->FindAttribute(u"disabled") ? FALSE : TRUE);
            m_lists.emplace_back(dom::NodeRef(element), list);
        }
    }
    for (dom::Element* element : frames) {
        auto* owner = dynamic_cast<dom::FrameOwner*>(element);
        if (!owner)
            continue;
        RECT rect{0, 0, 0, 0};
        if (m_presShell)
            rect = m_presShell->ClientRect(*element).value_or(RECT{0, 0, 0, 0});
        nsCOMPtr<DocShell> child =
            Create(m_host, m_owner, this, typeContent, m_window, rect, nullptr);
        child->m_name = element->Attribute(u"name");
        if (child->m_windowCore)
            child->m_windowCore->SetName(child->m_name);
        child->m_frameElement = element;
        owner->AttachWindow(*element, child->m_windowCore);
        nsString src = element->Attribute(u"src");
        std::string target = "about:blank";
        if (!src.empty()) {
            nsString resolved = core->ResolveURL(src);
            if (!resolved.empty())
                target = Narrow(resolved);
        }
        child->m_loadingForParent = true;
        ++m_pendingFrames;
        child->StartLoad(target, HistoryMode::Keep, -1, Origin::FrameLoad);
    }
}

void DocShell::PlaceFrames() {
    if (!m_presShell)
        return;
    for (auto& [node, plugin] : m_plugins) {
        RECT rect =
            m_presShell->ClientRect(static_cast<dom::Element&>(*node)).value_or(RECT{0, 0, 0, 0});
        if (IsWindow(plugin))
            MoveWindow(plugin, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       TRUE);
    }
    // A list the page removed or hid keeps an empty window.
    for (auto& [node, list] : m_lists) {
        auto& element = static_cast<dom::Element&>(*node);
        RECT rect = m_presShell->ClientRect(element).value_or(RECT{0, 0, 0, 0});
        if (!IsWindow(list))
            continue;
        MoveWindow(list, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        EnableWindow(list, element.FindAttribute(u"disabled") ? FALSE : TRUE);
    }
    for (auto& child : m_children) {
        if (!child->FrameElement())
            continue;
        RECT rect = m_presShell->ClientRect(*child->FrameElement()).value_or(RECT{0, 0, 0, 0});
        if (IsWindow(child->m_window))
            MoveWindow(child->m_window, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, TRUE);
        child->Relayout();
    }
}

void DocShell::ChildFinished() {
    if (m_pendingFrames > 0)
        --m_pendingFrames;
    FinishIfComplete();
}

void DocShell::FinishIfComplete() {
    if (!m_busy || !m_documentShown || m_pendingFrames > 0)
        return;
    nsCOMPtr<DocShell> keep(this);
    m_busy = false;
    NotifyState(nsIWebProgressListener::STATE_STOP | nsIWebProgressListener::STATE_IS_DOCUMENT,
                m_loadStatus);
    m_finishRequest = nullptr;
    if (m_loadingForParent) {
        m_loadingForParent = false;
        if (m_parent)
            m_parent->ChildFinished();
    }
}

void DocShell::NotifyState(PRUint32 flags, nsresult status) {
    nsCOMPtr<DocShell> keep(this);
    nsCOMPtr<nsIRequest> request = m_finishRequest;
    if (!request)
        request = m_channel.get();
    nsIWebProgress* progress = this;
    for (DocShell* shell = this; shell; shell = shell->m_parent)
        shell->m_listeners.Notify([&](nsIWebProgressListener* listener) {
            listener->OnStateChange(progress, request, flags, status);
        });
    m_host.Loader().NotifyStateChange(progress, request, flags, status);
}

DocShell* DocShell::FindTarget(std::u16string_view target) {
    if (target.empty() || target == u"_self")
        return this;
    if (target == u"_top") {
        DocShell* root = RootContentShell();
        return root ? root : this;
    }
    if (target == u"_parent") {
        if (m_parent && m_parent->m_itemType == m_itemType)
            return m_parent;
        return this;
    }
    if (target == u"_blank")
        return nullptr;
    DocShell* root = RootContentShell();
    nsCOMPtr<nsIDocShellTreeItem> found;
    if (root)
        root->FindItemWithName(nsString(target), getter_AddRefs(found));
    // Items of this tree are all document shells of this browser.
    if (found)
        return static_cast<DocShell*>(found.get());
    return this;
}

// ---------------------------------------------------------------------------
// nsIDocShell

nsresult DocShell::GetPresShell(nsIPresShell** shell) {
    if (!shell)
        return NS_ERROR_NULL_POINTER;
    *shell = nullptr;
    if (!m_presShell)
        return NS_ERROR_NOT_AVAILABLE;
    return Out<nsIPresShell>(m_presShell, shell);
}

nsresult DocShell::GetPresContext(nsIPresContext** context) {
    if (!context)
        return NS_ERROR_NULL_POINTER;
    *context = nullptr;
    if (!m_presShell)
        return NS_ERROR_NOT_AVAILABLE;
    return Out<nsIPresContext>(m_presShell, context);
}

nsresult DocShell::GetDOMWindow(nsIDOMWindow** window) {
    return Out<nsIDOMWindow>(m_destroyed ? nullptr : m_domWindow.get(), window);
}

nsresult DocShell::GetDocument(nsIDOMDocument** document) {
    return Out<nsIDOMDocument>(m_document, document);
}

nsresult DocShell::GetCurrentURI(nsIURI** uri) {
    if (!uri)
        return NS_ERROR_NULL_POINTER;
    *uri = m_url.empty() ? nullptr : NewURI(m_url).forget();
    return NS_OK;
}

nsresult DocShell::GetParentURIContentListener(nsIURIContentListener** listener) {
    return Out(m_parentListener, listener);
}

nsresult DocShell::SetParentURIContentListener(nsIURIContentListener* listener) {
    m_parentListener = listener;
    return NS_OK;
}

nsresult DocShell::GetBusyFlags(PRUint32* flags) {
    if (!flags)
        return NS_ERROR_NULL_POINTER;
    *flags = BUSY_FLAGS_NONE;
    if (IsBusyInTree()) {
        *flags = BUSY_FLAGS_BUSY | BUSY_FLAGS_PAGE_LOADING;
        if (m_busy && !m_documentShown)
            *flags |= BUSY_FLAGS_BEFORE_PAGE_LOAD;
    }
    return NS_OK;
}

nsresult DocShell::GetChromeEventHandler(nsISupports** handler) {
    if (!handler)
        return NS_ERROR_NULL_POINTER;
    *handler = nullptr;
    dom::Window* chrome = m_owner.ChromeWindow();
    if (!chrome)
        return NS_ERROR_NOT_AVAILABLE;
    nsISupports* object = chrome->AsDOMWindow();
    object->AddRef();
    *handler = object;
    return NS_OK;
}

// ---------------------------------------------------------------------------
// nsIDocShellTreeItem

nsresult DocShell::GetName(nsAString& name) {
    name = m_name;
    return NS_OK;
}

nsresult DocShell::SetName(const nsAString& name) {
    m_name = name;
    if (m_windowCore)
        m_windowCore->SetName(name);
    return NS_OK;
}

nsresult DocShell::GetItemType(PRInt32* type) {
    if (!type)
        return NS_ERROR_NULL_POINTER;
    *type = m_itemType;
    return NS_OK;
}

nsresult DocShell::GetParent(nsIDocShellTreeItem** parent) {
    return Out<nsIDocShellTreeItem>(m_parent, parent);
}

nsresult DocShell::GetSameTypeParent(nsIDocShellTreeItem** parent) {
    return Out<nsIDocShellTreeItem>(
        m_parent && m_parent->m_itemType == m_itemType ? m_parent : nullptr, parent);
}

nsresult DocShell::GetRootTreeItem(nsIDocShellTreeItem** root) {
    DocShell* shell = this;
    while (shell->m_parent)
        shell = shell->m_parent;
    return Out<nsIDocShellTreeItem>(shell, root);
}

nsresult DocShell::GetSameTypeRootTreeItem(nsIDocShellTreeItem** root) {
    DocShell* shell = this;
    while (shell->m_parent && shell->m_parent->m_itemType == m_itemType)
        shell = shell->m_parent;
    return Out<nsIDocShellTreeItem>(shell, root);
}

nsresult DocShell::GetTreeOwner(nsIDocShellTreeOwner** owner) {
    return Out(m_owner.TreeOwner(), owner);
}

nsresult DocShell::GetChildCount(PRInt32* count) {
    if (!count)
        return NS_ERROR_NULL_POINTER;
    *count = static_cast<PRInt32>(m_children.size());
    return NS_OK;
}

nsresult DocShell::GetChildAt(PRInt32 index, nsIDocShellTreeItem** child) {
    if (!child)
        return NS_ERROR_NULL_POINTER;
    *child = nullptr;
    if (index < 0 || index >= static_cast<PRInt32>(m_children.size()))
        return NS_ERROR_INVALID_ARG;
    return Out<nsIDocShellTreeItem>(m_children[index], child);
}

nsresult DocShell::FindItemWithName(const nsAString& name, nsIDocShellTreeItem** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (name.empty())
        return NS_OK;
    if (m_name == name)
        return Out<nsIDocShellTreeItem>(this, result);
    for (auto& child : m_children) {
        child->FindItemWithName(name, result);
        if (*result)
            return NS_OK;
    }
    return NS_OK;
}

// ---------------------------------------------------------------------------
// nsIWebNavigation

nsresult DocShell::GetCanGoBack(PRBool* result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    DocShell* root = RootContentShell();
    *result = root && root->m_historyIndex > 0 ? PR_TRUE : PR_FALSE;
    return NS_OK;
}

nsresult DocShell::GetCanGoForward(PRBool* result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    DocShell* root = RootContentShell();
    *result = root && root->m_historyIndex + 1 < static_cast<int>(root->m_history.size())
                  ? PR_TRUE
                  : PR_FALSE;
    return NS_OK;
}

nsresult DocShell::GoBack() {
    DocShell* root = RootContentShell();
    if (!root || root->m_historyIndex <= 0)
        return NS_ERROR_UNEXPECTED;
    return root->GotoIndex(root->m_historyIndex - 1);
}

nsresult DocShell::GoForward() {
    DocShell* root = RootContentShell();
    if (!root || root->m_historyIndex + 1 >= static_cast<int>(root->m_history.size()))
        return NS_ERROR_UNEXPECTED;
    return root->GotoIndex(root->m_historyIndex + 1);
}

nsresult DocShell::GotoIndex(PRInt32 index) {
    DocShell* root = RootContentShell();
    if (!root)
        return NS_ERROR_UNEXPECTED;
    if (index < 0 || index >= static_cast<PRInt32>(root->m_history.size()))
        return NS_ERROR_INVALID_ARG;
    std::string url = root->m_history[index].url;
    return root->StartLoad(url, HistoryMode::GotoIndex, index);
}

nsresult DocShell::LoadURI(const nsAString& uri, PRUint32 loadFlags) {
    std::string spec = Narrow(uri);
    nsCOMPtr<nsIURI> base = m_url.empty() ? nullptr : NewURI(m_url);
    nsCOMPtr<nsIURI> resolved = NewURI(spec, base);
    if (!resolved) {
        // A bare path or host name typed into the address field.
        if (!spec.empty() && spec.front() == '/')
            resolved = NewURI(URIFromFilePath(spec));
        else if (!spec.empty())
            resolved = NewURI("http://" + spec);
    }
    if (!resolved)
        return NS_ERROR_MALFORMED_URI;
    std::string target;
    resolved->GetSpec(target);
    HistoryMode mode = (loadFlags & LOAD_FLAGS_REPLACE_HISTORY)  ? HistoryMode::Replace
                       : (loadFlags & LOAD_FLAGS_BYPASS_HISTORY) ? HistoryMode::Keep
                                                                 : HistoryMode::Add;
    return StartLoad(target, mode);
}

nsresult DocShell::Reload(PRUint32) {
    if (m_url.empty())
        return NS_ERROR_UNEXPECTED;
    std::string url = m_url;
    return StartLoad(url, HistoryMode::Keep);
}

nsresult DocShell::Stop(PRUint32 stopFlags) {
    nsCOMPtr<DocShell> keep(this);
    for (auto& child : std::vector<nsCOMPtr<DocShell>>(m_children))
        child->Stop(stopFlags);
    if (!m_busy)
        return NS_OK;
    CancelLoad();
    if (!m_documentShown) {
        // Nothing of the new document arrived: the old one stays, and the
        // load ends now.
        m_documentShown = true;
        m_loadStatus = NS_BINDING_ABORTED;
    }
    m_pendingFrames = 0;
    FinishIfComplete();
    return NS_OK;
}

nsresult DocShell::GetSessionHistory(nsISHistory** history) {
    if (!history)
        return NS_ERROR_NULL_POINTER;
    *history = nullptr;
    DocShell* root = RootContentShell();
    if (!root)
        return NS_ERROR_NOT_AVAILABLE;
    *history =
        nsCOMPtr<nsISHistory>(new SessionHistory(root->m_history, root->m_historyIndex)).forget();
    return NS_OK;
}

// ---------------------------------------------------------------------------
// nsIWebProgress, nsIDocumentLoader, nsIBrowserWindow

nsresult DocShell::AddProgressListener(nsIWebProgressListener* listener) {
    return m_listeners.Add(listener);
}

nsresult DocShell::RemoveProgressListener(nsIWebProgressListener* listener) {
    return m_listeners.Remove(listener);
}

nsresult DocShell::GetIsLoadingDocument(PRBool* loading) {
    if (!loading)
        return NS_ERROR_NULL_POINTER;
    *loading = m_busy ? PR_TRUE : PR_FALSE;
    return NS_OK;
}

nsresult DocShell::Stop() {
    return Stop(STOP_ALL);
}

nsresult DocShell::IsBusy(PRBool* busy) {
    if (!busy)
        return NS_ERROR_NULL_POINTER;
    *busy = IsBusyInTree() ? PR_TRUE : PR_FALSE;
    return NS_OK;
}

nsresult DocShell::GetContainer(nsISupports** container) {
    if (!container)
        return NS_ERROR_NULL_POINTER;
    nsISupports* self = static_cast<nsIDocShell*>(this);
    self->AddRef();
    *container = self;
    return NS_OK;
}

nsresult DocShell::GetParent(nsIDocumentLoader** parent) {
    if (!parent)
        return NS_ERROR_NULL_POINTER;
    if (m_parent)
        return Out<nsIDocumentLoader>(m_parent, parent);
    return Out<nsIDocumentLoader>(&m_host.Loader(), parent);
}

nsresult DocShell::Home() {
    DocShell* root = RootContentShell();
    if (!root)
        return NS_ERROR_UNEXPECTED;
    return root->LoadURI(Wide(m_host.HomePage()), LOAD_FLAGS_NONE);
}

nsresult DocShell::GetIsBusy(PRBool* busy) {
    return IsBusy(busy);
}

// ---------------------------------------------------------------------------
// nsIBaseWindow

nsresult DocShell::GetMainWidget(nsIWidget** widget) {
    return Out<nsIWidget>(m_destroyed ? nullptr : m_mainWidget.get(), widget);
}

nsresult DocShell::GetParentNativeWindow(HWND__** parent) {
    if (!parent)
        return NS_ERROR_NULL_POINTER;
    *parent = IsWindow(m_window) ? ::GetParent(m_window) : nullptr;
    return NS_OK;
}

nsresult DocShell::GetPositionAndSize(PRInt32* x, PRInt32* y, PRInt32* width, PRInt32* height) {
    nsRect bounds;
    if (!m_widget || NS_FAILED(m_widget->GetBounds(bounds)))
        return NS_ERROR_NOT_AVAILABLE;
    if (x)
        *x = bounds.x;
    if (y)
        *y = bounds.y;
    if (width)
        *width = bounds.width;
    if (height)
        *height = bounds.height;
    return NS_OK;
}

nsresult DocShell::GetVisibility(PRBool* visible) {
    if (!visible)
        return NS_ERROR_NULL_POINTER;
    *visible = IsWindow(m_window) && IsWindowVisible(m_window) ? PR_TRUE : PR_FALSE;
    return NS_OK;
}

// ---------------------------------------------------------------------------
// nsIInterfaceRequestor

nsresult DocShell::GetInterface(const nsIID& iid, void** result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    *result = nullptr;
    if (iid.Equals(nsIDOMWindow::kIID) || iid.Equals(nsIDOMWindowInternal::kIID)) {
        if (!m_domWindow || m_destroyed)
            return NS_ERROR_NO_INTERFACE;
        return m_domWindow->QueryInterface(iid, result);
    }
    if (iid.Equals(nsIPresShell::kIID) || iid.Equals(nsIPresContext::kIID)) {
        if (!m_presShell)
            return NS_ERROR_NO_INTERFACE;
        return m_presShell->QueryInterface(iid, result);
    }
    return QueryInterface(iid, result);
}

// ---------------------------------------------------------------------------
// nsILinkHandler

nsresult DocShell::OnLinkClick(nsIDOMNode*, nsLinkVerb verb, nsIURI* uri, const nsAString& target,
                               nsIInputStream* postData) {
    if (!uri)
        return NS_ERROR_NULL_POINTER;
    std::string spec;
    uri->GetSpec(spec);
    if (spec.starts_with("javascript:"))
        return NS_OK; // scripts do not run in this browser
    if (verb == eLinkVerb_New || target == u"_blank") {
        m_host.OpenLinkWindow(spec);
        return NS_OK;
    }
    DocShell* shell = FindTarget(target);
    if (!shell)
        return NS_ERROR_FAILURE;
    // Posted: the link's own document may still be dispatching the click.
    // Links carry no body of their own (forms submit with GET), so post
    // data are not used.
    EventQueue::ForCurrentThread()->Post(
        [shell = nsCOMPtr<DocShell>(shell), spec] { shell->StartLoad(spec, HistoryMode::Add); });
    return NS_OK;
}

nsresult DocShell::OnOverLink(nsIDOMNode*, nsIURI* uri, const nsAString&) {
    std::string spec;
    if (uri)
        uri->GetSpec(spec);
    m_overLink = Wide(spec);
    return NS_OK;
}

nsresult DocShell::GetOverLink(nsAString& uri) {
    uri = m_overLink;
    return NS_OK;
}

// ---------------------------------------------------------------------------
// nsIURIContentListener

nsresult DocShell::OnStartURIOpen(nsIURI* uri, PRBool* abort) {
    if (!abort)
        return NS_ERROR_NULL_POINTER;
    *abort = PR_FALSE;
    if (m_parentOfOwnListener)
        return m_parentOfOwnListener->OnStartURIOpen(uri, abort);
    return NS_OK;
}

nsresult DocShell::GetProtocolHandler(nsIURI*, nsISupports** handler) {
    if (!handler)
        return NS_ERROR_NULL_POINTER;
    *handler = nullptr;
    return NS_OK;
}

nsresult DocShell::DoContent(const char*, PRBool, nsIRequest*, nsIStreamListener** handler,
                             PRBool* abort) {
    if (handler)
        *handler = nullptr;
    if (abort)
        *abort = PR_FALSE;
    return NS_ERROR_NOT_IMPLEMENTED;
}

nsresult DocShell::IsPreferred(const char* contentType, PRInt32 command,
                               nsACString& desiredContentType, PRBool* result) {
    return CanHandleContent(contentType, command, desiredContentType, result);
}

nsresult DocShell::CanHandleContent(const char* contentType, PRInt32,
                                    nsACString& desiredContentType, PRBool* result) {
    if (!result)
        return NS_ERROR_NULL_POINTER;
    desiredContentType.clear();
    std::string_view type = contentType ? contentType : "";
    *result =
        type == "text/html" || type == "text/plain" || IsXULType(type) || type.starts_with("image/")
            ? PR_TRUE
            : PR_FALSE;
    return NS_OK;
}

nsresult DocShell::GetLoadCookie(nsISupports** cookie) {
    return Out(m_loadCookie.get(), cookie);
}

nsresult DocShell::SetLoadCookie(nsISupports* cookie) {
    m_loadCookie = cookie;
    return NS_OK;
}

nsresult DocShell::GetParentContentListener(nsIURIContentListener** parent) {
    return Out(m_parentOfOwnListener, parent);
}

nsresult DocShell::SetParentContentListener(nsIURIContentListener* parent) {
    m_parentOfOwnListener = parent;
    return NS_OK;
}

} // namespace browser

// The document shell: loads documents into one DOM window and keeps what
// belongs to it (native window and widget, presentation, frames, session
// history, progress listeners, the parent URI content listener).
//
//     nsCOMPtr<DocShell> shell = DocShell::Create(host, owner, nullptr,
//                                                 nsIDocShellTreeItem::typeContent, parentHwnd,
//                                                 rect);
//     shell->LoadURI(u"file:///tmp/a.html", nsIWebNavigation::LOAD_FLAGS_NONE);
//     // ... the event queue runs: fetch, parse, frames, finished notifications
//
// A load runs in steps through the thread's event queue: the channel's data
// arrive, the document is parsed and shown, the shells of its FRAME and
// IFRAME elements are made and load their own documents, and when the
// document and all its frames are complete the shell tells its progress
// listeners (then those of the shells above it and of the document loader
// service) one STATE_STOP | STATE_IS_DOCUMENT. Frames finish before the
// document that holds them. A failed load shows an error page and finishes
// the same way, with the failure as status.
#pragma once

#include "platform/browser/dom/Element.h"
#include "platform/browser/dom/Window.h"
#include "platform/browser/shell/DocumentLoader.h"
#include "platform/browser/shell/NativeWindows.h"
#include "platform/xpcom/shell/nsIDocShell.h"
#include "platform/xpcom/shell/nsINetwork.h"
#include "platform/xpcom/shell/nsIPresShell.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace browser {

class PresShell;
class DocShell;

// What a shell needs of the browser around it.
class ShellHost {
public:
    virtual ~ShellHost() = default;
    virtual DocumentLoaderService& Loader() = 0;
    virtual std::string HomePage() = 0;
    // Opens a new browser window on `url` (links with target "_blank").
    virtual void OpenLinkWindow(const std::string& url) = 0;
    // The focus of `shell`'s document moved through the DOM (`focused` null:
    // taken away), before the blur and focus events.
    virtual void FocusMoved(DocShell& shell, dom::Element* previous, dom::Element* focused) = 0;
};

// What a shell needs of the browser window it belongs to.
class WindowOwner {
public:
    virtual ~WindowOwner() = default;
    virtual nsIDocShellTreeOwner* TreeOwner() = 0;
    // The chrome window, which receives the events of every document of the
    // browser window.
    virtual dom::Window* ChromeWindow() = 0;
    // A document was shown in `shell` (the chrome makes its content area;
    // the address field and the history list follow the top content).
    virtual void DocumentShown(DocShell& shell) = 0;
};

struct HistoryEntry {
    std::string url;
    nsString title;
};

class DocShell final
    : public nsSupportsImpl<DocShell, nsIDocShell, nsIDocShellTreeItem, nsIWebNavigation,
                            nsIWebProgress, nsIDocumentLoader, nsIBaseWindow, nsIInterfaceRequestor,
                            nsIBrowserWindow, nsILinkHandler, nsIURIContentListener> {
public:
    // A shell with its own child native window of `parent` at `rect`
    // (client coordinates of the parent), or over the existing native
    // window `own` when given (the chrome shell of a top-level window).
    static nsCOMPtr<DocShell> Create(ShellHost& host, WindowOwner& owner, DocShell* parent,
                                     PRInt32 itemType, HWND parentWindow, const RECT& rect,
                                     HWND own = nullptr);

    // Takes the shell apart: stops loads, destroys child shells and the
    // native window (unless it was given), detaches the DOM window. Called
    // by whoever made the shell; idempotent.
    void Destroy();

    HWND NativeWindow() const { return m_window; }
    // The widget of the shell's own window (the root view's widget).
    Widget* OwnWidget() const { return m_destroyed ? nullptr : m_widget.get(); }
    dom::Window* WindowCore() const { return m_windowCore; }
    nsIDOMWindowInternal* DOMWindow() const { return m_domWindow; }
    DocShell* ParentShell() const { return m_parent; }
    const std::vector<nsCOMPtr<DocShell>>& Children() const { return m_children; }
    PresShell* Presentation() const { return m_presShell; }
    nsIDOMDocument* CurrentDocument() const { return m_document; }
    const std::string& CurrentURL() const { return m_url; }
    bool IsLoading() const { return m_busy; }
    // How the last load ended: NS_OK, or why it failed (an error page shows).
    nsresult LoadStatus() const { return m_loadStatus; }
    // This shell or one below it loads.
    bool IsBusyInTree() const;
    // The top content shell of this shell's tree (itself for it); null for
    // chrome.
    DocShell* RootContentShell();
    const std::vector<HistoryEntry>& History() const { return m_history; }
    int HistoryIndex() const { return m_historyIndex; }
    // The native windows of the document's plug-ins (OBJECT, EMBED).
    std::vector<HWND> PluginWindows() const;
    // The native list controls of the document's selection lists (SELECT),
    // in document order: placed where the lists are laid out, moved on
    // relayout and scrolling, disabled with their list.
    std::vector<HWND> ListWindows() const;
    // The FRAME or IFRAME element this shell shows its window in.
    dom::Element* FrameElement() const { return static_cast<dom::Element*>(m_frameElement.get()); }
    // Moves the native window (client coordinates of its parent).
    void SetBounds(const RECT& rect);

    // Starts a load of `url` (absolute) in this shell; `history` says how
    // the session history takes it.
    enum class HistoryMode { Add, Replace, Keep, GotoIndex };
    // A navigation asks the parent content listeners first; the first load
    // of a frame, which the document holding it starts, does not.
    // Frames nested deeper than this below their top document stay empty.
    static constexpr int kMaxFrameDepth = 10;
    static constexpr const char* kBlankAddress = "about:blank";

    enum class Origin { Navigation, FrameLoad };
    nsresult StartLoad(const std::string& url, HistoryMode mode, int historyIndex = -1,
                       Origin origin = Origin::Navigation);

    // Lays the document out again for the window's current size.
    void Relayout();

    // nsIDocShell
    nsresult GetPresShell(nsIPresShell** shell) override;
    nsresult GetPresContext(nsIPresContext** context) override;
    nsresult GetDOMWindow(nsIDOMWindow** window) override;
    nsresult GetDocument(nsIDOMDocument** document) override;
    nsresult GetCurrentURI(nsIURI** uri) override;
    nsresult GetParentURIContentListener(nsIURIContentListener** listener) override;
    nsresult SetParentURIContentListener(nsIURIContentListener* listener) override;
    nsresult GetBusyFlags(PRUint32* flags) override;
    nsresult GetChromeEventHandler(nsISupports** handler) override;

    // nsIDocShellTreeItem
    nsresult GetName(nsAString& name) override;
    nsresult SetName(const nsAString& name) override;
    nsresult GetItemType(PRInt32* type) override;
    nsresult GetParent(nsIDocShellTreeItem** parent) override;
    nsresult GetSameTypeParent(nsIDocShellTreeItem** parent) override;
    nsresult GetRootTreeItem(nsIDocShellTreeItem** root) override;
    nsresult GetSameTypeRootTreeItem(nsIDocShellTreeItem** root) override;
    nsresult GetTreeOwner(nsIDocShellTreeOwner** owner) override;
    nsresult GetChildCount(PRInt32* count) override;
    nsresult GetChildAt(PRInt32 index, nsIDocShellTreeItem** child) override;
    nsresult FindItemWithName(const nsAString& name, nsIDocShellTreeItem** result) override;

    // nsIWebNavigation
    nsresult GetCanGoBack(PRBool* result) override;
    nsresult GetCanGoForward(PRBool* result) override;
    nsresult GoBack() override;
    nsresult GoForward() override;
    nsresult GotoIndex(PRInt32 index) override;
    nsresult LoadURI(const nsAString& uri, PRUint32 loadFlags) override;
    nsresult Reload(PRUint32 loadFlags) override;
    nsresult Stop(PRUint32 stopFlags) override;
    nsresult GetSessionHistory(nsISHistory** history) override;

    // nsIWebProgress
    nsresult AddProgressListener(nsIWebProgressListener* listener) override;
    nsresult RemoveProgressListener(nsIWebProgressListener* listener) override;
    nsresult GetIsLoadingDocument(PRBool* loading) override;

    // nsIDocumentLoader, nsIBrowserWindow
    nsresult Stop() override;
    nsresult IsBusy(PRBool* busy) override;
    nsresult GetContainer(nsISupports** container) override;
    nsresult GetParent(nsIDocumentLoader** parent) override;
    nsresult Home() override;
    nsresult GetIsBusy(PRBool* busy) override;

    // nsIBaseWindow
    nsresult GetMainWidget(nsIWidget** widget) override;
    nsresult GetParentNativeWindow(HWND__** parent) override;
    nsresult GetPositionAndSize(PRInt32* x, PRInt32* y, PRInt32* width, PRInt32* height) override;
    nsresult GetVisibility(PRBool* visible) override;

    // nsIInterfaceRequestor
    nsresult GetInterface(const nsIID& iid, void** result) override;

    // nsILinkHandler
    nsresult OnLinkClick(nsIDOMNode* content, nsLinkVerb verb, nsIURI* uri, const nsAString& target,
                         nsIInputStream* postData) override;
    nsresult OnOverLink(nsIDOMNode* content, nsIURI* uri, const nsAString& target) override;
    nsresult GetOverLink(nsAString& uri) override;

    // nsIURIContentListener: the shell's own listener, which takes what it
    // can show.
    nsresult OnStartURIOpen(nsIURI* uri, PRBool* abort) override;
    nsresult GetProtocolHandler(nsIURI* uri, nsISupports** handler) override;
    nsresult DoContent(const char* contentType, PRBool isContentPreferred, nsIRequest* request,
                       nsIStreamListener** handler, PRBool* abort) override;
    nsresult IsPreferred(const char* contentType, PRInt32 command, nsACString& desiredContentType,
                         PRBool* result) override;
    nsresult CanHandleContent(const char* contentType, PRInt32 command,
                              nsACString& desiredContentType, PRBool* result) override;
    nsresult GetLoadCookie(nsISupports** cookie) override;
    nsresult SetLoadCookie(nsISupports* cookie) override;
    nsresult GetParentContentListener(nsIURIContentListener** parent) override;
    nsresult SetParentContentListener(nsIURIContentListener* parent) override;

private:
    friend class nsSupportsImpl<DocShell, nsIDocShell, nsIDocShellTreeItem, nsIWebNavigation,
                                nsIWebProgress, nsIDocumentLoader, nsIBaseWindow,
                                nsIInterfaceRequestor, nsIBrowserWindow, nsILinkHandler,
                                nsIURIContentListener>;
    class LoadListener;
    friend class LoadListener;
    // What the DOM window asks of its shell (native window, scrolling).
    class WindowHook;
    friend class WindowHook;

    DocShell(ShellHost& host, WindowOwner& owner, DocShell* parent, PRInt32 itemType);
    ~DocShell() override;

    // Asks the parent content listener chain (this shell's, else the
    // nearest one above) whether the navigation may go on.
    bool MayOpen(nsIURI* uri);
    void CancelLoad();
    void LoadFinished(uint64_t loadId, nsIRequest* request, nsresult status,
                      std::string contentType, std::string body);
    void ShowDocument(nsCOMPtr<nsIDOMDocument> document, const std::string& url);
    void DestroyChildren();
    void StartFrames();
    // Destroys the plug-in and list windows of the document.
    void DestroyPlugins();
    void PlaceFrames();
    void ChildFinished();
    void FinishIfComplete();
    void NotifyState(PRUint32 flags, nsresult status);
    // Tells the listeners that the window shows a document of a new address.
    void NotifyLocation();
    void NavigateFromForm(dom::Element& form);
    DocShell* FindTarget(std::u16string_view target);
    // Whether `uri` may not load in this frame: an enclosing document shows
    // it, or the frame lies kMaxFrameDepth deep.
    bool IsRecursiveFrameLoad(nsIURI* uri) const;

    ShellHost& m_host;    // observes: the browser outlives its shells
    WindowOwner& m_owner; // observes: the browser window outlives its shells
    DocShell* m_parent;   // observes: the parent owns this shell
    PRInt32 m_itemType;
    nsString m_name;
    HWND m_window = nullptr;
    bool m_ownsWindow = true;
    nsCOMPtr<Widget> m_widget;     // the shell's own window: the root view's widget
    nsCOMPtr<Widget> m_mainWidget; // the window the shell sits in (its own at the top)
    nsCOMPtr<nsIDOMWindowInternal> m_domWindow;
    std::unique_ptr<WindowHook> m_windowHook;
    dom::Window* m_windowCore = nullptr; // observes: kept alive by m_domWindow
    // Held: a script may take the element out of its document while the
    // frame still shows its window.
    dom::NodeRef m_frameElement;
    std::vector<nsCOMPtr<DocShell>> m_children;
    // Plug-in windows of the document's OBJECT and EMBED elements.
    std::vector<std::pair<dom::NodeRef, HWND>> m_plugins;
    std::vector<std::pair<dom::NodeRef, HWND>> m_lists;
    nsCOMPtr<PresShell> m_presShell;
    nsCOMPtr<nsIDOMDocument> m_document;
    std::string m_url;                                      // the shown document's address
    std::string m_loadingURL;                               // the address being loaded
    nsIURIContentListener* m_parentListener = nullptr;      // observes: its installer removes it
    nsIURIContentListener* m_parentOfOwnListener = nullptr; // observes, likewise
    nsCOMPtr<nsISupports> m_loadCookie;
    ProgressListeners m_listeners;
    nsString m_overLink;

    // The load in progress.
    uint64_t m_loadId = 0;
    bool m_busy = false;
    bool m_documentShown = false;
    bool m_loadingForParent = false; // tells the parent when it finishes
    int m_pendingFrames = 0;
    nsCOMPtr<nsIChannel> m_channel;
    nsCOMPtr<nsIRequest> m_finishRequest; // the request the finished notification names
    nsresult m_loadStatus = NS_OK;
    HistoryMode m_pendingMode = HistoryMode::Add;
    int m_pendingIndex = -1;

    // Session history (kept by the top content shell).
    std::vector<HistoryEntry> m_history;
    int m_historyIndex = -1;
    bool m_destroyed = false;
};

// The error page shown for a load that failed.
std::string ErrorPageMarkup(const std::string& url, nsresult status);

} // namespace browser

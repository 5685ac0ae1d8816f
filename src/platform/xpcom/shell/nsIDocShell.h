// Document shells: the object behind every DOM window the browser shows (a
// browser window's chrome, its content area, every frame and inline frame).
// A document shell loads documents into its window, keeps the session
// history, and links the window to its presentation and its native window.
//
// From a DOM window to its shell and on:
//
//     nsCOMPtr<nsIDOMWindowInternal> internal = do_QueryInterface(window);
//     nsCOMPtr<nsISupports> raw;
//     internal->GetDocShell(getter_AddRefs(raw));
//     nsCOMPtr<nsIDocShell> shell = do_QueryInterface(raw);
//     nsCOMPtr<nsIWebNavigation> navigation = do_QueryInterface(shell);
//     nsCOMPtr<nsIDocShellTreeItem> item = do_QueryInterface(shell);
//
// A document shell answers nsIDocShell, nsIDocShellTreeItem,
// nsIWebNavigation, nsIWebProgress, nsIDocumentLoader, nsIBaseWindow,
// nsIInterfaceRequestor and nsIBrowserWindow by QueryInterface; through
// nsIInterfaceRequestor::GetInterface it also answers its DOM window
// (nsIDOMWindow), its own URI content listener (nsIURIContentListener) and
// its link handler (nsILinkHandler).
//
// The tree: a chrome shell (item type typeChrome) has the content area's
// shell (typeContent) as a child; frames and inline frames are children of
// the shell of the document that holds them. The tree owner of every shell
// of a browser window answers the window's primary content shell.
#pragma once

#include "platform/xpcom/shell/nsShellForward.h"

class nsIInterfaceRequestor : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x033A1470, 0x8B2A, 0x11D3, {0xAF, 0x88, 0x00, 0xA0, 0x24, 0xFF, 0xC0, 0x8C}};
    using BaseInterface = nsISupports;

    // NS_ERROR_NO_INTERFACE with a null result for what the object cannot
    // give.
    virtual nsresult GetInterface(const nsIID& iid, void** result) = 0;
};

// `do_GetInterface`-style helper: the object's `T` through its
// nsIInterfaceRequestor, or null.
template <typename T> nsCOMPtr<T> NS_GetInterface(nsISupports* object) {
    nsCOMPtr<T> result;
    nsCOMPtr<nsIInterfaceRequestor> requestor = do_QueryInterface(object);
    if (requestor && NS_FAILED(requestor->GetInterface(T::kIID, getter_AddRefs(result))))
        result = nullptr;
    return result;
}

// A listener that takes part in the decision to open a URI: the document
// shell asks its parent content listener chain (OnStartURIOpen) before every
// navigation it starts (links, forms, loadURI, back, forward, reload).
class nsIURIContentListener : public nsISupports {
public:
    static constexpr nsIID kIID{
        0x94928AB3, 0x8B63, 0x11D3, {0x98, 0x9D, 0x00, 0x10, 0x83, 0x01, 0x0E, 0x9B}};
    using BaseInterface = nsISupports;

    // Set `abort` to PR_TRUE to cancel the navigation.
    virtual nsresult OnStartURIOpen(nsIURI* uri, PRBool* abort) = 0;
    virtual nsresult GetProtocolHandler(nsIURI* uri, nsISupports** handler) = 0;
    virtual nsresult DoContent(const char* contentType, PRBool isContentPreferred,
                               nsIRequest* request, nsIStreamListener** handler, PRBool* abort) = 0;
    // `command` says what the content is opened for (0 view).
    virtual nsresult IsPreferred(const char* contentType, PRInt32 command,
                                 nsACString& desiredContentType, PRBool* result) = 0;
    virtual nsresult CanHandleContent(const char* contentType, PRInt32 command,
                                      nsACString& desiredContentType, PRBool* result) = 0;
    virtual nsresult GetLoadCookie(nsISupports** cookie) = 0;
    virtual nsresult SetLoadCookie(nsISupports* cookie) = 0;
    // The listener above this one (AddRef'ed), null when none.
    virtual nsresult GetParentContentListener(nsIURIContentListener** parent) = 0;
    // Stores the listener above this one; implementations decide whether
    // they hold a reference.
    virtual nsresult SetParentContentListener(nsIURIContentListener* parent) = 0;
};

class nsIDocShellTreeItem : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(1);
    using BaseInterface = nsISupports;

    enum : PRInt32 { typeChrome = 0, typeContent = 1 };

    // The name of the window (a frame's "name" attribute; empty otherwise).
    virtual nsresult GetName(nsAString& name) = 0;
    virtual nsresult SetName(const nsAString& name) = 0;
    virtual nsresult GetItemType(PRInt32* type) = 0;
    // The item above this one of any type; null for a top-level chrome
    // shell (NS_OK with a null result).
    virtual nsresult GetParent(nsIDocShellTreeItem** parent) = 0;
    // The item above this one of the same type; null at the top of a type.
    virtual nsresult GetSameTypeParent(nsIDocShellTreeItem** parent) = 0;
    virtual nsresult GetRootTreeItem(nsIDocShellTreeItem** root) = 0;
    virtual nsresult GetSameTypeRootTreeItem(nsIDocShellTreeItem** root) = 0;
    virtual nsresult GetTreeOwner(nsIDocShellTreeOwner** owner) = 0;
    virtual nsresult GetChildCount(PRInt32* count) = 0;
    // NS_ERROR_INVALID_ARG for an index out of range.
    virtual nsresult GetChildAt(PRInt32 index, nsIDocShellTreeItem** child) = 0;
    // The first item named `name` in this item's subtree (this item
    // included), null when none.
    virtual nsresult FindItemWithName(const nsAString& name, nsIDocShellTreeItem** result) = 0;
};

// The browser window that owns a tree of document shells.
class nsIDocShellTreeOwner : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(2);
    using BaseInterface = nsISupports;

    // The shell of the window's content area; null for a window that has
    // none (a dialog).
    virtual nsresult GetPrimaryContentShell(nsIDocShellTreeItem** shell) = 0;
    // The shell of the window's chrome.
    virtual nsresult GetChromeShell(nsIDocShellTreeItem** shell) = 0;
};

class nsIDocShell : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(3);
    using BaseInterface = nsISupports;

    enum : PRUint32 {
        BUSY_FLAGS_NONE = 0,
        BUSY_FLAGS_BUSY = 1,
        BUSY_FLAGS_BEFORE_PAGE_LOAD = 2,
        BUSY_FLAGS_PAGE_LOADING = 4,
    };

    // The presentation of the current document; NS_ERROR_NOT_AVAILABLE
    // before the first document was shown.
    virtual nsresult GetPresShell(nsIPresShell** shell) = 0;
    virtual nsresult GetPresContext(nsIPresContext** context) = 0;
    // The window this shell shows its documents in.
    virtual nsresult GetDOMWindow(nsIDOMWindow** window) = 0;
    virtual nsresult GetDocument(nsIDOMDocument** document) = 0;
    virtual nsresult GetCurrentURI(nsIURI** uri) = 0;
    // The listener that the shell consults first about every navigation
    // (null when none). The shell does not hold a reference to it: whoever
    // installs one removes it before it goes.
    virtual nsresult GetParentURIContentListener(nsIURIContentListener** listener) = 0;
    virtual nsresult SetParentURIContentListener(nsIURIContentListener* listener) = 0;
    // BUSY_FLAGS_*: busy from the start of a navigation until its document
    // and every frame in it finished.
    virtual nsresult GetBusyFlags(PRUint32* flags) = 0;
    // The object that receives the DOM events of this shell's window (the
    // chrome window's receiver for every shell of a browser window, so
    // that its capture listeners see the events of content and frames).
    virtual nsresult GetChromeEventHandler(nsISupports** handler) = 0;
};

// The native side of a document shell. The shell sits in a native window
// (its main widget and parent native window); the view system makes the
// document's own window inside it, which is what the presentation's root
// view answers (and nsIDOMWindowInternal::GetNativeWindow). In a browser
// window the top content document's own window is four levels below the
// top-level window and its shell's main widget three levels below it, so
// that counting four parents up from the main widget's window leaves the
// desktop for the top content shell only, never for a frame.
class nsIBaseWindow : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(4);
    using BaseInterface = nsISupports;

    // The widget of the native window the shell sits in (for a top-level
    // chrome shell, its top-level window).
    virtual nsresult GetMainWidget(nsIWidget** widget) = 0;
    // The same window as a native window handle (null at the top).
    virtual nsresult GetParentNativeWindow(HWND__** parent) = 0;
    // Position and size of the document's own native window, in pixels
    // relative to the window it sits in.
    virtual nsresult GetPositionAndSize(PRInt32* x, PRInt32* y, PRInt32* width,
                                        PRInt32* height) = 0;
    virtual nsresult GetVisibility(PRBool* visible) = 0;
};

class nsIHistoryEntry : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(5);
    using BaseInterface = nsISupports;

    virtual nsresult GetURI(nsIURI** uri) = 0;
    virtual nsresult GetTitle(nsAString& title) = 0;
};

// The session history of a top content shell: the documents it showed, in
// order, and the current position.
class nsISHistory : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(6);
    using BaseInterface = nsISupports;

    virtual nsresult GetCount(PRInt32* count) = 0;
    // -1 while nothing was loaded.
    virtual nsresult GetIndex(PRInt32* index) = 0;
    virtual nsresult GetEntryAtIndex(PRInt32 index, nsIHistoryEntry** entry) = 0;
};

class nsIWebNavigation : public nsISupports {
public:
    static constexpr nsIID kIID{
        0xF5D9E7B0, 0xD930, 0x11D3, {0xB0, 0x57, 0x00, 0xA0, 0x24, 0xFF, 0xC0, 0x8C}};
    using BaseInterface = nsISupports;

    enum : PRUint32 {
        LOAD_FLAGS_NONE = 0x0000,
        LOAD_FLAGS_IS_REFRESH = 0x0010,
        LOAD_FLAGS_BYPASS_HISTORY = 0x0040,
        LOAD_FLAGS_BYPASS_CACHE = 0x0100,
        LOAD_FLAGS_REPLACE_HISTORY = 0x1000,
    };
    enum : PRUint32 { STOP_NETWORK = 1, STOP_CONTENT = 2, STOP_ALL = 3 };

    virtual nsresult GetCanGoBack(PRBool* result) = 0;
    virtual nsresult GetCanGoForward(PRBool* result) = 0;
    // NS_ERROR_UNEXPECTED when there is nothing to go to. The navigation
    // starts now and completes as the event queue runs.
    virtual nsresult GoBack() = 0;
    virtual nsresult GoForward() = 0;
    virtual nsresult GotoIndex(PRInt32 index) = 0;
    // `uri` is resolved against the current document's address.
    virtual nsresult LoadURI(const nsAString& uri, PRUint32 loadFlags) = 0;
    virtual nsresult Reload(PRUint32 loadFlags) = 0;
    virtual nsresult Stop(PRUint32 stopFlags) = 0;
    virtual nsresult GetDocument(nsIDOMDocument** document) = 0;
    virtual nsresult GetCurrentURI(nsIURI** uri) = 0;
    // The history of the top content shell this shell belongs to.
    virtual nsresult GetSessionHistory(nsISHistory** history) = 0;
};

// Window-level browser operations of a DOM window's shell. Content windows
// answer it through their document shell (QueryInterface on the shell, or
// GetInterface on its nsIInterfaceRequestor).
class nsIBrowserWindow : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(7);
    using BaseInterface = nsISupports;

    // Stops every load of the window and its frames.
    virtual nsresult Stop() = 0;
    // Loads the browser's home page into the window's top content shell.
    virtual nsresult Home() = 0;
    // True while the window or one of its frames is loading.
    virtual nsresult GetIsBusy(PRBool* busy) = 0;
};

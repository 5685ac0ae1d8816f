#include "agent/common/WindowHelpers.h"

#include "platform/win32/WinUser.h"
#include "platform/xpcom/shell/nsIPresShell.h"

namespace {

HWND NativeWindowOfWidget(nsIWidget* widget) {
    HWND__* native = nullptr;
    if (!widget || NS_FAILED(widget->GetNativeWindow(&native)))
        return nullptr;
    return native;
}

} // namespace

nsresult GetDocShell(nsIDOMWindow* window, nsIDocShell** shell) {
    if (!shell)
        return E_POINTER;
    *shell = nullptr;
    if (!window)
        return E_INVALIDARG;
    nsresult rv = NS_OK;
    nsCOMPtr<nsIDOMWindowInternal> internal = do_QueryInterface(window, &rv);
    if (!internal)
        return NS_FAILED(rv) ? rv : E_FAIL;
    nsCOMPtr<nsISupports> raw;
    rv = internal->GetDocShell(getter_AddRefs(raw));
    if (NS_FAILED(rv))
        return rv;
    if (!raw)
        return E_FAIL;
    nsCOMPtr<nsIDocShell> found = do_QueryInterface(raw, &rv);
    if (!found)
        return NS_FAILED(rv) ? rv : E_FAIL;
    *shell = found.forget();
    return NS_OK;
}

HWND GetDocumentNativeWindow(nsIDOMDocument* document) {
    nsCOMPtr<nsIPresShell> presentation = NS_GetFirstPresShell(document);
    nsCOMPtr<nsIViewManager> views;
    if (!presentation || NS_FAILED(presentation->GetViewManager(getter_AddRefs(views))) || !views)
        return nullptr;
    nsCOMPtr<nsIView> root;
    if (NS_FAILED(views->GetRootView(getter_AddRefs(root))) || !root)
        return nullptr;
    nsCOMPtr<nsIWidget> widget;
    if (NS_FAILED(root->GetWidget(getter_AddRefs(widget))))
        return nullptr;
    return NativeWindowOfWidget(widget);
}

HWND GetDocShellNativeWindow(nsIDocShell* shell) {
    nsCOMPtr<nsIBaseWindow> base = do_QueryInterface(shell);
    nsCOMPtr<nsIWidget> widget;
    if (!base || NS_FAILED(base->GetMainWidget(getter_AddRefs(widget))))
        return nullptr;
    return NativeWindowOfWidget(widget);
}

namespace {

// The native window by the document shell route.
HWND ShellNativeWindowOf(nsIDOMWindow* window) {
    nsCOMPtr<nsIDocShell> shell;
    if (NS_FAILED(GetDocShell(window, getter_AddRefs(shell))))
        return nullptr;
    return GetDocShellNativeWindow(shell);
}

} // namespace

HWND GetNativeWindow(nsIDOMWindow* window) {
    if (!window)
        return nullptr;
    nsCOMPtr<nsIDOMDocument> document;
    if (NS_SUCCEEDED(window->GetDocument(getter_AddRefs(document))) && document) {
        if (HWND native = GetDocumentNativeWindow(document))
            return native;
    }
    return ShellNativeWindowOf(window);
}

bool IsTopContentWindow(nsIDOMWindow* window) {
    HWND current = ShellNativeWindowOf(window);
    if (!current)
        return false;
    // A content area sits below the browser's top-level window and its
    // frame; a frame's window sits deeper still.
    for (int level = 0; level < 4 && current; ++level)
        current = GetParent(current);
    return current == nullptr;
}

HWND GetNonChildAncestor(HWND window) {
    while (window && (GetWindowLong(window, GWL_STYLE) & static_cast<LONG>(WS_CHILD))) {
        HWND parent = GetParent(window);
        if (!parent)
            break;
        window = parent;
    }
    return window;
}

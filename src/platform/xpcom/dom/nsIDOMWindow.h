// DOM windows. A window shows one document at a time; the browser creates
// windows (top-level chrome, content areas, frames) and attaches documents to
// them. Everything that depends on the browser's shell (parent and top window,
// child frames, scroll position, native window, document shell) is answered by
// the browser; a window the browser has not connected answers null, 0 or
// NS_ERROR_NOT_AVAILABLE for those.
#pragma once

#include "platform/xpcom/dom/nsDOMForward.h"

class nsIDOMWindow : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(60);
    using BaseInterface = nsISupports;

    virtual nsresult GetDocument(nsIDOMDocument** document) = 0;
    // A top-level window is its own parent and top.
    virtual nsresult GetParent(nsIDOMWindow** parent) = 0;
    virtual nsresult GetTop(nsIDOMWindow** top) = 0;
    // The windows of the document's frames and inline frames, in order.
    virtual nsresult GetFrames(nsIDOMWindowCollection** frames) = 0;
    virtual nsresult GetName(nsAString& name) = 0;
    virtual nsresult SetName(const nsAString& name) = 0;
    virtual nsresult GetScrollX(PRInt32* x) = 0;
    virtual nsresult GetScrollY(PRInt32* y) = 0;
    virtual nsresult ScrollTo(PRInt32 x, PRInt32 y) = 0;
    virtual nsresult ScrollBy(PRInt32 dx, PRInt32 dy) = 0;
    virtual nsresult GetSelection(nsISelection** selection) = 0;
};

class nsIDOMWindowInternal : public nsIDOMWindow {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(61);
    using BaseInterface = nsIDOMWindow;

    virtual nsresult GetInnerWidth(PRInt32* width) = 0;
    virtual nsresult GetInnerHeight(PRInt32* height) = 0;
    // The document's URL ("about:blank" without a document).
    virtual nsresult GetLocationHref(nsAString& href) = 0;
    virtual nsresult Focus() = 0;
    virtual nsresult Blur() = 0;
    // The FRAME or IFRAME element showing this window; null for a top window.
    virtual nsresult GetFrameElement(nsIDOMElement** element) = 0;
    // The native window of the widget behind the window's root view.
    virtual nsresult GetNativeWindow(HWND__** window) = 0;
    // The browser's document shell of this window.
    virtual nsresult GetDocShell(nsISupports** docShell) = 0;
};

class nsIDOMWindowCollection : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(62);
    using BaseInterface = nsISupports;

    virtual nsresult GetLength(PRUint32* length) = 0;
    virtual nsresult Item(PRUint32 index, nsIDOMWindow** window) = 0;
    virtual nsresult NamedItem(const nsAString& name, nsIDOMWindow** window) = 0;
};

// DOM windows of the simulated browser.
//
// A window shows one document at a time. The browser's shell makes the
// windows, attaches documents, links frames to their FRAME/IFRAME elements
// and installs a WindowHook for what only the shell knows (native window,
// document shell, scroll position, inner size, focus):
//
//     nsCOMPtr<nsIDOMWindowInternal> window = dom::NewWindow();
//     dom::Window* core = dom::Window::FromDOM(window);
//     core->SetDocument(document);
//     core->SetHook(&myShellWindow);
//     frameElement->SetContentWindow(childCore);   // makes the frame a child
//
// Parent and top follow the frame elements: a window shown by a FRAME or
// IFRAME has the window of that element's document as parent; any other
// window is its own parent unless the shell sets one (SetParentWindow).
#pragma once

#include "platform/browser/dom/Node.h"
#include "platform/xpcom/dom/nsIDOMCSS.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"

#include <optional>

namespace dom {

class Document;
class Element;

// What the shell answers for a window it has connected. The hook must
// outlive the window or be removed (null) first.
class WindowHook {
public:
    virtual ~WindowHook() = default;
    // The native window behind the window's root view; null when none.
    virtual HWND__* NativeWindow() = 0;
    // The document shell (not AddRef'ed); null when none.
    virtual nsISupports* DocShell() = 0;
    // The window's scroll position in pixels.
    virtual int32_t ScrollX() = 0;
    virtual int32_t ScrollY() = 0;
    virtual void ScrollTo(int32_t x, int32_t y) = 0;
    virtual int32_t InnerWidth() = 0;
    virtual int32_t InnerHeight() = 0;
    virtual void Focus() {}
    virtual void Blur() {}
};

class Window : public EventTargetCore {
public:
    ~Window() override;

    // The core of a window's interface pointer; null for anything else.
    static Window* FromDOM(nsISupports* object);
    // The window's primary interface (not AddRef'ed).
    virtual nsIDOMWindowInternal* AsDOMWindow() = 0;

    Document* CurrentDocument() const;
    // Shows `document` (null: none); the previous document is detached.
    void SetDocument(nsIDOMDocument* document);

    const nsString& Name() const { return m_name; }
    void SetName(nsString name) { m_name = std::move(name); }

    WindowHook* Hook() const { return m_hook; }
    void SetHook(WindowHook* hook) { m_hook = hook; }

    // The FRAME or IFRAME element showing this window (observed: the
    // element detaches itself when it goes away).
    Element* FrameElement() const { return m_frameElement; }
    // Called by FRAME and IFRAME elements as they attach and detach their
    // content window.
    void SetFrameElement(Element* element) { m_frameElement = element; }
    // The parent: the shell's choice, else the frame element's window, else
    // the window itself.
    Window* ParentWindow();
    Window* TopWindow();
    // Chains a window to another one the shell chose (a content area to its
    // chrome window); null restores the default. Observed: the shell clears
    // it before the parent goes away.
    void SetParentWindow(Window* parent) { m_parent = parent; }
    // The windows of the document's FRAME and IFRAME elements in document
    // order. Kept until the document's tree or one of its frames' windows
    // changes, so that reading the frames one by one costs no walk each.
    const std::vector<Window*>& ChildFrames() const;

    // The next target outwards for events: the shell's choice (a content
    // window to its chrome window), else none.
    void SetEventParent(EventTargetCore* parent) { m_eventParent = parent; }
    EventTargetCore* EventParent() override { return m_eventParent; }

    uint32_t Identity();

protected:
    Window();

private:
    nsCOMPtr<nsIDOMDocument> m_document;
    nsString m_name;
    WindowHook* m_hook = nullptr;             // observes: installed and removed by the shell
    Element* m_frameElement = nullptr;        // observes: the element detaches itself
    Window* m_parent = nullptr;               // observes: cleared by the shell
    EventTargetCore* m_eventParent = nullptr; // observes: cleared by the shell
    uint32_t m_identity = 0;
    // ChildFrames as of the document's change and frame counts below.
    mutable std::vector<Window*> m_frames; // observes: windows the frame elements keep
    mutable const Document* m_framesDocument = nullptr;
    mutable uint64_t m_framesChanges = 0;
    mutable uint64_t m_framesAttachments = 0;
};

// Makes a window without a document.
nsCOMPtr<nsIDOMWindowInternal> NewWindow();

// The window a FRAME or IFRAME element shows; null for other elements and
// before the browser loaded the frame.
Window* ContentWindowOf(Element& frameElement);
// Makes `window` the one `frameElement` shows (null: none). The element
// keeps the window; the window observes the element. Fails
// (NS_ERROR_INVALID_ARG) for an element that is no FRAME or IFRAME.
nsresult SetContentWindow(Element& frameElement, Window* window);

} // namespace dom

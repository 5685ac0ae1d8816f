#include "platform/browser/dom/Window.h"

#include "platform/browser/dom/CSS.h"
#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Identity.h"
#include "platform/browser/dom/NodeFaces.h"
#include "platform/xpcom/nsIWeakReference.h"

namespace dom {

Window::Window() = default;

Window::~Window() {
    if (Document* document = CurrentDocument())
        document->m_window = nullptr;
    if (m_identity)
        UnregisterIdentity(m_identity);
}

Window* Window::FromDOM(nsISupports* object) {
    EventTargetCore* core = EventTargetCore::FromDOM(object);
    return core ? dynamic_cast<Window*>(core) : nullptr;
}

Document* Window::CurrentDocument() const {
    return Document::FromDOM(m_document);
}

void Window::SetDocument(nsIDOMDocument* document) {
    if (Document* old = CurrentDocument(); old && old->m_window == this)
        old->m_window = nullptr;
    m_document = document;
    if (Document* current = CurrentDocument())
        current->m_window = this;
}

Window* Window::ParentWindow() {
    if (m_parent)
        return m_parent;
    if (m_frameElement) {
        if (Document* document = m_frameElement->OwnerDocument();
            document && document->DocumentWindow())
            return document->DocumentWindow();
    }
    return this;
}

Window* Window::TopWindow() {
    Window* window = this;
    // Bounded, so that a cycle the shell made by mistake cannot hang us.
    for (int depth = 0; depth < 1000; ++depth) {
        Window* parent = window->ParentWindow();
        if (parent == window)
            break;
        window = parent;
    }
    return window;
}

const std::vector<Window*>& Window::ChildFrames() const {
    Document* document = CurrentDocument();
    if (document == m_framesDocument && document && document->ChangeCount() == m_framesChanges &&
        document->FrameAttachmentCount() == m_framesAttachments)
        return m_frames;
    std::vector<Window*>& frames = m_frames;
    frames.clear();
    m_framesDocument = document;
    if (!document)
        return frames;
    m_framesChanges = document->ChangeCount();
    m_framesAttachments = document->FrameAttachmentCount();
    for (Node* node = document->NextInTree(document); node; node = node->NextInTree(document)) {
        if (!node->IsElement())
            continue;
        auto* element = static_cast<Element*>(node);
        if (!element->IsHTML() || !(element->HasTag(u"frame") || element->HasTag(u"iframe")))
            continue;
        if (Window* child = ContentWindowOf(*element))
            frames.push_back(child);
    }
    return frames;
}

uint32_t Window::Identity() {
    if (!m_identity)
        m_identity = RegisterIdentity(CanonicalObject(), IdentityKind::Window);
    return m_identity;
}

namespace {

nsresult ReturnWindow(Window* window, nsIDOMWindow** out) {
    if (!out)
        return NS_ERROR_NULL_POINTER;
    *out = window ? window->AsDOMWindow() : nullptr;
    if (*out)
        (*out)->AddRef();
    return NS_OK;
}

// The frames of a window, gathered on every call.
class WindowCollection final : public nsSupportsImpl<WindowCollection, nsIDOMWindowCollection> {
public:
    explicit WindowCollection(Window& window) : m_window(window.AsDOMWindow()) {}

    nsresult GetLength(PRUint32* length) override {
        if (!length)
            return NS_ERROR_NULL_POINTER;
        *length = static_cast<PRUint32>(Frames().size());
        return NS_OK;
    }
    nsresult Item(PRUint32 index, nsIDOMWindow** window) override {
        const auto& frames = Frames();
        return ReturnWindow(index < frames.size() ? frames[index] : nullptr, window);
    }
    nsresult NamedItem(const nsAString& name, nsIDOMWindow** window) override {
        for (Window* frame : Frames()) {
            if (frame->Name() == name)
                return ReturnWindow(frame, window);
        }
        return ReturnWindow(nullptr, window);
    }

private:
    const std::vector<Window*>& Frames() const { return Window::FromDOM(m_window)->ChildFrames(); }

    nsCOMPtr<nsIDOMWindowInternal> m_window;
};

class DOMWindow final : public Window,
                        public nsSupportsImpl<DOMWindow, nsIDOMWindowInternal, nsIDOMViewCSS,
                                              nsIDOMEventReceiver, nsSupportsWeakReference> {
public:
    nsIDOMWindowInternal* AsDOMWindow() override { return this; }
    nsISupports* CanonicalObject() override { return CanonicalSupports(); }
    nsIDOMEventTarget* AsEventTarget() override { return static_cast<nsIDOMEventReceiver*>(this); }

    // nsIDOMWindow
    nsresult GetDocument(nsIDOMDocument** document) override {
        return ReturnNode(CurrentDocument(), document);
    }
    nsresult GetParent(nsIDOMWindow** parent) override {
        return ReturnWindow(ParentWindow(), parent);
    }
    nsresult GetTop(nsIDOMWindow** top) override { return ReturnWindow(TopWindow(), top); }
    nsresult GetFrames(nsIDOMWindowCollection** frames) override {
        if (!frames)
            return NS_ERROR_NULL_POINTER;
        *frames = new WindowCollection(*this);
        (*frames)->AddRef();
        return NS_OK;
    }
    nsresult GetName(nsAString& name) override {
        name = Name();
        return NS_OK;
    }
    nsresult SetName(const nsAString& name) override {
        Window::SetName(name);
        return NS_OK;
    }
    nsresult GetScrollX(PRInt32* x) override {
        if (!x)
            return NS_ERROR_NULL_POINTER;
        *x = Hook() ? Hook()->ScrollX() : 0;
        return NS_OK;
    }
    nsresult GetScrollY(PRInt32* y) override {
        if (!y)
            return NS_ERROR_NULL_POINTER;
        *y = Hook() ? Hook()->ScrollY() : 0;
        return NS_OK;
    }
    nsresult ScrollTo(PRInt32 x, PRInt32 y) override {
        if (!Hook())
            return NS_ERROR_NOT_AVAILABLE;
        Hook()->ScrollTo(x, y);
        return NS_OK;
    }
    nsresult ScrollBy(PRInt32 dx, PRInt32 dy) override {
        if (!Hook())
            return NS_ERROR_NOT_AVAILABLE;
        Hook()->ScrollTo(Hook()->ScrollX() + dx, Hook()->ScrollY() + dy);
        return NS_OK;
    }
    nsresult GetSelection(nsISelection** selection) override {
        if (!selection)
            return NS_ERROR_NULL_POINTER;
        *selection = nullptr;
        Document* document = CurrentDocument();
        nsISelection* found = document ? document->DocumentSelection() : nullptr;
        if (!found)
            return NS_ERROR_NOT_AVAILABLE;
        *selection = found;
        found->AddRef();
        return NS_OK;
    }

    // nsIDOMWindowInternal
    nsresult GetInnerWidth(PRInt32* width) override {
        if (!width)
            return NS_ERROR_NULL_POINTER;
        *width = Hook() ? Hook()->InnerWidth() : 0;
        return NS_OK;
    }
    nsresult GetInnerHeight(PRInt32* height) override {
        if (!height)
            return NS_ERROR_NULL_POINTER;
        *height = Hook() ? Hook()->InnerHeight() : 0;
        return NS_OK;
    }
    nsresult GetLocationHref(nsAString& href) override {
        Document* document = CurrentDocument();
        href = document ? document->URL() : nsString(u"about:blank");
        return NS_OK;
    }
    nsresult Focus() override {
        if (Hook())
            Hook()->Focus();
        return NS_OK;
    }
    nsresult Blur() override {
        if (Hook())
            Hook()->Blur();
        return NS_OK;
    }
    nsresult GetFrameElement(nsIDOMElement** element) override {
        return ReturnNode(FrameElement(), element);
    }
    nsresult GetNativeWindow(HWND__** window) override {
        if (!window)
            return NS_ERROR_NULL_POINTER;
        *window = Hook() ? Hook()->NativeWindow() : nullptr;
        return *window ? NS_OK : NS_ERROR_NOT_AVAILABLE;
    }
    nsresult GetDocShell(nsISupports** docShell) override {
        if (!docShell)
            return NS_ERROR_NULL_POINTER;
        *docShell = Hook() ? Hook()->DocShell() : nullptr;
        if (!*docShell)
            return NS_ERROR_NOT_AVAILABLE;
        (*docShell)->AddRef();
        return NS_OK;
    }

    // nsIDOMViewCSS
    nsresult GetComputedStyle(nsIDOMElement* element, const nsAString&,
                              nsIDOMCSSStyleDeclaration** style) override {
        if (!style)
            return NS_ERROR_NULL_POINTER;
        *style = nullptr;
        Node* core = Node::FromDOM(element);
        if (!core || !core->IsElement())
            return element ? NS_ERROR_INVALID_ARG : NS_ERROR_NULL_POINTER;
        return NewComputedStyle(static_cast<Element&>(*core), style);
    }

    // nsIDOMEventTarget, nsIDOMEventReceiver
    nsresult AddEventListener(const nsAString& type, nsIDOMEventListener* listener,
                              PRBool useCapture) override {
        return AddListener(type, listener, useCapture);
    }
    nsresult RemoveEventListener(const nsAString& type, nsIDOMEventListener* listener,
                                 PRBool useCapture) override {
        return RemoveListener(type, listener, useCapture);
    }
    nsresult DispatchEvent(nsIDOMEvent* event, PRBool* notCancelled) override {
        return Dispatch(event, notCancelled);
    }
    nsresult AddEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                   PRUint32 flags) override {
        return AddListenerByIID(listener, iid, flags);
    }
    nsresult RemoveEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                      PRUint32 flags) override {
        return RemoveListenerByIID(listener, iid, flags);
    }
    nsresult GetListenerManager(nsIEventListenerManager** manager) override {
        return ListenerManagerOut(manager);
    }

protected:
    void* QueryExtraInterface(const nsIID& iid) override {
        if (iid.Equals(EventTargetCore::kCoreIID))
            return static_cast<EventTargetCore*>(this);
        return nullptr;
    }
};

} // namespace

nsCOMPtr<nsIDOMWindowInternal> NewWindow() {
    return nsCOMPtr<nsIDOMWindowInternal>(new DOMWindow());
}

} // namespace dom

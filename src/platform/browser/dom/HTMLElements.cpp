#include "platform/browser/dom/HTMLElements.h"

#include "platform/browser/dom/Events.h"
#include "platform/browser/dom/Window.h"
#include "platform/browser/dom/XULElements.h"

namespace dom {

bool FireEvent(EventTargetCore& target, std::u16string_view type, bool bubbles, bool cancelable) {
    nsCOMPtr<nsIDOMEvent> event =
        NewEvent(EventKind::Plain, type, bubbles ? Bubbles::Yes : Bubbles::No,
                 cancelable ? Cancelable::Yes : Cancelable::No);
    bool allowed = true;
    if (event)
        DispatchDOMEvent(target, event, &allowed);
    return allowed;
}

bool FireClick(EventTargetCore& target) {
    nsCOMPtr<nsIDOMEvent> event =
        NewEvent(EventKind::Mouse, u"click", Bubbles::Yes, Cancelable::Yes);
    bool allowed = true;
    if (event)
        DispatchDOMEvent(target, event, &allowed);
    return allowed;
}

void FocusElement(Element& element) {
    Document* document = element.OwnerDocument();
    if (!document)
        return;
    // Listeners of blur and focus may drop the elements.
    NodeRef keepElement(&element);
    NodeRef previous(document->FocusedElement());
    if (previous.get() == &element)
        return;
    document->SetFocusedElement(&element);
    if (previous)
        FireEvent(*previous, u"blur", false, false);
    FireEvent(element, u"focus", false, false);
}

void BlurElement(Element& element) {
    Document* document = element.OwnerDocument();
    if (!document || document->FocusedElement() != &element)
        return;
    NodeRef keepElement(&element);
    document->SetFocusedElement(nullptr);
    FireEvent(element, u"blur", false, false);
}

Window* ContentWindowOf(Element& frameElement) {
    auto* owner = dynamic_cast<FrameOwner*>(&frameElement);
    return owner ? owner->ContentWindow() : nullptr;
}

nsresult SetContentWindow(Element& frameElement, Window* window) {
    auto* owner = dynamic_cast<FrameOwner*>(&frameElement);
    if (!owner)
        return NS_ERROR_INVALID_ARG;
    owner->AttachWindow(frameElement, window);
    return NS_OK;
}

FrameOwner::~FrameOwner() {
    if (Window* window = ContentWindow(); window && window->FrameElement())
        window->SetFrameElement(nullptr);
}

Window* FrameOwner::ContentWindow() const {
    return Window::FromDOM(m_window);
}

void FrameOwner::AttachWindow(Element& self, Window* window) {
    if (Window* old = ContentWindow(); old && old->FrameElement() == &self)
        old->SetFrameElement(nullptr);
    m_window = window ? window->AsDOMWindow() : nullptr;
    if (window)
        window->SetFrameElement(&self);
}

NodeRef NewHTMLElement(const std::shared_ptr<DocumentLink>& link, std::u16string_view tag) {
    nsString lower = AsciiLower(tag);
    return NodeRef(new HTMLElement(link, lower));
}

NodeRef NewElement(const std::shared_ptr<DocumentLink>& link, ElementNamespace ns,
                   std::u16string_view tag) {
    if (tag.empty())
        return {};
    return ns == ElementNamespace::HTML ? NewHTMLElement(link, tag) : NewXULElement(link, tag);
}

} // namespace dom

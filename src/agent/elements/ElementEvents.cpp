#include "agent/elements/ElementEvents.h"

#include "agent/common/DomHelpers.h"
#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"
#include "platform/xpcom/nsCOMPtr.h"
#include "platform/xpcom/nsError.h"

namespace {

// Whether the node still hangs in `document`: the page's handlers may have
// taken it out, or the window may show another document by now.
bool IsInDocument(nsIDOMNode* node, nsIDOMDocument* document) {
    nsCOMPtr<nsIDOMNode> current = node;
    while (current) {
        nsCOMPtr<nsIDOMNode> parent;
        if (NS_FAILED(current->GetParentNode(getter_AddRefs(parent))) || !parent) {
            return SameCOMIdentity(current.get(), document);
        }
        current = parent;
    }
    return false;
}

// What a dispatch needs, held by counted references for the whole replay:
// the page's handlers run inside each dispatch and may drop the element, its
// layout frame or the whole presentation.
struct Target {
    nsCOMPtr<nsIDOMNode> node;
    nsCOMPtr<nsIDOMDocument> document;
    nsCOMPtr<nsIPresShell> shell;
    nsCOMPtr<nsIWidget> widget;

    bool StillShown() const {
        if (!shell || !IsInDocument(node.get(), document.get())) {
            return false;
        }
        nsCOMPtr<nsIPresShell> current = NS_GetFirstPresShell(document.get());
        return current.get() == shell.get();
    }

    nsresult Dispatch(nsEvent& event) const {
        if (!StillShown()) {
            return E_FAIL;
        }
        nsEventStatus status = nsEventStatus_eIgnore;
        return shell->HandleDOMEventWithTarget(node.get(), &event, NS_EVENT_FLAG_INIT, &status);
    }

    nsresult DispatchMouse(PRUint32 message, std::optional<POINT> point) const {
        nsMouseEvent event;
        event.eventStructType = NS_MOUSE_EVENT;
        event.message = message;
        if (point) {
            event.point.x = point->x;
            event.point.y = point->y;
        }
        event.widget = widget.get();
        return Dispatch(event);
    }

    nsresult DispatchPlain(PRUint32 message) const {
        nsEvent event;
        event.eventStructType = NS_EVENT;
        event.message = message;
        return Dispatch(event);
    }
};

nsresult Click(const Target& target, std::optional<POINT> point) {
    nsresult result = target.DispatchMouse(NS_MOUSE_LEFT_CLICK, point);
    if (nsCOMPtr<nsIDOMXULElement> xul = do_QueryInterface(target.node)) {
        if (!target.StillShown()) {
            return result;
        }
        xul->Click();
        if (!target.StillShown()) {
            return result;
        }
        xul->DoCommand();
    }
    if (!target.StillShown()) {
        return result;
    }
    return target.DispatchPlain(NS_UI_ACTIVATE);
}

} // namespace

std::optional<ReplayedEvent> FindReplayedEvent(std::string_view name) {
    std::string_view bare = name;
    if (bare.size() > 2 && EqualsIgnoringCase(bare.substr(0, 2), "on")) {
        bare.remove_prefix(2);
    }
    for (const ReplayedEvent& event : kReplayedEvents) {
        if (EqualsIgnoringCase(name, event.name) || EqualsIgnoringCase(bare, event.name)) {
            return event;
        }
    }
    return std::nullopt;
}

nsresult FireElementEvent(nsIDOMNode* node, std::string_view name, std::optional<POINT> point) {
    if (node == nullptr) {
        return E_FAIL;
    }
    Target target;
    target.node = node;
    node->GetOwnerDocument(getter_AddRefs(target.document));
    target.shell = NS_GetFirstPresShell(target.document.get());
    if (target.shell) {
        nsCOMPtr<nsIFrame> frame;
        const nsresult found = target.shell->GetPrimaryFrameFor(node, getter_AddRefs(frame));
        if (NS_FAILED(found) || !frame) {
            // Hidden elements get no events, as a user could not reach them.
            return found;
        }
        nsCOMPtr<nsIView> view;
        if (NS_SUCCEEDED(frame->GetView(getter_AddRefs(view))) && view) {
            view->GetWidget(getter_AddRefs(target.widget));
        }
    }

    std::optional<ReplayedEvent> event = FindReplayedEvent(name);
    if (!event) {
        return E_NOTIMPL;
    }
    switch (event->kind) {
    case ReplayKind::Mouse:
        return target.DispatchMouse(event->message, point);
    case ReplayKind::Click:
        return Click(target, point);
    case ReplayKind::Plain:
        return target.DispatchPlain(event->message);
    case ReplayKind::Focus:
    case ReplayKind::Blur:
        // Input fields first, else browser interface elements; other
        // elements have no focus operation of their own.
        if (nsCOMPtr<nsIDOMHTMLInputElement> input = do_QueryInterface(target.node)) {
            event->kind == ReplayKind::Focus ? input->Focus() : input->Blur();
        } else if (nsCOMPtr<nsIDOMXULElement> xul = do_QueryInterface(target.node)) {
            event->kind == ReplayKind::Focus ? xul->Focus() : xul->Blur();
        }
        return NS_OK;
    case ReplayKind::Submit:
        if (nsCOMPtr<nsIDOMHTMLFormElement> form = do_QueryInterface(target.node)) {
            return form->Submit();
        }
        return E_FAIL;
    }
    return E_NOTIMPL;
}

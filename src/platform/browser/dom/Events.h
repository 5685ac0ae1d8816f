// DOM events of the simulated browser: the event objects and their dispatch
// along the event path of a target.
//
//     nsCOMPtr<nsIDOMEvent> click = dom::NewEvent(dom::EventKind::Mouse, u"click",
//                                                 dom::Bubbles::Yes, dom::Cancelable::Yes);
//     bool defaultAllowed = true;
//     dom::DispatchDOMEvent(*targetCore, click, &defaultAllowed);
//     if (defaultAllowed) { /* follow the link, toggle the check box, ... */ }
//
// The event path runs from the target outwards through EventParent(): the
// node's ancestors, its document, the document's window and whatever the
// browser chains the window to (a frame's window to its chrome window). The
// capture phase calls the capture listeners from the outermost target down to
// the target's parent; at the target the capture listeners run before the
// others; bubbling events then go back out calling the non-capture listeners.
//
// Anonymous content (the input inside a XUL textbox) is retargeted: listeners
// outside it see its host element as the target; the original target stays
// readable through Event::OriginalTarget().
#pragma once

#include "platform/browser/dom/ListenerManager.h"
#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMNode.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"

#include <string_view>

namespace dom {

class EventTargetCore;

// What an event object offers: every event answers nsIDOMEvent and the host's
// nsIDOMNSUIEvent (page coordinates 0 when it has none, as the recorder reads
// them from every event it records), a UI event also nsIDOMUIEvent, a mouse
// event also nsIDOMMouseEvent.
enum class EventKind : uint8_t { Plain, UI, Mouse };
enum class Bubbles : bool { No, Yes };
enum class Cancelable : bool { No, Yes };

// Details of a mouse event beyond InitMouseEvent, filled in by the browser
// that knows where the pointer is.
struct PointerDetails {
    PRInt32 pageX = 0;
    PRInt32 pageY = 0;
    PRInt32 layerX = 0;
    PRInt32 layerY = 0;
    PRUint32 which = 0;
    nsCOMPtr<nsIDOMNode> rangeParent;
    PRInt32 rangeOffset = 0;
};

class Event final : public nsSupportsImpl<Event, nsIDOMMouseEvent, nsIDOMNSUIEvent, nsIDOMNSEvent> {
public:
    static constexpr nsIID kCoreIID{
        0x5a0dff40, 0x7e11, 0x4d0c, {0x9b, 0x21, 0x3f, 0x6a, 0xff, 0x00, 0x00, 0x40}};

    explicit Event(EventKind kind);

    // The core of an event made here; null for anything else. The caller's
    // reference keeps the event alive.
    static Event* FromDOM(nsISupports* object);

    // Answers only the interfaces of the event's kind.
    nsresult QueryInterface(const nsIID& iid, void** result) override;

    EventKind Kind() const { return m_kind; }
    const nsString& Type() const { return m_type; }
    bool IsBubbling() const { return m_bubbles; }
    bool IsCancelable() const { return m_cancelable; }
    bool IsDispatching() const { return m_dispatching; }
    bool IsPropagationStopped() const { return m_stopped; }
    bool IsDefaultPrevented() const { return m_defaultPrevented; }
    // The target the event was dispatched to, before retargeting.
    nsIDOMEventTarget* OriginalTarget() const { return m_originalTarget; }
    void SetPointerDetails(PointerDetails details) { m_pointer = std::move(details); }

    // nsIDOMNSEvent
    nsresult GetOriginalTarget(nsIDOMEventTarget** target) override;

    // nsIDOMEvent
    nsresult GetType(nsAString& type) override;
    nsresult GetTarget(nsIDOMEventTarget** target) override;
    nsresult GetCurrentTarget(nsIDOMEventTarget** target) override;
    nsresult GetEventPhase(PRUint16* phase) override;
    nsresult GetBubbles(PRBool* bubbles) override;
    nsresult GetCancelable(PRBool* cancelable) override;
    nsresult GetTimeStamp(DOMTimeStamp* timeStamp) override;
    nsresult StopPropagation() override;
    nsresult PreventDefault() override;
    nsresult GetDefaultPrevented(PRBool* prevented) override;
    nsresult InitEvent(const nsAString& type, PRBool canBubble, PRBool cancelable) override;

    // nsIDOMUIEvent
    nsresult GetView(nsIDOMWindow** view) override;
    nsresult GetDetail(PRInt32* detail) override;
    nsresult InitUIEvent(const nsAString& type, PRBool canBubble, PRBool cancelable,
                         nsIDOMWindow* view, PRInt32 detail) override;

    // nsIDOMMouseEvent
    nsresult GetScreenX(PRInt32* value) override;
    nsresult GetScreenY(PRInt32* value) override;
    nsresult GetClientX(PRInt32* value) override;
    nsresult GetClientY(PRInt32* value) override;
    nsresult GetCtrlKey(PRBool* value) override;
    nsresult GetShiftKey(PRBool* value) override;
    nsresult GetAltKey(PRBool* value) override;
    nsresult GetMetaKey(PRBool* value) override;
    nsresult GetButton(PRUint16* value) override;
    nsresult GetRelatedTarget(nsIDOMEventTarget** target) override;
    nsresult InitMouseEvent(const nsAString& type, PRBool canBubble, PRBool cancelable,
                            nsIDOMWindow* view, PRInt32 detail, PRInt32 screenX, PRInt32 screenY,
                            PRInt32 clientX, PRInt32 clientY, PRBool ctrlKey, PRBool altKey,
                            PRBool shiftKey, PRBool metaKey, PRUint16 button,
                            nsIDOMEventTarget* relatedTarget) override;

    // nsIDOMNSUIEvent
    nsresult GetLayerX(PRInt32* value) override;
    nsresult GetLayerY(PRInt32* value) override;
    nsresult GetPageX(PRInt32* value) override;
    nsresult GetPageY(PRInt32* value) override;
    nsresult GetWhich(PRUint32* value) override;
    nsresult GetRangeParent(nsIDOMNode** node) override;
    nsresult GetRangeOffset(PRInt32* offset) override;
    nsresult GetCancelBubble(PRBool* value) override;
    nsresult SetCancelBubble(PRBool value) override;
    nsresult GetPreventDefault(PRBool* value) override;
    nsresult GetIsChar(PRBool* value) override;

protected:
    void* QueryExtraInterface(const nsIID& iid) override;

private:
    friend nsresult DispatchDOMEvent(EventTargetCore&, nsIDOMEvent*, bool*);
    bool CanInit() const { return !m_dispatching; }

    EventKind m_kind;
    nsString m_type; // empty until initialised
    bool m_bubbles = false;
    bool m_cancelable = false;
    bool m_dispatching = false;
    bool m_stopped = false;
    bool m_defaultPrevented = false;
    PRUint16 m_phase = 0;
    DOMTimeStamp m_timeStamp = 0;
    nsCOMPtr<nsIDOMEventTarget> m_target;         // as seen by the current listener
    nsCOMPtr<nsIDOMEventTarget> m_currentTarget;  // null outside dispatch
    nsCOMPtr<nsIDOMEventTarget> m_originalTarget; // where the event was dispatched

    nsCOMPtr<nsIDOMWindow> m_view;
    PRInt32 m_detail = 0;

    PRInt32 m_screenX = 0;
    PRInt32 m_screenY = 0;
    PRInt32 m_clientX = 0;
    PRInt32 m_clientY = 0;
    bool m_ctrlKey = false;
    bool m_altKey = false;
    bool m_shiftKey = false;
    bool m_metaKey = false;
    PRUint16 m_button = 0;
    nsCOMPtr<nsIDOMEventTarget> m_relatedTarget;
    PointerDetails m_pointer;
};

// A new, initialised event of `kind`.
nsCOMPtr<nsIDOMEvent> NewEvent(EventKind kind, std::u16string_view type, Bubbles bubbles,
                               Cancelable cancelable);

// The document's CreateEvent: "Events", "HTMLEvents", "UIEvents",
// "MouseEvents" and their singular forms (exact case) give an uninitialised
// event of that kind; another name fails with NS_ERROR_NOT_IMPLEMENTED.
nsresult NewEventForInterface(std::u16string_view eventInterface, nsIDOMEvent** event);

// Dispatches `event` (made by NewEvent or CreateEvent, initialised, not being
// dispatched) to `target` through the capture, target and bubble phases.
// `defaultAllowed` (optional) becomes false when a listener prevented the
// default action of a cancelable event. Fails with NS_ERROR_INVALID_ARG for a
// null, foreign, uninitialised or already dispatching event. Listeners run
// synchronously; they may change the tree or add and remove listeners: the
// path is fixed when dispatch starts and its targets are kept alive.
nsresult DispatchDOMEvent(EventTargetCore& target, nsIDOMEvent* event, bool* defaultAllowed);

// The DOM event that one of the browser's internal event messages (the
// platform's own numbering, NS_ENUMERATE_PLATFORM_EVENTS) becomes.
struct PlatformEvent {
    uint32_t number;
    std::u16string_view type;
    EventKind kind;
    PRUint16 button; // of mouse events: 0 left, 2 right
};
// The DOM event of an internal event number; nullptr for an unknown number.
const PlatformEvent* FindPlatformEvent(uint32_t number);

} // namespace dom

// DOM events: event objects, listeners and targets.
//
// Every node and every window is an event target and an event receiver.
// Dispatch runs the capture phase from the outermost target down to the
// target's parent, then the target, then (for bubbling events) back up. The
// path of a node runs through its ancestors to its document and on to the
// document's window; the browser may chain a window further (a frame's window
// to its chrome window), so capture listeners on a chrome window see the
// events of its content and frames.
//
//     receiver->AddEventListenerByIID(listener, NS_GET_IID<nsIDOMMouseListener>(),
//                                     NS_EVENT_FLAG_CAPTURE);
#pragma once

#include "platform/xpcom/dom/nsDOMForward.h"

class nsIDOMEvent : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(100);
    using BaseInterface = nsISupports;

    enum : PRUint16 { CAPTURING_PHASE = 1, AT_TARGET = 2, BUBBLING_PHASE = 3 };

    virtual nsresult GetType(nsAString& type) = 0;
    virtual nsresult GetTarget(nsIDOMEventTarget** target) = 0;
    virtual nsresult GetCurrentTarget(nsIDOMEventTarget** target) = 0;
    virtual nsresult GetEventPhase(PRUint16* phase) = 0;
    virtual nsresult GetBubbles(PRBool* bubbles) = 0;
    virtual nsresult GetCancelable(PRBool* cancelable) = 0;
    virtual nsresult GetTimeStamp(DOMTimeStamp* timeStamp) = 0;
    virtual nsresult StopPropagation() = 0;
    virtual nsresult PreventDefault() = 0;
    virtual nsresult GetDefaultPrevented(PRBool* prevented) = 0;
    virtual nsresult InitEvent(const nsAString& type, PRBool canBubble, PRBool cancelable) = 0;
};

class nsIDOMUIEvent : public nsIDOMEvent {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(101);
    using BaseInterface = nsIDOMEvent;

    virtual nsresult GetView(nsIDOMWindow** view) = 0;
    virtual nsresult GetDetail(PRInt32* detail) = 0;
    virtual nsresult InitUIEvent(const nsAString& type, PRBool canBubble, PRBool cancelable,
                                 nsIDOMWindow* view, PRInt32 detail) = 0;
};

class nsIDOMMouseEvent : public nsIDOMUIEvent {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(102);
    using BaseInterface = nsIDOMUIEvent;

    virtual nsresult GetScreenX(PRInt32* value) = 0;
    virtual nsresult GetScreenY(PRInt32* value) = 0;
    virtual nsresult GetClientX(PRInt32* value) = 0;
    virtual nsresult GetClientY(PRInt32* value) = 0;
    virtual nsresult GetCtrlKey(PRBool* value) = 0;
    virtual nsresult GetShiftKey(PRBool* value) = 0;
    virtual nsresult GetAltKey(PRBool* value) = 0;
    virtual nsresult GetMetaKey(PRBool* value) = 0;
    // 0 left, 1 middle, 2 right.
    virtual nsresult GetButton(PRUint16* value) = 0;
    virtual nsresult GetRelatedTarget(nsIDOMEventTarget** target) = 0;
    virtual nsresult InitMouseEvent(const nsAString& type, PRBool canBubble, PRBool cancelable,
                                    nsIDOMWindow* view, PRInt32 detail, PRInt32 screenX,
                                    PRInt32 screenY, PRInt32 clientX, PRInt32 clientY,
                                    PRBool ctrlKey, PRBool altKey, PRBool shiftKey, PRBool metaKey,
                                    PRUint16 button, nsIDOMEventTarget* relatedTarget) = 0;
};

// The host's extensions of UI events (mouse events offer them too).
class nsIDOMNSUIEvent : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(103);
    using BaseInterface = nsISupports;

    virtual nsresult GetLayerX(PRInt32* value) = 0;
    virtual nsresult GetLayerY(PRInt32* value) = 0;
    virtual nsresult GetPageX(PRInt32* value) = 0;
    virtual nsresult GetPageY(PRInt32* value) = 0;
    virtual nsresult GetWhich(PRUint32* value) = 0;
    // The node and offset under the mouse (null and 0 when unknown).
    virtual nsresult GetRangeParent(nsIDOMNode** node) = 0;
    virtual nsresult GetRangeOffset(PRInt32* offset) = 0;
    virtual nsresult GetCancelBubble(PRBool* value) = 0;
    virtual nsresult SetCancelBubble(PRBool value) = 0;
    virtual nsresult GetPreventDefault(PRBool* value) = 0;
    virtual nsresult GetIsChar(PRBool* value) = 0;
};

// The host's extensions of every event. Anonymous content (the input inside
// a XUL text box) is hidden from listeners outside it: they see its host
// element as the target; the original target is the node the event was
// dispatched to, before that retargeting.
class nsIDOMNSEvent : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(104);
    using BaseInterface = nsISupports;

    virtual nsresult GetOriginalTarget(nsIDOMEventTarget** target) = 0;
};

class nsIDOMEventListener : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(110);
    using BaseInterface = nsISupports;

    virtual nsresult HandleEvent(nsIDOMEvent* event) = 0;
};

// Listener kinds registered by interface identifier: each event type goes to
// one notification of its kind (NS_ENUMERATE_DOM_LISTENER_EVENTS below).
class nsIDOMMouseListener : public nsIDOMEventListener {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(111);
    using BaseInterface = nsIDOMEventListener;

    virtual nsresult MouseDown(nsIDOMEvent* event) = 0;
    virtual nsresult MouseUp(nsIDOMEvent* event) = 0;
    virtual nsresult MouseClick(nsIDOMEvent* event) = 0;
    virtual nsresult MouseDblClick(nsIDOMEvent* event) = 0;
    virtual nsresult MouseOver(nsIDOMEvent* event) = 0;
    virtual nsresult MouseOut(nsIDOMEvent* event) = 0;
};

class nsIDOMFocusListener : public nsIDOMEventListener {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(112);
    using BaseInterface = nsIDOMEventListener;

    virtual nsresult Focus(nsIDOMEvent* event) = 0;
    virtual nsresult Blur(nsIDOMEvent* event) = 0;
};

class nsIDOMFormListener : public nsIDOMEventListener {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(113);
    using BaseInterface = nsIDOMEventListener;

    virtual nsresult Submit(nsIDOMEvent* event) = 0;
    virtual nsresult Reset(nsIDOMEvent* event) = 0;
    virtual nsresult Change(nsIDOMEvent* event) = 0;
    virtual nsresult Select(nsIDOMEvent* event) = 0;
    virtual nsresult Input(nsIDOMEvent* event) = 0;
};

class nsIDOMMenuListener : public nsIDOMEventListener {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(114);
    using BaseInterface = nsIDOMEventListener;

    virtual nsresult Create(nsIDOMEvent* event) = 0;
    virtual nsresult Close(nsIDOMEvent* event) = 0;
    virtual nsresult Destroy(nsIDOMEvent* event) = 0;
    virtual nsresult Action(nsIDOMEvent* event) = 0;
    virtual nsresult Broadcast(nsIDOMEvent* event) = 0;
    virtual nsresult CommandUpdate(nsIDOMEvent* event) = 0;
};

// Event types that reach each listener kind, and the notification each one
// calls: X(kind, event type, notification).
#define NS_ENUMERATE_DOM_LISTENER_EVENTS(X)                                                        \
    X(nsIDOMMouseListener, "mousedown", MouseDown)                                                 \
    X(nsIDOMMouseListener, "mouseup", MouseUp)                                                     \
    X(nsIDOMMouseListener, "click", MouseClick)                                                    \
    X(nsIDOMMouseListener, "dblclick", MouseDblClick)                                              \
    X(nsIDOMMouseListener, "mouseover", MouseOver)                                                 \
    X(nsIDOMMouseListener, "mouseout", MouseOut)                                                   \
    X(nsIDOMFocusListener, "focus", Focus)                                                         \
    X(nsIDOMFocusListener, "blur", Blur)                                                           \
    X(nsIDOMFormListener, "submit", Submit)                                                        \
    X(nsIDOMFormListener, "reset", Reset)                                                          \
    X(nsIDOMFormListener, "change", Change)                                                        \
    X(nsIDOMFormListener, "select", Select)                                                        \
    X(nsIDOMFormListener, "input", Input)                                                          \
    X(nsIDOMMenuListener, "popupshowing", Create)                                                  \
    X(nsIDOMMenuListener, "popuphiding", Close)                                                    \
    X(nsIDOMMenuListener, "popuphidden", Destroy)                                                  \
    X(nsIDOMMenuListener, "command", Action)                                                       \
    X(nsIDOMMenuListener, "broadcast", Broadcast)                                                  \
    X(nsIDOMMenuListener, "commandupdate", CommandUpdate)

class nsIDOMEventTarget : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(120);
    using BaseInterface = nsISupports;

    // Adding the same listener twice for the same type and phase adds it once.
    virtual nsresult AddEventListener(const nsAString& type, nsIDOMEventListener* listener,
                                      PRBool useCapture) = 0;
    virtual nsresult RemoveEventListener(const nsAString& type, nsIDOMEventListener* listener,
                                         PRBool useCapture) = 0;
    // `notCancelled` is false when a listener prevented the default action.
    // An event without a type, or one being dispatched, fails
    // (NS_ERROR_INVALID_ARG).
    virtual nsresult DispatchEvent(nsIDOMEvent* event, PRBool* notCancelled) = 0;
};

// Flags of listener registration by interface identifier.
inline constexpr PRUint32 NS_EVENT_FLAG_INIT = 1;
inline constexpr PRUint32 NS_EVENT_FLAG_BUBBLE = 2;
inline constexpr PRUint32 NS_EVENT_FLAG_CAPTURE = 4;

// The listeners of one target. A listener registered by interface
// identifier is called for every event type of its kind, on the kind's
// notification; the flags choose the phase (capture, or bubble and target).
class nsIEventListenerManager : public nsISupports {
public:
    static constexpr nsIID kIID = dom::internal::DomIID(121);
    using BaseInterface = nsISupports;

    // Fails (NS_ERROR_NO_INTERFACE) when the listener does not answer the
    // interface `iid` names, or for an identifier that is no listener kind.
    virtual nsresult AddEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                           PRUint32 flags) = 0;
    virtual nsresult RemoveEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                              PRUint32 flags) = 0;
};

class nsIDOMEventReceiver : public nsIDOMEventTarget {
public:
    // The interface identifier of the browser's event-receiver interface.
    static constexpr nsIID kIID{
        0xe1dbcba0, 0xfb38, 0x11d1, {0xbd, 0x87, 0x00, 0x80, 0x5f, 0x8a, 0xe3, 0xf4}};
    using BaseInterface = nsIDOMEventTarget;

    virtual nsresult AddEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                           PRUint32 flags) = 0;
    virtual nsresult RemoveEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                              PRUint32 flags) = 0;
    virtual nsresult GetListenerManager(nsIEventListenerManager** manager) = 0;
};

// The presentation of a document: presentation shell and context, layout
// frames, views and widgets, the event state manager, the link handler, and
// the platform's own event structures with their entry points.
//
// A document shown in a window has one presentation shell. From a document
// to the native window behind it:
//
//     nsCOMPtr<nsIPresShell> shell = NS_GetFirstPresShell(document);
//     nsCOMPtr<nsIViewManager> views;
//     shell->GetViewManager(getter_AddRefs(views));
//     nsCOMPtr<nsIView> root;
//     views->GetRootView(getter_AddRefs(root));
//     nsCOMPtr<nsIWidget> widget;
//     root->GetWidget(getter_AddRefs(widget));
//     HWND__* hwnd = nullptr;
//     widget->GetNativeWindow(&hwnd);
//
// Lengths are in layout units (twips) unless a method says pixels; the
// presentation context converts (GetTwipsToPixels, GetPixelsToTwips).
#pragma once

#include "platform/xpcom/dom/nsIDOMDocument.h"
#include "platform/xpcom/dom/nsIDOMWindow.h"
#include "platform/xpcom/shell/nsIDocShell.h"

// Kinds of event structure.
inline constexpr PRUint8 NS_EVENT = 1;
inline constexpr PRUint8 NS_GUI_EVENT = 2;
inline constexpr PRUint8 NS_MOUSE_EVENT = 10;

// The platform's internal event messages and the DOM events they become:
// X(name, number, DOM event type).
#define NS_ENUMERATE_PLATFORM_EVENTS(X)                                                            \
    X(NS_MOUSE_LEFT_BUTTON_UP, 301, "mouseup")                                                     \
    X(NS_MOUSE_LEFT_BUTTON_DOWN, 302, "mousedown")                                                 \
    X(NS_MOUSE_RIGHT_BUTTON_UP, 311, "mouseup")                                                    \
    X(NS_MOUSE_RIGHT_BUTTON_DOWN, 312, "mousedown")                                                \
    X(NS_MOUSE_LEFT_DOUBLECLICK, 324, "dblclick")                                                  \
    X(NS_MOUSE_LEFT_CLICK, 327, "click")                                                           \
    X(NS_MOUSE_RIGHT_CLICK, 329, "click")                                                          \
    X(NS_MOUSE_ENTER, 331, "mouseover")                                                            \
    X(NS_MOUSE_EXIT, 332, "mouseout")                                                              \
    X(NS_FORM_CHANGE, 1202, "change")                                                              \
    X(NS_UI_ACTIVATE, 1504, "DOMActivate")

#define NS_DEFINE_PLATFORM_EVENT(name, number, type) inline constexpr PRUint32 name = number;
NS_ENUMERATE_PLATFORM_EVENTS(NS_DEFINE_PLATFORM_EVENT)
#undef NS_DEFINE_PLATFORM_EVENT

// What became of an event: untouched, handled with the default action
// prevented, or handled.
enum nsEventStatus : PRInt32 {
    nsEventStatus_eIgnore = 0,
    nsEventStatus_eConsumeNoDefault = 1,
    nsEventStatus_eConsumeDoDefault = 2,
};

// A plain event (kind NS_EVENT).
struct nsEvent {
    PRUint8 eventStructType = NS_EVENT;
    PRUint32 message = 0;
    // Pixels relative to the widget's client area for events handed to
    // content; layout units relative to the frame for a frame's own
    // HandleEvent.
    nsPoint point;
    PRUint32 time = 0;
    PRUint32 flags = 0;
};

// An event that comes from a widget (kind NS_GUI_EVENT).
struct nsGUIEvent : nsEvent {
    nsIWidget* widget = nullptr; // observes: valid while the event is handled
};

// A mouse event (kind NS_MOUSE_EVENT).
struct nsMouseEvent : nsGUIEvent {
    PRBool isShift = PR_FALSE;
    PRBool isControl = PR_FALSE;
    PRBool isAlt = PR_FALSE;
    PRBool isMeta = PR_FALSE;
    PRUint32 clickCount = 0;
};

// The DOM event type of a platform message ("" for one not listed).
constexpr const char* NS_PlatformEventType(PRUint32 message) {
#define NS_PLATFORM_EVENT_CASE(name, number, type)                                                 \
    if (message == number)                                                                         \
        return type;
    NS_ENUMERATE_PLATFORM_EVENTS(NS_PLATFORM_EVENT_CASE)
#undef NS_PLATFORM_EVENT_CASE
    return "";
}

class nsIWidget : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(20);
    using BaseInterface = nsISupports;

    virtual nsresult GetNativeWindow(HWND__** window) = 0;
    // The widget's bounds in pixels relative to its parent window.
    virtual nsresult GetBounds(nsRect& bounds) = 0;
    // The widget's client area in screen pixels.
    virtual nsresult GetScreenBounds(nsRect& bounds) = 0;
};

class nsIView : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(21);
    using BaseInterface = nsISupports;

    // The widget of this view, or of the nearest view above it that has one.
    virtual nsresult GetWidget(nsIWidget** widget) = 0;
    virtual nsresult GetBounds(nsRect& bounds) = 0;
    virtual nsresult GetParent(nsIView** parent) = 0;
};

// Views that scroll (a window's root view, a scrolling DIV's view) answer
// this too.
inline constexpr PRUint32 NS_VMREFRESH_IMMEDIATE = 1;
inline constexpr PRUint32 NS_VMREFRESH_NO_SYNC = 2;

class nsIScrollableView : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(22);
    using BaseInterface = nsISupports;

    virtual nsresult GetScrollPosition(nscoord* x, nscoord* y) = 0;
    // Clamped to the scrollable range; `updateFlags` NS_VMREFRESH_*.
    virtual nsresult ScrollTo(nscoord x, nscoord y, PRUint32 updateFlags) = 0;
    // The size of the scrolled content.
    virtual nsresult GetContainerSize(nscoord* width, nscoord* height) = 0;
};

class nsIViewManager : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(23);
    using BaseInterface = nsISupports;

    virtual nsresult GetRootView(nsIView** view) = 0;
    virtual nsresult GetRootScrollableView(nsIScrollableView** view) = 0;
};

// The layout box of a DOM node.
class nsIFrame : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(24);
    using BaseInterface = nsISupports;

    virtual nsresult GetContent(nsIDOMNode** content) = 0;
    // The box relative to the document's origin, in layout units.
    virtual nsresult GetRect(nsRect& rect) = 0;
    // The frame's own view (a scrolling element has one), or else the
    // nearest view above it.
    virtual nsresult GetView(nsIView** view) = 0;
    // The frame's own event entry: `event` (point in layout units relative
    // to the frame) as the frame itself handles it, before any DOM dispatch.
    virtual nsresult HandleEvent(nsIPresContext* context, nsGUIEvent* event,
                                 nsEventStatus* status) = 0;
};

// Content state bits of the event state manager.
inline constexpr PRInt32 NS_EVENT_STATE_ACTIVE = 0x01;
inline constexpr PRInt32 NS_EVENT_STATE_FOCUS = 0x02;
inline constexpr PRInt32 NS_EVENT_STATE_HOVER = 0x04;

class nsIEventStateManager : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(25);
    using BaseInterface = nsISupports;

    // NS_EVENT_STATE_* bits of `content` (0 for an element in no state).
    virtual nsresult GetContentState(nsIDOMNode* content, PRInt32* state) = 0;
    virtual nsresult GetFocusedContent(nsIDOMNode** content) = 0;
    // Moves the focus to `content` (null: nobody), with blur and focus
    // events.
    virtual nsresult SetFocusedContent(nsIDOMNode* content) = 0;
};

// What a link is followed for.
enum nsLinkVerb : PRInt32 {
    eLinkVerb_Replace = 0,
    eLinkVerb_New = 1,
};

// Follows links: the document shell of the window whose document holds the
// link (or the frame that `target` names).
class nsILinkHandler : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(26);
    using BaseInterface = nsISupports;

    // Starts a navigation to `uri` in the window `target` names (empty: the
    // link's own window; "_top", "_parent", "_self", "_blank" or a frame
    // name). `postData` may be null.
    virtual nsresult OnLinkClick(nsIDOMNode* content, nsLinkVerb verb, nsIURI* uri,
                                 const nsAString& target, nsIInputStream* postData) = 0;
    // The pointer is over a link (the status line would show it).
    virtual nsresult OnOverLink(nsIDOMNode* content, nsIURI* uri, const nsAString& target) = 0;
    // The last address OnOverLink was told of (empty after leaving a link).
    virtual nsresult GetOverLink(nsAString& uri) = 0;
};

class nsIPresContext : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(27);
    using BaseInterface = nsISupports;

    virtual nsresult GetShell(nsIPresShell** shell) = 0;
    // The document shell that shows the presentation.
    virtual nsresult GetContainer(nsISupports** container) = 0;
    virtual nsresult GetLinkHandler(nsILinkHandler** handler) = 0;
    virtual nsresult GetEventStateManager(nsIEventStateManager** manager) = 0;
    virtual nsresult GetTwipsToPixels(float* factor) = 0;
    virtual nsresult GetPixelsToTwips(float* factor) = 0;
};

class nsIPresShell : public nsISupports {
public:
    static constexpr nsIID kIID = shell::internal::ShellIID(28);
    using BaseInterface = nsISupports;

    virtual nsresult GetDocument(nsIDOMDocument** document) = 0;
    virtual nsresult GetPresContext(nsIPresContext** context) = 0;
    virtual nsresult GetViewManager(nsIViewManager** manager) = 0;
    // The layout frame of `content`; NS_OK with a null frame for content
    // that is not shown (display:none, hidden, not in this document).
    virtual nsresult GetPrimaryFrameFor(nsIDOMNode* content, nsIFrame** frame) = 0;
    // The content's event handling entry: turns the platform event into
    // its DOM event (NS_PlatformEventType), dispatches it at `content` with
    // capture, target and bubble phases, and runs the default action unless
    // a listener prevented it. `flags` NS_EVENT_FLAG_INIT for an initial
    // dispatch. `status` becomes nsEventStatus_eConsumeNoDefault when the
    // default action was prevented.
    virtual nsresult HandleDOMEventWithTarget(nsIDOMNode* content, nsEvent* event, PRUint32 flags,
                                              nsEventStatus* status) = 0;
};

// The document's first (only) presentation shell, reached through the
// document's window and that window's document shell; null for a document
// no window shows.
inline nsCOMPtr<nsIPresShell> NS_GetFirstPresShell(nsIDOMDocument* document) {
    nsCOMPtr<nsIPresShell> result;
    nsCOMPtr<nsIDOMDocumentInternal> internal = do_QueryInterface(document);
    if (!internal)
        return result;
    nsCOMPtr<nsIDOMWindow> window;
    if (NS_FAILED(internal->GetWindow(getter_AddRefs(window))) || !window)
        return result;
    nsCOMPtr<nsIDOMWindowInternal> windowInternal = do_QueryInterface(window);
    if (!windowInternal)
        return result;
    nsCOMPtr<nsISupports> raw;
    if (NS_FAILED(windowInternal->GetDocShell(getter_AddRefs(raw))) || !raw)
        return result;
    nsCOMPtr<nsIDocShell> shell = do_QueryInterface(raw);
    if (!shell || NS_FAILED(shell->GetPresShell(getter_AddRefs(result))) || !result)
        return nullptr;
    // The window may have moved on to another document since.
    nsCOMPtr<nsIDOMDocument> shown;
    if (NS_FAILED(result->GetDocument(getter_AddRefs(shown))) || !SameCOMIdentity(shown, document))
        return nullptr;
    return result;
}

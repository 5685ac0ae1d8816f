#include "platform/browser/dom/Events.h"

#include "platform/browser/dom/Node.h"
#include "platform/xpcom/shell/nsIPresShell.h"

#include <chrono>
#include <string_view>
#include <vector>

namespace dom {
namespace {

template <typename T, typename U> nsresult Answer(T* out, U value) {
    if (!out)
        return NS_ERROR_NULL_POINTER;
    *out = static_cast<T>(value);
    return NS_OK;
}

template <typename T> nsresult AnswerRef(const nsCOMPtr<T>& value, T** out) {
    if (!out)
        return NS_ERROR_NULL_POINTER;
    value.CopyTo(out);
    return NS_OK;
}

DOMTimeStamp Now() {
    using namespace std::chrono;
    return static_cast<DOMTimeStamp>(
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

// Whether `child` hangs below `parent` as anonymous content (it names the
// parent as its parent but is not among its children).
bool IsAnonymousChildOf(EventTargetCore& child, EventTargetCore& parent) {
    auto* childNode = dynamic_cast<Node*>(&child);
    auto* parentNode = dynamic_cast<Node*>(&parent);
    return childNode && parentNode && childNode->Parent() == parentNode &&
           parentNode->ChildAt(childNode->IndexInParent()) != childNode;
}

} // namespace

Event::Event(EventKind kind) : m_kind(kind), m_timeStamp(Now()) {}

Event* Event::FromDOM(nsISupports* object) {
    if (!object)
        return nullptr;
    void* core = nullptr;
    if (NS_FAILED(object->QueryInterface(kCoreIID, &core)) || !core)
        return nullptr;
    auto* event = static_cast<Event*>(core);
    event->Release(); // the caller's reference keeps the event alive
    return event;
}

nsresult Event::QueryInterface(const nsIID& iid, void** result) {
    const bool refused = (m_kind == EventKind::Plain && iid.Equals(nsIDOMUIEvent::kIID)) ||
                         (m_kind != EventKind::Mouse && iid.Equals(nsIDOMMouseEvent::kIID));
    if (refused) {
        if (!result)
            return NS_ERROR_NULL_POINTER;
        *result = nullptr;
        return NS_ERROR_NO_INTERFACE;
    }
    return nsSupportsImpl::QueryInterface(iid, result);
}

void* Event::QueryExtraInterface(const nsIID& iid) {
    return iid.Equals(kCoreIID) ? static_cast<void*>(this) : nullptr;
}

nsresult Event::GetType(nsAString& type) {
    type = m_type;
    return NS_OK;
}

nsresult Event::GetTarget(nsIDOMEventTarget** target) {
    return AnswerRef(m_target, target);
}

nsresult Event::GetOriginalTarget(nsIDOMEventTarget** target) {
    return AnswerRef(m_originalTarget, target);
}

nsresult Event::GetCurrentTarget(nsIDOMEventTarget** target) {
    return AnswerRef(m_currentTarget, target);
}

nsresult Event::GetEventPhase(PRUint16* phase) {
    return Answer(phase, m_phase);
}

nsresult Event::GetBubbles(PRBool* bubbles) {
    return Answer(bubbles, m_bubbles);
}

nsresult Event::GetCancelable(PRBool* cancelable) {
    return Answer(cancelable, m_cancelable);
}

nsresult Event::GetTimeStamp(DOMTimeStamp* timeStamp) {
    return Answer(timeStamp, m_timeStamp);
}

nsresult Event::StopPropagation() {
    m_stopped = true;
    return NS_OK;
}

nsresult Event::PreventDefault() {
    if (m_cancelable)
        m_defaultPrevented = true;
    return NS_OK;
}

nsresult Event::GetDefaultPrevented(PRBool* prevented) {
    return Answer(prevented, m_defaultPrevented);
}

nsresult Event::InitEvent(const nsAString& type, PRBool canBubble, PRBool cancelable) {
    if (!CanInit())
        return NS_OK; // an event being dispatched keeps its settings
    m_type = type;
    m_bubbles = canBubble != PR_FALSE;
    m_cancelable = cancelable != PR_FALSE;
    m_stopped = false;
    m_defaultPrevented = false;
    m_target = nullptr;
    m_originalTarget = nullptr;
    return NS_OK;
}

nsresult Event::GetView(nsIDOMWindow** view) {
    return AnswerRef(m_view, view);
}

nsresult Event::GetDetail(PRInt32* detail) {
    return Answer(detail, m_detail);
}

nsresult Event::InitUIEvent(const nsAString& type, PRBool canBubble, PRBool cancelable,
                            nsIDOMWindow* view, PRInt32 detail) {
    if (!CanInit())
        return NS_OK;
    InitEvent(type, canBubble, cancelable);
    m_view = view;
    m_detail = detail;
    return NS_OK;
}

nsresult Event::GetScreenX(PRInt32* value) {
    return Answer(value, m_screenX);
}
nsresult Event::GetScreenY(PRInt32* value) {
    return Answer(value, m_screenY);
}
nsresult Event::GetClientX(PRInt32* value) {
    return Answer(value, m_clientX);
}
nsresult Event::GetClientY(PRInt32* value) {
    return Answer(value, m_clientY);
}
nsresult Event::GetCtrlKey(PRBool* value) {
    return Answer(value, m_ctrlKey);
}
nsresult Event::GetShiftKey(PRBool* value) {
    return Answer(value, m_shiftKey);
}
nsresult Event::GetAltKey(PRBool* value) {
    return Answer(value, m_altKey);
}
nsresult Event::GetMetaKey(PRBool* value) {
    return Answer(value, m_metaKey);
}
nsresult Event::GetButton(PRUint16* value) {
    return Answer(value, m_button);
}

nsresult Event::GetRelatedTarget(nsIDOMEventTarget** target) {
    return AnswerRef(m_relatedTarget, target);
}

nsresult Event::InitMouseEvent(const nsAString& type, PRBool canBubble, PRBool cancelable,
                               nsIDOMWindow* view, PRInt32 detail, PRInt32 screenX, PRInt32 screenY,
                               PRInt32 clientX, PRInt32 clientY, PRBool ctrlKey, PRBool altKey,
                               PRBool shiftKey, PRBool metaKey, PRUint16 button,
                               nsIDOMEventTarget* relatedTarget) {
    if (!CanInit())
        return NS_OK;
    InitUIEvent(type, canBubble, cancelable, view, detail);
    m_screenX = screenX;
    m_screenY = screenY;
    m_clientX = clientX;
    m_clientY = clientY;
    m_ctrlKey = ctrlKey != PR_FALSE;
    m_altKey = altKey != PR_FALSE;
    m_shiftKey = shiftKey != PR_FALSE;
    m_metaKey = metaKey != PR_FALSE;
    m_button = button;
    m_relatedTarget = relatedTarget;
    return NS_OK;
}

nsresult Event::GetLayerX(PRInt32* value) {
    return Answer(value, m_pointer.layerX);
}
nsresult Event::GetLayerY(PRInt32* value) {
    return Answer(value, m_pointer.layerY);
}
nsresult Event::GetPageX(PRInt32* value) {
    return Answer(value, m_pointer.pageX);
}
nsresult Event::GetPageY(PRInt32* value) {
    return Answer(value, m_pointer.pageY);
}
nsresult Event::GetWhich(PRUint32* value) {
    return Answer(value, m_pointer.which);
}

nsresult Event::GetRangeParent(nsIDOMNode** node) {
    return AnswerRef(m_pointer.rangeParent, node);
}

nsresult Event::GetRangeOffset(PRInt32* offset) {
    return Answer(offset, m_pointer.rangeParent ? m_pointer.rangeOffset : 0);
}

nsresult Event::GetCancelBubble(PRBool* value) {
    return Answer(value, m_stopped);
}

nsresult Event::SetCancelBubble(PRBool value) {
    m_stopped = value != PR_FALSE;
    return NS_OK;
}

nsresult Event::GetPreventDefault(PRBool* value) {
    return Answer(value, m_defaultPrevented);
}

nsresult Event::GetIsChar(PRBool* value) {
    return Answer(value, false);
}

nsCOMPtr<nsIDOMEvent> NewEvent(EventKind kind, std::u16string_view type, Bubbles bubbles,
                               Cancelable cancelable) {
    nsCOMPtr<nsIDOMEvent> event(new Event(kind));
    event->InitEvent(nsString(type), bubbles == Bubbles::Yes, cancelable == Cancelable::Yes);
    return event;
}

nsresult NewEventForInterface(std::u16string_view eventInterface, nsIDOMEvent** event) {
    if (!event)
        return NS_ERROR_NULL_POINTER;
    *event = nullptr;
    static constexpr struct {
        std::u16string_view name;
        EventKind kind;
    } kInterfaces[] = {
        {u"Events", EventKind::Plain},      {u"Event", EventKind::Plain},
        {u"HTMLEvents", EventKind::Plain},  {u"HTMLEvent", EventKind::Plain},
        {u"UIEvents", EventKind::UI},       {u"UIEvent", EventKind::UI},
        {u"MouseEvents", EventKind::Mouse}, {u"MouseEvent", EventKind::Mouse},
    };
    for (const auto& entry : kInterfaces) {
        if (entry.name == eventInterface) {
            nsCOMPtr<nsIDOMEvent> created(new Event(entry.kind));
            *event = created.forget();
            return NS_OK;
        }
    }
    return NS_ERROR_NOT_IMPLEMENTED;
}

nsresult DispatchDOMEvent(EventTargetCore& target, nsIDOMEvent* domEvent, bool* defaultAllowed) {
    if (defaultAllowed)
        *defaultAllowed = true;
    Event* event = Event::FromDOM(domEvent);
    if (!event || event->m_type.empty() || event->m_dispatching)
        return NS_ERROR_INVALID_ARG;
    // Listeners may drop every other reference to the event.
    nsCOMPtr<nsIDOMEvent> keepEvent(domEvent);

    // The path is fixed now; each target is kept alive through its face
    // because listeners may remove nodes from the tree or close windows.
    struct Step {
        EventTargetCore* core;              // observes: `face` keeps it alive
        nsCOMPtr<nsIDOMEventTarget> face;   // the target's own interface
        nsCOMPtr<nsIDOMEventTarget> seenAs; // the target as its listeners see it
    };
    std::vector<Step> path;
    nsCOMPtr<nsIDOMEventTarget> seenAs = target.AsEventTarget();
    for (EventTargetCore* core = &target; core;) {
        const bool isNode = dynamic_cast<Node*>(core) != nullptr;
        if (!isNode) {
            // Window chains are the browser's wiring; never loop on a bad one.
            bool repeated = false;
            for (const auto& step : path)
                repeated = repeated || step.core == core;
            if (repeated)
                break;
        }
        if (nsIDOMEventTarget* face = core->AsEventTarget())
            path.push_back({core, face, seenAs});
        EventTargetCore* parent = core->EventParent();
        if (parent && IsAnonymousChildOf(*core, *parent))
            seenAs = parent->AsEventTarget();
        core = parent;
    }
    if (path.empty())
        return NS_ERROR_INVALID_ARG;

    event->m_dispatching = true;
    event->m_stopped = false;
    event->m_originalTarget = path.front().face;
    auto visit = [event](const Step& step, ListenerPhase phase, PRUint16 domPhase) {
        event->m_currentTarget = step.face;
        event->m_target = step.seenAs;
        event->m_phase = domPhase;
        if (ListenerManager* listeners = step.core->Listeners(false))
            listeners->CallListeners(*event, phase);
    };
    auto isAtTarget = [](const Step& step) { return step.face == step.seenAs; };

    for (size_t i = path.size(); i-- > 0 && !event->m_stopped;) {
        visit(path[i], ListenerPhase::Capture,
              isAtTarget(path[i]) ? nsIDOMEvent::AT_TARGET : nsIDOMEvent::CAPTURING_PHASE);
    }
    for (size_t i = 0; i < path.size() && !event->m_stopped; ++i) {
        const bool atTarget = isAtTarget(path[i]);
        if (atTarget || event->m_bubbles)
            visit(path[i], ListenerPhase::Bubble,
                  atTarget ? nsIDOMEvent::AT_TARGET : nsIDOMEvent::BUBBLING_PHASE);
    }

    event->m_dispatching = false;
    event->m_stopped = false;
    event->m_phase = 0;
    event->m_currentTarget = nullptr;
    event->m_target = event->m_originalTarget;
    if (defaultAllowed)
        *defaultAllowed = !event->m_defaultPrevented;
    return NS_OK;
}

namespace {

constexpr bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The kind and button follow from the message's name, so that the one table
// of messages stays the only place that lists them.
constexpr PlatformEvent MakePlatformEvent(std::string_view name, uint32_t number,
                                          std::u16string_view type) {
    EventKind kind = StartsWith(name, "NS_MOUSE_") ? EventKind::Mouse
                     : StartsWith(name, "NS_UI_")  ? EventKind::UI
                                                   : EventKind::Plain;
    PRUint16 button = name.find("_RIGHT_") != std::string_view::npos ? 2 : 0;
    return PlatformEvent{number, type, kind, button};
}

} // namespace

const PlatformEvent* FindPlatformEvent(uint32_t number) {
    static constexpr PlatformEvent kEvents[] = {
#define DOM_PLATFORM_EVENT(name, eventNumber, eventType)                                           \
    MakePlatformEvent(#name, eventNumber, u"" eventType),
        NS_ENUMERATE_PLATFORM_EVENTS(DOM_PLATFORM_EVENT)
#undef DOM_PLATFORM_EVENT
    };
    for (const auto& entry : kEvents) {
        if (entry.number == number)
            return &entry;
    }
    return nullptr;
}

} // namespace dom

#include "platform/browser/dom/ListenerManager.h"

#include "platform/browser/dom/Events.h"

#include <algorithm>
#include <optional>

namespace dom {
namespace {

template <typename Interface> nsCOMPtr<nsIDOMEventListener> QueryAs(nsIDOMEventListener* listener) {
    nsCOMPtr<Interface> typed = do_QueryInterface(listener);
    // Seen through the kind's own nsIDOMEventListener base, so that the
    // pointer can be turned back into the kind's interface when notifying.
    return nsCOMPtr<nsIDOMEventListener>(typed.get());
}

nsCOMPtr<nsISupports> IdentityOf(nsISupports* object) {
    nsCOMPtr<nsISupports> identity = do_QueryInterface(object);
    return identity;
}

} // namespace

bool ListenerManager::IsEmpty() const {
    return m_entries.empty();
}

nsresult ListenerManager::AddEventListener(std::u16string_view type, nsIDOMEventListener* listener,
                                           ListenerPhase phase) {
    if (type.empty())
        return NS_ERROR_INVALID_ARG;
    return Add(Kind::Type, type, listener, phase);
}

nsresult ListenerManager::RemoveEventListener(std::u16string_view type,
                                              nsIDOMEventListener* listener, ListenerPhase phase) {
    return Remove(Kind::Type, type, listener, phase);
}

// X(kind, listener interface): the listener kinds registered by identifier.
#define DOM_ENUMERATE_LISTENER_KINDS(X)                                                            \
    X(Generic, nsIDOMEventListener)                                                                \
    X(Mouse, nsIDOMMouseListener)                                                                  \
    X(Focus, nsIDOMFocusListener)                                                                  \
    X(Form, nsIDOMFormListener)                                                                    \
    X(Menu, nsIDOMMenuListener)

nsresult ListenerManager::AddEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                                PRUint32 flags) {
    ListenerPhase phase =
        (flags & NS_EVENT_FLAG_CAPTURE) ? ListenerPhase::Capture : ListenerPhase::Bubble;
#define DOM_ADD_KIND(kind, Interface)                                                              \
    if (iid.Equals(Interface::kIID))                                                               \
        return Add(Kind::kind, {}, listener, phase);
    DOM_ENUMERATE_LISTENER_KINDS(DOM_ADD_KIND)
#undef DOM_ADD_KIND
    return NS_ERROR_NO_INTERFACE;
}

nsresult ListenerManager::RemoveEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                                   PRUint32 flags) {
    ListenerPhase phase =
        (flags & NS_EVENT_FLAG_CAPTURE) ? ListenerPhase::Capture : ListenerPhase::Bubble;
#define DOM_REMOVE_KIND(kind, Interface)                                                           \
    if (iid.Equals(Interface::kIID))                                                               \
        return Remove(Kind::kind, {}, listener, phase);
    DOM_ENUMERATE_LISTENER_KINDS(DOM_REMOVE_KIND)
#undef DOM_REMOVE_KIND
    return NS_ERROR_NO_INTERFACE;
}

nsresult ListenerManager::Add(Kind kind, std::u16string_view type, nsIDOMEventListener* listener,
                              ListenerPhase phase) {
    if (!listener)
        return NS_ERROR_NULL_POINTER;
    nsCOMPtr<nsIDOMEventListener> typed;
    switch (kind) {
    case Kind::Type:
        typed = listener;
        break;
#define DOM_QUERY_KIND(kindName, Interface)                                                        \
    case Kind::kindName:                                                                           \
        typed = QueryAs<Interface>(listener);                                                      \
        break;
        DOM_ENUMERATE_LISTENER_KINDS(DOM_QUERY_KIND)
#undef DOM_QUERY_KIND
    }
    if (!typed)
        return NS_ERROR_NO_INTERFACE;
    nsCOMPtr<nsISupports> identity = IdentityOf(listener);
    for (const auto& entry : m_entries) {
        if (entry->kind == kind && entry->phase == phase && entry->type == type &&
            entry->identity == identity)
            return NS_OK;
    }
    auto entry = std::make_shared<Entry>();
    entry->kind = kind;
    entry->phase = phase;
    entry->type = nsString(type);
    entry->listener = std::move(typed);
    entry->identity = std::move(identity);
    m_entries.push_back(std::move(entry));
    return NS_OK;
}

nsresult ListenerManager::Remove(Kind kind, std::u16string_view type, nsIDOMEventListener* listener,
                                 ListenerPhase phase) {
    if (!listener)
        return NS_ERROR_NULL_POINTER;
    nsCOMPtr<nsISupports> identity = IdentityOf(listener);
    auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const auto& entry) {
        return entry->kind == kind && entry->phase == phase && entry->type == type &&
               entry->identity == identity;
    });
    if (found != m_entries.end()) {
        (*found)->removed = true;
        m_entries.erase(found);
    }
    return NS_OK; // removing a listener that is not there is no error
}

void ListenerManager::CallListeners(Event& event, ListenerPhase phase) {
    if (m_entries.empty())
        return;
    // Listeners may remove themselves or others, or drop the target (and so
    // this manager): work on a snapshot and keep the manager alive.
    nsCOMPtr<nsIEventListenerManager> keepAlive(this);
    std::vector<std::shared_ptr<Entry>> snapshot = m_entries;
    for (const auto& entry : snapshot) {
        if (entry->removed || entry->phase != phase)
            continue;
        if (entry->kind == Kind::Type && entry->type != event.Type())
            continue;
        Notify(*entry, event);
    }
}

void ListenerManager::Notify(const Entry& entry, Event& event) {
    nsIDOMEvent* domEvent = &event;
    const std::u16string_view type = event.Type();
    switch (entry.kind) {
    case Kind::Type:
    case Kind::Generic:
        entry.listener->HandleEvent(domEvent);
        return;
    default:
        break;
    }
    const nsIID* kindIID = nullptr;
    switch (entry.kind) {
#define DOM_KIND_IID(kindName, Interface)                                                          \
    case Kind::kindName:                                                                           \
        kindIID = &Interface::kIID;                                                                \
        break;
        DOM_ENUMERATE_LISTENER_KINDS(DOM_KIND_IID)
#undef DOM_KIND_IID
    case Kind::Type:
        break;
    }
    // The listener's result is not the dispatcher's business: a failing
    // listener must not keep the others from hearing the event.
#define DOM_NOTIFY(Interface, eventType, Notification)                                             \
    if (kindIID && kindIID->Equals(Interface::kIID) && type == u"" eventType) {                    \
        static_cast<Interface*>(entry.listener.get())->Notification(domEvent);                     \
        return;                                                                                    \
    }
    NS_ENUMERATE_DOM_LISTENER_EVENTS(DOM_NOTIFY)
#undef DOM_NOTIFY
}

#undef DOM_ENUMERATE_LISTENER_KINDS

} // namespace dom

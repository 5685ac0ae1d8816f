// The listeners of one event target (node or window).
//
//     ListenerManager* listeners = core.Listeners(true);
//     listeners->AddEventListener(u"click", listener, ListenerPhase::Bubble);
//     listeners->AddEventListenerByIID(observer, NS_GET_IID<nsIDOMMouseListener>(),
//                                      NS_EVENT_FLAG_CAPTURE);
//
// Two ways to listen: by event type (HandleEvent is called for that type) and
// by listener kind (registered with the interface identifier of
// nsIDOMEventListener, nsIDOMMouseListener, nsIDOMFocusListener,
// nsIDOMFormListener or nsIDOMMenuListener). A kind listener hears every
// event type of its kind on that kind's notification (MouseDown, Focus,
// Change, Action, ...); a generic one hears every event on HandleEvent.
#pragma once

#include "platform/xpcom/dom/nsIDOMEvent.h"

#include <memory>
#include <string_view>
#include <vector>

namespace dom {

class Event;

// The phase a listener is registered for: capture listeners run on the way
// in, bubble listeners at the target and on the way out.
enum class ListenerPhase : uint8_t { Capture, Bubble };

class ListenerManager final : public nsSupportsImpl<ListenerManager, nsIEventListenerManager> {
public:
    ListenerManager() = default;

    // Adding a listener that is already registered for the same type (or
    // kind) and phase changes nothing.
    nsresult AddEventListener(std::u16string_view type, nsIDOMEventListener* listener,
                              ListenerPhase phase);
    nsresult RemoveEventListener(std::u16string_view type, nsIDOMEventListener* listener,
                                 ListenerPhase phase);

    // nsIEventListenerManager: NS_EVENT_FLAG_CAPTURE in `flags` selects the
    // capture phase, anything else the bubble phase.
    nsresult AddEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                   PRUint32 flags) override;
    nsresult RemoveEventListenerByIID(nsIDOMEventListener* listener, const nsIID& iid,
                                      PRUint32 flags) override;

    bool IsEmpty() const;

    // Calls the listeners of `phase` that hear `event`'s type, in the order
    // they were added. Listeners added meanwhile are not called for this
    // event; listeners removed meanwhile are not called any more.
    void CallListeners(Event& event, ListenerPhase phase);

private:
    // Which notification a registration is called on.
    enum class Kind : uint8_t { Type, Generic, Mouse, Focus, Form, Menu };
    struct Entry {
        Kind kind;
        ListenerPhase phase;
        nsString type; // for Kind::Type
        // The listener as the interface of its kind (nsIDOMMouseListener for
        // Kind::Mouse, ...), seen through its nsIDOMEventListener base.
        nsCOMPtr<nsIDOMEventListener> listener;
        nsCOMPtr<nsISupports> identity; // canonical, to compare listeners
        bool removed = false;
    };

    nsresult Add(Kind kind, std::u16string_view type, nsIDOMEventListener* listener,
                 ListenerPhase phase);
    nsresult Remove(Kind kind, std::u16string_view type, nsIDOMEventListener* listener,
                    ListenerPhase phase);
    static void Notify(const Entry& entry, Event& event);

    // Shared so that a dispatch in progress keeps the entries it is calling
    // while listeners remove themselves.
    std::vector<std::shared_ptr<Entry>> m_entries;
};

} // namespace dom

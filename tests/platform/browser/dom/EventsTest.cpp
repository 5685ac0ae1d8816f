// Event dispatch: phases, the window chain, listener kinds, cancellation and
// event objects.
#include "platform/browser/dom/Events.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Identity.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/dom/Window.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace dom {
namespace {

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

// A page built from markup, with its nodes found by id.
struct Page {
    explicit Page(std::string_view markup)
        : dom(ParseHTMLDocument(markup, u"http://host/page.html")), doc(Document::FromDOM(dom)) {}
    Element& ById(std::u16string_view id) const {
        Element* element = doc->ElementById(id);
        EXPECT_NE(element, nullptr) << "no element with id " << Narrow(id);
        return *element;
    }
    nsCOMPtr<nsIDOMHTMLDocument> dom;
    Document* doc;
};

// The name a log line gives a target: its id, the node name, or "window".
std::string NameOf(nsIDOMEventTarget* target) {
    EventTargetCore* core = EventTargetCore::FromDOM(target);
    if (auto* element = dynamic_cast<Element*>(core)) {
        nsString id = element->Attribute(u"id");
        return Narrow(id.empty() ? element->NodeName() : id);
    }
    if (auto* node = dynamic_cast<Node*>(core))
        return Narrow(node->NodeName());
    return core ? "window" : "?";
}

// Listens by type and runs an action; logs "current:phase".
class Listener final : public nsSupportsImpl<Listener, nsIDOMEventListener> {
public:
    Listener(std::vector<std::string>& log, std::string label,
             std::function<void(nsIDOMEvent*)> action = {})
        : m_log(log), m_label(std::move(label)), m_action(std::move(action)) {}
    nsresult HandleEvent(nsIDOMEvent* event) override {
        nsCOMPtr<nsIDOMEventTarget> current;
        event->GetCurrentTarget(getter_AddRefs(current));
        PRUint16 phase = 0;
        event->GetEventPhase(&phase);
        m_log.push_back(m_label + NameOf(current) + ":" + std::to_string(phase));
        if (m_action)
            m_action(event);
        return NS_OK;
    }

private:
    std::vector<std::string>& m_log;
    std::string m_label;
    std::function<void(nsIDOMEvent*)> m_action;
};

// A listener of all four kinds, as the agent's observer is; logs the
// notification that was called.
class KindListener final
    : public nsSupportsImpl<KindListener, nsIDOMMouseListener, nsIDOMFocusListener,
                            nsIDOMFormListener, nsIDOMMenuListener> {
public:
    explicit KindListener(std::vector<std::string>& log) : m_log(log) {}
    nsresult HandleEvent(nsIDOMEvent*) override { return Log("HandleEvent"); }
    nsresult MouseDown(nsIDOMEvent*) override { return Log("MouseDown"); }
    nsresult MouseUp(nsIDOMEvent*) override { return Log("MouseUp"); }
    nsresult MouseClick(nsIDOMEvent*) override { return Log("MouseClick"); }
    nsresult MouseDblClick(nsIDOMEvent*) override { return Log("MouseDblClick"); }
    nsresult MouseOver(nsIDOMEvent*) override { return Log("MouseOver"); }
    nsresult MouseOut(nsIDOMEvent*) override { return Log("MouseOut"); }
    nsresult Focus(nsIDOMEvent*) override { return Log("Focus"); }
    nsresult Blur(nsIDOMEvent*) override { return Log("Blur"); }
    nsresult Submit(nsIDOMEvent*) override { return Log("Submit"); }
    nsresult Reset(nsIDOMEvent*) override { return Log("Reset"); }
    nsresult Change(nsIDOMEvent*) override { return Log("Change"); }
    nsresult Select(nsIDOMEvent*) override { return Log("Select"); }
    nsresult Input(nsIDOMEvent*) override { return Log("Input"); }
    nsresult Create(nsIDOMEvent*) override { return Log("Create"); }
    nsresult Close(nsIDOMEvent*) override { return Log("Close"); }
    nsresult Destroy(nsIDOMEvent*) override { return Log("Destroy"); }
    nsresult Action(nsIDOMEvent*) override { return Log("Action"); }
    nsresult Broadcast(nsIDOMEvent*) override { return Log("Broadcast"); }
    nsresult CommandUpdate(nsIDOMEvent*) override { return Log("CommandUpdate"); }

private:
    nsresult Log(const char* what) {
        m_log.push_back(what);
        return NS_ERROR_FAILURE; // a failing listener must not stop dispatch
    }
    std::vector<std::string>& m_log;
};

nsCOMPtr<nsIDOMEventListener> NewKindListener(std::vector<std::string>& log) {
    return nsCOMPtr<nsIDOMEventListener>(static_cast<nsIDOMMouseListener*>(new KindListener(log)));
}

nsresult Fire(EventTargetCore& target, EventKind kind, std::u16string_view type,
              Bubbles bubbles = Bubbles::Yes, Cancelable cancelable = Cancelable::Yes,
              bool* allowed = nullptr) {
    nsCOMPtr<nsIDOMEvent> event = NewEvent(kind, type, bubbles, cancelable);
    return DispatchDOMEvent(target, event, allowed);
}

void ListenBothPhases(EventTargetCore& target, std::u16string_view type, nsIDOMEventListener* l) {
    target.Listeners(true)->AddEventListener(type, l, ListenerPhase::Capture);
    target.Listeners(true)->AddEventListener(type, l, ListenerPhase::Bubble);
}

const char* kNested = "<div id=outer><p id=inner><b id=target>x</b></p></div>";

TEST(EventDispatch, PhasesRunCaptureDownTargetThenBubbleUp) {
    Page page(kNested);
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> listener(new Listener(log, ""));
    for (EventTargetCore* target : std::initializer_list<EventTargetCore*>{
             page.doc, &page.ById(u"outer"), &page.ById(u"inner"), &page.ById(u"target")})
        ListenBothPhases(*target, u"click", listener);

    ASSERT_EQ(Fire(page.ById(u"target"), EventKind::Mouse, u"click"), NS_OK);
    EXPECT_EQ(log, (std::vector<std::string>{"#document:1", "outer:1", "inner:1", "target:2",
                                             "target:2", "inner:3", "outer:3", "#document:3"}));
}

TEST(EventDispatch, NonBubblingEventSkipsBubblePhaseButNotCapture) {
    Page page(kNested);
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> listener(new Listener(log, ""));
    ListenBothPhases(page.ById(u"outer"), u"focus", listener);
    ListenBothPhases(page.ById(u"target"), u"focus", listener);

    Fire(page.ById(u"target"), EventKind::UI, u"focus", Bubbles::No, Cancelable::No);
    EXPECT_EQ(log, (std::vector<std::string>{"outer:1", "target:2", "target:2"}));
}

TEST(EventDispatch, CaptureListenerOnChromeWindowSeesFrameEventsFirst) {
    Page page(kNested);
    nsCOMPtr<nsIDOMWindowInternal> content = NewWindow();
    nsCOMPtr<nsIDOMWindowInternal> chrome = NewWindow();
    Window* contentCore = Window::FromDOM(content);
    Window* chromeCore = Window::FromDOM(chrome);
    contentCore->SetDocument(page.dom);
    contentCore->SetEventParent(chromeCore);

    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> observer = NewKindListener(log);
    nsCOMPtr<nsIDOMEventReceiver> receiver = do_QueryInterface(chrome);
    ASSERT_TRUE(receiver);
    ASSERT_EQ(receiver->AddEventListenerByIID(observer, NS_GET_IID<nsIDOMMouseListener>(),
                                              NS_EVENT_FLAG_CAPTURE),
              NS_OK);
    nsCOMPtr<nsIDOMEventListener> own(new Listener(log, "page "));
    page.ById(u"target").Listeners(true)->AddEventListener(u"click", own, ListenerPhase::Bubble);
    // The page's listener stops the click; the chrome saw it already.
    nsCOMPtr<nsIDOMEventListener> stopper(
        new Listener(log, "stop ", [](nsIDOMEvent* e) { e->StopPropagation(); }));
    page.ById(u"target").Listeners(true)->AddEventListener(u"click", stopper,
                                                           ListenerPhase::Bubble);

    Fire(page.ById(u"target"), EventKind::Mouse, u"click");
    EXPECT_EQ(log, (std::vector<std::string>{"MouseClick", "page target:2", "stop target:2"}));
    contentCore->SetEventParent(nullptr);
    contentCore->SetDocument(nullptr);
}

TEST(EventDispatch, StopPropagationFinishesCurrentTargetOnly) {
    Page page(kNested);
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> stopper(
        new Listener(log, "stop ", [](nsIDOMEvent* e) { e->StopPropagation(); }));
    nsCOMPtr<nsIDOMEventListener> other(new Listener(log, ""));
    page.ById(u"outer").Listeners(true)->AddEventListener(u"click", stopper,
                                                          ListenerPhase::Capture);
    page.ById(u"outer").Listeners(true)->AddEventListener(u"click", other, ListenerPhase::Capture);
    ListenBothPhases(page.ById(u"target"), u"click", other);
    ListenBothPhases(*page.doc, u"click", other);

    Fire(page.ById(u"target"), EventKind::Mouse, u"click");
    EXPECT_EQ(log, (std::vector<std::string>{"#document:1", "stop outer:1", "outer:1"}));

    // The flag belongs to one dispatch: the same event object can go again.
    log.clear();
    nsCOMPtr<nsIDOMEvent> event =
        NewEvent(EventKind::Plain, u"change", Bubbles::Yes, Cancelable::No);
    page.ById(u"target").Listeners(true)->AddEventListener(
        u"change",
        nsCOMPtr<nsIDOMEventListener>(new Listener(log, "",
                                                   [](nsIDOMEvent* e) {
                                                       nsCOMPtr<nsIDOMNSUIEvent> inner =
                                                           do_QueryInterface(e);
                                                       inner->SetCancelBubble(PR_TRUE);
                                                   })),
        ListenerPhase::Bubble);
    page.ById(u"inner").Listeners(true)->AddEventListener(u"change", other, ListenerPhase::Bubble);
    DispatchDOMEvent(page.ById(u"target"), event, nullptr);
    DispatchDOMEvent(page.ById(u"target"), event, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"target:2", "target:2"}))
        << "cancelBubble must stop bubbling for each dispatch";
}

TEST(EventDispatch, PreventDefaultOnlyCancelsCancelableEvents) {
    Page page(kNested);
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> preventer(
        new Listener(log, "", [](nsIDOMEvent* e) { e->PreventDefault(); }));
    page.ById(u"outer").Listeners(true)->AddEventListener(u"click", preventer,
                                                          ListenerPhase::Bubble);

    bool allowed = true;
    Fire(page.ById(u"target"), EventKind::Mouse, u"click", Bubbles::Yes, Cancelable::Yes, &allowed);
    EXPECT_FALSE(allowed);
    Fire(page.ById(u"target"), EventKind::Mouse, u"click", Bubbles::Yes, Cancelable::No, &allowed);
    EXPECT_TRUE(allowed);

    // Through the target's own interface, as page code dispatches.
    nsCOMPtr<nsIDOMEventTarget> target = page.ById(u"target").AsEventTarget();
    nsCOMPtr<nsIDOMEvent> event =
        NewEvent(EventKind::Mouse, u"click", Bubbles::Yes, Cancelable::Yes);
    PRBool notCancelled = PR_TRUE;
    EXPECT_EQ(target->DispatchEvent(event, &notCancelled), NS_OK);
    EXPECT_FALSE(notCancelled);
    PRBool prevented = PR_FALSE;
    event->GetDefaultPrevented(&prevented);
    EXPECT_TRUE(prevented);
}

TEST(EventDispatch, ListenerKindsHearTheirEventsOnTheirNotifications) {
    Page page(kNested);
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> kinds = NewKindListener(log);
    ListenerManager* listeners = page.ById(u"target").Listeners(true);
    EXPECT_EQ(listeners->AddEventListenerByIID(kinds, NS_GET_IID<nsIDOMMouseListener>(), 0), NS_OK);
    EXPECT_EQ(listeners->AddEventListenerByIID(kinds, NS_GET_IID<nsIDOMFormListener>(), 0), NS_OK);
    EXPECT_EQ(listeners->AddEventListenerByIID(kinds, NS_GET_IID<nsIDOMMenuListener>(), 0), NS_OK);
    // Added twice for the same kind and phase: heard once.
    EXPECT_EQ(listeners->AddEventListenerByIID(kinds, NS_GET_IID<nsIDOMMouseListener>(), 0), NS_OK);

    for (auto type : {u"mousedown", u"mouseup", u"click", u"dblclick", u"mouseover", u"mouseout",
                      u"focus", u"change", u"submit", u"command", u"popupshowing", u"contextmenu"})
        Fire(page.ById(u"target"), EventKind::Mouse, type);
    EXPECT_EQ(log, (std::vector<std::string>{"MouseDown", "MouseUp", "MouseClick", "MouseDblClick",
                                             "MouseOver", "MouseOut", "Change", "Submit", "Action",
                                             "Create"}));

    // A generic listener registered by identifier hears everything.
    log.clear();
    listeners->AddEventListenerByIID(kinds, NS_GET_IID<nsIDOMEventListener>(), 0);
    Fire(page.ById(u"target"), EventKind::Plain, u"contextmenu");
    EXPECT_EQ(log, (std::vector<std::string>{"HandleEvent"}));

    // Removal is per kind and phase.
    log.clear();
    listeners->RemoveEventListenerByIID(kinds, NS_GET_IID<nsIDOMMouseListener>(),
                                        NS_EVENT_FLAG_CAPTURE);
    Fire(page.ById(u"target"), EventKind::Mouse, u"click");
    listeners->RemoveEventListenerByIID(kinds, NS_GET_IID<nsIDOMMouseListener>(), 0);
    Fire(page.ById(u"target"), EventKind::Mouse, u"click");
    EXPECT_EQ(log, (std::vector<std::string>{"MouseClick", "HandleEvent", "HandleEvent"}));
}

TEST(EventDispatch, RegistrationByIdentifierChecksTheListener) {
    Page page(kNested);
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> plain(new Listener(log, ""));
    ListenerManager* listeners = page.ById(u"target").Listeners(true);
    EXPECT_EQ(listeners->AddEventListenerByIID(plain, NS_GET_IID<nsIDOMMouseListener>(), 0),
              NS_ERROR_NO_INTERFACE);
    EXPECT_EQ(listeners->AddEventListenerByIID(plain, NS_GET_IID<nsIDOMNode>(), 0),
              NS_ERROR_NO_INTERFACE);
    EXPECT_EQ(listeners->AddEventListenerByIID(nullptr, NS_GET_IID<nsIDOMEventListener>(), 0),
              NS_ERROR_NULL_POINTER);
    EXPECT_TRUE(listeners->IsEmpty());
}

TEST(EventDispatch, ListenersChangingTheTreeDuringDispatchAreSafe) {
    Page page(kNested);
    std::vector<std::string> log;
    Element& outer = page.ById(u"outer");
    Element& target = page.ById(u"target");
    nsCOMPtr<nsIDOMEventListener> other(new Listener(log, ""));
    // The first listener takes the whole subtree out of the document and
    // removes the listener after it; the path stays as it was.
    nsCOMPtr<nsIDOMEventListener> remover(new Listener(log, "remove ", [&](nsIDOMEvent*) {
        outer.Parent()->RemoveChildNode(outer);
        target.Listeners(false)->RemoveEventListener(u"click", other, ListenerPhase::Bubble);
    }));
    target.Listeners(true)->AddEventListener(u"click", remover, ListenerPhase::Bubble);
    target.Listeners(true)->AddEventListener(u"click", other, ListenerPhase::Bubble);
    page.doc->Listeners(true)->AddEventListener(u"click", other, ListenerPhase::Bubble);

    // Only the tree holds the subtree: the dispatch must keep it alive itself.
    const uint32_t outerIdentity = outer.Identity();
    Fire(target, EventKind::Mouse, u"click");
    EXPECT_EQ(log, (std::vector<std::string>{"remove target:2", "#document:3"}));
    EXPECT_EQ(LookUpIdentity(outerIdentity, IdentityKind::Node), nullptr)
        << "the removed subtree is freed once the dispatch and its event are over";
}

TEST(EventDispatch, AnonymousContentIsSeenAsItsHostOutside) {
    Page page(kNested);
    Element& host = page.ById(u"target");
    NodeRef input = page.doc->CreateElement(u"input");
    host.SetAnonymous(input);
    std::vector<std::string> targets;
    auto recordTarget = [&](nsIDOMEvent* e) {
        nsCOMPtr<nsIDOMEventTarget> seen;
        e->GetTarget(getter_AddRefs(seen));
        targets.push_back(NameOf(seen));
    };
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> listener(new Listener(log, "", recordTarget));
    input->Listeners(true)->AddEventListener(u"focus", listener, ListenerPhase::Bubble);
    host.Listeners(true)->AddEventListener(u"focus", listener, ListenerPhase::Bubble);
    page.ById(u"outer").Listeners(true)->AddEventListener(u"focus", listener,
                                                          ListenerPhase::Capture);

    nsCOMPtr<nsIDOMEvent> focus = NewEvent(EventKind::UI, u"focus", Bubbles::No, Cancelable::No);
    DispatchDOMEvent(*input, focus, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"outer:1", "INPUT:2", "target:2"}));
    EXPECT_EQ(targets, (std::vector<std::string>{"target", "INPUT", "target"}));
    EXPECT_EQ(NameOf(Event::FromDOM(focus)->OriginalTarget()), "INPUT");
    host.SetAnonymous(NodeRef());
}

TEST(EventDispatch, EventsAreRefusedUninitialisedOrWhileDispatching) {
    Page page(kNested);
    Element& target = page.ById(u"target");
    nsCOMPtr<nsIDOMEvent> blank;
    ASSERT_EQ(NewEventForInterface(u"Events", getter_AddRefs(blank)), NS_OK);
    EXPECT_EQ(DispatchDOMEvent(target, blank, nullptr), NS_ERROR_INVALID_ARG);
    EXPECT_EQ(DispatchDOMEvent(target, nullptr, nullptr), NS_ERROR_INVALID_ARG);

    std::vector<std::string> log;
    nsresult nested = NS_OK;
    nsCOMPtr<nsIDOMEventListener> redispatcher(new Listener(log, "", [&](nsIDOMEvent* e) {
        nested = DispatchDOMEvent(target, e, nullptr);
        e->InitEvent(u"other", PR_FALSE, PR_FALSE); // ignored while dispatching
    }));
    target.Listeners(true)->AddEventListener(u"click", redispatcher, ListenerPhase::Bubble);
    nsCOMPtr<nsIDOMEvent> click =
        NewEvent(EventKind::Mouse, u"click", Bubbles::Yes, Cancelable::Yes);
    EXPECT_EQ(DispatchDOMEvent(target, click, nullptr), NS_OK);
    EXPECT_EQ(nested, NS_ERROR_INVALID_ARG);
    nsString type;
    click->GetType(type);
    EXPECT_EQ(type, u"click");
    EXPECT_EQ(log.size(), 1u);

    // After dispatch the event still names its target, but no current one.
    nsCOMPtr<nsIDOMEventTarget> after;
    click->GetTarget(getter_AddRefs(after));
    EXPECT_EQ(NameOf(after), "target");
    click->GetCurrentTarget(getter_AddRefs(after));
    EXPECT_FALSE(after);
}

TEST(EventObjects, CreateEventGivesTheInterfacesOfItsKind) {
    struct Case {
        std::u16string_view name;
        bool ui;
        bool mouse;
    };
    for (const Case& c : {Case{u"Events", false, false}, Case{u"HTMLEvent", false, false},
                          Case{u"UIEvents", true, false}, Case{u"MouseEvents", true, true},
                          Case{u"MouseEvent", true, true}}) {
        nsCOMPtr<nsIDOMEvent> event;
        ASSERT_EQ(NewEventForInterface(c.name, getter_AddRefs(event)), NS_OK) << Narrow(c.name);
        nsCOMPtr<nsIDOMUIEvent> ui = do_QueryInterface(event);
        nsCOMPtr<nsIDOMMouseEvent> mouse = do_QueryInterface(event);
        nsCOMPtr<nsIDOMNSUIEvent> ns = do_QueryInterface(event);
        EXPECT_EQ(bool(ui), c.ui) << Narrow(c.name);
        EXPECT_EQ(bool(mouse), c.mouse) << Narrow(c.name);
        EXPECT_TRUE(ns) << "the recorder reads page coordinates from every event";
    }
    nsCOMPtr<nsIDOMEvent> none;
    EXPECT_EQ(NewEventForInterface(u"KeyEvents", getter_AddRefs(none)), NS_ERROR_NOT_IMPLEMENTED);
    EXPECT_EQ(NewEventForInterface(u"mouseevents", getter_AddRefs(none)), NS_ERROR_NOT_IMPLEMENTED);
    EXPECT_FALSE(none);
}

TEST(EventObjects, MouseEventKeepsItsInitialisationAndPointerDetails) {
    nsCOMPtr<nsIDOMEvent> event;
    NewEventForInterface(u"MouseEvents", getter_AddRefs(event));
    nsCOMPtr<nsIDOMMouseEvent> mouse = do_QueryInterface(event);
    ASSERT_TRUE(mouse);
    mouse->InitMouseEvent(u"mousedown", PR_TRUE, PR_TRUE, nullptr, 1, 10, 20, 3, 4, PR_TRUE,
                          PR_FALSE, PR_TRUE, PR_FALSE, 2, nullptr);
    PointerDetails details;
    details.pageX = 30;
    details.pageY = 40;
    Event::FromDOM(event)->SetPointerDetails(details);

    PRInt32 value = 0;
    PRUint16 button = 0;
    PRBool flag = PR_FALSE;
    mouse->GetScreenY(&value);
    EXPECT_EQ(value, 20);
    mouse->GetClientX(&value);
    EXPECT_EQ(value, 3);
    mouse->GetButton(&button);
    EXPECT_EQ(button, 2);
    mouse->GetShiftKey(&flag);
    EXPECT_TRUE(flag);
    mouse->GetAltKey(&flag);
    EXPECT_FALSE(flag);
    nsCOMPtr<nsIDOMNSUIEvent> ns = do_QueryInterface(event);
    ns->GetPageY(&value);
    EXPECT_EQ(value, 40);
    PRBool bubbles = PR_FALSE;
    event->GetBubbles(&bubbles);
    EXPECT_TRUE(bubbles);
    EXPECT_EQ(mouse->GetScreenX(nullptr), NS_ERROR_NULL_POINTER);
}

TEST(EventObjects, PlatformEventNumbersMapToDomEvents) {
    ASSERT_NE(FindPlatformEvent(327), nullptr);
    EXPECT_EQ(FindPlatformEvent(327)->type, u"click");
    EXPECT_EQ(FindPlatformEvent(302)->type, u"mousedown");
    EXPECT_EQ(FindPlatformEvent(301)->type, u"mouseup");
    EXPECT_EQ(FindPlatformEvent(302)->kind, EventKind::Mouse);
    EXPECT_EQ(FindPlatformEvent(302)->button, 0);
    EXPECT_EQ(FindPlatformEvent(329)->type, u"click");
    EXPECT_EQ(FindPlatformEvent(329)->button, 2);
    EXPECT_EQ(FindPlatformEvent(1202)->kind, EventKind::Plain);
    EXPECT_EQ(FindPlatformEvent(1504)->kind, EventKind::UI);
    EXPECT_EQ(FindPlatformEvent(999), nullptr);
}

} // namespace
} // namespace dom

// The observer's component side: interface queries, reference counting and
// attachment failures; and events that must record nothing.
#include "RecorderFixture.h"
#include "agent/record/CNS6DOMEventObserver.h"
#include "agent/record/CNS6EventUtil.h"
#include "platform/browser/dom/Element.h"

namespace {

using namespace controlstest;

TEST(Observer, QueriesAnswerTheFourListenersAndNothingElse) {
    const int live = CNS6DOMEventObserver::LiveCount();
    auto* observer = new CNS6DOMEventObserver();
    EXPECT_EQ(observer->AddRef(), 1u);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(observer->QueryInterface(nsIDOMEventTarget::kIID, &out), NS_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(observer->QueryInterface(nsIDOMMouseListener::kIID, nullptr), NS_ERROR_NULL_POINTER);
    EXPECT_EQ(observer->AddRef(), 2u) << "a refused query adds no reference";
    EXPECT_EQ(observer->Release(), 1u);

    for (const nsIID* iid :
         {&nsIDOMMouseListener::kIID, &nsIDOMFocusListener::kIID, &nsIDOMFormListener::kIID,
          &nsIDOMMenuListener::kIID, &nsISupports::kIID}) {
        nsISupports* found = nullptr;
        ASSERT_EQ(observer->QueryInterface(*iid, reinterpret_cast<void**>(&found)), NS_OK);
        ASSERT_NE(found, nullptr);
        // Every answer is the same object: its release brings the count back.
        EXPECT_EQ(found->Release(), 1u);
    }
    void* primary = nullptr;
    observer->QueryInterface(nsISupports::kIID, &primary);
    EXPECT_EQ(primary, static_cast<void*>(static_cast<nsIDOMMouseListener*>(observer)));
    observer->Release();

    EXPECT_EQ(CNS6DOMEventObserver::LiveCount(), live + 1);
    EXPECT_EQ(observer->Release(), 0u);
    EXPECT_EQ(CNS6DOMEventObserver::LiveCount(), live);
}

TEST(Observer, AttachFailsWithoutAWindowOrItsDocumentShell) {
    auto* observer = new CNS6DOMEventObserver();
    observer->AddRef();
    EXPECT_EQ(observer->Attach(nullptr), E_FAIL);
    traptest::ChromeWindow chrome;
    chrome.DropShell();
    EXPECT_EQ(observer->Attach(chrome.Dom()), E_FAIL);
    EXPECT_EQ(observer->Release(), 0u) << "a failed attachment keeps no reference";
}

class ObserverOnShell : public recordtest::RecorderOnShell {
protected:
    void Watch() {
        auto* observer = new CNS6DOMEventObserver();
        observer->AddRef();
        ASSERT_EQ(observer->Attach(m_Window->ChromeShell()->DOMWindow()), NS_OK);
        observer->Release();
        GetNS6Dispatcher()->SetOption("ToolMode", 1);
        GetNS6Dispatcher()->SetLastEventName("");
    }
    void Click(std::u16string_view id) {
        dom::Element* element = ElementIn(m_Window->ContentShell(), id);
        ASSERT_NE(element, nullptr);
        auto center = m_App.ScreenCenterOf(*element);
        ASSERT_TRUE(center.has_value());
        ASSERT_TRUE(m_App.Click(*center));
    }
    static std::string Name() { return GetNS6Dispatcher()->GetLastEventName(); }

    // A DOM event of `type` dispatched straight at `target`.
    void Fire(nsIDOMNode* target, const char* type) {
        nsCOMPtr<nsIDOMEvent> event;
        nsCOMPtr<nsIDOMDocumentEvent> factory = do_QueryInterface(Document());
        ASSERT_TRUE(factory);
        ASSERT_EQ(factory->CreateEvent(ToHostString("MouseEvents"), getter_AddRefs(event)), NS_OK);
        event->InitEvent(ToHostString(type), PR_TRUE, PR_TRUE);
        nsCOMPtr<nsIDOMEventTarget> at = do_QueryInterface(target);
        ASSERT_TRUE(at);
        PRBool notCancelled = PR_TRUE;
        at->DispatchEvent(event.get(), &notCancelled);
    }
};

TEST_F(ObserverOnShell, ClosingTheWindowReleasesTheObserver) {
    const int live = CNS6DOMEventObserver::LiveCount();
    OPEN_PAGE("<p>x</p>");
    Watch();
    EXPECT_EQ(CNS6DOMEventObserver::LiveCount(), live + 1) << "the window's listeners keep it";
    m_Page = {};
    m_Browser = {};
    // The browser object holds the chrome window: it goes with the trap state.
    DestroyTrapState();
    m_App.Shutdown();
    EXPECT_EQ(CNS6DOMEventObserver::LiveCount(), live) << "the listeners released it";
    CreateTrapState(nullptr);
}

TEST_F(ObserverOnShell, TextAreaIsRecordedWhenLeftNotAtItsChange) {
    OPEN_PAGE("<form><textarea id=note>first</textarea><input id=after></form>");
    Watch();
    Click(u"note");
    ASSERT_TRUE(m_App.Type(u" line"));
    ASSERT_TRUE(m_App.PressTab());
    EXPECT_EQ(Name(), "onblur");
    const CWebVariant* value = GetNS6Dispatcher()->GetLastEventRecord().FindFirstValue("value");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->GetString(), "first line");
}

TEST_F(ObserverOnShell, EventsOnRemovedOrUnknownTargetsRecordNothing) {
    OPEN_PAGE("<form><input id=go type=button value=Go><b id=bold>text</b><button "
              "id=press>Press</button></form>");
    Watch();
    nsCOMPtr<nsIDOMNode> button = Node("go");
    ASSERT_TRUE(button);
    // The page took the button out: an event at it reaches no window.
    nsCOMPtr<nsIDOMNode> parent;
    button->GetParentNode(getter_AddRefs(parent));
    nsCOMPtr<nsIDOMNode> removed;
    ASSERT_EQ(parent->RemoveChild(button.get(), getter_AddRefs(removed)), NS_OK);
    Fire(button.get(), "click");
    EXPECT_EQ(Name(), "");
    // Types outside the handler table, and a document as target.
    Fire(Node("bold").get(), "contextmenu");
    nsCOMPtr<nsIDOMNode> document = do_QueryInterface(Document());
    Fire(document.get(), "click");
    EXPECT_EQ(Name(), "");
    // A click on a text node is recorded for its element.
    nsCOMPtr<nsIDOMNode> text;
    Node("press")->GetFirstChild(getter_AddRefs(text));
    Fire(text.get(), "click");
    EXPECT_EQ(Name(), "onclick");
}

} // namespace

// Recording end to end: the simulated user acts on real pages and on the
// browser's chrome, the observer attached to the chrome window hands the
// events to the recorder, and the dispatcher holds the stored statement the
// tool collects with message 22.
#include "RecorderFixture.h"
#include "agent/common/AgentCodes.h"
#include "agent/host/TrapState.h"
#include "agent/record/CNS6DOMEventObserver.h"
#include "agent/record/CNS6EventUtil.h"
#include "platform/browser/dom/Element.h"
#include "platform/browser/dom/Parser.h"

namespace {

using namespace controlstest;

class Recording : public recordtest::RecorderOnShell {
protected:
    // Opens the page, watches its chrome window and starts recording.
    void Open(const std::string& markup) {
        OPEN_PAGE(markup);
        auto* observer = new CNS6DOMEventObserver();
        observer->AddRef();
        ASSERT_EQ(observer->Attach(m_Window->ChromeShell()->DOMWindow()), NS_OK);
        observer->Release();
        Dispatcher().SetOption("ToolMode", 1);
        Forget();
    }

    static CNS6Interface& Dispatcher() { return *GetNS6Dispatcher(); }

    // Clears the stored statement, so that the next check sees only what
    // the following action recorded.
    static void Forget() {
        Dispatcher().SetLastEventName("");
        Dispatcher().SetLastEventId(CWebRunTimeID());
        Dispatcher().SetLastEventRecord(CWebInfo());
    }
    static std::string Name() { return Dispatcher().GetLastEventName(); }
    static const CWebRunTimeID& Id() { return Dispatcher().GetLastEventId(); }
    static std::string Attr(std::string_view name) {
        const CWebVariant* value = Dispatcher().GetLastEventRecord().FindFirstValue(name);
        return value != nullptr ? value->GetString() : "<none>";
    }

    dom::Element* PageElement(std::u16string_view id) {
        return ElementIn(m_Window->ContentShell(), id);
    }
    void ClickOn(std::u16string_view id, browser::MouseButton button = browser::MouseButton::Left) {
        dom::Element* element = PageElement(id);
        ASSERT_NE(element, nullptr);
        auto center = m_App.ScreenCenterOf(*element);
        ASSERT_TRUE(center.has_value());
        ASSERT_TRUE(m_App.Click(*center, button));
    }
    void ClickChrome(std::u16string_view id,
                     browser::MouseButton button = browser::MouseButton::Left) {
        dom::Element* element = m_Window->ChromeElement(id);
        ASSERT_NE(element, nullptr);
        auto center = m_App.ScreenCenterOf(*element);
        ASSERT_TRUE(center.has_value());
        ASSERT_TRUE(m_App.Click(*center, button));
    }
    CWebRunTimeID IdOf(const std::string& id) {
        CWebObjRef object = Element(id);
        EXPECT_TRUE(object.IsValid()) << id;
        return object.IsValid() ? object->RunTimeID() : CWebRunTimeID();
    }
    CWebRunTimeID BrowserId() { return m_Browser->RunTimeID(); }
};

constexpr const char* kForm = R"html(<html><body>
<p><a id=link href="#here">Home page</a></p>
<form><input id=name type=text value="start">
<input id=other type=text value="">
<select id=colour><option>red</option><option>green</option><option>blue</option></select>
<input id=go type=button value="Go">
<span id=plain>plain text</span><span id=handled onclick="x()">handled</span>
</form></body></html>)html";

TEST_F(Recording, LinkClickRecordsOnclickAgainstTheLink) {
    Open(kForm);
    if (String(*Element("link").Get(), "class") != "html_text_link") {
        GTEST_SKIP() << "links are not classed as text links in this build";
    }
    ClickOn(u"link");
    EXPECT_EQ(Name(), "onclick");
    EXPECT_EQ(Id(), IdOf("link"));
}

TEST_F(Recording, NothingIsRecordedUnlessTheToolRecords) {
    Open(kForm);
    Dispatcher().SetOption("ToolMode", 0);
    ClickOn(u"link");
    ClickOn(u"go");
    EXPECT_EQ(Name(), "");
    Dispatcher().SetOption("ToolMode", 2);
    ClickOn(u"go");
    EXPECT_EQ(Name(), "");
}

TEST_F(Recording, TypingAndLeavingAFieldRecordsOneChangeWithValueAndType) {
    Open(kForm);
    ClickOn(u"name");
    EXPECT_EQ(Name(), "") << "a click in an edit field is not recorded";
    ASSERT_TRUE(m_App.Type(u" more"));
    ASSERT_TRUE(m_App.PressTab());
    EXPECT_EQ(Name(), "onchange");
    EXPECT_EQ(Id(), IdOf("name"));
    EXPECT_EQ(Attr("value"), "start more");
    EXPECT_EQ(Attr("type"), "text");

    // In again and out again without typing: nothing new.
    Forget();
    ClickOn(u"name");
    ASSERT_TRUE(m_App.PressTab());
    EXPECT_EQ(Name(), "");
}

TEST_F(Recording, ListChoiceRecordsAChangeOnTheList) {
    Open(kForm);
    dom::Element* list = PageElement(u"colour");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(m_App.ChooseListItem(*list, 2));
    EXPECT_EQ(Name(), "onchange");
    EXPECT_EQ(Id(), IdOf("colour"));
}

TEST_F(Recording, GeneralElementsRecordClicksOnlyWithAnOnclickAttribute) {
    Open(kForm);
    Dispatcher().SetOption("ToolMode", 1);
    ClickOn(u"plain");
    EXPECT_EQ(Name(), "");
    ClickOn(u"handled");
    EXPECT_EQ(Name(), "onclick");
}

TEST_F(Recording, ToolRulesByTagOverrideClassRules) {
    Open(kForm);
    // Tag keys ignore case and come before the button's class rule.
    GetEventRecorder().Configure("input", "click", kRuleAlways, 1);
    ClickOn(u"go");
    EXPECT_EQ(Name(), "");
    // Other tags keep their class rules.
    ClickOn(u"handled");
    EXPECT_EQ(Name(), "onclick");
    // Back to the defaults through the tool's request.
    CWebInfo request;
    request.SetMsgId(static_cast<int32_t>(MsgId::RegisterEventHandler));
    AppendString(request, "class", "All");
    AppendString(request, "event_name", "Default");
    AppendInteger(request, "event_status", 0);
    Dispatcher().Dispatch(request);
    Forget();
    ClickOn(u"go");
    EXPECT_EQ(Name(), "onclick");
    EXPECT_EQ(Id(), IdOf("go"));
}

TEST_F(Recording, BackButtonLeftClickRecordsRightClickDoesNot) {
    Open(kForm);
    ClickOn(u"link"); // a history entry to go back to
    ASSERT_TRUE(m_App.WaitUntilIdle());
    Forget();
    ClickChrome(u"back-button", browser::MouseButton::Right);
    EXPECT_EQ(Name(), "");
    ClickChrome(u"back-button");
    EXPECT_EQ(Name(), "Back");
    EXPECT_EQ(Id(), BrowserId());
}

TEST_F(Recording, DisabledReloadRecordsNothing) {
    Open(kForm);
    dom::Element* reload = m_Window->ChromeElement(u"reload-button");
    ASSERT_NE(reload, nullptr);
    reload->SetAttribute(u"disabled", u"true");
    ClickChrome(u"reload-button");
    EXPECT_EQ(Name(), "");
    reload->RemoveAttribute(u"disabled");
    ClickChrome(u"reload-button");
    EXPECT_EQ(Name(), "ReLoad");
}

TEST_F(Recording, HistoryEntryRecordsListSelectItemWithItsUrl) {
    Open(kForm);
    ClickOn(u"link");
    ASSERT_TRUE(m_App.WaitUntilIdle());
    Forget();
    dom::Element* popup = m_Window->ChromeElement(u"ubhist-popup");
    ASSERT_NE(popup, nullptr);
    dom::Node* first = popup->FirstChild();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(first->IsElement());
    std::string label = ToNarrow(static_cast<dom::Element*>(first)->Attribute(u"label"));
    ASSERT_TRUE(m_App.ChooseHistoryEntry(*m_Window, 0));
    EXPECT_EQ(Name(), "list_select_item");
    EXPECT_EQ(Id(), BrowserId());
    EXPECT_EQ(Attr("url"), label);
}

TEST_F(Recording, AddressFieldChangeRecordsEditSet) {
    Open(kForm);
    std::string target = Write("next.html", "<p>next</p>");
    ASSERT_TRUE(m_App.EnterAddress(*m_Window, dom::Utf16FromUtf8(target)));
    ASSERT_TRUE(m_App.WaitUntilIdle());
    // The navigation notice and the change both reach the tool; the change
    // is the statement left for message 22.
    EXPECT_EQ(Name(), "edit_set");
    EXPECT_EQ(Id(), BrowserId());
    EXPECT_EQ(Attr("url"), target);
}

TEST_F(Recording, EventsWithoutAnObjectRecordNothingAndDoNotCrash) {
    Open(kForm);
    CNS6EventUtil& recorder = GetEventRecorder();
    EXPECT_EQ(recorder.ElementEvent(nullptr, m_Page), E_FAIL);
    EXPECT_EQ(recorder.ChromeEvent(nullptr, m_Browser), E_FAIL);
    // The browser object goes away: page events find no browser.
    m_Page = {};
    m_Browser = {};
    DestroyTrapState();
    CreateTrapState(nullptr);
    ClickOn(u"link");
    ClickOn(u"go");
    EXPECT_EQ(Name(), "");
}

} // namespace

// Replayed DOM events on real pages of the simulated browser: the event names
// the tool may use, the default actions they cause, and elements that the
// page's own handlers take away in the middle of a replay.

#include "agent/elements/ElementEvents.h"

#include "platform/browser/dom/Document.h"
#include "platform/browser/dom/Parser.h"
#include "platform/browser/shell/Browser.h"
#include "platform/xpcom/dom/nsIDOMEvent.h"
#include "platform/xpcom/dom/nsIDOMHTMLElements.h"
#include "platform/xpcom/dom/nsIDOMXULElement.h"
#include "platform/xpcom/nsError.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using browser::Browser;
using browser::BrowserWindow;
using browser::DocShell;

// Writes down the type of every event it hears, and may take the event's
// target out of its document when it hears `removeOn`.
class EventLog final : public nsSupportsImpl<EventLog, nsIDOMEventListener> {
public:
    explicit EventLog(std::vector<std::string>& log, std::u16string removeOn = {})
        : m_Log(log), m_RemoveOn(std::move(removeOn)) {}

    nsresult HandleEvent(nsIDOMEvent* event) override {
        nsString type;
        event->GetType(type);
        m_Log.push_back(dom::Utf8FromUtf16(type));
        if (!m_RemoveOn.empty() && type == m_RemoveOn) {
            nsCOMPtr<nsIDOMEventTarget> target;
            event->GetTarget(getter_AddRefs(target));
            nsCOMPtr<nsIDOMNode> node = do_QueryInterface(target.get());
            nsCOMPtr<nsIDOMNode> parent;
            if (node && NS_SUCCEEDED(node->GetParentNode(getter_AddRefs(parent))) && parent) {
                nsCOMPtr<nsIDOMNode> removed;
                parent->RemoveChild(node.get(), getter_AddRefs(removed));
            }
        }
        return NS_OK;
    }

private:
    std::vector<std::string>& m_Log;
    std::u16string m_RemoveOn;
};

class ElementEvents : public ::testing::Test {
protected:
    void SetUp() override {
        m_Dir = std::filesystem::temp_directory_path() /
                ("webagent_events_" + std::to_string(getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_Dir);
        ASSERT_EQ(m_App.Start(), NS_OK);
        Write("next.html", "<p id=next>next</p>");
    }
    void TearDown() override {
        m_App.Shutdown();
        std::filesystem::remove_all(m_Dir);
    }

    std::string Write(const std::string& name, const std::string& markup) {
        std::ofstream(m_Dir / name) << markup;
        return browser::URIFromFilePath((m_Dir / name).string());
    }

    void Open(const std::string& markup) {
        m_Window = m_App.OpenWindow(Write("page.html", markup));
        ASSERT_NE(m_Window, nullptr);
        ASSERT_TRUE(m_App.WaitUntilIdle());
    }

    DocShell* Content() { return m_Window->ContentShell(); }

    nsIDOMNode* Node(std::u16string_view id, DocShell* shell = nullptr) {
        dom::Document* document =
            dom::Document::FromDOM((shell ? shell : Content())->CurrentDocument());
        dom::Element* element = document ? document->ElementById(id) : nullptr;
        return element ? element->AsDOMNode() : nullptr;
    }

    // Listens to `types` on the content document (capture), so that events
    // at removed elements are heard as long as they reach the document.
    void Listen(std::initializer_list<const char16_t*> types, std::u16string removeOn = {}) {
        m_Listener = new EventLog(m_Log, std::move(removeOn));
        nsCOMPtr<nsIDOMEventTarget> document = do_QueryInterface(Content()->CurrentDocument());
        ASSERT_TRUE(document);
        for (const char16_t* type : types) {
            document->AddEventListener(type, m_Listener, PR_TRUE);
        }
    }

    bool Shows(std::u16string_view id) {
        m_App.WaitUntilIdle();
        return Node(id) != nullptr;
    }

    Browser m_App;
    BrowserWindow* m_Window = nullptr;
    std::vector<std::string> m_Log;
    nsCOMPtr<nsIDOMEventListener> m_Listener;

private:
    std::filesystem::path m_Dir;
};

TEST(ReplayedEventNames, EitherFormInAnyLetterCase) {
    for (std::string_view name : {"click", "onclick", "OnClick", "CLICK", "oNcLiCk"}) {
        ASSERT_TRUE(FindReplayedEvent(name)) << name;
        EXPECT_EQ(FindReplayedEvent(name)->kind, ReplayKind::Click) << name;
    }
    EXPECT_EQ(FindReplayedEvent("onmousedown")->message, 302u);
    EXPECT_EQ(FindReplayedEvent("mouseup")->message, 301u);
    EXPECT_EQ(FindReplayedEvent("click")->message, 327u);
    EXPECT_EQ(FindReplayedEvent("dblclick")->message, 324u);
    EXPECT_EQ(FindReplayedEvent("onMouseOver")->message, 331u);
    EXPECT_EQ(FindReplayedEvent("mouseout")->message, 332u);
    EXPECT_EQ(FindReplayedEvent("onchange")->message, 1202u);
    EXPECT_EQ(FindReplayedEvent("onsubmit")->kind, ReplayKind::Submit);
    EXPECT_EQ(FindReplayedEvent("Focus")->kind, ReplayKind::Focus);
    EXPECT_EQ(FindReplayedEvent("onblur")->kind, ReplayKind::Blur);
    for (std::string_view name : {"", "on", "keypress", "ononclick", "click ", "onclic"}) {
        EXPECT_FALSE(FindReplayedEvent(name)) << name;
    }
}

TEST_F(ElementEvents, ClickFollowsALinkOnce) {
    Open("<p>first</p><a id=link href='next.html'>go</a>");
    Listen({u"mousedown", u"click", u"DOMActivate"});
    EXPECT_EQ(FireElementEvent(Node(u"link"), "onClick", POINT{2, 3}), NS_OK);
    EXPECT_EQ(m_Log, (std::vector<std::string>{"click", "DOMActivate"}));
    ASSERT_TRUE(Shows(u"next"));
    // One navigation only: one step back is the first page again.
    Content()->GoBack();
    EXPECT_TRUE(Shows(u"link"));
}

TEST_F(ElementEvents, ClickTogglesACheckBoxOnce) {
    Open("<input id=box type=checkbox>");
    nsCOMPtr<nsIDOMHTMLInputElement> box = do_QueryInterface(Node(u"box"));
    ASSERT_TRUE(box);
    EXPECT_EQ(FireElementEvent(Node(u"box"), "click"), NS_OK);
    PRBool checked = PR_FALSE;
    box->GetChecked(&checked);
    EXPECT_TRUE(checked);
    EXPECT_EQ(FireElementEvent(Node(u"box"), "CLICK"), NS_OK);
    box->GetChecked(&checked);
    EXPECT_FALSE(checked);
}

TEST_F(ElementEvents, SubmitOnAFormOnlyAndFocusOnInputs) {
    Open("<form id=form action='next.html'><input id=field name=q value=v></form><p id=para>p</p>");
    Listen({u"focus", u"blur", u"submit"});
    EXPECT_EQ(FireElementEvent(Node(u"para"), "focus"), NS_OK);
    EXPECT_EQ(FireElementEvent(Node(u"field"), "onfocus"), NS_OK);
    EXPECT_EQ(FireElementEvent(Node(u"field"), "onblur"), NS_OK);
    EXPECT_EQ(m_Log, (std::vector<std::string>{"focus", "blur"}));

    EXPECT_EQ(FireElementEvent(Node(u"field"), "submit"), E_FAIL);
    EXPECT_FALSE(Shows(u"next")) << "an input is no form";
    EXPECT_EQ(FireElementEvent(Node(u"form"), "onsubmit"), NS_OK);
    ASSERT_TRUE(Shows(u"next"));
    EXPECT_NE(Content()->CurrentURL().find("next.html?q=v"), std::string::npos);
}

TEST_F(ElementEvents, UnknownNamesAndHiddenElementsDispatchNothing) {
    Open("<p id=para>p</p><p id=gone style='display:none'>x</p><input id=box type=checkbox>");
    Listen({u"mousedown", u"mouseup", u"click", u"dblclick", u"mouseover", u"mouseout", u"change",
            u"keypress"});
    EXPECT_EQ(FireElementEvent(Node(u"para"), "keypress"), E_NOTIMPL);
    EXPECT_EQ(FireElementEvent(Node(u"gone"), "click"), NS_OK);
    EXPECT_TRUE(m_Log.empty()) << ::testing::PrintToString(m_Log);

    for (const char* name : {"onmousedown", "mouseup", "dblclick", "mouseover", "mouseout"}) {
        EXPECT_EQ(FireElementEvent(Node(u"para"), name), NS_OK) << name;
    }
    EXPECT_EQ(FireElementEvent(Node(u"box"), "onchange"), NS_OK);
    EXPECT_EQ(m_Log, (std::vector<std::string>{"mousedown", "mouseup", "dblclick", "mouseover",
                                               "mouseout", "change"}));
    nsCOMPtr<nsIDOMHTMLInputElement> box = do_QueryInterface(Node(u"box"));
    PRBool checked = PR_TRUE;
    box->GetChecked(&checked);
    EXPECT_FALSE(checked) << "a change event is only an event";
    EXPECT_EQ(FireElementEvent(nullptr, "click"), E_FAIL);
}

TEST_F(ElementEvents, ElementRemovedByItsOwnClickHandlerIsNotTouchedAgain) {
    Open("<div><span id=gone>go</span></div><p id=stays>p</p>");
    Listen({u"click", u"DOMActivate"}, u"click");
    // The node stays alive through this reference only, as it would through
    // an element object held across the dispatch.
    nsCOMPtr<nsIDOMNode> gone = Node(u"gone");
    EXPECT_EQ(FireElementEvent(gone.get(), "click"), NS_OK);
    EXPECT_EQ(m_Log, (std::vector<std::string>{"click"})) << "no activation after removal";
    EXPECT_EQ(Node(u"gone"), nullptr);
    // A replay on the detached node dispatches nothing.
    m_Log.clear();
    FireElementEvent(gone.get(), "mousedown");
    FireElementEvent(gone.get(), "click");
    EXPECT_TRUE(m_Log.empty()) << ::testing::PrintToString(m_Log);

    // An element that stays gets the whole sequence.
    nsCOMPtr<nsIDOMEventTarget> document = do_QueryInterface(Content()->CurrentDocument());
    document->RemoveEventListener(u"click", m_Listener, PR_TRUE);
    Listen({u"DOMActivate"});
    EXPECT_EQ(FireElementEvent(Node(u"stays"), "click"), NS_OK);
    EXPECT_EQ(m_Log.back(), "DOMActivate");
}

TEST_F(ElementEvents, ClickOnABrowserButtonRunsItsCommand) {
    Open("<p>page</p>");
    DocShell* chrome = m_Window->ChromeShell();
    nsIDOMNode* button = Node(u"home-button", chrome);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(nsCOMPtr<nsIDOMXULElement>(do_QueryInterface(button)));
    std::vector<std::string> log;
    nsCOMPtr<nsIDOMEventListener> listener(new EventLog(log));
    nsCOMPtr<nsIDOMEventTarget> target = do_QueryInterface(button);
    target->AddEventListener(u"command", listener, PR_FALSE);
    target->AddEventListener(u"DOMActivate", listener, PR_FALSE);
    FireElementEvent(button, "click");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "DOMActivate");
    EXPECT_NE(std::find(log.begin(), log.end(), "command"), log.end());
    target->RemoveEventListener(u"command", listener, PR_FALSE);
    target->RemoveEventListener(u"DOMActivate", listener, PR_FALSE);
    m_App.WaitUntilIdle();
}

} // namespace

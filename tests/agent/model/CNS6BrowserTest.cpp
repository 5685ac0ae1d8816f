#include "agent/model/CNS6Browser.h"

#include "agent/channel/RequestArgs.h"
#include "agent/classutil/ClassUtilities.h"
#include "agent/model/INS6Frame.h"
#include "support/TrapTestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using traptest::ChromeWindow;
using traptest::MakeWindow;
using traptest::TestListener;

int32_t ValueOf(HWND window) {
    return static_cast<int32_t>(HandleToULong(window));
}

// A frame with its own native window and, optionally, a plug-in window.
class TestFrame : public CWebObj, public INS6Frame {
public:
    TestFrame(CWebRunTimeID id, HWND window) : m_Window(window) {
        SetId(id);
        SetUtil(&GetClassUtilities().frame);
    }
    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override {
        if (position > 0 || (position < 0 && name != "class")) {
            return false;
        }
        name = "class";
        GetUtil()->GetClassNames(value);
        return true;
    }
    bool IsFrameAlive() override { return alive; }
    HWND GetFrameWindow() const override { return m_Window; }
    bool IsEmbedHwnd(HWND window) override { return embedded != nullptr && window == embedded; }

    bool alive = true;
    HWND embedded = nullptr;

private:
    HWND m_Window;
};

// A page: a frame that reports a loading state, holds frames and takes
// browser commands.
class TestPage : public TestFrame, public INS6Page {
public:
    TestPage(HWND browser, HWND window)
        : TestFrame(CWebRunTimeID(ValueOf(browser), ValueOf(window), -1, -1), window) {}

    bool GetPropertyAt(std::string& name, CWebVariantList& value, int position) override {
        if (position < 0 && name == "state") {
            value.Set(state);
            return true;
        }
        return TestFrame::GetPropertyAt(name, value, position);
    }
    bool CallMethod(std::string_view method, CWebInfo& record) override {
        commands.emplace_back(method);
        record.SetRetValue(0x77);
        return true;
    }
    bool AppendFrames(std::vector<CWebObjRef>& list) override {
        for (TestFrame* frame : frames) {
            list.emplace_back(frame);
        }
        return !frames.empty();
    }
    CWebObjRef FindFrameByWindow(nsIDOMWindow*) override { return {}; }
    CWebObjRef FindFrameById(const CWebRunTimeID& id) override {
        for (TestFrame* frame : frames) {
            if (frame->RunTimeID() == id) {
                return CWebObjRef(frame);
            }
        }
        return {};
    }
    // Frames are owned children of the page.
    TestFrame* AddFrame(int32_t identity, HWND window) {
        auto* frame = new TestFrame(CWebRunTimeID(RunTimeID().First(), identity, -1, -1), window);
        AddChild(CWebObjRef(frame));
        frames.push_back(frame);
        return frame;
    }

    int32_t state = 4;
    std::vector<std::string> commands;
    std::vector<TestFrame*> frames; // observes the children above
};

class BrowserTest : public traptest::TrapStateTest {
protected:
    void SetUp() override {
        TrapStateTest::SetUp();
        m_Handle = Trap().GetOrCreateBrowser(m_Chrome.Window(), m_Chrome.Dom());
        ASSERT_TRUE(m_Handle.IsValid());
    }
    CNS6Browser& Browser() { return *static_cast<CNS6Browser*>(m_Handle.Get()); }
    // A page with its own child window, owned by the browser.
    TestPage* AddPage() {
        auto* page = new TestPage(m_Chrome.Window(), MakeWindow(m_Chrome.Window()));
        Browser().AddChild(CWebObjRef(page));
        return page;
    }
    CWebVariantList Property(std::string_view name, CWebVariantList value = {}) {
        EXPECT_TRUE(Browser().GetProperty(name, value));
        return value;
    }

    ChromeWindow m_Chrome;
    CWebObjRef m_Handle;
};

TEST_F(BrowserTest, PropertiesOfTheBrowser) {
    CWebInfo all;
    Browser().GetAllProperties(all);
    ASSERT_EQ(all.GetAttrCount(), 4u);
    EXPECT_EQ(*all.GetAttrName(0), "class");
    EXPECT_EQ(*all.GetAttrName(1), "handle");
    EXPECT_EQ(*all.GetAttrName(2), "child");
    EXPECT_EQ(*all.GetAttrName(3), "state");
    const CWebVariantList& classes = *all.GetAttrValue(0);
    ASSERT_EQ(classes.GetCount(), 1u);
    EXPECT_EQ(classes.GetAt(0)->GetString(), "html_browser");
    EXPECT_EQ(all.GetAttrValue(1)->GetAt(0)->GetInteger(), ValueOf(m_Chrome.Window()));

    CWebVariantList unknown;
    EXPECT_FALSE(Browser().GetProperty("url", unknown));

    CWebInfo obligatory, optional;
    std::string selector = "x", tag = "y";
    Browser().GetDescription(obligatory, optional, selector, tag);
    EXPECT_EQ(obligatory.GetAttrCount(), 0u);
    EXPECT_EQ(optional.GetAttrCount(), 0u);
    EXPECT_EQ(selector, "");
    EXPECT_EQ(tag, "");
}

TEST_F(BrowserTest, ChildByPositionAndMissingChildStatus) {
    TestPage* page = AddPage();
    CWebVariantList first;
    first.Set(1);
    CWebVariantList found = Property("child", first);
    ASSERT_EQ(found.GetType(), WebVariantType::RunTimeID);
    EXPECT_EQ(found.GetAt(0)->GetRunTimeID(), page->RunTimeID());

    CWebVariantList second;
    second.Set(2);
    CWebVariantList missing = Property("child", second);
    EXPECT_TRUE(missing.IsStatus());
    EXPECT_EQ(missing.GetStatus(), 3);
    EXPECT_TRUE(missing.IsEmpty());
}

TEST_F(BrowserTest, StateFollowsTheLoadingPageAndTheDisabledWindow) {
    EXPECT_EQ(Property("state").GetAt(0)->GetInteger(), 4);
    TestPage* idle = AddPage();
    TestPage* loading = AddPage();
    EXPECT_EQ(Property("state").GetAt(0)->GetInteger(), 4);
    loading->state = 1;
    EXPECT_EQ(Property("state").GetAt(0)->GetInteger(), 1);

    // The state of one addressed object.
    CWebVariantList id;
    id.Set(idle->RunTimeID());
    EXPECT_EQ(Property("state", id).GetAt(0)->GetInteger(), 4);

    EnableWindow(m_Chrome.Window(), FALSE);
    EXPECT_EQ(Property("state").GetAt(0)->GetInteger(), 4);
    EnableWindow(m_Chrome.Window(), TRUE);
    EXPECT_EQ(Property("state").GetAt(0)->GetInteger(), 1);
}

TEST_F(BrowserTest, ChildrenAreEveryPageFollowedByItsFrames) {
    TestPage* page = AddPage();
    TestFrame* frame = page->AddFrame(901, MakeWindow(page->GetFrameWindow()));
    TestPage* other = AddPage();
    std::vector<CWebObjRef> entries;
    ASSERT_TRUE(Browser().CollectChildren(entries, 0));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].Get(), page);
    EXPECT_EQ(entries[1].Get(), frame);
    EXPECT_EQ(entries[2].Get(), other);

    EXPECT_EQ(Browser().GetChildById(frame->RunTimeID()).Get(), frame);
    EXPECT_EQ(Browser().GetChildById(other->RunTimeID()).Get(), other);
    EXPECT_FALSE(Browser().GetChildById(CWebRunTimeID(1, 2, -1, -1)).IsValid());

    HWND inner = MakeWindow(other->GetFrameWindow());
    EXPECT_EQ(Browser().FindChildByWindow(other->GetFrameWindow()).Get(), other);
    EXPECT_EQ(Browser().FindChildByWindow(inner).Get(), other);
    EXPECT_FALSE(Browser().FindChildByWindow(m_Chrome.Window()).IsValid());
}

TEST_F(BrowserTest, DeadPagesArePrunedAtTheNextChildAccess) {
    TestPage* dead = AddPage();
    TestPage* alive = AddPage();
    CWebObjRef deadHandle(dead);
    dead->alive = false;
    EXPECT_EQ(Browser().GetChild(1).Get(), alive);
    EXPECT_FALSE(deadHandle.IsValid());
    EXPECT_EQ(Browser().GetChildCount(), 1);
}

TEST_F(BrowserTest, ClosedBrowserWindowHasNoChildren) {
    AddPage();
    m_Chrome.Close();
    EXPECT_FALSE(Browser().IsAlive());
    EXPECT_FALSE(Browser().GetChild(1).IsValid());
    std::vector<CWebObjRef> entries;
    EXPECT_FALSE(Browser().CollectChildren(entries, 1));
    EXPECT_TRUE(entries.empty());
}

TEST_F(BrowserTest, ChromeWithoutDocumentShellIsNotAlive) {
    EXPECT_TRUE(Browser().IsAlive());
    m_Chrome.DropShell();
    EXPECT_FALSE(Browser().IsAlive());
}

TEST_F(BrowserTest, BrowserCommandGoesToThePageAndIsAlwaysHandled) {
    CWebInfo request;
    AppendString(request, "command", "Back");
    EXPECT_TRUE(Browser().CallMethod("BrowserCommand", request));
    EXPECT_EQ(request.GetRetValue(), NS_OK);

    TestPage* page = AddPage();
    EXPECT_TRUE(Browser().CallMethod("BrowserCommand", request));
    ASSERT_EQ(page->commands.size(), 1u);
    EXPECT_EQ(page->commands[0], "BrowserCommand");
    EXPECT_EQ(request.GetRetValue(), 0x77u);
    EXPECT_FALSE(Browser().CallMethod("NoSuchMethod", request));
}

TEST_F(BrowserTest, ToolBarRectForUnknownOrMissingCommandFails) {
    CWebInfo stop;
    AppendString(stop, "command", "Stop");
    EXPECT_TRUE(Browser().CallMethod("GetToolBarRect", stop));
    EXPECT_EQ(stop.GetRetValue(), E_FAIL);
    EXPECT_EQ(stop.FindAttr("rect"), nullptr);

    CWebInfo missing;
    missing.SetRetValue(NS_OK);
    AppendInteger(missing, "command", 3);
    EXPECT_TRUE(Browser().CallMethod("GetToolBarRect", missing));
    EXPECT_EQ(missing.GetRetValue(), E_FAIL);
    EXPECT_EQ(missing.FindAttr("rect"), nullptr);
}

TEST_F(BrowserTest, HtmlClassOfFrameAndPlugInWindows) {
    CWebInfo noPages;
    AppendInteger(noPages, "handle", 5);
    EXPECT_TRUE(Browser().CallMethod("GetHtmlClass", noPages));
    EXPECT_EQ(noPages.GetRetValue(), E_FAIL);
    EXPECT_EQ(noPages.FindAttr("handle"), nullptr);

    TestPage* page = AddPage();
    HWND frameWindow = MakeWindow(page->GetFrameWindow());
    TestFrame* frame = page->AddFrame(902, frameWindow);
    HWND plugIn = MakeWindow(frameWindow);
    frame->embedded = plugIn;

    CWebInfo ofFrame;
    AppendInteger(ofFrame, "handle", ValueOf(frameWindow));
    EXPECT_TRUE(Browser().CallMethod("GetHtmlClass", ofFrame));
    EXPECT_EQ(ofFrame.GetRetValue(), NS_OK);
    EXPECT_EQ(StringArg(ofFrame, "class"), "html_frame");
    const CWebVariantList* handles = ofFrame.FindAttr("handle");
    ASSERT_NE(handles, nullptr);
    ASSERT_EQ(handles->GetCount(), 2u);
    EXPECT_EQ(handles->GetAt(0)->GetInteger(), ValueOf(page->GetFrameWindow()));
    EXPECT_EQ(handles->GetAt(1)->GetInteger(), ValueOf(frameWindow));

    CWebInfo ofPlugIn;
    AppendInteger(ofPlugIn, "handle", ValueOf(plugIn));
    Browser().CallMethod("GetHtmlClass", ofPlugIn);
    EXPECT_EQ(StringArg(ofPlugIn, "class"), "embeded");
    EXPECT_EQ(ofPlugIn.FindAttr("handle")->GetCount(), 2u);

    CWebInfo ofOther;
    AppendInteger(ofOther, "handle", ValueOf(m_Chrome.Window()));
    Browser().CallMethod("GetHtmlClass", ofOther);
    EXPECT_EQ(ofOther.GetRetValue(), NS_OK);
    EXPECT_EQ(ofOther.FindAttr("class"), nullptr);

    CWebInfo wrongType;
    AppendString(wrongType, "handle", "12");
    EXPECT_TRUE(Browser().CallMethod("GetHtmlClass", wrongType));
    EXPECT_EQ(wrongType.GetRetValue(), E_FAIL);
    EXPECT_EQ(wrongType.FindAttr("handle"), nullptr);
}

TEST_F(BrowserTest, SaveImageNeedsBothNamesAndReportsASaveThatCouldNotStart) {
    CWebInfo complete;
    AppendString(complete, "file_name", "c:\\temp\\logo.gif");
    AppendString(complete, "url", "http://127.0.0.1:1/logo.gif");
    EXPECT_TRUE(Browser().CallMethod("SaveImgContentToFile", complete));
    // No browser runs here: the save cannot start, and says so.
    EXPECT_EQ(complete.GetRetValue(), E_FAIL);

    CWebInfo noUrl;
    AppendString(noUrl, "file_name", "c:\\temp\\logo.gif");
    EXPECT_TRUE(Browser().CallMethod("SaveImgContentToFile", noUrl));
    EXPECT_EQ(noUrl.GetRetValue(), E_FAIL);
}

TEST_F(BrowserTest, ContentListenerIsChainedInAndTakenOutAgain) {
    EXPECT_FALSE(Browser().IsListenerInstalled());
    GetTrapGlobals().context.SetContentListenerFactory(&TestListener::Make);
    ChromeWindow chrome;
    nsCOMPtr<TestListener> previous = new TestListener();
    chrome.Shell()->SetParentURIContentListener(previous.get());

    CWebObjRef browser = Trap().GetOrCreateBrowser(chrome.Window(), chrome.Dom());
    ASSERT_TRUE(browser.IsValid());
    auto* container = static_cast<CNS6Container*>(browser.Get());
    EXPECT_TRUE(container->IsListenerInstalled());
    nsIURIContentListener* ours = container->GetContentListener();
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(chrome.Shell()->Listener(), ours);
    nsCOMPtr<nsIURIContentListener> chained;
    ours->GetParentContentListener(getter_AddRefs(chained));
    EXPECT_EQ(chained.get(), previous.get());
    EXPECT_EQ(TestListener::Instances(), 2);

    browser.Destroy();
    GetTrapGlobals().context.SetContentListenerFactory(nullptr);
    // The shell no longer points at the listener that went with the browser.
    EXPECT_EQ(chrome.Shell()->Listener(), previous.get());
    EXPECT_EQ(TestListener::Instances(), 1);
}

} // namespace

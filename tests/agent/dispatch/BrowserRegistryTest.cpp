// The browser dispatcher against the global trap state's real registry of
// browser objects.
#include "agent/channel/RequestArgs.h"
#include "agent/common/AgentCodes.h"
#include "agent/host/TrapTestSupport.h"

#include <gtest/gtest.h>

namespace {

using traptest::ChromeWindow;
using traptest::MakeWindow;

int32_t Value(HWND window) {
    return static_cast<int32_t>(HandleToULong(window));
}

class BrowserRegistry : public traptest::TrapStateTest {
protected:
    CNS6Interface& Dispatcher() { return *GetNS6Dispatcher(); }
};

TEST_F(BrowserRegistry, BrowsersAreListedAfterClosedOnesAreDropped) {
    ChromeWindow closing;
    ChromeWindow staying;
    CWebObjRef gone = Trap().GetOrCreateBrowser(closing.Window(), closing.Dom());
    CWebObjRef kept = Trap().GetOrCreateBrowser(staying.Window(), staying.Dom());
    ASSERT_TRUE(gone && kept);
    closing.Close();

    std::vector<CWebObjRef> browsers;
    EXPECT_TRUE(Dispatcher().GetBrowsers(browsers));
    ASSERT_EQ(browsers.size(), 1u);
    EXPECT_EQ(browsers[0].Get(), kept.Get());
    EXPECT_FALSE(gone.IsValid());

    // A child window of the browser window leads to its browser object.
    HWND content = MakeWindow(staying.Window());
    EXPECT_EQ(Dispatcher().FindBrowserByWindow(content).Get(), kept.Get());
    EXPECT_EQ(Dispatcher().ResolveBrowser(CWebRunTimeID(Value(content), -1, -1, -1)).Get(),
              kept.Get());
}

TEST_F(BrowserRegistry, BrowserRequestsThroughTheDispatcher) {
    ChromeWindow chrome;
    CWebObjRef browser = Trap().GetOrCreateBrowser(chrome.Window(), chrome.Dom());
    ASSERT_TRUE(browser);
    const CWebRunTimeID id(Value(chrome.Window()), -1, -1, -1);

    CWebInfo all;
    all.SetMsgId(ToInt(MsgId::GetAllProperties));
    all.SetRunTimeID(id);
    Dispatcher().Dispatch(all);
    EXPECT_EQ(all.GetRetValue(), NS_OK);
    ASSERT_NE(all.FindFirstValue("class"), nullptr);
    EXPECT_EQ(all.FindFirstValue("class")->GetString(), "html_browser");
    EXPECT_EQ(all.FindFirstValue("handle")->GetInteger(), Value(chrome.Window()));

    // No page yet: a browser without a busy page is idle.
    CWebInfo state;
    state.SetMsgId(ToInt(MsgId::GetState));
    state.SetRunTimeID(id);
    Dispatcher().Dispatch(state);
    EXPECT_EQ(state.GetRetValue(), NS_OK);
    EXPECT_EQ(state.FindFirstValue("state")->GetInteger(), 4);

    // A window with no page or frame object has no identifier.
    CWebInfo window;
    window.SetMsgId(ToInt(MsgId::IdOfWindow));
    AppendInteger(window, "handle", Value(chrome.Window()));
    Dispatcher().Dispatch(window);
    EXPECT_EQ(window.GetRetValue(), E_FAIL);
}

TEST_F(BrowserRegistry, NoTrapStateMeansNoBrowsers) {
    ChromeWindow chrome;
    ASSERT_TRUE(Trap().GetOrCreateBrowser(chrome.Window(), chrome.Dom()));
    DestroyTrapState();
    std::vector<CWebObjRef> browsers;
    EXPECT_FALSE(Dispatcher().GetBrowsers(browsers));
    CWebInfo state;
    state.SetMsgId(ToInt(MsgId::GetState));
    state.SetRunTimeID(CWebRunTimeID(Value(chrome.Window()), -1, -1, -1));
    Dispatcher().Dispatch(state);
    EXPECT_EQ(state.GetRetValue(), E_FAIL);
}

} // namespace

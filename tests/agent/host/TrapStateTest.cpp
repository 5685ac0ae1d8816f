#include "agent/channel/CAgentWindow.h"
#include "agent/classutil/ClassUtilities.h"
#include "agent/dispatch/CInterface.h"
#include "agent/host/LibraryEntry.h"
#include "agent/model/CNS6Browser.h"
#include "support/TrapTestSupport.h"

#include <gtest/gtest.h>

namespace {

using traptest::ChromeWindow;
using traptest::MakeWindow;
using traptest::TrapStateTest;

TEST(TrapGlobals, HolderOutlivesShutdownAndDestroysOnlyBrowserClasses) {
    TrapGlobals& globals = GetTrapGlobals();
    EXPECT_EQ(&globals, &GetTrapGlobals());

    // A dispatcher of the base class is not the trap's to delete.
    globals.dispatcher = std::make_unique<CInterface>();
    EXPECT_EQ(GetNS6Dispatcher(), nullptr);
    DestroyDispatcher();
    EXPECT_NE(globals.dispatcher, nullptr);
    globals.dispatcher.reset();

    globals.trapState = std::make_unique<CGeneralTrapInfo>();
    EXPECT_EQ(GetNS6TrapInfo(), nullptr);
    DestroyTrapState();
    EXPECT_NE(globals.trapState, nullptr);
    globals.trapState.reset();
}

TEST(TrapGlobals, LibraryEntryCreatesTheTrapStateOnAttachOnly) {
    char saved[8192] = {};
    GetEnvironmentVariable("path", saved, sizeof(saved));
    EXPECT_EQ(TrapLibraryEntry(nullptr, DLL_PROCESS_DETACH), TRUE);
    EXPECT_EQ(GetNS6TrapInfo(), nullptr);
    EXPECT_EQ(TrapLibraryEntry(nullptr, DLL_PROCESS_ATTACH), TRUE);
    SetEnvironmentVariable("path", saved);
    ASSERT_NE(GetNS6TrapInfo(), nullptr);
    EXPECT_EQ(GetTrapModuleInstance(), HINSTANCE(nullptr));
    // The holder is the dispatcher's source from now on.
    SetTrapDispatcher(std::make_unique<CNS6Interface>());
    EXPECT_EQ(GetProcessDispatcher(), GetTrapGlobals().dispatcher.get());
    DestroyDispatcher();
    EXPECT_EQ(GetProcessDispatcher(), nullptr);
    DestroyTrapState();
    EXPECT_EQ(GetTrapGlobals().trapState, nullptr);
}

TEST(TrapGlobals, ClassTableHoldsTheDefaultTemplates) {
    CGeneralTrapInfo trap;
    CWebObjUtil* cell = trap.FindClassUtil("html_cell");
    ASSERT_EQ(cell, &GetClassUtilities().cell);
    const DescriptionTemplate& model = cell->GetDescriptionTemplate();
    ASSERT_EQ(model.obligatory.GetAttrCount(), 4u);
    EXPECT_EQ(*model.obligatory.GetAttrName(3), "col");
    EXPECT_EQ(model.optional.GetAttrCount(), 0u);
    EXPECT_EQ(model.selector, "location");
    EXPECT_EQ(model.tagAttr, "name");

    EXPECT_EQ(trap.FindClassUtil("html_img_link"), &GetClassUtilities().imageLink);
    EXPECT_EQ(trap.FindClassUtil("html_rect"), &GetClassUtilities().image);
    EXPECT_EQ(trap.FindClassUtil("html_frame"), &GetClassUtilities().frame);
    EXPECT_EQ(trap.FindClassUtil("html_browser"), nullptr);
    EXPECT_EQ(trap.FindClassUtil("html_label"), nullptr);
    EXPECT_EQ(trap.FindClassUtil("HTML_CELL"), nullptr);
    EXPECT_EQ(trap.GetClassTable().size(), 21u);
}

TEST_F(TrapStateTest, NoBrowserWithoutTheBrowserDispatcher) {
    ChromeWindow chrome;
    DestroyDispatcher();
    EXPECT_FALSE(Trap().GetOrCreateBrowser(chrome.Window(), chrome.Dom()).IsValid());
    EXPECT_EQ(Trap().GetBrowserCount(), 0u);
}

TEST_F(TrapStateTest, DocumentsOfOneWindowShareOneBrowserKeyedByTheTopWindow) {
    ChromeWindow chrome;
    HWND content = MakeWindow(chrome.Window());
    CWebObjRef first = Trap().GetOrCreateBrowser(chrome.Window(), chrome.Dom());
    ASSERT_TRUE(first.IsValid());
    CWebObjRef second = Trap().GetOrCreateBrowser(content, chrome.Dom());
    CWebObjRef lookup = Trap().GetOrCreateBrowser(content, nullptr);
    EXPECT_EQ(second.Get(), first.Get());
    EXPECT_EQ(lookup.Get(), first.Get());
    EXPECT_EQ(Trap().GetBrowserCount(), 1u);
    EXPECT_EQ(first->RunTimeID(),
              CWebRunTimeID(static_cast<int32_t>(HandleToULong(chrome.Window())), -1, -1, -1));
}

TEST_F(TrapStateTest, LookupOfAnUnknownWindowRegistersNothing) {
    ChromeWindow chrome;
    EXPECT_FALSE(Trap().GetOrCreateBrowser(chrome.Window(), nullptr).IsValid());
    EXPECT_FALSE(Trap().GetOrCreateBrowser(nullptr, chrome.Dom()).IsValid());
    EXPECT_EQ(Trap().GetBrowserCount(), 0u);
}

TEST_F(TrapStateTest, ClosedWindowsBrowserIsDeletedWhenAnotherBrowserArrives) {
    ChromeWindow closing;
    ChromeWindow staying;
    CWebObjRef gone = Trap().GetOrCreateBrowser(closing.Window(), closing.Dom());
    ASSERT_TRUE(gone.IsValid());
    closing.Close();
    // Still registered: nothing has looked since.
    EXPECT_EQ(Trap().GetBrowserCount(), 1u);
    CWebObjRef kept = Trap().GetOrCreateBrowser(staying.Window(), staying.Dom());
    EXPECT_TRUE(kept.IsValid());
    EXPECT_FALSE(gone.IsValid());
    std::vector<CWebObjRef> browsers;
    Trap().ListBrowsers(browsers);
    ASSERT_EQ(browsers.size(), 1u);
    EXPECT_EQ(browsers[0].Get(), kept.Get());
}

TEST_F(TrapStateTest, BrowserDestroyedThroughItsHandleLeavesTheRegistry) {
    ChromeWindow chrome;
    CWebObjRef browser = Trap().GetOrCreateBrowser(chrome.Window(), chrome.Dom());
    ASSERT_TRUE(browser.IsValid());
    CWebObjRef copy = browser;
    copy.Destroy();
    EXPECT_FALSE(browser.IsValid());
    EXPECT_EQ(Trap().GetBrowserCount(), 0u);
    // A new browser object for the same window is made on demand.
    EXPECT_TRUE(Trap().GetOrCreateBrowser(chrome.Window(), chrome.Dom()).IsValid());
    EXPECT_EQ(Trap().GetBrowserCount(), 1u);
}

TEST_F(TrapStateTest, PurgeWithOnlyClosedWindowsEmptiesTheRegistry) {
    ChromeWindow a;
    ChromeWindow b;
    CWebObjRef first = Trap().GetOrCreateBrowser(a.Window(), a.Dom());
    CWebObjRef second = Trap().GetOrCreateBrowser(b.Window(), b.Dom());
    a.Close();
    b.Close();
    Trap().PurgeClosedBrowsers();
    EXPECT_EQ(Trap().GetBrowserCount(), 0u);
    EXPECT_FALSE(first.IsValid());
    EXPECT_FALSE(second.IsValid());
}

TEST_F(TrapStateTest, ShutdownDeletesEveryBrowserAndClearsTheHolder) {
    ChromeWindow a;
    ChromeWindow b;
    CWebObjRef first = Trap().GetOrCreateBrowser(a.Window(), a.Dom());
    CWebObjRef second = Trap().GetOrCreateBrowser(b.Window(), b.Dom());
    DestroyTrapState();
    EXPECT_EQ(GetNS6TrapInfo(), nullptr);
    EXPECT_FALSE(first.IsValid());
    EXPECT_FALSE(second.IsValid());
    DestroyDispatcher();
    EXPECT_EQ(GetNS6Dispatcher(), nullptr);
}

TEST_F(TrapStateTest, NewBrowserGetsItsAgentWindowWhileTheToolIsPresent) {
    InitializeAgentWindows(nullptr);
    ChromeWindow withoutTool;
    ASSERT_TRUE(Trap().GetOrCreateBrowser(withoutTool.Window(), withoutTool.Dom()).IsValid());
    std::string title = AgentWindowTitle(withoutTool.Window());
    EXPECT_EQ(FindWindow(kAgentWindowClass, title.c_str()), nullptr);

    WNDCLASSA wc{};
    wc.lpfnWndProc = &traptest::PlainProc;
    wc.lpszClassName = kPresenceClass;
    RegisterClass(&wc);
    HWND presence = CreateWindowEx(0, kPresenceClass, kPresenceTitle, WS_OVERLAPPEDWINDOW, 0, 0, 10,
                                   10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(presence, nullptr);
    ChromeWindow withTool;
    CWebObjRef browser = Trap().GetOrCreateBrowser(withTool.Window(), withTool.Dom());
    ASSERT_TRUE(browser.IsValid());
    title = AgentWindowTitle(withTool.Window());
    HWND agent = FindWindow(kAgentWindowClass, title.c_str());
    ASSERT_NE(agent, nullptr);
    EXPECT_EQ(static_cast<CNS6Container*>(browser.Get())->GetAgentWindow()->GetWindow(), agent);

    // The agent window goes with its browser object.
    withTool.Close();
    Trap().PurgeClosedBrowsers();
    EXPECT_FALSE(IsWindow(agent));
    DestroyWindow(presence);
}

TEST_F(TrapStateTest, PagesAndFramesNeedAKnownBrowser) {
    ChromeWindow chrome;
    HWND content = MakeWindow(chrome.Window());
    // No browser object for the window yet: nothing is registered.
    EXPECT_FALSE(Trap().GetOrCreatePage(nullptr, content).IsValid());
    EXPECT_FALSE(Trap().GetOrCreateFrame(chrome.Dom(), content).IsValid());
    EXPECT_EQ(Trap().GetBrowserCount(), 0u);
    EXPECT_FALSE(Trap().GetOrCreatePage(nullptr, nullptr).IsValid());
    EXPECT_FALSE(Trap().GetOrCreateFrame(nullptr, content).IsValid());
}

} // namespace

#include "agent/host/NS6trap.h"

#include "agent/host/NS6Module.h"
#include "agent/host/TrapState.h"
#include "platform/win32/Testing.h"
#include "platform/win32/Windows.h"
#include "platform/xpcom/nsAppShell.h"
#include "platform/xpcom/nsIRegistry.h"
#include "platform/xpcom/nsXPCOM.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

size_t CountDebugLines(const std::string& text) {
    auto log = win32::testing::DebugOutputLog();
    return static_cast<size_t>(std::count(log.begin(), log.end(), text));
}

const std::string kLoadedLine = std::string(33, '*') + " TRAP LOADED \n";

TEST(NS6trapFactory, RefusesAggregationAndHandsOutOneTrap) {
    nsISupports* outer = reinterpret_cast<nsISupports*>(0x1);
    void* result = reinterpret_cast<void*>(0x2);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, NS6trapFactory(outer, nsISupports::kIID, &result));
    EXPECT_EQ(nullptr, result);

    win32::testing::ClearDebugOutputLog();
    nsIAppShellComponent* first = nullptr;
    nsIAppShellComponent* second = nullptr;
    nsIAppShellComponent* third = nullptr;
    ASSERT_EQ(NS_OK, NS6trapFactory(nullptr, nsIAppShellComponent::kIID,
                                    reinterpret_cast<void**>(&first)));
    ASSERT_EQ(NS_OK, NS6trapFactory(nullptr, nsIAppShellComponent::kIID,
                                    reinterpret_cast<void**>(&second)));
    ASSERT_EQ(NS_OK, NS6trapFactory(nullptr, nsIAppShellComponent::kIID,
                                    reinterpret_cast<void**>(&third)));
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, third);
    // Every request writes the line; the constructor once more on creation.
    EXPECT_GE(CountDebugLines(kLoadedLine), 3u);
    first->Release();
    second->Release();
    third->Release();

    void* none = reinterpret_cast<void*>(0x2);
    EXPECT_EQ(E_NOINTERFACE, NS6trapFactory(nullptr, nsIRegistry::kIID, &none));
    EXPECT_EQ(nullptr, none);
}

TEST(NS6trapFactory, TrapAnswersItsFourInterfaces) {
    nsISupports* trap = nullptr;
    ASSERT_EQ(NS_OK, NS6trapFactory(nullptr, nsISupports::kIID, reinterpret_cast<void**>(&trap)));
    nsCOMPtr<nsIObserver> observer = do_QueryInterface(trap);
    nsCOMPtr<nsIWebProgressListener> listener = do_QueryInterface(trap);
    nsCOMPtr<nsISupportsWeakReference> weak = do_QueryInterface(trap);
    EXPECT_TRUE(observer && listener && weak);
    EXPECT_TRUE(SameCOMIdentity(observer, listener));
    EXPECT_EQ(E_POINTER, trap->QueryInterface(nsIObserver::kIID, nullptr));
    EXPECT_EQ(E_NOTIMPL, observer->Observe(nullptr, "topic", nullptr));
    // A progress notification that is not the end of a document is ignored.
    EXPECT_EQ(NS_OK,
              listener->OnStateChange(nullptr, nullptr, nsIWebProgressListener::STATE_STOP, NS_OK));
    trap->Release();
}

TEST(NS6trapRegistration, EntersTheClassUnderTheApplicationShellKey) {
    ASSERT_EQ(NS_OK, NS_InitXPCOM({}));
    ASSERT_EQ(NS_OK, NS6trapRegisterSelf(nullptr, nullptr, nullptr, nullptr, nullptr));
    nsCOMPtr<nsIRegistry> registry = do_GetService(NS_REGISTRY_CONTRACTID);
    ASSERT_TRUE(registry);
    registry->OpenWellKnownRegistry(nsIRegistry::ApplicationComponentRegistry);
    nsRegistryKey key = 0;
    EXPECT_EQ(NS_OK, registry->GetSubtree(nsIRegistry::Common,
                                          "software/netscape/appshell/components/"
                                          "{1141F502-005D-11D7-907A-0050DABF587B}",
                                          &key));
    registry = nullptr;
    NS_ShutdownXPCOM();
}

TEST(NS6trapRegistration, FailsWithoutTheRegistryService) {
    EXPECT_TRUE(NS_FAILED(NS6trapRegisterSelf(nullptr, nullptr, nullptr, nullptr, nullptr)));
}

TEST(NS6trapModule, DescribesOneComponent) {
    const nsModuleInfo& info = NS6trapModuleInfo();
    EXPECT_EQ(0x10000u, info.version);
    EXPECT_STREQ("\"NS6trapQuorvinModule\"", info.moduleName);
    EXPECT_EQ(22u, std::string(info.moduleName).size());
    ASSERT_EQ(1u, info.componentCount);
    EXPECT_STREQ("NS6trap Quorvin component", info.components[0].description);
    EXPECT_STREQ("/NS6trapQuorvin;1", info.components[0].contractID);
    EXPECT_TRUE(info.components[0].cid.Equals(kNS6trapCID));
}

// Native window trees for the content-window rule.
class ContentWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"MozillaWindowClass", "OtherClass"}) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = DefWindowProcA;
            wc.lpszClassName = name;
            RegisterClassA(&wc); // a second registration fails harmlessly
        }
    }
    void TearDown() override {
        for (HWND window : m_Tops) {
            DestroyWindow(window);
        }
    }
    HWND Top(const char* cls) {
        HWND window = CreateWindowExA(0, cls, "top", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                                      nullptr, nullptr, nullptr);
        m_Tops.push_back(window);
        return window;
    }
    static HWND Child(HWND parent, const char* cls = "MozillaWindowClass") {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, parent, nullptr,
                               nullptr, nullptr);
    }

    std::vector<HWND> m_Tops;
};

TEST_F(ContentWindowTest, FindsTheWindowFourLevelsBelowTheBrowserWindow) {
    HWND top = Top("MozillaWindowClass");
    HWND a = Child(top);
    HWND b = Child(a);
    HWND c = Child(b);
    HWND content = Child(c);
    HWND frame = Child(content);
    HWND nested = Child(frame);
    EXPECT_EQ(content, GetContentWindowOf(content));
    EXPECT_EQ(content, GetContentWindowOf(frame));
    EXPECT_EQ(content, GetContentWindowOf(nested));
    // Too close to the top: no ancestor of it has a top-level fourth ancestor.
    EXPECT_EQ(nullptr, GetContentWindowOf(b));
    EXPECT_EQ(nullptr, GetContentWindowOf(nullptr));
}

TEST_F(ContentWindowTest, RefusesOtherClassesAndOtherTopLevelWindows) {
    HWND foreignTop = Top("OtherClass");
    HWND content = Child(Child(Child(Child(Child(foreignTop)))));
    EXPECT_EQ(nullptr, GetContentWindowOf(content));

    HWND top = Top("MozillaWindowClass");
    HWND plugin = Child(Child(Child(Child(Child(top)))), "OtherClass");
    EXPECT_EQ(nullptr, GetContentWindowOf(plugin));

    HWND dead = Child(Child(Child(Child(Child(top)))));
    DestroyWindow(dead);
    EXPECT_EQ(nullptr, GetContentWindowOf(dead));
}

// The component library loaded the way the browser loads it: from the
// components folder, registered, and started by the application shell.
TEST(NS6trapComponent, ApplicationShellStartsTheAgentFromItsLibrary) {
    const std::filesystem::path library =
        std::filesystem::path(WEBAGENT_COMPONENTS_DIR) / "NS6trap.dll";
    ASSERT_TRUE(std::filesystem::exists(library)) << library;

    nsXPCOMOptions options;
    options.componentsDirectory = WEBAGENT_COMPONENTS_DIR;
    ASSERT_EQ(NS_OK, NS_InitXPCOM(options));
    win32::testing::ClearDebugOutputLog();
    {
        nsAppShell shell;
        ASSERT_EQ(NS_OK, shell.Startup());
        ASSERT_EQ(1u, shell.Components().size());
        EXPECT_EQ(1u, CountDebugLines(std::string(33, '*') + " TRAP Initialize \n"));
        shell.Shutdown();
    }
    EXPECT_EQ(NS_OK, NS_ShutdownXPCOM());
}

} // namespace

#include "platform/xpcom/nsAppShell.h"

#include "TestComponent.h"
#include "XpcomTestSupport.h"
#include "platform/xpcom/nsGenericModule.h"
#include "platform/xpcom/nsIRegistry.h"

#include <gtest/gtest.h>

namespace {

using xpcomtest::InstallTestComponent;
using xpcomtest::ScopedFramework;
using xpcomtest::TempFolder;
using xpcomtest::TopicCounter;

nsresult ListForShell(const nsCID& cid) {
    nsCOMPtr<nsIRegistry> registry = do_GetService(NS_REGISTRY_CONTRACTID);
    if (!registry)
        return NS_ERROR_FAILURE;
    registry->OpenWellKnownRegistry(nsIRegistry::ApplicationComponentRegistry);
    std::string path = std::string(NS_APPSHELL_COMPONENTS_KEY) + "/" + cid.ToString();
    nsRegistryKey key = 0;
    return registry->AddSubtree(nsIRegistry::Common, path.c_str(), &key);
}

// An in-process shell component that refuses to start.
int g_refusedShutdowns = 0;

class Refusing final : public nsSupportsImpl<Refusing, nsIAppShellComponent> {
public:
    nsresult Initialize(nsISupports*, nsISupports*) override { return NS_ERROR_ABORT; }
    nsresult Shutdown() override {
        ++g_refusedShutdowns;
        return NS_OK;
    }
};
constexpr nsCID kRefusingCID{0x7E590001, 0x0001, 0x0001, {7, 7, 7, 7, 7, 7, 7, 1}};

class TestShell final : public nsSupportsImpl<TestShell, nsISupports> {};

TEST(AppShell, StartsTheLibrarysListedComponentAndShutsItDownAtExit) {
    TempFolder folder;
    InstallTestComponent(folder.Path());
    nsXPCOMOptions options;
    options.componentsDirectory = folder.Path().string();
    ScopedFramework framework(options);
    ASSERT_EQ(framework.Result(), NS_OK);
    nsCOMPtr<TopicCounter> topics = new TopicCounter;
    topics->Listen({kTestInitializeTopic, kTestShutdownTopic});

    nsCOMPtr<nsISupports> shellObject = new TestShell;
    {
        nsAppShell shell;
        ASSERT_EQ(shell.Startup(shellObject), NS_OK);
        EXPECT_EQ(shell.Startup(shellObject), NS_ERROR_ALREADY_INITIALIZED);
        EXPECT_EQ(topics->Count(kTestInitializeTopic), 1);
        ASSERT_EQ(topics->Subjects(kTestInitializeTopic).size(), 1u);
        EXPECT_EQ(topics->Subjects(kTestInitializeTopic)[0], shellObject.get())
            << "Initialize gets the shell that starts it";
        ASSERT_EQ(shell.Components().size(), 1u);
        nsCOMPtr<nsITestProbe> probe = do_QueryInterface(shell.Components()[0]);
        ASSERT_TRUE(probe);
        EXPECT_EQ(topics->Count(kTestShutdownTopic), 0);
        shell.Shutdown();
        EXPECT_EQ(topics->Count(kTestShutdownTopic), 1);
        EXPECT_TRUE(shell.Components().empty());
        shell.Shutdown();
    }
    EXPECT_EQ(topics->Count(kTestShutdownTopic), 1) << "Shutdown runs once";
}

TEST(AppShell, ComponentsThatCannotBeMadeOrStartedAreLeftOut) {
    TempFolder folder;
    InstallTestComponent(folder.Path());
    nsXPCOMOptions options;
    options.componentsDirectory = folder.Path().string();
    ScopedFramework framework(options);
    nsCOMPtr<TopicCounter> topics = new TopicCounter;
    topics->Listen({kTestInitializeTopic, kTestShutdownTopic});

    nsCOMPtr<nsIComponentManager> manager;
    NS_GetComponentManager(getter_AddRefs(manager));
    nsCOMPtr<nsIFactory> factory;
    NS_NewGenericFactory(NS_GenericConstructor<Refusing>, getter_AddRefs(factory));
    manager->RegisterFactory(kRefusingCID, nullptr, nullptr, factory, RegisterReplace::No);
    ASSERT_EQ(ListForShell(kRefusingCID), NS_OK);
    // Listed but registered nowhere, and a class that is not a shell component.
    ASSERT_EQ(ListForShell(nsCID{0x7E590002, 1, 1, {7, 7, 7, 7, 7, 7, 7, 2}}), NS_OK);
    ASSERT_EQ(ListForShell(kTestCounterCID), NS_OK);
    nsCOMPtr<nsIRegistry> registry = do_GetService(NS_REGISTRY_CONTRACTID);
    registry->OpenWellKnownRegistry(nsIRegistry::ApplicationComponentRegistry);
    nsRegistryKey key = 0;
    registry->AddSubtree(nsIRegistry::Common,
                         (std::string(NS_APPSHELL_COMPONENTS_KEY) + "/not a class id").c_str(),
                         &key);

    nsAppShell shell;
    ASSERT_EQ(shell.Startup(), NS_OK);
    EXPECT_EQ(topics->Count(kTestInitializeTopic), 1) << "the good component still starts";
    EXPECT_EQ(shell.Components().size(), 1u);
    shell.Shutdown();
    EXPECT_EQ(g_refusedShutdowns, 0) << "a component that did not start is not shut down";
    EXPECT_EQ(topics->Count(kTestShutdownTopic), 1);
}

TEST(AppShell, NeedsARunningFramework) {
    nsAppShell shell;
    EXPECT_EQ(shell.Startup(), NS_ERROR_NOT_INITIALIZED);
    EXPECT_FALSE(shell.IsStarted());
}

TEST(AppShell, WithNothingListedStartsEmpty) {
    ScopedFramework framework;
    nsAppShell shell;
    EXPECT_EQ(shell.Startup(), NS_OK);
    EXPECT_TRUE(shell.IsStarted());
    EXPECT_TRUE(shell.Components().empty());
}

} // namespace

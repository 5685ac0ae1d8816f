#include "TestComponent.h"
#include "XpcomTestSupport.h"
#include "platform/xpcom/nsGenericModule.h"
#include "platform/xpcom/nsIRegistry.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using xpcomtest::InstallTestComponent;
using xpcomtest::ScopedFramework;
using xpcomtest::TempFolder;

nsXPCOMOptions WithComponents(const TempFolder& folder) {
    nsXPCOMOptions options;
    options.componentsDirectory = folder.Path().string();
    return options;
}

TEST(ComponentLibrary, LoadedThroughNSGetModuleAndServedByClassAndContract) {
    TempFolder folder;
    InstallTestComponent(folder.Path());
    ScopedFramework framework(WithComponents(folder));
    ASSERT_EQ(framework.Result(), NS_OK);

    nsresult rv = NS_ERROR_FAILURE;
    nsCOMPtr<nsITestProbe> byClass = do_CreateInstance(kTestCounterCID, &rv);
    ASSERT_TRUE(byClass) << "0x" << std::hex << rv;
    nsCOMPtr<nsITestProbe> byContract = do_CreateInstance(kTestCounterContractID);
    ASSERT_TRUE(byContract);
    EXPECT_NE(byClass.get(), byContract.get()) << "every CreateInstance makes a new object";
    EXPECT_EQ(byClass->Next(), 1);
    EXPECT_EQ(byClass->Next(), 2);
    EXPECT_EQ(byContract->Next(), 1);
    EXPECT_TRUE(byClass->ReachesServiceManager())
        << "code of the library must reach the host's manager";

    nsCID cid{};
    nsCOMPtr<nsIComponentManager> manager;
    NS_GetComponentManager(getter_AddRefs(manager));
    EXPECT_EQ(manager->ContractIDToCID(kTestShellComponentContractID, &cid), NS_OK);
    EXPECT_EQ(cid, kTestShellComponentCID);
}

TEST(ComponentLibrary, BrokenLibrariesAndOtherFilesAreLeftOut) {
    TempFolder folder;
    InstallTestComponent(folder.Path());
    std::ofstream(folder / "broken.dll") << "not a library";
    std::ofstream(folder / "readme.txt") << "not a library either";
    ScopedFramework framework(WithComponents(folder));
    ASSERT_EQ(framework.Result(), NS_OK);
    EXPECT_TRUE(nsCOMPtr<nsITestProbe>(do_CreateInstance(kTestCounterCID)));
}

TEST(ComponentLibrary, RegistryFileServesItsClassesAtTheNextStartAndForgetsRemovedOnes) {
    TempFolder folder;
    std::filesystem::create_directory(folder.Path() / "components");
    nsXPCOMOptions options;
    options.componentsDirectory = (folder.Path() / "components").string();
    options.registryFile = folder / "compreg.dat";
    std::string library = InstallTestComponent(options.componentsDirectory);
    {
        ScopedFramework framework(options);
        ASSERT_EQ(framework.Result(), NS_OK);
    }
    {
        // The library is known from the file and not registered again, yet
        // its classes are served and its application shell key is kept.
        ScopedFramework framework(options);
        nsCOMPtr<nsITestProbe> probe = do_CreateInstance(kTestCounterContractID);
        ASSERT_TRUE(probe);
        EXPECT_EQ(probe->Next(), 1);
        nsCOMPtr<nsIRegistry> registry = do_GetService(NS_REGISTRY_CONTRACTID);
        registry->OpenWellKnownRegistry(nsIRegistry::ApplicationComponentRegistry);
        nsRegistryKey key = 0;
        std::string path =
            std::string(NS_APPSHELL_COMPONENTS_KEY) + "/" + kTestShellComponentCID.ToString();
        EXPECT_EQ(registry->GetSubtree(nsIRegistry::Common, path.c_str(), &key), NS_OK);
    }
    std::filesystem::remove(library);
    ScopedFramework framework(options);
    nsresult rv = NS_OK;
    nsCOMPtr<nsITestProbe> gone = do_CreateInstance(kTestCounterCID, &rv);
    EXPECT_FALSE(gone);
    EXPECT_EQ(rv, NS_ERROR_FACTORY_NOT_REGISTERED) << "a removed library takes its classes along";
    nsCID cid{};
    nsCOMPtr<nsIComponentManager> manager;
    NS_GetComponentManager(getter_AddRefs(manager));
    EXPECT_EQ(manager->ContractIDToCID(kTestCounterContractID, &cid),
              NS_ERROR_FACTORY_NOT_REGISTERED);
}

TEST(ComponentLibrary, RemovedLibraryIsForgottenWhateverFormTheFolderIsNamedIn) {
    TempFolder folder;
    nsXPCOMOptions options;
    options.registryFile = folder / "compreg.dat";
    std::filesystem::create_directory(folder.Path() / "components");
    std::string library = InstallTestComponent(folder.Path() / "components");
    options.componentsDirectory = (folder.Path() / "components").string() + "/";
    {
        ScopedFramework framework(options);
        ASSERT_TRUE(nsCOMPtr<nsITestProbe>(do_CreateInstance(kTestCounterCID)));
    }
    std::filesystem::remove(library);
    options.componentsDirectory = (folder.Path() / "." / "components").string();
    ScopedFramework framework(options);
    nsresult rv = NS_OK;
    EXPECT_FALSE(nsCOMPtr<nsITestProbe>(do_CreateInstance(kTestCounterCID, &rv)));
    EXPECT_EQ(rv, NS_ERROR_FACTORY_NOT_REGISTERED)
        << "the class of a library that is gone must not stay registered";
}

// In-process classes for the manager and service tests.
class nsIValue : public nsISupports {
public:
    static constexpr nsIID kIID{0x7E580001, 0x0001, 0x0001, {8, 8, 8, 8, 8, 8, 8, 1}};
    using BaseInterface = nsISupports;
    virtual int Value() = 0;
};

int g_live = 0;

class ValueObject final : public nsSupportsImpl<ValueObject, nsIValue> {
public:
    ValueObject() { ++g_live; }
    ~ValueObject() override { --g_live; }
    int Value() override { return 5; }
};

constexpr nsCID kValueCID{0x7E580010, 0x0001, 0x0001, {8, 8, 8, 8, 8, 8, 8, 2}};
constexpr const char* kValueContractID = "@webagent.test/value;1";

nsresult RegisterValue(nsIComponentManager* manager, RegisterReplace replace) {
    nsCOMPtr<nsIFactory> factory;
    NS_NewGenericFactory(NS_GenericConstructor<ValueObject>, getter_AddRefs(factory));
    return manager->RegisterFactory(kValueCID, "Value", kValueContractID, factory, replace);
}

TEST(ComponentManager, ServicesAreMadeOnceAndReleasedAtShutdown) {
    {
        ScopedFramework framework;
        nsCOMPtr<nsIComponentManager> manager;
        ASSERT_EQ(NS_GetComponentManager(getter_AddRefs(manager)), NS_OK);
        ASSERT_EQ(RegisterValue(manager, RegisterReplace::No), NS_OK);
        EXPECT_EQ(RegisterValue(manager, RegisterReplace::No), NS_ERROR_FACTORY_EXISTS);
        EXPECT_EQ(RegisterValue(manager, RegisterReplace::Yes), NS_OK);

        nsCOMPtr<nsIValue> first = do_GetService(kValueCID);
        nsCOMPtr<nsIValue> second = do_GetService(kValueContractID);
        ASSERT_TRUE(first);
        EXPECT_EQ(first.get(), second.get());
        nsCOMPtr<nsIValue> instance = do_CreateInstance(kValueContractID);
        EXPECT_NE(instance.get(), first.get());
        bool made = false;
        nsCOMPtr<nsIServiceManager> services;
        NS_GetServiceManager(getter_AddRefs(services));
        services->IsServiceInstantiated(kValueCID, &made);
        EXPECT_TRUE(made);
        first = nullptr;
        second = nullptr;
        instance = nullptr;
        EXPECT_EQ(g_live, 1) << "the service manager keeps its service";
    }
    EXPECT_EQ(g_live, 0) << "shutdown releases the services";
    EXPECT_FALSE(NS_IsXPCOMRunning());
    nsresult rv = NS_OK;
    EXPECT_FALSE(nsCOMPtr<nsIValue>(do_GetService(kValueCID, &rv)));
    EXPECT_EQ(rv, NS_ERROR_NOT_INITIALIZED);
}

TEST(ComponentManager, UnknownClassesAndContractsAreReported) {
    ScopedFramework framework;
    EXPECT_EQ(NS_InitXPCOM({}), NS_ERROR_ALREADY_INITIALIZED);
    nsresult rv = NS_OK;
    EXPECT_FALSE(nsCOMPtr<nsIValue>(do_CreateInstance("@webagent.test/none;1", &rv)));
    EXPECT_EQ(rv, NS_ERROR_FACTORY_NOT_REGISTERED);
    EXPECT_FALSE(nsCOMPtr<nsIValue>(do_GetService(kValueCID, &rv)));
    EXPECT_EQ(rv, NS_ERROR_FACTORY_NOT_REGISTERED);
    // The registry service does not offer nsIValue.
    EXPECT_FALSE(nsCOMPtr<nsIValue>(do_GetService(NS_REGISTRY_CONTRACTID, &rv)));
    EXPECT_EQ(rv, NS_ERROR_NO_INTERFACE);
}

TEST(ComponentManager, PublishedServicesAreFoundByClassAndByContract) {
    ScopedFramework framework;
    nsCOMPtr<nsIServiceManager> services;
    ASSERT_EQ(NS_GetServiceManager(getter_AddRefs(services)), NS_OK);
    nsCOMPtr<nsIValue> published = new ValueObject;
    ASSERT_EQ(services->RegisterService(kValueCID, published), NS_OK);
    EXPECT_EQ(services->RegisterService(kValueCID, published), NS_ERROR_FACTORY_EXISTS);
    ASSERT_EQ(services->RegisterServiceByContractID("@webagent.test/published;1", published),
              NS_OK);
    EXPECT_EQ(nsCOMPtr<nsIValue>(do_GetService(kValueCID)).get(), published.get());
    EXPECT_EQ(nsCOMPtr<nsIValue>(do_GetService("@webagent.test/published;1")).get(),
              published.get());
    EXPECT_EQ(services->UnregisterService(kValueCID), NS_OK);
    EXPECT_EQ(services->UnregisterServiceByContractID("@webagent.test/published;1"), NS_OK);
    EXPECT_FALSE(nsCOMPtr<nsIValue>(do_GetService(kValueCID)));
    published = nullptr;
    EXPECT_EQ(g_live, 0) << "an unregistered service is let go";
}

// A service whose construction asks for itself must fail, not recurse.
constexpr nsCID kSelfCID{0x7E580020, 0x0001, 0x0001, {8, 8, 8, 8, 8, 8, 8, 3}};
nsresult g_innerResult = NS_OK;

nsresult SelfAskingConstructor(nsISupports* outer, const nsIID& iid, void** result) {
    nsCOMPtr<nsIValue> inner = do_GetService(kSelfCID, &g_innerResult);
    return NS_GenericConstructor<ValueObject>(outer, iid, result);
}

TEST(ComponentManager, ServiceAskingForItselfDuringConstructionIsRefused) {
    ScopedFramework framework;
    nsCOMPtr<nsIComponentManager> manager;
    NS_GetComponentManager(getter_AddRefs(manager));
    nsCOMPtr<nsIFactory> factory;
    NS_NewGenericFactory(SelfAskingConstructor, getter_AddRefs(factory));
    manager->RegisterFactory(kSelfCID, nullptr, nullptr, factory, RegisterReplace::No);
    nsCOMPtr<nsIValue> service = do_GetService(kSelfCID);
    EXPECT_TRUE(service);
    EXPECT_EQ(g_innerResult, NS_ERROR_NOT_AVAILABLE);
}

} // namespace

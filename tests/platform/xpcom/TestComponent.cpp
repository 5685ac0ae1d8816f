// A component library for the framework tests, built like the agent's own:
// a generic module made from a static description, exported through
// NSGetModule only.
#include "TestComponent.h"

#include "platform/xpcom/nsGenericModule.h"
#include "platform/xpcom/nsIAppShellComponent.h"
#include "platform/xpcom/nsIObserver.h"
#include "platform/xpcom/nsIRegistry.h"
#include "platform/xpcom/nsXPCOM.h"
#include "platform/xpcom/prprf.h"

#include <iterator>

namespace {

bool ServiceManagerReachable() {
    nsCOMPtr<nsIServiceManager> services;
    return NS_SUCCEEDED(NS_GetServiceManager(getter_AddRefs(services))) && services;
}

void Notify(nsISupports* subject, const char* topic) {
    nsCOMPtr<nsIObserverService> observers = do_GetService(NS_OBSERVERSERVICE_CONTRACTID);
    if (observers)
        observers->NotifyObservers(subject, topic, nullptr);
}

class TestCounter final : public nsSupportsImpl<TestCounter, nsITestProbe> {
public:
    int32_t Next() override { return ++m_count; }
    bool ReachesServiceManager() override { return ServiceManagerReachable(); }

private:
    int32_t m_count = 0;
};

class TestShellComponent final
    : public nsSupportsImpl<TestShellComponent, nsIAppShellComponent, nsITestProbe> {
public:
    nsresult Initialize(nsISupports* appShell, nsISupports*) override {
        Notify(appShell, kTestInitializeTopic);
        return NS_OK;
    }
    nsresult Shutdown() override {
        Notify(nullptr, kTestShutdownTopic);
        return NS_OK;
    }
    int32_t Next() override { return ++m_count; }
    bool ReachesServiceManager() override { return ServiceManagerReachable(); }

private:
    int32_t m_count = 0;
};

// Enters the component under the application shell's key, so that the shell
// starts it with the browser.
nsresult RegisterShellComponent(nsIComponentManager*, nsIFile*, const char*, const char*,
                                const nsModuleComponentInfo* info) {
    nsresult rv = NS_OK;
    nsCOMPtr<nsIRegistry> registry = do_GetService(NS_REGISTRY_CONTRACTID, &rv);
    if (!registry)
        return rv;
    registry->OpenWellKnownRegistry(nsIRegistry::ApplicationComponentRegistry);
    char path[256];
    PR_snprintf(path, sizeof path, "%s/%s", NS_APPSHELL_COMPONENTS_KEY,
                info->cid.ToString().c_str());
    nsRegistryKey key = 0;
    return registry->AddSubtree(nsIRegistry::Common, path, &key);
}

const nsModuleComponentInfo kComponents[] = {
    {"Test counter", kTestCounterCID, kTestCounterContractID, NS_GenericConstructor<TestCounter>,
     nullptr, nullptr},
    {"Test shell component", kTestShellComponentCID, kTestShellComponentContractID,
     NS_GenericConstructor<TestShellComponent>, RegisterShellComponent, nullptr},
};

const nsModuleInfo kModule = {NS_MODULEINFO_VERSION,
                              "TestComponentModule",
                              kComponents,
                              std::size(kComponents),
                              nullptr,
                              nullptr};

} // namespace

NS_EXPORT_MODULE nsresult NSGetModule(nsIComponentManager*, nsIFile*, nsIModule** result) {
    return NS_NewGenericModule(&kModule, result);
}

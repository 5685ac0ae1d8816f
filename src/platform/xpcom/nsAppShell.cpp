#include "platform/xpcom/nsAppShell.h"

#include "platform/xpcom/nsIRegistry.h"
#include "platform/xpcom/nsXPCOM.h"

#include <cstdio>

nsresult nsAppShell::Startup(nsISupports* appShell, nsISupports* startupInfo) {
    if (m_started)
        return NS_ERROR_ALREADY_INITIALIZED;
    nsCOMPtr<nsIComponentManager> manager;
    nsresult rv = NS_GetComponentManager(getter_AddRefs(manager));
    if (NS_FAILED(rv))
        return rv;
    nsCOMPtr<nsIRegistry> registry = do_GetService(NS_REGISTRY_CONTRACTID, &rv);
    if (!registry)
        return rv;
    m_started = true;
    registry->OpenWellKnownRegistry(nsIRegistry::ApplicationComponentRegistry);
    nsRegistryKey key = 0;
    std::vector<std::string> classes;
    if (NS_FAILED(registry->GetSubtree(nsIRegistry::Common, NS_APPSHELL_COMPONENTS_KEY, &key)) ||
        NS_FAILED(registry->EnumerateSubtrees(key, &classes)))
        return NS_OK; // no component asked to be started
    for (const std::string& name : classes) {
        auto cid = nsID::Parse(name);
        if (!cid)
            continue;
        nsCOMPtr<nsIAppShellComponent> component;
        rv = manager->CreateInstance(*cid, nullptr, nsIAppShellComponent::kIID,
                                     getter_AddRefs(component));
        if (NS_SUCCEEDED(rv))
            rv = component->Initialize(appShell, startupInfo);
        if (NS_FAILED(rv)) {
            std::fprintf(stderr, "xpcom: application shell component %s not started (0x%08X)\n",
                         name.c_str(), rv);
            continue;
        }
        m_components.push_back(std::move(component));
    }
    return NS_OK;
}

void nsAppShell::Shutdown() {
    if (!m_started)
        return;
    m_started = false;
    // Taken out first, so that a component re-entering us sees a stopped shell.
    std::vector<nsCOMPtr<nsIAppShellComponent>> components;
    components.swap(m_components);
    for (auto component = components.rbegin(); component != components.rend(); ++component)
        (*component)->Shutdown();
    while (!components.empty())
        components.pop_back();
}
